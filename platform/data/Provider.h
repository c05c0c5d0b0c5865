#pragma once
// The dataset provider: hands the rows of a query dataset to client datasets
// and resolves their delta into INSERT, UPDATE and DELETE statements by key.
#include <QHash>
#include <QPointer>

#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"

namespace platform::data {

enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };
enum TResolverResponse { rrSkip, rrAbort, rrMerge, rrApply, rrIgnore };

class EUpdateError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// One column as the resolver writes it.
struct TResolveField {
    QString Column;
    TFieldType DataType = ftUnknown;
    TProviderFlags Flags = pfInUpdate | pfInWhere;
    int Slot = 0;
};

// The column of a field: the last part of its origin, or its name.
TResolveField ResolveFieldOf(const TField& Field);
// The first table named after From in a Select.
QString TableNameFromSql(const QString& Sql);

// Writes single rows of one table, through statements prepared once per shape.
class TSqlResolver {
public:
    TSqlResolver(TADOConnection& Connection, QString TableName, TUpdateMode Mode, std::vector<TResolveField> Fields);
    // Raises EDatabaseError when the statement fails or finds no row.
    void Apply(TUpdateKind Kind, const std::vector<QVariant>& NewValues, const std::vector<QVariant>& OldValues);

private:
    void AddParam(TFieldType DataType, const QVariant& Value);
    bool InWhere(const TResolveField& Field, const QVariant& New, const QVariant& Old) const;
    QString StatementText(TUpdateKind Kind, const QByteArray& Shape) const;
    TADOConnection& FConnection;
    QString FTableName;
    TUpdateMode FMode;
    std::vector<TResolveField> FFields;
    TParameters FParams;  // reused row after row; only the first FUsed count
    int FUsed = 0;
    QHash<QByteArray, QString> FStatements;
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
    // (-1: no limit) everything is rolled back.
    TApplyResult ApplyUpdates(const TDataPacket& Delta, int MaxErrors);
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
