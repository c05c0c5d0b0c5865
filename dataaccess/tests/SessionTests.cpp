// The session context over every engine: connections, global variables, the
// transaction counter, the server clock and the lookup queries.
#include <gtest/gtest.h>

#include "EngineTest.h"
#include "dataaccess/VexGlobalVars.h"
#include "dataaccess/VexLookup.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/SessionVariables.h"

using namespace dataaccess;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

class SessionTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        Host = std::make_unique<dataaccess::testing::TTestHost>(Conn.get());
    }
    void TearDown() override {
        Host.reset();
        EngineTest::TearDown();
    }

    // The customers a second session sees; not checked where the test database is private to one connection.
    void ExpectSeenElsewhere(int Count) {
        if (GetParam() == egSQLite) return;
        std::unique_ptr<TADOConnection> Other = OpenTestConnection(GetParam());
        const QString Table = Conn->property("schema").toString() + ".Cliente";
        EXPECT_EQ(Other->SelectRow("Select Count(*) From " + Table).value(0).toInt(), Count);
        DropTestConnection(Other);
    }

    void AddCliente(int Id) {
        TParameters P;
        P.CreateParameter("Id", ftInteger, Id);
        Conn->Execute("Insert Into Cliente (IdCliente, Nome) Values (:Id, 'Novo')", &P);
    }

    std::unique_ptr<dataaccess::testing::TTestHost> Host;
};

VEX_INSTANTIATE_ENGINE_SUITE(SessionTest);

QString Message(const std::function<void()>& Run) {
    try {
        Run();
    } catch (const platform::os::Exception& E) {
        return QString::fromStdString(E.what());
    }
    return QString();
}

}  // namespace

TEST_P(SessionTest, WithoutAnyConnectionNothingRunsAndTheSessionMessageIsRaised) {
    Host->SetDefaultConnection(nullptr);
    TADOQuery Query;
    for (const auto& Run : std::initializer_list<std::function<void()>>{
             [&] { AssignConnection(&Query); }, [] { BeginTransaction(); }, [] { ServerNow(); },
             [] { LastValue("Cliente", "IdCliente", "Nome"); }, [] { CurrentUserId(); }}) {
        EXPECT_EQ(Message(Run), kNoDefaultConnection);
    }
    EXPECT_EQ(Query.Connection(), nullptr);
    EXPECT_EQ(TransactionDepth(), 0);
}

TEST_P(SessionTest, AssignConnectionConnectsTheComponentAndWhatItOwns) {
    QObject Module;
    auto* Query = new TADOQuery(&Module);
    auto* Command = new TADOCommand(&Module);
    new QObject(&Module);  // not a dataset or command: left alone
    Query->SetSQL("Select IdCliente From Cliente");
    AssignConnection(&Module);
    EXPECT_EQ(Query->Connection(), Conn.get());
    EXPECT_EQ(Command->Connection(), Conn.get());
    EXPECT_EQ(Query->CommandTimeout(), kInitialCommandTimeout);
    Query->Open();
    TADOConnection Second;
    AssignConnection(Query, &Second, 7);
    EXPECT_FALSE(Query->Active());  // closed before it changed connection
    EXPECT_EQ(Query->Connection(), &Second);
    EXPECT_EQ(Query->CommandTimeout(), 7);
}

TEST_P(SessionTest, GlobalVariablesHoldTheUserAndCompanyAndSurviveAReopenedStore) {
    EXPECT_EQ(CurrentUserId(), 0);
    EXPECT_FALSE(FindGlobalVar("IdUsuario", false));
    Host->Login("ana", 12, 3);
    EXPECT_EQ(CurrentUserId(), 12);
    EXPECT_EQ(CurrentCompanyId(), 3);
    EXPECT_EQ(Host->CurrentUserName(), "ana");
    // A second store on the same session reads what the first wrote, without creating the table again.
    Host->GlobalVars()->Close();
    TGlobalVarStore Again;
    Again.SetConnection(Conn.get());
    Again.Open();
    EXPECT_TRUE(Again.DataSet().Locate("Variavel", "idusuario", loCaseInsensitive));
    EXPECT_EQ(Again.DataSet().FieldByName("Valor")->Value().toInt(), 12);
    Host->Login("ana", 14, 3);
    EXPECT_EQ(GetGlobalInt("IDUSUARIO"), 14);
    EXPECT_EQ(GetSessionVariable(*Conn, "IdUsuario").toInt(), 14);
}

TEST_P(SessionTest, AnEmptyGlobalVariableNameIsRefusedAndWritesNothing) {
    for (const char* Name : {"", "   "}) {
        SCOPED_TRACE(Name);
        EXPECT_EQ(Message([&] { FindGlobalVar(Name, true); }), "Empty names for global variables is not permitted.");
    }
    Host->GlobalVars()->Open();
    EXPECT_EQ(Host->GlobalVars()->DataSet().RecordCount(), 0);
    EXPECT_EQ(Host->GlobalVars()->DataSet().State(), dsBrowse);
}

TEST_P(SessionTest, OnlyTheOutermostTransactionReachesTheServer) {
    EXPECT_EQ(BeginTransaction(), 0);
    AddCliente(10);
    EXPECT_EQ(BeginTransaction(), 1);
    AddCliente(11);
    CommitTransaction();  // inner: nothing is committed yet
    EXPECT_EQ(TransactionDepth(), 1);
    EXPECT_TRUE(Conn->InTransaction());
    ExpectSeenElsewhere(3);
    CommitTransaction();
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_FALSE(Conn->InTransaction());
    ExpectSeenElsewhere(5);
    EXPECT_EQ(Table().size(), 5);
}

TEST_P(SessionTest, ARollbackAtAnyDepthEndsTheWholeNest) {
    BeginTransaction();
    AddCliente(10);
    BeginTransaction();
    AddCliente(11);
    RollbackTransaction();
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_FALSE(Conn->InTransaction());
    CommitTransaction();  // the outer commit finds nothing left to do
    RollbackTransaction();
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_EQ(Table().size(), 3);
    ExpectSeenElsewhere(3);
}

TEST_P(SessionTest, AFailedCommitLeavesNothingOpen) {
    if (GetParam() == egSQLite) Conn->Execute("PRAGMA foreign_keys = ON");
    Conn->Execute("Create Table Pedido (IdPedido Integer Not Null Primary Key, IdCliente Integer "
                  "References Cliente (IdCliente) Deferrable Initially Deferred)");
    BeginTransaction();
    Conn->Execute("Insert Into Pedido (IdPedido, IdCliente) Values (1, 99)");
    EXPECT_THROW(CommitTransaction(), EDatabaseError);
    EXPECT_EQ(TransactionDepth(), 0);
    EXPECT_FALSE(Conn->InTransaction());
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 0);
    BeginTransaction();  // the counter works again
    AddCliente(10);
    CommitTransaction();
    EXPECT_EQ(Table().size(), 4);
}

TEST_P(SessionTest, ServerNowReadsTheServerOnceAndThenFollowsTheLocalClock) {
    const QDateTime First = ServerNow();
    ASSERT_TRUE(First.isValid());
    EXPECT_LT(std::abs(First.secsTo(QDateTime::currentDateTime())), 24 * 3600);
    Host->SetDefaultConnection(nullptr);  // a cached clock needs no server
    const QDateTime Second = ServerNow();
    EXPECT_GE(Second, First);
    EXPECT_LT(First.msecsTo(Second), 60 * 1000);
}

TEST_P(SessionTest, LastValueTakesTheLastRowByTheOrderAmongTheRowsSelected) {
    EXPECT_EQ(LastValue("Cliente", "IdCliente", "Nome").toString(), "Ana Lima");
    EXPECT_EQ(LastValue("Cliente", "Cidade, IdCliente", "Nome", "Cidade = 'Rio'").toString(), "maria souza");
    EXPECT_EQ(LastValue("Cliente", "IdCliente", "Saldo", "IdCliente = 3", 42).toInt(), 42);  // Null gives the default
    EXPECT_EQ(LastValue("Cliente", "IdCliente", "Nome", "IdCliente > 100", "nenhum").toString(), "nenhum");
}

TEST_P(SessionTest, CopyLookupFieldsBindsTheKeySoQuotesNeitherBreakNorWidenTheStatement) {
    AddCliente(20);
    Conn->Execute("Update Cliente Set Nome = 'O''Brien', Cidade = 'Cork' Where IdCliente = 20");
    TClientDataSet Target;
    Target.FieldDefs().Add("NomeCliente", ftString, 60);
    Target.FieldDefs().Add("CidadeCliente", ftString, 40);
    Target.CreateDataSet();
    const QStringList Map = {"NomeCliente=Nome", "CidadeCliente=Cidade", "Ausente=Nome"};

    CopyLookupFields({"O'Brien", &Target, true}, "Cliente", "Nome", nullptr, Map);
    EXPECT_EQ(Target.FieldByName("CidadeCliente")->AsString(), "Cork");
    Target.Post();
    CopyLookupFields({"1' or '1'='1", &Target, true}, "Cliente", "Nome", nullptr, Map);
    EXPECT_EQ(Target.State(), dsBrowse);  // no row matched: nothing written
    EXPECT_EQ(Target.FieldByName("NomeCliente")->AsString(), "O'Brien");

    CopyLookupFields({"2", &Target, false}, "Cliente", "IdCliente", nullptr, Map);
    EXPECT_EQ(Target.FieldByName("NomeCliente")->AsString(), "maria souza");
    CopyLookupFields({"2 or 1=1", &Target, false}, "Cliente", "IdCliente", nullptr, Map);
    EXPECT_EQ(Target.FieldByName("CidadeCliente")->AsString(), "Rio");
    CopyLookupFields({"", &Target, true}, "Cliente", "Nome", nullptr, Map);
    EXPECT_TRUE(Target.FieldByName("NomeCliente")->IsNull());
    EXPECT_TRUE(Target.FieldByName("CidadeCliente")->IsNull());
}
