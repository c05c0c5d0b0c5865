// The wizard driven as a person would: keys and clicks on the real form over
// a temporary emulated prefix, every dialog answered by the test responder.
#include <gtest/gtest.h>

#include <QTimer>

#include "installlib/InstaladorDefs.h"
#include "installlib/tests/HostCommands.h"
#include "installlib/tests/InstallScenario.h"
#include "installlib/tests/RegistryHelpers.h"
#include "platform/os/Files.h"
#include "platform/ui/Resources.h"
#include "setup/NVOCCPackage.h"
#include "setup/tests/ChildInstallation.h"
#include "setup/tests/PackageArchive.h"
#include "setup/tests/WizardFixture.h"

using namespace controls;
using namespace installlib;
using namespace packagearchive;
using namespace platform::os;
using namespace setup;
using installscenario::PrefixSnapshot;

// The test program carries the payload as its resources, like the real one;
// taking them away for a while leaves it with no built-in package. The
// resource functions must be named at global scope.
static void RemoveBuiltInPayload() { Q_CLEANUP_RESOURCE(setup_payload); }
static void RestoreBuiltInPayload() { Q_INIT_RESOURCE(setup_payload); }

namespace {

struct TWithoutBuiltInPayload {
    TWithoutBuiltInPayload() { RemoveBuiltInPayload(); }
    ~TWithoutBuiltInPayload() { RestoreBuiltInPayload(); }
};

const std::string kDir = "C:\\Program Files\\Ostrevan\\Navitrex\\";

// The older edition as its own installer left it, for the installer service to remove.
void RegisterOlderEdition() {
    const std::string Winenv = Quote(WINENV_PATH);
    ASSERT_EQ(RunCommand(Winenv + " init >/dev/null && " + Winenv + " product add " + kOldVersionProductCode +
                         " Navitrex 'C:\\Old\\Navitrex.exe' >/dev/null"),
              0);
    ASSERT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey));
}

// The entry kinds of a complete installation's log, in order.
const char* const kCompleteLogKinds = "dir file file file dir file file dir dir file regvalue regitem program ext file";

// What each line of an installation log records, in order, the header aside.
std::string LogEntryKinds(const std::string& Log) {
    std::istringstream Lines(ReadHostFile(HostPath(Log)));
    std::string Line, Kinds;
    while (std::getline(Lines, Line))
        if (const size_t Equals = Line.find('='); Equals != std::string::npos && Line.rfind("//", 0) != 0)
            Kinds += (Kinds.empty() ? "" : " ") + Line.substr(0, Equals);
    return Kinds;
}

TEST_F(PrincipalTest, FirstInstallationWithEnterOnEveryPageThenStartsTheApplication) {
    TfrmPrincipal& Form = Start();
    ASSERT_EQ(Form.CurrentPage(), Form.tshInicial);
    EXPECT_EQ(Form.windowTitle(), "Ostrevan Installer");
    EXPECT_TRUE(Form.lblInicial->text().endsWith("para emiss\u00E3o de BL's para Mar\u00EDtima Cargas Ltda."));
    EXPECT_EQ(Form.lblInicialSite->text(), "www.maritimacargas.com.br");
    EXPECT_TRUE(Form.lblInicialSite->isVisible());
    EXPECT_FALSE(Form.imgLogo->pixmap().isNull());
    EXPECT_FALSE(Form.btnVoltar->Enabled());
    EXPECT_EQ(Form.btnAvancar->Caption(), "&Avan\u00E7ar >");

    PressEnter();
    ASSERT_EQ(Form.CurrentPage(), Form.tshConfig);
    EXPECT_EQ(Form.edtConfigLocal->text(), "C:\\Program Files\\Ostrevan\\Navitrex");
    EXPECT_TRUE(Form.btnVoltar->Enabled());
    PressEnter();
    ASSERT_EQ(Form.CurrentPage(), Form.tshVerificar);
    EXPECT_EQ(Review().first(), "O Navitrex ser\u00E1 instalado pela primeira vez neste computador.");
    PressEnter();  // the whole run happens inside this press

    ASSERT_EQ(Form.CurrentPage(), Form.tshConcluido);
    EXPECT_TRUE(Calls.empty());
    EXPECT_EQ(Form.pbrInstall->value(), 15);
    EXPECT_TRUE(FileExists(kDir + "Navitrex.exe"));
    EXPECT_TRUE(FileExists(kDir + "Data\\maritima.nvo"));
    EXPECT_EQ(LogEntryKinds(kDir + "Mar\u00EDtima Cargas Ltda.log"), kCompleteLogKinds);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "bldfile");
    EXPECT_NE(RegString(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Navitrex: Mar\u00EDtima Cargas Ltda",
                        "UnInstallString"),
              "(missing)");
    EXPECT_EQ(Form.btnAvancar->Caption(), "Concluir");
    EXPECT_FALSE(Form.btnCancelar->Enabled());
    EXPECT_TRUE(Form.CanClose());

    EXPECT_TRUE(Form.chkIniciar->Checked());
    Form.btnAvancar->Click();
    EXPECT_NE(ShellLog().find("Navitrex.exe"), std::string::npos);
    EXPECT_NE(ShellLog().find("\"NVOCC=Mar\u00EDtima Cargas Ltda\""), std::string::npos);
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(PrincipalTest, EnterDuringTheRunNeitherCancelsNorAsks) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    QTimer::singleShot(400, &Form, [this] { PressEnter(); });
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshConcluido);
    EXPECT_TRUE(Calls.empty());
}

TEST_F(PrincipalTest, ConcluirWithoutTheCheckBoxStartsNothing) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    PressEnter();
    ASSERT_EQ(Form.CurrentPage(), Form.tshConcluido);
    Form.chkIniciar->SetChecked(false);
    Form.btnAvancar->Click();
    EXPECT_EQ(ShellLog().find("Navitrex.exe"), std::string::npos);
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(PrincipalTest, PreviousInstallationSkipsTheFolderPage) {
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "Path", "D:\\Navitrex\\");
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC", "oceanic");
    TfrmPrincipal& Form = Start();
    EXPECT_EQ(Form.edtConfigLocal->text(), "D:\\Navitrex\\");
    PressEnter();
    ASSERT_EQ(Form.CurrentPage(), Form.tshVerificar);
    EXPECT_EQ(Review().first(), "O Navitrex j\u00E1 foi previamente instalado neste computador.");
}

TEST_F(PrincipalTest, SameCustomerAgainIsListedOnce) {
    InstallThroughTheWizard();
    InstallThroughTheWizard();
    EXPECT_TRUE(Calls.empty());
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "maritima");
    EXPECT_EQ(LogEntryKinds(kDir + "Mar\u00EDtima Cargas Ltda.log"), kCompleteLogKinds) << "the same actions logged";
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "bldfile");
    EXPECT_EQ(ShellLog().find("Navitrex.exe"), std::string::npos);
}

TEST_F(PrincipalTest, RelativeFolderIsRefused) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    Form.edtConfigLocal->setText("Navitrex");
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshConfig);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Msg, "O diret\u00F3rio informado n\u00E3o \u00E9 v\u00E1lido.");
    EXPECT_EQ(Calls[0].Kind, dkWarning);
    EXPECT_EQ(Calls[0].Buttons, ButtonSet({dbOK}));
}

TEST_F(PrincipalTest, BackAndNextRebuildTheReview) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    ASSERT_EQ(Form.CurrentPage(), Form.tshVerificar);
    Form.btnVoltar->Click();
    ASSERT_EQ(Form.CurrentPage(), Form.tshConfig);
    EXPECT_EQ(Form.HistoryIndex(), 1);
    Form.edtConfigLocal->setText("E:\\Outro");
    Form.btnAvancar->Click();
    ASSERT_EQ(Form.CurrentPage(), Form.tshVerificar);
    EXPECT_TRUE(Review().contains("E:\\Outro"));
    EXPECT_FALSE(Review().contains("C:\\Program Files\\Ostrevan\\Navitrex"));
    Form.btnVoltar->Click();
    Form.btnVoltar->Click();
    EXPECT_EQ(Form.CurrentPage(), Form.tshInicial);
    EXPECT_FALSE(Form.btnVoltar->Enabled());
}

TEST_F(PrincipalTest, ClosingAsksAndYesCancelsTheWizardWithoutClosingIt) {
    TfrmPrincipal& Form = Start();
    Answer = [](const TMessageDialogCall&) { return 7; };
    Form.Close();
    EXPECT_EQ(Form.CurrentPage(), Form.tshInicial);
    EXPECT_TRUE(Form.isVisible());
    Answer = [](const TMessageDialogCall&) { return 6; };
    Press(Qt::Key_Escape);
    EXPECT_EQ(CallsWith(SConfirmCancel), 2);
    EXPECT_EQ(Calls.back().Kind, dkInformation);
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_FALSE(Form.btnVoltar->Enabled());
    Form.btnAvancar->Click();
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(PrincipalTest, CancelDuringTheRunUndoesEverything) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    Answer = [](const TMessageDialogCall&) { return 6; };
    QTimer::singleShot(450, &Form, [&Form] { Form.Close(); });
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(CallsWith(SConfirmCancel), 1);
    EXPECT_FALSE(DirectoryExists(kDir));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "(missing)");
}

TEST_F(PrincipalTest, FolderThatCannotBeCreatedShowsTheErrorAndUndoes) {
    TfrmPrincipal& Form = Start();
    PressEnter();
    Form.edtConfigLocal->setText("Q:\\Navitrex");
    PressEnter();
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Msg, "Ocorreu algum erro no processo de instala\u00E7\u00E3o.");
    EXPECT_EQ(Calls[0].Kind, dkError);
    const QStringList Details = Calls[0].Details.split("\r\n");
    ASSERT_EQ(Details.size(), 2);
    EXPECT_EQ(Details[0], "N\u00E3o foi poss\u00EDvel criar o diret\u00F3rio da instala\u00E7\u00E3o.");
    EXPECT_TRUE(Details[1].startsWith("(Error code "));
}

TEST_F(PrincipalTest, LockedApplicationFileIsRetriedUntilReleased) {
    ASSERT_TRUE(ForceDirectories(kDir));
    THeldFile Held(kDir + "Navitrex.exe");
    ASSERT_TRUE(Held.Holding());
    Answer = [&](const TMessageDialogCall& Call) {
        EXPECT_EQ(Call.Buttons, ButtonSet({dbRetry}));
        if (Calls.size() == 2) Held.Release();
        return 4;
    };
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshConcluido);
    ASSERT_EQ(Calls.size(), 2u) << "asked once, and again while still held";
    EXPECT_TRUE(Calls[0].Msg.endsWith("\r\n\r\nFeche todos os programas e clique no bot\u00E3o Retry."));
    EXPECT_EQ(Calls[0].Kind, dkConfirmation);
    EXPECT_EQ(Calls[1].Msg, Calls[0].Msg);
    EXPECT_TRUE(FileExists(kDir + "Navitrex.exe"));
    EXPECT_GT(std::filesystem::file_size(HostPath(kDir + "Navitrex.exe")), 0u) << "written once released";
}

TEST_F(PrincipalTest, OlderEditionIsRemovedThroughTheInstallerServiceFirst) {
    RegisterOlderEdition();
    Answer = [](const TMessageDialogCall&) { return 6; };
    TfrmPrincipal& Form = Start();
    for (int Pass = 0; Pass < 50 && Form.CurrentPage() != Form.tshInicial; ++Pass) QTest::qWait(20);
    EXPECT_EQ(CallsWith(SOldVersionFound), 1);
    EXPECT_EQ(Calls[0].Kind, dkConfirmation);
    ASSERT_EQ(Form.CurrentPage(), Form.tshInicial);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey));
    EXPECT_FALSE(Form.btnVoltar->Enabled()) << "the removal page stays out of the history";
}

TEST_F(PrincipalTest, CancelWhileTheOlderEditionIsRemovedStaysCancelled) {
    RegisterOlderEdition();
    Answer = [](const TMessageDialogCall&) { return 6; };
    // Closes the window once, as soon as the removal page shows.
    QTimer Closer;
    QObject::connect(&Closer, &QTimer::timeout, [&] {
        if (FForm && FForm->CurrentPage() == FForm->tshDesinstalando) {
            Closer.stop();
            FForm->Close();
        }
    });
    Closer.start(0);
    TfrmPrincipal& Form = Start();
    for (int Pass = 0; Pass < 50 && RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey); ++Pass) QTest::qWait(20);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey)) << "the removal runs to its end";
    EXPECT_EQ(CallsWith(SOldVersionFound), 1);
    EXPECT_EQ(CallsWith(SConfirmCancel), 1);
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    EXPECT_FALSE(Form.btnVoltar->Enabled());
}

TEST_F(PrincipalTest, DecliningTheOlderEditionsRemovalCancels) {
    RegWrite(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey, "DisplayName", "Navitrex");
    Answer = [](const TMessageDialogCall&) { return 7; };
    TfrmPrincipal& Form = Start();
    EXPECT_EQ(CallsWith(SOldVersionFound), 1);
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
}

TEST_F(PrincipalTest, NoPackageAtAllEndsTheWizardWithoutAWord) {
    SetPackageFile("C:\\nenhum.nvo");
    TWithoutBuiltInPayload Removed;
    ASSERT_FALSE(platform::ui::FindResourceData("NVOCC"));
    TfrmPrincipal& Form = Start();
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    EXPECT_TRUE(Calls.empty());
    EXPECT_TRUE(Form.CanClose());
    EXPECT_FALSE(Form.btnVoltar->Enabled());
    Form.btnAvancar->Click();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_FALSE(DirectoryExists(kDir));
}

TEST_F(PrincipalTest, LogoBeforeTheConfigurationWelcomesNoCustomer) {
    const std::string File = "C:\\logo-primeiro.nvo";
    Package({{"image.bmp", BitmapBytes()},
             {"nvocc_cfg.ini", "[Config]\r\nName=Beta Linhas\r\nSite=www.beta.com\r\nFileName=beta\r\n"}})
        .SaveToFile(HostPath(File));
    SetPackageFile(File);
    TfrmPrincipal& Form = Start();
    ASSERT_EQ(Form.CurrentPage(), Form.tshInicial);
    EXPECT_TRUE(Form.lblInicial->text().endsWith("para emiss\u00E3o de BL's para ."));
    EXPECT_FALSE(Form.lblInicialSite->isVisible());
    EXPECT_FALSE(Form.imgLogo->pixmap().isNull());
    EXPECT_TRUE(Calls.empty());
}

TEST_F(PrincipalTest, UnreadablePackageIsReportedAndEndsTheWizard) {
    const std::string File = "C:\\corrupt.nvo";
    // The header claims five entries; what follows is no entry at all.
    WriteHostFile(HostPath(File), std::string("\x00\x00\x80\x3F\x05garbage", 12));
    SetPackageFile(File);
    const std::string Before = PrefixSnapshot(FPrefix);
    TfrmPrincipal& Form = Start();
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Msg, QString::fromStdString(LoadResString(SPackageUnreadable)));
    EXPECT_EQ(Calls[0].Kind, dkError);
    EXPECT_FALSE(Calls[0].Details.isEmpty());
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    PressEnter();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
}

TEST_F(PrincipalTest, PackagesWhoseNamesCannotNameFilesAreShownButNeverInstalled) {
    const std::string Logo = BitmapBytes();
    const auto Config = [](const std::string& Name, const std::string& FileName) {
        return "[Config]\r\nName=" + Name + "\r\nSite=<b>www.alfa.com</b>\r\nFileName=" + FileName + "\r\n";
    };
    const std::pair<const char*, std::vector<std::pair<std::string, std::string>>> kPackages[] = {
        {"file name leaving the folder", {{"nvocc_cfg.ini", Config("Alfa", "..\\..\\..\\..\\windows\\evil")}}},
        {"name leaving the folder", {{"nvocc_cfg.ini", Config("..\\..\\..\\..\\Outside", "outside")}}},
        {"name with a slash", {{"nvocc_cfg.ini", Config("Transportes A/S", "tas")}}},
        {"markup for a name", {{"nvocc_cfg.ini", Config("<i>Alfa</i>", "alfa")}}},
        {"logo before the configuration", {{"image.bmp", Logo}, {"nvocc_cfg.ini", Config("Alfa", "alfa")}}},
    };
    for (size_t Index = 0; Index < std::size(kPackages); ++Index)
        Package(kPackages[Index].second).SaveToFile(HostPath("C:\\hostile" + std::to_string(Index) + ".nvo"));
    const std::string Before = PrefixSnapshot(FPrefix);
    const QString Refusal = QString::fromStdString(LoadResString(SInvalidCustomer)).section("\r\n", 0, 0);
    for (size_t Index = 0; Index < std::size(kPackages); ++Index) {
        SCOPED_TRACE(kPackages[Index].first);
        Calls.clear();
        SetPackageFile("C:\\hostile" + std::to_string(Index) + ".nvo");
        TfrmPrincipal& Form = Start();
        ASSERT_EQ(Form.CurrentPage(), Form.tshInicial);
        EXPECT_EQ(Form.lblInicial->textFormat(), Qt::PlainText);
        EXPECT_EQ(Form.lblInicialSite->textFormat(), Qt::PlainText);
        for (int Page = 0; Page < 3 && Form.CurrentPage() != Form.tshCancelado; ++Page) PressEnter();
        EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
        ASSERT_EQ(Calls.size(), 1u);
        EXPECT_EQ(Calls[0].Kind, dkError);
        EXPECT_TRUE(Calls[0].Details.startsWith(Refusal)) << Calls[0].Details.toStdString();
        EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
        FForm.reset();
    }
}

TEST_F(PrincipalTest, LogThatCannotBeSavedFailsTheRunWhichLeavesNothingAndCanBeClosed) {
    ASSERT_TRUE(ForceDirectories(kDir + "Mar\u00EDtima Cargas Ltda.log"));
    const std::string Before = PrefixSnapshot(FPrefix);
    TfrmPrincipal& Form = Start();
    PressEnter();
    PressEnter();
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshCancelado);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Kind, dkError);
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
    EXPECT_TRUE(Form.CanClose());
    Form.btnAvancar->Click();
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(PrincipalTest, SiteWithoutASchemeOpensAsAWebAddress) {
    TfrmPrincipal& Form = Start();
    QTest::mouseClick(Form.lblInicialSite, Qt::LeftButton);
    EXPECT_NE(ShellLog().find("http://www.maritimacargas.com.br"), std::string::npos) << ShellLog();
}

TEST_F(PrincipalTest, InterruptedInstallationIsUndoneBeforeTheWelcomePage) {
    const std::string Before = PrefixSnapshot(FPrefix);
    ASSERT_EQ(InstallKilledAt(21, {"Alfa Cargo", "", "", "alfa"}, kDir), SIGKILL);
    ASSERT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Navitrex: Alfa Cargo"));
    TfrmPrincipal& Form = Start();
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Msg, QString::fromStdString(LoadResString(SInterruptedInstallation)));
    EXPECT_EQ(Calls[0].Kind, dkInformation);
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
    ASSERT_EQ(Form.CurrentPage(), Form.tshInicial);
    PressEnter();
    EXPECT_EQ(Form.CurrentPage(), Form.tshConfig) << "what was installed is read after the undo";
}

TEST_F(PrincipalTest, FolderBrowserAnswerGoesIntoTheFolderBox) {
    struct TPicker : TFolderBrowser {
        bool Browse(void*, const std::string& Title, const std::string& Initial, std::string& Folder) override {
            Seen = Title + "|" + Initial;
            Folder = "D:\\Escolhido";
            return true;
        }
        std::string Seen;
    } Picker;
    SetFolderBrowser(&Picker);
    TfrmPrincipal& Form = Start();
    PressEnter();
    Form.edtConfigLocal->setText("C:\\Novo\\Navitrex");
    Form.btnConfigLocalizar->Click();
    EXPECT_EQ(Picker.Seen, "Selecione o diret\u00F3rio de instala\u00E7\u00E3o:|C:\\Novo\\Navitrex");
    EXPECT_EQ(Form.edtConfigLocal->text(), "D:\\Escolhido");
    EXPECT_FALSE(DirectoryExists("C:\\Novo\\Navitrex")) << "the folder made for the browser goes again";
}

}  // namespace
