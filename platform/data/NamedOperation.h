#pragma once
// Named operations: the T-SQL programs of several statements (Declare, If,
// temporary tables, If Exists ... Update ... Else Insert) that no statement
// translation can carry. Each has a name, its batch text exactly as SQL Server
// receives it, and a native implementation for SQLite and PostgreSQL with the
// same results, rows changed and errors. Modules register their operations at
// start; running an unknown name, or with a parameter missing or of the wrong
// type, raises EDatabaseError naming the operation.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "platform/data/DataTypes.h"

namespace platform::data {

class TADOConnection;
class TParameters;

// What an operation answers: the rows changed and the rows of its last Select.
struct TOperationResult {
    int RowsAffected = -1;
    QStringList Columns;
    std::vector<QVariantList> Rows;
};

struct TOperationParam {
    QString Name;
    TFieldType DataType;  // ftVariant takes any value
};

class TNamedOperation {
public:
    virtual ~TNamedOperation() = default;
    // The name callers use; compared ignoring case.
    virtual QString Name() const = 0;
    // The batch exactly as SQL Server receives it.
    virtual QString Batch() const = 0;
    // The parameters every run must give.
    virtual std::vector<TOperationParam> Params() const = 0;

    // Checks the parameters, then runs the batch or the native version as the connection's dialect asks.
    TOperationResult Run(TADOConnection& Connection, const TParameters& Params) const;

protected:
    // Checks of values that hold on every engine, before anything runs.
    virtual void CheckValues(const TParameters&) const {}
    // SQL Server: the batch with the parameters.
    virtual TOperationResult RunBatch(TADOConnection& Connection, const TParameters& Params) const;
    // SQLite and PostgreSQL: single statements with the same effect.
    virtual TOperationResult RunNative(TADOConnection& Connection, const TParameters& Params) const = 0;
};

// Adds an operation; one of the same name is replaced.
void RegisterOperation(std::unique_ptr<TNamedOperation> Operation);
// EDatabaseError when no operation has that name.
const TNamedOperation& FindOperation(const QString& Name);
std::vector<const TNamedOperation*> RegisteredOperations();
TOperationResult RunOperation(TADOConnection& Connection, const QString& Name, const TParameters& Params);

// A statement's result read whole, for operations built from single statements.
TOperationResult ExecuteStatement(TADOConnection& Connection, const QString& Sql, const TParameters* Params);

}  // namespace platform::data
