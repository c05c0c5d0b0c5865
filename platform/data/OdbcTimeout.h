#pragma once
// Statement time-outs over ODBC. SQL Server has no time-out setting of its
// own: the driver stops a statement that runs longer than its handle's query
// time-out and reports it. Qt allocates a new handle for every statement run
// directly, so the connection carries the time-out those handles start with,
// and a prepared statement's own handle is set before it runs again. A driver
// that refuses the time-out raises EDatabaseError: no statement then runs
// without the limit it asked for.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace platform::data {

// Seconds that handles allocated later on the connection start with; 0: no limit.
void SetOdbcConnectionTimeout(const QSqlDatabase& Database, int Seconds);
// Seconds of a prepared statement's handle; 0: no limit.
void SetOdbcStatementTimeout(const QSqlQuery& Query, int Seconds);
// Whether the statement's last failure was its time-out (the driver's own, or
// the server's cancel that a driver passes on).
bool OdbcTimedOut(const QSqlQuery& Query);

}  // namespace platform::data
