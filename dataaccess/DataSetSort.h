#pragma once
// Sorting an open dataset in memory the way a grid's title clicks do: each
// order becomes a new index definition "Internal_Index_<n>". Only client and
// ADO datasets can be sorted; any other dataset, a missing field or a memo
// field is reported to the user in a message and left unchanged.
#include <QString>
#include <QStringList>

#include "platform/data/DB.h"

namespace dataaccess {

using platform::data::TDataSet;

// True for a client or ADO dataset; otherwise tells the user and answers false.
bool CheckSortable(TDataSet* DataSet);
// The current order: the index field names, then the fields of the index
// named by IndexName; DescFields are that index's descending fields.
void GetSortFields(TDataSet* DataSet, QStringList& Fields, QStringList& DescFields);
// "Nome;Data DESC": the current order without the field Ignore.
QString GetSortText(TDataSet* DataSet, const QString& Ignore = QString());
int SortFieldCount(TDataSet* DataSet, const QString& Ignore = QString());
// 0 when FieldName is not in the order (Position -1), 1 ascending, 2
// descending; Position counts without the ";"-separated IgnoreFields.
int GetSortState(TDataSet* DataSet, const QString& FieldName, const QString& IgnoreFields, int& Position);
// Adds the next free internal index definition and makes it the order.
void ApplySort(TDataSet* DataSet, const QStringList& Fields, const QStringList& DescFields);
// A click on the title of FieldName: ascending, then descending, then
// ascending again; Multi keeps the earlier columns; FixedFields lead always.
void ToggleSort(TDataSet* DataSet, const QString& FixedFields, const QString& FieldName, bool Multi);
// Every [Name] naming a field of DataSet becomes that field's origin; the
// text stays as it is when the dataset cannot be sorted.
QString ReplaceFieldTokens(const QString& Text, TDataSet* DataSet);

}  // namespace dataaccess
