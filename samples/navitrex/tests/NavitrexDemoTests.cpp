// The demonstration run on every engine: the main window works by itself
// through clicks and keys, and what it did is in the database and in the
// pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "NavitrexTesting.h"
#include "controls/VexMessage.h"
#include "databound/ConfigNumeracaoFra.h"
#include "samples/navitrex/NavitrexDemo.h"
#include "samples/navitrex/NavitrexDemoDriver.h"
#include "samples/navitrex/NavitrexPrincipal.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex::testing {
namespace {

class DemoTest : public NavitrexEngineTest {
protected:
    void SetUp() override {
        NavitrexEngineTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Insert Into Navio (IdNavio, Nome) Values (1, 'Boreal Express')");
        Conn->Execute(
            "Insert Into Porto (IdPorto, Codigo, Nome, Embarque, Descarga) Values (1, 'BRSSZ', 'Santos', 1, 0)");
        Conn->Execute(
            "Insert Into Porto (IdPorto, Codigo, Nome, Embarque, Descarga) Values (2, 'NLRTM', 'Rotterdam', 0, 1)");
        Conn->Execute(
            "Insert Into Porto (IdPorto, Codigo, Nome, Embarque, Descarga) Values (3, 'BRRIG', 'Rio Grande', 1, 0)");
        Conn->Execute(
            "Insert Into Porto (IdPorto, Codigo, Nome, Embarque, Descarga) Values (4, 'DEHAM', 'Hamburg', 0, 1)");
        Conn->Execute("Insert Into Equipamento (IdEquipamento, Codigo, Nome) Values (1, '20DC', '20'' Dry Container')");
        Conn->Execute("Insert Into Equipamento (IdEquipamento, Codigo, Nome) Values (2, '40HC', '40'' High Cube')");
    }

    // A fresh main window, shown, with the demonstration run to its end; the driver's failure, empty when none.
    QString RunDemo(const TRegrasEquipamento& Regras) {
        // As the application registers them at start.
        databound::RegisterNumberingDialog();
        OpenPrincipal(Regras);
        TDemoDriver* Driver = CreateDemo(*Principal, Pictures.path(), 60000);
        Driver->OnFinished = [Saved = Driver->OnFinished](TDemoDriver* Sender) {
            Saved(Sender);
            // As the program ends every loop: here, a box that ended the run.
            for (QWidget* Window : QApplication::topLevelWidgets())
                if (auto* Box = qobject_cast<controls::TfrmVexMessage*>(Window); Box && Box->isVisible())
                    Box->SetModalResult(platform::ui::mrOk);
        };
        Principal->Show();
        Driver->Start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Driver->Running(); }, 90000));
        return Driver->Failure();
    }
    QTemporaryDir Pictures;
};
VEX_INSTANTIATE_ENGINE_SUITE(DemoTest);

TEST_P(DemoTest, TheRunMakesABillWithTwoContainersAndPicturesOfEachScreen) {
    ASSERT_EQ(RunDemo({true, kRegraConteinerValido}), "") << Messages().join("\n").toStdString();
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select Nome From Cliente Where Embarcador = 1"), QStringList("Alfa Exportadora Ltda"));
    EXPECT_EQ(SelectRows("Select Nome From Cliente Where Consignatario = 1"), QStringList("Beta Importadora GmbH"));
    // A fresh database numbers the bill from one; it is open and the user's.
    EXPECT_EQ(SelectRows("Select c.Numero, c.Situacao, c.IdUsuario, e.Nome, g.Nome, n.Nome, pe.Nome, pd.Nome "
                         "From Conhecimento c "
                         "Join Cliente e On e.IdCliente = c.IdCliente_Embarcador "
                         "Join Cliente g On g.IdCliente = c.IdCliente_Consignatario "
                         "Join Navio n On n.IdNavio = c.IdNavio Join Porto pe On pe.IdPorto = c.IdPorto_Embarque "
                         "Join Porto pd On pd.IdPorto = c.IdPorto_Descarga"),
              QStringList({QString("000001/%1|0|1|Alfa Exportadora Ltda|Beta Importadora GmbH|Boreal Express|"
                                   "Santos|Rotterdam")
                               .arg(Year())}));
    EXPECT_EQ(SelectRows("Select Sequencia, Conteiner, IdEquipamento, Descricao, Cast(Peso As Integer) "
                         "From Conhecimento_Item Order By Sequencia"),
              QStringList({"1|NVXU6011675|2|Café em grãos, 320 sacas|19200",
                           "2|NVXU7345126|1|Açúcar cristal, 25 t|25000"}));
    EXPECT_EQ(ResumoConhecimentos(), QStringList({QString("000001/%1 2").arg(Year())}));

    QStringList Saved;
    for (const char* File : kDemoPictures) {
        SCOPED_TRACE(File);
        const QImage Picture(QDir(Pictures.path()).filePath(File));
        EXPECT_GE(Picture.width(), Principal->width()) << "the whole main window";
        EXPECT_GE(Picture.height(), Principal->height());
        Saved << File;
    }
    EXPECT_FALSE(QFile::exists(QDir(Pictures.path()).filePath(kDemoFailurePicture)));

    // A second run finds its customers and numbers the next bill.
    ASSERT_EQ(RunDemo({true, kRegraConteinerValido}), "") << Messages().join("\n").toStdString();
    EXPECT_EQ(Count("Cliente"), 2);
    EXPECT_EQ(ResumoConhecimentos(),
              QStringList({QString("000001/%1 2").arg(Year()), QString("000002/%1 2").arg(Year())}));
}

TEST_P(DemoTest, ARunWhoseBillIsRefusedEndsAtTheMessageWithAPictureOfIt) {
    // A bill already holds the first number: the server refuses the new one.
    Conn->Execute(QString("Insert Into Conhecimento (IdConhecimento, Numero, Data, Situacao) "
                          "Values (900, '000001/%1', GetDate(), 0)")
                      .arg(Year()));
    // The message box must really show, as in the program.
    const controls::TMessageDialogResponder Saved = controls::SetMessageDialogResponder(nullptr);
    const QString Failure = RunDemo({});
    controls::SetMessageDialogResponder(Saved);
    EXPECT_TRUE(Failure.startsWith("step \"Ctrl+S writes the bill\": a message box showed: ")) << Failure.toStdString();
    EXPECT_EQ(Count("Conhecimento"), 1);
    EXPECT_EQ(Count("Conhecimento_Item"), 0);
    EXPECT_FALSE(QImage(QDir(Pictures.path()).filePath(kDemoFailurePicture)).isNull());
}

}  // namespace
}  // namespace navitrex::testing
