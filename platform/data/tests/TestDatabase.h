#pragma once
// Connections for the data-driven suites: SQLite in memory always, PostgreSQL
// when PG_TEST_DSN names a server ("host=... port=... dbname=... user=..."),
// SQL Server when MSSQL_TEST_DSN holds an ODBC text or a provider string that
// names its driver. Each PostgreSQL connection works in a schema of its own,
// dropped at the end; on SQL Server the tables a case created are dropped.
#include <memory>
#include <ostream>

#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/tests/QStringPrinter.h"

namespace platform::data::testing {

// Nullptr when the engine is not available here.
std::unique_ptr<TADOConnection> OpenTestConnection(TEngine Engine);
void DropTestConnection(std::unique_ptr<TADOConnection>& Connection);
// Another connection to the same database and schema (not for SQLite in memory).
std::unique_ptr<TADOConnection> OpenSecondConnection(const TADOConnection& Connection);
// Connects again after the server dropped the session, in the same schema.
void ReopenTestConnection(TADOConnection& Connection);
const char* EngineName(TEngine Engine);
// The variable that names the engine's test server; nullptr for SQLite.
const char* EngineVariable(TEngine Engine);

// An open client dataset of five customers: IdCliente, Nome, Cidade, Saldo,
// Ativo, Criado; the change log starts empty.
void CreateClientes(TClientDataSet& DataSet);

}  // namespace platform::data::testing
