#include "TestDatabase.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include "platform/data/ConnectionString.h"

namespace platform::data::testing {

namespace {

QStringList TableNames(TADOConnection& Connection) {
    QStringList Names;
    QSqlQuery Q = Connection.Run("Select name From sys.tables", nullptr);
    while (Q.next()) Names << Q.value(0).toString();
    return Names;
}

// Tables the case created, in as many passes as their references need.
void DropNewTables(TADOConnection& Connection) {
    if (Connection.InTransaction()) Connection.RollbackTrans();
    const QStringList Before = Connection.property("tables").toStringList();
    for (bool Progress = true; Progress;) {
        Progress = false;
        for (const QString& Name : TableNames(Connection)) {
            if (Before.contains(Name)) continue;
            try {
                Connection.Execute("Drop Table [" + QString(Name).replace("]", "]]") + "]");
                Progress = true;
            } catch (const EDatabaseError&) {
                // Still referenced by a table dropped in a later pass.
            }
        }
    }
}

}  // namespace

std::unique_ptr<TADOConnection> OpenTestConnection(TEngine Engine) {
    auto C = std::make_unique<TADOConnection>();
    if (Engine == egSQLite) {
        C->SetConnectionString("Provider=SQLite;Data Source=:memory:");
    } else {
        const QString Dsn = qEnvironmentVariable(EngineVariable(Engine));
        if (Dsn.isEmpty()) return nullptr;
        C->SetConnectionString(Engine == egPostgreSQL ? ProviderStringFromLibpqDsn(Dsn) : Dsn);
    }
    C->Open();
    if (Engine == egTSQL) C->setProperty("tables", TableNames(*C));
    if (Engine == egPostgreSQL) {
        static int Counter = 0;
        const QString Schema = QString("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++Counter);
        C->setProperty("schema", Schema);
        C->Execute("Create Schema " + Schema);
        C->Execute("Set search_path To " + Schema);
    }
    return C;
}

void ReopenTestConnection(TADOConnection& Connection) {
    Connection.Close();
    Connection.Open();
    const QString Schema = Connection.property("schema").toString();
    if (!Schema.isEmpty()) Connection.Execute("Set search_path To " + Schema);
}

std::unique_ptr<TADOConnection> OpenSecondConnection(const TADOConnection& Connection) {
    auto C = std::make_unique<TADOConnection>();
    C->SetConnectionString(Connection.ConnectionString());
    C->setProperty("schema", Connection.property("schema"));
    C->setProperty("shared", true);  // the schema belongs to the first connection
    ReopenTestConnection(*C);
    return C;
}

void DropTestConnection(std::unique_ptr<TADOConnection>& Connection) {
    if (!Connection) return;
    if (Connection->Engine() == egTSQL && !Connection->property("shared").toBool()) DropNewTables(*Connection);
    const QString Schema = Connection->property("schema").toString();
    if (!Schema.isEmpty() && !Connection->property("shared").toBool()) {
        if (Connection->InTransaction()) Connection->RollbackTrans();
        Connection->Execute("Drop Schema " + Schema + " Cascade");
    }
    Connection.reset();
}

void CreateClientes(TClientDataSet& DataSet) {
    DataSet.FieldDefs().Add("IdCliente", ftInteger, 0, true);
    DataSet.FieldDefs().Add("Nome", ftString, 40);
    DataSet.FieldDefs().Add("Cidade", ftString, 30);
    DataSet.FieldDefs().Add("Saldo", ftFloat);
    DataSet.FieldDefs().Add("Ativo", ftBoolean);
    DataSet.FieldDefs().Add("Criado", ftDate);
    DataSet.CreateDataSet();
    const QVariantList Rows[] = {
        {1, "João Silva", "São Paulo", 100.5, true, QDate(2024, 1, 10)},
        {2, "maria souza", "Rio", 50, false, QDate(2024, 2, 1)},
        {3, "Ana Lima", "São Paulo", Null(), true, QDate(2023, 12, 25)},
        {4, "Carlos Alberto Souza", Null(), 10, true, Null()},
        {5, "ÁLVARO Ção", "Recife", 75, false, QDate(2024, 3, 5)},
    };
    for (const QVariantList& Row : Rows) DataSet.AppendRecord(Row);
    DataSet.MergeChangeLog();
    DataSet.First();
}

const char* EngineVariable(TEngine Engine) {
    switch (Engine) {
    case egPostgreSQL: return "PG_TEST_DSN";
    case egTSQL: return "MSSQL_TEST_DSN";
    default: return nullptr;
    }
}

const char* EngineName(TEngine Engine) {
    switch (Engine) {
    case egSQLite: return "SQLite";
    case egPostgreSQL: return "PostgreSQL";
    default: return "SqlServer";
    }
}

}  // namespace platform::data::testing
