#pragma once
// The framework's own database objects: the tables of users, companies,
// control passwords, the log, roles, role members, tables and their
// permissions, stored settings, document numbering and key increments, and
// the user-defined types the numbering batches declare. CreateSchema creates
// what is missing and never drops or alters anything, so it can run at every
// start. On SQLite, which has no user-defined types, the tables alone are made.
#include <QString>
#include <QStringList>
#include <memory>

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

// The framework tables in creation order (referenced tables first).
QStringList SchemaTables();
// The names of the user-defined types.
QStringList SchemaTypes();

// Creates the missing types and tables; answers how many objects it created.
int CreateSchema(platform::data::TADOConnection& Connection);

// The embedded default: a SQLite file (created when missing) holding the
// framework schema, so a new user needs no server.
std::unique_ptr<platform::data::TADOConnection> OpenEmbeddedDatabase(const QString& FileName);

}  // namespace dataaccess
