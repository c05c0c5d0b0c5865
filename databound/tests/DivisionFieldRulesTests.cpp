// The record rules of a division's field configuration on every engine:
// default values of each kind, items numbered per master, and the check of
// required fields with its warnings collected in one box.
#include <gtest/gtest.h>

#include "PedidoDivision.h"
#include "controls/tests/RecordedDialogs.h"
#include "databound/DivisionFieldRules.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"

namespace databound {
namespace {

using platform::data::TField;

class FieldRulesTest : public testing::PedidoDivisionTest {};

TEST_P(FieldRulesTest, ANewPedidoGetsTheNextKeyAndTheDefaultsOfItsItems) {
    Item("Idade").Valor().SetTipo(vtUser);
    Item("Nome_Fantasia").Valor().SetValor("Consumidor");
    Pedido.Client->Insert();
    EXPECT_EQ(Field("IdPedido")->AsInteger(), 3);
    EXPECT_EQ(Field("Idade")->AsInteger(), 0);  // no user logged in
    EXPECT_EQ(Field("Nome_Fantasia")->AsString(), "Consumidor");
    EXPECT_TRUE(Field("IdCliente")->IsNull());
    Field("IdCliente")->SetAsInteger(1);
    ASSERT_EQ(PostAndApply(), 0);
    Host->Login("ana", 7, 1);
    Pedido.Client->Insert();
    EXPECT_EQ(Field("IdPedido")->AsInteger(), 4);
    EXPECT_EQ(Field("Idade")->AsInteger(), 7);
    Pedido.Client->Cancel();
    Pedido.Divisao->SuspendDefaultValues = true;
    Pedido.Client->Insert();
    EXPECT_TRUE(Field("IdPedido")->IsNull());
    Pedido.Client->Cancel();
}

TEST_P(FieldRulesTest, ModificationDefaultsAreWrittenWhenAnEditedRowIsPostedOnly) {
    Item("Idade").Valor().SetTipo(vtUser);
    Item("Idade").Valor().SetModificacao(true);
    Host->Login("ana", 7, 1);
    Pedido.Client->Insert();
    EXPECT_TRUE(Field("Idade")->IsNull());
    Field("IdCliente")->SetAsInteger(1);
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_TRUE(Field("Idade")->IsNull());
    Pedido.Client->Edit();
    Field("Nome_Fantasia")->SetAsString("Nova");
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_EQ(Scalar("Select Idade From Pedido Where IdPedido = 3").toInt(), 7);
}

TEST_P(FieldRulesTest, LastValuesComeFromTheLastRowOrFromTheReferencedTable) {
    Item("Idade").Valor().SetTipo(vtUltimo);
    JoinNomeFantasia();
    Item("Nome_Fantasia").Valor().SetTipo(vtUltimo);
    Pedido.Client->Insert();
    EXPECT_EQ(Field("Idade")->AsInteger(), 40);
    EXPECT_EQ(Field("Nome_Fantasia")->AsString(), "Ana Lima");  // the client with the highest key
    Pedido.Client->Cancel();
    Conn->Execute("Delete From Pedido");
    Item("Idade").Valor().SetValor(18);
    Pedido.Client->Insert();
    EXPECT_EQ(Field("Idade")->AsInteger(), 18);
    Pedido.Client->Cancel();
}

TEST_P(FieldRulesTest, DatesAndTimesComeFromTheServerClock) {
    const char* Type = GetParam() == platform::data::egPostgreSQL ? "Timestamp" : "DateTime";
    Conn->Execute(QString("Create Table Agenda (IdAgenda Integer Not Null Primary Key, Dia %1, Momento %1, Hora %1)")
                      .arg(Type));
    TParts Agenda = Make("Agenda", "Select IdAgenda, Dia, Momento, Hora From Agenda",
                         {{"IdAgenda", platform::data::ftInteger},
                          {"Dia", platform::data::ftDate},
                          {"Momento", platform::data::ftDateTime},
                          {"Hora", platform::data::ftTime}},
                         [](TParts& P) {
                             const TValorTipo Tipos[] = {vtIncremento, vtData, vtDateTime, vtTime};
                             for (int I = 0; I < 4; ++I) {
                                 TConfigCampo& C = *P.Divisao->Campos().Config().Add();
                                 C.SetField(P.Client->FieldList()[I]);
                                 C.Valor().SetTipo(Tipos[I]);
                             }
                         });
    Agenda.Client->Open();
    const QDateTime Before = QDateTime::fromMSecsSinceEpoch(Scalar("Select GetDate()").toDateTime().toMSecsSinceEpoch() - 1000);
    Agenda.Client->Insert();
    const QDateTime Momento = Agenda.Client->FieldByName("Momento")->AsDateTime();
    EXPECT_GE(Momento, Before);
    EXPECT_LE(Momento, Before.addSecs(60));
    EXPECT_EQ(Agenda.Client->FieldByName("Dia")->AsDateTime().date(), Momento.date());
    EXPECT_EQ(Agenda.Client->FieldByName("Dia")->AsDateTime().time(), QTime(0, 0));
    EXPECT_EQ(Agenda.Client->FieldByName("Hora")->AsDateTime().time().hour(), Momento.time().hour());
    Agenda.Client->Cancel();
}

TEST_P(FieldRulesTest, ItemsAreNumberedPerMasterAlsoWhenTheMasterKeyHoldsAQuote) {
    Conn->Execute("Create Table Pedido_Item (Nome_Fantasia VarChar(40) Not Null, Item Integer Not Null, "
                  "Primary Key (Nome_Fantasia, Item))");
    TParts Itens = Make("Pedido_Item", "Select Item, Nome_Fantasia From Pedido_Item",
                        {{"Item", platform::data::ftInteger}, {"Nome_Fantasia", platform::data::ftString}},
                        [this](TParts& P) {
                            P.Divisao->SetMaster(Pedido.Divisao);
                            P.Divisao->MasterFields = "Nome_Fantasia";
                            P.Divisao->DetailFields = "Nome_Fantasia";
                            P.Client->FieldByName("Nome_Fantasia")->SetProviderFlags(
                                platform::data::pfInUpdate | platform::data::pfInKey);
                            P.Query->FieldByName("Nome_Fantasia")->SetProviderFlags(
                                platform::data::pfInUpdate | platform::data::pfInKey);
                            TConfigCampo& C = *P.Divisao->Campos().Config().Add();
                            C.SetField(P.Client->FieldByName("Item"));
                            C.Valor().SetTipo(vtIncrementoMax);
                            C.Valor().Incremento().MasterFilter = true;
                        });
    Itens.Client->Open();
    for (const char* Master : {"O'Brien", "Acme", "O'Brien", "O'Brien", "Acme"}) {
        ASSERT_TRUE(Pedido.Divisao->LocateValues({QString("Nome_Fantasia=") + Master}));
        Itens.Client->Insert();
        Itens.Client->FieldByName("Nome_Fantasia")->SetAsString(Master);
        Itens.Client->Post();
        ASSERT_EQ(Itens.Client->ApplyUpdates(0), 0);
    }
    EXPECT_EQ(SelectRows("Select Nome_Fantasia, Item From Pedido_Item Order By Nome_Fantasia, Item"),
              QStringList({"Acme|1", "Acme|2", "O'Brien|1", "O'Brien|2", "O'Brien|3"}));
}

TEST_P(FieldRulesTest, TwoMissingRequiredFieldsGiveTwoWarningsInOneBoxAndWriteNothing) {
    Item("IdCliente").Valor().SetObrigatorio(true);
    Item("Idade").Valor().SetObrigatorio(true);
    Field("Idade")->SetDisplayLabel("Idade do cliente");
    TRecordedDialogs Dialogs;
    TRecordedMessageLists Lists;
    Pedido.Client->Insert();
    Field("Nome_Fantasia")->SetAsString("Sem cliente");
    EXPECT_THROW(Pedido.Client->Post(), platform::os::EAbort);
    EXPECT_TRUE(Dialogs.Calls.empty());
    ASSERT_EQ(Lists.Lists.size(), 1u);
    ASSERT_EQ(Lists.Lists[0].size(), 2u);
    EXPECT_EQ(Lists.Lists[0][0].Msg, "É preciso preencher o campo 'IdCliente' antes de gravar o registro.");
    EXPECT_EQ(Lists.Lists[0][1].Msg, "É preciso preencher o campo 'Idade do cliente' antes de gravar o registro.");
    EXPECT_EQ(Lists.Lists[0][0].Kind, controls::dkWarning);
    EXPECT_EQ(Pedido.Client->State(), platform::data::dsInsert);
    Pedido.Client->Cancel();
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 2);
    Pedido.Divisao->SuspendRequiredCheck = true;
    Pedido.Client->Insert();
    EXPECT_NO_THROW(Pedido.Client->Post());
    EXPECT_EQ(Lists.Lists.size(), 1u);
}

TEST_P(FieldRulesTest, AMissingSearchFieldIsNamedByTheJoinFieldTheUserSees) {
    JoinNomeFantasia();
    Item("IdCliente").Valor().SetObrigatorio(true);
    Field("Nome_Fantasia")->SetDisplayLabel("Nome fantasia");
    const struct {
        bool AutoSearch;
        const char* Named;
    } Cases[] = {{true, "Nome fantasia"}, {false, "IdCliente"}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Named);
        Item("Nome_Fantasia").SetAutoSearch(C.AutoSearch);
        TRecordedDialogs Dialogs;
        Pedido.Client->Insert();
        EXPECT_THROW(Pedido.Client->Post(), platform::os::EAbort);
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg,
                  QString("É preciso preencher o campo '%1' antes de gravar o registro.").arg(C.Named));
        Pedido.Client->Cancel();
    }
}

VEX_INSTANTIATE_ENGINE_SUITE(FieldRulesTest);

}  // namespace
}  // namespace databound
