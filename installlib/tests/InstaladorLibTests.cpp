#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RegistryHelpers.h"
#include "TempPrefix.h"
#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "platform/os/Environment.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"

using namespace installlib;
using namespace platform::os;
namespace fs = std::filesystem;

namespace {

struct TParsed {
    bool Ok;
    HKEY Root;
    std::string KeyPath, ValueName, Item;
};

TParsed Parse(const std::string& Text) {
    TParsed P{false, 0, "x", "x", "x"};
    P.Ok = ParseRegItem(Text, P.Root, P.KeyPath, P.ValueName, P.Item);
    return P;
}

std::vector<std::string> Split(const std::string& Text) {
    std::vector<std::string> List;
    SplitList(List, Text);
    return List;
}

int CountOf(const std::string& Text, const std::string& Part) {
    int Count = 0;
    for (size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++Count;
    return Count;
}

}  // namespace

TEST(RegItem, ParsesTheItemTheRunWrites) {
    for (const char* Root : {"HKEY_LOCAL_MACHINE", "hkey_local_machine", "  Hkey_Local_Machine "}) {
        const TParsed P = Parse(std::string(Root) + "\\Software\\Ostrevan\\Navitrex\\NVOCC,cliente");
        EXPECT_TRUE(P.Ok) << Root;
        EXPECT_EQ(P.Root, HKEY_LOCAL_MACHINE);
        EXPECT_EQ(P.KeyPath, "Software\\Ostrevan\\Navitrex\\");
        EXPECT_EQ(P.ValueName, "NVOCC");
        EXPECT_EQ(P.Item, "cliente");
    }
    // The item keeps its commas; blanks around the parts go; a trailing backslash is dropped.
    const TParsed P = Parse("HKEY_CURRENT_USER\\ Software\\App\\Path\\ ,  C:\\a, b , c ");
    EXPECT_TRUE(P.Ok);
    EXPECT_EQ(P.Root, HKEY_CURRENT_USER);
    EXPECT_EQ(P.KeyPath, "Software\\App\\");
    EXPECT_EQ(P.ValueName, "Path");
    EXPECT_EQ(P.Item, "C:\\a, b , c");
    EXPECT_EQ(Parse("HKEY_DYN_DATA\\k\\v,").Root, HKEY_DYN_DATA);
    EXPECT_EQ(Parse("HKEY_CLASSES_ROOT\\k\\v,").Root, HKEY_CLASSES_ROOT);
}

TEST(RegItem, RejectsIncompleteItems) {
    const TParsed Unknown = Parse("HKLM\\Software\\Key\\Value,x");  // short names are not item roots
    EXPECT_FALSE(Unknown.Ok);
    EXPECT_EQ(Unknown.Root, 0u);
    EXPECT_EQ(Unknown.KeyPath, "Software\\Key\\");

    const TParsed NoComma = Parse("HKEY_LOCAL_MACHINE\\Software\\Key\\Value");
    EXPECT_FALSE(NoComma.Ok);
    EXPECT_EQ(NoComma.KeyPath + NoComma.ValueName + NoComma.Item, "");
    EXPECT_EQ(NoComma.Root, 0u);
    const TParsed CommaBeforeBackslash = Parse("HKEY_LOCAL_MACHINE,x\\y");
    EXPECT_FALSE(CommaBeforeBackslash.Ok);
    EXPECT_EQ(CommaBeforeBackslash.KeyPath + CommaBeforeBackslash.ValueName + CommaBeforeBackslash.Item, "");
    EXPECT_FALSE(Parse("no backslash, at all").Ok);

    const TParsed Nothing = Parse("HKEY_LOCAL_MACHINE\\ ,x");
    EXPECT_FALSE(Nothing.Ok);
    EXPECT_EQ(Nothing.Root, HKEY_LOCAL_MACHINE);  // the root is known even so

    const TParsed UnderRoot = Parse("HKEY_LOCAL_MACHINE\\NVOCC,x");
    EXPECT_FALSE(UnderRoot.Ok);
    EXPECT_EQ(UnderRoot.ValueName, "NVOCC");
    EXPECT_EQ(UnderRoot.KeyPath, "");
}

TEST(CommaList, SplitsAndJoins) {
    EXPECT_EQ(Split(" a ,b,  c  "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Split("a,,b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split("a, b,"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Split("   "), std::vector<std::string>{});
    EXPECT_EQ(Split(""), std::vector<std::string>{});
    std::vector<std::string> Appended{"kept"};
    SplitList(Appended, "new");
    EXPECT_EQ(Appended, (std::vector<std::string>{"kept", "new"}));

    EXPECT_EQ(JoinList({"a", "b"}), "a, b");
    EXPECT_EQ(JoinList({"a"}), "a");
    EXPECT_EQ(JoinList({}), "");
    EXPECT_EQ(JoinList({"", "b"}), "b");  // no separator while the text is still empty
    EXPECT_EQ(JoinList(Split("x, y ,z")), "x, y, z");
}

TEST(Extension, NormalizedWithOneLeadingDot) {
    for (const char* Ext : {"bld", ".bld", "  bld ", " .bld"}) EXPECT_EQ(NormalizeExtension(Ext), ".bld") << Ext;
}

TEST(StringTable, TextsStandAsWritten) {
    EXPECT_EQ(LoadResString(SRegistryUpdateFailed), "Não foi possível atualizar as chaves de registro.");
    EXPECT_EQ(LoadResString(SLogHeader).rfind("// Este é um arquivo de log para a instalação de %s\r\n// Não edite", 0), 0u);
    EXPECT_EQ(LoadResString(SLogHeader).substr(LoadResString(SLogHeader).size() - 2), "\r\n");
    EXPECT_EQ(LoadResString(SReviewShortcuts), "Atalhos que serão configurados:\r\n- Desktop\r\n- Menu Programas\\Ostrevan\\Navitrex");
    EXPECT_NE(LoadResString(SReviewCustomer).find("Site:\t%s\r\nArquivo:\tData\\%s.nvo"), std::string::npos);
    EXPECT_EQ(LoadResString(SInstallationFailed), "Ocorreu algum erro no processo de instalação.");
    EXPECT_EQ(LoadResString(65189), "");
    EXPECT_EQ(LoadResString(0), "");
}

class Folders : public TempPrefixTest {};

TEST_F(Folders, EnvironmentAndSystemFolders) {
    const std::string Temp = "C:\\users\\" + EmulatedUserName() + "\\Temp\\";
    EXPECT_EQ(GetTempFolder(), Temp);
    EXPECT_EQ(GetEnvironmentFolder("temp"), Temp);
    EXPECT_EQ(ExpandEnvironment("  %SystemRoot%\\x  "), "C:\\windows\\x");
    EXPECT_EQ(ExpandEnvironment("%NO_SUCH_VARIABLE%"), "%NO_SUCH_VARIABLE%");
    EXPECT_EQ(GetEnvironmentFolder("SystemDrive"), "C:\\");
    EXPECT_EQ(GetSystemFolder(), "C:\\windows\\system32");
}

TEST_F(Folders, ProgramFilesFolderComesFromTheRegistry) {
    EXPECT_EQ(GetProgramFilesFolder(), "C:\\Program Files\\");
    RegWrite(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue, "D:\\Apps\\");
    EXPECT_EQ(GetProgramFilesFolder(), "D:\\Apps\\");
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    Reg.OpenKey(kCurrentVersionKey, false);
    Reg.DeleteValue(kProgramFilesValue);
    EXPECT_EQ(GetProgramFilesFolder(), "");
}

TEST_F(Folders, SpecialFoldersAndUnknownOnes) {
    const std::string Desktop = GetSpecialFolder(CSIDL_DESKTOP);
    EXPECT_FALSE(Desktop.empty());
    EXPECT_TRUE(DirectoryExists(Desktop));
    EXPECT_FALSE(GetSpecialFolder(CSIDL_COMMON_PROGRAMS).empty());
    EXPECT_EQ(GetSpecialFolder(0x7E), "");  // no such folder
}

TEST_F(Folders, ShellLinkHoldsWhatWasGiven) {
    const std::string Link = GetSpecialFolder(CSIDL_DESKTOP) + "\\Cliente.lnk";
    CreateShellLink(Link, "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe", "\"NVOCC=Cliente\"", "", 1,
                    "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe", 0);
    ASSERT_TRUE(FileExists(Link));
    TShellLink Read;
    ASSERT_EQ(Read.Load(Link), S_OK);
    EXPECT_EQ(Read.Data().Target, "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe");
    EXPECT_EQ(Read.Data().Arguments, "\"NVOCC=Cliente\"");
    EXPECT_EQ(Read.Data().ShowCmd, 1);
    EXPECT_EQ(Read.Data().IconLocation, "C:\\Program Files\\Ostrevan\\Navitrex\\Navitrex.exe");
}

namespace {
class TRecordingBrowser : public TFolderBrowser {
public:
    bool Browse(void* Owner, const std::string& Title, const std::string& InitialFolder, std::string& Folder) override {
        SeenOwner = Owner;
        SeenTitle = Title;
        SeenInitial = InitialFolder;
        if (Answer.empty()) return false;
        Folder = Answer;
        return true;
    }
    void* SeenOwner = nullptr;
    std::string SeenTitle, SeenInitial = "(not called)", Answer;
};
}  // namespace

TEST_F(Folders, FolderBrowserOpensOnAnExistingFolderOnly) {
    std::string Folder = "unchanged";
    EXPECT_FALSE(BrowseForFolder(nullptr, "t", "C:\\", Folder));  // none installed
    TRecordingBrowser Browser;
    SetFolderBrowser(&Browser);
    int Owner = 0;
    Browser.Answer = "D:\\Chosen";
    EXPECT_TRUE(BrowseForFolder(&Owner, LoadResString(SSelectInstallFolder), "C:\\Program Files", Folder));
    EXPECT_EQ(Folder, "D:\\Chosen");
    EXPECT_EQ(Browser.SeenOwner, &Owner);
    EXPECT_EQ(Browser.SeenTitle, "Selecione o diretório de instalação:");
    EXPECT_EQ(Browser.SeenInitial, "C:\\Program Files");
    Browser.Answer.clear();
    Folder = "unchanged";
    EXPECT_FALSE(BrowseForFolder(&Owner, "t", "C:\\No\\Such\\Folder", Folder));
    EXPECT_EQ(Browser.SeenInitial, "");
    EXPECT_EQ(Folder, "unchanged");
    SetFolderBrowser(nullptr);
}

class UninstallEntry : public TempPrefixTest {};

TEST_F(UninstallEntry, WriteAndRemove) {
    const std::string Key = std::string(kUninstallKey) + "\\Navitrex: Cliente Ltda";
    EXPECT_TRUE(WriteUninstallEntry("Cliente Ltda", "C:\\Nav\\Uninst.exe \"NVOCC=Cliente Ltda\""));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, Key, "DisplayName"), "Navitrex: Cliente Ltda");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, Key, "UnInstallString"), "C:\\Nav\\Uninst.exe \"NVOCC=Cliente Ltda\"");
    EXPECT_TRUE(RemoveUninstallEntry("cliente ltda"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Key));
    EXPECT_FALSE(RemoveUninstallEntry("Cliente Ltda"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(UninstallEntry, KeyThatCannotBeCreatedRaisesTheRegistryMessage) {
    try {
        WriteUninstallEntry("bad\x01name", "x");
        ADD_FAILURE() << "an impossible key name was accepted";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Não foi possível atualizar as chaves de registro.");
    }
}

class FileType : public TempPrefixTest {
protected:
    std::string ShellLog() {
        const fs::path Log = ShellLogPath();
        return fs::exists(Log) ? ReadHostFile(Log) : std::string();
    }
    int Notifications() { return CountOf(ShellLog(), "SHChangeNotify event=0x08000000"); }
};

TEST_F(FileType, RegistersTheDocumentType) {
    RegisterFileType(kDocumentDescription, " bld ", " C:\\Nav\\Navitrex.exe ", " \"%1\" ", "C:\\Nav\\bldfile.ico", 0);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "bldfile");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile", ""), "Ostrevan Navitrex Bill Lading File");
    EXPECT_FALSE(RegValueExists(HKEY_CLASSES_ROOT, "bldfile", "OldType"));
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile\\DefaultIcon", ""), "\"C:\\Nav\\bldfile.ico\",0");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile\\Shell\\Open\\Command", ""), "C:\\Nav\\Navitrex.exe \"%1\"");
    // The classes root is the local machine's Software\Classes.
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.bld", ""), "bldfile");
    EXPECT_EQ(Notifications(), 1);

    UnregisterFileType("bld");
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile"));
    EXPECT_EQ(Notifications(), 2);
}

TEST_F(FileType, IconDefaultsToTheApplicationAndEmptyParameterIsLeftOut) {
    RegisterFileType("Doc", ".x.y", "C:\\App\\app.exe", "   ", "", 3);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".x.y", ""), "xyfile");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "xyfile\\DefaultIcon", ""), "\"C:\\App\\app.exe\",3");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "xyfile\\Shell\\Open\\Command", ""), "C:\\App\\app.exe");
    RegisterFileType("Doc", "z", "", "\"%1\"", "i.ico", 0);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "zfile\\Shell\\Open\\Command", ""), "\"%1\"");
}

TEST_F(FileType, TakenTypeNameGivesTheNextAndTheOldTypeComesBack) {
    RegWrite(HKEY_CLASSES_ROOT, ".bld", "", "Legacy.Document");
    RegWrite(HKEY_CLASSES_ROOT, "bldfile", "", "someone else's");
    RegisterFileType(kDocumentDescription, "bld", "C:\\Nav\\Navitrex.exe", "\"%1\"", "C:\\Nav\\bldfile.ico", 0);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "bldfile1");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile1", "OldType"), "Legacy.Document");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile1", ""), kDocumentDescription);
    RegWrite(HKEY_CLASSES_ROOT, "bldfile2", "", "also taken");  // only the first free name counts
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile", ""), "someone else's");

    UnregisterFileType(".bld");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "Legacy.Document");
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile1"));
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile", ""), "someone else's");
    EXPECT_EQ(Notifications(), 2);
}

TEST_F(FileType, UnregisterOfAMissingTypeChangesNothingAndNotifiesNoOne) {
    UnregisterFileType("bld");
    RegWrite(HKEY_CLASSES_ROOT, ".bld", "", "");  // an extension without a type
    UnregisterFileType("bld");
    RegWrite(HKEY_CLASSES_ROOT, ".bld", "", "nosuchtype");  // a type whose key is gone
    UnregisterFileType("bld");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "nosuchtype");
    EXPECT_EQ(Notifications(), 0);
}

class Processes : public TempPrefixTest {
protected:
    // A stand-in for the installer service: a host script in the system folder.
    void InstallService(const std::string& Script) {
        const fs::path File = HostPath("C:\\windows\\system32\\msiexec.exe");
        WriteHostFile(File, "#!/bin/sh\n" + Script + "\n");
        fs::permissions(File, fs::perms::owner_all);
    }
};

TEST_F(Processes, RemoveOldVersionAnswersTheServiceResult) {
    InstallService("[ \"$1 $2\" = \"/quiet /X{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}\" ] || exit 3\nsleep 0.3\nexit 0");
    int Pumps = 0;
    SetMessagePump([&] { ++Pumps; });
    EXPECT_TRUE(RemoveOldVersion());
    EXPECT_GT(Pumps, 0);  // the caller's windows were kept alive during the wait
    SetMessagePump(nullptr);

    InstallService("exit 1");
    EXPECT_FALSE(RemoveOldVersion());
    fs::remove(HostPath("C:\\windows\\system32\\msiexec.exe"));
    EXPECT_FALSE(RemoveOldVersion());  // the service cannot be started
}

class SelfDeletion : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        FSaved = SetSelfDeleteHooks({[this](const std::string& Batch) { Launched.push_back(Batch); }, [this] { ++Ended; }});
    }
    void TearDown() override {
        SetSelfDeleteHooks(FSaved);
        TempPrefixTest::TearDown();
    }
    std::vector<std::string> Launched;
    int Ended = 0;

private:
    TSelfDeleteHooks FSaved;
};

TEST_F(SelfDeletion, WritesTheNextFreeBatchFileAndEndsTheProgram) {
    const std::string Temp = GetTempFolder();
    WriteHostFile(HostPath(Temp + "uninstall1.bat"), "someone else's");
    SelfDelete();

    const std::string Batch = Temp + "uninstall2.bat";
    ASSERT_EQ(Launched, std::vector<std::string>{Batch});
    EXPECT_EQ(Ended, 1);
    const std::string Program = GetModuleFileName();
    ASSERT_EQ(Program.substr(0, 3), "Z:\\");
    EXPECT_EQ(ReadHostFile(HostPath(Batch)), ":TryDelete\r\n"
                                             "del \"" + Program + "\"\r\n"
                                             "if Exist \"" + Program + "\" goto TryDelete\r\n"
                                             "rmdir \"" + ExtractFilePath(Program) + "\"\r\n"
                                             "del " + Batch + "\r\n");
    EXPECT_EQ(ReadHostFile(HostPath(Temp + "uninstall1.bat")), "someone else's");
    EXPECT_EQ(fs::current_path(), HostPath(ExcludeTrailingBackslash(Temp)));
    EXPECT_TRUE(FileExists(Program));
}

TEST_F(SelfDeletion, ProgramOnAnotherKindOfDriveIsLeftAlone) {
    WriteHostFile(FPrefix / "drives", "C: fixed drive_c\nZ: remote /\n");
    SelfDelete();
    EXPECT_TRUE(Launched.empty());
    EXPECT_EQ(Ended, 0);
    EXPECT_FALSE(FileExists(GetTempFolder() + "uninstall1.bat"));
}

class InstallLog : public TempPrefixTest {};

TEST_F(InstallLog, SavedAsSingleByteLinesAndLoadedBack) {
    TInstallLog Log;
    Log.push_back(Format(LoadResString(SLogHeader).c_str(), "Açúcar"));
    AddLog(Log, kLogDir, "C:\\Nav\\");
    AddLog(Log, kLogFile, "C:\\Nav\\Ação.nvo");
    SaveLogToFile(Log, "C:\\Nav.log");
    const std::string Bytes = ReadHostFile(HostPath("C:\\Nav.log"));
    EXPECT_EQ(Bytes.rfind("// Este \xE9 um arquivo de log para a instala\xE7\xE3o de A\xE7\xFA" "car\r\n", 0), 0u);
    EXPECT_NE(Bytes.find("posteriormente.\r\n\r\ndir=C:\\Nav\\\r\nfile=C:\\Nav\\A\xE7\xE3o.nvo\r\n"), std::string::npos);

    const TInstallLog Loaded = LoadLogFromFile("C:\\Nav.log");
    ASSERT_EQ(Loaded.size(), 6u);  // three comment lines and an empty one, then the actions
    EXPECT_EQ(Loaded[0], "// Este é um arquivo de log para a instalação de Açúcar");
    EXPECT_EQ(Loaded[3], "");
    EXPECT_EQ(Loaded[5], "file=C:\\Nav\\Ação.nvo");

    WriteHostFile(HostPath("C:\\Unix.log"), "a=1\nb=2\rc=3");
    EXPECT_EQ(LoadLogFromFile("C:\\Unix.log"), (TInstallLog{"a=1", "b=2", "c=3"}));
}
