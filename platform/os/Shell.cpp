#include "Shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>

#include "Files.h"
#include "Process.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinError.h"
#include "WinPath.h"

namespace fs = std::filesystem;

namespace platform::os {

namespace {

bool LaunchDisabled() {
    const char* Value = std::getenv("WINENV_NO_LAUNCH");
    return Value && *Value && std::string_view(Value) != "0";
}

// "http://...", "mailto:..." and the like; "C:\..." is a drive, not a scheme.
bool IsUrl(std::string_view File) {
    const size_t Colon = File.find(':');
    if (Colon == std::string_view::npos || Colon < 2) return false;
    for (size_t I = 0; I < Colon; ++I)
        if (!std::isalnum(static_cast<unsigned char>(File[I])) && File[I] != '+' && File[I] != '-' && File[I] != '.')
            return false;
    return true;
}

bool IsProgramFile(const std::string& WinPath) {
    const std::string Ext = AnsiLowerCase(ExtractFileExt(WinPath));
    if (Ext == ".exe" || Ext == ".com" || Ext == ".bat" || Ext == ".cmd") return true;
    fs::path Host;
    uint32_t Error = 0;
    return Ext.empty() && TryHostPath(WinPath, Host, Error) && ::access(Host.c_str(), X_OK) == 0 && fs::is_regular_file(Host);
}

void AppendLog(const std::string& Line) {
    const fs::path Log = ShellLogPath();
    const int Handle = ::open(Log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (Handle < 0) return;  // the log is a record for people; a failure to write it changes nothing
    const time_t Now = std::time(nullptr);
    tm Utc {};
    gmtime_r(&Now, &Utc);
    char Stamp[32];
    std::strftime(Stamp, sizeof Stamp, "%Y-%m-%d %H:%M:%S", &Utc);
    const std::string Text = std::string(Stamp) + ' ' + Line + '\n';
    [[maybe_unused]] const ssize_t Written = ::write(Handle, Text.data(), Text.size());
    ::close(Handle);
}

// Opens a document, folder or address with the host's opener.
intptr_t OpenWithHost(const std::string& Target, std::string& Handler) {
    const std::string Opener = FindHostProgram("xdg-open");
    if (Opener.empty()) {
        Handler = "no opener";
        return SE_ERR_NOASSOC;
    }
    Handler = "xdg-open";
    if (LaunchDisabled()) return SHELL_EXECUTE_OK;
    return StartHostProgram({Opener, Target}, fs::path()) ? SHELL_EXECUTE_OK : SE_ERR_NOASSOC;
}

intptr_t RunProgram(const std::string& Program, std::string_view Parameters, std::string_view Directory, int ShowCmd,
                    std::string& Handler) {
    Handler = "program";
    if (LaunchDisabled()) return SHELL_EXECUTE_OK;
    std::string CommandLine = QuoteArg(Program);
    if (!Parameters.empty()) CommandLine += ' ' + std::string(Parameters);
    TProcess Process;
    if (CreateProcess(CommandLine, Directory, ShowCmd, Process)) return SHELL_EXECUTE_OK;
    const uint32_t Error = GetLastError();
    if (Error == ERROR_BAD_EXE_FORMAT) return ERROR_BAD_FORMAT;
    return Error <= 32 ? static_cast<intptr_t>(Error) : intptr_t{SE_ERR_NOASSOC};
}

intptr_t Execute(std::string_view Verb, std::string_view File, std::string_view Parameters, std::string_view Directory,
                 int ShowCmd, std::string& Handler) {
    const std::string Action = AnsiLowerCase(Trim(Verb));
    if (!Action.empty() && Action != "open" && Action != "explore" && Action != "runas") {
        Handler = "unknown verb";
        return SE_ERR_NOASSOC;
    }
    const std::string Target = Trim(File);
    if (IsUrl(Target)) return OpenWithHost(Target, Handler);

    std::string Path = Target;
    if (!Path.empty() && !IsAbsoluteWinPath(Path) && !Directory.empty())
        Path = IncludeTrailingBackslash(Directory) + Path;
    if (!FileExists(Path) && !DirectoryExists(Path)) {
        // A bare program name is looked for as a command line would be.
        Path = Target.find_first_of("\\/:") == std::string::npos ? FindProgram(Target) : std::string();
        if (Path.empty()) {
            Handler = "not found";
            return SE_ERR_FNF;
        }
    }
    if (!DirectoryExists(Path) && IsProgramFile(Path)) return RunProgram(Path, Parameters, Directory, ShowCmd, Handler);
    fs::path Host;
    uint32_t Error = 0;
    if (!TryHostPath(Path, Host, Error)) return Error <= 32 ? static_cast<intptr_t>(Error) : intptr_t{SE_ERR_FNF};
    return OpenWithHost(Host.string(), Handler);
}

}  // namespace

fs::path ShellLogPath() { return EnsurePrefix() / "shell.log"; }

intptr_t ShellExecute(std::string_view Verb, std::string_view File, std::string_view Parameters,
                      std::string_view Directory, int ShowCmd) {
    std::string Handler;
    const intptr_t Result = Execute(Verb, File, Parameters, Directory, ShowCmd, Handler);
    AppendLog(Format("ShellExecute verb=\"%.*s\" file=\"%.*s\" parameters=\"%.*s\" directory=\"%.*s\" show=%d -> %ld (%s)",
                     static_cast<int>(Verb.size()), Verb.data(), static_cast<int>(File.size()), File.data(),
                     static_cast<int>(Parameters.size()), Parameters.data(), static_cast<int>(Directory.size()),
                     Directory.data(), ShowCmd, static_cast<long>(Result), Handler.c_str()));
    return Result;
}

void SHChangeNotify(int32_t EventId, uint32_t Flags, const void* /*Item1*/, const void* /*Item2*/) {
    AppendLog(Format("SHChangeNotify event=0x%08x flags=0x%04x", static_cast<uint32_t>(EventId), Flags));
}

}  // namespace platform::os
