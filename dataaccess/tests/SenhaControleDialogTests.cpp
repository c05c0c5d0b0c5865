// The control-password dialog driven by the keyboard: what it says when the
// password or the reason is missing and where the focus goes, a wrong
// password kept out, the limits of its boxes, and its picture. The batches
// SQL Server receives are kept as text. With VEX_CONTROL_PASSWORD_OUT set the
// picture is written there (docs/control-password.png is made this way).
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "controls/VexButton.h"
#include "controls/VexDataLabel.h"
#include "controls/tests/MessageBoxTesting.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/PermissionOperations.h"
#include "dataaccess/SenhaControleDialog.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/data/ADODB.h"
#include "platform/ui/Fonts.h"

using namespace dataaccess;
using namespace platform::data;

namespace {

class SenhaControleDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Host.Login("ana", 1, 1);
        Connection().Execute(
            "Insert Into sys_Senha_Controle (IdSenha_Controle, Nome, Senha, Tipo) Values (2, 'Gerente', '4821', 2)");
    }

    TADOConnection& Connection() { return *Host.DefaultConnection(); }
    int LogCount() { return Connection().SelectRow("Select Count(*) From sys_Log").value(0).toInt(); }

    // Runs Keys on the showing dialog and answers whether it closed with OK.
    bool Request(int MinReasonLength, std::function<void(TfrmSenhaControle& Dialog)> Keys) {
        WhenShows<TfrmSenhaControle>(std::move(Keys));
        return RequestControlPassword("Excluir cliente", true, nullptr, MinReasonLength, nullptr, nullptr);
    }

    void Enter(QWidget* Box) { QTest::keyClick(Box, Qt::Key_Return); }

    dataaccess::testing::TTestHost Host;
    TRecordedDialogs Messages;
};

QStringList Texts(const std::vector<controls::TMessageDialogCall>& Calls) {
    QStringList Out;
    for (const auto& Call : Calls) Out << Call.Msg;
    return Out;
}

}  // namespace

TEST_F(SenhaControleDialog, AMissingPasswordIsToldAndKeepsTheFocusInItsBox) {
    QWidget* Focused = nullptr;
    EXPECT_FALSE(Request(1, [&](TfrmSenhaControle& Dialog) {
        QTest::keyClicks(Dialog.edtSenha, "   ");
        Enter(Dialog.edtSenha);
        Focused = QApplication::focusWidget() == Dialog.edtSenha ? Dialog.edtSenha : nullptr;
        QTest::keyClick(Dialog.edtSenha, Qt::Key_Escape);
    }));
    EXPECT_EQ(Texts(Messages.Calls), QStringList({kPasswordMissing}));
    EXPECT_NE(Focused, nullptr);
    EXPECT_EQ(LogCount(), 0);
}

TEST_F(SenhaControleDialog, EnterInThePasswordBoxMovesOnToTheReasonWhichMustThenBeGiven) {
    const struct {
        int Minimum;
        const char* Caption;
        const char* Short;
        const char* Message;
        const char* Reason;
    } Cases[] = {{1, "Motivo", "  ", "É necessário preencher um motivo.", "abc"},
                 {5, "Motivo (mínimo de 5 caracteres)", "abc ", "É necessário preencher um motivo (mínimo de 5 caracteres).",
                  "abc defgh"}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Caption);
        Messages.Calls.clear();
        QString Caption;
        bool MovedSilently = false, BackInReason = false;
        EXPECT_TRUE(Request(Case.Minimum, [&](TfrmSenhaControle& Dialog) {
            Caption = Dialog.lblMotivo->Caption();
            QTest::keyClicks(Dialog.edtSenha, "4821");
            Enter(Dialog.edtSenha);
            MovedSilently = Messages.Calls.empty() && QApplication::focusWidget() == Dialog.edtMotivo;
            QTest::keyClicks(Dialog.edtMotivo, Case.Short);
            Enter(Dialog.edtMotivo);
            BackInReason = QApplication::focusWidget() == Dialog.edtMotivo;
            Dialog.edtMotivo->clear();
            QTest::keyClicks(Dialog.edtMotivo, Case.Reason);
            Enter(Dialog.edtMotivo);
        }));
        EXPECT_EQ(Caption, Case.Caption);
        EXPECT_TRUE(MovedSilently);
        EXPECT_TRUE(BackInReason);
        EXPECT_EQ(Texts(Messages.Calls), QStringList({Case.Message}));
        EXPECT_EQ(ControlPasswordState().LastReason, Case.Reason);
        Connection().Execute("Update sys_Senha_Controle Set Senha = '4821'");
    }
}

TEST_F(SenhaControleDialog, AWrongPasswordIsToldAndSelectedForRetyping) {
    int Selected = 0;
    bool Closed = Request(1, [&](TfrmSenhaControle& Dialog) {
        QTest::keyClicks(Dialog.edtSenha, "48%");
        QTest::keyClick(Dialog.edtSenha, Qt::Key_Tab);
        QTest::keyClicks(Dialog.edtMotivo, "conferido");
        Enter(Dialog.edtMotivo);
        if (QApplication::focusWidget() == Dialog.edtSenha) Selected = Dialog.edtSenha->selectionLength();
        QTest::keyClicks(Dialog.edtSenha, "4821");
        Enter(Dialog.edtSenha);
    });
    EXPECT_TRUE(Closed);
    EXPECT_EQ(Texts(Messages.Calls), QStringList({kPasswordInvalid}));
    EXPECT_EQ(Selected, 3);  // the whole of "48%"
    EXPECT_EQ(LogCount(), 1);
    EXPECT_NE(Connection().SelectRow("Select Senha From sys_Senha_Controle").value(0).toString(), "4821");
}

TEST_F(SenhaControleDialog, TheBoxesKeepTheirLimitsAndThePasswordIsMasked) {
    TfrmSenhaControle Dialog(Connection(), 1, nullptr);
    const struct {
        QLineEdit* Box;
        int Limit;
    } Cases[] = {{Dialog.edtSenha, kPasswordMaxLength}, {Dialog.edtMotivo, kReasonMaxLength}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Box->objectName().toStdString());
        QTest::keyClicks(Case.Box, QString(Case.Limit + 5, 'x'));
        EXPECT_EQ(Case.Box->text().size(), Case.Limit);
    }
    EXPECT_EQ(Dialog.edtSenha->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Dialog.Caption(), kSenhaControleCaption);
    EXPECT_EQ(Dialog.lblSenhaSolicitada->text(), "Gerente");
    EXPECT_TRUE(Dialog.lblSenhaSolicitada->font().bold());
    EXPECT_GE(Dialog.lblSenhaSolicitada->x(), Dialog.lblSolicitada->geometry().right());  // the whole caption shows
}

TEST_F(SenhaControleDialog, TheEntryFollowsTheOperationTextAndTheDialogFitsIt) {
    TfrmSenhaControle Dialog(Connection(), 1, nullptr);
    Dialog.SetOperation("Excluir cliente");
    const int OneLine = Dialog.height();
    EXPECT_EQ(Dialog.pnlEntrada->y(), std::max(Dialog.lblOperacao->geometry().bottom() + 1 + 8, 44));
    Dialog.SetOperation(QString(40, 'x').append(' ').repeated(4));
    EXPECT_EQ(Dialog.pnlEntrada->y(), Dialog.lblOperacao->geometry().bottom() + 1 + 8);
    EXPECT_GT(Dialog.height(), OneLine);
    EXPECT_TRUE(Dialog.lblOperacao->font().bold());
}

TEST_F(SenhaControleDialog, PictureOfTheDialog) {
    TfrmSenhaControle Dialog(Connection(), 5, nullptr);
    Dialog.SetOperation("Excluir cliente");
    QTest::keyClicks(Dialog.edtSenha, "4821");
    QTest::keyClicks(Dialog.edtMotivo, "Cliente em duplicidade");
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    const QImage Picture = Dialog.grab().toImage();
    EXPECT_EQ(Picture.size(), Dialog.size());
    // The masked box shows no digit of the password.
    EXPECT_EQ(Dialog.edtSenha->displayText(), QString(4, Dialog.edtSenha->displayText().front()));
    if (const QByteArray Out = qgetenv("VEX_CONTROL_PASSWORD_OUT"); !Out.isEmpty()) {
        EXPECT_TRUE(Picture.save(QString::fromLocal8Bit(Out)));
    }
}

TEST(PermissionBatches, SqlServerReceivesTheBatchesWithoutPatternMatching) {
    RegisterPermissionOperations();
    for (const char* Name : {kRoleOperation, kPermissionOperation, kPickPasswordOperation, kValidatePasswordOperation}) {
        SCOPED_TRACE(Name);
        const QString Batch = FindOperation(Name).Batch();
        EXPECT_FALSE(Batch.contains(" Like ", Qt::CaseInsensitive));
        for (const TOperationParam& Param : FindOperation(Name).Params())
            EXPECT_TRUE(Batch.contains(":" + Param.Name)) << Param.Name.toStdString();
    }
    const QString Validation = FindOperation(kValidatePasswordOperation).Batch();
    for (const char* Part :
         {"Where Senha = @Senha And (IdSenha_Controle = @IdSenha_Controle Or Tipo = 1)\r\nOrder By Tipo Desc",
          "Update sys_Senha_Controle Set Senha = Left(@NovaSenha, DataLength(Senha))\r\n"
          "  Where IdSenha_Controle = @Id And Senha = @Senha And Tipo = 2\r\n  If @@ROWCOUNT = 1 Set @Result = 1",
          "Delete From sys_Senha_Controle Where IdSenha_Controle = @Id And Senha = @Senha And Tipo = 3\r\n"
          "  If @@ROWCOUNT = 1 Set @Result = 1",
          "Values (@IdUsuario, GetDate(), @Descricao, NullIf(@Referencia, ''), NullIf(@Motivo, ''), 1)"})
        EXPECT_TRUE(Validation.contains(Part)) << Part;
    EXPECT_TRUE(FindOperation(kPermissionOperation).Batch().contains("On Tbl.Nome = Itm.Item.value('.', 'VarChar(50)')"));
    EXPECT_TRUE(FindOperation(kPickPasswordOperation).Batch().contains("ROUND(((@Count - 1) * RAND() + 1), 0)"));
}

TEST(PermissionBatches, TheTableListIsADocumentWhateverTheNames) {
    EXPECT_EQ(PermissionParameters({"Cliente", "a<b&\"c']"}),
              "<Parametros><Tabelas><Item>Cliente</Item><Item>a&lt;b&amp;&quot;c']</Item></Tabelas></Parametros>");
}
