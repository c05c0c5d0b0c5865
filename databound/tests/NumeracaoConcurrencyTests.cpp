// Several clients numbering one field at once: processes sharing one SQLite
// file, connections to a server. Every number 1..N comes out exactly once and
// one configuration row is created; the same harness over an unlocked
// read-then-update shows duplicates, so it can catch them.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "EngineTest.h"
#include "NumberingHarness.h"

using namespace databound::testing;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

constexpr int kClients = 4;
constexpr int kPerClient = 50;

class NumeracaoConcurrencyTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        if (GetParam() == egTSQL) GTEST_SKIP() << "the batches are checked as text only";
        if (GetParam() == egSQLite) {
            // A folder of its own: ctest runs the engine cases of this suite at the same time.
            FFile = FDir.filePath("numbering.db");
            DropTestConnection(Conn);
            Conn = std::make_unique<TADOConnection>();
            Conn->SetConnectionString("Provider=SQLite;Data Source=" + FFile);
            Conn->Open();
        }
        PrepareNumbering(*Conn);
    }
    TAllocations Run(TAllocator Allocator) {
        return GetParam() == egSQLite ? RunProcesses(NUMBERING_CLIENT, FFile, kClients, kPerClient, Allocator)
                                      : RunThreads(*Conn, kClients, kPerClient, Allocator);
    }

    QTemporaryDir FDir;
    QString FFile;
};
VEX_INSTANTIATE_ENGINE_SUITE(NumeracaoConcurrencyTest);

TEST_P(NumeracaoConcurrencyTest, ConcurrentClientsGetEveryNumberOnceAndOneConfiguration) {
    const TAllocations Result = Run(alGerarNumeracao);
    ASSERT_EQ(Result.Numbers.size(), size_t(kClients * kPerClient));
    EXPECT_EQ(DuplicateCount(Result.Numbers), 0);
    EXPECT_TRUE(IsOneToN(Result.Numbers));
    EXPECT_EQ(Scalar("Select Count(*) From sys_Numeracao").toInt(), 1);
    EXPECT_EQ(Scalar("Select Count(*) From sys_Numeracao_Item").toInt(), 1);
    EXPECT_EQ(Scalar("Select Numero From sys_Numeracao_Item").toInt(), kClients * kPerClient);
}

TEST_P(NumeracaoConcurrencyTest, TheHarnessCatchesTheDuplicatesOfAnUnlockedReadThenUpdate) {
    EXPECT_GT(DuplicateCount(Run(alUnlocked).Numbers), 0);
    EXPECT_EQ(DuplicateCount(Run(alBareCounter).Numbers), 0);
}

}  // namespace
