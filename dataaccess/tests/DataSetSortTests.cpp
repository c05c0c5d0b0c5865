// Ordering by title clicks on client datasets and, on every engine, on query datasets.
#include <gtest/gtest.h>

#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/DataSetSort.h"
#include "platform/data/tests/EngineTest.h"

using namespace dataaccess;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

struct TClick {
    QString FixedFields;
    QString FieldName;
    bool Multi;
};

// A dataset of neither sortable kind.
class TOtherDataSet : public TDataSet {
public:
    using TDataSet::TDataSet;

protected:
    void InternalOpen() override {}
};

class DataSetSortTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clientes.setObjectName("cdsClientes");
        CreateClientes(Clientes);
    }

    TClientDataSet Clientes;
    TRecordedDialogs Dialogs;
};

TEST_F(DataSetSortTest, TwoClicksOnAColumnSortItDescendingInTheSecondInternalIndex) {
    ToggleSort(&Clientes, "", "Nome", false);
    EXPECT_EQ(Clientes.IndexName(), "Internal_Index_1");
    ToggleSort(&Clientes, "", "Nome", false);
    EXPECT_EQ(Clientes.IndexName(), "Internal_Index_2");
    const TIndexDef* Def = Clientes.IndexDefs().Find("Internal_Index_2");
    ASSERT_NE(Def, nullptr);
    EXPECT_EQ(Def->Fields, "Nome");
    EXPECT_EQ(Def->DescFields, "Nome");
    EXPECT_EQ(Def->GroupingLevel, 1);
    EXPECT_EQ(Clientes.IndexDefs().Count(), 2);  // the first order stays defined

    ToggleSort(&Clientes, "", "IdCliente", false);
    ToggleSort(&Clientes, "", "IdCliente", false);
    Clientes.First();
    EXPECT_EQ(Clientes.FieldByName("IdCliente")->AsInteger(), 5);
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_F(DataSetSortTest, ClicksGiveTheOrderOfTheFixedFieldsAndTheClickedColumns) {
    const struct {
        const char* Name;
        std::vector<TClick> Clicks;
        QString Text;
    } Cases[] = {
        {"a third click sorts ascending again", {{"", "Nome", false}, {"", "Nome", false}, {"", "Nome", false}},
         "Nome"},
        {"another column drops the previous one", {{"", "Nome", false}, {"", "Cidade", false}}, "Cidade"},
        {"a fixed field leads", {{"Cidade", "Criado", false}}, "Cidade;Criado"},
        {"with several columns the clicked ones follow the fixed field in order",
         {{"Cidade", "Criado", false}, {"Cidade", "Nome", true}}, "Cidade;Criado;Nome"},
        {"several columns keep their directions", {{"", "Nome", false}, {"", "Nome", false}, {"", "Cidade", true}},
         "Nome DESC;Cidade"},
        {"a column among several reverses", {{"", "Nome", false}, {"", "Cidade", true}, {"", "Cidade", true}},
         "Nome;Cidade DESC"},
        {"a fixed field keeps its direction", {{"", "Nome", false}, {"", "Nome", false}, {"Nome", "Cidade", false}},
         "Nome DESC;Cidade"},
        {"names ignore case", {{"", "nome", false}, {"", "NOME", false}}, "NOME DESC"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TClientDataSet DataSet;
        CreateClientes(DataSet);
        for (const TClick& Click : Case.Clicks) ToggleSort(&DataSet, Click.FixedFields, Click.FieldName, Click.Multi);
        EXPECT_EQ(GetSortText(&DataSet), Case.Text);
    }
}

TEST_F(DataSetSortTest, SortStateAndTextReadTheCurrentOrder) {
    ApplySort(&Clientes, {"Cidade", "Nome"}, {"Nome"});
    EXPECT_EQ(GetSortText(&Clientes), "Cidade;Nome DESC");
    EXPECT_EQ(GetSortText(&Clientes, "cidade"), "Nome DESC");
    EXPECT_EQ(SortFieldCount(&Clientes, "Cidade"), 1);
    const struct {
        QString Field, Ignore;
        int State, Position;
    } Cases[] = {
        {"Nome", "", 2, 1}, {"Cidade", "", 1, 0}, {"nome", "", 2, 1}, {"Nome", "Cidade", 2, 0},
        {"Saldo", "", 0, -1}, {"Cidade", "Saldo;Cidade", 0, -1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE((Case.Field + " ignoring " + Case.Ignore).toStdString());
        int Position = 99;
        EXPECT_EQ(GetSortState(&Clientes, Case.Field, Case.Ignore, Position), Case.State);
        EXPECT_EQ(Position, Case.Position);
    }

    Clientes.SetIndexFieldNames("Saldo; Nome");
    QStringList Fields, Desc;
    GetSortFields(&Clientes, Fields, Desc);
    EXPECT_EQ(Fields, QStringList({"Saldo", "Nome"}));
    EXPECT_TRUE(Desc.isEmpty());
}

TEST_F(DataSetSortTest, WhatCannotBeSortedIsToldAndLeftUnchanged) {
    TClientDataSet Notas;
    Notas.FieldDefs().Add("IdNota", ftInteger);
    Notas.FieldDefs().Add("Obs", ftMemo);
    Notas.CreateDataSet();
    Notas.FieldByName("Obs")->SetDisplayLabel("Observações");
    TOtherDataSet Other;
    Other.setObjectName("tblOutro");
    const struct {
        TDataSet* DataSet;
        QString FieldName, Msg;
    } Cases[] = {
        {&Other, "Nome",
         "O dataset 'tblOutro' não é compatível para ordenação.´Somente TADODataSets ou TClientDataSets são "
         "permitidos."},
        {&Notas, "Valor", "O campo 'Valor' não foi encontrado para a ordenação dos dados."},
        {&Notas, "Obs", "O campo 'Observações' não permite ordenação dos dados."},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Msg.toStdString());
        Dialogs.Calls.clear();
        ToggleSort(Case.DataSet, "", Case.FieldName, false);
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg, Case.Msg);
        EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkInformation);
        EXPECT_EQ(Dialogs.Calls[0].Buttons, controls::ButtonSet({controls::dbOK}));
        EXPECT_EQ(Case.DataSet->IndexDefs().Count(), 0);
        EXPECT_TRUE(Case.DataSet->IndexName().isEmpty());
    }
}

TEST_F(DataSetSortTest, FieldTokensBecomeTheFieldsOrigins) {
    Clientes.FieldByName("Nome")->SetOrigin("Cli.Nome");
    Clientes.FieldByName("Cidade")->SetOrigin("Cid.Descricao");
    const struct {
        QString Text, Expected;
    } Cases[] = {
        {"[Nome]=1", "Cli.Nome=1"},
        {"[Nome] = 1", "Cli.Nome = 1"},
        {"[nome] = 1 or [NOME] = 2", "Cli.Nome = 1 or Cli.Nome = 2"},
        {"[Cidade] + [Nome]", "Cid.Descricao + Cli.Nome"},
        {"[Outro] = 1", "[Outro] = 1"},
        {"[Nome = 1", "[Nome = 1"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text.toStdString());
        EXPECT_EQ(ReplaceFieldTokens(Case.Text, &Clientes), Case.Expected);
    }
    EXPECT_TRUE(Dialogs.Calls.empty());
    TOtherDataSet Other;
    EXPECT_EQ(ReplaceFieldTokens("[Nome]=1", &Other), "[Nome]=1");
    EXPECT_EQ(Dialogs.Calls.size(), 1u);
}

class DataSetSortEngineTest : public EngineTest {};

VEX_INSTANTIATE_ENGINE_SUITE(DataSetSortEngineTest);

TEST_P(DataSetSortEngineTest, QueryRowsFollowTheTitleClicks) {
    TADOQuery Query;
    Query.SetConnection(Conn.get());
    Query.SetSQL("Select IdCliente, Nome, Cidade From Cliente");
    Query.Open();
    ToggleSort(&Query, "", "IdCliente", false);
    ToggleSort(&Query, "", "IdCliente", false);
    Query.First();
    EXPECT_EQ(Query.FieldByName("IdCliente")->AsInteger(), 3);
    ToggleSort(&Query, "Cidade", "Nome", false);
    int Position = -1;
    EXPECT_EQ(GetSortState(&Query, "Nome", "", Position), 1);
    EXPECT_EQ(Position, 1);
    QStringList Nomes;
    for (Query.First(); !Query.Eof(); Query.Next()) Nomes << Query.FieldByName("Nome")->AsString();
    EXPECT_EQ(Nomes, QStringList({"maria souza", "Ana Lima", "João Silva"}));
}

}  // namespace
