#include "TestDatabase.h"

#include <QCoreApplication>

namespace platform::data::testing {

QString PgConnectionString(const QString& Dsn) {
    QString Out = "Provider=PostgreSQL;";
    for (const QString& Pair : Dsn.split(' ', Qt::SkipEmptyParts)) {
        const QString Key = Pair.section('=', 0, 0), Value = Pair.section('=', 1);
        if (Key == "host") Out += "Host=" + Value + ';';
        else if (Key == "port") Out += "Port=" + Value + ';';
        else if (Key == "dbname") Out += "Database=" + Value + ';';
        else if (Key == "user") Out += "User ID=" + Value + ';';
        else if (Key == "password") Out += "Password=" + Value + ';';
    }
    return Out;
}

std::unique_ptr<TADOConnection> OpenTestConnection(TEngine Engine) {
    auto C = std::make_unique<TADOConnection>();
    if (Engine == egSQLite) {
        C->SetConnectionString("Provider=SQLite;Data Source=:memory:");
    } else {
        const QString Dsn = qEnvironmentVariable(Engine == egPostgreSQL ? "PG_TEST_DSN" : "MSSQL_TEST_DSN");
        if (Dsn.isEmpty()) return nullptr;
        C->SetConnectionString(Engine == egPostgreSQL ? PgConnectionString(Dsn) : Dsn);
    }
    C->Open();
    if (Engine == egPostgreSQL) {
        static int Counter = 0;
        const QString Schema = QString("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++Counter);
        C->setProperty("schema", Schema);
        C->Execute("Create Schema " + Schema);
        C->Execute("Set search_path To " + Schema);
    }
    return C;
}

void DropTestConnection(std::unique_ptr<TADOConnection>& Connection) {
    if (!Connection) return;
    const QString Schema = Connection->property("schema").toString();
    if (!Schema.isEmpty()) {
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

const char* EngineName(TEngine Engine) {
    switch (Engine) {
    case egSQLite: return "SQLite";
    case egPostgreSQL: return "PostgreSQL";
    default: return "SqlServer";
    }
}

}  // namespace platform::data::testing
