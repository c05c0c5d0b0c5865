// Every form of a table load: the Select it sends, the parameters it binds and
// the rows that come back, over every engine.
#include <gtest/gtest.h>

#include <functional>

#include "TableTest.h"
#include "platform/data/ADODataSet.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

class TableLoadTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (2, 1, 8)");
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade, Entrega) Values (3, 2, 3, Null)");
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (4, 2, 9)");
    }
};
VEX_INSTANTIATE_ENGINE_SUITE(TableLoadTest);

const QString kAllColumns = "Select\r\n  IdPedido, IdCliente, Quantidade, Entrega\r\nFrom\r\n  Pedido\r\n";

TEST_P(TableLoadTest, EachFormSendsItsSelectBindsItsValuesInMarkerOrderAndReturnsTheMatchingRows) {
    const struct {
        const char* Name;
        std::function<bool(TPedidoTeste&)> Load;
        QString Sql;
        QStringList Params;  // in the order the query holds them
        QString Rows;        // IdPedido of each row, in dataset order
    } Cases[] = {
        {"keys", [](TPedidoTeste& T) { return T.Load({"IdCliente"}, {2}); },
         kAllColumns + "Where\r\n  IdCliente = ?", {"0"}, "3,4"},
        {"columns", [](TPedidoTeste& T) { return T.LoadFields({"idpedido", "Quantidade"}, {"IdCliente"}, {1}); },
         "Select\r\n  IdPedido, Quantidade\r\nFrom\r\n  Pedido\r\nWhere\r\n  IdCliente = ?", {"0"}, "1,2"},
        {"no limit",
         [](TPedidoTeste& T) {
             return T.Load({}, {}, {}, {}, QString(), {}, {}, {"IdPedido Desc"}, 0, nullptr, false);
         },
         kAllColumns + "\r\nOrder By\r\n  IdPedido Desc", {}, "4,3,2,1"},
        {"limit", [](TPedidoTeste& T) { return T.Load({}, {}, {}, {}, QString(), {}, {}, {"IdPedido Desc"}, 10,
                                                      nullptr, false); },
         "Select Top 10\r\n  IdPedido, IdCliente, Quantidade, Entrega\r\nFrom\r\n  Pedido\r\n\r\nOrder By\r\n  "
         "IdPedido Desc", {}, "4,3,2,1"},
        {"limit below the rows", [](TPedidoTeste& T) { return T.Load({}, {}, {}, {}, QString(), {}, {},
                                                                     {"IdPedido"}, 2, nullptr, false); },
         "Select Top 2\r\n  IdPedido, IdCliente, Quantidade, Entrega\r\nFrom\r\n  Pedido\r\n\r\nOrder By\r\n  IdPedido",
         {}, "1,2"},
        {"range, positional",
         [](TPedidoTeste& T) { return T.Load({"Quantidade", "Quantidade"}, {4, 8}, {ofMaiorIgual, ofMenorIgual}); },
         kAllColumns + "Where\r\n  Quantidade >= ? and Quantidade <= ?", {"0", "1"}, "1,2"},
        {"range, named",
         [](TPedidoTeste& T) {
             T.SetPositionalParams(false);
             return T.Load({"Quantidade", "Quantidade"}, {4, 8}, {ofMaiorIgual, ofMenorIgual});
         },
         kAllColumns + "Where\r\n  Quantidade >= :Quantidade and Quantidade <= :Quantidade_1",
         {"Quantidade", "Quantidade_1"}, "1,2"},
        {"colon in the where text",
         [](TPedidoTeste& T) { return T.LoadWhere("IdCliente = :Cliente", {"Cliente"}, {2}); },
         kAllColumns + "Where\r\n  IdCliente = :Cliente", {"Cliente"}, "3,4"},
        {"where text before the conditions",
         [](TPedidoTeste& T) {
             return T.Load({}, {"IdCliente"}, {2}, {}, "Quantidade > ?", {"Minimo"}, {4}, {}, 0, nullptr, false);
         },
         kAllColumns + "Where\r\n  Quantidade > ? and IdCliente = ?", {"0", "1"}, "4"},
        {"is null takes no value",
         [](TPedidoTeste& T) { return T.Load({"Entrega", "IdCliente"}, {999, 1}, {ofIsNull, ofIgual}); },
         kAllColumns + "Where\r\n  Entrega Is Null and IdCliente = ?", {"0"}, "1,2"},
        {"columns and where text",
         [](TPedidoTeste& T) { return T.LoadFieldsWhere({"Quantidade"}, "Quantidade > :Q", {"Q"}, {7}); },
         "Select\r\n  IdPedido, Quantidade\r\nFrom\r\n  Pedido\r\nWhere\r\n  Quantidade > :Q", {"Q"}, "2,4"},
        {"columns and operators",
         [](TPedidoTeste& T) { return T.LoadFields({"Quantidade"}, {"Quantidade"}, {5}, {ofMaior}); },
         "Select\r\n  IdPedido, Quantidade\r\nFrom\r\n  Pedido\r\nWhere\r\n  Quantidade > ?", {"0"}, "2,4"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::unique_ptr<TPedidoTeste> Pedido(CreateClasseTabela<TPedidoTeste>());
        EXPECT_EQ(Case.Load(*Pedido), !Case.Rows.isEmpty());
        EXPECT_EQ(Pedido->Query()->CommandText(), Case.Sql);
        QStringList Params;
        for (int I = 0; I < Pedido->Query()->Parameters().Count(); ++I)
            Params << Pedido->Query()->Parameters()[I].Name();
        EXPECT_EQ(Params, Case.Params);
        QStringList Rows;
        TDataSet* DataSet = Pedido->DataSet();
        for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) Rows << DataSet->FieldByName("IdPedido")->AsString();
        EXPECT_EQ(Rows.join(","), Case.Rows);
    }
}

}  // namespace
