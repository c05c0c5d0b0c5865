#include <gtest/gtest.h>

#include "installlib/InstallJournal.h"
#include "installlib/tests/InstallScenario.h"
#include "installlib/tests/TempPrefix.h"

using namespace installlib;
using namespace installscenario;

namespace {

const std::string kKeptFile = "C:\\Kept\\old.txt";
const std::string kNewFolder = "C:\\Made\\Deep\\";
const std::string kKeptKey = "Software\\Kept";
const std::string kNewKey = "Software\\Made\\Here";

class InstallJournalTest : public TempPrefixTest {
protected:
    // A file and a key of every value type that a run will overwrite.
    void SetUp() override {
        TempPrefixTest::SetUp();
        ForceDirectories(ExtractFilePath(kKeptFile));
        WriteFile(kKeptFile, std::string("old bytes\0\xFF", 11));
        TRegistry Reg;
        Reg.SetRootKey(HKEY_LOCAL_MACHINE);
        Reg.OpenKey(kKeptKey, true);
        Reg.WriteString("", "default");
        Reg.WriteString("Text", "Mar\u00EDtima");
        Reg.WriteExpandString("Expand", "%TEMP%\\x");
        Reg.WriteInteger("Number", -7);
        Reg.WriteMultiString("Multi", {"a", "b c"});
        Reg.WriteBinaryData("Binary", {0, 1, 0xFF});
        Reg.OpenKey("\\" + kKeptKey + "\\Sub", true);
        Reg.WriteString("Inner", "inner");
    }

    // What a run does: every change announced to the journal first.
    void ChangeEverything(TInstallJournal& Journal) {
        Journal.FolderWillBeCreated(kNewFolder);
        ASSERT_TRUE(ForceDirectories(kNewFolder));
        Journal.FileWillBeWritten(kNewFolder + "new.txt");
        WriteFile(kNewFolder + "new.txt", "new");
        Journal.FileWillBeWritten(kKeptFile);
        WriteFile(kKeptFile, "overwritten");
        Journal.KeyWillBeWritten(HKEY_LOCAL_MACHINE, kKeptKey);
        RegWrite(HKEY_LOCAL_MACHINE, kKeptKey, "Text", "changed");
        RegWrite(HKEY_LOCAL_MACHINE, kKeptKey + "\\Sub\\Added", "Value", "added");
        TRegistry Reg;
        Reg.SetRootKey(HKEY_LOCAL_MACHINE);
        Reg.OpenKey(kKeptKey, false);
        Reg.DeleteValue("Number");
        Journal.KeyWillBeWritten(HKEY_LOCAL_MACHINE, kNewKey);
        RegWrite(HKEY_LOCAL_MACHINE, kNewKey, "Value", "new");
    }
};

TEST_F(InstallJournalTest, RollbackPutsBackEveryFileFolderAndKey) {
    const std::string Before = PrefixSnapshot(FPrefix);
    TInstallJournal Journal;
    ChangeEverything(Journal);
    ASSERT_NE(PrefixSnapshot(FPrefix), Before);
    Journal.Rollback();
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
    EXPECT_FALSE(InterruptedInstallationFound());
}

TEST_F(InstallJournalTest, UndoingAFileTypeTellsTheShell) {
    const auto Notified = [] {
        return std::filesystem::exists(ShellLogPath()) &&
               ReadHostFile(ShellLogPath()).find("SHChangeNotify event=0x08000000") != std::string::npos;
    };
    TInstallJournal Journal;
    Journal.KeyWillBeWritten(HKEY_CLASSES_ROOT, ".xyz");
    RegWrite(HKEY_CLASSES_ROOT, ".xyz", "", "xyzfile");
    ASSERT_FALSE(Notified());
    Journal.Rollback();
    EXPECT_TRUE(Notified());
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".xyz"));
}

TEST_F(InstallJournalTest, CommitKeepsTheChangesAndRemovesTheJournal) {
    const std::string Before = PrefixSnapshot(FPrefix);
    TInstallJournal Journal;
    ChangeEverything(Journal);
    Journal.Commit();
    EXPECT_FALSE(InterruptedInstallationFound());
    EXPECT_FALSE(DirectoryExists(JournalFolder()));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNewKey, "Value"), "new");
    EXPECT_TRUE(FileExists(kNewFolder + "new.txt"));
}

TEST_F(InstallJournalTest, JournalOfARunningInstallationIsLeftAlone) {
    TInstallJournal Journal;
    ChangeEverything(Journal);
    const std::string During = PrefixSnapshot(FPrefix);
    EXPECT_FALSE(InterruptedInstallationFound());
    RollbackInterruptedInstallation();
    EXPECT_THROW({ TInstallJournal Second; }, EFOpenError);
    EXPECT_EQ(PrefixSnapshot(FPrefix), During);
    Journal.Rollback();
}

TEST_F(InstallJournalTest, JournalLeftByADeadRunIsRolledBackAndItsTornLastLineIgnored) {
    WriteFile("C:\\Other.txt", "not the run's");
    const std::string Before = PrefixSnapshot(FPrefix);
    {
        TInstallJournal Journal;
        ChangeEverything(Journal);
    }
    {
        // A power loss before the next entry's line was ended: its file was never written.
        const auto File = OpenFileStream(JournalFolder() + "journal.txt", fmOpenWrite);
        File->Seek(0, TSeekOrigin::soEnd);
        const std::string Torn = "file\tC:\\Other.txt";
        File->WriteBuffer(Torn.data(), static_cast<int64_t>(Torn.size()));
    }
    ASSERT_TRUE(InterruptedInstallationFound());
    RollbackInterruptedInstallation();
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
    EXPECT_FALSE(InterruptedInstallationFound());
}

}  // namespace
