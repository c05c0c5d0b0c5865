#pragma once
// SQL dialects. The library writes T-SQL; SQLite and PostgreSQL translate one
// statement at a time, the T-SQL dialect sends text unchanged. Programs of
// several statements are named operations with a native version per engine.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "platform/data/DataTypes.h"

namespace platform::data {

enum TEngine { egSQLite, egPostgreSQL, egTSQL };

class TADOConnection;

class TSqlDialect {
public:
    virtual ~TSqlDialect() = default;
    virtual TEngine Engine() const = 0;
    // One T-SQL statement in this engine's words.
    virtual QString Translate(const QString& Sql) const = 0;
    // A parameter value as this engine takes it.
    virtual QVariant BindValue(const QVariant& Value, TFieldType DataType) const;

    // Failed statements that poison the transaction need a savepoint each.
    virtual bool NeedsStatementSavepoints() const { return false; }
    virtual QString SavepointSql(const QString& Name) const { return "SAVEPOINT " + Name; }
    virtual QString RollbackToSavepointSql(const QString& Name) const { return "ROLLBACK TO SAVEPOINT " + Name; }
    virtual QString ReleaseSavepointSql(const QString& Name) const { return "RELEASE SAVEPOINT " + Name; }

    // Statements run once a connection opens: date style, isolation, journal.
    virtual QStringList SessionSetupSql() const { return {}; }
    // The statement that opens a transaction; empty: the driver's own.
    virtual QString BeginTransactionSql() const { return QString(); }
    // A Select of a native operation that locks the rows it reads until the
    // transaction ends (T-SQL batches carry their own hints).
    virtual QString ForUpdate(const QString& Select) const { return Select; }

    // The session variable table: one variant value per name and connection;
    // names ignore case. Reading a missing name answers Unassigned.
    virtual QString SessionVariablesSql() const = 0;
    virtual void CreateSessionVariables(TADOConnection& Connection) const;
    virtual void SetSessionVariable(TADOConnection& Connection, const QString& Name, const QVariant& Value) const = 0;
    virtual QVariant GetSessionVariable(TADOConnection& Connection, const QString& Name) const = 0;
};

std::unique_ptr<TSqlDialect> CreateDialect(TEngine Engine);

// The T-SQL batch that creates the session variable table and reads it.
extern const char* const SessionVariablesBatch;

}  // namespace platform::data
