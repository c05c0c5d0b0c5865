#include <gtest/gtest.h>

#include "platform/os/WinPath.h"

using namespace platform::os;

TEST(WinPath, DrivePart) {
    EXPECT_EQ(ExtractFileDrive("C:\\Program Files\\x"), "C:");
    EXPECT_EQ(ExtractFileDrive("d:"), "d:");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\dir\\f.txt"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server"), "");
    EXPECT_EQ(ExtractFileDrive("relative\\path"), "");
    EXPECT_TRUE(IsAbsoluteWinPath("C:\\x"));
    EXPECT_FALSE(IsAbsoluteWinPath("C:x"));
    EXPECT_FALSE(IsAbsoluteWinPath("\\x"));
    EXPECT_TRUE(IsAbsoluteWinPath("\\\\srv\\sh\\x"));
}

TEST(WinPath, TrailingBackslash) {
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
}

TEST(WinPath, NameFolderAndExtension) {
    EXPECT_EQ(ExtractFileName("C:\\a\\b.TXT"), "b.TXT");
    EXPECT_EQ(ExtractFileName("C:b.txt"), "b.txt");
    EXPECT_EQ(ExtractFileName("b.txt"), "b.txt");
    EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(ExtractFilePath("b.txt"), "");
    EXPECT_EQ(ExtractFileDir("C:\\a\\b.txt"), "C:\\a");
    EXPECT_EQ(ExtractFileDir("C:\\b.txt"), "C:\\");
    EXPECT_EQ(ExtractFileExt("C:\\a.d\\b.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("C:\\a.d\\b"), "");
    EXPECT_EQ(ChangeFileExt("C:\\a.d\\b.exe", ".log"), "C:\\a.d\\b.log");
    EXPECT_EQ(ChangeFileExt("C:\\a.d\\b", ".log"), "C:\\a.d\\b.log");
}

TEST(WinPath, CanonicalPathsAsTheShellStoresThem) {
    const std::pair<const char*, const char*> Cases[] = {
        {"C:/Program Files/Ostrevan/App.exe", "C:\\Program Files\\Ostrevan\\App.exe"},
        {"C:\\a\\.\\b\\..\\c\\\\d.txt", "C:\\a\\c\\d.txt"},
        {"C:\\..\\..\\x", "C:\\x"},
        {"C:\\a\\..", "C:\\"},
        {"C:\\a\\b\\", "C:\\a\\b\\"},
        {"//server/share/./dir/../f.txt", "\\\\server\\share\\f.txt"},
        {"relative/a.txt", "relative\\a.txt"},
    };
    for (const auto& [Path, Canonical] : Cases) EXPECT_EQ(CanonicalWinPath(Path), Canonical) << Path;
}

TEST(WinPath, FileNamesWindowsCannotHold) {
    for (const char* Refused : {"", ".", "..", "a?b", "a*", "tab\tname", "a<b", "a|b", "a\"b", "a:b", "a/b", "a\\b",
                                "dot.", "blank ", "CON", "con.txt", "CON .txt", "Nul", "COM1.dat", "lpt9"})
        EXPECT_NE(FileNameProblem(Refused), "") << Refused;
    for (const char* Accepted :
         {"Navitrex.exe", "Transportes Marítimos.nvo", ".hidden", "COM10", "CONSOLE.txt", "a..b"})
        EXPECT_EQ(FileNameProblem(Accepted), "") << Accepted;
}
