// An installation's whole life on one machine: two customers installed
// through the real wizard into the same folder, then removed one by one
// through the list of installed programs, the installed uninstaller really
// running in a child process.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "installlib/tests/HostCommands.h"
#include "installlib/tests/InstallScenario.h"
#include "setup/NVOCCPackage.h"
#include "setup/tests/PackageArchive.h"
#include "setup/tests/WizardFixture.h"

using namespace installscenario;
using namespace packagearchive;

namespace {

const TCustomer kMaritima{"Mar\u00EDtima Cargas Ltda", "maritima"};

class Lifecycle : public PrincipalTest {
protected:
    void SetUp() override {
        PrincipalTest::SetUp();
        ASSERT_EQ(RunCommand(Quote(WINENV_PATH) + " init >/dev/null"), 0);
        Package({{"nvocc_cfg.ini", "[Config]\r\nName=Beta Linhas\r\nEmail=contato@beta.com\r\nSite=www.beta.com\r\n"
                                   "FileName=beta\r\n"},
                 {"image.bmp", BitmapBytes()}})
            .SaveToFile(HostPath(BetaPackage()));
    }
    // As the list of installed programs would, with the installed program really run.
    int Uninstall(const TCustomer& Customer, const std::string& Answer) {
        return RunCommand("env -u WINENV_NO_LAUNCH -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY VEX_DIALOG_ANSWER=" +
                          Answer + " " + Quote(WINENV_PATH) + " uninstall " + Quote("Navitrex: " + Customer.Name) +
                          " 2>/dev/null");
    }

    static std::string BetaPackage() { return GetTempFolder() + "beta.nvo"; }

    // The installed Navitrex in its demonstration run, which makes a bill with two containers; Bills gets the bills
    // it found at its end, one "<number> <containers>" a line.
    int RunInstalledNavitrex(const TCustomer& Customer, std::string& Bills) {
        const std::filesystem::path Output = FPrefix / "bills.txt";
        const std::filesystem::path Program = HostPath(kInstallDir + kAppFileName);
        // As the emulated shell does when it starts an installed program: the host marks it executable.
        std::filesystem::permissions(Program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        const int Code = RunCommand("env -u WINENV_NO_LAUNCH QT_QPA_PLATFORM=offscreen NAVITREX_DEMO=" +
                                    Quote((FPrefix / "pictures").string()) + " " + Quote(Program.string()) + " " +
                                    Quote("NVOCC=" + Customer.Name) + " >" + Quote(Output.string()));
        Bills = ReadHostFile(Output);
        return Code;
    }
};

TEST_F(Lifecycle, TwoCustomersInstalledThroughTheWizardThenRemovedOneByOne) {
    const std::vector<std::string> Before = DriveFiles(FPrefix);
    InstallThroughTheWizard();
    InstallThroughTheWizard(BetaPackage());
    EXPECT_TRUE(Calls.empty());
    for (const TCustomer& Customer : {kMaritima, kBeta}) {
        EXPECT_TRUE(CustomerPartsExist(Customer)) << Customer.Name;
        EXPECT_TRUE(FileExists(Customer.LogFile())) << Customer.Name;
    }
    ASSERT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "maritima, beta");

    EXPECT_EQ(Uninstall(kMaritima, "yes"), 0);
    EXPECT_TRUE(SharedPartsExist());
    EXPECT_TRUE(FileExists(IncludeTrailingBackslash(GetSystemFolder()) + kRuntimeFileName));
    EXPECT_TRUE(CustomerPartsExist(kBeta));
    EXPECT_TRUE(FileExists(kBeta.LogFile()));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
    EXPECT_FALSE(Exists(kMaritima.LogFile()) || Exists(kMaritima.PackageFile()) || Exists(kMaritima.DesktopLink()) ||
                 Exists(kMaritima.MenuLink()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kMaritima.Name));

    EXPECT_EQ(Uninstall(kBeta, "yes"), 0);
    EXPECT_TRUE(Eventually([] { return !FileExists(kInstallDir + kUninstFileName); }))
        << "the uninstaller deletes itself through its batch";
    EXPECT_TRUE(Eventually([] { return !Exists(kInstallDir); }));
    EXPECT_FALSE(Exists(kBeta.DesktopLink()) || Exists(TCustomer::MenuFolder()));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kBeta.Name));
    // Left on purpose: the shared runtime library, and the maker's folder, which the log never records.
    std::vector<std::string> Expected = Before;
    Expected.push_back("drive_c/Program Files/Ostrevan");
    Expected.push_back("drive_c/windows/system32/" + std::string(kRuntimeFileName));
    std::sort(Expected.begin(), Expected.end());
    EXPECT_TRUE(Eventually([&] { return DriveFiles(FPrefix) == Expected; })) << "the batch removes itself last";
    EXPECT_EQ(DriveFiles(FPrefix), Expected);
}

TEST_F(Lifecycle, DecliningTheUninstallationChangesNothing) {
    InstallThroughTheWizard();
    const std::string Before = MachineSnapshot(FPrefix);
    EXPECT_EQ(Uninstall(kMaritima, "no"), 2);
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);
    EXPECT_TRUE(CustomerPartsExist(kMaritima));
    EXPECT_TRUE(SharedPartsExist());
}

TEST_F(Lifecycle, RemovingACustomerKeepsItsBillsAndReinstallingFindsThem) {
    InstallThroughTheWizard();
    std::string Bills;
    ASSERT_EQ(RunInstalledNavitrex(kMaritima, Bills), 0) << Bills;
    ASSERT_EQ(Bills.size(), 12u) << Bills;
    const std::string First = Bills.substr(0, 11);
    EXPECT_EQ(First.substr(0, 7), "000001/");
    EXPECT_EQ(First.substr(9), " 2") << "two containers";
    const std::string Database = kInstallDir + "Data\\maritima.db";
    ASSERT_TRUE(FileExists(Database));

    EXPECT_EQ(Uninstall(kMaritima, "yes"), 0);
    EXPECT_TRUE(Eventually([] { return !FileExists(kInstallDir + kUninstFileName); }));
    EXPECT_TRUE(FileExists(Database));
    for (const std::string& File : DriveFiles(FPrefix)) {
        const size_t At = File.find("Ostrevan/Navitrex/");
        if (At != std::string::npos && File.find("/Data/maritima.db", At) == std::string::npos &&
            !File.ends_with("Navitrex/Data"))
            ADD_FAILURE() << File << " was left";
    }
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kMaritima.Name));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));

    InstallThroughTheWizard();
    ASSERT_EQ(RunInstalledNavitrex(kMaritima, Bills), 0) << Bills;
    EXPECT_EQ(Bills, First + "\n000002/" + First.substr(7, 2) + " 2\n") << "the first bill is found, the next follows it";
}

}  // namespace
