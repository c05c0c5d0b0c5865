#pragma once
// The dataset: the state machine with its events over rows held in memory,
// navigation, editing, bookmarks, searching, filters, order and master/detail.
// The client dataset and the query dataset differ only in where rows come from
// and where changes go. Includes the units a dataset's users need with it.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/data/DataSource.h"
#include "platform/data/DataTypes.h"
#include "platform/data/Field.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/Formats.h"
#include "platform/data/IndexDefs.h"

namespace platform::data {

struct TRecordData {
    std::vector<QVariant> Values;
    std::vector<QVariant> Original;  // values before the first logged change; empty when unchanged
    TUpdateStatus Status = usUnmodified;
    qint64 Id = 0;
    qint64 ChangeSeq = 0;  // order of the last logged change
    bool CalcValid = false;
};

using TBookmark = qint64;  // 0 is no bookmark

// Rows with their change state, as handed between provider and client.
struct TDataPacket {
    struct TRow {
        std::vector<QVariant> Values;
        std::vector<QVariant> Original;  // empty when unchanged
        TUpdateStatus Status = usUnmodified;
        qint64 RecordId = 0;             // the client row the change came from
    };
    TFieldDefs FieldDefs;
    std::vector<TRow> Rows;
};

// The data fields of the rows, with their change state when asked.
TDataPacket PacketOf(const TFieldDefs& FieldDefs, const std::vector<const TRecordData*>& Rows, bool WithChanges);

class TFilterExpression;
class TFilterTextCache;

class TDataSet : public QObject {
    Q_OBJECT
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
    using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;

    explicit TDataSet(QObject* AOwner = nullptr);
    ~TDataSet() override;

    QString Name() const { return objectName(); }
    void SetName(const QString& Value) { setObjectName(Value); }

    // Opening and closing.
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    void Refresh();

    // Fields.
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    const TFieldDefs& FieldDefs() const { return FFieldDefs; }
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int Index) const { return FFields.at(Index); }
    const std::vector<TField*>& FieldList() const { return FFields; }
    TField* FindField(const QString& FieldName) const;
    TField* FieldByName(const QString& FieldName) const;  // EDatabaseError when missing
    // Values of several fields ("A;B") as one value or a list of values.
    QVariant FieldValues(const QString& FieldNames) const;
    void SetFieldValues(const QString& FieldNames, const QVariant& Values);
    // Each field's value, in the order of FieldList(), over the first entries of Out: a snapshot of the row,
    // cheaper than asking field by field.
    void CopyFieldValues(std::span<QVariant> Out) const;
    // Fields from the definitions; persistent fields stay.
    void CreateFields();
    void DestroyFields();
    bool DefaultFields() const { return FDefaultFields; }

    // Navigation.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return FView.empty(); }
    int RecordCount() const { return static_cast<int>(FView.size()); }
    int RecNo() const;  // 1-based; -1 when inserting or empty
    void SetRecNo(int Value);

    // Editing.
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void AppendRecord(const QVariantList& Values);
    void InsertRecord(const QVariantList& Values);
    void CheckBrowseMode();
    void UpdateRecord();
    bool Modified() const { return FModified; }
    virtual bool CanModify() const { return !FReadOnly; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TUpdateStatus UpdateStatus() const;
    void ClearFields();

    // Bookmarks: stable as long as the row exists.
    TBookmark GetBookmark() const;
    TBookmark Bookmark() const { return GetBookmark(); }
    void GotoBookmark(TBookmark Value);
    void SetBookmark(TBookmark Value) { GotoBookmark(Value); }
    bool BookmarkValid(TBookmark Value) const;
    int CompareBookmarks(TBookmark A, TBookmark B) const;

    // The rows as a grid shows them: the visible rows plus the row being
    // inserted, in place. Reading a shown row neither moves the cursor nor
    // fires any event, so a grid reads only the rows on its screen.
    int DisplayRecordCount() const;
    // The shown row the cursor stands on; -1 when there is none.
    int ActiveDisplayIndex() const;
    // Runs Reader while the fields show row Index (0-based); the active row
    // shows its pending edits.
    void ReadDisplayRecord(int Index, const std::function<void()>& Reader) const;
    // The bookmark of shown row Index; 0 for the row being inserted.
    TBookmark DisplayBookmark(int Index) const;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Searching: Values is one value or a list with one value per field.
    bool Locate(const QString& KeyFields, const QVariant& KeyValues, TLocateOptions Options = 0);
    QVariant Lookup(const QString& KeyFields, const QVariant& KeyValues, const QString& ResultFields);

    // Filtering.
    QString Filter() const { return FFilterText; }
    void SetFilter(const QString& Value);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    void SetFilterOptions(TFilterOptions Value);
    // Rows of these update statuses only (bits 1 << usModified ...); 0 shows every row not deleted.
    unsigned StatusFilter() const { return FStatusFilter; }
    void SetStatusFilter(unsigned Value);
    // The visible rows of the data fields.
    TDataPacket RowsPacket() const;
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }

    // Datasets that follow this one through a master link.
    QList<TDataSet*> GetDetailDataSets() const;

    // Order: IndexFieldNames (ascending) or the index definition named by IndexName.
    TIndexDefs& IndexDefs() { return FIndexDefs; }
    QString IndexName() const { return FIndexName; }
    void SetIndexName(const QString& Value);
    QString IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const QString& Value);
    // The fields of the current order ("A;B").
    QString IndexFields() const;

    // A detail shows the rows whose first index fields (or, without an order,
    // the fields of the same names) equal MasterFields of the master's current row.
    TDataSource* MasterSource() const { return FMasterSource.data(); }
    void SetMasterSource(TDataSource* Value);
    QString MasterFields() const { return FMasterFields; }
    void SetMasterFields(const QString& Value);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;
    // A Post or Delete raised after its Before event ran and before its After event, whatever the error
    // (not only a database one): listeners that began work in the Before event undo it here.
    TDataSetNotifyEvent OnChangeFailed;
    std::function<void(TDataSet* DataSet, bool& Accept)> OnFilterRecord;

protected:
    // Fills FieldDefs (when empty) and the rows.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    virtual void InternalRefresh();
    // Stores a posted row; derived datasets write it elsewhere first or log it.
    // Answers the stored row (nullptr when the row is not kept). Values may be taken over once nothing can fail.
    virtual TRecordData* InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt);
    virtual void InternalDelete(TRecordData* Record);
    virtual void InternalEdit() {}

    void DataEvent(TDataEvent Event, TField* Field = nullptr, int Info = 0);
    void SetState(TDataSetState Value);
    void CheckActive() const;
    void CheckInactive() const;
    void CheckEditing() const;
    // Rebuilds the visible rows and keeps the current row when it stays visible.
    void Resync(TRecordData* Target = nullptr);
    void ResetView();
    TRecordData* CurrentRecord() const;
    TRecordData* AddRecord(std::vector<QVariant> Values, int At = -1);
    int StoreIndexOf(const TRecordData* Record) const;
    std::vector<std::unique_ptr<TRecordData>>& Records() { return FRecords; }
    const std::vector<std::unique_ptr<TRecordData>>& Records() const { return FRecords; }
    void ClearRecords();
    // Called by every change of the stored rows' values or of which rows are stored:
    // text kept for filters is made again.
    void RowsChanged() { ++FRowsGeneration; }
    TField* FieldBySlot(int Slot) const;
    int SlotCount() const { return FFieldDefs.Count() + FCalcCount; }
    // Runs an operation with the error event's retry/abort protocol.
    void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
    // Runs the steps of a Post or Delete between its Before and After events, firing OnChangeFailed if they raise.
    void ReportChangeFailure(const std::function<void()>& Steps);
    void ParseFilter();
    bool ViewIsNatural() const;
    // Copies the row of Packet whose key fields equal the current row's; false when none does.
    bool RefreshCurrentFrom(const TDataPacket& Packet, QStringList KeyNames);

private:
    friend class TField;
    friend class TDataSource;
    class TMasterLink;
    struct TSortKey {
        int Slot;
        bool Descending;
        bool CaseInsensitive;
    };
    // The order of rows; empty for the natural order.
    std::vector<TSortKey> SortKeys() const;
    void OrderChanged();
    // A detail: the master's row changed.
    void MasterChanged();
    void ComputeRange(std::vector<int>& Slots, QVariantList& Values) const;
    QList<TField*> DetailKeyFields() const;
    QVariantList MasterValues() const;
    // Initial values of a new row (a detail takes its master's values).
    void InitRecord(std::vector<QVariant>& Values);
    // Rows shown besides the filter (a detail shows its master's rows).
    bool RecordInRange(const TRecordData& Record) const;
    bool HasRange() const;
    const std::vector<QVariant>* ActiveValues() const;
    // Where the row being inserted is shown among the visible rows; -1 when not inserting.
    int InsertDisplayIndex() const;
    // The stored row shown at Index; none for the row being inserted.
    TRecordData* DisplayRecord(int Index) const;
    QVariant GetFieldValue(const TField* Field) const;
    void SetFieldValue(TField* Field, const QVariant& Value);
    QVariant RecordValue(TRecordData& Record, const TField* Field) const;
    void CalculateFields(std::vector<QVariant>& Values) const;
    void RemoveField(TField* Field);
    void BindFields();
    void BeginInsertAppend();
    void EndInsertAppend(int InsertAt);
    void CheckRequiredFields();
    // Verdict: the filter expression's verdict on the row when already decided.
    bool RecordVisible(TRecordData& Record, const char* Verdict = nullptr) const;
    // The filter expression's verdict on every stored row, decided a column at a time when it only
    // matches stored text; empty when rows are tested one by one.
    std::vector<char> FilterVerdicts();
    void SortView();
    void MoveTo(int Index);
    void ApplyDefaults();
    int FindRecord(const QList<TField*>& Fields, const QVariantList& Values, TLocateOptions Options) const;
    QVariantList KeyValueList(const QList<TField*>& Fields, const QVariant& KeyValues) const;
    QList<TField*> FieldsOf(const QString& Names) const;
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);

    TDataSetState FState = dsInactive;
    TFieldDefs FFieldDefs;
    std::vector<TField*> FFields;
    bool FDefaultFields = false;
    int FCalcCount = 0;
    std::vector<std::unique_ptr<TRecordData>> FRecords;
    std::vector<TRecordData*> FView;
    int FCurrent = -1;  // index into FView
    bool FBof = true, FEof = true;
    std::vector<QVariant> FBuffer;  // the row being edited or inserted
    int FInsertAt = -1;             // store index of the new row; -1 appends
    mutable const std::vector<QVariant>* FTempValues = nullptr;  // calc and filter passes
    mutable TDataSetState FTempState = dsInactive;
    const TField* FPendingField = nullptr;  // the field being validated and its new value
    QVariant FPendingValue;
    std::vector<TField*> FFilterFields;
    bool FModified = false;
    bool FReadOnly = false;
    bool FAutoCalcFields = true;
    qint64 FNextId = 1;
    int FDisableCount = 0;
    bool FEventsPending = false;
    QList<TDataSource*> FDataSources;
    QString FFilterText;
    bool FFiltered = false;
    unsigned FStatusFilter = 0;
    TFilterOptions FFilterOptions = 0;
    std::unique_ptr<TFilterExpression> FFilterExpr;
    std::unique_ptr<TFilterTextCache> FFilterTexts;
    quint64 FRowsGeneration = 0;
    TIndexDefs FIndexDefs;
    QString FIndexName, FIndexFieldNames;
    QPointer<TDataSource> FMasterSource;
    QString FMasterFields;
    std::unique_ptr<TMasterLink> FMasterLink;
    QVariantList FRangeValues;
    std::vector<int> FRangeSlots;
};

}  // namespace platform::data
