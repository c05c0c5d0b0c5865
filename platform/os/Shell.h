#pragma once
// Shell execute and change notifications. URLs and documents open with
// xdg-open when the host has it, Windows programs with wine, host programs
// natively; every call is appended to <prefix>/shell.log. With
// WINENV_NO_LAUNCH=1 in the environment calls are resolved and logged only.
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace platform::os {

enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10,
};

// Results of ShellExecute at or below 32 are errors.
enum : intptr_t {
    SE_ERR_FNF = 2,
    SE_ERR_PNF = 3,
    SE_ERR_ACCESSDENIED = 5,
    SE_ERR_OOM = 8,
    SE_ERR_NOASSOC = 31,
    SE_ERR_DLLNOTFOUND = 32,
    SHELL_EXECUTE_OK = 42,
};

enum : int32_t {
    SHCNE_ASSOCCHANGED = 0x08000000,
};

enum : uint32_t {
    SHCNF_IDLIST = 0x0000,
    SHCNF_PATHA = 0x0001,
    SHCNF_FLUSH = 0x1000,
};

// Verb "" or "open" opens, "explore" opens a folder, "runas" runs a program;
// other verbs answer SE_ERR_NOASSOC. A missing file answers SE_ERR_FNF.
intptr_t ShellExecute(std::string_view Verb, std::string_view File, std::string_view Parameters,
                      std::string_view Directory, int ShowCmd);
// Logged only; the items are not looked at.
void SHChangeNotify(int32_t EventId, uint32_t Flags, const void* Item1, const void* Item2);

std::filesystem::path ShellLogPath();

}  // namespace platform::os
