#pragma once
// SQL dialects. The library writes T-SQL; SQLite and PostgreSQL translate one
// statement at a time, the T-SQL dialect sends text unchanged. Programs of
// several statements are named operations (NamedOperation.h) with a native
// version per engine.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "platform/data/DataTypes.h"

namespace platform::data {

enum TEngine : int { egSQLite, egPostgreSQL, egTSQL };

class TSqlDialect {
public:
    virtual ~TSqlDialect() = default;
    virtual TEngine Engine() const = 0;
    // One T-SQL statement in this engine's words.
    virtual QString Translate(const QString& Sql) const = 0;
    // A parameter value as this engine takes it.
    virtual QVariant BindValue(QVariant Value, TFieldType DataType) const;
    // Statements run once on every new connection.
    virtual QStringList SessionSetupSql() const { return {}; }

    // Failed statements that poison the transaction need a savepoint each.
    virtual bool NeedsStatementSavepoints() const { return false; }
    virtual QString SavepointSql(const QString& Name) const { return "SAVEPOINT " + Name; }
    virtual QString RollbackToSavepointSql(const QString& Name) const { return "ROLLBACK TO SAVEPOINT " + Name; }
    virtual QString ReleaseSavepointSql(const QString& Name) const { return "RELEASE SAVEPOINT " + Name; }

    // The statement that opens a transaction; empty: the driver's own.
    virtual QString BeginTransactionSql() const { return QString(); }
    // A Select of a native operation that locks the rows it reads until the
    // transaction ends (T-SQL batches carry their own hints).
    virtual QString ForUpdate(const QString& Select) const { return Select; }

    // Whether an Update ... From may return the columns of the rows it joins, not only the updated table's.
    virtual bool ReturnsJoinedColumns() const { return false; }
    // Whether the driver reads a result faster whole than one row at a time (rows then cost no message each).
    virtual bool ReadsWholeResults() const { return false; }
    // Whether named operations go out as their T-SQL batch text.
    virtual bool RunsBatches() const { return false; }
    // Whether the engine reports unquoted names in lower case, losing the written case.
    virtual bool FoldsUnquotedNames() const { return false; }
    // The columns of the table named by the parameter :Table, in order: name
    // as its definition writes it, declared type and 1 when the column is Not Null.
    virtual QString TableColumnsSql() const = 0;
    // Statements that follow a statement that ran, such as what keeps the
    // written case of a new table's column names.
    virtual QStringList AfterStatementSql(const QString&) const { return {}; }
};

std::unique_ptr<TSqlDialect> CreateDialect(TEngine Engine);

}  // namespace platform::data
