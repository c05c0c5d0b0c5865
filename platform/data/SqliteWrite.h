#pragma once
// A prepared statement that returns no rows, run straight through the embedded
// engine. For a one-row write, Qt's binding of each value costs about as much as
// the engine's own work; the engine binds the same values for a fraction of it.
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>
#include <span>

struct sqlite3_stmt;

namespace platform::data {

struct TSqliteWrite {
    int Code = 0;     // the engine's result code; 0 when the statement ran
    int Changes = 0;  // rows the statement wrote
    QString Message;  // the engine's message when it failed
};

// The engine's statement behind a query Qt prepared on an SQLite connection; none otherwise.
sqlite3_stmt* SqliteStatementOf(const QSqlQuery& Query);

// Binds Values as Qt's driver binds them and runs Statement once. None when it cannot run this way: it returns
// rows, its markers and Values differ in number, or a value is of a type Qt turns into text first.
std::optional<TSqliteWrite> RunSqliteWrite(sqlite3_stmt* Statement, std::span<const QVariant> Values);

}  // namespace platform::data
