#pragma once
// A Pedido division over every engine: the table Pedido (IdPedido, IdCliente,
// Idade, Nome_Fantasia) with two orders, the engine fixture's Cliente table as
// the table its IdCliente refers to, the framework schema for key counters,
// and a division configured from its field names as the field adjustment does.
#include "DivisionFixture.h"

namespace databound::testing {

class PedidoDivisionTest : public DivisionFixture {
protected:
    void SetUp() override;

    platform::data::TField* Field(const QString& Name) const { return Pedido.Client->FieldByName(Name); }
    TConfigCampo& Item(const QString& Name) const;
    // Nome_Fantasia shows the client's name through IdCliente.
    void JoinNomeFantasia();
    // Posts and applies the current row; the number of rows the provider could not write.
    int PostAndApply();

    TParts Pedido{};
};

}  // namespace databound::testing
