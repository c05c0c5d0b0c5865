#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "Products.h"
#include "platform/os/Environment.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Registry.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"
#include "platform/os/tests/TempPrefix.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

const char* const kOldProduct = "{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}";

std::string ShellQuote(const std::string& Arg) {
    std::string Out = "'";
    for (char C : Arg) Out += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Out + "'";
}

// Runs winenv with Args; answers its exit code and fills Output with stdout.
int Winenv(const std::vector<std::string>& Args, std::string* Output = nullptr) {
    std::string Command = ShellQuote(WINENV_TOOL);
    for (const std::string& Arg : Args) Command += ' ' + ShellQuote(Arg);
    FILE* Pipe = ::popen((Command + " 2>/dev/null").c_str(), "r");
    std::string Text;
    char Buffer[4096];
    for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0;) Text.append(Buffer, Got);
    const int Status = ::pclose(Pipe);
    if (Output) *Output = Text;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

void WriteWinFile(const std::string& WinPath, const std::string& Text) {
    OpenFileStream(WinPath, fmCreate)->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

bool WaitUntil(const std::function<bool()>& Done) {
    for (int I = 0; I < 200; ++I) {
        if (Done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Done();
}

}  // namespace

TEST(WinenvTool, InitSeedsThePrefixAndInstallsItsPrograms) {
    TTempPrefix Prefix;
    std::string Out;
    ASSERT_EQ(Winenv({"init"}, &Out), 0);
    EXPECT_EQ(Out, Prefix.Root().string() + "\n");
    EXPECT_TRUE(FileExists("C:\\windows\\system32\\msiexec.exe"));
    EXPECT_TRUE(FileExists("C:\\windows\\system32\\cmd.exe"));
    EXPECT_EQ(FindProgram("MsiExec.exe"), "C:\\windows\\system32\\MsiExec.exe");
    ASSERT_EQ(Winenv({"init"}), 0);  // again: nothing breaks
    ASSERT_EQ(Winenv({"show"}, &Out), 0);
    EXPECT_NE(Out.find("C: fixed"), std::string::npos) << Out;
}

TEST(WinenvTool, PathsAndBadInput) {
    TTempPrefix Prefix;
    std::string Out;
    ASSERT_EQ(Winenv({"path", "C:\\Windows\\System32"}, &Out), 0);
    EXPECT_EQ(Out, (Prefix.DriveC() / "windows" / "system32").string() + "\n");
    ASSERT_EQ(Winenv({"winpath", (Prefix.DriveC() / "users").string()}, &Out), 0);
    EXPECT_EQ(Out, "C:\\users\n");
    EXPECT_EQ(Winenv({"path", "C:\\a|b"}), 1);
    EXPECT_EQ(Winenv({"path", "C:\\" + std::string(300, 'x')}), 1);
    EXPECT_EQ(Winenv({"lnk", "C:\\missing.lnk"}), 1);
    EXPECT_EQ(Winenv({"nonsense"}), 2);
    WriteHostFile(Prefix.Root() / "registry" / "HKLM.reg", "not a hive");
    EXPECT_EQ(Winenv({"reg", "query", "HKLM\\Software"}), 1);
}

TEST(WinenvTool, RegistryCommands) {
    TTempPrefix Prefix;
    std::string Out;
    ASSERT_EQ(Winenv({"reg", "add", "HKLM\\Software\\Ostrevan\\Navitrex", "/v", "NVOCC", "/d", "acme, beta", "/f"}), 0);
    ASSERT_EQ(Winenv({"reg", "add", "HKLM\\Software\\Ostrevan\\Navitrex", "/v", "Count", "/t", "REG_DWORD", "/d", "0x10"}), 0);
    ASSERT_EQ(Winenv({"reg", "add", "HKCR\\.bld", "/ve", "/d", "bldfile"}), 0);

    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey("Software\\Ostrevan\\Navitrex", false));
    EXPECT_EQ(Reg.ReadString("NVOCC"), "acme, beta");
    EXPECT_EQ(Reg.ReadInteger("Count"), 16);

    ASSERT_EQ(Winenv({"reg", "query", "HKEY_LOCAL_MACHINE\\software\\ostrevan", "/s"}, &Out), 0);
    EXPECT_NE(Out.find("    NVOCC    REG_SZ    acme, beta"), std::string::npos) << Out;
    EXPECT_NE(Out.find("    Count    REG_DWORD    0x10"), std::string::npos) << Out;
    ASSERT_EQ(Winenv({"reg", "export", "HKCR\\.bld"}, &Out), 0);
    EXPECT_EQ(Out, "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.bld]\n@=\"bldfile\"\n\n");

    ASSERT_EQ(Winenv({"reg", "delete", "HKLM\\Software\\Ostrevan\\Navitrex", "/v", "Count"}), 0);
    EXPECT_FALSE(Reg.ValueExists("Count"));
    ASSERT_EQ(Winenv({"reg", "delete", "HKLM\\Software\\Ostrevan", "/f"}), 0);
    EXPECT_FALSE(Reg.KeyExists("\\Software\\Ostrevan"));
    EXPECT_EQ(Winenv({"reg", "query", "HKLM\\Software\\Ostrevan"}), 1);
    EXPECT_EQ(Winenv({"reg", "add", "HKNOWHERE\\x"}), 1);
}

TEST(WinenvTool, RegistryDataIsCheckedAsTheSystemToolChecksIt) {
    TTempPrefix Prefix;
    const std::string Key = "HKCU\\Software\\Tipos";
    struct TCase {
        const char* Type;
        const char* Data;
        const char* Shown;  // nullptr: refused
    };
    const TCase Cases[] = {
        {"REG_DWORD", "4294967295", "REG_DWORD    0xffffffff"},
        {"REG_DWORD", "0x10", "REG_DWORD    0x10"},
        {"REG_DWORD", "4294967296", nullptr},
        {"REG_DWORD", "12abc", nullptr},
        {"REG_DWORD", "-1", nullptr},
        {"REG_DWORD", "0x", nullptr},
        {"REG_QWORD", "0x0123456789abcdef", "REG_QWORD    0x123456789abcdef"},
        {"REG_QWORD", "18446744073709551616", nullptr},
        {"REG_BINARY", "00ff10", "REG_BINARY    00FF10"},
        {"REG_BINARY", "0g", nullptr},
        {"REG_BINARY", "abc", nullptr},
        {"REG_NONE", "c0de", "REG_NONE    C0DE"},
        {"REG_NONE", "", "REG_NONE    "},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Type) + " " + Case.Data);
        const std::string Name = std::string("V").append(std::to_string(&Case - Cases));
        const int Added = Winenv({"reg", "add", Key, "/v", Name, "/t", Case.Type, "/d", Case.Data});
        std::string Out;
        const int Queried = Winenv({"reg", "query", Key, "/v", Name}, &Out);
        if (!Case.Shown) {
            EXPECT_EQ(Added, 1);
            EXPECT_EQ(Queried, 1) << "refused data changed nothing";
        } else {
            EXPECT_EQ(Added, 0);
            EXPECT_NE(Out.find("    " + Name + "    " + Case.Shown + "\n"), std::string::npos) << Out;
        }
    }
}

TEST(WinenvTool, RootValuesAndImportedFiles) {
    TTempPrefix Prefix;
    std::string Out;
    ASSERT_EQ(Winenv({"reg", "add", "HKCU", "/v", "RootVal", "/d", "hello"}), 0);
    ASSERT_EQ(Winenv({"reg", "query", "HKCU", "/v", "RootVal"}, &Out), 0);
    EXPECT_NE(Out.find("    RootVal    REG_SZ    hello\n"), std::string::npos) << Out;
    ASSERT_EQ(Winenv({"reg", "export", "HKCU"}, &Out), 0);
    EXPECT_EQ(Out.rfind("REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"RootVal\"=\"hello\"\n\n", 0), 0u) << Out;

    const fs::path File = Prefix.Root().parent_path() / (Prefix.Root().filename().string() + "-import.reg");
    WriteHostFile(File, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n\"RootVal\"=-\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Ostrevan]\r\n\"Cidade\"=\"Itaja\xED\"\r\n");
    ASSERT_EQ(Winenv({"reg", "import", File.string()}), 0);
    fs::remove(File);
    EXPECT_EQ(Winenv({"reg", "query", "HKCU", "/v", "RootVal"}), 1);
    ASSERT_EQ(Winenv({"reg", "query", "HKLM\\Software\\Ostrevan"}, &Out), 0);
    EXPECT_NE(Out.find("    Cidade    REG_SZ    Itajaí\n"), std::string::npos) << Out;
    EXPECT_EQ(Winenv({"reg", "import", File.string()}), 1);  // gone
}

TEST(WinenvTool, DumpsShortcuts) {
    TTempPrefix Prefix;
    TShellLink Link;
    Link.SetPath("C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe");
    Link.SetArguments("\"NVOCC=Acme\"");
    Link.SetIconLocation("C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe", 0);
    ASSERT_EQ(Link.Save("C:\\users\\Public\\Desktop\\Acme.lnk"), S_OK);
    std::string Out;
    ASSERT_EQ(Winenv({"lnk", "C:\\users\\public\\desktop\\acme.lnk"}, &Out), 0);
    EXPECT_NE(Out.find("Target:       C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe\n"), std::string::npos) << Out;
    EXPECT_NE(Out.find("Arguments:    \"NVOCC=Acme\"\n"), std::string::npos) << Out;
}

TEST(WinenvTool, HeldFileRefusesExclusiveWritersUntilTheHolderEnds) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Ostrevan\\Navitrex"));
    const std::string File = "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe";
    WriteWinFile(File, "old");

    int Out[2];
    ASSERT_EQ(::pipe(Out), 0);
    const pid_t Holder = ::fork();
    if (Holder == 0) {
        ::dup2(Out[1], 1);
        ::execl(WINENV_TOOL, WINENV_TOOL, "hold", File.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(Out[1]);
    char Line[256] = {};
    ASSERT_GT(::read(Out[0], Line, sizeof Line - 1), 0);
    EXPECT_EQ(std::string(Line).rfind("holding ", 0), 0u);

    try {
        OpenFileStream(File, fmCreate);
        ADD_FAILURE() << "created a file another process holds";
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadHostFile(HostPath(File)), "old");  // never emptied while held

    ::kill(Holder, SIGTERM);
    ::waitpid(Holder, nullptr, 0);
    ::close(Out[0]);
    EXPECT_NO_THROW(WriteWinFile(File, "new"));
    EXPECT_EQ(ReadHostFile(HostPath(File)), "new");
}

TEST(Msiexec, RemovesARegisteredProductAndAnswers1605ForAnUnknownOne) {
    TTempPrefix Prefix;
    ASSERT_EQ(Winenv({"init"}), 0);
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Old\\Bin"));
    WriteWinFile("C:\\Program Files\\Old\\Bin\\old.exe", "x");
    WriteWinFile("C:\\Program Files\\Old\\readme.txt", "x");
    WriteWinFile("C:\\Program Files\\Old\\user-data.txt", "kept");
    ASSERT_EQ(Winenv({"product", "add", kOldProduct, "Navitrex (old)", "C:\\Program Files\\Old\\",
                      "C:\\Program Files\\Old\\Bin\\", "C:\\Program Files\\Old\\Bin\\old.exe",
                      "C:\\Program Files\\Old\\readme.txt"}),
              0);
    EXPECT_TRUE(msiexec::ProductRegistered(kOldProduct));

    // Started the way the setup program starts it: found in the system folder ignoring case.
    TProcess Process;
    ASSERT_TRUE(CreateProcess(std::string("MsiExec.exe /quiet /X") + kOldProduct, "", 1, Process));
    ASSERT_EQ(Process.WaitPumping(INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(Process.ExitCode(), 0u);
    EXPECT_FALSE(msiexec::ProductRegistered(kOldProduct));
    EXPECT_FALSE(FileExists("C:\\Program Files\\Old\\Bin\\old.exe"));
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\Old\\Bin"));
    EXPECT_TRUE(FileExists("C:\\Program Files\\Old\\user-data.txt"));  // not the product's
    EXPECT_FALSE(fs::exists(msiexec::ManifestPath(kOldProduct)));

    ASSERT_TRUE(CreateProcess(std::string("MsiExec.exe /quiet /X") + kOldProduct, "", 1, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 1605u);
    ASSERT_TRUE(CreateProcess("msiexec /i something.msi", "", 1, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 1639u);
}

TEST(WinenvTool, UninstallRunsTheEntrysCommand) {
    TTempPrefix Prefix;
    ASSERT_EQ(Winenv({"init"}), 0);
    WriteWinFile("C:\\old.exe", "x");
    ASSERT_EQ(Winenv({"product", "add", kOldProduct, "Navitrex (old)", "C:\\old.exe"}), 0);

    EXPECT_EQ(Winenv({"uninstall", "navitrex (OLD)"}), 0);  // the display name, ignoring case
    EXPECT_FALSE(msiexec::ProductRegistered(kOldProduct));
    EXPECT_FALSE(FileExists("C:\\old.exe"));
    EXPECT_EQ(Winenv({"uninstall", "Navitrex (old)"}), 1) << "no such entry any more";

    // Without a display name the key name counts; the command's exit code comes back.
    const std::string Entries = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::string Command = std::string("MsiExec.exe /X") + kOldProduct;
    ASSERT_EQ(Winenv({"reg", "add", Entries + "Gone", "/v", "UnInstallString", "/d", Command}), 0);
    EXPECT_EQ(Winenv({"uninstall", "gone"}), 1605 % 256);
    ASSERT_EQ(Winenv({"reg", "add", Entries + "Bare", "/v", "DisplayName", "/d", "Bare"}), 0);
    EXPECT_EQ(Winenv({"uninstall", "Bare"}), 1) << "an entry without a command";
}

TEST(Msiexec, AFileInUseKeepsTheProductRegistered) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\Old"));
    WriteWinFile("C:\\Old\\old.exe", "x");
    msiexec::RegisterProduct(kOldProduct, "Old", {"C:\\Old\\old.exe"});
    {
        auto Running = OpenFileStream("C:\\Old\\old.exe", fmOpenRead | fmShareDenyWrite);
        std::string Report;
        EXPECT_EQ(msiexec::RemoveProduct(kOldProduct, Report), msiexec::ExitInstallFailure);
        EXPECT_NE(Report.find("C:\\Old\\old.exe"), std::string::npos) << Report;
        EXPECT_TRUE(msiexec::ProductRegistered(kOldProduct));
    }
    std::string Report;
    EXPECT_EQ(msiexec::RemoveProduct(kOldProduct, Report), msiexec::ExitSuccess);
    EXPECT_FALSE(FileExists("C:\\Old\\old.exe"));
}

TEST(BatchFiles, TheSelfDeletionScriptRunsHidden) {
    TTempPrefix Prefix;
    ASSERT_EQ(Winenv({"init"}), 0);
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\App"));
    WriteWinFile("C:\\Program Files\\App\\Uninst.exe", "x");
    const std::string Batch = GetTempPath() + "uninstall1.bat";
    WriteWinFile(Batch, Utf8ToAnsi(":TryDelete\r\n"
                                   "del \"C:\\Program Files\\App\\Uninst.exe\"\r\n"
                                   "if Exist \"C:\\Program Files\\App\\Uninst.exe\" goto TryDelete\r\n"
                                   "rmdir \"C:\\Program Files\\App\\\"\r\n"
                                   "del " + Batch + "\r\n"));
    EXPECT_GT(WinExec(Batch, 0), 31u);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(Batch); }));
    EXPECT_FALSE(FileExists("C:\\Program Files\\App\\Uninst.exe"));
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\App"));
}

TEST(BatchFiles, UnknownCommandsFail) {
    TTempPrefix Prefix;
    ASSERT_EQ(Winenv({"init"}), 0);
    WriteWinFile("C:\\bad.bat", "@echo off\r\nformat c:\r\n");
    TProcess Process;
    ASSERT_TRUE(CreateProcess("C:\\bad.bat", "", 0, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 1u);
    WriteWinFile("C:\\loop.bat", "goto nowhere\r\n");
    ASSERT_TRUE(CreateProcess("C:\\loop.bat", "", 0, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 1u);
}
