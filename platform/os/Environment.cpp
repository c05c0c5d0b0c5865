#include "Environment.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "Exceptions.h"
#include "Streams.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinError.h"
#include "WinPath.h"

extern char** environ;

namespace fs = std::filesystem;

namespace platform::os {

namespace {

struct TLessText {
    bool operator()(const std::string& A, const std::string& B) const { return AnsiCompareText(A, B) < 0; }
};

using TVariables = std::map<std::string, std::string, TLessText>;

std::mutex gMutex;
// Set in this process: a value, or nullopt for a removed variable.
std::map<std::string, std::optional<std::string>, TLessText> gOverrides;

struct TFileCache {
    fs::path File;
    TFileStamp Stamp;
    TVariables Variables;
};

TVariables ParseEnvironment(const std::string& Text) {
    TVariables Variables;
    for (const std::string_view Part : SplitText(Text, '\n')) {
        std::string Line(Part);
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        const size_t Equal = Line.find('=', 1);
        if (Line.empty() || Line[0] == ';' || Equal == std::string::npos) continue;
        Variables[Line.substr(0, Equal)] = Line.substr(Equal + 1);
    }
    return Variables;
}

TVariables FileVariables() {
    static TFileCache Cache;
    const fs::path File = EnsurePrefix() / "environment";
    const TFileStamp Stamp = FileStampOf(File);
    {
        std::lock_guard Lock(gMutex);
        if (Cache.File == File && Cache.Stamp == Stamp) return Cache.Variables;
    }
    std::string Text;
    try {
        Text = ReadHostFile(File);
    } catch (const Exception& E) {
        throw EOSError(ERROR_CANTREAD, Format("Cannot read the environment \"%s\": %s", File.c_str(), E.what()));
    }
    TVariables Variables = ParseEnvironment(Text);
    std::lock_guard Lock(gMutex);
    Cache = {File, Stamp, Variables};
    return Variables;
}

std::optional<std::string> Lookup(std::string_view Name) {
    const std::string Key(Name);
    {
        std::lock_guard Lock(gMutex);
        if (auto It = gOverrides.find(Key); It != gOverrides.end()) return It->second;
    }
    const TVariables Variables = FileVariables();
    if (auto It = Variables.find(Key); It != Variables.end()) return It->second;
    if (const char* Host = std::getenv(Key.c_str())) return std::string(Host);
    return std::nullopt;
}

std::string WindowsDirectory() {
    const std::string Root = ExcludeTrailingBackslash(Trim(GetEnvironmentVariable("SystemRoot")));
    return IsAbsoluteWinPath(Root) ? Root : "C:\\windows";
}

}  // namespace

std::string ExpandEnvironmentStrings(std::string_view Source) {
    std::string Out;
    size_t Pos = 0;
    while (Pos < Source.size()) {
        const size_t Open = Source.find('%', Pos);
        const size_t Close = Open == std::string_view::npos ? Open : Source.find('%', Open + 1);
        if (Close == std::string_view::npos) break;
        Out.append(Source.substr(Pos, Open - Pos));
        const std::string_view Name = Source.substr(Open + 1, Close - Open - 1);
        const std::optional<std::string> Value = Name.empty() ? std::nullopt : Lookup(Name);
        Out.append(Value ? std::string_view(*Value) : Source.substr(Open, Close - Open + 1));
        Pos = Close + 1;
    }
    Out.append(Source.substr(std::min(Pos, Source.size())));
    return Out;
}

uint32_t ExpandEnvironmentStringsA(const char* Source, char* Buffer, uint32_t Size) {
    const std::string Expanded = ExpandEnvironmentStrings(Source ? Source : "");
    const uint32_t Needed = static_cast<uint32_t>(Expanded.size() + 1);
    if (Buffer && Size >= Needed) std::memcpy(Buffer, Expanded.c_str(), Needed);
    return Needed;
}

bool GetEnvironmentVariable(std::string_view Name, std::string& Value) {
    const std::optional<std::string> Found = Name.empty() ? std::nullopt : Lookup(Name);
    if (!Found) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return false;
    }
    Value = *Found;
    return true;
}

std::string GetEnvironmentVariable(std::string_view Name) {
    std::string Value;
    GetEnvironmentVariable(Name, Value);
    return Value;
}

void SetEnvironmentVariable(std::string_view Name, std::string_view Value) {
    std::lock_guard Lock(gMutex);
    gOverrides[std::string(Name)] = std::string(Value);
}

void RemoveEnvironmentVariable(std::string_view Name) {
    std::lock_guard Lock(gMutex);
    gOverrides[std::string(Name)] = std::nullopt;
}

std::vector<std::pair<std::string, std::string>> EnvironmentVariables() {
    TVariables All;
    for (char** Entry = environ; Entry && *Entry; ++Entry)
        if (const char* Equal = std::strchr(*Entry, '='); Equal && Equal != *Entry)
            All[std::string(*Entry, static_cast<size_t>(Equal - *Entry))] = Equal + 1;
    for (auto& [Name, Value] : FileVariables()) {
        All.erase(Name);  // the file's spelling of the name wins
        All[Name] = Value;
    }
    std::lock_guard Lock(gMutex);
    for (auto& [Name, Value] : gOverrides) {
        All.erase(Name);
        if (Value) All[Name] = *Value;
    }
    return {All.begin(), All.end()};
}

std::string GetWindowsDirectory() { return WindowsDirectory(); }

std::string GetSystemDirectory() { return WindowsDirectory() + "\\system32"; }

uint32_t GetSystemDirectoryA(char* Buffer, uint32_t Size) {
    const std::string Folder = GetSystemDirectory();
    if (!Buffer || Size <= Folder.size()) return static_cast<uint32_t>(Folder.size() + 1);
    std::memcpy(Buffer, Folder.c_str(), Folder.size() + 1);
    return static_cast<uint32_t>(Folder.size());
}

std::string GetTempPath() {
    for (const char* Name : {"TMP", "TEMP", "USERPROFILE"}) {
        const std::string Folder = Trim(GetEnvironmentVariable(Name));
        if (IsAbsoluteWinPath(Folder)) return IncludeTrailingBackslash(Folder);
    }
    return IncludeTrailingBackslash(WindowsDirectory());
}

}  // namespace platform::os
