#include "platform/data/NamedOperation.h"

#include <QSqlRecord>
#include <map>

#include "platform/data/ADODB.h"
#include "platform/data/SessionVariables.h"

namespace platform::data {

namespace {

// Operations by upper-case name; the library's own are there from the start.
std::map<QString, std::unique_ptr<TNamedOperation>>& Registry() {
    static std::map<QString, std::unique_ptr<TNamedOperation>> Operations = [] {
        std::map<QString, std::unique_ptr<TNamedOperation>> Own;
        for (auto& Operation : SessionVariableOperations()) {
            const QString Key = Operation->Name().toUpper();
            Own[Key] = std::move(Operation);
        }
        return Own;
    }();
    return Operations;
}

// The rows of the last result set of a query, and the rows it changed.
TOperationResult ReadResult(QSqlQuery& Query) {
    TOperationResult Result;
    do {
        if (!Query.isSelect()) {
            Result.RowsAffected = Query.numRowsAffected();
            continue;
        }
        Result.Columns.clear();
        Result.Rows.clear();
        const QSqlRecord Record = Query.record();
        for (int I = 0; I < Record.count(); ++I) Result.Columns << Record.fieldName(I);
        while (Query.next()) {
            QVariantList Row;
            for (int I = 0; I < Record.count(); ++I) Row << (Query.value(I).isNull() ? Null() : Query.value(I));
            Result.Rows.push_back(std::move(Row));
        }
    } while (Query.nextResult());
    Query.finish();
    return Result;
}

}  // namespace

TOperationResult TNamedOperation::Run(TADOConnection& Connection, const TParameters& Given) const {
    for (const TOperationParam& P : Params()) {
        const TParameter* Param = Given.FindParam(P.Name);
        if (!Param) DatabaseError(QString("Operation '%1': parameter '%2' is missing").arg(Name(), P.Name));
        try {
            ConvertValue(Param->Value(), P.DataType);
        } catch (const EDatabaseError& E) {
            DatabaseError(QString("Operation '%1': parameter '%2': %3").arg(Name(), P.Name, E.Text()));
        }
    }
    CheckValues(Given);
    return Connection.Dialect().RunsBatches() ? RunBatch(Connection, Given) : RunNative(Connection, Given);
}

TOperationResult TNamedOperation::RunBatch(TADOConnection& Connection, const TParameters& Params) const {
    QSqlQuery Query = Connection.RunBatch(Batch(), &Params);
    return ReadResult(Query);
}

void RegisterOperation(std::unique_ptr<TNamedOperation> Operation) {
    const QString Key = Operation->Name().toUpper();
    Registry()[Key] = std::move(Operation);
}

const TNamedOperation& FindOperation(const QString& Name) {
    const auto It = Registry().find(Name.toUpper());
    if (It == Registry().end()) DatabaseError(QString("Unknown operation '%1'").arg(Name));
    return *It->second;
}

std::vector<const TNamedOperation*> RegisteredOperations() {
    std::vector<const TNamedOperation*> Out;
    for (const auto& Entry : Registry()) Out.push_back(Entry.second.get());
    return Out;
}

TOperationResult RunOperation(TADOConnection& Connection, const QString& Name, const TParameters& Params) {
    return FindOperation(Name).Run(Connection, Params);
}

TOperationResult ExecuteStatement(TADOConnection& Connection, const QString& Sql, const TParameters* Params) {
    QSqlQuery Query = Connection.Run(Sql, Params);
    return ReadResult(Query);
}

}  // namespace platform::data
