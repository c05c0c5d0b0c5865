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
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "platform/ui/Menus.h"
#include "samples/navitrex/NavitrexBusca.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexPrincipal.h"

namespace navitrex::testing {
namespace {

class MainWindowTest : public NavitrexEngineTest {
protected:
    void SetUp() override {
        NavitrexEngineTest::SetUp();
        if (IsSkipped()) return;
        Shipper = AddCliente("Alfa Exportadora");
        Conn->Execute("Insert Into Navio (IdNavio, Nome) Values (1, 'MSC Beatrice')");
        Conn->Execute("Insert Into Navio (IdNavio, Nome) Values (2, 'Cap San Nicolas')");
        Principal = std::make_unique<TfrmPrincipal>("Alfa", TRegrasEquipamento{});
        Host->SetMainWindow(Principal.get());
        Host->AddModule(Principal->Modulo);
        Principal->Abrir();
    }
    void TearDown() override {
        Principal.reset();
        NavitrexEngineTest::TearDown();
    }

    int Shipper = 0;
    std::unique_ptr<TfrmPrincipal> Principal;
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
        ASSERT_TRUE(Busca.Lista->Client->Locate("Nome", "Cap San Nicolas"));
        QTest::mouseClick(Busca.btnOK, Qt::LeftButton);
    });
    EXPECT_EQ(dataaccess::OpenSearch("navios", Result, Filter, ""), 1);
    EXPECT_TRUE(Result.contains("IdNavio=2")) << Result.join(";").toStdString();
    EXPECT_TRUE(Result.contains("Nome=Cap San Nicolas"));

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

TEST_P(MainWindowTest, TheWindowComesBackAsTheUserLeftIt) {
    Principal->resize(700, 500);
    Principal->ShowCadastro(cdPortos);
    Principal->GuardarJanela();
    Principal = std::make_unique<TfrmPrincipal>("Alfa", TRegrasEquipamento{});
    Principal->Abrir();
    EXPECT_EQ(Principal->size(), QSize(700, 500));
    EXPECT_EQ(Principal->pgcPrincipal->ActivePage()->Caption(), "Portos");
    EXPECT_EQ(Scalar("Select Count(*) From sys_Persistencia").toInt(), 1);

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
