#include "platform/ui/DBGridColumns.h"

#include <algorithm>

namespace platform::ui {

using platform::data::TAlignment;
using platform::data::TField;

QString TColumnTitle::Caption() const {
    if (FCaption) return *FCaption;
    TField* Field = FColumn->Field();
    return Field ? Field->DisplayLabel() : FColumn->FieldName();
}

void TColumnTitle::SetCaption(const QString& Value) {
    FCaption = Value;
    FColumn->Changed();
}

void TColumnTitle::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FColumn->Changed();
}

void TColumnTitle::SetFont(const TFont& Value) {
    FFont = Value;
    FColumn->Changed();
}

TColumn::TColumn(TDBGridColumns* Owner) : FOwner(Owner), FTitle(this) {}

int TColumn::Index() const { return FOwner->IndexOf(this); }

void TColumn::SetIndex(int Value) { FOwner->Move(Index(), Value); }

void TColumn::SetFieldName(const QString& Value) {
    FFieldName = Value;
    Changed();
}

TField* TColumn::Field() const {
    platform::data::TDataSet* DataSet = FOwner->DataSet();
    return DataSet && !FFieldName.isEmpty() ? DataSet->FindField(FFieldName) : nullptr;
}

int TColumn::Width() const {
    if (FWidth) return *FWidth;
    TField* Field = this->Field();
    const int Chars = Field ? std::max(Field->DisplayWidth(), static_cast<int>(FTitle.Caption().size())) : 10;
    return FOwner->CharsToPixels(Chars);
}

void TColumn::SetWidth(int Value) {
    FWidth = std::max(0, Value);
    Changed();
}

void TColumn::SetVisible(bool Value) {
    FVisible = Value;
    Changed();
}

bool TColumn::ReadOnly() const {
    TField* Field = this->Field();
    return FReadOnly || (Field && (Field->ReadOnly() || Field->FieldKind() == platform::data::fkCalculated));
}

void TColumn::SetReadOnly(bool Value) {
    FReadOnly = Value;
    Changed();
}

TAlignment TColumn::Alignment() const {
    if (FAlignment) return *FAlignment;
    TField* Field = this->Field();
    return Field ? Field->Alignment() : platform::data::taLeftJustify;
}

void TColumn::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Changed();
}

void TColumn::SetColor(QColor Value) {
    FColor = Value;
    Changed();
}

void TColumn::SetFont(const TFont& Value) {
    FFont = Value;
    Changed();
}

void TColumn::Changed() { FOwner->Changed(); }

TDBGridColumns::TDBGridColumns(std::function<platform::data::TDataSet*()> DataSet,
                               std::function<int(int Chars)> CharsToPixels, std::function<void()> Changed)
    : FDataSet(std::move(DataSet)), FCharsToPixels(std::move(CharsToPixels)), FChanged(std::move(Changed)) {}

std::unique_ptr<TColumn> TDBGridColumns::NewColumn() {
    return FColumnFactory ? FColumnFactory(this) : std::make_unique<TColumn>(this);
}

TColumn* TDBGridColumns::Add() {
    if (FState == csDefault) FItems.clear();
    FState = csCustomized;
    FItems.push_back(NewColumn());
    Changed();
    return FItems.back().get();
}

void TDBGridColumns::Delete(int Index) {
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TDBGridColumns::Clear() {
    FItems.clear();
    Changed();
}

void TDBGridColumns::Move(int From, int To) {
    To = std::clamp(To, 0, Count() - 1);
    if (From == To) return;
    std::unique_ptr<TColumn> Moved = std::move(FItems.at(From));
    FItems.erase(FItems.begin() + From);
    FItems.insert(FItems.begin() + To, std::move(Moved));
    Changed();
}

int TDBGridColumns::IndexOf(const TColumn* Column) const {
    for (int I = 0; I < Count(); ++I)
        if (FItems[I].get() == Column) return I;
    return -1;
}

int TDBGridColumns::IndexOfField(const QString& FieldName) const {
    for (int I = 0; I < Count(); ++I)
        if (FItems[I]->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0) return I;
    return -1;
}

void TDBGridColumns::RestoreDefaults() {
    FState = csDefault;
    RebuildDefaults();
}

void TDBGridColumns::RebuildDefaults() {
    if (FState == csCustomized) {
        Changed();
        return;
    }
    FItems.clear();
    if (platform::data::TDataSet* Data = DataSet(); Data && Data->Active())
        for (TField* Field : Data->FieldList())
            if (Field->Visible()) {
                FItems.push_back(NewColumn());
                FItems.back()->FFieldName = Field->FieldName();
            }
    Changed();
}

}  // namespace platform::ui
