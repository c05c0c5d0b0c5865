// Writing field values only when they change, and finding the edited dataset of a master/detail tree.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "dataaccess/VexFieldValue.h"

using namespace dataaccess;
using namespace platform::data;
using namespace platform::data::testing;

TEST(SetFieldValueTest, AnUnchangedValueLeavesABrowsingDataSetBrowsing) {
    TClientDataSet Clientes;
    CreateClientes(Clientes);
    TField* Nome = Clientes.FieldByName("Nome");
    TField* Saldo = Clientes.FieldByName("Saldo");
    SetFieldValue(Nome, "João Silva");
    Clientes.Locate("IdCliente", 3);
    SetFieldValue(Saldo, Null());
    ClearFieldValue(Saldo);
    EXPECT_EQ(Clientes.State(), dsBrowse);
    SetFieldValue(Saldo, Null(), false, true);  // forced
    EXPECT_EQ(Clientes.State(), dsEdit);
}

TEST(SetFieldValueTest, AChangedValueEditsTheRowPastTheReadOnlyFlag) {
    TClientDataSet Clientes;
    CreateClientes(Clientes);
    TField* Nome = Clientes.FieldByName("Nome");
    Nome->SetReadOnly(true);
    SetFieldValue(Nome, "Outro");
    EXPECT_EQ(Clientes.State(), dsEdit);
    EXPECT_EQ(Nome->AsString(), "Outro");
    EXPECT_TRUE(Nome->ReadOnly());
    SetFieldValue(Nome, "Ignorado", true);  // AsNull clears whatever the value
    EXPECT_TRUE(Nome->IsNull());
    Clientes.Cancel();

    TClientDataSet Empty;
    Empty.FieldDefs().Add("Codigo", ftLargeint);
    Empty.CreateDataSet();
    SetFieldValue(Empty.FieldByName("Codigo"), 5000000000LL);
    EXPECT_EQ(Empty.State(), dsInsert);
    EXPECT_EQ(Empty.FieldByName("Codigo")->AsLargeInt(), 5000000000LL);
}

TEST(SetFieldValueTest, TheReadOnlyFlagComesBackWhenTheWriteFails) {
    TClientDataSet Clientes;
    CreateClientes(Clientes);
    TField* Saldo = Clientes.FieldByName("Saldo");
    Saldo->SetReadOnly(true);
    EXPECT_ANY_THROW(SetFieldValue(Saldo, "não é número"));
    EXPECT_TRUE(Saldo->ReadOnly());
}

TEST(FindEditingDataSetTest, SearchesTheWholeTreeFromItsTopMaster) {
    TClientDataSet Master, Detail, Grandchild;
    CreateClientes(Master);
    CreateClientes(Detail);
    CreateClientes(Grandchild);
    TDataSource MasterSource, DetailSource;
    MasterSource.SetDataSet(&Master);
    DetailSource.SetDataSet(&Detail);
    Detail.SetMasterSource(&MasterSource);
    Detail.SetMasterFields("IdCliente");
    Grandchild.SetMasterSource(&DetailSource);
    Grandchild.SetMasterFields("IdCliente");

    EXPECT_EQ(FindEditingDataSet(&Grandchild), nullptr);
    Grandchild.Edit();
    EXPECT_EQ(FindEditingDataSet(&Detail), &Grandchild);
    EXPECT_EQ(FindEditingDataSet(&Master), &Grandchild);
    Master.Edit();
    EXPECT_EQ(FindEditingDataSet(&Grandchild), &Master);  // the top master is searched first
    EXPECT_EQ(FindEditingDataSet(nullptr), nullptr);
}
