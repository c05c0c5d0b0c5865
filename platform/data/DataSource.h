#pragma once
// Data sources and data links: how controls and detail datasets follow a
// dataset's state, scrolling and changes. A link leaves a data source that is
// destroyed; a data source leaves a dataset that is destroyed.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/data/DataTypes.h"

namespace platform::data {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // Puts the dataset into edit through the data source (AutoEdit); true when editing.
    bool Edit();
    void UpdateRecord();
    // A master link answers the dataset that follows it.
    virtual TDataSet* DetailDataSet() const { return nullptr; }

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { (void)Distance; DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField* Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, TField* Field, int Info);
    void UpdateState();
    void DataSourceDestroyed();
    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
};

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* AOwner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    TDataSetState State() const;
    void Edit();
    bool IsLinkedTo(const TDataSet* DataSet) const;
    const QList<TDataLink*>& DataLinks() const { return FLinks; }

    std::function<void(QObject* Sender)> OnStateChange;
    std::function<void(QObject* Sender, TField* Field)> OnDataChange;
    std::function<void(QObject* Sender)> OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, TField* Field, int Info);
    void NotifyLinks(TDataEvent Event, TField* Field, int Info);
    QPointer<TDataSet> FDataSet;
    QList<TDataLink*> FLinks;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
};

}  // namespace platform::data
