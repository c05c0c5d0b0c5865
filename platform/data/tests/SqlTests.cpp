// Connections, queries, commands, parameters, the provider and the dialects.
// The engine suite runs on SQLite always, on PostgreSQL when PG_TEST_DSN is set
// and on SQL Server when MSSQL_TEST_DSN is.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "EngineTest.h"
#include "platform/data/Provider.h"
#include "platform/data/SessionVariables.h"

using namespace platform::data;
using namespace platform::data::testing;

VEX_INSTANTIATE_ENGINE_SUITE(EngineTest);

TEST_P(EngineTest, QueryReadsTypedValues) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select * From Cliente Order By IdCliente");
    Q.Open();
    ASSERT_EQ(Q.RecordCount(), 3);
    EXPECT_EQ(Q.FieldByName("IdCliente")->DataType(), ftInteger);
    EXPECT_EQ(Q.FieldByName("Nome")->DataType(), ftString);
    EXPECT_EQ(Q.FieldByName("Nome")->Size(), 60);
    EXPECT_EQ(Q.FieldByName("Saldo")->DataType(), ftFloat);
    EXPECT_EQ(Q.FieldByName("Ativo")->DataType(), ftBoolean);
    EXPECT_EQ(Q.FieldByName("Criado")->DataType(), ftDateTime);
    EXPECT_EQ(Q.FieldByName("Foto")->DataType(), ftBlob);
    EXPECT_EQ(Q.FieldByName("Nome")->AsString(), "João Silva");
    EXPECT_TRUE(Q.FieldByName("Ativo")->AsBoolean());
    EXPECT_EQ(Q.FieldByName("Criado")->AsDateTime(), QDateTime(QDate(2024, 1, 10), QTime(8, 30)));
    Q.Last();
    EXPECT_TRUE(Q.FieldByName("Saldo")->IsNull());
    EXPECT_EQ(Q.FieldByName("Criado")->AsDateTime(), QDateTime(QDate(2023, 12, 25), QTime(23, 59, 59, 500)));
    EXPECT_FALSE(Q.FieldByName("Ativo")->AsBoolean() == false);

    // Requery sees what changed meanwhile.
    Conn->Execute("Delete From Cliente Where IdCliente = 3");
    Q.Requery();
    EXPECT_EQ(Q.RecordCount(), 2);
    Q.Close();
    Q.SetSQL("Update Cliente Set Saldo = 0");
    EXPECT_THROW(Q.Open(), EDatabaseError);
    EXPECT_EQ(Q.ExecSQL(), 2);
}

TEST_P(EngineTest, NamedAndPositionalParameters) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente From Cliente Where (Cidade = :Cidade Or Nome = :Cidade) And Nome <> 'x:y' And "
             "Coalesce(Saldo, 0) >= :Min Order By IdCliente");
    EXPECT_EQ(Q.Parameters().Count(), 2);
    EXPECT_EQ(Q.Parameters()[0].Name(), "Cidade");
    Q.Parameters().ParamByName("Cidade").SetValue("São Paulo");
    Q.Parameters().ParamByName("min").SetValue(0);
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), 2);
    Q.Close();
    Q.Parameters().ParamByName("Min").SetValue(60);
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), 1);
    EXPECT_THROW(Q.Parameters().ParamByName("Nada"), EDatabaseError);

    // Positional markers take the parameters in order, whatever their names.
    TADOQuery P;
    P.SetConnection(Conn.get());
    P.SetParamCheck(false);
    P.SetSQL("Select Nome From Cliente Where Saldo >= ? And Saldo <= ? Order By Nome");
    EXPECT_EQ(P.Parameters().Count(), 0);
    P.Parameters().CreateParameter("0", ftFloat, 40);
    P.Parameters().CreateParameter("1", ftFloat, 60);
    P.Open();
    ASSERT_EQ(P.RecordCount(), 1);
    EXPECT_EQ(P.Fields(0)->AsString(), "maria souza");
    P.Close();
    P.Parameters().Delete(1);
    EXPECT_THROW(P.Open(), EDatabaseError);

    TADOCommand C;
    C.SetConnection(Conn.get());
    C.SetCommandText("Update Cliente Set Cidade = :Cidade Where IdCliente = :Id");
    EXPECT_EQ(C.Execute({"Natal", 2}), 1);
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 2").toString(), "Natal");
}

TEST_P(EngineTest, ProviderAppliesMixedChangesByKey) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    ASSERT_EQ(Client.RecordCount(), 3);
    Client.Locate("IdCliente", 1);
    Client.Edit();
    Client.FieldByName("Nome")->SetAsString("João S.");
    Client.Post();
    Client.Locate("IdCliente", 2);
    Client.Delete();
    Client.AppendRecord({4, "Novo", Null(), 12.25});
    Client.Locate("IdCliente", 3);
    Client.Edit();
    Client.FieldByName("Saldo")->SetAsFloat(7);
    Client.Post();
    EXPECT_EQ(Client.ApplyUpdates(0), 0);
    EXPECT_EQ(Client.ChangeCount(), 0);
    EXPECT_EQ(Table(), (QStringList{"1|João S.|São Paulo|100,5", "3|Ana Lima|São Paulo|7", "4|Novo||12,25"}));
    EXPECT_EQ(Client.RecordCount(), 3);

    // Changing the key of a row finds it by its old key.
    Client.Locate("IdCliente", 4);
    Client.Edit();
    Client.FieldByName("IdCliente")->SetAsInteger(40);
    Client.Post();
    EXPECT_EQ(Client.ApplyUpdates(0), 0);
    EXPECT_EQ(Scalar("Select Count(*) From Cliente Where IdCliente = 40").toInt(), 1);
}

TEST_P(EngineTest, RowsEditedAgainApplyTheirLastValuesByTheirFirstKey) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    auto EditRow = [&Client](int Id, const QString& Field, const QVariant& Value) {
        ASSERT_TRUE(Client.Locate("IdCliente", Id));
        Client.Edit();
        Client.FieldByName(Field)->SetValue(Value);
        Client.Post();
    };
    EditRow(1, "IdCliente", 10);
    EditRow(10, "Nome", "Segundo");
    EditRow(2, "Cidade", "Natal");
    Client.RevertRecord();
    EditRow(3, "Saldo", 9);
    EditRow(2, "Nome", "Maria Souza");  // only the letter case differs: still a change

    const TDataPacket Delta = Client.Delta();
    ASSERT_EQ(Delta.Rows.size(), 3u);
    EXPECT_EQ(Delta.Rows[0].Original[0].toInt(), 1);
    EXPECT_EQ(Delta.Rows[0].Original[1].toString(), "João Silva");
    EXPECT_EQ(Delta.Rows[0].Values[1].toString(), "Segundo");
    EXPECT_EQ(Delta.Rows[1].Original[0].toInt(), 3);
    EXPECT_EQ(Delta.Rows[2].Original[2].toString(), "Rio");

    EXPECT_EQ(Client.ApplyUpdates(0), 0);
    EXPECT_EQ(Client.ChangeCount(), 0);
    EXPECT_EQ(Table(), (QStringList{"2|Maria Souza|Rio|50", "3|Ana Lima|São Paulo|9", "10|Segundo|São Paulo|100,5"}));
    ASSERT_TRUE(Client.Locate("IdCliente", 10));
    EXPECT_EQ(Client.FieldByName("Nome")->AsString(), "Segundo");
}

TEST_P(EngineTest, FailedRowsBecomeReconcileErrors) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    QStringList Reconciled;
    Client.OnReconcileError = [&](TClientDataSet*, EReconcileError& E, TUpdateKind Kind, TReconcileAction& Action) {
        Reconciled << QString("%1 %2").arg(Kind).arg(!E.Text().isEmpty());
        Action = raSkip;
    };
    Client.AppendRecord({1, "Duplicado", Null(), Null()});  // key already there
    Client.Locate("IdCliente", 2);
    Client.Edit();
    Client.FieldByName("Cidade")->SetAsString("Natal");
    Client.Post();

    // No error allowed: nothing is applied and everything stays in the log.
    EXPECT_EQ(Client.ApplyUpdates(0), 1);
    EXPECT_EQ(Reconciled, QStringList{"1 1"});
    EXPECT_EQ(Client.ChangeCount(), 2);
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 2").toString(), "Rio");

    // Unlimited errors: the good row is applied, the bad one stays for the user.
    Reconciled.clear();
    EXPECT_EQ(Client.ApplyUpdates(-1), 1);
    EXPECT_EQ(Reconciled, QStringList{"1 1"});
    EXPECT_EQ(Client.ChangeCount(), 1);
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 2").toString(), "Natal");

    // A row changed by someone else is not found by its old values.
    Client.OnReconcileError = [&](TClientDataSet*, EReconcileError& E, TUpdateKind Kind, TReconcileAction& Action) {
        Reconciled << QString("%1 %2").arg(Kind).arg(E.Text());
        Action = raCancel;
    };
    Client.CancelUpdates();
    Conn->Execute("Delete From Cliente Where IdCliente = 3");
    Client.Locate("IdCliente", 3);
    Client.Delete();
    Reconciled.clear();
    EXPECT_EQ(Client.ApplyUpdates(-1), 1);
    EXPECT_EQ(Reconciled, QStringList{"2 Record not found or changed by another user"});
    EXPECT_EQ(Client.ChangeCount(), 0);  // cancelled: the row is back
    EXPECT_TRUE(Client.Locate("IdCliente", 3));
}

TEST_P(EngineTest, UpdateRecordHandlersAndFlags) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    QStringList Seen;
    Provider.BeforeUpdateRecord = [&](QObject*, TDataSet* Source, TClientDataSet* Delta, TUpdateKind Kind, bool& Applied) {
        EXPECT_EQ(Source, &Query);
        Seen << QString("before %1 %2").arg(Kind).arg(Delta->FieldByName("Nome")->NewValue().toString());
        Applied = Delta->FieldByName("IdCliente")->OldValue().toInt() == 1;
    };
    Provider.AfterUpdateRecord = [&](QObject*, TDataSet*, TClientDataSet* Delta, TUpdateKind Kind) {
        Seen << QString("after %1 %2").arg(Kind).arg(Delta->FieldByName("IdCliente")->OldValue().toInt());
    };
    Query.FieldByName("Cidade")->SetProviderFlags(0);  // not written
    for (int Id : {1, 2}) {
        Client.Locate("IdCliente", Id);
        Client.Edit();
        Client.FieldByName("Nome")->SetAsString(QString("Nome %1").arg(Id));
        Client.FieldByName("Cidade")->SetAsString("Lugar");
        Client.Post();
    }
    EXPECT_EQ(Client.ApplyUpdates(0), 0);
    EXPECT_EQ(Seen, (QStringList{"before 0 Nome 1", "after 0 1", "before 0 Nome 2", "after 0 2"}));
    EXPECT_EQ(Table(), (QStringList{"1|João Silva|São Paulo|100,5", "2|Nome 2|Rio|50", "3|Ana Lima|São Paulo|"}));
    EXPECT_EQ(Client.ChangeCount(), 0);

    // A handler error is that row's reconcile error.
    Provider.BeforeUpdateRecord = [](QObject*, TDataSet*, TClientDataSet*, TUpdateKind, bool&) {
        DatabaseError("recusado");
    };
    QString Message;
    Client.OnReconcileError = [&](TClientDataSet*, EReconcileError& E, TUpdateKind, TReconcileAction&) { Message = E.Text(); };
    Client.Edit();
    Client.FieldByName("Nome")->SetAsString("Outro");
    Client.Post();
    EXPECT_EQ(Client.ApplyUpdates(-1), 1);
    EXPECT_EQ(Message, "recusado");
}

TEST_P(EngineTest, FailedRowsDeepInALongApplyLeaveTheRowsAroundThemApplied) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    // Two inserts reuse keys that exist; the others are new. Each row inserted twice or lost shows in the count.
    constexpr int kNew = 300;
    const std::map<int, int> Duplicates = {{200, 1}, {290, 2}};
    for (int I = 1; I <= kNew; ++I)
        Client.AppendRecord({Duplicates.count(I) ? Duplicates.at(I) : 100 + I, QString("Novo %1").arg(I), Null(), I});
    QStringList Failed;
    Provider.OnUpdateError = [&](QObject*, TClientDataSet* Delta, EUpdateError&, TUpdateKind, TResolverResponse&) {
        Failed << Delta->FieldByName("Nome")->AsString();
    };
    const struct {
        int MaxErrors, Errors, Rows;
        QStringList Failed;
    } Cases[] = {
        {0, 1, 3, {"Novo 200"}},
        {1, 2, 3, {"Novo 200", "Novo 290"}},
        {-1, 2, 3 + kNew - 2, {"Novo 200", "Novo 290"}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.MaxErrors);
        Failed.clear();
        EXPECT_EQ(Client.ApplyUpdates(Case.MaxErrors), Case.Errors);
        EXPECT_EQ(Failed, Case.Failed);
        EXPECT_EQ(Scalar("Select Count(*) From Cliente").toInt(), Case.Rows);
        EXPECT_FALSE(Conn->InTransaction());
    }
    EXPECT_EQ(Client.ChangeCount(), 2);
    EXPECT_EQ(Scalar("Select Nome From Cliente Where IdCliente = 399").toString(), "Novo 299");
    EXPECT_EQ(Scalar("Select Nome From Cliente Where IdCliente = 1").toString(), "João Silva");
}

TEST_P(EngineTest, ApplyInsideAnOpenTransactionJoinsIt) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    Conn->BeginTrans();
    Client.AppendRecord({5, "Cinco", Null(), Null()});
    Client.AppendRecord({1, "Duplicado", Null(), Null()});
    EXPECT_EQ(Client.ApplyUpdates(0), 1);  // rolled back to the savepoint only
    EXPECT_TRUE(Conn->InTransaction());
    Client.CancelUpdates();
    Client.AppendRecord({6, "Seis", Null(), Null()});
    EXPECT_EQ(Client.ApplyUpdates(0), 0);
    Conn->RollbackTrans();
    EXPECT_EQ(Scalar("Select Count(*) From Cliente").toInt(), 3);

    // Nested levels: the inner rollback keeps the outer work.
    EXPECT_EQ(Conn->BeginTrans(), 1);
    Conn->Execute("Update Cliente Set Cidade = 'A' Where IdCliente = 1");
    EXPECT_EQ(Conn->BeginTrans(), 2);
    Conn->Execute("Update Cliente Set Cidade = 'B' Where IdCliente = 2");
    Conn->RollbackTrans();
    Conn->CommitTrans();
    EXPECT_FALSE(Conn->InTransaction());
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 1").toString(), "A");
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 2").toString(), "Rio");
    EXPECT_THROW(Conn->CommitTrans(), EDatabaseError);
}

TEST_P(EngineTest, RefreshRecordRereadsTheCurrentRow) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    Client.Locate("IdCliente", 2);
    Conn->Execute("Update Cliente Set Nome = 'Maria' Where IdCliente = 2");
    Client.RefreshRecord();
    EXPECT_EQ(Client.FieldByName("Nome")->AsString(), "Maria");
    EXPECT_EQ(Client.FieldByName("IdCliente")->AsInteger(), 2);

    Client.Edit();
    Client.FieldByName("Nome")->SetAsString("x");
    Client.Post();
    EXPECT_THROW(Client.RefreshRecord(), EDatabaseError);  // pending change
    EXPECT_THROW(Client.Refresh(), EDatabaseError);
    Client.CancelUpdates();
    Conn->Execute("Delete From Cliente Where IdCliente = 2");
    EXPECT_THROW(Client.RefreshRecord(), EDatabaseError);
    Client.Refresh();
    EXPECT_EQ(Client.RecordCount(), 2);

    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente, Nome From Cliente Order By IdCliente");
    Q.Open();
    Conn->Execute("Update Cliente Set Nome = 'J' Where IdCliente = 1");
    Q.FieldByName("IdCliente")->SetProviderFlags(pfInKey);
    Q.RefreshRecord();
    EXPECT_EQ(Q.FieldByName("Nome")->AsString(), "J");
}

TEST_P(EngineTest, AChangedRowIsShownWhereItsNewValuesBelong) {
    struct TCase {
        const char* Name;
        const char* Filter;
        const char* Column;  // of customer 1, set to Value
        const char* Value;
        const char* Shown;   // the names in the order shown afterwards
        int RecNo;           // where customer 1 is then; 0: no longer shown; -1: among equals, by stored order
    };
    const TCase Cases[] = {
        {"stays between its neighbours", "IdCliente > 0", "Nome", "Bia", "Ana Lima|Bia|maria souza", 2},
        {"moves to the end", "IdCliente > 0", "Nome", "Zé", "Ana Lima|maria souza|Zé", 3},
        {"moves to the start", "IdCliente > 0", "Nome", "Aa", "Aa|Ana Lima|maria souza", 1},
        {"ties with a neighbour", "IdCliente > 0", "Nome", "Ana Lima", "Ana Lima|Ana Lima|maria souza", -1},
        {"leaves the filter", "Cidade = 'São Paulo'", "Cidade", "Rio", "Ana Lima", 0},
    };
    for (const bool OnServer : {true, false}) {
        for (const TCase& Case : Cases) {
            SCOPED_TRACE(std::string(OnServer ? "refreshed, " : "posted, ") + Case.Name);
            Conn->Execute("Update Cliente Set Nome = 'João Silva', Cidade = 'São Paulo' Where IdCliente = 1");
            TADOQuery Query;
            TDataSetProvider Provider;
            TClientDataSet Client;
            Link(Query, Provider, Client);
            Client.SetIndexFieldNames("Nome");
            Client.SetFilter(Case.Filter);
            Client.SetFiltered(true);
            ASSERT_TRUE(Client.Locate("IdCliente", 1));
            if (OnServer) {
                TParameters P;
                P.CreateParameter("Value", ftString, QString(Case.Value));
                Conn->Execute(QString("Update Cliente Set %1 = :Value Where IdCliente = 1").arg(Case.Column), &P);
                Client.RefreshRecord();
            } else {
                Client.Edit();
                Client.FieldByName(Case.Column)->SetAsString(Case.Value);
                Client.Post();
            }
            if (Case.RecNo != 0) {
                EXPECT_EQ(Client.FieldByName("IdCliente")->AsInteger(), 1);
            }
            if (Case.RecNo > 0) {
                EXPECT_EQ(Client.RecNo(), Case.RecNo);
            }
            QStringList Shown;
            for (Client.First(); !Client.Eof(); Client.Next()) Shown << Client.FieldByName("Nome")->AsString();
            EXPECT_EQ(Shown.join('|'), Case.Shown);
        }
    }
}

TEST_P(EngineTest, QueryDataSetWritesBack) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente, Nome, Cidade From Cliente Order By IdCliente");
    Q.Open();
    Q.Edit();
    Q.FieldByName("Cidade")->SetAsString("Campinas");
    Q.Post();
    Q.AppendRecord({9, "Nove", Null()});
    EXPECT_EQ(Table().size(), 4);
    EXPECT_EQ(Scalar("Select Cidade From Cliente Where IdCliente = 1").toString(), "Campinas");
    // Triggers are written in each engine's own language.
    if (GetParam() == egPostgreSQL) {
        Conn->Execute("Create Function recusa() Returns Trigger As $$ Begin Raise Exception 'protegido'; End $$ Language plpgsql");
        Conn->Execute("Create Trigger NaoApaga Before Delete On Cliente For Each Row Execute Function recusa()");
    } else if (GetParam() == egTSQL) {
        Conn->Execute("Create Trigger NaoApaga On Cliente Instead Of Delete As Throw 50000, 'protegido', 1");
    } else {
        Conn->Execute("Create Trigger NaoApaga Before Delete On Cliente Begin Select Raise(Abort, 'protegido'); End");
    }
    QString Message;
    Q.OnDeleteError = [&](TDataSet*, EDatabaseError& E, TDataAction& Action) {
        Message = E.Text();
        Action = daAbort;
    };
    EXPECT_THROW(Q.Delete(), platform::os::EAbort);
    EXPECT_TRUE(Message.contains("protegido"));
    EXPECT_EQ(Q.RecordCount(), 4);
    EXPECT_EQ(Q.State(), dsBrowse);
    // A failed edit is not kept as if it were written.
    Q.OnPostError = nullptr;
    Q.Edit();
    Q.FieldByName("Nome")->Clear();  // Not Null in the table
    EXPECT_THROW(Q.Post(), EDatabaseError);
    EXPECT_EQ(Q.State(), dsEdit);
    Q.Cancel();
    EXPECT_EQ(Q.FieldByName("Nome")->AsString(), "Nove");
    EXPECT_EQ(Scalar("Select Nome From Cliente Where IdCliente = 9").toString(), "Nove");
}

TEST_P(EngineTest, BlobParameterFromStream) {
    platform::os::TMemoryStream Stream;
    const QByteArray Bytes("\x00\x01\xff binary \x7f", 13);
    Stream.WriteBuffer(Bytes.constData(), Bytes.size());
    TADOCommand C;
    C.SetConnection(Conn.get());
    C.SetCommandText("Update Cliente Set Foto = :Foto Where IdCliente = :IdCliente");
    C.Parameters().ParamByName("Foto").LoadFromStream(Stream);
    C.Parameters().ParamByName("IdCliente").SetValue(1);
    EXPECT_EQ(C.Execute(), 1);
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select Foto From Cliente Where IdCliente = 1");
    Q.Open();
    EXPECT_EQ(Q.Fields(0)->AsBytes(), Bytes);
}

// Kept writes on the embedded engine are bound by the engine itself: each kind of value must land as Qt
// binds it, and a refusal must read as Qt reports it.
TEST_P(EngineTest, KeptWritesStoreEveryKindOfValueAndReportRefusalsAsQtDoes) {
    const QString Update = "Update Cliente Set Nome = :Nome, Cidade = :Cidade, Saldo = :Saldo, Ativo = :Ativo, "
                           "Criado = :Criado, Foto = :Foto Where IdCliente = :Id";
    const QByteArray Bytes("\x00\x01\xff zero \x00 inside", 17);
    const QDateTime When(QDate(2025, 3, 9), QTime(17, 45, 12, 250));
    TParameters P;
    P.CreateParameter("Nome", ftString, QString("Zé d'Ávila \u2603"));
    P.CreateParameter("Cidade", ftString, QString(""));
    P.CreateParameter("Saldo", ftFloat, 12.25);
    P.CreateParameter("Ativo", ftBoolean, false);
    P.CreateParameter("Criado", ftDateTime, When);
    P.CreateParameter("Foto", ftBlob, Bytes);
    P.CreateParameter("Id", ftInteger, 1);
    EXPECT_EQ(Conn->Execute(Update, &P, -1, true), 1);
    P.ParamByName("Cidade").SetValue(QVariant());
    P.ParamByName("Saldo").SetDataType(ftLargeint);
    P.ParamByName("Saldo").SetValue(qlonglong(1) << 40);
    P.ParamByName("Ativo").SetValue(true);
    P.ParamByName("Criado").SetValue(QVariant());
    P.ParamByName("Foto").SetValue(QVariant());
    P.ParamByName("Id").SetValue(2);
    EXPECT_EQ(Conn->Execute(Update, &P, -1, true), 1);
    P.ParamByName("Id").SetValue(99);
    EXPECT_EQ(Conn->Execute(Update, &P, -1, true), 0);

    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select Nome, Cidade, Saldo, Ativo, Criado, Foto From Cliente Where IdCliente In (1, 2) Order By IdCliente");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("Nome")->AsString(), QString("Zé d'Ávila \u2603"));
    EXPECT_FALSE(Q.FieldByName("Cidade")->IsNull());
    EXPECT_EQ(Q.FieldByName("Cidade")->AsString(), "");
    EXPECT_EQ(Q.FieldByName("Saldo")->AsFloat(), 12.25);
    EXPECT_FALSE(Q.FieldByName("Ativo")->AsBoolean());
    EXPECT_EQ(Q.FieldByName("Criado")->AsDateTime(), When);
    EXPECT_EQ(Q.FieldByName("Foto")->AsBytes(), Bytes);
    Q.Next();
    EXPECT_TRUE(Q.FieldByName("Cidade")->IsNull());
    EXPECT_EQ(Q.FieldByName("Saldo")->AsFloat(), 1099511627776.0);
    EXPECT_TRUE(Q.FieldByName("Ativo")->AsBoolean());
    EXPECT_TRUE(Q.FieldByName("Criado")->IsNull());
    EXPECT_TRUE(Q.FieldByName("Foto")->IsNull());
    Q.Close();

    // A taken key, refused by the kept write and by Qt's run of the same statement.
    TParameters Keys;
    Keys.CreateParameter("Novo", ftInteger, 2);
    Keys.CreateParameter("Id", ftInteger, 1);
    const QString Rekey = "Update Cliente Set IdCliente = :Novo Where IdCliente = :Id";
    auto Refusal = [&](const std::function<void()>& Run) {
        try {
            Run();
        } catch (const EDatabaseError& E) {
            return E.Text();
        }
        return QString("not refused");
    };
    const QString Kept = Refusal([&] { Conn->Execute(Rekey, &Keys, -1, true); });
    EXPECT_TRUE(Kept.endsWith("Statement: " + Rekey)) << Kept.toStdString();
    EXPECT_EQ(Refusal([&] { Conn->RunCached(Rekey, &Keys); }), Kept);

    if (GetParam() == egSQLite) {
        const QString LongWrite = "Update Cliente Set Saldo = (" + LongStatement() + ") Where IdCliente = :Id";
        EXPECT_EQ(Refusal([&] { Conn->Execute(LongWrite, &Keys, 1, true); }).section('\n', 0, 0),
                  "Query timeout expired");
    }
    EXPECT_EQ(Scalar("Select Count(*) From Cliente").toInt(), 3);
}

TEST_P(EngineTest, CommandTimeoutStopsLongStatements) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetCommandTimeout(1);
    Q.SetSQL(LongStatement());
    try {
        Q.Open();
        FAIL() << "the statement should have been stopped";
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Text().section('\n', 0, 0), "Query timeout expired");
    }
    EXPECT_EQ(Scalar("Select Count(*) From Cliente").toInt(), 3);  // the connection still works
}

TEST_P(EngineTest, TranslatedFunctionsRun) {
    EXPECT_EQ(Scalar("Select Case When 'ação' Like 'AÇÃO' Then 1 Else 0 End").toInt(), 1);
    EXPECT_EQ(Scalar("Select Count(*) From Cliente Where Nome Like 'JOÃO%'").toInt(), 1);
    EXPECT_EQ(Scalar("Select Count(*) From Cliente Where Nome Not Like '%SOUZA'").toInt(), 2);
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select Top 2 Nome From Cliente Order By IdCliente Desc");
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), 2);
    EXPECT_EQ(Q.Fields(0)->AsString(), "Ana Lima");
    const QDateTime Now = ConvertValue(Scalar("Select GetDate()"), ftDateTime).toDateTime();
    EXPECT_LT(std::abs(Now.secsTo(QDateTime::currentDateTime())), 120);
    EXPECT_EQ(Scalar("Select DatePart(year, Criado) From Cliente Where IdCliente = 3").toInt(), 2023);
    EXPECT_EQ(Scalar("Select DatePart(dw, Criado) From Cliente Where IdCliente = 1").toInt(), 4);  // a Wednesday
    EXPECT_EQ(Scalar("Select DateDiff(day, Criado, DateAdd(month, 1, Criado)) From Cliente Where IdCliente = 2").toInt(), 29);
    EXPECT_EQ(Scalar("Select DateDiff(hour, '2024-01-01 10:59', '2024-01-01 11:01')").toInt(), 1);
    EXPECT_EQ(Scalar("Select IsNull(Saldo, -1) From Cliente Where IdCliente = 3").toDouble(), -1.0);
    EXPECT_EQ(Scalar("Select Len('abc  ')").toInt(), 3);
    EXPECT_EQ(Scalar("Select Upper(N'ação')").toString(), "AÇÃO");
}

TEST_P(EngineTest, SessionVariablesPerConnection) {
    CreateSessionVariables(*Conn);
    SetSessionVariable(*Conn, "IdUsuario", 7);
    SetSessionVariable(*Conn, "Nome", "José");
    SetSessionVariable(*Conn, "Quando", QDateTime(QDate(2024, 5, 1), QTime(12, 0)));
    SetSessionVariable(*Conn, "Vazio", Null());
    SetSessionVariable(*Conn, "idusuario", 8);  // names ignore case
    EXPECT_EQ(GetSessionVariable(*Conn, "IDUSUARIO"), QVariant(8));
    EXPECT_EQ(GetSessionVariable(*Conn, "Nome"), QVariant("José"));
    EXPECT_EQ(GetSessionVariable(*Conn, "Quando").toDateTime(), QDateTime(QDate(2024, 5, 1), QTime(12, 0)));
    EXPECT_TRUE(VarIsNull(GetSessionVariable(*Conn, "Vazio")));
    EXPECT_TRUE(VarIsEmpty(GetSessionVariable(*Conn, "Outra")));
    EXPECT_THROW(SetSessionVariable(*Conn, " ", 1), EDatabaseError);
    // Opening the store again keeps what it holds.
    EXPECT_EQ(CreateSessionVariables(*Conn).Rows.size(), 4u);
    EXPECT_EQ(GetSessionVariable(*Conn, "IdUsuario"), QVariant(8));

    // Another connection has a table of its own.
    auto Other = OpenTestConnection(GetParam());
    CreateSessionVariables(*Other);
    EXPECT_TRUE(VarIsEmpty(GetSessionVariable(*Other, "IdUsuario")));
    DropTestConnection(Other);
}

// ------------------------------------------------------------ translation text

TEST(DialectTest, SqliteTranslation) {
    const auto D = CreateDialect(egSQLite);
    EXPECT_EQ(D->Translate("Select Top 10 Nome From T Where A Like 'x%' Order By Nome;"),
              "Select Nome From T Where A Like 'x%' Order By Nome LIMIT 10");
    EXPECT_EQ(D->Translate("Select Distinct Top (5) A From T"), "Select Distinct A From T LIMIT 5");
    EXPECT_EQ(D->Translate("Select * From (Select Top 1 A From T Order By A) X Where B = N'é'"),
              "Select * From (Select A From T Order By A LIMIT 1) X Where B = 'é'");
    EXPECT_EQ(D->Translate("Select [Order], IsNull(A, 0), DatePart(yy, GetDate()) From [Minha Tabela]"),
              "Select \"Order\", coalesce(A, 0), datepart('year', getdate()) From \"Minha Tabela\"");
    EXPECT_EQ(D->Translate("Create Table #Global_Var (A Int)"), "Create TEMP Table Global_Var (A Int)");
    EXPECT_EQ(D->Translate("Select 'Top 5 -- not code', A From T -- Top 3"), "Select 'Top 5 -- not code', A From T -- Top 3");
    EXPECT_THROW(D->Translate("Select Top 10 Percent A From T"), EDatabaseError);
    EXPECT_EQ(D->Translate("Insert T (A) Values (1)"), "Insert into T (A) Values (1)");
    EXPECT_EQ(D->Translate("Delete T Where A = 1"), "Delete from T Where A = 1");
    EXPECT_EQ(D->Translate("Select [a]]b] From T Where A = N'x' + B + Upper(C)"),
              "Select \"a]b\" From T Where A = 'x' || B || Upper(C)");
    EXPECT_EQ(D->Translate("Select A + 1 From T Union All Select Top 2 B From U"),
              "Select A + 1 From T Union All SELECT * FROM (Select B From U LIMIT 2) AS vex_branch1");
}

TEST(DialectTest, PostgresTranslation) {
    const auto D = CreateDialect(egPostgreSQL);
    EXPECT_EQ(D->Translate("Select Top 3 [Nome] From T Where A Like :P Or B Not Like 'y'"),
              "Select \"nome\" From T Where A::text ~* pg_temp.vex_like_regex(:P) "
              "Or B::text !~* pg_temp.vex_like_regex('y') LIMIT 3");
    EXPECT_EQ(D->Translate("Select GetDate(), DatePart(month, D), Cast(0 as Bit) From T"),
              "Select LOCALTIMESTAMP, CAST(EXTRACT(MONTH FROM CAST(D AS TIMESTAMP)) AS INTEGER), CAST(0 AS boolean) From T");
    EXPECT_EQ(D->Translate("Select DateAdd(day, 2, D) From T"),
              "Select (CAST(D AS TIMESTAMP) + CAST(2 AS INTEGER) * INTERVAL '1 day') From T");
    EXPECT_EQ(D->Translate("Update T Set Ativo = 1 Where Nome Like 'a[b-c]' Escape '!' And B <> 0"),
              "Update T Set Ativo = '1' Where Nome::text ~* pg_temp.vex_like_regex('a[b-c]', '!') And B <> '0'");
    EXPECT_EQ(D->Translate("Insert T (A, B) Values (1, 2), (0, :X)"),
              "Insert into T (A, B) Values ('1', 2), ('0', :X)");
}

TEST(DialectTest, TSqlTextPassesUnchanged) {
    const auto D = CreateDialect(egTSQL);
    const QString Batch =
        "If Exists(Select Cast(0 as Bit) From T Where [A] = :A)\r\n  Update T Set B = :B Where A = :A\r\n"
        "Else\r\n  Insert T (A, B) Values (:A, :B)\r\nSelect Top 1 GetDate(), DatePart(yy, GetDate()) Where 'x' Like N'X'";
    EXPECT_EQ(D->Translate(Batch), Batch);
    EXPECT_EQ(D->SavepointSql("x"), "Save Transaction x");
}

TEST(ConnectionTest, ConnectionStringsChooseTheEngine) {
    TADOConnection C;
    C.SetConnectionString("Provider=PostgreSQL;Host=db;Port=5433;Database=nav;User ID=u;Password=p");
    EXPECT_EQ(C.Engine(), egPostgreSQL);
    EXPECT_EQ(C.HostName(), "db");
    EXPECT_EQ(C.Port(), 5433);
    EXPECT_EQ(C.DatabaseName(), "nav");
    C.SetConnectionString("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Zezorovov;Data Source=.");
    EXPECT_EQ(C.Engine(), egTSQL);
    EXPECT_EQ(C.DatabaseName(), "Zezorovov");
    C.SetConnectionString("Provider=SQLite;Data Source=:memory:");
    EXPECT_EQ(C.Engine(), egSQLite);
    C.Open();
    EXPECT_THROW(C.SetConnectionString("Provider=SQLite;Data Source=x.db"), EDatabaseError);
    TADOQuery Q;
    EXPECT_THROW(Q.Open(), EDatabaseError);  // no connection
    TADOConnection Bad;
    Bad.SetConnectionString("Provider=SQLite;Data Source=/nonexistent/folder/x.db");
    EXPECT_THROW(Bad.Open(), EDatabaseError);
}

TEST_P(EngineTest, QueryDataSetsSortAndFollowAMaster) {
    TADOQuery Cidades;
    Cidades.SetConnection(Conn.get());
    Cidades.SetSQL("Select Distinct Cidade From Cliente Where Cidade Is Not Null");
    Cidades.Open();
    Cidades.SetIndexFieldNames("Cidade");
    TDataSource Source;
    Source.SetDataSet(&Cidades);

    TADOQuery Clientes;
    Clientes.SetConnection(Conn.get());
    Clientes.SetSQL("Select IdCliente, Nome, Cidade From Cliente");
    Clientes.IndexDefs().Add("PorCidade", "Cidade;Nome", 0).DescFields = "Nome";
    Clientes.SetIndexName("PorCidade");
    Clientes.SetMasterFields("Cidade");
    Clientes.SetMasterSource(&Source);
    Clientes.Open();
    QStringList Names;
    for (; !Clientes.Eof(); Clientes.Next()) Names << Clientes.FieldByName("Nome")->AsString();
    EXPECT_EQ(Names, QStringList{"maria souza"});  // "Rio" comes first
    Cidades.Next();
    Names.clear();
    for (; !Clientes.Eof(); Clientes.Next()) Names << Clientes.FieldByName("Nome")->AsString();
    EXPECT_EQ(Names, (QStringList{"João Silva", "Ana Lima"}));
}

TEST(SqliteFunctionTest, PatternsAndDateParts) {
    auto Conn = OpenTestConnection(egSQLite);
    auto Value = [&](const QString& Expr) { return Conn->SelectRow("Select " + Expr)[0]; };
    EXPECT_EQ(Value("'bcd' Like '[a-c]%'").toInt(), 1);
    EXPECT_EQ(Value("'dcd' Like '[a-c]%'").toInt(), 0);
    EXPECT_EQ(Value("'dcd' Like '[^a-c]%'").toInt(), 1);
    EXPECT_EQ(Value("'50%' Like '50!%' Escape '!'").toInt(), 1);
    EXPECT_EQ(Value("'500' Like '50!%' Escape '!'").toInt(), 0);
    EXPECT_EQ(Value("'Ação Já' Like '%ÇÃO J_'").toInt(), 1);
    EXPECT_TRUE(VarIsClear(Value("Null Like 'a'")));
    EXPECT_EQ(Value("Lower('ÁÉÍ')").toString(), "áéí");
    EXPECT_EQ(Value("DatePart(quarter, '2024-08-15')").toInt(), 3);
    EXPECT_EQ(Value("DatePart(week, '2024-01-07')").toInt(), 2);  // the second Sunday-started week
    EXPECT_EQ(Value("DatePart(dy, '2024-03-01')").toInt(), 61);
    EXPECT_EQ(Value("DateDiff(month, '2024-01-31', '2024-02-01')").toInt(), 1);
    EXPECT_EQ(Value("DateDiff(year, '2024-12-31 23:59', '2025-01-01')").toInt(), 1);
    EXPECT_EQ(Value("DateDiff(week, '2024-01-06', '2024-01-07')").toInt(), 1);
    EXPECT_EQ(Value("DateAdd(month, 1, '2024-01-31')").toString(), "2024-02-29 00:00:00.000");
    EXPECT_EQ(Value("Year('2024-05-06') * 100 + Month('2024-05-06')").toInt(), 202405);
    EXPECT_THROW(Value("DatePart(century, '2024-01-01')"), EDatabaseError);

    Conn->Execute("Create Table Nomes (Nome VarChar(20) Collate NoCase Primary Key)");
    Conn->Execute("Insert Into Nomes Values ('JOÃO')");
    EXPECT_EQ(Value("Count(*) From Nomes Where Nome = 'joão'").toInt(), 1);
    EXPECT_THROW(Conn->Execute("Insert Into Nomes Values ('João')"), EDatabaseError);  // the same key
}

TEST(ParameterTest, TextScanningSkipsQuotesCommentsAndCasts) {
    TParameters P;
    EXPECT_EQ(P.ParseSQL("Select ':a', \"x:b\", [c:d], A::text From T -- :e\n Where B = :F /* :g */ And C = :f And D = :H1",
                         true),
              (QStringList{"F", "H1"}));
    EXPECT_EQ(P.Count(), 2);
    P.ParamByName("f").SetValue(1);
    P.ParseSQL("Select :F, :New", true);  // known parameters keep their values
    EXPECT_EQ(P.ParamByName("F").Value().toInt(), 1);
    EXPECT_TRUE(VarIsNull(P.ParamByName("New").Value()) || !P.ParamByName("New").Value().isValid());
    EXPECT_EQ(P.Count(), 2);
}

TEST(ConnectionTest, EventsAndStatementsOfTheSession) {
    TADOConnection C;
    QStringList Seen;
    C.BeforeConnect = [&](TADOConnection*) { Seen << "before connect"; };
    C.AfterConnect = [&](TADOConnection*) { Seen << "after connect"; };
    C.BeforeDisconnect = [&](TADOConnection*) { Seen << "before disconnect"; };
    C.AfterDisconnect = [&](TADOConnection*) { Seen << "after disconnect"; };
    EXPECT_EQ(C.Execute("Create Table #T (A Int)"), 0);  // connects on first use; # is a table of the session
    C.Execute("Insert Into #T (A) Values (1)");
    EXPECT_EQ(C.SelectRow("Select Scope_Identity()")[0].toInt(), 1);
    EXPECT_THROW(C.Execute("Select * From Nada"), EDatabaseError);
    C.Close();
    EXPECT_EQ(Seen, (QStringList{"before connect", "after connect", "before disconnect", "after disconnect"}));
}
