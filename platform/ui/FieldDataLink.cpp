#include "platform/ui/FieldDataLink.h"

#include <QKeyEvent>
#include <QTimer>

#include "platform/ui/Messages.h"

namespace platform::ui {

using platform::data::TField;

namespace {

// Keys that type, delete, cut or paste.
bool ChangesText(const QKeyEvent* Key) {
    if (Key->matches(QKeySequence::Paste) || Key->matches(QKeySequence::Cut)) return true;
    if (Key->key() == Qt::Key_Backspace || Key->key() == Qt::Key_Delete) return true;
    if (Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    const QString Text = Key->text();
    return !Text.isEmpty() && (Text[0].isPrint() || Text[0] == u'\r');
}

}  // namespace

TFieldDataLink::TFieldDataLink(QWidget* Control) : FControl(Control) {}

void TFieldDataLink::SetFieldName(const QString& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    UpdateField();
}

bool TFieldDataLink::CanModify() const {
    platform::data::TDataSet* Data = Active() ? DataSet() : nullptr;
    return !ReadOnly() && FField && !FField->ReadOnly() && FField->FieldKind() == platform::data::fkData && Data &&
           Data->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return Editing();
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

bool TFieldDataLink::KeyMayEdit(const QKeyEvent* Key) {
    if (!ChangesText(Key)) return true;
    bool Editing = false;
    RunGuarded([&] { Editing = Edit(); });
    return Editing;
}

bool TFieldDataLink::ConsumesKey(const QKeyEvent* Key) {
    if (Key->key() == Qt::Key_Escape && Key->modifiers() == Qt::NoModifier && FModified) {
        Reset();
        return true;
    }
    return !KeyMayEdit(Key);
}

bool TFieldDataLink::UpdateOnExit() {
    if (!FModified || !Active()) return true;
    try {
        UpdateRecord();
        return true;
    } catch (...) {
        HandleException();
        // The focus is already on its way elsewhere: it comes back once it has arrived.
        if (QWidget* Control = FControl) QTimer::singleShot(0, Control, [Control] { Control->setFocus(); });
        return false;
    }
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange();
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* Changed) {
    if (Changed && Changed != FField) return;
    FModified = false;
    if (OnDataChange) OnDataChange();
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::UpdateData() {
    if (!FModified) return;
    if (FField && OnUpdateData) OnUpdateData();
    FModified = false;
}

void TFieldDataLink::FocusControl(TField* Target) {
    if (Target == FField && FControl && FControl->isEnabled()) FControl->setFocus();
}

void TFieldDataLink::UpdateField() {
    platform::data::TDataSet* Data = Active() ? DataSet() : nullptr;
    FField = Data && !FFieldName.isEmpty() ? Data->FindField(FFieldName) : nullptr;
    RecordChanged(nullptr);
}

}  // namespace platform::ui
