// The bills of lading screen on every engine: numbering, required fields,
// items written with their bill or not at all, filters, sorting by a title
// click, and deleting under a control password.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "NavitrexTesting.h"
#include "controls/tests/MessageBoxTesting.h"
#include "dataaccess/SenhaControleDialog.h"
#include "databound/FiltroDivisao.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDatabase.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexSeed.h"

namespace navitrex::testing {
namespace {

using platform::data::TClientDataSet;

class BillTest : public NavitrexEngineTest {
protected:
    void SetUp() override {
        NavitrexEngineTest::SetUp();
        if (IsSkipped()) return;
        Shipper = AddCliente("Alfa Exportadora");
        Consignee = AddCliente("Beta Importadora");
        OpenScreen({});
    }
    void TearDown() override {
        Screen.reset();
        NavitrexEngineTest::TearDown();
    }
    void OpenScreen(const TRegrasEquipamento& Regras) {
        Screen = std::make_unique<TfrmConhecimentos>(Regras);
        Screen->Abrir();
    }
    TClientDataSet& Bills() { return *Screen->Conhecimentos->Client; }
    TClientDataSet& Items() { return *Screen->Itens->Client; }
    void NewBill(bool WithShipper = true) {
        NavitrexEngineTest::NewBill(*Screen, WithShipper ? Shipper : 0, Consignee);
    }
    void NewItem(const QString& Descricao) {
        Screen->NovoItem();
        Items().FieldByName("Descricao")->SetAsString(Descricao);
    }
    QStringList Column(TClientDataSet& Data, const QString& Name) {
        QStringList Out;
        for (Data.First(); !Data.Eof(); Data.Next()) Out << Data.FieldByName(Name)->AsString();
        return Out;
    }

    int Shipper = 0, Consignee = 0;
    std::unique_ptr<TfrmConhecimentos> Screen;
};
VEX_INSTANTIATE_ENGINE_SUITE(BillTest);

TEST_P(BillTest, ABillWithoutShipperIsRefusedNamingTheFieldAndNothingIsWritten) {
    NewBill(false);
    EXPECT_FALSE(Screen->Gravar());
    EXPECT_FALSE(Screen->NovoItem()) << "an item needs its bill posted first";
    EXPECT_EQ(Messages(), QStringList(2, "É preciso preencher o campo 'Embarcador' antes de gravar o registro."));
    EXPECT_EQ(Count("Conhecimento"), 0);
    // The bill is still there to be completed.
    ASSERT_EQ(Bills().State(), platform::data::dsInsert);
    Bills().FieldByName("IdCliente_Embarcador")->SetValue(Shipper);
    NewItem("Café em grãos");
    EXPECT_TRUE(Screen->Gravar());
    EXPECT_EQ(Count("Conhecimento"), 1);
    EXPECT_EQ(Count("Conhecimento_Item"), 1);
}

TEST_P(BillTest, ItemsAreNumberedWithinTheirBillAndWrittenTogetherOrNotAtAll) {
    NewBill();
    for (const char* Carga : {"Café", "Soja", "Açúcar"}) NewItem(Carga);
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select Sequencia, Descricao From Conhecimento_Item Order By Sequencia"),
              QStringList({"1|Café", "2|Soja", "3|Açúcar"}));

    // A second bill whose third item repeats a number: the server refuses it, and the bill goes too.
    NewBill();
    for (const char* Carga : {"Milho", "Algodão", "Trigo"}) NewItem(Carga);
    EXPECT_EQ(Items().FieldByName("Sequencia")->AsInteger(), 3);
    Items().FieldByName("Sequencia")->SetValue(1);
    EXPECT_FALSE(Screen->Gravar());
    EXPECT_FALSE(Messages().isEmpty());
    EXPECT_EQ(Count("Conhecimento"), 1);
    EXPECT_EQ(Count("Conhecimento_Item"), 3);
    EXPECT_EQ(Bills().RecordCount(), 1) << "the screen shows what the database holds";
}

TEST_P(BillTest, DiscardingDropsTheBillAndItsItemsNotYetWritten) {
    NewBill();
    ASSERT_TRUE(Screen->Gravar());
    NewBill();
    NewItem("Café");
    NewItem("Soja");
    Screen->Descartar();
    EXPECT_EQ(Bills().State(), platform::data::dsBrowse);
    EXPECT_EQ(Bills().RecordCount(), 1);
    EXPECT_EQ(Items().RecordCount(), 0);
    EXPECT_TRUE(Screen->Gravar());
    EXPECT_EQ(Count("Conhecimento"), 1);
    EXPECT_EQ(Count("Conhecimento_Item"), 0);
}

TEST_P(BillTest, ALostConnectionIsToldAndTheScreenKeepsWorking) {
    NewBill();
    Conn->Close();
    EXPECT_FALSE(Screen->Gravar());
    EXPECT_FALSE(Messages().isEmpty());
    EXPECT_TRUE(Screen->isEnabled());
    EXPECT_FALSE(Screen->NovoConhecimento()) << "no number without the server";
}

TEST_P(BillTest, EquipmentRulesOfTheCustomerAreCheckedOnEachItem) {
    Screen.reset();
    OpenScreen({true, kRegraConteinerValido});
    NewBill();
    NewItem("Café");
    EXPECT_FALSE(Screen->Gravar());
    Items().FieldByName("IdEquipamento")->SetValue(1);
    Items().FieldByName("Conteiner")->SetAsString("CSQU3054384");
    EXPECT_FALSE(Screen->Gravar());
    EXPECT_EQ(Messages(), QStringList({"É preciso preencher o campo 'Equipamento' antes de gravar o registro.",
                                       "O número do contêiner 'CSQU3054384' não é válido."}));
    Items().FieldByName("Conteiner")->SetAsString("csqu3054383");
    Conn->Execute("Insert Into Equipamento (IdEquipamento, Codigo, Nome) Values (1, '20DC', 'Dry 20')");
    EXPECT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(Count("Conhecimento_Item"), 1);
}

TEST_P(BillTest, TheLoggedInUserFilterKeepsTheUsersOwnBills) {
    NewBill();
    ASSERT_TRUE(Screen->Gravar());
    Host->Login("bruno");
    NewBill();
    ASSERT_TRUE(Screen->Gravar());
    EXPECT_EQ(Column(Bills(), "Usuario"), QStringList({"ana", "bruno"})) << "each written bill shows its user";
    Screen->FiltroUsuario->SetActive(true);
    Screen->Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Column(Bills(), "Usuario"), QStringList({"bruno"}));
}

TEST_P(BillTest, AClickOnAColumnTitleSortsTheBills) {
    const int Zeta = AddCliente("Zeta Trading");
    for (const int Cliente : {Zeta, Shipper}) {
        NewBill();
        Bills().FieldByName("IdCliente_Embarcador")->SetValue(Cliente);
        ASSERT_TRUE(Screen->Gravar());
    }
    Screen->Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Column(Bills(), "Embarcador"), QStringList({"Zeta Trading", "Alfa Exportadora"}));
    databound::TVexDBGrid& Grid = *Screen->Conhecimentos->Grid;
    Screen->resize(800, 600);
    Screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Screen.get()));
    const int Embarcador = Grid.Columns().IndexOfField("Embarcador");
    QTest::mouseClick(&Grid, Qt::LeftButton, {}, Grid.TitleCellRect(Embarcador).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Bills().IndexFieldNames() != "Numero"; }));
    EXPECT_EQ(Column(Bills(), "Embarcador"), QStringList({"Alfa Exportadora", "Zeta Trading"}));
}

TEST_P(BillTest, DeletingABillAsksTheControlPasswordOfAnOperatorAndLogsIt) {
    NewBill();
    NewItem("Café");
    ASSERT_TRUE(Screen->Gravar());
    const QString Numero = Bills().FieldByName("Numero")->AsString();
    Conn->Execute("Insert Into sys_Senha_Controle (IdSenha_Controle, Nome, Senha, Tipo) Values (1, 'Supervisor', "
                  "'4821', 2)");
    // An operator's session.
    Screen.reset();
    Host->Login("bruno");
    OpenScreen({});

    WhenShows<dataaccess::TfrmSenhaControle>([](dataaccess::TfrmSenhaControle& Dialog) {
        QTest::keyClick(Dialog.edtSenha, Qt::Key_Escape);
    });
    EXPECT_FALSE(Screen->ExcluirConhecimento());
    EXPECT_EQ(Count("Conhecimento"), 1);
    EXPECT_EQ(Count("sys_Log"), 0);

    WhenShows<dataaccess::TfrmSenhaControle>([](dataaccess::TfrmSenhaControle& Dialog) {
        QTest::keyClicks(Dialog.edtSenha, "4821");
        QTest::keyClick(Dialog.edtSenha, Qt::Key_Return);
        QTest::keyClicks(Dialog.edtMotivo, "embarque cancelado");
        QTest::keyClick(Dialog.edtMotivo, Qt::Key_Return);
    });
    EXPECT_TRUE(Screen->ExcluirConhecimento()) << Messages().join("\n").toStdString();
    EXPECT_EQ(Count("Conhecimento"), 0);
    EXPECT_EQ(Count("Conhecimento_Item"), 0);
    const QStringList Log = SelectRows("Select Descricao, Motivo, IdUsuario From sys_Log");
    ASSERT_EQ(Log.size(), 1);
    EXPECT_TRUE(Log[0].contains(Numero)) << Log[0].toStdString();
    EXPECT_TRUE(Log[0].endsWith("|embarque cancelado|2")) << Log[0].toStdString();
}

TEST_P(BillTest, AFullOfficeDatabaseIsFilteredByPeriodAndStatusLimitedAndNumbersNewBillsFromOne) {
    Seed(*Conn, {50000, 200, 10000, QDate(2024, 12, 31), 20});
    EXPECT_EQ(Count("Cliente"), 50002);
    databound::TFiltroValue& Periodo = *Screen->FiltroPeriodo->Values().Items(0);
    Periodo.SetPeriodoEspecifico(true);
    Periodo.SetValue(QDateTime(QDate(2024, 2, 1), QTime(0, 0)));
    Periodo.SetValue2(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    Screen->Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Bills().RecordCount(), 29 * 20);
    EXPECT_EQ(Items().RecordCount(), 1) << "the items of the current bill only";
    EXPECT_TRUE(Messages().isEmpty());
    // The seeded bills are issued: without that status none is left.
    databound::TFiltroValue& Emitidos = *Screen->FiltroSituacao->Values().Items(1);
    Emitidos.SetActive(false);
    Screen->Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Bills().RecordCount(), 0);
    Emitidos.SetActive(true);

    // A whole year holds more bills than the screen shows at once: the limit applies and the user is told.
    Periodo.SetValue(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    Periodo.SetValue2(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)));
    Screen->Conhecimentos->Divisao->RefreshAll(true);
    EXPECT_EQ(Bills().RecordCount(), kLimiteConhecimentos);
    EXPECT_EQ(Messages().size(), 1);

    NewBill();
    EXPECT_EQ(Bills().FieldByName("Numero")->AsString(), "000001/" + Year());
    EXPECT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(Count("Conhecimento"), 10001);
}

// Two offices at once, each a process creating bills on the same database.
TEST_P(BillTest, TwoProcessesCreatingBillsAtOnceGetDistinctNumbers) {
    constexpr int kPerProcess = 200;
    QTemporaryDir Folder;
    std::unique_ptr<platform::data::TADOConnection> File;
    platform::data::TADOConnection* Shared = Conn.get();
    QString ConnectionString = Conn->ConnectionString();
    if (GetParam() == platform::data::egSQLite) {
        ConnectionString = "Provider=SQLite;Data Source=" + Folder.filePath("navitrex.db");
        File = OpenNavitrexDatabase({ConnectionString, false, {}});
        File->Execute("Insert Into Cliente (IdCliente, Nome) Values (1, 'Alfa Exportadora')");
        Shared = File.get();
    }
    std::vector<std::unique_ptr<QProcess>> Offices;
    for (const char* User : {"ana", "bruno"}) {
        Offices.push_back(std::make_unique<QProcess>());
        Offices.back()->start(NAVITREX_BILL_CLIENT, {ConnectionString, Conn->property("schema").toString(), User,
                                                     QString::number(kPerProcess)});
    }
    QStringList Handed;  // every number given to a new bill, written or not
    for (auto& Office : Offices) {
        ASSERT_TRUE(Office->waitForFinished(240000));
        EXPECT_EQ(Office->exitCode(), 0) << Office->readAllStandardError().toStdString();
        Handed += QString::fromUtf8(Office->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    EXPECT_GE(Handed.size(), 2 * kPerProcess);
    EXPECT_EQ(QSet<QString>(Handed.begin(), Handed.end()).size(), Handed.size()) << "a number was handed out twice";
    // A bill refused under load and made again leaves its number unused, so the highest may pass 400.
    const QVariantList Counts =
        Shared->SelectRow("Select Count(*), Count(Distinct Numero), Min(Numero) From Conhecimento");
    EXPECT_EQ(Counts.value(0).toInt(), 2 * kPerProcess);
    EXPECT_EQ(Counts.value(1).toInt(), 2 * kPerProcess);
    EXPECT_EQ(Counts.value(2).toString(), "000001/" + Year());
}

}  // namespace
}  // namespace navitrex::testing
