#include "dataaccess/VexLookup.h"

#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/VexSqlText.h"
#include "platform/data/ADODB.h"
#include "platform/data/DB.h"

namespace dataaccess {

using namespace platform::data;

namespace {

constexpr const char* kKeyParam = "Chave";

// A key that is not a number matches no row.
QVariant NumericKey(const QString& Text) {
    bool Ok = false;
    const qlonglong Whole = Text.trimmed().toLongLong(&Ok);
    if (Ok) return Whole;
    const double Real = Text.trimmed().toDouble(&Ok);
    return Ok ? QVariant(Real) : QVariant();
}

}  // namespace

QVariant LastValue(const QString& Table, const QString& OrderFields, const QString& FieldName, const QString& Where,
                   const QVariant& Default) {
    const QString Order = OrderFields.trimmed();
    QStringList Descending;
    for (const QString& Field : Order.split(',', Qt::SkipEmptyParts)) Descending << Field.trimmed() + " DESC";
    QString Sql = QString("Select Top 1 %1%2 From %3 Order By %4")
                      .arg(Order.isEmpty() ? QString() : Order + ", ", FieldName, Table, Descending.join(", "));
    if (!Where.trimmed().isEmpty()) Sql = InjectCondition(Sql, {Where});
    const QVariantList Row = SessionConnection().SelectRow(Sql);
    const int Column = Order.isEmpty() ? 0 : static_cast<int>(Descending.size());
    if (Row.size() <= Column || VarIsClear(Row[Column])) return Default;
    return Row[Column];
}

void CopyLookupFields(const TLookupKey& Lookup, const QString& Table, const QString& KeyField,
                      TADOConnection* Connection, const QStringList& FieldMap) {
    if (FieldMap.isEmpty() || !Lookup.Target) return;
    QStringList Targets, Sources;
    for (const QString& Line : FieldMap) {
        Targets << Line.section('=', 0, 0).trimmed();
        Sources << Line.section('=', 1).trimmed();
    }
    if (Lookup.Text.isEmpty()) {
        for (const QString& Target : Targets)
            if (TField* Field = Lookup.Target->FindField(Target)) ClearFieldValue(Field);
        return;
    }
    const QVariant Key = Lookup.IsText ? QVariant(Lookup.Text) : NumericKey(Lookup.Text);
    if (!Key.isValid()) return;
    TParameters Params;
    const TFieldType KeyType = Lookup.IsText ? ftString : Key.typeId() == QMetaType::LongLong ? ftLargeint : ftFloat;
    Params.CreateParameter(kKeyParam, KeyType, Key);
    const QString Sql = QString("Select %1 From %2 Where %3 = :%4").arg(Sources.join(", "), Table, KeyField, kKeyParam);
    const QVariantList Row = SessionConnection(Connection).SelectRow(Sql, &Params);
    if (Row.isEmpty()) return;
    for (int I = 0; I < Targets.size(); ++I) {
        TField* Field = Lookup.Target->FindField(Targets[I]);
        if (!Field) continue;
        const QString Text = VarIsClear(Row[I]) ? QString() : Row[I].toString();
        SetFieldValue(Field, Text, Text.isEmpty());
    }
}

}  // namespace dataaccess
