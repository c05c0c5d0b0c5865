#include "platform/data/DataSource.h"

#include "platform/data/DB.h"

namespace platform::data {

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->FLinks.removeAll(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) FDataSource->FLinks.removeAll(this);
    FDataSource = Value;
    if (FDataSource) FDataSource->FLinks.append(this);
    UpdateState();
}

void TDataLink::DataSourceDestroyed() {
    FDataSource = nullptr;
    UpdateState();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

bool TDataLink::Edit() {
    if (FDataSource && !FReadOnly) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::UpdateState() {
    TDataSet* DS = DataSet();
    const bool NowActive = FDataSource && FDataSource->Enabled() && DS && DS->Active();
    if (NowActive != FActive) {
        FActive = NowActive;
        ActiveChanged();
    }
    const TDataSetState S = NowActive ? DS->State() : dsInactive;
    const bool NowEditing = NowActive && !FReadOnly && (S == dsEdit || S == dsInsert || S == dsSetKey);
    if (NowEditing != FEditing) {
        FEditing = NowEditing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field, int Info) {
    switch (Event) {
    case deUpdateState: UpdateState(); break;
    case deFieldChange:
    case deRecordChange:
        if (FActive && !FUpdating) RecordChanged(Field);
        break;
    case deDataSetChange:
        if (FActive) DataSetChanged();
        break;
    case deLayoutChange:
        if (FActive) LayoutChanged();
        break;
    case deDataSetScroll:
        if (FActive) DataSetScrolled(Info);
        break;
    case deUpdateRecord:
        if (FActive) UpdateRecord();
        break;
    case deCheckBrowseMode:
        if (FActive) CheckBrowseMode();
        break;
    case deFocusControl:
        if (FActive) FocusControl(Field);
        break;
    default: break;
    }
}

TDataSource::TDataSource(QObject* AOwner) : QObject(AOwner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    const QList<TDataLink*> Links = FLinks;
    FLinks.clear();
    for (TDataLink* Link : Links) Link->DataSourceDestroyed();
}

TDataSet* TDataSource::DataSet() const { return FDataSet.data(); }

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet.data()) return;
    if (FDataSet) FDataSet->RemoveDataSource(this);
    FDataSet = Value;
    if (Value) Value->AddDataSource(this);
    DataEvent(deUpdateState, nullptr, 0);
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    DataEvent(deUpdateState, nullptr, 0);
}

TDataSetState TDataSource::State() const { return FDataSet ? FDataSet->State() : dsInactive; }

void TDataSource::Edit() {
    if (FAutoEdit && FDataSet && FDataSet->State() == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* DataSet) const {
    for (TDataLink* Link : FLinks)
        if (Link->DetailDataSet() == DataSet) return true;
    return false;
}

void TDataSource::NotifyLinks(TDataEvent Event, TField* Field, int Info) {
    if (FLinks.isEmpty()) return;  // a table's own source, every event of every edited row
    const QList<TDataLink*> Links = FLinks;  // handlers may unlink; a shared copy costs nothing
    for (TDataLink* Link : Links)
        if (FLinks.contains(Link)) Link->DataEvent(Event, Field, Info);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field, int Info) {
    if (Event == deUpdateState) {
        const TDataSetState NewState = (FEnabled && FDataSet) ? FDataSet->State() : dsInactive;
        NotifyLinks(Event, Field, Info);
        if (NewState != FState) {
            FState = NewState;
            if (OnStateChange) OnStateChange(this);
        }
        return;
    }
    if (!FEnabled) return;
    NotifyLinks(Event, Field, Info);
    switch (Event) {
    case deFieldChange: case deRecordChange: case deDataSetChange: case deDataSetScroll: case deLayoutChange:
        if (OnDataChange) OnDataChange(this, Event == deFieldChange ? Field : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default: break;
    }
}

}  // namespace platform::data
