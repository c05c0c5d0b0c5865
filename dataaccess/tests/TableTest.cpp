#include "TableTest.h"

#include "dataaccess/VexSchema.h"

namespace dataaccess::testing {

using namespace platform::data;

void TClienteTeste::DefineFields() {
    AddFields({{idxIdCliente, faNenhuma, "IdCliente", true, false, ftInteger, 0, 0},
               {idxNome, faNenhuma, "Nome", false, false, ftString, 60, 0},
               {idxCidade, faNenhuma, "Cidade", false, false, ftString, 40, 0},
               {idxSaldo, faNenhuma, "Saldo", false, false, ftFloat, 0, 0}});
}

void TPedidoTeste::DefineFields() {
    AddFields({{idxIdPedido, faNenhuma, "IdPedido", true, false, ftInteger, 0, 0},
               {idxIdCliente, faNenhuma, "IdCliente", false, true, ftInteger, 0, 0},
               {idxQuantidade, faNenhuma, "Quantidade", false, false, ftInteger, 0, 0},
               {idxEntrega, faNenhuma, "Entrega", false, false, ftDateTime, 0, 0}});
}

void TableTest::SetUp() {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    Host = std::make_unique<TTestHost>(Conn.get());
    CreateSchema(*Conn);
    static const char* const kDateTime[] = {"DateTime", "Timestamp", "DateTime"};
    Conn->Execute(QString("Create Table Pedido (IdPedido Integer Not Null Primary Key, IdCliente Integer, "
                          "Quantidade Integer, Entrega %1)")
                      .arg(kDateTime[GetParam()]));
    Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (1, 1, 5)");
    Host->Login("dbo", 1, 1);
}

void TableTest::TearDown() {
    Host.reset();
    EngineTest::TearDown();
}

QStringList TableTest::Pedidos() {
    return SelectRows("Select IdPedido, IdCliente, Quantidade, Entrega From Pedido Order By IdPedido");
}

}  // namespace dataaccess::testing
