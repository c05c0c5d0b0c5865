// The field configuration on its own: settings taken from field names, the
// item's display name, copies, loading, forgotten fields, and the data labels
// that bind again when an item's role changes.
#include <gtest/gtest.h>

#include "databound/CamposDivisao.h"
#include "databound/DivisionFieldRules.h"
#include "databound/DivisionLabel.h"
#include "databound/VexDivisao.h"
#include "platform/data/DBClient.h"

namespace databound {
namespace {

using platform::data::TField;

class CamposDivisaoTest : public ::testing::Test {
protected:
    CamposDivisaoTest() { Divisao.SetTabela("Pedido"); }

    TField* NewField(const QString& Name, platform::data::TFieldType Type = platform::data::ftInteger) {
        return new TField(&DataSet, Name, Type, Type == platform::data::ftString ? 40 : 0);
    }
    TConfigCampo& Configure(TField* Field) {
        TConfigCampo& Item = *Divisao.Campos().Config().Add();
        Item.SetField(Field);
        return Item;
    }

    platform::data::TClientDataSet DataSet;
    TVexDBDivisao Divisao;
};

TEST_F(CamposDivisaoTest, FieldNamesBringTheKeyTheReferencesAndTheRequiredFields) {
    const struct {
        const char* Name;
        platform::data::TFieldType Type;
        const char* DisplayName;
        bool PrimaryKey, Obrigatorio;
        TTiposField Tipos;
        TValorTipo Tipo;
        QVariant Valor;
        const char* Divisao;
    } Cases[] = {
        {"IdPedido", platform::data::ftInteger, "IdPedido [OPV]", true, true, 0, vtIncremento, {}, ""},
        {"idpedido", platform::data::ftInteger, "idpedido [OPV]", true, true, 0, vtIncremento, {}, ""},
        {"IdCliente", platform::data::ftInteger, "IdCliente [S]", false, false, tfSearch, vtValor, {}, "Cliente"},
        {"Idade", platform::data::ftInteger, "Idade", false, false, 0, vtValor, {}, ""},
        {"Nome", platform::data::ftString, "Nome [O]", false, true, 0, vtValor, {}, ""},
        {"Ativo", platform::data::ftBoolean, "Ativo [V]", false, false, 0, vtValor, true, ""},
        {"Urgente", platform::data::ftBoolean, "Urgente [V]", false, false, 0, vtValor, false, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        const TConfigCampo& Item = Configure(NewField(C.Name, C.Type));
        EXPECT_EQ(Item.DisplayName(), C.DisplayName);
        EXPECT_EQ(Item.PrimaryKey(), C.PrimaryKey);
        EXPECT_EQ(Item.Valor().Obrigatorio(), C.Obrigatorio);
        EXPECT_EQ(Item.Tipos(), C.Tipos);
        EXPECT_EQ(Item.Valor().Tipo(), C.Tipo);
        EXPECT_EQ(Item.Valor().Valor().isNull(), !C.Valor.isValid());
        if (C.Valor.isValid()) {
            EXPECT_EQ(Item.Valor().Valor(), C.Valor);
        }
        EXPECT_EQ(Item.SearchField().Divisao(), C.Divisao);
        EXPECT_EQ(Item.SearchField().FieldName(), *C.Divisao ? C.Name : "");
        if (C.Tipo == vtIncremento) {
            EXPECT_EQ(Item.Valor().Incremento().Tabela, "Pedido");
            EXPECT_EQ(Item.Valor().Incremento().FieldName, C.Name);
        }
    }
    EXPECT_EQ(Divisao.FieldRules().KeyFields(), QStringList({"IdPedido", "idpedido"}));
}

TEST_F(CamposDivisaoTest, WhileLoadingTheStoredSettingsStayAsTheyAre) {
    Divisao.SetLoading(true);
    const TConfigCampo& Item = Configure(NewField("IdPedido"));
    EXPECT_FALSE(Item.PrimaryKey());
    Divisao.Campos().Config().Items(0)->Valor().SetTipo(vtIncrementoMax);
    EXPECT_TRUE(Item.Valor().Incremento().FieldName.isEmpty());
}

TEST_F(CamposDivisaoTest, AJoinFieldShowsItsSearchFieldAndTheTableDefaultsToTheDivisionSearched) {
    TField* IdCliente = NewField("IdCliente");
    TConfigCampo& Search = Configure(IdCliente);
    TConfigCampo& Join = Configure(NewField("Nome_Fantasia", platform::data::ftString));
    Join.SetTipos(tfJoin);
    Join.JoinField().SetSearchField(IdCliente);
    Join.Valor().Items << "A";
    EXPECT_EQ(Join.DisplayName(), "Nome_Fantasia [IJ] -> IdCliente");
    EXPECT_EQ(Search.SearchField().Tabela(), "Cliente");
    Search.SearchField().SetTabela("  Clientes ");
    EXPECT_EQ(Search.SearchField().Tabela(), "Clientes");
    EXPECT_EQ(Join.JoinField().ResultField(), kDefaultResultField);
    EXPECT_EQ(Divisao.SearchTarget(*Join.Field()).Tabela, "Clientes");
    EXPECT_EQ(Divisao.SearchTarget(*Join.Field()).FieldName, "IdCliente");
    EXPECT_TRUE(Divisao.SearchTarget(*IdCliente).Tabela.isEmpty());
}

TEST_F(CamposDivisaoTest, TheMasterFilterColumnDefaultsToTheKeyOfTheFilteringField) {
    TField* IdEmpresa = NewField("IdEmpresa");
    TField* Filial = NewField("Filial");
    Configure(IdEmpresa);
    TMasterFilter& Filter = Configure(NewField("IdCliente")).SearchField().MasterFilter();
    Filter.SetField(IdEmpresa);
    EXPECT_EQ(Filter.FieldName(), "IdEmpresa");
    Filter.SetFieldName("IdEmpresa");
    EXPECT_TRUE(Filter.StoredFieldName().isEmpty());
    Filter.SetField(Filial);
    EXPECT_EQ(Filter.FieldName(), "Filial");
    Filter.SetFieldName("Codigo_Filial");
    EXPECT_EQ(Filter.FieldName(), "Codigo_Filial");
}

TEST_F(CamposDivisaoTest, AssignCopiesEverySettingAndKeepsFieldReferences) {
    TField* IdCliente = NewField("IdCliente");
    TField* IdEmpresa = NewField("IdEmpresa");
    TConfigCampo& Source = Configure(IdCliente);
    Source.SearchField().Lookups << "Cidade=Cidade";
    Source.SearchField().MasterFilter().SetField(IdEmpresa);
    Source.SearchField().MasterFilter().SetWhere("Ativo = 1");
    Source.JoinField().SetResultField("Fantasia");
    Source.JoinField().AddResultFields << "Cidade";
    Source.Valor().SetObrigatorio(true);
    Source.Valor().SetModificacao(true);
    Source.Valor().SetTipo(vtIncrementoMax);
    Source.Valor().Incremento().MasterFilter = true;
    Source.Valor().ItemsEx << "1=Um";
    Source.SetAutoSearch(false);
    Source.SetPrimaryKey(true);
    TConfigCampo& Copy = *Divisao.Campos().Config().Add();
    Copy.Assign(Source);
    Source.SearchField().Lookups.clear();
    EXPECT_EQ(Copy.Field(), IdCliente);
    EXPECT_EQ(Copy.SearchField().Lookups, QStringList({"Cidade=Cidade"}));
    EXPECT_EQ(Copy.SearchField().Divisao(), "Cliente");
    EXPECT_EQ(Copy.SearchField().MasterFilter().Field(), IdEmpresa);
    EXPECT_EQ(Copy.SearchField().MasterFilter().Where(), "Ativo = 1");
    EXPECT_EQ(Copy.JoinField().ResultField(), "Fantasia");
    EXPECT_EQ(Copy.JoinField().AddResultFields, QStringList({"Cidade"}));
    EXPECT_EQ(Copy.DisplayName(), Source.DisplayName());
    EXPECT_EQ(Copy.Valor().Tipo(), vtIncrementoMax);
    EXPECT_TRUE(Copy.Valor().Modificacao());
    EXPECT_TRUE(Copy.Valor().Incremento().MasterFilter);
    EXPECT_EQ(Copy.Valor().Incremento().FieldName, "IdCliente");
    EXPECT_EQ(Copy.Valor().ItemsEx, QStringList({"1=Um"}));
    EXPECT_FALSE(Copy.AutoSearch());
    EXPECT_EQ(Copy.Tipos(), TTiposField(tfSearch));

    TEspecializacao Especializacao;
    TEspecializacaoItem& Companion = *Especializacao.Add();
    Companion.SetTabela(" Pedido_Extra ");
    Companion.SetExcluir(etLocalDepois);
    Companion.SetUpdateLocalPrimeiro(true);
    TEspecializacaoCampo& Mapping = *Companion.Campos().Add();
    Mapping.SetCampo(IdCliente);
    Mapping.SetOrigem("Cliente");
    Mapping.SetPrimaryKey(true);
    TEspecializacao Copied;
    Copied.Assign(Especializacao);
    EXPECT_EQ(Copied.Items(0)->DisplayName(), "Pedido_Extra");
    EXPECT_EQ(Copied.Items(0)->Excluir(), etLocalDepois);
    EXPECT_TRUE(Copied.Items(0)->UpdateLocalPrimeiro());
    ASSERT_EQ(Copied.Items(0)->Campos().Count(), 1);
    EXPECT_EQ(Copied.Items(0)->Campos().Items(0)->DisplayName(), "IdCliente -> Cliente");
    EXPECT_TRUE(Copied.Items(0)->Campos().Items(0)->PrimaryKey());
}

TEST_F(CamposDivisaoTest, AFreedFieldIsForgottenEverywhereInTheConfiguration) {
    TField* IdCliente = NewField("IdCliente");
    TConfigCampo& Search = Configure(IdCliente);
    TConfigCampo& Join = Configure(NewField("Nome_Fantasia", platform::data::ftString));
    Join.JoinField().SetSearchField(IdCliente);
    Search.SearchField().MasterFilter().SetField(IdCliente);
    delete IdCliente;
    EXPECT_EQ(Search.Field(), nullptr);
    EXPECT_EQ(Join.JoinField().SearchField(), nullptr);
    EXPECT_EQ(Search.SearchField().MasterFilter().Field(), nullptr);
    EXPECT_EQ(Divisao.Campos().Config().FindByField(Join.Field()), &Join);
}

// A data label that counts how often it was asked to bind again.
class TCountingLabel : public QObject, public IDivisionLabel {
public:
    void Rebind() override { ++Count; }
    int Count = 0;
};

TEST_F(CamposDivisaoTest, RegisteredLabelsBindAgainWhenAnItemsRoleChanges) {
    TCountingLabel Label, Other;
    Divisao.RegisterLabel(&Label);
    Divisao.RegisterLabel(&Label);
    {
        TCountingLabel Gone;
        Divisao.RegisterLabel(&Gone);
    }
    EXPECT_EQ(Divisao.Labels(), QList<QObject*>({&Label}));
    TConfigCampo& Item = Configure(NewField("IdCliente"));  // becomes a search field
    EXPECT_EQ(Label.Count, 1);
    Item.SetAutoSearch(false);
    Item.SetAutoSearch(false);
    Item.SetTipos(tfSearch);
    EXPECT_EQ(Label.Count, 2);
    Item.SetTipos(tfSearch | tfJoin);
    EXPECT_EQ(Label.Count, 3);
    Divisao.UnregisterLabel(&Label);
    Item.SetTipos(0);
    EXPECT_EQ(Label.Count, 3);
    EXPECT_EQ(Other.Count, 0);
}

}  // namespace
}  // namespace databound
