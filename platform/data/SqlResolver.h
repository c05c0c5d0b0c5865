#pragma once
// Writes single rows of one table by key: the INSERT, UPDATE and DELETE
// statements of a row's change, prepared once per shape. A failed statement or
// a row that is no longer there raises EDatabaseError.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

#include "platform/data/ADODB.h"
#include "platform/data/Field.h"

namespace platform::data {

enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };

// One column as the resolver writes it.
struct TResolveField {
    QString Column;
    TFieldType DataType = ftUnknown;
    TProviderFlags Flags = pfInUpdate | pfInWhere;
    int Slot = 0;
};

// The column of a field: the last part of its origin, or its name.
TResolveField ResolveFieldOf(const TField& Field);
// The column of a packet's Slot, with the provider flags and origin of the source's field of that name, if any.
TResolveField ResolveFieldOf(const TFieldDef& Def, int Slot, const TField* SourceField);

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
    QByteArray FShape;  // the current row's, kept to spare an allocation per row
};

}  // namespace platform::data
