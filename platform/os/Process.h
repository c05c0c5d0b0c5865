#pragma once
// Processes started from Windows command lines. The program is found as the
// platform finds it (the running program's folder, the current folder, the
// system folder, the Windows folder, then %PATH%, ".exe" added when the name
// has no extension, names ignoring case). A host executable runs natively, a
// Windows program through wine, a ".bat" or ".cmd" file through the system
// folder's "cmd.exe".
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

enum : uint32_t {
    STILL_ACTIVE = 259,
    INFINITE = 0xFFFFFFFF,
    WAIT_OBJECT_0 = 0,
    WAIT_TIMEOUT = 258,
    WAIT_FAILED = 0xFFFFFFFF,
};

// The callback that keeps the caller's windows alive while it waits; the UI
// layer registers it. PumpMessages calls it when one is set.
void SetMessagePump(std::function<void()> Pump);
void PumpMessages();

class TProcess {
public:
    TProcess() = default;
    ~TProcess();  // closes the handle; a running process goes on
    TProcess(TProcess&& Other) noexcept;
    TProcess& operator=(TProcess&& Other) noexcept;
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;

    bool Valid() const { return FPid > 0; }
    pid_t Pid() const { return FPid; }
    // The exit code, or STILL_ACTIVE while the process runs. A process ended
    // by a signal gives 128 plus the signal number.
    uint32_t ExitCode();
    // WAIT_OBJECT_0 when the process has ended, WAIT_TIMEOUT, WAIT_FAILED.
    uint32_t Wait(uint32_t TimeoutMs);
    // As Wait, calling PumpMessages before every slice of the wait (slices are
    // far shorter than a second).
    uint32_t WaitPumping(uint32_t TimeoutMs);
    bool Terminate();

private:
    friend bool CreateProcess(std::string_view, std::string_view, int, TProcess&);
    bool Reap(int Flags);

    pid_t FPid = -1;
    int FPidFd = -1;
    bool FExited = false;
    uint32_t FExitCode = STILL_ACTIVE;
};

// Splits a command line as the platform's C runtime does (quotes, backslashes before quotes).
std::vector<std::string> CommandLineToArgs(std::string_view CommandLine);
// Quotes an argument so that CommandLineToArgs gives it back.
std::string QuoteArg(std::string_view Arg);

// The Windows path of the program a command line names, or "" when none is found.
std::string FindProgram(std::string_view Name);

// Starts the command line's program with CurrentDirectory ("" for the
// current folder) as its working folder. False with the last error set
// (ERROR_FILE_NOT_FOUND, ERROR_BAD_EXE_FORMAT, ...) when it cannot start.
bool CreateProcess(std::string_view CommandLine, std::string_view CurrentDirectory, int ShowCmd, TProcess& Process);

// Ends the program with a Windows exit code. Host exit statuses keep only
// 8 bits; a parent that started this program through CreateProcess still
// sees the whole code (1605, 1603, ...).
[[noreturn]] void ExitProcess(uint32_t ExitCode);

// Host programs (xdg-open, wine, the tools): the first on the host's PATH, or
// "" when there is none; and a start that nobody waits for.
std::string FindHostProgram(const char* Name);
bool StartHostProgram(const std::vector<std::string>& Argv, const std::filesystem::path& Folder);

// Starts without waiting and without keeping a handle; above 31 on success,
// else ERROR_FILE_NOT_FOUND (2), ERROR_PATH_NOT_FOUND (3) or ERROR_BAD_FORMAT (11).
uint32_t WinExec(std::string_view CommandLine, int ShowCmd);

}  // namespace platform::os
