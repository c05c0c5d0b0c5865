#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TempPrefix.h"
#include "platform/os/Environment.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

// A host script placed in the emulated system folder under a Windows name.
void InstallScript(const TTempPrefix& Prefix, const std::string& Name, const std::string& Body) {
    const fs::path File = Prefix.DriveC() / "windows" / "system32" / Name;
    WriteHostFile(File, "#!/bin/sh\n" + Body + "\n");
    fs::permissions(File, fs::perms::owner_all);
}

}  // namespace

TEST(CommandLine, SplitsAndQuotesAsTheRuntimeDoes) {
    EXPECT_EQ(CommandLineToArgs("a \"b c\" d\\\"e \"f\\\\\" g\\h"),
              (std::vector<std::string>{"a", "b c", "d\"e", "f\\", "g\\h"}));
    EXPECT_EQ(CommandLineToArgs("  \"\"  x\t"), (std::vector<std::string>{"", "x"}));
    EXPECT_EQ(CommandLineToArgs("/quiet /X{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}"),
              (std::vector<std::string>{"/quiet", "/X{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}"}));
    for (const std::string Arg : {"plain", "with space", "quote\"inside", "trail\\", "dir with\\", "", "\\\\srv\\s"})
        EXPECT_EQ(CommandLineToArgs(QuoteArg(Arg) + " next"), (std::vector<std::string>{Arg, "next"})) << Arg;
}

TEST(Process, FindsProgramsInTheSystemFolderIgnoringCase) {
    TTempPrefix Prefix;
    EnsurePrefix();
    InstallScript(Prefix, "MyTool.exe", "exit 0");
    EXPECT_EQ(FindProgram("mytool"), "C:\\windows\\system32\\mytool.exe");
    EXPECT_TRUE(FileExists(FindProgram("MYTOOL.EXE")));
    EXPECT_EQ(FindProgram("NoSuchTool"), "");
}

TEST(Process, ExitCodesComeBack) {
    TTempPrefix Prefix;
    EnsurePrefix();
    InstallScript(Prefix, "Exits.exe", "exit \"$1\"");
    for (uint32_t Code : {0u, 7u, 255u}) {
        TProcess Process;
        ASSERT_TRUE(CreateProcess("Exits.exe " + std::to_string(Code), "", 1, Process));
        EXPECT_EQ(Process.Wait(INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(Process.ExitCode(), Code);
    }
    TProcess Sleeper;
    ASSERT_TRUE(CreateProcess("Z:\\bin\\sleep 5", "", 1, Sleeper));
    EXPECT_EQ(Sleeper.ExitCode(), STILL_ACTIVE);
    EXPECT_EQ(Sleeper.Wait(50), WAIT_TIMEOUT);
    EXPECT_TRUE(Sleeper.Terminate());
    EXPECT_EQ(Sleeper.ExitCode(), 128u + 9u);
}

TEST(Process, ArgumentsFolderAndEnvironmentReachTheChild) {
    TTempPrefix Prefix;
    EnsurePrefix();
    InstallScript(Prefix, "Report.exe", "printf '%s|%s|%s|%s' \"$1\" \"$2\" \"$(pwd)\" \"$WINENV_PREFIX\" > \"$3\"");
    ASSERT_TRUE(ForceDirectories("C:\\Work Folder"));
    const fs::path Out = Prefix.Root() / "out.txt";
    TProcess Process;
    ASSERT_TRUE(CreateProcess("\"C:\\windows\\system32\\Report.exe\" \"two words\" x\\\"y " + Out.string(),
                              "c:\\work folder", 1, Process));
    ASSERT_EQ(Process.Wait(INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(ReadHostFile(Out), "two words|x\"y|" + (Prefix.DriveC() / "Work Folder").string() + "|" + Prefix.Root().string());
}

TEST(Process, PumpRunsWhileWaiting) {
    TTempPrefix Prefix;
    int Pumps = 0;
    SetMessagePump([&] { ++Pumps; });
    TProcess Process;
    ASSERT_TRUE(CreateProcess("Z:\\bin\\sleep 0.6", "", 1, Process));
    EXPECT_EQ(Process.WaitPumping(INFINITE), WAIT_OBJECT_0);
    SetMessagePump(nullptr);
    EXPECT_EQ(Process.ExitCode(), 0u);
    EXPECT_GE(Pumps, 6);  // far more often than once a second
    PumpMessages();       // no pump set: nothing happens
    EXPECT_GE(Pumps, 6);
}

TEST(Process, MissingOrForeignProgramsFailCleanly) {
    TTempPrefix Prefix;
    EnsurePrefix();
    TProcess Process;
    EXPECT_FALSE(CreateProcess("MsiExec.exe /quiet /X{0}", "", 1, Process));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Process.Valid());
    EXPECT_EQ(Process.Wait(10), WAIT_FAILED);
    EXPECT_FALSE(CreateProcess("", "", 1, Process));
    EXPECT_EQ(WinExec("C:\\nothing\\here.exe", 0), ERROR_FILE_NOT_FOUND);

    WriteHostFile(Prefix.DriveC() / "windows" / "data.exe", "not a program");
    EXPECT_FALSE(CreateProcess("data.exe", "", 1, Process));
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(WinExec("data.exe", 0), ERROR_BAD_FORMAT);
    EXPECT_FALSE(CreateProcess("Z:\\bin\\sh", "C:\\no\\folder", 1, Process));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST(Process, UnquotedPathsWithBlanksAreFound) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Tool"));
    const fs::path File = Prefix.DriveC() / "Program Files" / "Tool" / "run.exe";
    WriteHostFile(File, "#!/bin/sh\nexit 3\n");
    fs::permissions(File, fs::perms::owner_all);
    TProcess Process;
    ASSERT_TRUE(CreateProcess("C:\\Program Files\\Tool\\run.exe arg", "", 1, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 3u);
}

TEST(Process, ProgramsWrittenWithoutExecutePermissionRun) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Tool"));
    // Written as an installer writes any file: read and write only.
    auto File = OpenFileStream("C:\\Program Files\\Tool\\plain.exe", fmCreate);
    File->WriteBuffer("#!/bin/sh\nexit 4\n", 17);
    File.reset();
    TProcess Process;
    ASSERT_TRUE(CreateProcess("\"C:\\Program Files\\Tool\\plain.exe\"", "", 1, Process));
    Process.Wait(INFINITE);
    EXPECT_EQ(Process.ExitCode(), 4u);
}
