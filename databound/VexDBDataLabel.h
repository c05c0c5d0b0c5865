#pragma once
// The caption of a data-aware control that stands for one dataset field. It
// shows the field's display label unless given a fixed caption, binds its
// control to the field, names the control and itself after the field, and
// keeps automatic clear and search buttons while its division configures the
// field as a reference. In the control, Ctrl+Enter runs the search, and the
// Down key or a search character typed into a read-only reference field opens
// the search combo. Clicks and keys that would change the record do nothing
// while the dataset cannot be edited; errors of the dataset while a field is
// cleared reach the caller. Caption is a fixed caption; blank shows the
// field's display label.
#include <QPointer>

#include "controls/VexDataLabel.h"
#include "databound/DivisionLabel.h"

namespace platform::data {
class TDataSource;
class TField;
}  // namespace platform::data

namespace databound {

class TVexDBDivisao;

class TVexDBLabel : public controls::TCustomVexLabel, public IDivisionLabel {
    Q_OBJECT
public:
    explicit TVexDBLabel(QWidget* AOwner = nullptr);
    ~TVexDBLabel() override;

    bool AutoButtonSearch() const { return FAutoButtonSearch; }
    void SetAutoButtonSearch(bool Value);
    bool AutoButtonClear() const { return FAutoButtonClear; }
    void SetAutoButtonClear(bool Value);
    platform::data::TField* Field() const { return FField; }
    void SetField(platform::data::TField* Value);
    platform::data::TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(platform::data::TDataSource* Value);
    TVexDBDivisao* Divisao() const { return FDivisao; }
    // Moves the label's registration from the old division to the new one.
    void SetDivisao(TVexDBDivisao* Value);
    // After a row is chosen in the search combo, move on as with Enter.
    bool AutoTab() const { return FAutoTab; }
    void SetAutoTab(bool Value) { FAutoTab = Value; }

    // The designer's linking: the first division, data source and unshown field among the owner's components.
    void LinkFromOwner();

    // The binding step: binds, names and equips the control and the buttons from the field and the division.
    void Rebind() override;
    // The dataset may be edited through the data source; RequireAutoEdit also needs AutoEdit unless it is editing already.
    bool CanEdit(bool RequireAutoEdit) const;
    // The division configures Field as a reference that may search by itself.
    bool IsReference() const;
    // Field, or for a join field the search field it is looked up through.
    platform::data::TField* FieldToClear() const;

protected:
    void DoButtonClick(controls::TLabelButton* Button) override;
    void ControlChanged() override { Rebind(); }
    bool ControlEvent(QEvent* Event) override;
    QString GetCaption() const override;

private:
    void Freed();
    void Watch(QObject* Old, QObject* New);
    void BindControl(QWidget* Control);
    void FillComboItems(QWidget* Control);
    // Names the control and the label after the field; false when a name is taken.
    bool NameAfterField(QWidget* Control);
    void KeepAutoButton(controls::TTipoBotao Tipo, bool Keep);
    controls::TLabelButton* EnabledSearchButton() const;
    bool IsCompanionField() const;
    // The search combo opened for a key of the control; the character goes on to its search edit.
    bool OpenSearch(QKeyEvent* Key);

    bool FAutoButtonSearch = true;
    bool FAutoButtonClear = true;
    bool FAutoTab = true;
    QPointer<platform::data::TField> FField;
    QPointer<platform::data::TDataSource> FDataSource;
    QPointer<TVexDBDivisao> FDivisao;
    platform::ui::TFreeNotifier FNotifier;
};

}  // namespace databound
