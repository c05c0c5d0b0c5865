// Search fields on every engine: values pasted into condition text, the
// condition that restricts a search, the search through the host's window, and
// the join and lookup fields filled (or cleared) when the key changes.
#include <gtest/gtest.h>

#include <QLocale>

#include "PedidoDivision.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSearch.h"
#include "databound/SearchFieldRules.h"
#include "platform/data/Field.h"

namespace databound {
namespace {

using platform::data::TField;

TEST(ConditionLiteralTest, ValuesBecomeLiteralsWhateverTheLocale) {
    const QLocale Saved;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const struct {
        QVariant Value;
        const char* Literal;
    } Cases[] = {
        {QString("O'Brien"), "'O''Brien'"},
        {QString("1' or '1'='1"), "'1'' or ''1''=''1'"},
        {2.5, "2.5"},
        {1234567.25, "1234567.25"},
        {42, "42"},
        {qlonglong(-7), "-7"},
        {true, "1"},
        {false, "0"},
        {QDate(2024, 3, 5), "'2024-03-05'"},
        {QDateTime(QDate(2024, 3, 5), QTime(14, 30, 1, 250)), "'2024-03-05T14:30:01.250'"},
        {platform::data::Null(), "Null"},
        {QVariant(), ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Literal);
        EXPECT_EQ(ConditionLiteral(C.Value), C.Literal);
    }
    QLocale::setDefault(Saved);
}

class SearchFieldTest : public testing::PedidoDivisionTest {
protected:
    void SetUp() override {
        PedidoDivisionTest::SetUp();
        if (IsSkipped()) return;
        JoinNomeFantasia();
        ASSERT_TRUE(Pedido.Divisao->LocateValues({"IdPedido=1"}));
    }
    TMasterFilter& Filter() { return Item("IdCliente").SearchField().MasterFilter(); }
};

TEST_P(SearchFieldTest, TheMasterFilterConditionPastesTheDivisionsValuesAsLiterals) {
    EXPECT_TRUE(Pedido.Divisao->MasterFilterCondition(Item("IdCliente")).isEmpty());
    Filter().SetField(Field("Idade"));
    EXPECT_EQ(Pedido.Divisao->MasterFilterCondition(Item("IdCliente")), "([Idade] = 30)");
    Filter().SetFieldName("Idade_Minima");
    Filter().SetWhere(" Nome <> :Nome_Fantasia and IdCliente > :IdPedido and X = :Nenhum ");
    EXPECT_EQ(Pedido.Divisao->MasterFilterCondition(Item("IdCliente")),
              "([Idade_Minima] = 30) and (Nome <> 'O''Brien' and IdCliente > 1 and X = )");
    Pedido.Divisao->OnGetValoresMasterFilter = [](const TVexDBDivisao*, const TConfigCampo& Config,
                                                  const QString& Param, QVariant& Value) {
        if (Param == "IdPedido" && Config.Field()->FieldName() == "IdCliente") Value = 2.5;
    };
    Pedido.Client->Edit();
    Field("Idade")->Clear();
    EXPECT_EQ(Pedido.Divisao->MasterFilterCondition(Item("IdCliente")),
              "(Nome <> 'O''Brien' and IdCliente > 2.5 and X = )");
    Pedido.Client->Cancel();
}

TEST_P(SearchFieldTest, ChangingTheKeyFillsTheJoinAndLookupFieldsAndClearingItClearsThem) {
    Item("IdCliente").SearchField().Lookups << "Idade=Saldo";
    Pedido.Client->Edit();
    Field("IdCliente")->SetAsInteger(2);
    EXPECT_EQ(Field("Nome_Fantasia")->AsString(), "maria souza");
    EXPECT_EQ(Field("Idade")->AsInteger(), 50);
    Field("IdCliente")->Clear();
    EXPECT_TRUE(Field("Nome_Fantasia")->IsNull());
    EXPECT_TRUE(Field("Idade")->IsNull());
    Pedido.Divisao->SuspendLookups = true;
    Field("IdCliente")->SetAsInteger(3);
    EXPECT_TRUE(Field("Nome_Fantasia")->IsNull());
    Pedido.Client->Cancel();
}

TEST_P(SearchFieldTest, AKeyOfTextIsBoundSoAQuoteFindsItsRow) {
    Conn->Execute("Update Cliente Set Cidade = 'O''Brien' Where IdCliente = 3");
    TConfigCampo& Nome = Item("Nome_Fantasia");
    Nome.SetTipos(tfSearch);
    Nome.SearchField().SetTabela("Cliente");
    Nome.SearchField().SetFieldName("Cidade");
    Nome.SearchField().Lookups << "IdCliente=IdCliente";
    Pedido.Divisao->SetDataSource(Pedido.Source);
    Pedido.Divisao->Loaded();  // the new search field gets its handler
    Pedido.Client->Edit();
    Field("Nome_Fantasia")->SetAsString("O'Brien");
    EXPECT_EQ(Field("IdCliente")->AsInteger(), 3);
    Pedido.Client->Cancel();
}

TEST_P(SearchFieldTest, SearchByKeyAsksTheHostAndStoresTheChosenKey) {
    QObject Module;
    new dataaccess::TVexModulo(&Module);
    Host->AddModule(&Module);
    QStringList Names, Results, Filters;
    QString Answer = "IdCliente=3";
    Host->Window().OnSearch = [&](platform::ui::TMessage& Message) -> platform::ui::LRESULT {
        const auto& Request = *reinterpret_cast<dataaccess::TSearchRequest*>(Message.WParam);
        Names << Request.Relacao->Nome;
        Results << *Request.ResultList;
        Filters << *Request.FilterList;
        *Request.ResultList = QStringList{"Nome=Ana Lima", Answer};
        return Answer.isEmpty() ? 0 : 1;
    };
    Filter().SetField(Field("Idade"));
    EXPECT_TRUE(Pedido.Divisao->SearchByKey(*Field("Nome_Fantasia")));  // through its search field
    EXPECT_EQ(Names, QStringList({"rlcCliente"}));
    EXPECT_EQ(Results, QStringList({"IdCliente=1"}));
    EXPECT_EQ(Filters, QStringList({"Cliente=([Idade] = 30)"}));
    EXPECT_EQ(Field("IdCliente")->AsInteger(), 3);
    EXPECT_EQ(Field("Nome_Fantasia")->AsString(), "Ana Lima");
    Answer.clear();
    EXPECT_FALSE(Pedido.Divisao->SearchByKey(*Field("IdCliente")));
    EXPECT_EQ(Field("IdCliente")->AsInteger(), 3);
    Pedido.Client->Cancel();
    Names.clear();
    for (const char* NoSearch : {"Idade", "IdPedido"}) {
        SCOPED_TRACE(NoSearch);
        EXPECT_FALSE(Pedido.Divisao->SearchByKey(*Field(NoSearch)));
    }
    EXPECT_TRUE(Names.isEmpty());
}

VEX_INSTANTIATE_ENGINE_SUITE(SearchFieldTest);

}  // namespace
}  // namespace databound
