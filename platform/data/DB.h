#pragma once
// The dataset runtime: values, fields, field and index definitions, the
// dataset state machine with its events, data sources and data links.
// Datasets hold their rows in memory; the client dataset and the query
// dataset differ only in where rows come from and where changes go.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "platform/os/Exceptions.h"

namespace platform::data {

class EDatabaseError : public platform::os::Exception {
public:
    explicit EDatabaseError(const QString& Message) : Exception(Message.toStdString()) {}
    QString Text() const { return QString::fromStdString(Message()); }
};

[[noreturn]] void DatabaseError(const QString& Message);

// Null is a valid variant that holds nothing; Unassigned is the invalid variant.
QVariant Null();
inline bool VarIsNull(const QVariant& V) { return V.isValid() && V.isNull(); }
inline bool VarIsEmpty(const QVariant& V) { return !V.isValid(); }
inline bool VarIsClear(const QVariant& V) { return !V.isValid() || V.isNull(); }

// Numbered as the original enumeration; stored numbers depend on it.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
    ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
    ftTimeStamp, ftFMTBcd
};

bool IsIntegerType(TFieldType T);
bool IsFloatType(TFieldType T);
inline bool IsNumericType(TFieldType T) { return IsIntegerType(T) || IsFloatType(T); }
bool IsStringType(TFieldType T);
bool IsDateTimeType(TFieldType T);
bool IsBlobType(TFieldType T);
// The variant type a value of the field type is held in (UnknownType: any).
int VariantTypeOf(TFieldType Type);
// The variant held for a value of the type: conversions, comparisons and
// storage all go through it so that equal values compare equal.
QVariant ConvertValue(const QVariant& Value, TFieldType Type);
// Nulls first; strings in dictionary order, optionally ignoring case.
int CompareValues(const QVariant& A, const QVariant& B, bool CaseInsensitive = false);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };
using TProviderFlags = unsigned;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
    dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
enum TDataAction { daFail, daAbort, daRetry };
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl
};
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;
enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = unsigned;

// Separators and date formats for texts of fields (Brazilian defaults).
struct TFormatSettings {
    QChar DecimalSeparator = ',';
    QChar ThousandSeparator = '.';
    QString ShortDateFormat = "dd/mm/yyyy";
    QString LongTimeFormat = "hh:nn:ss";
};
TFormatSettings& FormatSettings();
QString FormatFloat(const QString& Format, double Value);
QString FormatDateTime(const QString& Format, const QDateTime& Value);

class TDataSet;
class TDataSource;

struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    bool Required = false;
};

class TFieldDefs {
public:
    TFieldDef& Add(const QString& Name, TFieldType DataType, int Size = 0, bool Required = false);
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TFieldDef& operator[](int Index) { return FItems.at(Index); }
    const TFieldDef& operator[](int Index) const { return FItems.at(Index); }
    int IndexOf(const QString& Name) const;  // ignoring case; -1 when absent
    const TFieldDef* Find(const QString& Name) const;
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TFieldDef> FItems;
};

class TField : public QObject {
    Q_OBJECT
public:
    // A persistent field: created before the dataset opens and bound then.
    TField(TDataSet* DataSet, const QString& FieldName, TFieldType DataType, int Size = 0,
           TFieldKind Kind = fkData);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value) { FFieldName = Value; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    bool Calculated() const { return FFieldKind != fkData; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    int Index() const;  // position among the dataset's fields
    int FieldNo() const { return FFieldNo; }

    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& Value) { FDisplayLabel = Value; }
    QString DisplayName() const { return DisplayLabel(); }
    QString Origin() const { return FOrigin; }
    void SetOrigin(const QString& Value) { FOrigin = Value; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags Value) { FProviderFlags = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    int DisplayWidth() const;
    void SetDisplayWidth(int Value) { FDisplayWidth = Value; }
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& Value) { FEditFormat = Value; }
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& Value) { FEditMask = Value; }
    // "True;False" by default: texts shown and accepted for Boolean fields.
    QString DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& Value) { FDisplayValues = Value; }
    QString DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const QString& Value) { FDefaultExpression = Value; }

    // Lookup fields: the value of LookupResultField in LookupDataSet where
    // LookupKeyFields equal this dataset's KeyFields.
    TDataSet* LookupDataSet() const { return FLookupDataSet.data(); }
    void SetLookupDataSet(TDataSet* Value);
    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& Value) { FKeyFields = Value; }
    QString LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const QString& Value) { FLookupKeyFields = Value; }
    QString LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const QString& Value) { FLookupResultField = Value; }

    QVariant Value() const;
    void SetValue(const QVariant& Value);
    bool IsNull() const { return VarIsClear(Value()); }
    void Clear() { SetValue(Null()); }
    QVariant OldValue() const;
    // The changed value of a row in the change log; Unassigned when unchanged.
    QVariant NewValue() const;
    void SetNewValue(const QVariant& Value) { SetValue(Value); }

    QString AsString() const;
    void SetAsString(const QString& Value);
    int AsInteger() const;
    void SetAsInteger(int Value) { SetValue(Value); }
    qlonglong AsLargeInt() const;
    void SetAsLargeInt(qlonglong Value) { SetValue(Value); }
    double AsFloat() const;
    void SetAsFloat(double Value) { SetValue(Value); }
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double Value) { SetValue(Value); }
    bool AsBoolean() const;
    void SetAsBoolean(bool Value) { SetValue(Value); }
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime& Value) { SetValue(Value); }
    QByteArray AsBytes() const;
    QVariant AsVariant() const { return Value(); }
    void SetAsVariant(const QVariant& Value) { SetValue(Value); }

    // Text for editing, text for display (OnGetText, then the formats).
    QString Text() const;
    void SetText(const QString& Value);
    QString DisplayText() const;

    void FocusControl();
    bool IsBlob() const { return IsBlobType(FDataType); }

    std::function<void(TField* Sender)> OnChange;
    std::function<void(TField* Sender)> OnValidate;
    std::function<void(TField* Sender, const QString& Text)> OnSetText;
    std::function<void(TField* Sender, QString& Text, bool DisplayText)> OnGetText;

private:
    friend class TDataSet;
    QString FormattedText(bool Display) const;
    QVariant ParseText(const QString& Text) const;

    TDataSet* FDataSet;
    QString FFieldName;
    TFieldType FDataType;
    TFieldKind FFieldKind;
    int FSize;
    int FPrecision = 0;
    int FFieldNo = 0;
    int FSlot = -1;  // place of the value in a row
    QString FDisplayLabel, FOrigin, FDisplayFormat, FEditFormat, FEditMask, FDefaultExpression;
    QString FDisplayValues = "True;False";
    TProviderFlags FProviderFlags = pfInUpdate | pfInWhere;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FVisible = true;
    TAlignment FAlignment;
    int FDisplayWidth = 0;
    QPointer<TDataSet> FLookupDataSet;
    QString FKeyFields, FLookupKeyFields, FLookupResultField;
};

// Index options as the original set: descending and case-insensitive apply to
// every field unless DescFields/CaseInsFields name some.
enum TIndexOption : unsigned {
    ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8, ixExpression = 16, ixNonMaintained = 32
};
using TIndexOptions = unsigned;

struct TIndexDef {
    QString Name;
    QString Fields;
    QString DescFields;
    QString CaseInsFields;
    TIndexOptions Options = 0;
    int GroupingLevel = 0;
};

class TIndexDefs {
public:
    TIndexDef& Add(const QString& Name, const QString& Fields, TIndexOptions Options = 0);
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TIndexDef& operator[](int Index) { return FItems.at(Index); }
    const TIndexDef& operator[](int Index) const { return FItems.at(Index); }
    int IndexOf(const QString& Name) const;
    const TIndexDef* Find(const QString& Name) const;  // nullptr when absent
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }

private:
    std::vector<TIndexDef> FItems;
};

// Splits "A;B; C" into trimmed names (empty items dropped).
QStringList SplitFieldNames(const QString& Names);

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

    TDataSet* DataSet() const { return FDataSet.data(); }
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

class TFilterExpression;

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
    std::function<void(TDataSet* DataSet, bool& Accept)> OnFilterRecord;

protected:
    // Fills FieldDefs (when empty) and the rows.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    virtual void InternalRefresh();
    // Stores a posted row; derived datasets write it elsewhere first or log it.
    // Answers the stored row (nullptr when the row is not kept).
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
    TField* FieldBySlot(int Slot) const;
    int SlotCount() const { return FFieldDefs.Count() + FCalcCount; }
    // Runs an operation with the error event's retry/abort protocol.
    void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
    void ParseFilter();
    bool ViewIsNatural() const;
    // The data fields of the rows, with their change state when asked.
    TDataPacket PacketOf(const std::vector<const TRecordData*>& Rows, bool WithChanges) const;
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
    bool RecordVisible(TRecordData& Record) const;
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
    TIndexDefs FIndexDefs;
    QString FIndexName, FIndexFieldNames;
    QPointer<TDataSource> FMasterSource;
    QString FMasterFields;
    std::unique_ptr<TMasterLink> FMasterLink;
    QVariantList FRangeValues;
    std::vector<int> FRangeSlots;
};

}  // namespace platform::data
