#include "dataaccess/DataSetSort.h"

#include "controls/VexMessage.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/FieldDefs.h"

namespace dataaccess {

using namespace platform::data;

namespace {

const QString kNotSortable = QStringLiteral(
    "O dataset '%1' não é compatível para ordenação.´Somente TADODataSets ou TClientDataSets são permitidos.");
const QString kFieldNotFound = QStringLiteral("O campo '%1' não foi encontrado para a ordenação dos dados.");
const QString kFieldNotSortable = QStringLiteral("O campo '%1' não permite ordenação dos dados.");
const QString kInternalIndex = QStringLiteral("Internal_Index_%1");
const QString kDescending = QStringLiteral(" DESC");

void Inform(const QString& Msg) {
    controls::MessageQueue().AddMessage(Msg, QString(), controls::dkInformation,
                                        controls::ButtonSet({controls::dbOK}), 0, 0);
}

bool Has(const QStringList& List, const QString& Name) { return List.contains(Name, Qt::CaseInsensitive); }

void AddOnce(QStringList& List, const QString& Name) {
    if (!Has(List, Name)) List.append(Name);
}

void AddAllOnce(QStringList& List, const QStringList& Names) {
    for (const QString& Name : Names) AddOnce(List, Name);
}

void RemoveAll(QStringList& List, const QString& Name) {
    List.removeIf([&Name](const QString& Item) { return Item.compare(Name, Qt::CaseInsensitive) == 0; });
}

const TIndexDef* CurrentIndexDef(TDataSet* DataSet) {
    return DataSet->IndexName().isEmpty() ? nullptr : DataSet->IndexDefs().Find(DataSet->IndexName());
}

QStringList SortItems(TDataSet* DataSet, const QString& Ignore) {
    QStringList Fields, Desc, Items;
    GetSortFields(DataSet, Fields, Desc);
    for (const QString& Name : Fields)
        if (Name.compare(Ignore, Qt::CaseInsensitive) != 0) Items.append(Has(Desc, Name) ? Name + kDescending : Name);
    return Items;
}

bool IsMemo(const TField& Field) { return Field.DataType() == ftMemo || Field.DataType() == ftFmtMemo; }

}  // namespace

bool CheckSortable(TDataSet* DataSet) {
    if (qobject_cast<TClientDataSet*>(DataSet) || qobject_cast<TCustomADODataSet*>(DataSet)) return true;
    Inform(kNotSortable.arg(DataSet ? DataSet->Name() : QString()));
    return false;
}

void GetSortFields(TDataSet* DataSet, QStringList& Fields, QStringList& DescFields) {
    Fields.clear();
    DescFields.clear();
    if (!CheckSortable(DataSet)) return;
    Fields = SplitFieldNames(DataSet->IndexFieldNames());
    if (const TIndexDef* Def = CurrentIndexDef(DataSet)) {
        AddAllOnce(Fields, SplitFieldNames(Def->Fields));
        DescFields = SplitFieldNames(Def->DescFields);
    }
}

QString GetSortText(TDataSet* DataSet, const QString& Ignore) {
    if (!CheckSortable(DataSet)) return QString();
    return SortItems(DataSet, Ignore).join(';');
}

int SortFieldCount(TDataSet* DataSet, const QString& Ignore) {
    if (!CheckSortable(DataSet)) return 0;
    return static_cast<int>(SortItems(DataSet, Ignore).size());
}

int GetSortState(TDataSet* DataSet, const QString& FieldName, const QString& IgnoreFields, int& Position) {
    Position = -1;
    if (!CheckSortable(DataSet)) return 0;
    QStringList Fields, Desc;
    GetSortFields(DataSet, Fields, Desc);
    for (const QString& Ignored : SplitFieldNames(IgnoreFields)) RemoveAll(Fields, Ignored);
    for (int I = 0; I < Fields.size(); ++I)
        if (Fields[I].compare(FieldName, Qt::CaseInsensitive) == 0) Position = I;
    if (Position < 0) return 0;
    return Has(Desc, FieldName) ? 2 : 1;
}

void ApplySort(TDataSet* DataSet, const QStringList& Fields, const QStringList& DescFields) {
    if (!CheckSortable(DataSet)) return;
    int Number = 1;
    while (DataSet->IndexDefs().IndexOf(kInternalIndex.arg(Number)) >= 0) ++Number;
    const QString Name = kInternalIndex.arg(Number);
    TIndexDef& Def = DataSet->IndexDefs().Add(Name, Fields.join(';'));
    Def.DescFields = DescFields.join(';');
    Def.GroupingLevel = 1;
    DataSet->SetIndexName(Name);
}

void ToggleSort(TDataSet* DataSet, const QString& FixedFields, const QString& FieldName, bool Multi) {
    if (!CheckSortable(DataSet)) return;
    TField* Field = DataSet->FindField(FieldName);
    if (!Field) return Inform(kFieldNotFound.arg(FieldName));
    if (IsMemo(*Field)) return Inform(kFieldNotSortable.arg(Field->DisplayLabel()));

    QStringList Asc = SplitFieldNames(FixedFields), Desc;
    if (const TIndexDef* Current = CurrentIndexDef(DataSet)) {
        const QStringList CurrentFields = SplitFieldNames(Current->Fields);
        const QStringList CurrentDesc = SplitFieldNames(Current->DescFields);
        if (Multi) {
            AddAllOnce(Asc, CurrentFields);
            AddAllOnce(Desc, CurrentDesc);
        } else if (FixedFields.compare(FieldName, Qt::CaseInsensitive) != 0) {
            if (Has(CurrentFields, FieldName)) AddOnce(Asc, FieldName);
            for (const QString& Name : Asc)
                if (Has(CurrentDesc, Name)) AddOnce(Desc, Name);
        }
    }

    if (Has(Desc, FieldName)) RemoveAll(Desc, FieldName);
    else if (Has(Asc, FieldName)) Desc.append(FieldName);
    else Asc.append(FieldName);
    ApplySort(DataSet, Asc, Desc);
}

QString ReplaceFieldTokens(const QString& Text, TDataSet* DataSet) {
    if (!CheckSortable(DataSet)) return Text;
    QString Result = Text;
    for (qsizetype Open = Text.indexOf('['); Open >= 0; Open = Text.indexOf('[', Open + 1)) {
        const qsizetype Close = Text.indexOf(']', Open + 1);
        if (Close < 0) break;
        const QString Token = Text.mid(Open, Close - Open + 1);
        if (TField* Field = DataSet->FindField(Token.mid(1, Token.size() - 2)))
            Result.replace(Token, Field->Origin(), Qt::CaseInsensitive);
    }
    return Result;
}

}  // namespace dataaccess
