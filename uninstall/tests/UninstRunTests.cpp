// The uninstaller on a fresh emulated prefix: customers installed with the
// library's own routines, then removed as the program removes them, with a
// dialog that records every call and answers as the test says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installlib/tests/InstallScenario.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"
#include "uninstall/UninstRun.h"

using namespace installlib;
using namespace installscenario;
using namespace platform::os;
using namespace uninstall;

namespace {

struct TShown {
    TUninstMessageKind Kind;
    std::string Text;
    std::string Details;
};

// A folder of its own for the uninstaller, as if it ran from somewhere else.
const std::string kElsewhere = "C:\\Elsewhere\\";

class UninstallTest : public TempPrefixTest {
protected:
    TUninstResult Run(const std::vector<std::string>& Args, const std::string& ProgramFolder = kElsewhere) {
        return RunUninstall(Args, ProgramFolder, [this](TUninstMessageKind Kind, const std::string& Text,
                                                        const std::string& Details) {
            Shown.push_back({Kind, Text, Details});
            return Kind == umConfirmation && Answer;
        });
    }
    // The one message shown, which must be an error.
    std::string OnlyError() {
        EXPECT_EQ(Shown.size(), 1u);
        if (Shown.size() != 1) return {};
        EXPECT_EQ(Shown[0].Kind, umError);
        return Shown[0].Text;
    }

    bool Answer = true;
    std::vector<TShown> Shown;
};

}  // namespace

TEST_F(UninstallTest, FirstOfTwoCustomersLeavesTheOtherAndTheSharedParts) {
    Install(kAlfa);
    Install(kBeta);
    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}, kInstallDir), urRemoved);

    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[0].Kind, umConfirmation);
    EXPECT_NE(Shown[0].Text.find(kAlfa.Name), std::string::npos) << Shown[0].Text;
    EXPECT_EQ(Shown[1].Kind, umInformation);
    EXPECT_EQ(Shown[1].Text, "O Navitrex configurado para Alfa Cargo foi removido do seu computador.");

    EXPECT_TRUE(SharedPartsExist());
    EXPECT_TRUE(CustomerPartsExist(kBeta));
    EXPECT_TRUE(FileExists(kBeta.LogFile()));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue), "beta");
    EXPECT_FALSE(Exists(kAlfa.PackageFile()) || Exists(kAlfa.DesktopLink()) || Exists(kAlfa.MenuLink()) ||
                 Exists(kAlfa.LogFile()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + kAlfa.Name));
}

TEST_F(UninstallTest, LastCustomerTakesEverythingAndTheUninstallerDeletesItself) {
    std::vector<std::string> Batches;
    const TSelfDeleteHooks Saved = SetSelfDeleteHooks({[&](const std::string& Batch) { Batches.push_back(Batch); }, [] {}});
    Install(kAlfa);
    // The installed uninstaller is this very program.
    TInstallLog Log = LoadLogFromFile(kAlfa.LogFile());
    AddLog(Log, kLogFile, GetModuleFileName());
    SaveLogToFile(Log, kAlfa.LogFile());

    EXPECT_EQ(Run({"\"NVOCC=" + kAlfa.Name + "\""}), urRemoved);
    SetSelfDeleteHooks(Saved);

    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(TCustomer::MenuFolder()));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile"));
    EXPECT_EQ(Batches.size(), 1u) << "the running uninstaller goes through self-deletion";
    EXPECT_TRUE(FileExists(GetModuleFileName()));
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[1].Kind, umInformation) << "the completion message comes before the program ends";
}

TEST_F(UninstallTest, TheCustomersDatabaseStaysAndTheLastMessageNamesIt) {
    Install(kAlfa);
    const std::string Database = kInstallDir + "Data\\alfa.db";
    WriteFile(Database, "bills of Alfa");
    EXPECT_EQ(CustomerDatabaseFile(LoadLogFromFile(kAlfa.LogFile())), Database);

    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}, kInstallDir), urRemoved);
    EXPECT_EQ(ReadHostFile(HostPath(Database)), "bills of Alfa");
    std::vector<std::string> Left;
    for (const std::string& File : DriveFiles(FPrefix))
        if (File.find("Ostrevan/Navitrex") != std::string::npos) Left.push_back(File);
    EXPECT_EQ(Left, (std::vector<std::string>{"drive_c/Program Files/Ostrevan/Navitrex",
                                              "drive_c/Program Files/Ostrevan/Navitrex/Data",
                                              "drive_c/Program Files/Ostrevan/Navitrex/Data/alfa.db"}));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue));
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[1].Text, "O Navitrex configurado para Alfa Cargo foi removido do seu computador.\r\n\r\n"
                             "Os conhecimentos de embarque deste cliente foram mantidos no arquivo '" + Database +
                                 "'.\r\nAo instalar o Navitrex novamente para este cliente, ele voltará a "
                                 "utilizá-los.");
}

TEST_F(UninstallTest, AnsweringNoChangesNothing) {
    Install(kAlfa);
    Install(kBeta);
    const std::string Before = MachineSnapshot(FPrefix);
    Answer = false;
    EXPECT_EQ(Run({"NVOCC=" + kBeta.Name}, kInstallDir), urDeclined);
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Kind, umConfirmation);
}

TEST_F(UninstallTest, LogFoundThroughTheRegisteredPath) {
    Install(kAlfa);
    EXPECT_EQ(FindLogFile(kAlfa.Name, kElsewhere), kAlfa.LogFile());
    EXPECT_EQ(FindLogFile(kAlfa.Name, kInstallDir), kAlfa.LogFile());
    // The program's own folder comes first.
    ForceDirectories(kElsewhere);
    WriteFile(kElsewhere + kAlfa.Name + ".log", "");
    EXPECT_EQ(FindLogFile(kAlfa.Name, kElsewhere), kElsewhere + kAlfa.Name + ".log");
    EXPECT_EQ(FindLogFile(kBeta.Name, kElsewhere), "");
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue, "Q:\\Nowhere\\");
    EXPECT_EQ(FindLogFile(kAlfa.Name, ""), "");
}

TEST_F(UninstallTest, BadInputIsReportedAndChangesNothing) {
    Install(kAlfa);
    const std::string Before = MachineSnapshot(FPrefix);
    const auto Expect = [&](const std::vector<std::string>& Args, const std::string& Message) {
        Shown.clear();
        EXPECT_EQ(Run(Args), urFailed);
        EXPECT_EQ(OnlyError(), Message);
        EXPECT_EQ(MachineSnapshot(FPrefix), Before);
    };
    Expect({}, "Informe o cliente a ser removido: Uninst.exe \"NVOCC=<nome do cliente>\".");
    Expect({"Alfa Cargo"}, "Informe o cliente a ser removido: Uninst.exe \"NVOCC=<nome do cliente>\".");
    Expect({"NVOCC=Gama"}, "O Navitrex não está instalado para Gama neste computador.");
}

TEST_F(UninstallTest, MissingLogOfAKnownCustomer) {
    Install(kAlfa);
    DeleteFile(kAlfa.LogFile());
    const std::string Before = MachineSnapshot(FPrefix);
    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}), urFailed);
    EXPECT_EQ(OnlyError(), "O arquivo de log da instalação 'Alfa Cargo.log' não foi encontrado.\r\n"
                           "O Navitrex não pode ser removido.");
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);
}

TEST_F(UninstallTest, UnreadableLog) {
    Install(kAlfa);
    const std::string Before = MachineSnapshot(FPrefix);
    {
        const auto Holder = OpenFileStream(kAlfa.LogFile(), fmOpenWrite | fmShareExclusive);
        EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}), urFailed);
    }
    EXPECT_EQ(OnlyError().rfind("Não foi possível ler o arquivo de log da instalação '" + kAlfa.LogFile() + "'.\r\n", 0),
              0u)
        << (Shown.empty() ? "" : Shown[0].Text);
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);
}

TEST_F(UninstallTest, LogOfAnotherProductOrCustomer) {
    Install(kAlfa);
    // Another program's log that happens to carry the customer's name.
    WriteFile(kAlfa.LogFile(), "[Install]\r\nfile=" + kAlfa.PackageFile() + "\r\ndir=" + kInstallDir + "\r\n");
    const std::string Before = MachineSnapshot(FPrefix);
    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}), urFailed);
    EXPECT_EQ(OnlyError(), "O arquivo '" + kAlfa.LogFile() +
                               "' não é um log de instalação do Navitrex para Alfa Cargo.\r\nNada foi removido.");
    EXPECT_EQ(MachineSnapshot(FPrefix), Before);

    // Beta's log renamed to Alfa's.
    Install(kBeta);
    WriteFile(kAlfa.LogFile(), ReadHostFile(HostPath(kBeta.LogFile())));
    Shown.clear();
    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}), urFailed);
    EXPECT_EQ(Shown.size(), 1u);
    EXPECT_TRUE(CustomerPartsExist(kBeta));
    EXPECT_TRUE(Exists(kAlfa.PackageFile()));
}

TEST_F(UninstallTest, ErrorDuringTheUndoIsReportedWithItsDetails) {
    Install(kAlfa);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    Reg.OpenKey(kNavitrexKey, false);
    Reg.WriteInteger(kPackageListValue, 7);  // not a list
    EXPECT_EQ(Run({"NVOCC=" + kAlfa.Name}), urFailed);
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[1].Kind, umError);
    EXPECT_EQ(Shown[1].Text, "Ocorreu algum erro no processo de desinstalação.");
    EXPECT_FALSE(Shown[1].Details.empty());
}
