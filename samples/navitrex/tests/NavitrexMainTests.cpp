// The main window as the library's host window: refreshes between its
// divisions, the search and focus requests, and its menus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "NavitrexTesting.h"
#include "controls/VexButton.h"
#include "controls/VexFocus.h"
#include "controls/VexPageControl.h"
#include "controls/tests/MessageBoxTesting.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSearch.h"
#include "dataaccess/VexSession.h"
#include "databound/ConfigNumeracaoFra.h"
#include "databound/NumeracaoOperations.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Messages.h"
#include "samples/navitrex/NavitrexBusca.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexPrincipal.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex::testing {
namespace {

class MainWindowTest : public NavitrexEngineTest {
protected:
    void SetUp() override {
        NavitrexEngineTest::SetUp();
        if (IsSkipped()) return;
        Shipper = AddCliente("Alfa Exportadora");
        Conn->Execute("Insert Into Navio (IdNavio, Nome) Values (1, 'Estrela do Sul')");
        Conn->Execute("Insert Into Navio (IdNavio, Nome) Values (2, 'Boreal Express')");
        OpenPrincipal();
    }

    int Shipper = 0;
};
VEX_INSTANTIATE_ENGINE_SUITE(MainWindowTest);

TEST_P(MainWindowTest, AChangedCustomerReachesTheBillsDivision) {
    TfrmConhecimentos& Screen = *Principal->Conhecimentos;
    ASSERT_TRUE(Screen.NovoConhecimento());
    Screen.Conhecimentos->Field("IdCliente_Embarcador")->SetValue(Shipper);
    Screen.Conhecimentos->Field("IdCliente_Consignatario")->SetValue(Shipper);
    ASSERT_TRUE(Screen.Gravar()) << Messages().join("\n").toStdString();
    Screen.Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Screen.Conhecimentos->Field("Embarcador")->AsString(), "Alfa Exportadora");

    platform::data::TClientDataSet& Clientes = *Principal->Cadastros[cdClientes]->Client;
    ASSERT_TRUE(Clientes.Locate("IdCliente", Shipper));
    Clientes.Edit();
    Clientes.FieldByName("Nome")->SetAsString("Alfa Exportadora S.A.");
    Clientes.Post();
    EXPECT_EQ(Scalar("Select Nome From Cliente").toString(), "Alfa Exportadora S.A.");
    EXPECT_EQ(Screen.Conhecimentos->Field("Embarcador")->AsString(), "Alfa Exportadora S.A.");
}

TEST_P(MainWindowTest, ASearchRequestOpensTheLookupAndAnswersTheChosenRow) {
    QStringList Result, Filter;
    WhenShows<TfrmBusca>([](TfrmBusca& Busca) {
        ASSERT_TRUE(Busca.Lista->Client->Locate("Nome", "Boreal Express"));
        QTest::mouseClick(Busca.btnOK, Qt::LeftButton);
    });
    EXPECT_EQ(dataaccess::OpenSearch("navios", Result, Filter, ""), 1);
    EXPECT_TRUE(Result.contains("IdNavio=2")) << Result.join(";").toStdString();
    EXPECT_TRUE(Result.contains("Nome=Boreal Express"));

    Result.clear();
    WhenShows<TfrmBusca>([](TfrmBusca& Busca) { QTest::mouseClick(Busca.btnCancelar, Qt::LeftButton); });
    EXPECT_EQ(dataaccess::OpenSearch("Navios", Result, Filter, ""), 0);
    EXPECT_TRUE(Result.isEmpty());
    EXPECT_EQ(dataaccess::OpenSearch("Faturas", Result, Filter, ""), 0) << "no lookup of that name";
}

TEST_P(MainWindowTest, AFocusRequestFocusesTheControl) {
    Principal->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Principal.get()));
    databound::TVexDBGrid* Grid = Principal->Conhecimentos->Itens->Grid;
    controls::RequestFocus(Grid);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Grid; }));
}

TEST_P(MainWindowTest, TheLookupMenuShowsItsPageAndItsItemsUseTheLibrarysLook) {
    platform::ui::TMenuItem& Items = *Principal->mnuCadastros->Items();
    ASSERT_EQ(Items.Count(), 4);
    EXPECT_TRUE(Principal->mnuCadastros->OwnerDraw());
    for (int Index = 0; Index < Items.Count(); ++Index) {
        SCOPED_TRACE(Index);
        platform::ui::TMenuItem& Item = *Items.Items(Index);
        EXPECT_TRUE(Item.OnDrawItem && Item.OnMeasureItem);
        Item.Click();
        EXPECT_EQ(Principal->pgcPrincipal->ActivePage()->Caption(), Item.Caption());
    }
}

TEST_P(MainWindowTest, AMonthlyResetSetInTheNumberingDialogFromTheMenuRestartsTheBillNumbers) {
    databound::RegisterNumberingDialog();
    TfrmConhecimentos& Screen = *Principal->Conhecimentos;
    auto NewBill = [&] {
        EXPECT_TRUE(NavitrexEngineTest::NewBill(Screen, Shipper, Shipper));
        const QString Numero = Screen.Conhecimentos->Field("Numero")->AsString();
        EXPECT_TRUE(Screen.Gravar()) << Messages().join("\n").toStdString();
        return Numero;
    };
    const QString Month = QString("%1").arg(dataaccess::ServerNow().date().month(), 2, 10, QChar('0'));
    EXPECT_EQ(NewBill(), "000001/" + Year());
    EXPECT_EQ(NewBill(), "000002/" + Year());

    platform::ui::TMenuItem* Numeracao = nullptr;
    for (int Index = 0; Index < Principal->mnuFerramentas->Items()->Count(); ++Index)
        if (Principal->mnuFerramentas->Items()->Items(Index)->Caption() == kMenuNumeracao)
            Numeracao = Principal->mnuFerramentas->Items()->Items(Index);
    ASSERT_NE(Numeracao, nullptr);
    // The changed reset option asks whether the counters restart: Yes.
    Dialogs.Answer = platform::ui::mrYes;
    bool Confirmed = false;
    WhenShows<databound::TfrmConfigNumeracao>([&Confirmed](databound::TfrmConfigNumeracao& Dialog) {
        Dialog.cbxZeramento->setFocus();
        // The bills reset yearly until now.
        EXPECT_EQ(Dialog.cbxZeramento->currentIndex(), databound::kZeramentoAnual);
        QTest::keyClick(Dialog.cbxZeramento, Qt::Key_Up);
        // Numbers that restart each month carry the month, so they stay distinct.
        Dialog.edtMascara->setFocus();
        QTest::keyClick(Dialog.edtMascara, Qt::Key_End);
        QTest::keyClick(Dialog.edtMascara, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(Dialog.edtMascara, "[Numero]/[MM][YY]");
        QTest::keyClick(Dialog.btnOK, Qt::Key_Space);
        Confirmed = Dialog.ModalResult() == platform::ui::mrOk;
    });
    Numeracao->Click();
    ASSERT_TRUE(Confirmed) << Messages().join("\n").toStdString();
    EXPECT_EQ(Messages(), QStringList(databound::kResetQuestion));
    EXPECT_EQ(Scalar("Select Opcao_Zeramento From sys_Numeracao").toInt(), databound::kZeramentoMensal);
    EXPECT_EQ(NewBill(), "000001/" + Month + Year());
    EXPECT_EQ(NewBill(), "000002/" + Month + Year());
}

TEST_P(MainWindowTest, TheWindowComesBackAsTheUserLeftIt) {
    // The divisions keep their grids' column widths in the window's settings as it goes, and read them as it is
    // built again.
    const auto Width = [this](TFrameDivisao* Frame) { return Frame->Grid->Columns()[0]->Width(); };
    const int Bills = Width(Principal->Conhecimentos->Conhecimentos) + 30;
    const int Ports = Width(Principal->Cadastros[cdPortos]) + 50;
    Principal->Conhecimentos->Conhecimentos->Grid->Columns()[0]->SetWidth(Bills);
    Principal->Cadastros[cdPortos]->Grid->Columns()[0]->SetWidth(Ports);
    Principal->resize(700, 500);
    Principal->ShowCadastro(cdPortos);
    Principal->GuardarJanela();
    Principal.reset();
    Principal = std::make_unique<TfrmPrincipal>("Alfa", TRegrasEquipamento{});
    Principal->Abrir();
    EXPECT_EQ(Principal->size(), QSize(700, 500));
    EXPECT_EQ(Principal->pgcPrincipal->ActivePage()->Caption(), "Portos");
    EXPECT_EQ(Width(Principal->Conhecimentos->Conhecimentos), Bills);
    EXPECT_EQ(Width(Principal->Cadastros[cdPortos]), Ports);
    EXPECT_EQ(Scalar("Select Count(*) From sys_Persistencia").toInt(), 1);

    // A window message of a relation goes to the divisions until one answers it.
    const platform::ui::UINT kRelacao = platform::ui::WM_APP + 70;
    QStringList Heard;
    for (TFrameDivisao* Frame : {Principal->Conhecimentos->Itens, Principal->Cadastros[cdNavios]})
        Frame->Divisao->OnRelacaoMessage = [&Heard, Frame](databound::TDivisao*, platform::ui::TMessage& Message) {
            Heard << Frame->Divisao->Nome();
            if (Message.WParam == 2) Message.Result = 5;
        };
    EXPECT_EQ(platform::ui::SendMessage(Principal.get(), kRelacao, 2, 0), 5);
    EXPECT_EQ(Heard, QStringList({Principal->Conhecimentos->Itens->Divisao->Nome()})) << "the first one answered";
    Heard.clear();
    EXPECT_EQ(platform::ui::SendMessage(Principal.get(), kRelacao, 1, 0), 0);
    EXPECT_EQ(Heard.size(), 2) << "no division answered";

    // Another user starts with the window as designed.
    Host->Login("bruno");
    Principal = std::make_unique<TfrmPrincipal>("Alfa", TRegrasEquipamento{});
    const QSize Designed = Principal->size();
    Principal->Abrir();
    EXPECT_EQ(Principal->size(), Designed);
    EXPECT_EQ(Principal->pgcPrincipal->ActivePageIndex(), 0);
}

}  // namespace
}  // namespace navitrex::testing
