#include "PedidoDivision.h"

#include "dataaccess/VexSchema.h"
#include "platform/data/Field.h"

namespace databound::testing {

using platform::data::TField;

void PedidoDivisionTest::SetUp() {
    DivisionFixture::SetUp();
    if (IsSkipped()) return;
    dataaccess::CreateSchema(*Conn);
    Conn->Execute("Create Table Pedido (IdPedido Integer Not Null Primary Key, IdCliente Integer, Idade Integer, "
                  "Nome_Fantasia VarChar(40))");
    Conn->Execute("Insert Into Pedido Values (1, 1, 30, 'O''Brien')");
    Conn->Execute("Insert Into Pedido Values (2, 2, 40, 'Acme')");
    StartHost();
    Pedido = Make("Pedido", "Select IdPedido, IdCliente, Idade, Nome_Fantasia From Pedido",
                  {{"IdPedido", platform::data::ftInteger},
                   {"IdCliente", platform::data::ftInteger},
                   {"Idade", platform::data::ftInteger},
                   {"Nome_Fantasia", platform::data::ftString}},
                  [](TParts& P) {
                      for (TField* F : P.Client->FieldList()) P.Divisao->Campos().Config().Add()->SetField(F);
                  });
    Pedido.Client->Open();
}

TConfigCampo& PedidoDivisionTest::Item(const QString& Name) const {
    return *Pedido.Divisao->Campos().Config().FindByField(Field(Name));
}

void PedidoDivisionTest::JoinNomeFantasia() {
    Item("Nome_Fantasia").SetTipos(tfJoin);
    Item("Nome_Fantasia").JoinField().SetSearchField(Field("IdCliente"));
}

int PedidoDivisionTest::PostAndApply() {
    Pedido.Client->Post();
    return Pedido.Client->ApplyUpdates(0);
}

}  // namespace databound::testing
