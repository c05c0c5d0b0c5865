#pragma once
// The dataset provider: hands the rows of a query dataset to client datasets
// and resolves their delta into INSERT, UPDATE and DELETE statements by key.
#include <QPointer>

#include "platform/data/DBClient.h"
#include "platform/data/SqlResolver.h"

namespace platform::data {

enum TResolverResponse { rrSkip, rrAbort, rrMerge, rrApply, rrIgnore };

class EUpdateError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

class TDataSetProvider : public QObject {
    Q_OBJECT
public:
    explicit TDataSetProvider(QObject* AOwner = nullptr) : QObject(AOwner) {}

    TDataSet* DataSet() const { return FDataSet.data(); }
    void SetDataSet(TDataSet* Value) { FDataSet = Value; }
    TUpdateMode UpdateMode() const { return FUpdateMode; }
    void SetUpdateMode(TUpdateMode Value) { FUpdateMode = Value; }

    // Every row of the dataset (opened for the read when closed).
    TDataPacket GetRecords();
    // Applies the rows of a delta in order inside one transaction (a savepoint
    // when the connection is already in one). Beyond MaxErrors failed rows
    // (-1: no limit) everything is rolled back. The rows are read where they
    // are; a copy is made only when a handler is to see them as a dataset.
    TApplyResult ApplyUpdates(const TDelta& Delta, int MaxErrors);
    // Names of the dataset's fields marked as key.
    QStringList KeyFieldNames() const;

    std::function<void(QObject* Sender, TDataSet* SourceDS, TClientDataSet* DeltaDS, TUpdateKind UpdateKind, bool& Applied)>
        BeforeUpdateRecord;
    std::function<void(QObject* Sender, TDataSet* SourceDS, TClientDataSet* DeltaDS, TUpdateKind UpdateKind)>
        AfterUpdateRecord;
    std::function<void(QObject* Sender, TClientDataSet* DataSet, EUpdateError& E, TUpdateKind UpdateKind,
                       TResolverResponse& Response)>
        OnUpdateError;
    std::function<void(QObject* Sender, TDataSet* DataSet, QString& TableName)> OnGetTableName;

private:
    QPointer<TDataSet> FDataSet;
    TUpdateMode FUpdateMode = upWhereAll;
};

}  // namespace platform::data
