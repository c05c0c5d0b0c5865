#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TempPrefix.h"
#include "platform/os/Drives.h"
#include "platform/os/Environment.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

uint32_t MapError(const std::string& WinPath) {
    fs::path Host;
    uint32_t Error = ERROR_SUCCESS;
    EXPECT_FALSE(TryHostPath(WinPath, Host, Error)) << WinPath << " mapped to " << Host;
    return Error;
}

}  // namespace

TEST(Prefix, SeedsLayoutOnFirstUseAndKeepsExistingFiles) {
    TTempPrefix Prefix;
    EXPECT_EQ(EnsurePrefix(), Prefix.Root());
    const std::string User = EmulatedUserName();
    for (const char* Folder : {"Program Files", "windows/system32", "ProgramData/Microsoft/Windows/Start Menu/Programs"})
        EXPECT_TRUE(fs::is_directory(Prefix.DriveC() / Folder)) << Folder;
    EXPECT_TRUE(fs::is_directory(Prefix.DriveC() / "users" / User / "Desktop"));
    EXPECT_TRUE(fs::is_directory(Prefix.DriveC() / "users" / User / "Temp"));
    EXPECT_NE(ReadHostFile(Prefix.Root() / "registry/HKLM.reg").find("\"ProgramFilesDir\"=\"C:\\\\Program Files\""),
              std::string::npos);

    // Seeding again never replaces what is there.
    WriteHostFile(Prefix.Root() / "environment", "TEMP=D:\\t\n");
    SeedPrefix(Prefix.Root());
    EXPECT_EQ(ReadHostFile(Prefix.Root() / "environment"), "TEMP=D:\\t\n");
}

TEST(Prefix, MissingEnvironmentFileIsSeededAgain) {
    TTempPrefix Prefix;
    EnsurePrefix();
    fs::remove(Prefix.Root() / "environment");
    EXPECT_EQ(GetEnvironmentVariable("SystemRoot"), "C:\\windows");
    EXPECT_TRUE(fs::exists(Prefix.Root() / "environment"));
}

TEST(Prefix, MalformedDriveTableNamesFileAndLine) {
    TTempPrefix Prefix;
    EnsurePrefix();
    WriteHostFile(Prefix.Root() / "drives", "C: fixed drive_c\nQ: floppy /media/q\n");
    try {
        HostPath("C:\\x");
        FAIL() << "a bad drive table was accepted";
    } catch (const EOSError& E) {
        EXPECT_NE(std::string(E.what()).find((Prefix.Root() / "drives").string() + ":2:"), std::string::npos) << E.what();
    }
}

TEST(Paths, MapDrivesIgnoringCaseOfExistingComponents) {
    TTempPrefix Prefix;
    EnsurePrefix();
    fs::create_directories(Prefix.DriveC() / "Program Files" / "Ostrevan");
    EXPECT_EQ(HostPath("C:\\program files\\OSTREVAN\\New Folder\\a.txt"),
              Prefix.DriveC() / "Program Files" / "Ostrevan" / "New Folder" / "a.txt");
    EXPECT_EQ(HostPath("c:/PROGRAM FILES/ostrevan"), Prefix.DriveC() / "Program Files" / "Ostrevan");
    EXPECT_EQ(HostPath("C:\\a\\.\\b\\..\\c\\"), Prefix.DriveC() / "a" / "c");
    // Windows drops trailing dots and blanks of names.
    EXPECT_EQ(HostPath("C:\\Program Files. \\x"), Prefix.DriveC() / "Program Files" / "x");
    EXPECT_EQ(HostPath("\\\\?\\C:\\windows"), Prefix.DriveC() / "windows");
}

TEST(Paths, MapUncSharesUnderThePrefix) {
    TTempPrefix Prefix;
    EnsurePrefix();
    fs::create_directories(Prefix.Root() / "unc" / "Server" / "Share");
    EXPECT_EQ(HostPath("\\\\SERVER\\share\\dir\\f.txt"), Prefix.Root() / "unc" / "Server" / "Share" / "dir" / "f.txt");
    EXPECT_EQ(HostPath("\\\\?\\UNC\\server\\share"), Prefix.Root() / "unc" / "Server" / "Share");
    EXPECT_EQ(WinPathFromHost(Prefix.Root() / "unc" / "Server" / "Share" / "dir"), "\\\\Server\\Share\\dir");
    EXPECT_EQ(GetDriveType("\\\\server\\share\\x"), DRIVE_REMOTE);
    EXPECT_EQ(MapError("\\\\server"), ERROR_BAD_PATHNAME);
}

TEST(Paths, RefuseInvalidNamesWithTheWindowsCode) {
    TTempPrefix Prefix;
    for (const char* Bad : {"C:\\a<b", "C:\\a>b", "C:\\a|b", "C:\\a\"b", "C:\\a?b", "C:\\a*b", "C:\\a:b", "C:\\a\tb",
                            "1:\\x", "\\\\.\\PhysicalDrive0"})
        EXPECT_EQ(MapError(Bad), ERROR_INVALID_NAME) << Bad;
    EXPECT_EQ(MapError("C:\\" + std::string(256, 'a')), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(MapError("Q:\\nothing"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(MapError(""), ERROR_PATH_NOT_FOUND);
    try {
        HostPath("C:\\a?b");
        FAIL();
    } catch (const EOSError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_INVALID_NAME);
        EXPECT_NE(std::string(E.what()).find("C:\\a?b"), std::string::npos);
    }
    EXPECT_FALSE(ForceDirectories("C:\\bad|name"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST(Paths, HostPathsOutsideThePrefixLieOnDriveZ) {
    TTempPrefix Prefix;
    EXPECT_EQ(WinPathFromHost("/usr/bin"), "Z:\\usr\\bin");
    EXPECT_EQ(WinPathFromHost(Prefix.DriveC() / "windows" / "system32"), "C:\\windows\\system32");
    EXPECT_EQ(WinPathFromHost(Prefix.DriveC()), "C:\\");
    EXPECT_EQ(HostPath("Z:\\usr\\bin"), fs::path("/usr/bin"));
    EXPECT_EQ(GetDriveType("Z:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType("C:"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType("Q:\\"), DRIVE_NO_ROOT_DIR);
    const std::string Self = GetModuleFileName();
    EXPECT_EQ(Self.rfind("Z:\\", 0), 0u) << Self;
    EXPECT_EQ(GetDriveType(Self), DRIVE_FIXED);
}

TEST(Paths, DriveTableGivesLettersAndKinds) {
    TTempPrefix Prefix;
    EnsurePrefix();
    fs::create_directories(Prefix.Root() / "media");
    WriteHostFile(Prefix.Root() / "drives", "C: fixed drive_c\nd: cdrom media\nE: removable /tmp\n");
    EXPECT_EQ(HostPath("D:\\setup.exe"), Prefix.Root() / "media" / "setup.exe");
    EXPECT_EQ(GetDriveType("D:\\"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType("e:\\x\\y"), DRIVE_REMOVABLE);
    EXPECT_EQ(WinPathFromHost(Prefix.Root() / "media" / "a"), "D:\\a");
    EXPECT_EQ(WinPathFromHost("/usr"), "");  // no Z: any more
}

TEST(Files, CreateRemoveAndDeleteOverWindowsPaths) {
    TTempPrefix Prefix;
    EXPECT_TRUE(ForceDirectories("C:\\Program Files\\Ostrevan\\Navitrex\\Data"));
    EXPECT_TRUE(DirectoryExists("c:\\program files\\ostrevan\\navitrex\\data\\"));
    EXPECT_FALSE(FileExists("C:\\Program Files\\Ostrevan"));
    EXPECT_FALSE(RemoveDir("C:\\Program Files\\Ostrevan"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);

    OpenFileStream("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo", fmCreate)->WriteBuffer("x", 1);
    EXPECT_TRUE(FileExists("C:\\PROGRAM FILES\\OSTREVAN\\NAVITREX\\DATA\\A.NVO"));
    EXPECT_FALSE(DeleteFile("C:\\Program Files\\Ostrevan\\Navitrex\\Data"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    // A read-only file resists deletion until its attributes are cleared.
    EXPECT_TRUE(SetFileAttributes("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributes("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo"),
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(DeleteFile("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo"));
    EXPECT_TRUE(ClearFileAttributes("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo"));
    EXPECT_TRUE(DeleteFile("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo"));
    EXPECT_FALSE(DeleteFile("C:\\Program Files\\Ostrevan\\Navitrex\\Data\\a.nvo"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFile("C:\\nowhere\\a.nvo"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    EXPECT_TRUE(RemoveDir("C:\\Program Files\\Ostrevan\\Navitrex\\Data"));
    EXPECT_TRUE(CreateDir("C:\\Program Files\\Ostrevan\\Navitrex\\Data"));
    EXPECT_FALSE(CreateDir("C:\\Program Files\\Ostrevan\\Navitrex\\Data"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileAttributes("C:\\missing"), INVALID_FILE_ATTRIBUTES);
}

TEST(Files, CurrentFolderIsAWindowsPath) {
    TTempPrefix Prefix;
    const fs::path Saved = fs::current_path();
    ASSERT_TRUE(ForceDirectories("C:\\work\\here"));
    ASSERT_TRUE(SetCurrentDir("c:\\WORK\\here"));
    EXPECT_EQ(GetCurrentDir(), "C:\\work\\here");
    EXPECT_EQ(HostPath("file.txt"), Prefix.DriveC() / "work" / "here" / "file.txt");
    EXPECT_EQ(HostPath("\\windows"), Prefix.DriveC() / "windows");
    EXPECT_EQ(HostPath("C:rel"), Prefix.DriveC() / "work" / "here" / "rel");
    EXPECT_FALSE(SetCurrentDir("C:\\no\\such"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    fs::current_path(Saved);
}

TEST(Files, ExclusiveWriteFailsWhileAnotherProcessHoldsTheFile) {
    TTempPrefix Prefix;
    const std::string File = "C:\\held.txt";
    OpenFileStream(File, fmCreate)->WriteBuffer("data", 4);
    int Ready[2], Release[2];
    ASSERT_EQ(::pipe(Ready), 0);
    ASSERT_EQ(::pipe(Release), 0);
    const pid_t Child = ::fork();
    if (Child == 0) {
        auto Held = OpenFileStream(File, fmOpenWrite | fmShareExclusive);
        char Byte = 1;
        [[maybe_unused]] auto W = ::write(Ready[1], &Byte, 1);
        [[maybe_unused]] auto R = ::read(Release[0], &Byte, 1);
        ::_exit(0);
    }
    char Byte = 0;
    ASSERT_EQ(::read(Ready[0], &Byte, 1), 1);
    try {
        OpenFileStream(File, fmOpenWrite | fmShareExclusive);
        ADD_FAILURE() << "opened a file another process holds";
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_SHARING_VIOLATION);
        EXPECT_NE(std::string(E.what()).find(File), std::string::npos) << E.what();
    }
    EXPECT_FALSE(DeleteFile(File));  // a held file cannot be deleted either
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    ASSERT_EQ(::write(Release[1], &Byte, 1), 1);
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    EXPECT_NO_THROW(OpenFileStream(File, fmOpenWrite | fmShareExclusive));
    for (int Fd : {Ready[0], Ready[1], Release[0], Release[1]}) ::close(Fd);
}

TEST(Environment, ExpandsLikeThePlatform) {
    TTempPrefix Prefix;
    EnsurePrefix();
    WriteHostFile(Prefix.Root() / "environment", "SystemRoot=C:\\windows\nTEMP=C:\\users\\u\\Temp\nEmpty=\n");
    EXPECT_EQ(ExpandEnvironmentStrings("%systemroot%\\system32"), "C:\\windows\\system32");
    EXPECT_EQ(ExpandEnvironmentStrings("%TEMP%%SYSTEMROOT%"), "C:\\users\\u\\TempC:\\windows");
    EXPECT_EQ(ExpandEnvironmentStrings("%NoSuchVariable%\\x"), "%NoSuchVariable%\\x");
    EXPECT_EQ(ExpandEnvironmentStrings("100% sure"), "100% sure");
    EXPECT_EQ(ExpandEnvironmentStrings("50%% of %TEMP%"), "50%% of C:\\users\\u\\Temp");
    EXPECT_EQ(ExpandEnvironmentStrings("[%Empty%]"), "[]");

    SetEnvironmentVariable("Local", "here");
    EXPECT_EQ(ExpandEnvironmentStrings("%LOCAL%"), "here");
    RemoveEnvironmentVariable("temp");
    EXPECT_EQ(ExpandEnvironmentStrings("%TEMP%"), "%TEMP%");
    std::string Value;
    EXPECT_FALSE(GetEnvironmentVariable("TEMP", Value));
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
    RemoveEnvironmentVariable("Local");

    // The two-call convention: learn the size, then fill exactly that buffer.
    const uint32_t Needed = ExpandEnvironmentStringsA("%SystemRoot%", nullptr, 0);
    EXPECT_EQ(Needed, 11u);
    std::string Buffer(Needed, 'x');
    EXPECT_EQ(ExpandEnvironmentStringsA("%SystemRoot%", Buffer.data(), Needed), Needed);
    EXPECT_STREQ(Buffer.c_str(), "C:\\windows");
}

TEST(Environment, SystemAndTemporaryFolders) {
    TTempPrefix Prefix;
    EXPECT_EQ(GetSystemDirectory(), "C:\\windows\\system32");
    char Small[4];
    EXPECT_EQ(GetSystemDirectoryA(Small, sizeof Small), 20u);
    char Buffer[260];
    EXPECT_EQ(GetSystemDirectoryA(Buffer, sizeof Buffer), 19u);
    EXPECT_STREQ(Buffer, "C:\\windows\\system32");
    EXPECT_EQ(GetTempPath(), "C:\\users\\" + EmulatedUserName() + "\\Temp\\");
    EXPECT_TRUE(DirectoryExists(GetTempPath()));
}
