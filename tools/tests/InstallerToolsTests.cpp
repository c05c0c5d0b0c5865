#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "installlib/tests/HostCommands.h"
#include "installlib/tests/RegistryHelpers.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Files.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"

using namespace installlib;
using namespace platform::os;
namespace fs = std::filesystem;

using InstallerTools = InitializedPrefixTest;

TEST_F(InstallerTools, RemoveOldVersionThroughTheInstallerService) {
    const std::string OldFile = "C:\\Program Files\\Navitrex Antigo\\Navitrex.exe";
    ForceDirectories("C:\\Program Files\\Navitrex Antigo");
    WriteHostFile(HostPath(OldFile), "old");
    ASSERT_EQ(RunCommand(Quote(WINENV_PATH) + " product add " + kOldVersionProductCode + " 'Navitrex' " + Quote(OldFile)), 0);
    ASSERT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey));

    EXPECT_TRUE(RemoveOldVersion());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey));
    EXPECT_FALSE(FileExists(OldFile));
    EXPECT_FALSE(RemoveOldVersion());  // the service no longer knows the product
}

TEST_F(InstallerTools, SelfDeletedProgramGoesWithItsFolderOnceEnded) {
    // A folder name with a blank, as "Program Files" has.
    const fs::path Folder = FPrefix / "host" / "Uninstall Here";
    fs::create_directories(Folder);
    const fs::path Program = Folder / "Uninst.exe";
    fs::copy_file(SELFDELETE_PROBE_PATH, Program);
    const fs::path Batch = HostPath(GetTempFolder() + "uninstall1.bat");

    EXPECT_EQ(RunCommand(Quote(Program.string())), 0);
    EXPECT_TRUE(Eventually([&] { return !fs::exists(Program) && !fs::exists(Folder) && !fs::exists(Batch); }))
        << "program " << fs::exists(Program) << ", folder " << fs::exists(Folder) << ", batch " << fs::exists(Batch);
    EXPECT_TRUE(fs::exists(FPrefix / "host")) << "only the program's own folder goes";
}
