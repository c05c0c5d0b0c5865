#include "platform/ui/DBLookup.h"

#include <QKeyEvent>

#include "platform/ui/Messages.h"

namespace platform::ui {

using platform::data::TDataSet;
using platform::data::TField;

class TDBLookupComboBox::TListLink : public platform::data::TDataLink {
public:
    explicit TListLink(TDBLookupComboBox* Combo) : FCombo(Combo) {}

protected:
    void ActiveChanged() override { FCombo->ReadList(); }
    void DataSetChanged() override { FCombo->ReadList(); }
    // Moving the list's cursor changes no item.
    void DataSetScrolled(int) override {}
    void RecordChanged(TField*) override { FCombo->ReadList(); }

private:
    TDBLookupComboBox* FCombo;
};

TDBLookupComboBox::TDBLookupComboBox(QWidget* AParent)
    : QComboBox(AParent),
      FDataLink(std::make_unique<TFieldDataLink>(this)),
      FListLink(std::make_unique<TListLink>(this)) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    connect(this, &QComboBox::activated, this, [this](int Index) { Chosen(Index); });
}

TDBLookupComboBox::~TDBLookupComboBox() {
    FListLink.reset();
    FDataLink.reset();
}

platform::data::TDataSource* TDBLookupComboBox::ListSource() const { return FListLink->DataSource(); }

void TDBLookupComboBox::SetListSource(platform::data::TDataSource* Value) {
    FListLink->SetDataSource(Value);
    ReadList();
}

void TDBLookupComboBox::SetKeyField(const QString& Value) {
    FKeyField = Value;
    ReadList();
}

void TDBLookupComboBox::SetListField(const QString& Value) {
    FListField = Value;
    ReadList();
}

QVariant TDBLookupComboBox::KeyValue() const {
    return currentIndex() >= 0 ? itemData(currentIndex()) : platform::data::Null();
}

void TDBLookupComboBox::ReadList() {
    {
        const QSignalBlocker Quiet(this);
        clear();
        TDataSet* List = FListLink && FListLink->Active() ? FListLink->DataSet() : nullptr;
        TField* Key = List ? List->FindField(FKeyField) : nullptr;
        TField* Shown = List ? List->FindField(FListField.isEmpty() ? FKeyField : FListField) : nullptr;
        if (Key && Shown)
            for (int Row = 0; Row < List->DisplayRecordCount(); ++Row)
                List->ReadDisplayRecord(Row, [&] { addItem(Shown->DisplayText(), Key->Value()); });
    }
    DataChange();
}

void TDBLookupComboBox::DataChange() {
    if (!FDataLink) return;
    TField* F = Field();
    int Found = -1;
    if (F && !F->IsNull())
        for (int I = 0; I < count() && Found < 0; ++I)
            if (platform::data::CompareValues(itemData(I), F->Value()) == 0) Found = I;
    const QSignalBlocker Quiet(this);
    setCurrentIndex(Found);
    setEnabled(!F || FDataLink->CanModify() || !FDataLink->Active());
}

void TDBLookupComboBox::Chosen(int Index) {
    const QVariant Key = itemData(Index);
    const bool Written = RunGuarded([&] {
        if (FDataLink->Edit() && Field()) Field()->SetValue(Key);
    });
    // A refused key (or a dataset that cannot edit) shows the field's value again.
    if (!Written || !FDataLink->Editing()) DataChange();
}

void TDBLookupComboBox::keyPressEvent(QKeyEvent* Event) {
    // Del and Backspace clear the key, as an empty choice.
    if ((Event->key() == Qt::Key_Delete || Event->key() == Qt::Key_Backspace) && Field()) {
        RunGuarded([&] {
            if (FDataLink->Edit()) Field()->Clear();
        });
        Event->accept();
        return;
    }
    QComboBox::keyPressEvent(Event);
}

}  // namespace platform::ui
