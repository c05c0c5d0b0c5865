// Transactions on every engine: a commit that fails, a transaction the engine
// ends by itself, a lost session, and several connections working on the same rows.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <mutex>
#include <thread>

#include "EngineTest.h"

using namespace platform::data;
using namespace platform::data::testing;

namespace {

// Reads the balance of customer 1 and writes it back one higher, in one transaction.
void IncrementSaldo(TADOConnection& C) {
    C.BeginTrans();
    try {
        const QString Read = C.Dialect().ForUpdate("Select Saldo From Cliente Where IdCliente = 1");
        TParameters P;
        P.CreateParameter("Saldo", ftFloat, C.SelectRow(Read).value(0).toDouble() + 1);
        C.Execute("Update Cliente Set Saldo = :Saldo Where IdCliente = 1", &P);
        C.CommitTrans();
    } catch (...) {
        if (C.InTransaction()) C.RollbackTrans();
        throw;
    }
}

}  // namespace

TEST_P(EngineTest, FailedCommitEndsTheTransactionRolledBack) {
    if (GetParam() == egTSQL) GTEST_SKIP() << "SQL Server checks keys at each statement";
    Conn->Execute("Create Table Pedido (IdPedido Integer Not Null Primary Key, "
                  "IdCliente Integer References Cliente (IdCliente) Deferrable Initially Deferred)");
    Conn->BeginTrans();
    Conn->Execute("Insert Into Pedido (IdPedido, IdCliente) Values (1, 1)");
    Conn->Execute("Insert Into Pedido (IdPedido, IdCliente) Values (2, 99)");
    EXPECT_THROW(Conn->CommitTrans(), EDatabaseError);
    EXPECT_EQ(Conn->TransactionLevel(), 0);
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 0);
    EXPECT_EQ(Conn->BeginTrans(), 1);
    Conn->Execute("Insert Into Pedido (IdPedido, IdCliente) Values (3, 2)");
    Conn->CommitTrans();
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 1);
}

TEST_P(EngineTest, TransactionEndedByAFailureRefusesStatementsUntilItEnds) {
    if (GetParam() == egTSQL) GTEST_SKIP() << "SQL Server keeps the transaction after a failed statement";
    // SQLite ends the transaction for this key only; PostgreSQL after any failed statement.
    Conn->Execute(GetParam() == egSQLite
                      ? "Create Table Nota (IdNota Integer Not Null Primary Key On Conflict Rollback)"
                      : "Create Table Nota (IdNota Integer Not Null Primary Key)");
    Conn->Execute("Insert Into Nota (IdNota) Values (1)");
    for (const bool Commit : {false, true}) {
        SCOPED_TRACE(Commit ? "ended by a commit" : "ended by a rollback");
        Conn->BeginTrans();
        Conn->Execute("Insert Into Nota (IdNota) Values (2)");
        EXPECT_THROW(Conn->Execute("Insert Into Nota (IdNota) Values (1)"), EDatabaseError);
        EXPECT_THROW(Conn->Execute("Insert Into Nota (IdNota) Values (3)"), EDatabaseError);
        EXPECT_EQ(Conn->TransactionLevel(), 1);
        if (Commit) EXPECT_THROW(Conn->CommitTrans(), EDatabaseError);
        else Conn->RollbackTrans();
        EXPECT_EQ(Conn->TransactionLevel(), 0);
        EXPECT_EQ(Scalar("Select Count(*) From Nota").toInt(), 1);
    }
}

TEST_P(EngineTest, ADeferredBeginHoldsTheStatementsRunInsideIt) {
    struct TCase {
        const char* Name;
        bool Nested;
        bool Commit;
        int Kept;  // rows of Pedido left
    };
    Conn->Execute("Create Table Pedido (IdPedido Integer Not Null Primary Key)");
    const TCase Cases[] = {
        {"rolled back", false, false, 0},
        {"committed", false, true, 2},
        {"inner level rolled back, outer committed", true, true, 1},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Conn->Execute("Delete From Pedido");
        EXPECT_EQ(Conn->BeginTransDeferred(), 1);
        EXPECT_TRUE(Conn->InTransaction());
        Conn->Execute("Insert Into Pedido (IdPedido) Values (1)");
        if (Case.Nested) {
            EXPECT_EQ(Conn->BeginTrans(), 2);
        }
        Conn->Execute("Insert Into Pedido (IdPedido) Values (2)");
        if (Case.Nested) Conn->RollbackTrans();
        if (Case.Commit) Conn->CommitTrans();
        else Conn->RollbackTrans();
        EXPECT_EQ(Conn->TransactionLevel(), 0);
        EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), Case.Kept);
    }
    // Nothing run inside: both ends close the level without complaint.
    for (const bool Commit : {false, true}) {
        Conn->BeginTransDeferred();
        if (Commit) Conn->CommitTrans();
        else Conn->RollbackTrans();
        EXPECT_EQ(Conn->TransactionLevel(), 0);
    }
}

TEST_P(EngineTest, ATimeOutSetInsideARolledBackTransactionStillStopsTheNextStatement) {
    for (const bool Nested : {false, true}) {
        SCOPED_TRACE(Nested ? "inner level rolled back" : "whole transaction rolled back");
        Conn->BeginTrans();
        if (Nested) Conn->BeginTrans();
        Conn->Execute("Update Cliente Set Cidade = 'X'", nullptr, 1);  // the one-second limit is set in here
        Conn->RollbackTrans();
        try {
            Conn->Execute(LongStatement(), nullptr, 1);
            ADD_FAILURE() << "the statement should have been stopped";
        } catch (const EDatabaseError& E) {
            EXPECT_EQ(E.Text().section('\n', 0, 0), "Query timeout expired");
        }
        if (Nested) Conn->RollbackTrans();
        EXPECT_EQ(Conn->TransactionLevel(), 0);
    }
}

TEST_P(EngineTest, LostSessionLeavesNoTransactionBehind) {
    if (GetParam() != egPostgreSQL) GTEST_SKIP() << "only a server can drop the session";
    auto Other = OpenSecondConnection(*Conn);
    TParameters P;
    P.CreateParameter("Pid", ftInteger, Scalar("Select pg_backend_pid()"));
    Conn->BeginTrans();
    Conn->Execute("Update Cliente Set Cidade = 'X'");
    Other->SelectRow("Select pg_terminate_backend(:Pid)", &P);
    EXPECT_THROW(Conn->Execute("Update Cliente Set Nome = 'Y'"), EDatabaseError);
    EXPECT_THROW(Conn->CommitTrans(), EDatabaseError);
    EXPECT_EQ(Conn->TransactionLevel(), 0);
    ReopenTestConnection(*Conn);
    EXPECT_EQ(Scalar("Select Count(*) From Cliente Where Cidade = 'X'").toInt(), 0);
}

TEST_P(EngineTest, RowsReadForUpdateMakeTheNextWriterWait) {
    if (GetParam() != egPostgreSQL) GTEST_SKIP() << "SQLite locks the whole file (SqliteSharedFile)";
    EXPECT_EQ(Scalar("Show transaction_isolation").toString(), "read committed");
    Conn->BeginTrans();
    Conn->SelectRow(Conn->Dialect().ForUpdate("Select Saldo From Cliente Where IdCliente = 1"));
    QString Failure;
    std::thread Writer([&] {
        try {
            auto Other = OpenSecondConnection(*Conn);
            IncrementSaldo(*Other);
        } catch (const EDatabaseError& E) {
            Failure = E.Text();
        }
    });
    // The other writer must be waiting for the row before this one goes on.
    QDeadlineTimer Deadline(10000);
    while (Scalar("Select Count(*) From pg_locks Where Not granted").toInt() == 0 && !Deadline.hasExpired())
        QThread::msleep(5);
    EXPECT_FALSE(Deadline.hasExpired()) << "the second reader did not wait for the row";
    Conn->Execute("Update Cliente Set Saldo = Saldo + 10 Where IdCliente = 1");
    Conn->CommitTrans();
    Writer.join();
    EXPECT_EQ(Failure, QString());
    EXPECT_DOUBLE_EQ(Scalar("Select Saldo From Cliente Where IdCliente = 1").toDouble(), 111.5);
}

namespace {

// One SQLite file shared by several connections, as several processes share it.
class SqliteSharedFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        First = Open();
        First->Execute("Create Table Cliente (IdCliente Integer Not Null Primary Key, Saldo Float)");
        First->Execute("Insert Into Cliente (IdCliente, Saldo) Values (1, 0)");
    }
    std::unique_ptr<TADOConnection> Open() {
        auto C = std::make_unique<TADOConnection>();
        C->SetConnectionString("Provider=SQLite;Data Source=" + Dir.filePath("dados.db"));
        C->Open();
        return C;
    }
    double Saldo(TADOConnection& C) {
        return C.SelectRow("Select Saldo From Cliente Where IdCliente = 1").value(0).toDouble();
    }

    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> First;
};

}  // namespace

TEST_F(SqliteSharedFile, ReadersSeeTheLastCommitWhileAWriterWorks) {
    auto Second = Open();
    QSqlQuery Journal(Second->Database());
    ASSERT_TRUE(Journal.exec("PRAGMA journal_mode") && Journal.next());
    EXPECT_EQ(Journal.value(0).toString(), "wal");
    Journal.finish();  // an open statement would keep its reader on the old snapshot
    First->BeginTrans();
    First->Execute("Update Cliente Set Saldo = 5 Where IdCliente = 1");
    EXPECT_EQ(Saldo(*Second), 0);
    First->CommitTrans();
    EXPECT_EQ(Saldo(*Second), 5);
}

TEST_F(SqliteSharedFile, ReadThenUpdateTransactionsDoNotInterleave) {
    constexpr int kRounds = 40;
    QStringList Failures;
    std::mutex FailuresLock;
    auto Work = [&] {
        try {
            auto C = Open();
            for (int I = 0; I < kRounds; ++I) IncrementSaldo(*C);
        } catch (const EDatabaseError& E) {
            const std::lock_guard<std::mutex> Guard(FailuresLock);
            Failures << E.Text();
        }
    };
    std::thread A(Work), B(Work);
    A.join();
    B.join();
    EXPECT_EQ(Failures, QStringList());
    EXPECT_EQ(Saldo(*First), 2 * kRounds);
}

TEST_F(SqliteSharedFile, ADeferredBeginTakesTheWriteLockOnlyWithItsFirstStatement) {
    auto Second = Open();
    First->BeginTransDeferred();
    Second->Execute("Update Cliente Set Saldo = 7 Where IdCliente = 1");  // would wait out the busy timeout and fail
    First->Execute("Update Cliente Set Saldo = Saldo + 1 Where IdCliente = 1");
    EXPECT_EQ(Saldo(*First), 8);
    First->RollbackTrans();
    EXPECT_EQ(Saldo(*First), 7);
}
