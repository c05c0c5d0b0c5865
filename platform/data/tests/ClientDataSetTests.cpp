// The client dataset: change log and delta, index definitions, master/detail
// and filters.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "platform/data/Provider.h"

using namespace platform::data;
using platform::data::testing::CreateClientes;

namespace {

QList<int> Ids(TDataSet& DS) {
    QList<int> Out;
    const TBookmark Mark = DS.GetBookmark();
    for (DS.First(); !DS.Eof(); DS.Next()) Out << DS.FieldByName("IdCliente")->AsInteger();
    if (DS.BookmarkValid(Mark)) DS.GotoBookmark(Mark);
    return Out;
}

class ClientDataSetTest : public ::testing::Test {
protected:
    void SetUp() override { CreateClientes(DS); }
    TClientDataSet DS;
};

}  // namespace

TEST_F(ClientDataSetTest, ChangeLogAndDeltaAfterMixedEdits) {
    EXPECT_EQ(DS.ChangeCount(), 0);
    DS.Locate("IdCliente", 1);
    DS.Edit();
    DS.FieldByName("Nome")->SetAsString("João S.");
    DS.Post();
    DS.Edit();
    DS.FieldByName("Saldo")->SetAsFloat(1);
    DS.Post();
    EXPECT_EQ(DS.FieldByName("Nome")->OldValue().toString(), "João Silva");
    DS.Locate("IdCliente", 2);
    DS.Delete();
    DS.Append();
    DS.FieldByName("IdCliente")->SetAsInteger(6);
    DS.FieldByName("Nome")->SetAsString("Novo");
    DS.Post();
    DS.Edit();
    DS.FieldByName("Cidade")->SetAsString("Natal");
    DS.Post();
    EXPECT_EQ(DS.UpdateStatus(), usInserted);
    EXPECT_EQ(DS.ChangeCount(), 3);
    EXPECT_EQ(Ids(DS), (QList<int>{1, 3, 4, 5, 6}));

    TClientDataSet Delta;
    Delta.SetStatusFilter((1u << usModified) | (1u << usInserted) | (1u << usDeleted));
    Delta.SetData(DS.Delta());
    ASSERT_EQ(Delta.RecordCount(), 3);
    Delta.First();  // in the order of the changes
    EXPECT_EQ(Delta.UpdateStatus(), usModified);
    EXPECT_EQ(Delta.FieldByName("Nome")->NewValue().toString(), "João S.");
    EXPECT_EQ(Delta.FieldByName("Nome")->OldValue().toString(), "João Silva");
    EXPECT_DOUBLE_EQ(Delta.FieldByName("Saldo")->OldValue().toDouble(), 100.5);
    EXPECT_FALSE(Delta.FieldByName("Cidade")->NewValue().isValid());  // unchanged: Unassigned
    Delta.Next();
    EXPECT_EQ(Delta.UpdateStatus(), usDeleted);
    EXPECT_EQ(Delta.FieldByName("IdCliente")->OldValue().toInt(), 2);
    Delta.Next();
    EXPECT_EQ(Delta.UpdateStatus(), usInserted);
    EXPECT_EQ(Delta.FieldByName("Cidade")->NewValue().toString(), "Natal");

    // The data packet keeps the change log; cancelling brings everything back.
    TClientDataSet Copy;
    Copy.SetData(DS.Data());
    EXPECT_EQ(Copy.ChangeCount(), 3);
    DS.CancelUpdates();
    EXPECT_EQ(DS.ChangeCount(), 0);
    EXPECT_EQ(Ids(DS), (QList<int>{1, 2, 3, 4, 5}));
    DS.Locate("IdCliente", 1);
    EXPECT_EQ(DS.FieldByName("Nome")->AsString(), "João Silva");
    EXPECT_DOUBLE_EQ(DS.FieldByName("Saldo")->AsFloat(), 100.5);

    Copy.Locate("IdCliente", 1);
    Copy.RevertRecord();
    EXPECT_EQ(Copy.ChangeCount(), 2);
    Copy.MergeChangeLog();
    EXPECT_EQ(Copy.ChangeCount(), 0);
    EXPECT_EQ(Ids(Copy), (QList<int>{1, 3, 4, 5, 6}));
}

TEST_F(ClientDataSetTest, IndexDefinitionsOrderRows) {
    TIndexDef& ByCity = DS.IndexDefs().Add("PorCidade", "Cidade;Nome");
    ByCity.DescFields = "Cidade";
    ByCity.CaseInsFields = "Nome";
    DS.SetIndexName("PorCidade");
    // Descending city, nulls last when descending; names ascending inside a city.
    EXPECT_EQ(Ids(DS), (QList<int>{3, 1, 2, 5, 4}));
    EXPECT_EQ(DS.IndexFields(), "Cidade;Nome");

    DS.IndexDefs().Add("Desc", "Saldo", ixDescending);
    DS.SetIndexName("Desc");
    EXPECT_EQ(Ids(DS), (QList<int>{1, 5, 2, 4, 3}));

    // Case-sensitive order puts lower case first for the same letters; the
    // case-insensitive one keeps such rows in their natural order.
    DS.Locate("IdCliente", 4);
    DS.Edit();
    DS.FieldByName("Nome")->SetAsString("ana lima");
    DS.Post();
    DS.SetIndexFieldNames("Nome");
    EXPECT_EQ(DS.IndexName(), "");
    EXPECT_EQ(Ids(DS), (QList<int>{4, 3, 1, 2, 5}));
    DS.IndexDefs().Add("CI", "Nome", ixCaseInsensitive);
    DS.SetIndexName("CI");
    EXPECT_EQ(Ids(DS), (QList<int>{3, 4, 1, 2, 5}));

    // A posted row moves to its place and stays current.
    DS.Locate("IdCliente", 2);
    DS.Edit();
    DS.FieldByName("Nome")->SetAsString("Aaron");
    DS.Post();
    EXPECT_EQ(DS.RecNo(), 1);
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 2);

    EXPECT_THROW(DS.SetIndexName("Nenhum"), EDatabaseError);
    EXPECT_THROW(DS.IndexDefs().Add("CI", "Nome"), EDatabaseError);
}

TEST_F(ClientDataSetTest, DetailFollowsItsMaster) {
    TClientDataSet Pedidos;
    Pedidos.FieldDefs().Add("IdPedido", ftInteger);
    Pedidos.FieldDefs().Add("IdCliente", ftInteger);
    Pedidos.FieldDefs().Add("Valor", ftFloat);
    Pedidos.CreateDataSet();
    for (const QVariantList& Row : {QVariantList{10, 1, 5.0}, QVariantList{11, 2, 7.0}, QVariantList{12, 1, 9.0},
                                    QVariantList{13, 3, 1.0}})
        Pedidos.AppendRecord(Row);
    TDataSource Master;
    Master.SetDataSet(&DS);
    Pedidos.SetIndexFieldNames("IdCliente;IdPedido");
    Pedidos.SetMasterFields("IdCliente");
    Pedidos.SetMasterSource(&Master);
    EXPECT_EQ(DS.GetDetailDataSets(), QList<TDataSet*>{&Pedidos});

    auto Orders = [&] {
        QList<int> Out;
        for (Pedidos.First(); !Pedidos.Eof(); Pedidos.Next()) Out << Pedidos.FieldByName("IdPedido")->AsInteger();
        return Out;
    };
    EXPECT_EQ(Orders(), (QList<int>{10, 12}));
    DS.Next();
    EXPECT_EQ(Orders(), QList<int>{11});
    DS.Locate("IdCliente", 4);
    EXPECT_TRUE(Pedidos.IsEmpty());

    // A new detail row takes the master's key and shows under it.
    Pedidos.Append();
    EXPECT_EQ(Pedidos.FieldByName("IdCliente")->AsInteger(), 4);
    Pedidos.FieldByName("IdPedido")->SetAsInteger(14);
    Pedidos.Post();
    EXPECT_EQ(Orders(), QList<int>{14});

    // Changing the master's key moves the detail along.
    DS.Edit();
    DS.FieldByName("IdCliente")->SetAsInteger(3);
    EXPECT_EQ(Orders(), QList<int>{13});
    DS.Cancel();
    EXPECT_EQ(Orders(), QList<int>{14});

    // Scrolling the master posts the detail's pending edit first.
    Pedidos.Edit();
    Pedidos.FieldByName("Valor")->SetAsFloat(3);
    DS.First();
    EXPECT_EQ(Pedidos.State(), dsBrowse);
    EXPECT_EQ(Orders(), (QList<int>{10, 12}));

    Pedidos.SetMasterSource(nullptr);
    EXPECT_EQ(Pedidos.RecordCount(), 5);
    EXPECT_THROW(DS.SetMasterSource(&Master), EDatabaseError);  // circular
}

TEST_F(ClientDataSetTest, MasterSourceDestroyedClearsTheLink) {
    TClientDataSet Detail;
    CreateClientes(Detail);
    auto* Master = new TDataSource;
    Master->SetDataSet(&DS);
    Detail.SetMasterFields("IdCliente");
    Detail.SetMasterSource(Master);
    EXPECT_EQ(Detail.RecordCount(), 1);
    delete Master;
    EXPECT_EQ(Detail.MasterSource(), nullptr);
    EXPECT_EQ(Detail.RecordCount(), 5);
}

TEST_F(ClientDataSetTest, FilterExpressions) {
    TDataPacket Packet = DS.Data();
    Packet.FieldDefs.Add("Excluido", ftBoolean);
    for (auto& Row : Packet.Rows) Row.Values.push_back(Null());
    DS.Close();
    DS.FieldDefs().Clear();
    DS.SetData(Packet);
    auto Filtered = [&](const QString& Text, TFilterOptions Options = 0) {
        DS.SetFilterOptions(Options);
        DS.SetFilter(Text);
        DS.SetFiltered(true);
        QList<int> Out = Ids(DS);
        DS.SetFiltered(false);
        return Out;
    };
    DS.Locate("IdCliente", 2);
    DS.Edit();
    DS.FieldByName("Excluido")->SetAsBoolean(true);
    DS.Post();
    DS.Locate("IdCliente", 3);
    DS.Edit();
    DS.FieldByName("Excluido")->SetAsBoolean(false);
    DS.Post();
    EXPECT_EQ(Filtered("not Excluido"), (QList<int>{1, 3, 4, 5}));  // a row never marked is not excluded
    EXPECT_EQ(Filtered("Excluido"), (QList<int>{2}));
    EXPECT_EQ(Filtered("Excluido is null or not Excluido"), (QList<int>{1, 3, 4, 5}));
    EXPECT_EQ(Filtered("Nome like '%souza%' and Nome like 'carlos%'", foCaseInsensitive), (QList<int>{4}));
    EXPECT_EQ(Filtered("Nome like '%Souza%'"), (QList<int>{4}));
    EXPECT_EQ(Filtered("Nome like '%a s%'", foCaseInsensitive), (QList<int>{2}));
    EXPECT_EQ(Filtered("Nome like 'ana_lima'", foCaseInsensitive), (QList<int>{3}));
    EXPECT_EQ(Filtered("Cidade = 'são paulo'", foCaseInsensitive), (QList<int>{1, 3}));
    EXPECT_EQ(Filtered("Cidade = 'S*'"), (QList<int>{1, 3}));
    EXPECT_EQ(Filtered("Cidade = 'S*'", foNoPartialCompare), (QList<int>{}));
    EXPECT_EQ(Filtered("Saldo >= 50 and (Ativo = True or Cidade <> 'Rio')"), (QList<int>{1, 5}));
    EXPECT_EQ(Filtered("Criado >= '01/01/2024' and Criado < '2024-03-01'"), (QList<int>{1, 2}));
    EXPECT_EQ(Filtered("Saldo is not null and Saldo * 2 > 150"), (QList<int>{1}));
    EXPECT_EQ(Filtered("IdCliente in (1, 4, 9)"), (QList<int>{1, 4}));
    EXPECT_EQ(Filtered("[Nome] = 'ÁLVARO Ção'"), (QList<int>{5}));

    DS.SetFilter("");
    DS.OnFilterRecord = [](TDataSet* D, bool& Accept) { Accept = D->FieldByName("IdCliente")->AsInteger() % 2 == 0; };
    DS.SetFiltered(true);
    EXPECT_EQ(Ids(DS), (QList<int>{2, 4}));
    DS.SetFiltered(false);
    DS.OnFilterRecord = nullptr;

    try {
        DS.SetFilter("Nome = 'x' and");
        FAIL() << "an incomplete expression must be refused";
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Text(), "Invalid filter expression \"Nome = 'x' and\": unexpected end at position 15");
    }
    DS.SetFilter("Inexistente = 1");
    EXPECT_THROW(DS.SetFiltered(true), EDatabaseError);
}

TEST_F(ClientDataSetTest, ProviderOverAnyDataSet) {
    TDataSetProvider Provider;
    Provider.SetDataSet(&DS);
    TClientDataSet Copy;
    Copy.SetProvider(&Provider);
    Copy.Open();
    EXPECT_EQ(Copy.RecordCount(), 5);
    EXPECT_EQ(Copy.FieldByName("Nome")->AsString(), "João Silva");
    // Applying needs a query dataset to write to.
    Copy.Edit();
    Copy.FieldByName("Nome")->SetAsString("x");
    Copy.Post();
    EXPECT_THROW(Copy.ApplyUpdates(0), EDatabaseError);
    EXPECT_EQ(Copy.ChangeCount(), 1);
    TClientDataSet Orphan;
    Orphan.FieldDefs().Add("A", ftInteger);
    EXPECT_THROW(Orphan.Open(), EDatabaseError);  // no provider, no data
    EXPECT_FALSE(Orphan.Active());
}
