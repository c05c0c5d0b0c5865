// Deleting every row that matches a condition: all or nothing, in one
// transaction, with control-password prompts suppressed.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "dataaccess/VexSession.h"
#include "platform/os/Exceptions.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

// Refuses to delete order 2; remembers whether prompts were suppressed for each row.
class TPedidoTravado : public TPedidoTeste {
    Q_OBJECT
public:
    using TPedidoTeste::TPedidoTeste;
    QStringList Deleted;

protected:
    void DoBeforeDelete() override {
        const QString Id = DataSet()->FieldByName("IdPedido")->AsString();
        if (Id == "2") throw platform::os::Exception("pedido travado");
        Deleted << QString("%1 %2").arg(Id, ControlPasswordState().SuppressCount > 0 ? "quiet" : "prompting");
    }
};

class DeleteRecordsTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (2, 1, 8)");
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (3, 2, 3)");
        Conn->Execute("Insert Into Pedido (IdPedido, IdCliente, Quantidade) Values (4, 2, 9)");
        Pedido.reset(CreateClasseTabela<TPedidoTravado>());
    }
    void TearDown() override {
        Pedido.reset();
        TableTest::TearDown();
    }
    QString Ids() {
        QStringList Out;
        for (const QString& Row : Pedidos()) Out << Row.section('|', 0, 0);
        return Out.join(",");
    }

    std::unique_ptr<TPedidoTravado> Pedido;
};
VEX_INSTANTIATE_ENGINE_SUITE(DeleteRecordsTest);

TEST_P(DeleteRecordsTest, MatchingRowsAreDeletedQuietlyAndNoMatchIsNotAnError) {
    EXPECT_EQ(Pedido->DeleteRecords({"IdCliente"}, {2}), 2);
    EXPECT_EQ(Ids(), "1,2");
    EXPECT_EQ(Pedido->Deleted, QStringList({"3 quiet", "4 quiet"}));
    EXPECT_FALSE(Pedido->Deleting());

    EXPECT_EQ(Pedido->DeleteRecordsWhere("Quantidade > :Q", {"Q"}, {100}), 1);
    EXPECT_EQ(Pedido->DeleteRecords({"Quantidade"}, {5}, {ofMenorIgual}), 2);
    EXPECT_EQ(Ids(), "2");
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_EQ(ControlPasswordState().SuppressCount, 0);
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_P(DeleteRecordsTest, ARowRefusedHalfWayLeavesEveryRowAndReportsTheErrorOnce) {
    EXPECT_EQ(Pedido->DeleteRecords({"IdCliente"}, {1}), 0);  // order 1 goes first, then 2 refuses
    EXPECT_EQ(Pedido->Deleted, QStringList({"1 quiet"}));
    EXPECT_EQ(Ids(), "1,2,3,4");
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_FALSE(Pedido->Deleting());
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Ocorreu um erro ao tentar excluir o(a) pedido.");
    EXPECT_EQ(Dialogs.Calls[0].Details, "pedido travado");
}

}  // namespace

#include "DeleteRecordsTests.moc"
