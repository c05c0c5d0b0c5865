#include "dataaccess/VexFieldValue.h"

#include <QScopeGuard>

#include "platform/data/DB.h"

namespace dataaccess {

using namespace platform::data;

namespace {

bool Unchanged(const TField& Field, const QVariant& Value, bool AsNull) {
    const QVariant Current = Field.Value();
    if (AsNull || VarIsClear(Value)) return VarIsClear(Current);
    return !VarIsClear(Current) && CompareValues(Current, Value) == 0;
}

TDataSet* FirstEditing(TDataSet* DataSet) {
    if (DataSet->State() == dsEdit || DataSet->State() == dsInsert) return DataSet;
    for (TDataSet* Detail : DataSet->GetDetailDataSets())
        if (TDataSet* Found = FirstEditing(Detail)) return Found;
    return nullptr;
}

}  // namespace

void SetFieldValue(TField* Field, const QVariant& Value, bool AsNull, bool Force) {
    if (!Force && Unchanged(*Field, Value, AsNull)) return;
    const bool ReadOnly = Field->ReadOnly();
    Field->SetReadOnly(false);
    const auto Restore = qScopeGuard([Field, ReadOnly] { Field->SetReadOnly(ReadOnly); });
    TDataSet* DataSet = Field->DataSet();
    if (DataSet->State() != dsEdit && DataSet->State() != dsInsert) {
        if (DataSet->IsEmpty()) DataSet->Insert();
        else DataSet->Edit();
    }
    if (AsNull || VarIsClear(Value)) Field->Clear();
    else if (Field->DataType() == ftLargeint) Field->SetAsLargeInt(Value.toLongLong());
    else Field->SetValue(Value);
}

void ClearFieldValue(TField* Field) { SetFieldValue(Field, Null(), true); }

TDataSet* FindEditingDataSet(TDataSet* DataSet) {
    if (!DataSet) return nullptr;
    TDataSet* Top = DataSet;
    while (TDataSource* Link = Top->MasterSource()) {
        TDataSet* Master = Link->DataSet();
        if (!Master) {
            Top = DataSet;
            break;
        }
        Top = Master;
    }
    return FirstEditing(Top);
}

}  // namespace dataaccess
