#include "platform/data/SqlResolver.h"

#include <QRegularExpression>
#include <QStringList>
#include <cstring>

namespace platform::data {

namespace {

QString Unquote(QString Name) {
    Name = Name.trimmed();
    if (Name.size() < 2) return Name;
    if (Name.startsWith('[') && Name.endsWith(']')) return Name.mid(1, Name.size() - 2).replace("]]", "]");
    if (Name.startsWith('"') && Name.endsWith('"')) return Name.mid(1, Name.size() - 2).replace("\"\"", "\"");
    return Name;
}

// A closing bracket inside the name is written twice.
QString QuoteName(QString Name) {
    static const QRegularExpression Plain("^[A-Za-z_#][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$");
    return Plain.match(Name).hasMatch() ? Name : '[' + Name.replace("]", "]]") + ']';
}

// Null against a value counts as a change. Text and dates equal as they stand are unchanged without the ordering
// rules, which fold letters or convert: this runs for every column of every applied row.
bool Changed(const QVariant& A, const QVariant& B) {
    // A column the edit left alone holds a copy of its stored value, bit for bit: equal without comparing.
    if (std::memcmp(static_cast<const void*>(&A), static_cast<const void*>(&B), sizeof(QVariant)) == 0) return false;
    const int Type = A.typeId();
    if ((Type == QMetaType::QString || Type == QMetaType::QDateTime) && B.typeId() == Type && !VarIsClear(A) &&
        !VarIsClear(B) && A == B)
        return false;
    return CompareValues(A, B) != 0;
}

}  // namespace

namespace {

QString ColumnOf(const QString& Name, const QString& Origin) {
    return Origin.trimmed().isEmpty() ? Name : Unquote(Origin.trimmed().section('.', -1));
}

}  // namespace

TResolveField ResolveFieldOf(const TField& Field) {
    return TResolveField{ColumnOf(Field.FieldName(), Field.Origin()), Field.DataType(), Field.ProviderFlags(),
                         Field.FieldNo() - 1};
}

TResolveField ResolveFieldOf(const TFieldDef& Def, int Slot, const TField* SourceField) {
    TResolveField R{ColumnOf(Def.Name, SourceField ? SourceField->Origin() : QString()), Def.DataType};
    if (SourceField) R.Flags = SourceField->ProviderFlags();
    R.Slot = Slot;
    return R;
}

TSqlResolver::TSqlResolver(TADOConnection& Connection, QString TableName, TUpdateMode Mode,
                           std::vector<TResolveField> Fields)
    : FConnection(Connection), FTableName(std::move(TableName)), FMode(Mode), FFields(std::move(Fields)) {}

void TSqlResolver::AddParam(TFieldType DataType, const QVariant& Value) {
    if (FUsed == FParams.Count()) FParams.AddParameter();
    TParameter& P = FParams[FUsed++];
    P.SetDataType(DataType);
    P.SetValue(Value);
}

bool TSqlResolver::InWhere(const TResolveField& F, const QVariant& New, const QVariant& Old) const {
    if (IsBlobType(F.DataType)) return false;
    switch (FMode) {
    case upWhereKeyOnly: return F.Flags & pfInKey;
    case upWhereChanged: return (F.Flags & pfInKey) || ((F.Flags & pfInWhere) && Changed(New, Old));
    default: return F.Flags & (pfInKey | pfInWhere);
    }
}

// The statement of a shape: per field, one mark for the column list or the
// set list and one for the where clause ('W' a value, 'N' null, '-' none).
QString TSqlResolver::StatementText(TUpdateKind Kind, const QByteArray& Shape) const {
    const QString Table = QuoteName(FTableName);
    QStringList Columns, Terms;
    for (size_t I = 0; I < FFields.size(); ++I) {
        const QString Column = QuoteName(FFields[I].Column);
        if (Shape[1 + 2 * I] == 'V') Columns << (Kind == ukInsert ? Column : Column + " = ?");
        if (Shape[2 + 2 * I] == 'W') Terms << Column + " = ?";
        else if (Shape[2 + 2 * I] == 'N') Terms << Column + " Is Null";
    }
    if (Kind == ukInsert) {
        if (Columns.isEmpty()) return QString("Insert Into %1 Default Values").arg(Table);
        return QString("Insert Into %1 (%2) Values (%3)").arg(Table, Columns.join(", "), QStringList(Columns.size(), "?").join(", "));
    }
    if (Terms.isEmpty()) DatabaseError("Unable to find record.  No key specified.");
    const QString Where = " Where " + Terms.join(" And ");
    if (Kind == ukModify) return QString("Update %1 Set %2").arg(Table, Columns.join(", ")) + Where;
    return QString("Delete From %1").arg(Table) + Where;
}

void TSqlResolver::Apply(TUpdateKind Kind, const std::vector<QVariant>& NewValues, const std::vector<QVariant>& OldValues) {
    if (FTableName.isEmpty()) DatabaseError("Unable to resolve the name of the table to update");
    FUsed = 0;
    QByteArray& Shape = FShape;
    Shape.fill('-', 1 + 2 * FFields.size());
    Shape[0] = static_cast<char>('0' + Kind);
    bool AnyValue = false;
    for (size_t I = 0; I < FFields.size(); ++I) {
        const TResolveField& F = FFields[I];
        const QVariant &New = NewValues[F.Slot], &Old = OldValues[F.Slot];
        const bool Write = (F.Flags & pfInUpdate) &&
                           (Kind == ukInsert ? F.DataType != ftAutoInc && !VarIsClear(New) : Kind == ukModify && Changed(New, Old));
        if (Write) {
            Shape[1 + 2 * I] = 'V';
            AddParam(F.DataType, New);
            AnyValue = true;
        }
    }
    if (Kind == ukModify && !AnyValue) return;  // nothing this table keeps has changed
    if (Kind != ukInsert)
        for (size_t I = 0; I < FFields.size(); ++I) {
            const TResolveField& F = FFields[I];
            const QVariant& Old = OldValues[F.Slot];
            if (!InWhere(F, NewValues[F.Slot], Old)) continue;
            Shape[2 + 2 * I] = VarIsClear(Old) ? 'N' : 'W';
            if (!VarIsClear(Old)) AddParam(F.DataType, Old);
        }
    auto It = FStatements.find(Shape);
    if (It == FStatements.end()) It = FStatements.insert(Shape, StatementText(Kind, Shape));
    const int Rows = FConnection.Execute(*It, &FParams, -1, true);
    if (Kind != ukInsert && Rows == 0) DatabaseError("Record not found or changed by another user");
}

}  // namespace platform::data
