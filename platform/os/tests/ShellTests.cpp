#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TempPrefix.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

// The shortcut to C:\test\a.txt given as the example of the link format.
const char* const kSampleLinkHex =
    "4C0000000114020000000000C0000000000000469B00080020000000D0E9EEF2"
    "1515C901D0E9EEF21515C901D0E9EEF21515C901000000000000000001000000"
    "000000000000000000000000BD0014001F50E04FD020EA3A6910A2D808002B30"
    "309D19002F433A5C000000000000000000000000000000000000004600310000"
    "0000002C3969A31000746573740000320007000400EFBE2C3965A32C3969A326"
    "000000031E00000000F51E000000000000000000007400650073007400000014"
    "0048003200000000002C3969A32000612E74787400340007000400EFBE2C3969"
    "A32C3969A3260000002D6E0000000096010000000000000000000061002E0074"
    "00780074000000140000003C0000001C000000010000001C0000002D00000000"
    "0000003B0000001100000003000000818A7A301000000000433A5C746573745C"
    "612E747874000007002E005C0061002E00740078007400070043003A005C0074"
    "0065007300740060000000030000A0580000000000000063687269732D787073"
    "000000000000004078C79447FAC746B3565C2DC6B6D115EC46CD7B227FDD1194"
    "9900137216874A4078C79447FAC746B3565C2DC6B6D115EC46CD7B227FDD1194"
    "9900137216874A00000000";

std::string FromHex(std::string_view Hex) {
    std::string Out;
    for (size_t I = 0; I + 1 < Hex.size(); I += 2) Out += static_cast<char>(std::stoi(std::string(Hex.substr(I, 2)), nullptr, 16));
    return Out;
}

uint32_t U32At(const std::string& Bytes, size_t At) {
    uint32_t V = 0;
    for (int I = 3; I >= 0; --I) V = (V << 8) | static_cast<unsigned char>(Bytes[At + I]);
    return V;
}

std::string ShellLog() { return ReadHostFile(ShellLogPath()); }

}  // namespace

TEST(ShellFolders, KnownFoldersResolveToSeededFolders) {
    TTempPrefix Prefix;
    const std::string User = EmulatedUserName();
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOP), "C:\\users\\" + User + "\\Desktop");
    EXPECT_EQ(SpecialFolderPath(CSIDL_PROGRAMS),
              "C:\\users\\" + User + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(SpecialFolderPath(CSIDL_COMMON_PROGRAMS), "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(SpecialFolderPath(CSIDL_SYSTEM | CSIDL_FLAG_CREATE), "C:\\windows\\system32");
    for (int Folder : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_FONTS, CSIDL_PERSONAL})
        EXPECT_TRUE(DirectoryExists(SpecialFolderPath(Folder))) << Folder;
}

TEST(ShellFolders, UnknownAndVirtualFoldersFailAsOnThePlatform) {
    TTempPrefix Prefix;
    TItemIDList List;
    List.Path = "untouched";
    EXPECT_EQ(SHGetSpecialFolderLocation(0x77, List), E_INVALIDARG);
    EXPECT_EQ(List.Path, "untouched");

    EXPECT_EQ(SHGetSpecialFolderLocation(CSIDL_DRIVES, List), S_OK);
    std::string Path = "caller's";
    EXPECT_FALSE(SHGetPathFromIDList(List, Path));
    EXPECT_EQ(Path, "caller's");
    EXPECT_EQ(SpecialFolderPath(CSIDL_PRINTERS), "");
}

TEST(ShellLink, EveryFieldRoundTrips) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Ostrevan\\Navitrex"));
    OpenFileStream("C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe", fmCreate)->WriteBuffer("MZ", 2);

    TShellLink Link;
    Link.SetPath("C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe");
    Link.SetArguments("\"NVOCC=Açme Transportes\"");
    Link.SetWorkingDirectory("C:\\Program Files\\Ostrevan");
    Link.SetShowCmd(3);
    Link.SetIconLocation("C:\\Program Files\\Ostrevan\\Navitrex\\bldfile.ico", 2);
    Link.SetDescription("Navitrex — BL");
    const std::string LinkFile = SpecialFolderPath(CSIDL_DESKTOP) + "\\Açme.lnk";
    ASSERT_EQ(Link.Save(LinkFile), S_OK);
    EXPECT_TRUE(FileExists(LinkFile));

    TShellLink Back;
    ASSERT_EQ(Back.Load(LinkFile), S_OK);
    const TShellLinkData& D = Back.Data();
    EXPECT_EQ(D.Target, "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe");
    EXPECT_EQ(D.Arguments, "\"NVOCC=Açme Transportes\"");
    EXPECT_EQ(D.WorkingDir, "C:\\Program Files\\Ostrevan");
    EXPECT_EQ(D.ShowCmd, 3);
    EXPECT_EQ(D.IconLocation, "C:\\Program Files\\Ostrevan\\Navitrex\\bldfile.ico");
    EXPECT_EQ(D.IconIndex, 2);
    EXPECT_EQ(D.Description, "Navitrex — BL");
    EXPECT_EQ(Back.Load("C:\\missing.lnk"), E_FAIL);
}

TEST(ShellLink, WritesTheHeaderIdListAndLocalBasePath) {
    TTempPrefix Prefix;  // the link records the kind of the target's drive
    TShellLinkData Data;
    Data.Target = "C:\\Program Files\\Ostrevan\\App.exe";
    const std::string Bytes = EncodeShellLink(Data);
    ASSERT_GT(Bytes.size(), 0x4Cu);
    EXPECT_EQ(U32At(Bytes, 0), 0x4Cu);
    EXPECT_EQ(Bytes.substr(4, 16), FromHex("0114020000000000C000000000000046"));
    const uint32_t Flags = U32At(Bytes, 0x14);
    EXPECT_EQ(Flags & 0x83, 0x83u);  // ID list, link info, Unicode

    // The ID list starts at My Computer and the drive; the link info follows it.
    const size_t ListSize = static_cast<unsigned char>(Bytes[0x4C]) | (static_cast<unsigned char>(Bytes[0x4D]) << 8);
    EXPECT_EQ(Bytes.substr(0x4E, 4), FromHex("14001F50"));
    EXPECT_EQ(Bytes.substr(0x62, 6), FromHex("19002F433A5C"));
    const size_t Info = 0x4E + ListSize;
    EXPECT_EQ(U32At(Bytes, Info + 8) & 1, 1u);  // VolumeIDAndLocalBasePath
    const uint32_t BaseOffset = U32At(Bytes, Info + 16);
    EXPECT_EQ(std::string(Bytes.c_str() + Info + BaseOffset), Data.Target);
    EXPECT_EQ(U32At(Bytes, Bytes.size() - 4), 0u);  // terminal block

    // The target also reads back from the ID list alone.
    std::string NoInfo = Bytes;
    NoInfo[0x14] = static_cast<char>(NoInfo[0x14] & ~0x02);
    NoInfo.erase(Info, U32At(Bytes, Info));
    EXPECT_EQ(DecodeShellLink(NoInfo).Target, Data.Target);
}

TEST(ShellLink, NonAnsiAndNetworkTargets) {
    TTempPrefix Prefix;
    TShellLinkData Data;
    Data.Target = "C:\\Dados\\Дом\\файл.txt";
    EXPECT_EQ(DecodeShellLink(EncodeShellLink(Data)).Target, Data.Target);
    Data.Target = "\\\\server\\share\\dir\\a.txt";
    EXPECT_EQ(DecodeShellLink(EncodeShellLink(Data)).Target, Data.Target);
    Data.Target = "relative\\a.txt";
    EXPECT_THROW(EncodeShellLink(Data), EConvertError);
    Data.Target = "C:\\a";
    Data.Arguments.assign(70000, 'x');
    EXPECT_THROW(EncodeShellLink(Data), EConvertError);
}

TEST(ShellLink, ATargetTooLongForTheSizeFieldsIsRefusedNotWrapped) {
    TTempPrefix Prefix;
    // Legal on the platform (up to 32,767 characters), but the ID list's 16-bit sizes cannot hold it.
    std::string Long = "C:";
    while (Long.size() < 30000) Long += "\\" + std::string(200, 'd');
    for (const std::string& Target : {Long, "C:\\" + std::string(33000, 'n')}) {
        TShellLinkData Data;
        Data.Target = Target;
        EXPECT_THROW(EncodeShellLink(Data), EConvertError);
        TShellLink Link;
        Link.SetPath(Target);
        EXPECT_EQ(Link.Save("C:\\users\\long.lnk"), E_FAIL);
        EXPECT_FALSE(FileExists("C:\\users\\long.lnk"));
    }
}

TEST(ShellLink, TargetsAreCanonicalBeforeTheyAreWritten) {
    TTempPrefix Prefix;
    for (const char* Written :
         {"C:/Program Files/Ostrevan/App.exe", "C:\\Program Files\\.\\Old\\..\\Ostrevan\\App.exe"}) {
        TShellLink Link;
        Link.SetPath(Written);
        ASSERT_EQ(Link.Save("C:\\users\\app.lnk"), S_OK) << Written;
        const std::string Bytes = ReadHostFile(HostPath("C:\\users\\app.lnk"));
        EXPECT_EQ(DecodeShellLink(Bytes).Target, "C:\\Program Files\\Ostrevan\\App.exe") << Written;
        // The ID list alone leads there too: no "." or ".." item for the shell to browse through.
        const size_t ListSize =
            static_cast<unsigned char>(Bytes[0x4C]) | (static_cast<unsigned char>(Bytes[0x4D]) << 8);
        std::string NoInfo = Bytes;
        NoInfo[0x14] = static_cast<char>(NoInfo[0x14] & ~0x02);
        NoInfo.erase(0x4E + ListSize, U32At(Bytes, 0x4E + ListSize));
        EXPECT_EQ(DecodeShellLink(NoInfo).Target, "C:\\Program Files\\Ostrevan\\App.exe") << Written;
    }
}

TEST(ShellLink, ReadsTheFormatDocumentSample) {
    const TShellLinkData Data = DecodeShellLink(FromHex(kSampleLinkHex));
    EXPECT_EQ(Data.Target, "C:\\test\\a.txt");
    EXPECT_EQ(Data.RelativePath, ".\\a.txt");
    EXPECT_EQ(Data.WorkingDir, "C:\\test");
    EXPECT_EQ(Data.ShowCmd, 1);
    EXPECT_EQ(Data.Arguments, "");
}

TEST(ShellLink, MalformedBytesRaiseInsteadOfCrashing) {
    const std::string Sample = FromHex(kSampleLinkHex);
    EXPECT_THROW(DecodeShellLink(""), EReadError);
    EXPECT_THROW(DecodeShellLink(std::string(0x4C, '\0')), EConvertError);
    // Cut anywhere before the end of the string data (0x167); extra data blocks are not read.
    for (size_t Cut = 0x14; Cut < 0x167; Cut += 7) EXPECT_THROW(DecodeShellLink(Sample.substr(0, Cut)), Exception) << Cut;
    std::string Corrupt = Sample;
    Corrupt[0x4C] = '\xFF';  // ID list size past the end
    EXPECT_THROW(DecodeShellLink(Corrupt), EReadError);
}

// The test environment sets WINENV_NO_LAUNCH: calls are resolved and logged only.
TEST(Shell, ExecuteAndNotifyAreLogged) {
    TTempPrefix Prefix;
    // Logged, not started: the program here is no real one (also when the suite runs in one process).
    ::setenv("WINENV_NO_LAUNCH", "1", 1);
    EXPECT_EQ(ShellExecute("", "C:\\missing\\Navitrex.exe", "\"NVOCC=Acme\"", "", 1), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute("print", "http://www.example.com", "", "", 1), SE_ERR_NOASSOC);
    ASSERT_TRUE(ForceDirectories("C:\\App"));
    OpenFileStream("C:\\App\\App.exe", fmCreate)->WriteBuffer("MZ", 2);
    EXPECT_EQ(ShellExecute("open", "C:\\App\\App.exe", "\"NVOCC=Acme\"", "", 1), SHELL_EXECUTE_OK);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

    const std::string Log = ShellLog();
    EXPECT_NE(Log.find("ShellExecute verb=\"\" file=\"C:\\missing\\Navitrex.exe\" parameters=\"\"NVOCC=Acme\"\" directory=\"\" show=1 -> 2"),
              std::string::npos)
        << Log;
    EXPECT_NE(Log.find("verb=\"print\" file=\"http://www.example.com\""), std::string::npos);
    EXPECT_NE(Log.find("file=\"C:\\App\\App.exe\" parameters=\"\"NVOCC=Acme\"\" directory=\"\" show=1 -> 42"), std::string::npos);
    EXPECT_NE(Log.find("SHChangeNotify event=0x08000000 flags=0x0000"), std::string::npos);
}

TEST(Shell, HostProgramsRunWithTheirParameters) {
    TTempPrefix Prefix;
    ASSERT_TRUE(ForceDirectories("C:\\App"));
    const fs::path Program = HostPath("C:\\App\\Mark.exe");
    const fs::path Marker = Prefix.Root() / "marker";
    WriteHostFile(Program, "#!/bin/sh\nprintf '%s' \"$1\" > " + Marker.string() + "\n");
    fs::permissions(Program, fs::perms::owner_all);
    ::unsetenv("WINENV_NO_LAUNCH");
    EXPECT_EQ(ShellExecute("open", "c:\\app\\mark.exe", "\"NVOCC=Acme Ltda\"", "", 1), SHELL_EXECUTE_OK);
    for (int I = 0; I < 100 && !fs::exists(Marker); ++I) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadHostFile(Marker), "NVOCC=Acme Ltda");
}
