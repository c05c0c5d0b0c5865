#include "platform/data/OdbcTimeout.h"

#include <QSqlDriver>
#include <QSqlResult>
#include <sql.h>
#include <sqlext.h>

#include "platform/data/DataTypes.h"

namespace platform::data {

namespace {

// "Timeout expired" from the driver, and "query canceled" from a server that stops the statement itself.
constexpr const char* kTimeoutStates[] = {"HYT00", "57014"};

SQLHANDLE HandleOf(const QVariant& Handle) {
    if (!Handle.isValid() || Handle.metaType() != QMetaType::fromType<void*>()) return nullptr;
    return *static_cast<const SQLHANDLE*>(Handle.constData());
}

void Check(SQLRETURN Result, const char* Target) {
    if (!SQL_SUCCEEDED(Result))
        DatabaseError(QString("The ODBC driver refused the query time-out of the %1").arg(Target));
}

SQLPOINTER Seconds(int Value) { return reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(Value > 0 ? Value : 0)); }

}  // namespace

void SetOdbcConnectionTimeout(const QSqlDatabase& Database, int Value) {
    if (SQLHANDLE Connection = HandleOf(Database.driver()->handle()))
        Check(SQLSetConnectAttr(Connection, SQL_ATTR_QUERY_TIMEOUT, Seconds(Value), SQL_IS_UINTEGER), "connection");
}

void SetOdbcStatementTimeout(const QSqlQuery& Query, int Value) {
    if (!Query.result()) return;
    if (SQLHANDLE Statement = HandleOf(Query.result()->handle()))
        Check(SQLSetStmtAttr(Statement, SQL_ATTR_QUERY_TIMEOUT, Seconds(Value), SQL_IS_UINTEGER), "statement");
}

bool OdbcTimedOut(const QSqlQuery& Query) {
    SQLHANDLE Statement = Query.result() ? HandleOf(Query.result()->handle()) : nullptr;
    if (!Statement) return false;
    SQLCHAR State[6] = {};
    SQLINTEGER Native = 0;
    SQLSMALLINT Length = 0;
    for (SQLSMALLINT Record = 1;
         SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, Statement, Record, State, &Native, nullptr, 0, &Length));
         ++Record)
        for (const char* Timeout : kTimeoutStates)
            if (qstrcmp(reinterpret_cast<const char*>(State), Timeout) == 0) return true;
    return false;
}

}  // namespace platform::data
