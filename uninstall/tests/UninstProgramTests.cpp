// The Uninst program as the system's list of installed programs runs it:
// "winenv uninstall" starts the entry's command, whose unquoted program path
// holds a blank, and the program's dialogs answer as VEX_DIALOG_ANSWER says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "installlib/tests/HostCommands.h"
#include "installlib/tests/InstallScenario.h"
#include "platform/os/WinEnv.h"

using namespace installlib;
using namespace installscenario;
using namespace platform::os;
namespace fs = std::filesystem;

namespace {

class UninstProgram : public InitializedPrefixTest {
protected:
    void TearDown() override {
        ::unsetenv("VEX_DIALOG_ANSWER");
        InitializedPrefixTest::TearDown();
    }

    // Installs a customer whose installed uninstaller is the real program.
    void InstallWithUninstaller(const TCustomer& Customer) {
        Install(Customer);
        const fs::path Uninst = HostPath(kInstallDir + kUninstFileName);
        fs::copy_file(UNINST_PATH, Uninst, fs::copy_options::overwrite_existing);
        fs::permissions(Uninst, fs::perms::owner_all);
    }

    int Uninstall(const std::string& Entry, const char* Answer) {
        ::setenv("VEX_DIALOG_ANSWER", Answer, 1);
        // As from a script: no display to show anything on.
        return RunCommand("env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " + Quote(WINENV_PATH) + " uninstall " +
                          Quote(Entry) + " 2>/dev/null");
    }
};

}  // namespace

TEST_F(UninstProgram, CustomerByCustomerUntilNothingIsLeft) {
    InstallWithUninstaller(kAlfa);
    InstallWithUninstaller(kBeta);

    EXPECT_EQ(Uninstall("Navitrex: " + kAlfa.Name, "yes"), 0);
    EXPECT_TRUE(SharedPartsExist());
    EXPECT_TRUE(CustomerPartsExist(kBeta));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
    EXPECT_FALSE(Exists(kAlfa.LogFile()) || Exists(kAlfa.PackageFile()) || Exists(kAlfa.DesktopLink()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kAlfa.Name));

    EXPECT_EQ(Uninstall("navitrex: beta linhas", "yes"), 0);
    EXPECT_TRUE(Eventually([] { return !Exists(kInstallDir); })) << "the uninstaller deletes itself and its folder";
    EXPECT_FALSE(Exists(TCustomer::MenuFolder()));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kBeta.Name));
    EXPECT_TRUE(Eventually([] { return !FileExists(GetTempFolder() + "uninstall1.bat"); }));
}

TEST_F(UninstProgram, AnsweringNoOrAnUnknownEntryChangesNothing) {
    InstallWithUninstaller(kAlfa);
    const std::string Before = MachineSnapshot(FPrefix);
    EXPECT_EQ(Uninstall("Navitrex: " + kAlfa.Name, "no"), 2);
    EXPECT_EQ(Uninstall("Navitrex: Gama", "yes"), 1);
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);
}
