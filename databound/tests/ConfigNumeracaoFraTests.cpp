// The numbering dialog driven by the keyboard on every engine: the defaults of
// an automatic field for all companies, validation messages and questions,
// the reset question deleting counters, a failed save that can be retried,
// switching numbering off, and nothing written before OK. With
// VEX_NUMBERING_DIALOG_OUT set the picture is written there
// (docs/numbering-dialog.png is made this way).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "NumberingDialogTest.h"
#include "controls/VexButton.h"
#include "controls/VexPageControl.h"
#include "controls/tests/MessageBoxTesting.h"
#include "dataaccess/NumberingHook.h"
#include "databound/ConfigNumeracaoFra.h"
#include "databound/Numeracao.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBGrid.h"
#include "platform/data/DBClient.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBCtrls.h"

namespace databound {
namespace {

using platform::ui::mrCancel;
using platform::ui::mrNo;
using platform::ui::mrNone;
using platform::ui::mrOk;
using platform::ui::mrYes;
using testing::NumberingDialogTest;

constexpr int kTodas = 0;
constexpr int kFilial = 1;

class ConfigNumeracaoFra : public NumberingDialogTest {
protected:
    void TearDown() override {
        Form.reset();
        NumberingDialogTest::TearDown();
    }
    // Numero numbers itself for all companies; Serie only where configured.
    static TConfigNumeracao Pedido() {
        TConfigNumeracao Config("Pedido");
        Config.AddItem("Numero", "Número", kZeramentoAnual, 6, "[Numero]/[YY]", true);
        Config.AddItem("Serie", "Série", kZeramentoNunca, 4, "", false);
        return Config;
    }
    TfrmConfigNumeracao& Open(const TConfigNumeracao& Config = Pedido()) {
        Form = std::make_unique<TfrmConfigNumeracao>();
        Form->LoadConfig(Config);
        Form->show();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }
    static void Choose(QComboBox* Box, int Index) {
        Box->setFocus();
        const int Steps = Index - Box->currentIndex();
        for (int I = 0; I < std::abs(Steps); ++I) QTest::keyClick(Box, Steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    }
    static void Type(QLineEdit* Edit, const QString& Text) {
        Edit->setFocus();
        QTest::keyClick(Edit, Qt::Key_End);
        QTest::keyClick(Edit, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(Edit, Qt::Key_Backspace);
        QTest::keyClicks(Edit, Text);
    }
    // The next (Right) or previous (Left) page, as the user asks for it.
    void ShowPage(Qt::Key Key) { QTest::keyClick(Form->pctConfigNumeracao, Key); }
    void Toggle() { QTest::keyClick(Form->chkConfigurarNumeracao, Qt::Key_Space); }
    // OK from the keyboard; true when the dialog closed.
    bool PressOK() {
        QTest::keyClick(Form->btnOK, Qt::Key_Space);
        return Form->ModalResult() == mrOk;
    }
    void AddCounter(int Id, int IdNumeracao, int Numero, int Ano) {
        Conn->Execute(QString("Insert Into sys_Numeracao_Item (IdNumeracao_Item, IdNumeracao, Numero, Dia, Mes, "
                              "Ano) Values (%1, %2, %3, 0, 0, %4)")
                          .arg(Id).arg(IdNumeracao).arg(Numero).arg(Ano));
    }

    std::unique_ptr<TfrmConfigNumeracao> Form;
};
VEX_INSTANTIATE_ENGINE_SUITE(ConfigNumeracaoFra);

TEST_P(ConfigNumeracaoFra, AnAutomaticFieldForAllCompaniesIsAlwaysOnWithItsDefaults) {
    TfrmConfigNumeracao& F = Open();
    EXPECT_EQ(F.cbxEmpresa->currentText(), kAllCompanies);
    EXPECT_EQ(F.cbxEmpresa->count(), 3);
    EXPECT_FALSE(F.actConfigurarNumeracao->Enabled());
    EXPECT_TRUE(F.chkConfigurarNumeracao->Checked());
    EXPECT_EQ(F.edtMascara->text(), "[Numero]/[YY]");
    EXPECT_EQ(F.edtDigitos->text(), "6");
    EXPECT_EQ(F.cbxZeramento->currentText(), "3");
    EXPECT_EQ(F.cbxZeramento->DisplayText(F.cbxZeramento->currentIndex()), "Anual");
    EXPECT_TRUE(F.edtMascara->isEnabled());
    const QString Year = QDate::currentDate().toString("yy");
    EXPECT_EQ(F.lblExemplo->text(), "000013/" + Year);
    // Space on the disabled check box changes nothing.
    Toggle();
    EXPECT_TRUE(F.chkConfigurarNumeracao->Checked());

    // A company starts switched off with the plain defaults.
    Choose(F.cbxEmpresa, kFilial);
    EXPECT_TRUE(F.actConfigurarNumeracao->Enabled());
    EXPECT_FALSE(F.chkConfigurarNumeracao->Checked());
    EXPECT_EQ(F.edtMascara->text(), "");
    EXPECT_EQ(F.edtDigitos->text(), "4");
    EXPECT_FALSE(F.edtMascara->isEnabled());
    EXPECT_EQ(F.lblExemplo->text(), kEmptyExample);
    Toggle();
    EXPECT_TRUE(F.edtMascara->isEnabled());
    // A token goes to the start of the mask when the edit has not the focus.
    Type(F.edtMascara, "-F");
    F.btnOK->setFocus();
    QTest::mouseClick(F.TokenLabels.front(), Qt::LeftButton);
    EXPECT_EQ(F.edtMascara->text(), "[Numero]-F");
    EXPECT_EQ(F.lblExemplo->text(), "0013-F");
    EXPECT_EQ(Count("sys_Numeracao"), 0);
}

TEST_P(ConfigNumeracaoFra, AnEmptyMaskOrNoDigitsKeepTheRowUnlessTheAutomaticRowForAllIsConfirmed) {
    TfrmConfigNumeracao& F = Open();
    const struct {
        const char* Name;
        int Company;
        const char* Mask;
        const char* Digits;
        int Answer;
        QStringList Messages;
        bool Closed;
    } Cases[] = {
        {"company row without mask", kFilial, "", "4", mrYes, {QString(kFillField).arg("Máscara")}, false},
        {"company row without digits", kFilial, "F[Numero]", "0", mrYes, {QString(kFillField).arg("Dígitos")}, false},
        {"automatic row, answered No", kTodas, "", "6", mrNo, {kEmptyMaskQuestion}, false},
        {"automatic row, answered Yes", kTodas, "", "6", mrYes, {kEmptyMaskQuestion}, true},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Choose(F.cbxEmpresa, C.Company);
        if (C.Company != kTodas && !F.chkConfigurarNumeracao->Checked()) Toggle();
        Type(F.edtMascara, C.Mask);
        Type(F.edtDigitos, C.Digits);
        Dialogs.Calls.clear();
        Dialogs.Answer = C.Answer;
        EXPECT_EQ(PressOK(), C.Closed);
        EXPECT_EQ(Messages(), C.Messages);
        if (C.Closed) break;
        EXPECT_EQ(Count("sys_Numeracao"), 0);
        // Leave the company row switched off again, so it is not what stops the next case.
        if (C.Company != kTodas) {
            Type(F.edtMascara, "F[Numero]");
            Type(F.edtDigitos, "4");
            Toggle();
        }
    }
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|3||6"}));
    EXPECT_EQ(GerarNumeracao("Pedido", "Numero", 3, kZeramentoAnual, 6, "[Numero]/[YY]", true), "");
}

TEST_P(ConfigNumeracaoFra, ChangingTheResetOptionAndAnsweringYesRestartsTheNumbering) {
    Configure(1, 0, "Numero", kZeramentoAnual, "[Numero]/[YY]", 6);
    AddCounter(1, 1, 41, 2024);
    AddCounter(2, 1, 7, 2025);
    TfrmConfigNumeracao& F = Open();
    ShowPage(Qt::Key_Right);
    EXPECT_EQ(F.cdsNumeracaoItem->RecordCount(), 2);
    ShowPage(Qt::Key_Left);
    Choose(F.cbxZeramento, kZeramentoNunca);

    Dialogs.Answer = mrCancel;
    EXPECT_FALSE(PressOK());
    EXPECT_EQ(Messages(), QStringList({kResetQuestion}));
    EXPECT_EQ(Counters().size(), 2);

    Dialogs.Answer = mrYes;
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|0|[Numero]/[YY]|6"}));
    EXPECT_TRUE(Counters().isEmpty());
    EXPECT_EQ(GerarNumeracao("Pedido", "Numero", 3, kZeramentoAnual, 6, "[Numero]/[YY]", true, nullptr,
                             QDateTime(QDate(2025, 5, 2), QTime(9, 0))),
              "000001/25");
}

TEST_P(ConfigNumeracaoFra, AFailureOnTheSecondRowUndoesTheFirstAndARetryAfterTheCauseIsGoneSucceeds) {
    TfrmConfigNumeracao& F = Open();
    Choose(F.cbxCampo, 1);
    Toggle();
    Type(F.edtMascara, "T-[Numero]");
    Choose(F.cbxEmpresa, kFilial);
    Toggle();
    Type(F.edtMascara, "F-[Numero]");
    // The company disappears before OK: its row cannot be stored.
    Conn->Execute("Delete From sys_Empresa_Sistema Where IdEmpresa_Sistema = 3");

    EXPECT_FALSE(PressOK());
    EXPECT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Count("sys_Numeracao"), 0);
    EXPECT_EQ(Count("sys_Campo_Incremento"), 0);
    EXPECT_EQ(F.cdsNumeracao->FieldByName("IdNumeracao")->AsInteger(), 0) << "the working rows keep their keys";

    Conn->Execute("Insert Into sys_Empresa_Sistema (IdEmpresa_Sistema, Nome) Values (3, 'Filial')");
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|3|[Numero]/[YY]|6", "2||Pedido|Serie|0|T-[Numero]|4",
                                      "3|3|Pedido|Serie|0|F-[Numero]|4"}));
}

TEST_P(ConfigNumeracaoFra, SwitchingNumberingOffDeletesTheConfigurationWithItsCounters) {
    Configure(1, 3, "Serie", kZeramentoNunca, "S-[Numero]", 4);
    Configure(2, 0, "Numero", kZeramentoAnual, "[Numero]/[YY]", 6);
    AddCounter(1, 1, 12, 0);
    AddCounter(2, 2, 5, 2025);
    TfrmConfigNumeracao& F = Open();
    Choose(F.cbxCampo, 1);
    Choose(F.cbxEmpresa, kFilial);
    ASSERT_TRUE(F.chkConfigurarNumeracao->Checked());
    EXPECT_EQ(F.edtMascara->text(), "S-[Numero]");
    Toggle();
    EXPECT_FALSE(F.edtMascara->isEnabled());
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(Configs(), QStringList({"2||Pedido|Numero|3|[Numero]/[YY]|6"}));
    EXPECT_EQ(Counters(), QStringList({"2|2|5|0|0|2025"}));
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_P(ConfigNumeracaoFra, NothingIsWrittenBeforeOK) {
    Configure(1, 0, "Numero", kZeramentoAnual, "[Numero]/[YY]", 6);
    AddCounter(1, 1, 41, 2024);
    const QStringList Before = Configs() + Counters();
    TfrmConfigNumeracao& F = Open();
    Type(F.edtMascara, "N-[Numero]");
    Choose(F.cbxCampo, 1);
    Toggle();
    Type(F.edtMascara, "S-[Numero]");
    Choose(F.cbxEmpresa, kFilial);
    ShowPage(Qt::Key_Right);
    EXPECT_EQ(Configs() + Counters(), Before);
    EXPECT_EQ(Count("sys_Campo_Incremento"), 0);
    // Esc reaches Cancelar through the form.
    F.cbxCampo->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(F.ModalResult(), mrCancel);
    EXPECT_EQ(Configs() + Counters(), Before);
}

TEST(ConfigurarNumeracaoTest, AConfigurationWithoutFieldsIsToldInsteadOfShown) {
    dataaccess::testing::TTestHost Host;
    TRecordedDialogs Dialogs;
    ConfigurarNumeracao(TConfigNumeracao("Pedido"));
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, kNoNumberedField);
    EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkWarning);
    // Once registered, the table classes' hook shows the dialog with its fields.
    const dataaccess::TNumberingDialog Previous = dataaccess::SetNumberingDialog(nullptr);
    RegisterNumberingDialog();
    QStringList Fields;
    WhenShows<TfrmConfigNumeracao>([&](TfrmConfigNumeracao& F) {
        for (int I = 0; I < F.cbxCampo->count(); ++I) Fields << F.cbxCampo->itemText(I);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    dataaccess::ConfigurarNumeracao("Pedido", {{"Numero", "Número", 3, 6, "[Numero]/[YY]", true}});
    dataaccess::SetNumberingDialog(Previous);
    EXPECT_EQ(Fields, QStringList({"Número"}));
}

}  // namespace
}  // namespace databound

namespace databound {
namespace {

TEST_P(ConfigNumeracaoFra, TheCountersPageShowsThePeriodColumnsOfTheResetOptionAndNewCountersTakeTodaysPeriod) {
    Configure(1, 0, "Numero", kZeramentoMensal, "[Numero]/[MM]", 6);
    AddCounter(1, 1, 41, 2024);
    TfrmConfigNumeracao& F = Open();
    EXPECT_EQ(F.width(), 323 + 2 * F.BorderWidth());
    EXPECT_EQ(F.height(), 367 + 2 * F.BorderWidth());
    ShowPage(Qt::Key_Right);
    auto Shown = [&] {
        QStringList Out;
        for (int I = 0; I < F.grdNumeracaoItem->Columns().Count(); ++I)
            if (F.grdNumeracaoItem->Columns()[I]->Visible())
                Out << QString("%1:%2").arg(F.grdNumeracaoItem->Columns()[I]->FieldName())
                           .arg(F.grdNumeracaoItem->Columns()[I]->Width());
        return Out;
    };
    EXPECT_EQ(Shown(), QStringList({"Numero:70", "Mes:50", "Ano:50"}));
    F.grdNumeracaoItem->setFocus();
    QTest::keyClick(F.grdNumeracaoItem, Qt::Key_Insert);
    ASSERT_EQ(F.cdsNumeracaoItem->State(), platform::data::dsInsert);
    const QDate Today = QDate::currentDate();
    EXPECT_EQ(F.cdsNumeracaoItem->FieldByName("Dia")->AsInteger(), 0);
    EXPECT_EQ(F.cdsNumeracaoItem->FieldByName("Mes")->AsInteger(), Today.month());
    EXPECT_EQ(F.cdsNumeracaoItem->FieldByName("Ano")->AsInteger(), Today.year());
    F.cdsNumeracaoItem->FieldByName("Numero")->SetAsInteger(9);
    F.cdsNumeracaoItem->Post();
    EXPECT_EQ(F.cdsNumeracaoItem->RecordCount(), 2);
    ShowPage(Qt::Key_Left);
    // A changed reset option restarts the counters once the question is answered Yes.
    Dialogs.Answer = mrYes;
    const std::pair<int, QStringList> Cases[] = {
        {kZeramentoDiario, {"Numero:70", "Dia:50", "Mes:50", "Ano:50"}},
        {kZeramentoAnual, {"Numero:70", "Ano:50"}},
        {kZeramentoNunca, {"Numero:70"}},
    };
    for (const auto& [Opcao, Columns] : Cases) {
        SCOPED_TRACE(Opcao);
        Choose(F.cbxZeramento, Opcao);
        ShowPage(Qt::Key_Right);
        EXPECT_EQ(F.pctConfigNumeracao->ActivePage(), F.tshValores);
        EXPECT_EQ(Shown(), Columns);
        EXPECT_TRUE(F.cdsNumeracaoItem->IsEmpty());
        ShowPage(Qt::Key_Left);
    }
    EXPECT_EQ(Messages(), QStringList({kResetQuestion}));
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|0|[Numero]/[MM]|6"}));
    EXPECT_TRUE(Counters().isEmpty());
}

TEST_P(ConfigNumeracaoFra, ARowThatCannotBePostedKeepsThePageTheFieldAndTheCompany) {
    TfrmConfigNumeracao& F = Open();
    Choose(F.cbxEmpresa, kFilial);
    Toggle();
    // No mask: neither the page, nor the field, nor the company can change.
    ShowPage(Qt::Key_Right);
    EXPECT_EQ(F.pctConfigNumeracao->ActivePage(), F.tshConfiguracao);
    Choose(F.cbxCampo, 1);
    EXPECT_EQ(F.cbxCampo->currentIndex(), 0);
    Choose(F.cbxEmpresa, kTodas);
    EXPECT_EQ(F.cbxEmpresa->currentIndex(), kFilial);
    EXPECT_EQ(Messages(), QStringList(3, QString(kFillField).arg("Máscara")));
    Type(F.edtMascara, "F-[Numero]");
    Choose(F.cbxEmpresa, kTodas);
    EXPECT_EQ(F.cbxEmpresa->currentIndex(), kTodas);
    const QByteArray Out = qgetenv("VEX_NUMBERING_DIALOG_OUT");
    if (!Out.isEmpty() && GetParam() == platform::data::egSQLite) {
        EXPECT_TRUE(F.grab().toImage().save(QString::fromLocal8Bit(Out)));
    }
}

}  // namespace
}  // namespace databound
