#pragma once
// Connections for the data-driven suites: SQLite in memory always, PostgreSQL
// when PG_TEST_DSN names a server ("host=... port=... dbname=... user=..."),
// SQL Server when MSSQL_TEST_DSN holds an ODBC connection string.
// Each PostgreSQL connection works in a schema of its own, dropped at the end.
#include <memory>
#include <ostream>

#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"

namespace platform::data::testing {

// Nullptr when the engine is not available here.
std::unique_ptr<TADOConnection> OpenTestConnection(TEngine Engine);
void DropTestConnection(std::unique_ptr<TADOConnection>& Connection);
// The ADO-style connection string for a libpq-style DSN.
QString PgConnectionString(const QString& Dsn);
const char* EngineName(TEngine Engine);

// An open client dataset of five customers: IdCliente, Nome, Cidade, Saldo,
// Ativo, Criado; the change log starts empty.
void CreateClientes(TClientDataSet& DataSet);

}  // namespace platform::data::testing

// Readable texts in test failures.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
