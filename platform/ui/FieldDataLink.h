#pragma once
// The link of a data-aware control to one field of a data source's dataset.
// The control shows the field on every data change; a key that would change
// its text first puts the dataset in edit (auto-edit) and is refused when the
// field cannot be changed; Esc gives back the field's value; leaving the
// control writes its value to the field, and a value the field refuses is
// reported while the control keeps the focus.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "platform/data/DB.h"

class QKeyEvent;

namespace platform::ui {

class TFieldDataLink : public platform::data::TDataLink {
public:
    explicit TFieldDataLink(QWidget* Control);

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    // The dataset's field of that name; none while inactive or missing.
    platform::data::TField* Field() const { return FField; }
    // The field and its dataset accept changes through this link.
    bool CanModify() const;
    // Puts the dataset in edit when it is browsing; true when it is editing.
    bool Edit();
    // The control's value differs from the field's until written or reset.
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // Shows the field's value again, dropping the control's change.
    void Reset();

    // For the control's key handler: a key that changes text starts an edit;
    // false when the key must be dropped because the field cannot change.
    bool KeyMayEdit(const QKeyEvent* Key);
    // The same, and Esc takes back a change: true when the key is used up
    // here and the control must not see it.
    bool ConsumesKey(const QKeyEvent* Key);
    // For the control's focus-out: writes a changed value; on a refused value
    // the error is reported, the control gets the focus back and false is answered.
    bool UpdateOnExit();

    std::function<void()> OnDataChange;
    std::function<void()> OnEditingChange;
    std::function<void()> OnActiveChange;
    // Writes the control's value to the field.
    std::function<void()> OnUpdateData;

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(platform::data::TField* Changed) override;
    void EditingChanged() override;
    void UpdateData() override;
    void FocusControl(platform::data::TField* Target) override;

private:
    void UpdateField();

    QPointer<QWidget> FControl;
    QString FFieldName;
    platform::data::TField* FField = nullptr;
    bool FModified = false;
};

}  // namespace platform::ui
