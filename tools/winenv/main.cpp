// winenv: creates and inspects the emulated Windows environment.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BatchScript.h"
#include "Products.h"
#include "installlib/InstaladorDefs.h"
#include "RegCommand.h"
#include "platform/os/Drives.h"
#include "platform/os/Environment.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Registry.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"
#include "platform/os/WinPath.h"

namespace fs = std::filesystem;
using namespace platform::os;

namespace {

const char* const kUsage =
    "usage: winenv COMMAND [ARGS]\n"
    "  init                       create or complete the prefix and install its programs\n"
    "  show                       show the prefix: drives, folders, products, recent shell calls\n"
    "  path WINPATH               the host path of a Windows path\n"
    "  winpath HOSTPATH           the Windows path of a host path\n"
    "  reg query|add|delete|export KEY [/v NAME|/ve|/va] [/t TYPE] [/d DATA] [/s] [FILE]\n"
    "                             TYPE: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
    "                             REG_BINARY and REG_NONE (DATA in hex digits)\n"
    "  reg import FILE.reg        apply a .reg file as regedit does, deletions included\n"
    "  lnk FILE                   dump a shortcut (Windows or host path)\n"
    "  hold WINPATH               hold a file open for exclusive writing until killed\n"
    "  product add {CODE} NAME [WINPATH...]  register a product for the installer service\n"
    "  uninstall DISPLAYNAME      run the UnInstallString of an uninstall entry and wait for it\n"
    "  cmd /c FILE.bat            run a batch file (installed as cmd.exe)\n"
    "The prefix is $WINENV_PREFIX, else ~/.local/share/instalador/winenv.\n";

fs::path SelfPath() { return fs::read_symlink("/proc/self/exe"); }

fs::path InstallerServiceBinary() {
    const fs::path Built = WINENV_MSIEXEC_PATH;
    if (fs::exists(Built)) return Built;
    for (const fs::path& Candidate : {SelfPath().parent_path() / "msiexec", SelfPath().parent_path() / ".." / "msiexec" / "msiexec"})
        if (fs::exists(Candidate)) return Candidate;
    throw Exception("the installer service program (msiexec) was not found beside winenv");
}

// Copies a program into the system folder; a rename, so a copy that is
// running goes on undisturbed.
void InstallProgram(const fs::path& Source, const std::string& Name) {
    const fs::path Target = HostPath(GetSystemDirectory() + "\\" + Name);
    const fs::path Temp = Target.string() + ".new";
    fs::copy_file(Source, Temp, fs::copy_options::overwrite_existing);
    fs::permissions(Temp, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    fs::rename(Temp, Target);
}

int Init() {
    const fs::path Prefix = EnsurePrefix();
    InstallProgram(InstallerServiceBinary(), "msiexec.exe");
    InstallProgram(SelfPath(), "cmd.exe");
    std::printf("%s\n", Prefix.c_str());
    return 0;
}

int Show() {
    const fs::path Prefix = EnsurePrefix();
    std::printf("Prefix: %s\n\nDrives:\n", Prefix.c_str());
    for (const TDriveMapping& Drive : DriveMappings())
        std::printf("  %c: %-9s %s\n", Drive.Letter, DriveTypeName(Drive.DriveType), Drive.HostRoot.c_str());
    std::printf("\nFolders:\n");
    const std::pair<const char*, int> Folders[] = {{"Desktop", CSIDL_DESKTOP},
                                                   {"Programs", CSIDL_PROGRAMS},
                                                   {"All users' programs", CSIDL_COMMON_PROGRAMS},
                                                   {"Program Files", CSIDL_PROGRAM_FILES},
                                                   {"System", CSIDL_SYSTEM}};
    for (const auto& [Label, Id] : Folders) std::printf("  %-20s %s\n", Label, SpecialFolderPath(Id).c_str());
    std::printf("  %-20s %s\n", "Temporary", GetTempPath().c_str());
    std::printf("\nInstalled (HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall):\n");
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (Reg.OpenKeyReadOnly(installlib::kUninstallKey))
        for (const std::string& Key : Reg.GetKeyNames()) std::printf("  %s\n", Key.c_str());
    const fs::path Log = ShellLogPath();
    std::printf("\nShell calls (%s):\n", Log.c_str());
    if (fs::exists(Log)) {
        const std::string Text = ReadHostFile(Log);
        size_t Start = Text.size();
        for (int Lines = 0; Start > 0 && Lines < 11; --Start)
            if (Text[Start - 1] == '\n') ++Lines;
        std::fputs(Text.c_str() + (Start ? Start + 1 : 0), stdout);
    }
    return 0;
}

int DumpLink(const std::string& File) {
    const bool Windows = IsAbsoluteWinPath(File);
    const TShellLinkData Link = DecodeShellLink(ReadHostFile(Windows ? HostPath(File) : fs::path(File)));
    std::printf("Target:       %s\nArguments:    %s\nWorking dir:  %s\nShow command: %d\n"
                "Icon:         %s,%d\nDescription:  %s\nRelative:     %s\n",
                Link.Target.c_str(), Link.Arguments.c_str(), Link.WorkingDir.c_str(), Link.ShowCmd,
                Link.IconLocation.c_str(), Link.IconIndex, Link.Description.c_str(), Link.RelativePath.c_str());
    return 0;
}

[[noreturn]] int Hold(const std::string& File) {
    auto Stream = OpenFileStream(File, FileExists(File) ? (fmOpenWrite | fmShareExclusive) : fmCreate);
    std::printf("holding %s\n", File.c_str());
    std::fflush(stdout);
    for (;;) ::pause();
}

int Product(const std::vector<std::string>& Args) {
    if (Args.size() < 3 || !SameText(Args[0], "add")) throw Exception("usage: winenv product add {CODE} NAME [WINPATH...]");
    msiexec::RegisterProduct(AnsiUpperCase(Args[1]), Args[2], {Args.begin() + 3, Args.end()});
    return 0;
}

// The UnInstallString of the entry whose DisplayName (or, without one, whose
// key name) is Name, ignoring case.
std::string UninstallCommand(const std::string& Name) {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKeyReadOnly(installlib::kUninstallKey)) throw Exception("the prefix has no uninstall entries");
    for (const std::string& Key : Reg.GetKeyNames()) {
        TRegistry Entry;
        Entry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!Entry.OpenKeyReadOnly(std::string(installlib::kUninstallKey) + "\\" + Key)) continue;
        const bool Named = Entry.ValueExists(installlib::kDisplayNameValue);
        if (!SameText(Named ? Entry.ReadString(installlib::kDisplayNameValue) : Key, Name)) continue;
        if (!Entry.ValueExists(installlib::kUninstallStringValue))
            throw Exception("\"" + Name + "\" has no UnInstallString");
        return Entry.ReadString(installlib::kUninstallStringValue);
    }
    throw Exception("no uninstall entry is named \"" + Name + "\"");
}

// As the system's list of installed programs does: starts the entry's
// command and answers its exit code once it has ended.
int Uninstall(const std::string& Name) {
    const std::string Command = UninstallCommand(Name);
    TProcess Process;
    if (!CreateProcess(Command, "", SW_SHOWNORMAL, Process))
        throw Exception(Command + ": " + SysErrorMessage(GetLastError()));
    Process.Wait(INFINITE);
    return static_cast<int>(Process.ExitCode());
}

int Batch(const std::vector<std::string>& Args) {
    for (size_t I = 0; I + 1 < Args.size(); ++I)
        if (SameText(Args[I], "/c") || SameText(Args[I], "/k")) return winenv::RunBatchFile(Args[I + 1]);
    throw Exception("usage: cmd /c FILE.bat");
}

bool EndsWithText(const std::string& Text, const std::string& End) {
    return Text.size() >= End.size() && SameText(Text.substr(Text.size() - End.size()), End);
}

int Dispatch(const std::string& Command, const std::vector<std::string>& Args) {
    if (Command == "init") return Init();
    if (Command == "show") return Show();
    if (Command == "path" && Args.size() == 1) return std::printf("%s\n", HostPath(Args[0]).c_str()) < 0;
    if (Command == "winpath" && Args.size() == 1) {
        const std::string Path = WinPathFromHost(fs::absolute(Args[0]));
        if (Path.empty()) throw Exception("no drive holds that host path");
        return std::printf("%s\n", Path.c_str()) < 0;
    }
    if (Command == "reg") return winenv::RegCommand(Args);
    if (Command == "lnk" && Args.size() == 1) return DumpLink(Args[0]);
    if (Command == "hold" && Args.size() == 1) Hold(Args[0]);
    if (Command == "product") return Product(Args);
    if (Command == "uninstall" && Args.size() == 1) return Uninstall(Args[0]);
    if (Command == "cmd") return Batch(Args);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> Args(argv + 1, argv + argc);
    try {
        // Installed as cmd.exe, the program is the command interpreter.
        if (EndsWithText(argv[0], "cmd.exe") || EndsWithText(argv[0], "/cmd")) return Batch(Args);
        if (Args.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const std::string Command = AnsiLowerCase(Args[0]);
        Args.erase(Args.begin());
        return Dispatch(Command, Args);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "winenv: %s\n", E.what());
        return 1;
    }
}
