#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "Environment.h"
#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinError.h"
#include "WinPath.h"

extern char** environ;

namespace fs = std::filesystem;

namespace platform::os {

namespace {

std::function<void()> gPump;

constexpr int kPumpSliceMs = 50;

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

// The program token of a command line: quoted, or up to the first blank.
// Unquoted names are also tried at every later blank, as the platform does
// for "C:\Program Files\App\app.exe" written without quotes.
std::vector<std::pair<std::string, size_t>> ProgramCandidates(std::string_view Line) {
    std::vector<std::pair<std::string, size_t>> Candidates;
    size_t Start = 0;
    while (Start < Line.size() && IsBlank(Line[Start])) ++Start;
    if (Start < Line.size() && Line[Start] == '"') {
        const size_t Close = Line.find('"', Start + 1);
        const size_t End = Close == std::string_view::npos ? Line.size() : Close;
        Candidates.emplace_back(std::string(Line.substr(Start + 1, End - Start - 1)), std::min(End + 1, Line.size()));
        return Candidates;
    }
    for (size_t Pos = Start; Pos <= Line.size(); ++Pos)
        if (Pos == Line.size() || IsBlank(Line[Pos]))
            if (Pos > Start) Candidates.emplace_back(std::string(Line.substr(Start, Pos - Start)), Pos);
    return Candidates;
}

std::string FindIn(const std::string& Folder, const std::string& Name) {
    if (Folder.empty()) return {};
    const std::string Path = IncludeTrailingBackslash(Folder) + Name;
    if (FileExists(Path)) return Path;
    if (ExtractFileExt(Name).empty() && FileExists(Path + ".exe")) return Path + ".exe";
    return {};
}

constexpr char kExitCodesVariable[] = "WINENV_EXIT_CODES";

// Where a child started by CreateProcess leaves an exit code wider than 8 bits.
fs::path ExitCodeFile(pid_t Pid) { return PrefixPath() / "run" / (std::to_string(Pid) + ".exit"); }

std::vector<std::string> ChildEnvironment(bool WantsExitCode) {
    std::vector<std::string> Env;
    for (char** Entry = environ; Entry && *Entry; ++Entry)
        if (std::strncmp(*Entry, "WINENV_PREFIX=", 14) != 0 && std::strncmp(*Entry, "WINENV_EXIT_CODES=", 18) != 0)
            Env.emplace_back(*Entry);
    // Children see the same emulated environment, also when it is the default one.
    Env.push_back("WINENV_PREFIX=" + PrefixPath().string());
    if (WantsExitCode) Env.push_back(std::string(kExitCodesVariable) + "=1");
    return Env;
}

// The whole exit code a child left for its 8-bit status, else the status.
uint32_t WideExitCode(pid_t Pid, uint32_t Status) {
    const fs::path File = ExitCodeFile(Pid);
    std::error_code Error;
    if (!fs::exists(File, Error)) return Status;
    uint32_t Code = Status;
    try {
        const uint32_t Written = static_cast<uint32_t>(std::stoul(ReadHostFile(File)));
        if ((Written & 0xFF) == Status) Code = Written;
    } catch (const std::exception&) {
        // an unreadable record leaves the host status
    }
    fs::remove(File, Error);
    return Code;
}

// The host command that runs a program file: argv and false, or the error.
bool HostCommand(const fs::path& Host, const std::string& WinProgram, std::vector<std::string>& Argv, uint32_t& Error) {
    const std::string Ext = AnsiLowerCase(ExtractFileExt(WinProgram));
    if (Ext == ".bat" || Ext == ".cmd") {
        const std::string Shell = FindIn(GetSystemDirectory(), "cmd.exe");
        fs::path ShellHost;
        if (Shell.empty() || !TryHostPath(Shell, ShellHost, Error)) {
            Error = ERROR_FILE_NOT_FOUND;
            return false;
        }
        Argv = {ShellHost.string(), "/c", WinProgram};
        return true;
    }
    std::string Magic;
    try {
        TFileStream File(Host, fmOpenRead | fmShareDenyNone);
        Magic.resize(4);
        Magic.resize(static_cast<size_t>(File.Read(Magic.data(), 4)));
    } catch (const EFOpenError& E) {
        Error = E.ErrorCode();
        return false;
    }
    if (Magic.rfind("\x7f" "ELF", 0) == 0 || Magic.rfind("#!", 0) == 0) {
        // The platform has no execute permission: a program an installer wrote runs as it is.
        std::error_code Ignored;
        fs::permissions(Host, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add, Ignored);
        Argv = {Host.string()};
        return true;
    }
    if (Magic.rfind("MZ", 0) == 0) {
        const std::string Wine = FindHostProgram("wine");
        if (!Wine.empty()) {
            Argv = {Wine, Host.string()};
            return true;
        }
    }
    Error = ERROR_BAD_EXE_FORMAT;
    return false;
}

bool SpawnArgv(const std::vector<std::string>& Argv, const fs::path& Folder, bool WantsExitCode, pid_t& Pid);

void ReapInBackground(pid_t Pid) {
    std::thread([Pid] {
        int Status = 0;
        while (::waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

bool Spawn(std::string_view CommandLine, std::string_view CurrentDirectory, bool WantsExitCode, pid_t& Pid) {
    std::string Program;
    size_t ArgsStart = 0;
    for (auto& [Candidate, End] : ProgramCandidates(CommandLine)) {
        Program = FindProgram(Candidate);
        ArgsStart = End;
        if (!Program.empty()) break;
    }
    if (Program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    fs::path Host, Folder;
    uint32_t Error = ERROR_SUCCESS;
    std::vector<std::string> Argv;
    if (!TryHostPath(Program, Host, Error) || !HostCommand(Host, Program, Argv, Error)) {
        SetLastError(Error);
        return false;
    }
    if (!CurrentDirectory.empty()) {
        if (!TryHostPath(CurrentDirectory, Folder, Error) || !fs::is_directory(Folder)) {
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
    }
    for (std::string& Arg : CommandLineToArgs(CommandLine.substr(std::min(ArgsStart, CommandLine.size()))))
        Argv.push_back(std::move(Arg));
    return SpawnArgv(Argv, Folder, WantsExitCode, Pid);
}

bool SpawnArgv(const std::vector<std::string>& Argv, const fs::path& Folder, bool WantsExitCode, pid_t& Pid) {
    if (Argv.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::vector<std::string> Env = ChildEnvironment(WantsExitCode);
    std::vector<char*> ArgvPtrs, EnvPtrs;
    for (const std::string& Arg : Argv) ArgvPtrs.push_back(const_cast<char*>(Arg.c_str()));
    for (const std::string& Var : Env) EnvPtrs.push_back(const_cast<char*>(Var.c_str()));
    ArgvPtrs.push_back(nullptr);
    EnvPtrs.push_back(nullptr);

    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    if (!Folder.empty()) posix_spawn_file_actions_addchdir_np(&Actions, Folder.c_str());
    const int Result = posix_spawn(&Pid, ArgvPtrs[0], &Actions, nullptr, ArgvPtrs.data(), EnvPtrs.data());
    posix_spawn_file_actions_destroy(&Actions);
    if (Result != 0) {
        SetLastError(Result == ENOEXEC ? ERROR_BAD_EXE_FORMAT : WinErrorFromErrno(Result));
        return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace

bool StartHostProgram(const std::vector<std::string>& Argv, const fs::path& Folder) {
    pid_t Pid = -1;
    if (!SpawnArgv(Argv, Folder, false, Pid)) return false;
    ReapInBackground(Pid);
    return true;
}

std::string FindHostProgram(const char* Name) {
    const char* Path = std::getenv("PATH");
    for (const std::string_view Folder : SplitText(Path ? Path : "/usr/bin:/bin", ':')) {
        const fs::path Candidate = fs::path(std::string(Folder)) / Name;
        if (!Folder.empty() && ::access(Candidate.c_str(), X_OK) == 0) return Candidate.string();
    }
    return {};
}

void ExitProcess(uint32_t ExitCode) {
    const char* Wanted = std::getenv(kExitCodesVariable);
    if (ExitCode > 0xFF && Wanted && std::string_view(Wanted) == "1") {
        try {
            const fs::path File = ExitCodeFile(::getpid());
            fs::create_directories(File.parent_path());
            WriteHostFile(File, std::to_string(ExitCode));
        } catch (const std::exception&) {
            // the parent then sees the low byte only
        }
    }
    std::exit(static_cast<int>(ExitCode & 0xFF));
}

void SetMessagePump(std::function<void()> Pump) { gPump = std::move(Pump); }

void PumpMessages() {
    if (gPump) gPump();
}

// --- TProcess ---

TProcess::~TProcess() {
    if (FPidFd >= 0) ::close(FPidFd);
    if (FPid > 0 && !FExited) ReapInBackground(FPid);
}

TProcess::TProcess(TProcess&& Other) noexcept { *this = std::move(Other); }

TProcess& TProcess::operator=(TProcess&& Other) noexcept {
    if (this != &Other) {
        if (FPidFd >= 0) ::close(FPidFd);
        if (FPid > 0 && !FExited) ReapInBackground(FPid);
        FPid = std::exchange(Other.FPid, -1);
        FPidFd = std::exchange(Other.FPidFd, -1);
        FExited = std::exchange(Other.FExited, false);
        FExitCode = std::exchange(Other.FExitCode, STILL_ACTIVE);
    }
    return *this;
}

bool TProcess::Reap(int Flags) {
    if (FExited) return true;
    if (FPid <= 0) return false;
    int Status = 0;
    pid_t Done;
    while ((Done = ::waitpid(FPid, &Status, Flags)) < 0 && errno == EINTR) {
    }
    if (Done == 0) return false;
    FExited = true;
    if (Done < 0) FExitCode = 1;  // reaped elsewhere: the code is lost
    else if (WIFEXITED(Status)) FExitCode = WideExitCode(FPid, static_cast<uint32_t>(WEXITSTATUS(Status)));
    else FExitCode = 128 + static_cast<uint32_t>(WTERMSIG(Status));
    return true;
}

uint32_t TProcess::ExitCode() { return Reap(WNOHANG) ? FExitCode : STILL_ACTIVE; }

uint32_t TProcess::Wait(uint32_t TimeoutMs) {
    if (FPid <= 0) return WAIT_FAILED;
    using Clock = std::chrono::steady_clock;
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Reap(WNOHANG)) {
        int Slice = kPumpSliceMs;
        if (TimeoutMs != INFINITE) {
            const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
            if (Left <= 0) return WAIT_TIMEOUT;
            Slice = static_cast<int>(std::min<int64_t>(Left, Slice));
        }
        if (FPidFd >= 0) {
            pollfd Poll {FPidFd, POLLIN, 0};
            ::poll(&Poll, 1, Slice);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(Slice, 5)));
        }
    }
    return WAIT_OBJECT_0;
}

uint32_t TProcess::WaitPumping(uint32_t TimeoutMs) {
    if (FPid <= 0) return WAIT_FAILED;
    using Clock = std::chrono::steady_clock;
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    for (;;) {
        PumpMessages();
        uint32_t Slice = kPumpSliceMs;
        if (TimeoutMs != INFINITE) {
            const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
            Slice = static_cast<uint32_t>(std::clamp<int64_t>(Left, 0, Slice));
        }
        const uint32_t Result = Wait(Slice);
        if (Result != WAIT_TIMEOUT || (TimeoutMs != INFINITE && Clock::now() >= Deadline)) return Result;
    }
}

bool TProcess::Terminate() {
    if (FPid <= 0 || FExited) return false;
    if (::kill(FPid, SIGKILL) != 0) return false;
    return Reap(0);
}

// --- command lines ---

std::vector<std::string> CommandLineToArgs(std::string_view Line) {
    std::vector<std::string> Args;
    size_t Pos = 0;
    for (;;) {
        while (Pos < Line.size() && IsBlank(Line[Pos])) ++Pos;
        if (Pos >= Line.size()) break;
        std::string Arg;
        bool Quoted = false;
        for (; Pos < Line.size() && (Quoted || !IsBlank(Line[Pos])); ++Pos) {
            if (Line[Pos] == '\\') {
                size_t Count = 0;
                while (Pos < Line.size() && Line[Pos] == '\\') ++Count, ++Pos;
                if (Pos < Line.size() && Line[Pos] == '"') {
                    Arg.append(Count / 2, '\\');
                    if (Count % 2) Arg += '"';
                    else Quoted = !Quoted;
                } else {
                    Arg.append(Count, '\\');
                    --Pos;
                }
            } else if (Line[Pos] == '"') {
                if (Quoted && Pos + 1 < Line.size() && Line[Pos + 1] == '"') Arg += '"', ++Pos;
                else Quoted = !Quoted;
            } else {
                Arg += Line[Pos];
            }
        }
        Args.push_back(std::move(Arg));
    }
    return Args;
}

std::string QuoteArg(std::string_view Arg) {
    if (!Arg.empty() && Arg.find_first_of(" \t\"") == std::string_view::npos) return std::string(Arg);
    std::string Out = "\"";
    size_t Backslashes = 0;
    for (char C : Arg) {
        if (C == '\\') {
            ++Backslashes;
            continue;
        }
        Out.append(C == '"' ? Backslashes * 2 + 1 : Backslashes, '\\');
        Backslashes = 0;
        Out += C;
    }
    Out.append(Backslashes * 2, '\\');
    return Out + '"';
}

std::string FindProgram(std::string_view Name) {
    const std::string Program = Trim(Name);
    if (Program.empty()) return {};
    if (Program.find_first_of("\\/:") != std::string::npos) {
        std::string Full = Program;
        if (!IsAbsoluteWinPath(Full) && Full.rfind("\\", 0) != 0) Full = IncludeTrailingBackslash(GetCurrentDir()) + Full;
        return FindIn(ExtractFileDir(Full), ExtractFileName(Full));
    }
    std::vector<std::string> Folders = {ExtractFileDir(GetModuleFileName()), GetCurrentDir(), GetSystemDirectory(),
                                        GetWindowsDirectory()};
    const std::string Path = ExpandEnvironmentStrings(GetEnvironmentVariable("PATH"));
    for (const std::string_view Folder : SplitText(Path, ';')) Folders.push_back(Trim(Folder));
    for (const std::string& Folder : Folders)
        if (std::string Found = FindIn(Folder, Program); !Found.empty()) return Found;
    return {};
}

bool CreateProcess(std::string_view CommandLine, std::string_view CurrentDirectory, int /*ShowCmd*/, TProcess& Process) {
    pid_t Pid = -1;
    if (!Spawn(CommandLine, CurrentDirectory, true, Pid)) return false;
    Process = TProcess();
    Process.FPid = Pid;
    Process.FPidFd = static_cast<int>(::syscall(SYS_pidfd_open, Pid, 0));
    return true;
}

uint32_t WinExec(std::string_view CommandLine, int /*ShowCmd*/) {
    pid_t Pid = -1;
    if (!Spawn(CommandLine, "", false, Pid)) {
        const uint32_t Error = GetLastError();
        return Error == ERROR_BAD_EXE_FORMAT ? ERROR_BAD_FORMAT : Error == ERROR_PATH_NOT_FOUND ? Error : ERROR_FILE_NOT_FOUND;
    }
    ReapInBackground(Pid);
    return 33;
}

}  // namespace platform::os
