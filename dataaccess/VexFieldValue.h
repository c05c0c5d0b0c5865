#pragma once
// Writing values into dataset fields the way the framework does: only when the
// value changes (so a browsing dataset is not put into edit for nothing), past
// the field's read-only flag, editing or inserting the row as needed; and
// finding the dataset of a master/detail tree that is being edited.
#include <QVariant>

namespace platform::data {
class TDataSet;
class TField;
}  // namespace platform::data

namespace dataaccess {

// Unless Force, an equal value (or Null on Null) writes nothing. Otherwise the
// dataset is put into edit (insert when empty) and the value assigned, or the
// field cleared when AsNull or the value is Null. The read-only flag is restored on every path.
void SetFieldValue(platform::data::TField* Field, const QVariant& Value, bool AsNull = false, bool Force = false);
void ClearFieldValue(platform::data::TField* Field);

// The first dataset editing or inserting, depth-first from the top master of
// DataSet through the details; nullptr when none is.
platform::data::TDataSet* FindEditingDataSet(platform::data::TDataSet* DataSet);

}  // namespace dataaccess
