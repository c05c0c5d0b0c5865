// Posts and deletes run inside a transaction of the session counter: they join
// an open one, and a failure never leaves a level behind nor ends a transaction
// the table did not begin.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "TableTest.h"
#include "dataaccess/VexSession.h"
#include "platform/os/Exceptions.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

// A data-aware control that fails while redrawing, once armed: the dataset raises no database error for it.
class TFailingLink : public TDataLink {
public:
    bool Armed = false;

protected:
    void DataSetChanged() override {
        if (Armed) throw std::runtime_error("redraw failed");
    }
};

class TableTransactionTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) return;
        Cliente.reset(CreateClasseTabela<TClienteTeste>());
        ASSERT_TRUE(Cliente->Load({}, {}));
    }
    void TearDown() override {
        Cliente.reset();
        TableTest::TearDown();
    }
    void PostCidade(int Id, const QString& Cidade) {
        ASSERT_TRUE(Cliente->DataSet()->Locate("IdCliente", Id));
        Cliente->SetAsString(TClienteTeste::idxCidade, Cidade);
        Cliente->DataSet()->Post();
    }
    // Inserts a customer whose key already exists: the automatic apply fails.
    void PostDuplicate() {
        Cliente->DataSet()->Append();
        Cliente->SetFieldValues({"IdCliente", "Nome"}, {1, "Repetido"});
        EXPECT_THROW(Cliente->DataSet()->Post(), platform::os::EAbort);
        Cliente->DataSet()->Cancel();
    }
    QString Cidade(int Id) {
        return Scalar(QString("Select Cidade From Cliente Where IdCliente = %1").arg(Id)).toString();
    }

    std::unique_ptr<TClienteTeste> Cliente;
};
VEX_INSTANTIATE_ENGINE_SUITE(TableTransactionTest);

TEST_P(TableTransactionTest, APostCommitsItsOwnTransactionAndJoinsAnOuterOne) {
    PostCidade(1, "Natal");
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_EQ(Cidade(1), "Natal");

    BeginTransaction();
    PostCidade(1, "Recife");
    EXPECT_EQ(TransactionDepth(), 1);
    RollbackTransaction();
    EXPECT_EQ(Cidade(1), "Natal");
}

TEST_P(TableTransactionTest, AFailedApplyLeavesNoTransactionOpenSoLaterPostsReachTheServer) {
    PostDuplicate();
    EXPECT_EQ(TransactionDepth(), 0);
    PostCidade(1, "Natal");
    EXPECT_EQ(TransactionDepth(), 0);
    RollbackTransaction();  // nothing left to undo: the post was committed
    EXPECT_EQ(Cidade(1), "Natal");
}

TEST_P(TableTransactionTest, AFailingPostThatSkipsThePipelineLeavesTheOuterTransactionOpen) {
    PostCidade(1, "Natal");  // a committed post first: its flag must not outlive it
    Cliente->SetSkipPostPipeline(true);
    BeginTransaction();
    PostCidade(2, "Olinda");
    PostDuplicate();
    EXPECT_EQ(TransactionDepth(), 1);
    CommitTransaction();
    EXPECT_EQ(Cidade(2), "Olinda");
}

TEST_P(TableTransactionTest, APostOrDeleteFailingWithoutADatabaseErrorLeavesNoTransactionOpen) {
    TFailingLink Link;
    Link.SetDataSource(Cliente->DataSource());
    TDataSet* Data = Cliente->DataSet();
    struct TCase {
        const char* Name;
        int Id;
        std::function<void()> Change;
    };
    const std::vector<TCase> Cases = {
        {"post", 1, [&] {
             Cliente->SetAsString(TClienteTeste::idxCidade, "Natal");
             Data->Post();
         }},
        {"delete", 2, [&] { Data->Delete(); }},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        ASSERT_TRUE(Data->Locate("IdCliente", Case.Id));
        Link.Armed = true;
        EXPECT_THROW(Case.Change(), std::runtime_error);
        Link.Armed = false;
        EXPECT_EQ(TransactionDepth(), 0);
    }
    EXPECT_EQ(Cidade(1), "São Paulo");
    // The next post commits on its own: a level left behind would keep it from the server.
    PostCidade(3, "Olinda");
    EXPECT_EQ(TransactionDepth(), 0);
    RollbackTransaction();
    EXPECT_EQ(Cidade(3), "Olinda");
}

}  // namespace
