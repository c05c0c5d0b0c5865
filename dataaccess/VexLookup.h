#pragma once
// Lookup queries of the framework: the last value of a column by an order,
// and copying the columns of a looked-up row into the fields of the dataset
// being edited. They run on the given connection or the session's default
// one; server errors propagate and nothing is written after one.
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform::data {
class TADOConnection;
class TDataSet;
}  // namespace platform::data

namespace dataaccess {

// The value of FieldName in the row that comes last by OrderFields (a comma
// list), among the rows Where selects; Default when there is none or it is Null.
QVariant LastValue(const QString& Table, const QString& OrderFields, const QString& FieldName,
                   const QString& Where = QString(), const QVariant& Default = QVariant());

// What a lookup control offers: its current key and the dataset it fills.
struct TLookupKey {
    QString Text;
    platform::data::TDataSet* Target = nullptr;
    bool IsText = false;  // else a number
};

// FieldMap holds "TargetField=SourceField" lines. With a key, the source
// columns of the row of Table whose KeyField equals it are written into the
// target fields that exist; an empty text clears a field. The key travels as a
// parameter. Without a key every target field of the map is cleared.
void CopyLookupFields(const TLookupKey& Lookup, const QString& Table, const QString& KeyField,
                      platform::data::TADOConnection* Connection, const QStringList& FieldMap);

}  // namespace dataaccess
