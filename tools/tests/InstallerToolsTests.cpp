#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "installlib/tests/RegistryHelpers.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Files.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"

using namespace installlib;
using namespace platform::os;
namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& Arg) { return "'" + Arg + "'"; }

int RunCommand(const std::string& Command) {
    const int Status = std::system(Command.c_str());
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// Waits up to five seconds for a condition a detached process brings about.
template <typename TCondition>
bool Eventually(TCondition Condition) {
    for (int Try = 0; Try < 100; ++Try) {
        if (Condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Condition();
}

class InstallerTools : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        ASSERT_EQ(RunCommand(Quote(WINENV_PATH) + " init >/dev/null"), 0);
    }
};

}  // namespace

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
