// Undo scenarios on a fresh emulated prefix: installations are made with the
// library's own routines, logged line for line as the installation run logs
// them, and then undone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "InstallScenario.h"
#include "RegistryHelpers.h"
#include "TempPrefix.h"
#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"

using namespace installlib;
using namespace installscenario;
using namespace platform::os;
namespace fs = std::filesystem;

namespace {

class UndoInstallLogTest : public TempPrefixTest {
protected:
    std::string Snapshot() { return MachineSnapshot(FPrefix); }
};

}  // namespace

TEST_F(UndoInstallLogTest, OnlyPackageTakesEverythingWithIt) {
    const TInstallLog Log = LoadLogFromFile(Install(kAlfa).back().substr(5));
    ASSERT_TRUE(CustomerPartsExist(kAlfa) && SharedPartsExist());
    UndoInstallLog(Log, "");

    EXPECT_FALSE(Exists(kInstallDir)) << "the application folder with every file in it";
    EXPECT_FALSE(Exists(kAlfa.DesktopLink()));
    EXPECT_FALSE(Exists(TCustomer::ProgramsFolder() + "Ostrevan"));
    EXPECT_TRUE(DirectoryExists(TCustomer::ProgramsFolder()));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kAlfa.Name));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile"));
}

TEST_F(UndoInstallLogTest, OneOfTwoPackagesLeavesTheSharedParts) {
    const TInstallLog AlfaLog = Install(kAlfa);
    Install(kBeta);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "alfa, beta");
    UndoInstallLog(AlfaLog, "");

    EXPECT_TRUE(SharedPartsExist());
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue), kInstallDir);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
    EXPECT_TRUE(CustomerPartsExist(kBeta));
    EXPECT_TRUE(FileExists(kBeta.LogFile()));
    EXPECT_FALSE(Exists(kAlfa.PackageFile()));
    EXPECT_FALSE(Exists(kAlfa.DesktopLink()));
    EXPECT_FALSE(Exists(kAlfa.MenuLink()));
    EXPECT_FALSE(Exists(kAlfa.LogFile()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kAlfa.Name));

    // Then the last one: now the shared parts go too.
    UndoInstallLog(LoadLogFromFile(kBeta.LogFile()), "");
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
}

TEST_F(UndoInstallLogTest, FailedFirstInstallationIsUndoneCompletely) {
    const TInstallLog Log = Install(kAlfa, rsRegistry);
    ASSERT_TRUE(FileExists(kInstallDir + kAppFileName));
    UndoInstallLog(Log, "");
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(kAlfa.DesktopLink()));
    EXPECT_FALSE(Exists(TCustomer::ProgramsFolder() + "Ostrevan"));
}

TEST_F(UndoInstallLogTest, FailedAdditionalInstallationKeepsWhatOthersUse) {
    Install(kAlfa);
    const std::string Before = RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue);
    // The second customer's run fails before it records its package.
    const TInstallLog Failed = Install(kBeta, rsRegistry);
    ASSERT_TRUE(FileExists(kBeta.PackageFile()));
    UndoInstallLog(Failed, "");

    EXPECT_TRUE(SharedPartsExist());
    EXPECT_TRUE(CustomerPartsExist(kAlfa));
    EXPECT_TRUE(FileExists(kAlfa.LogFile()));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), Before);
    EXPECT_FALSE(Exists(kBeta.PackageFile()));
    EXPECT_FALSE(Exists(kBeta.DesktopLink()));
    EXPECT_FALSE(Exists(kBeta.MenuLink()));
}

TEST_F(UndoInstallLogTest, EmptyPackageListCountsAsNoOtherPackage) {
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue, " ");
    UndoInstallLog(Install(kAlfa, rsRegistry), "");
    EXPECT_FALSE(Exists(kInstallDir));
}

TEST_F(UndoInstallLogTest, RunningProgramIsLeftForSelfDeletion) {
    std::vector<std::string> Batches;
    const TSelfDeleteHooks Saved = SetSelfDeleteHooks({[&](const std::string& Batch) { Batches.push_back(Batch); }, [] {}});
    TInstallLog Log = Install(kAlfa);
    const std::string Program = GetModuleFileName();
    AddLog(Log, kLogFile, AnsiLowerCase(Program));  // paths compare ignoring case
    std::vector<std::string> Shown;
    UndoInstallLog(Log, "Navitrex removido.", [&](const std::string& Message) {
        Shown.push_back(Message);
        EXPECT_TRUE(Batches.empty()) << "the message comes before the program ends";
    });
    SetSelfDeleteHooks(Saved);

    EXPECT_TRUE(fs::exists(HostPath(Program)));
    EXPECT_FALSE(Exists(kInstallDir));
    ASSERT_EQ(Batches, std::vector<std::string>{GetTempFolder() + "uninstall1.bat"});
    EXPECT_NE(ReadHostFile(HostPath(Batches[0])).find("del \"" + Program + "\"\r\n"), std::string::npos);
    EXPECT_EQ(Shown, std::vector<std::string>{"Navitrex removido."});
}

TEST_F(UndoInstallLogTest, MessageOnlyWhenGiven) {
    int Calls = 0;
    UndoInstallLog(Install(kAlfa), "", [&](const std::string&) { ++Calls; });
    EXPECT_EQ(Calls, 0);
    UndoInstallLog(Install(kAlfa), "Pronto", [&](const std::string& Message) {
        ++Calls;
        EXPECT_EQ(Message, "Pronto");
        EXPECT_FALSE(Exists(kInstallDir)) << "shown once the undo is done";
    });
    EXPECT_EQ(Calls, 1);
    UndoInstallLog(Install(kAlfa), "Pronto");  // no one to show it to
}

TEST_F(UndoInstallLogTest, UndoingTwiceIsHarmless) {
    const TInstallLog Log = Install(kAlfa);
    Install(kBeta);
    UndoInstallLog(Log, "");
    const std::string After = Snapshot();
    UndoInstallLog(Log, "");
    EXPECT_EQ(Snapshot(), After);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
}

TEST_F(UndoInstallLogTest, CommentsEmptyAndExtLinesChangeNothing) {
    Install(kAlfa);
    const std::string Before = Snapshot();
    UndoInstallLog({Format(LoadResString(SLogHeader).c_str(), kAlfa.Name.c_str()), "", "ext=bld", "EXT=.bld",
                    "no kind on this line", "// file=" + kInstallDir + kAppFileName, "unknown=" + kAlfa.PackageFile()},
                   "");
    EXPECT_EQ(Snapshot(), Before);
}

TEST_F(UndoInstallLogTest, KindsIgnoreCase) {
    Install(kAlfa);
    Install(kBeta);
    UndoInstallLog({"FILE=" + kAlfa.PackageFile(), "RegItem=" + kNavitrexItemPrefix + "nvocc,ALFA", "Program=" + kAlfa.Name}, "");
    EXPECT_FALSE(Exists(kAlfa.PackageFile()));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kAlfa.Name));
}

TEST_F(UndoInstallLogTest, ValuesOtherThanPathGoWithAnyPackage) {
    Install(kAlfa);
    Install(kBeta);
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "Extra", "x");
    UndoInstallLog({"regitem=" + kNavitrexItemPrefix + "NVOCC,beta", "regvalue=" + kNavitrexItemPrefix + "Extra,x",
                    "regvalue=" + kNavitrexItemPrefix + "Path," + kInstallDir},
                   "");
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, "Extra"));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue), kInstallDir);
}

TEST_F(UndoInstallLogTest, RegistryErrorsReachTheCaller) {
    const TInstallLog Log = Install(kAlfa);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    Reg.OpenKey(kNavitrexKey, false);
    Reg.WriteInteger(kPackageListValue, 7);  // not a list
    EXPECT_THROW(UndoInstallLog(Log, ""), ERegistryException);
}
