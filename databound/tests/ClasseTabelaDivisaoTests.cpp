// The table object of a division: its table, caption and columns come from
// the division and its field configuration, and it outlives the division safely.
#include <gtest/gtest.h>

#include "DivisionFixture.h"
#include "databound/ClasseTabelaDivisao.h"

namespace databound {
namespace {

TEST(ClasseTabelaDivisaoTest, TheColumnsAreTheDatasetFieldsWithTheirKeyAndReferenceFlags) {
    QObject Form;
    const testing::TDivisionParts Pedido = testing::MakeDivision(
        Form, "Pedido", "Select * From Pedido",
        {{"IdPedido", platform::data::ftInteger}, {"Nome_Fantasia", platform::data::ftString},
         {"IdCliente", platform::data::ftInteger}},
        [](testing::TDivisionParts& P) {
            for (platform::data::TField* F : P.Client->FieldList()) P.Divisao->Campos().Config().Add()->SetField(F);
            P.Divisao->Campos().SetTabela("Pedidos");
        });
    TVexDBDivisao Cliente;
    Cliente.SetCaption("Clientes");
    Pedido.Divisao->SetMaster(&Cliente);  // the caption becomes "Pedidos (Clientes)"; the base caption stays
    std::unique_ptr<TClasseTabelaDivisao> Table(CreateClasseTabelaDivisao(*Pedido.Divisao));
    EXPECT_EQ(Table->TableName(), "Pedidos");
    EXPECT_EQ(Table->Caption(), "Pedidos");
    QStringList Columns;
    for (const dataaccess::TCampoTabela& C : Table->Campos())
        Columns << QString("%1 %2 %3 %4").arg(C.Indice).arg(C.Nome).arg(C.Chave).arg(C.Referencia);
    EXPECT_EQ(Columns, QStringList({"0 IdPedido 1 0", "1 Nome_Fantasia 0 0", "2 IdCliente 0 1"}));
    Pedido.Divisao->SetMaster(nullptr);
    delete Pedido.Divisao;
    EXPECT_EQ(Table->Division(), nullptr);
    EXPECT_EQ(Table->TableName(), "");
}

}  // namespace
}  // namespace databound
