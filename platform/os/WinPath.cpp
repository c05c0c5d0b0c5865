#include "WinPath.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "Text.h"

namespace platform::os {

namespace {

bool IsDriveLetterPath(std::string_view Path) {
    return Path.size() >= 2 && std::isalpha(static_cast<unsigned char>(Path[0])) && Path[1] == ':';
}

bool IsUncPath(std::string_view Path) { return Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\'; }

// Index of the last '\' or ':' (the delimiters of a file name), or npos.
size_t LastNameDelimiter(std::string_view Path) { return Path.find_last_of("\\:"); }

}  // namespace

bool IsPathDelimiter(std::string_view Path, size_t Index) { return Index < Path.size() && Path[Index] == '\\'; }

std::string ExtractFileDrive(std::string_view Path) {
    if (IsDriveLetterPath(Path)) return std::string(Path.substr(0, 2));
    if (!IsUncPath(Path)) return {};
    // "\\server\share": the two components after the leading double backslash.
    const size_t ServerEnd = Path.find('\\', 2);
    if (ServerEnd == std::string_view::npos || ServerEnd == 2) return {};
    const size_t ShareEnd = Path.find('\\', ServerEnd + 1);
    if (ShareEnd == ServerEnd + 1) return {};
    return std::string(Path.substr(0, ShareEnd));
}

std::string IncludeTrailingBackslash(std::string_view Path) {
    std::string Out(Path);
    if (Out.empty() || Out.back() != '\\') Out += '\\';
    return Out;
}

std::string ExcludeTrailingBackslash(std::string_view Path) {
    std::string Out(Path);
    if (!Out.empty() && Out.back() == '\\') Out.pop_back();
    return Out;
}

std::string ExtractFilePath(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    return Last == std::string_view::npos ? std::string() : std::string(Path.substr(0, Last + 1));
}

std::string ExtractFileDir(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    if (Last == std::string_view::npos) return {};
    // Keep the root backslash of "C:\" and the colon of "C:".
    if (Last > 0 && Path[Last] == '\\' && Path[Last - 1] != ':' && Path[Last - 1] != '\\')
        return std::string(Path.substr(0, Last));
    return std::string(Path.substr(0, Last + 1));
}

std::string ExtractFileName(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    return std::string(Last == std::string_view::npos ? Path : Path.substr(Last + 1));
}

std::string ExtractFileExt(std::string_view Path) {
    const size_t Dot = Path.find_last_of(".\\:");
    if (Dot == std::string_view::npos || Path[Dot] != '.') return {};
    return std::string(Path.substr(Dot));
}

std::string ChangeFileExt(std::string_view Path, std::string_view Extension) {
    const size_t Dot = Path.find_last_of(".\\:");
    const size_t Stem = (Dot == std::string_view::npos || Path[Dot] != '.') ? Path.size() : Dot;
    return std::string(Path.substr(0, Stem)) + std::string(Extension);
}

bool IsAbsoluteWinPath(std::string_view Path) {
    if (IsDriveLetterPath(Path)) return Path.size() >= 3 && Path[2] == '\\';
    return !ExtractFileDrive(Path).empty();
}

std::string FileNameProblem(std::string_view Name) {
    if (Name.empty()) return "the name is empty";
    if (Name == "." || Name == "..") return "the name is \".\" or \"..\"";
    for (char C : Name)
        if (static_cast<unsigned char>(C) < 32 || std::string_view("\\/:*?\"<>|").find(C) != std::string_view::npos)
            return "the name holds a character Windows refuses in file names";
    if (Name.back() == '.' || Name.back() == ' ') return "the name ends with a dot or a blank";
    // "CON .txt" is the device too: blanks before the extension do not count.
    std::string_view Base = Name.substr(0, Name.find('.'));
    while (!Base.empty() && Base.back() == ' ') Base.remove_suffix(1);
    const std::string Stem = AnsiUpperCase(Base);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    const bool Numbered = Stem.size() == 4 && (Stem.starts_with("COM") || Stem.starts_with("LPT")) && Stem[3] >= '1' &&
                          Stem[3] <= '9';
    if (Numbered || std::find(std::begin(kDevices), std::end(kDevices), Stem) != std::end(kDevices))
        return "the name is a device name";
    return {};
}

std::string CanonicalWinPath(std::string_view Path) {
    std::string Text(Path);
    std::replace(Text.begin(), Text.end(), '/', '\\');
    if (!IsAbsoluteWinPath(Text)) return Text;
    const std::string Drive = ExtractFileDrive(Text);
    std::vector<std::string_view> Names;
    const std::string_view Rest = std::string_view(Text).substr(Drive.size());
    for (const std::string_view Name : SplitText(Rest, '\\')) {
        if (Name.empty() || Name == ".") continue;
        if (Name != "..") Names.push_back(Name);
        else if (!Names.empty()) Names.pop_back();
    }
    std::string Out = Drive;
    for (const std::string_view Name : Names) (Out += '\\') += Name;
    if (Names.empty() || Text.back() == '\\') Out += '\\';
    return Out;
}

}  // namespace platform::os
