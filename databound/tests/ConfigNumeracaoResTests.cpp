// The table classes the numbering dialog writes through, on every engine:
// keys from the key counter, all companies stored as null, missing rows and
// failures answered with their values, and a failure that rolls back the
// caller's whole transaction.
#include <gtest/gtest.h>

#include "NumberingDialogTest.h"
#include "dataaccess/VexSession.h"
#include "databound/ConfigNumeracaoRes.h"

namespace databound {
namespace {

using testing::NumberingDialogTest;

class ConfigNumeracaoRes : public NumberingDialogTest {
protected:
    void SetUp() override {
        NumberingDialogTest::SetUp();
        if (IsSkipped()) return;
        Numeracao.reset(dataaccess::CreateClasseTabela<TNumeracao>());
        Item.reset(dataaccess::CreateClasseTabela<TNumeracaoItem>());
    }
    void TearDown() override {
        Item.reset();
        Numeracao.reset();
        NumberingDialogTest::TearDown();
    }
    std::unique_ptr<TNumeracao> Numeracao;
    std::unique_ptr<TNumeracaoItem> Item;
};
VEX_INSTANTIATE_ENGINE_SUITE(ConfigNumeracaoRes);

TEST_P(ConfigNumeracaoRes, SaveConfigInsertsUnderTheKeyCounterAndUpdatesAnExistingRow) {
    EXPECT_EQ(Numeracao->SaveConfig(0, 0, "[Numero]/[YY]", "Numero", "Pedido", 6, 3), 1);
    EXPECT_EQ(Numeracao->SaveConfig(0, 3, "F-[Numero]", "Numero", "Pedido", 4, 0), 2);
    EXPECT_EQ(Numeracao->SaveConfig(2, 5, "M-[Numero]", "Codigo", "Pedido", 2, 2), 2);
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|3|[Numero]/[YY]|6", "2|5|Pedido|Codigo|2|M-[Numero]|2"}));
    EXPECT_EQ(Scalar("Select Codigo From sys_Campo_Incremento Where Divisao = 'sys_Numeracao'").toInt(), 2);
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_P(ConfigNumeracaoRes, AMissingRowOrAFailedWriteAnswersMinusOneAndWritesNothing) {
    ASSERT_EQ(Numeracao->SaveConfig(0, 0, "[Numero]", "Numero", "Pedido", 6, 0), 1);
    const struct {
        const char* Name;
        std::function<int()> Call;
    } Cases[] = {
        {"config missing", [&] { return Numeracao->SaveConfig(9, 0, "X", "Numero", "Pedido", 6, 0); }},
        {"unknown company", [&] { return Numeracao->SaveConfig(0, 77, "X", "Numero", "Pedido", 6, 0); }},
        {"counter missing", [&] { return Item->SaveItem(9, 1, 2024, 0, 0, 5); }},
        {"unknown configuration", [&] { return Item->SaveItem(0, 42, 2024, 0, 0, 5); }},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Dialogs.Calls.clear();
        EXPECT_EQ(C.Call(), -1);
        EXPECT_EQ(Dialogs.Calls.size(), 1u) << "the failure is told";
        EXPECT_EQ(dataaccess::TransactionDepth(), 0);
    }
    EXPECT_EQ(Configs(), QStringList({"1||Pedido|Numero|0|[Numero]|6"}));
    EXPECT_EQ(Count("sys_Numeracao_Item"), 0);
    // The key counters moved with the failed inserts and came back with their rollback.
    EXPECT_EQ(Scalar("Select Codigo From sys_Campo_Incremento Where Divisao = 'sys_Numeracao'").toInt(), 1);
    EXPECT_EQ(Scalar("Select Count(*) From sys_Campo_Incremento Where Divisao = 'sys_Numeracao_Item'").toInt(), 0);
}

TEST_P(ConfigNumeracaoRes, CountersAreSavedAndDeletedByKey) {
    ASSERT_EQ(Numeracao->SaveConfig(0, 0, "[Numero]", "Numero", "Pedido", 6, 2), 1);
    EXPECT_EQ(Item->SaveItem(0, 1, 2024, 3, 0, 41), 1);
    EXPECT_EQ(Item->SaveItem(0, 1, 2024, 4, 0, 7), 2);
    EXPECT_EQ(Item->SaveItem(1, 1, 2024, 3, 0, 42), 1);
    EXPECT_EQ(Counters(), QStringList({"1|1|42|0|3|2024", "2|1|7|0|4|2024"}));
    EXPECT_EQ(Item->DeleteItem(2), 2);
    EXPECT_EQ(Item->DeleteItem(2), 1);
    EXPECT_EQ(Counters(), QStringList({"1|1|42|0|3|2024"}));
    // The counter's own Numero is no document number.
    EXPECT_FALSE(Item->HasNumbering());
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_P(ConfigNumeracaoRes, AFailureInsideTheCallersTransactionUndoesEverythingItWrote) {
    dataaccess::BeginTransaction();
    ASSERT_EQ(Numeracao->SaveConfig(0, 0, "[Numero]", "Numero", "Pedido", 6, 0), 1);
    ASSERT_EQ(Item->SaveItem(0, 1, 0, 0, 0, 5), 1);
    EXPECT_EQ(Numeracao->SaveConfig(0, 77, "X", "Numero", "Pedido", 6, 0), -1);
    EXPECT_EQ(dataaccess::TransactionDepth(), 0);
    dataaccess::RollbackTransaction();
    EXPECT_EQ(Count("sys_Numeracao"), 0);
    EXPECT_EQ(Count("sys_Numeracao_Item"), 0);
    EXPECT_EQ(Count("sys_Campo_Incremento"), 0);
}

}  // namespace
}  // namespace databound
