#include "platform/data/DB.h"

#include <QVarLengthArray>
#include <algorithm>
#include <utility>

#include "platform/data/FilterExpr.h"
#include "platform/data/FilterTextCache.h"

namespace platform::data {

class TDataSet::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TDataSet* Detail) : FDetail(Detail) {}
    TDataSet* DetailDataSet() const override { return FDetail; }

protected:
    void ActiveChanged() override { FDetail->MasterChanged(); }
    void DataSetChanged() override { FDetail->MasterChanged(); }
    void DataSetScrolled(int) override { FDetail->MasterChanged(); }
    void RecordChanged(TField* Field) override {
        if (!Field || SplitFieldNames(FDetail->FMasterFields).contains(Field->FieldName(), Qt::CaseInsensitive))
            FDetail->MasterChanged();
    }
    // A master that posts or scrolls first settles the detail's pending edit.
    void CheckBrowseMode() override {
        if (FDetail->Active()) FDetail->CheckBrowseMode();
    }

private:
    TDataSet* FDetail;
};

namespace {

// Points field reads at one row (calculation and filter passes) and restores.
class TTempState {
public:
    TTempState(const std::vector<QVariant>*& Values, TDataSetState& State, const std::vector<QVariant>* NewValues,
               TDataSetState NewState)
        : FValues(Values), FState(State), FOldValues(Values), FOldState(State) {
        Values = NewValues;
        State = NewState;
    }
    ~TTempState() {
        FValues = FOldValues;
        FState = FOldState;
    }
    TTempState(const TTempState&) = delete;
    TTempState& operator=(const TTempState&) = delete;

private:
    const std::vector<QVariant>*& FValues;
    TDataSetState& FState;
    const std::vector<QVariant>* FOldValues;
    TDataSetState FOldState;
};

// Points field reads at one row in the filter state, as filter handlers and lookups expect, and restores.
class TFilterState {
public:
    TFilterState(const std::vector<QVariant>*& Values, TDataSetState& TempState, TDataSetState& State,
                 const std::vector<QVariant>& Row)
        : FTemp(Values, TempState, &Row, dsFilter), FState(State), FSaved(State) {
        State = dsFilter;
    }
    ~TFilterState() { FState = FSaved; }
    TFilterState(const TFilterState&) = delete;
    TFilterState& operator=(const TFilterState&) = delete;

private:
    TTempState FTemp;
    TDataSetState& FState;
    TDataSetState FSaved;
};

// One sort key of every visible row, prepared once: text folded for the order,
// numbers and instants as plain numbers. Orders as CompareValues orders values
// of one field type; other kinds of values go through CompareValues.
class TSortColumn {
public:
    TSortColumn(const std::vector<TRecordData*>& Rows, int Slot, bool CaseInsensitive)
        : FCaseInsensitive(CaseInsensitive) {
        FValues.reserve(Rows.size());
        for (const TRecordData* Row : Rows) FValues.push_back(Prepare(Row->Values[Slot]));
    }

    int Compare(int A, int B) const {
        const TValue &X = FValues[A], &Y = FValues[B];
        if (X.Kind == kNull || Y.Kind == kNull) return X.Kind == Y.Kind ? 0 : (X.Kind == kNull ? -1 : 1);
        if (X.Kind != Y.Kind || X.Kind == kOther) return CompareValues(*X.Source, *Y.Source, FCaseInsensitive);
        if (X.Kind == kWhole) return Sign(X.Whole, Y.Whole);
        if (X.Kind == kReal) return Sign(X.Real, Y.Real);
        const int C = X.Folded.compare(Y.Folded);
        if (C != 0 || FCaseInsensitive) return C < 0 ? -1 : (C > 0 ? 1 : 0);
        // Same letters: lower case first, as dictionary order has it.
        const int Cs = Y.Source->toString().compare(X.Source->toString());
        return Cs < 0 ? -1 : (Cs > 0 ? 1 : 0);
    }

private:
    enum TKind { kNull, kWhole, kReal, kText, kOther };
    struct TValue {
        TKind Kind = kNull;
        qint64 Whole = 0;  // integers, Booleans, dates and times in milliseconds
        double Real = 0;
        QString Folded;
        const QVariant* Source = nullptr;
    };
    template <class T>
    static int Sign(T X, T Y) { return X < Y ? -1 : (X > Y ? 1 : 0); }
    static qint64 DayMs(const QDate& D) { return D.toJulianDay() * 86400000LL; }

    static TValue Prepare(const QVariant& V) {
        TValue Out;
        Out.Source = &V;
        if (VarIsClear(V)) return Out;
        switch (V.typeId()) {
        case QMetaType::QString: Out.Kind = kText; Out.Folded = V.toString().toCaseFolded(); break;
        case QMetaType::Int: case QMetaType::LongLong: case QMetaType::Bool:
            Out.Kind = kWhole;
            Out.Whole = V.toLongLong();
            break;
        case QMetaType::Double: Out.Kind = kReal; Out.Real = V.toDouble(); break;
        case QMetaType::QDate: Out.Kind = kWhole; Out.Whole = DayMs(V.toDate()); break;
        case QMetaType::QTime: Out.Kind = kWhole; Out.Whole = V.toTime().msecsSinceStartOfDay(); break;
        case QMetaType::QDateTime: {
            const QDateTime D = V.toDateTime();
            Out.Kind = kWhole;
            Out.Whole = DayMs(D.date()) + D.time().msecsSinceStartOfDay();
            break;
        }
        default: Out.Kind = kOther; break;
        }
        return Out;
    }

    bool FCaseInsensitive;
    std::vector<TValue> FValues;
};

// The order of rows A and B of Columns under Keys: negative when A comes first, 0 when the keys tie.
template <class TKeys>
int CompareByKeys(const std::vector<TSortColumn>& Columns, const TKeys& Keys, int A, int B) {
    for (size_t K = 0; K < Keys.size(); ++K)
        if (const int C = Columns[K].Compare(A, B); C != 0) return Keys[K].Descending ? -C : C;
    return 0;
}

// True when the row at Index of View, whose values changed, still belongs there: Shown still takes it
// and it is strictly between its neighbours under Keys (a tie leaves the place to the order of the stored rows).
// The rest of the view is unchanged, so the row's place is all that can have moved.
template <class TKeys, class TShown>
bool KeepsItsPlace(const std::vector<TRecordData*>& View, int Index, const TKeys& Keys, bool CalculatedKeys,
                   const TShown& Shown) {
    if (!Shown(*View[Index])) return false;
    if (Keys.empty()) return true;
    if (CalculatedKeys) return false;  // a calculated key is worked out by the full sort
    std::vector<TRecordData*> Around;
    if (Index > 0) Around.push_back(View[Index - 1]);
    Around.push_back(View[Index]);
    if (Index + 1 < static_cast<int>(View.size())) Around.push_back(View[Index + 1]);
    std::vector<TSortColumn> Columns;
    for (const auto& K : Keys) Columns.emplace_back(Around, K.Slot, K.CaseInsensitive);
    for (int I = 0; I + 1 < static_cast<int>(Around.size()); ++I)
        if (CompareByKeys(Columns, Keys, I, I + 1) >= 0) return false;
    return true;
}

void Fire(const TDataSet::TDataSetNotifyEvent& Event, TDataSet* Sender) {
    if (Event) Event(Sender);
}

}  // namespace

TDataSet::TDataSet(QObject* AOwner) : QObject(AOwner), FMasterLink(std::make_unique<TMasterLink>(this)) {}

TDataSet::~TDataSet() {
    // Gone quietly: no events reach handlers whose owners may be gone already.
    FState = dsInactive;
    FMasterLink->SetDataSource(nullptr);
    const QList<TDataSource*> Sources = FDataSources;
    for (TDataSource* Source : Sources) Source->SetDataSet(nullptr);
    for (TField* Field : FFields) Field->FDataSet = nullptr;
    FFields.clear();
}

void TDataSet::AddDataSource(TDataSource* Source) {
    if (!FDataSources.contains(Source)) FDataSources.append(Source);
}

void TDataSet::RemoveDataSource(TDataSource* Source) { FDataSources.removeAll(Source); }

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(QString("%1: Cannot perform this operation on a closed dataset").arg(Name()));
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(QString("%1: Cannot perform this operation on an open dataset").arg(Name()));
}

void TDataSet::CheckEditing() const {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(QString("%1: Dataset not in edit or insert mode").arg(Name()));
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field, int Info) {
    if (FDisableCount > 0 && Event != deUpdateRecord && Event != deCheckBrowseMode && Event != deFocusControl) {
        FEventsPending = true;
        return;
    }
    // A lone source is told at once: nothing is left to walk if it unlinks.
    if (FDataSources.size() == 1) {
        FDataSources.front()->DataEvent(Event, Field, Info);
        return;
    }
    const QList<TDataSource*> Sources = FDataSources;  // handlers may unlink; a shared copy costs nothing
    for (TDataSource* Source : Sources)
        if (FDataSources.contains(Source)) Source->DataEvent(Event, Field, Info);
}

void TDataSet::DisableControls() {
    if (FDisableCount++ == 0) FEventsPending = false;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0 && FEventsPending) {
        FEventsPending = false;
        DataEvent(deUpdateState);
        DataEvent(deDataSetChange);
    }
}

// Fields --------------------------------------------------------------

TField* TDataSet::FindField(const QString& FieldName) const {
    // Names are unique ignoring case, and callers mostly write them as defined: the exact match is cheaper.
    for (TField* F : FFields) {
        const QString& Name = F->FFieldName;
        if (Name.size() == FieldName.size() && (Name.isEmpty() || Name.front() == FieldName.front()) && Name == FieldName)
            return F;
    }
    for (TField* F : FFields)
        if (SameName(F->FFieldName, FieldName)) return F;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& FieldName) const {
    TField* F = FindField(FieldName);
    if (!F) DatabaseError(QString("%1: Field '%2' not found").arg(Name(), FieldName));
    return F;
}

QList<TField*> TDataSet::FieldsOf(const QString& Names) const {
    QList<TField*> Out;
    for (const QString& Name : SplitFieldNames(Names)) Out << FieldByName(Name);
    return Out;
}

QVariant TDataSet::FieldValues(const QString& FieldNames) const {
    const QList<TField*> Fields = FieldsOf(FieldNames);
    if (Fields.size() == 1) return Fields[0]->Value();
    QVariantList Out;
    for (TField* F : Fields) Out << F->Value();
    return Out;
}

void TDataSet::SetFieldValues(const QString& FieldNames, const QVariant& Values) {
    const QList<TField*> Fields = FieldsOf(FieldNames);
    const QVariantList List = KeyValueList(Fields, Values);
    for (int I = 0; I < Fields.size(); ++I) Fields[I]->SetValue(List[I]);
}

void TDataSet::CreateFields() {
    for (int I = 0; I < FFieldDefs.Count(); ++I) {
        const TFieldDef& Def = FFieldDefs[I];
        auto* F = new TField(this, Def.Name, Def.DataType, Def.Size);
        F->SetPrecision(Def.Precision);
        F->SetRequired(Def.Required);
        if (Def.DataType == ftAutoInc) F->SetReadOnly(true);
    }
}

void TDataSet::DestroyFields() {
    CheckInactive();
    for (TField* F : std::vector<TField*>(FFields)) delete F;
    FDefaultFields = false;
}

void TDataSet::RemoveField(TField* Field) {
    FFields.erase(std::remove(FFields.begin(), FFields.end(), Field), FFields.end());
    FFilterFields.clear();
}

TField* TDataSet::FieldBySlot(int Slot) const {
    for (TField* F : FFields)
        if (F->FSlot == Slot && F->FieldKind() == fkData) return F;
    return nullptr;
}

void TDataSet::BindFields() {
    if (FFields.empty()) {
        CreateFields();
        FDefaultFields = true;
    }
    FCalcCount = 0;
    for (TField* F : FFields) {
        if (F->FieldKind() == fkData) {
            const int Slot = FFieldDefs.IndexOf(F->FieldName());
            if (Slot < 0) DatabaseError(QString("%1: Field '%2' not found").arg(Name(), F->FieldName()));
            F->FSlot = Slot;
            F->FFieldNo = Slot + 1;
        }
    }
    for (TField* F : FFields)
        if (F->FieldKind() != fkData) F->FSlot = FFieldDefs.Count() + FCalcCount++;
}

const std::vector<QVariant>* TDataSet::ActiveValues() const {
    if (FTempValues) return FTempValues;
    switch (FState) {
    case dsEdit: case dsInsert: case dsSetKey: return &FBuffer;
    case dsInactive: return nullptr;
    default: {
        TRecordData* Rec = CurrentRecord();
        return Rec ? &Rec->Values : nullptr;
    }
    }
}

QVariant TDataSet::GetFieldValue(const TField* Field) const {
    if (Field == FPendingField) return FPendingValue;
    if (Field->FieldKind() == fkLookup && FTempState != dsCalcFields) {
        TDataSet* Lookup = Field->LookupDataSet();
        if (!Lookup || !Lookup->Active()) return Null();
        const QVariant Keys = FieldValues(Field->KeyFields());
        return Lookup->Lookup(Field->LookupKeyFields(), Keys, Field->LookupResultField());
    }
    const std::vector<QVariant>* Values = ActiveValues();
    if (!Values || Field->FSlot < 0 || Field->FSlot >= static_cast<int>(Values->size())) return Null();
    if (Field->Calculated() && !FTempValues && FState == dsBrowse) {
        TRecordData* Rec = CurrentRecord();
        if (Rec && !Rec->CalcValid) {
            CalculateFields(Rec->Values);
            Rec->CalcValid = true;
        }
    }
    const QVariant& V = (*Values)[Field->FSlot];
    return V.isValid() ? V : Null();
}

void TDataSet::CopyFieldValues(std::span<QVariant> Out) const {
    const std::vector<QVariant>* Values = ActiveValues();
    const size_t Count = std::min(Out.size(), FFields.size());
    for (size_t I = 0; I < Count; ++I) {
        const TField* F = FFields[I];
        // A stored value of a data field is what GetFieldValue answers; anything else asks it.
        const bool Stored = Values && F->FieldKind() == fkData && F != FPendingField && F->FSlot >= 0 &&
                            F->FSlot < static_cast<int>(Values->size()) && (*Values)[F->FSlot].isValid();
        if (Stored) Out[I] = (*Values)[F->FSlot];
        else Out[I] = GetFieldValue(F);
    }
}

QVariant TDataSet::RecordValue(TRecordData& Record, const TField* Field) const {
    if (Field->FieldKind() == fkData) {
        const QVariant& V = Record.Values[Field->FSlot];
        return V.isValid() ? V : Null();
    }
    if (!Record.CalcValid && FCalcCount > 0) {
        CalculateFields(Record.Values);
        Record.CalcValid = true;
    }
    TTempState Temp(FTempValues, FTempState, &Record.Values, dsBrowse);
    return GetFieldValue(Field);
}

int TDataSet::InsertDisplayIndex() const {
    if (FState != dsInsert) return -1;
    // Post puts an inserted row before the current one, an appended row last.
    return FInsertAt >= 0 && FCurrent >= 0 ? FCurrent : static_cast<int>(FView.size());
}

int TDataSet::DisplayRecordCount() const {
    if (!Active()) return 0;
    return static_cast<int>(FView.size()) + (InsertDisplayIndex() >= 0 ? 1 : 0);
}

int TDataSet::ActiveDisplayIndex() const {
    if (!Active()) return -1;
    if (const int Inserting = InsertDisplayIndex(); Inserting >= 0) return Inserting;
    return CurrentRecord() ? FCurrent : -1;
}

TRecordData* TDataSet::DisplayRecord(int Index) const {
    const int Inserting = InsertDisplayIndex();
    if (Index == Inserting) return nullptr;
    const int ViewIndex = Inserting >= 0 && Index > Inserting ? Index - 1 : Index;
    if (ViewIndex < 0 || ViewIndex >= static_cast<int>(FView.size()))
        DatabaseError(QString("%1: Record index %2 out of range").arg(Name()).arg(Index));
    return FView[ViewIndex];
}

TBookmark TDataSet::DisplayBookmark(int Index) const {
    const TRecordData* Record = DisplayRecord(Index);
    return Record ? Record->Id : 0;
}

void TDataSet::ReadDisplayRecord(int Index, const std::function<void()>& Reader) const {
    CheckActive();
    if (Index == ActiveDisplayIndex()) {
        Reader();
        return;
    }
    TRecordData* Record = DisplayRecord(Index);
    if (!Record->CalcValid && FCalcCount > 0) {
        CalculateFields(Record->Values);
        Record->CalcValid = true;
    }
    TTempState Temp(FTempValues, FTempState, &Record->Values, dsBrowse);
    Reader();
}

void TDataSet::CalculateFields(std::vector<QVariant>& Values) const {
    if (FCalcCount == 0) return;
    for (TField* F : FFields)
        if (F->FieldKind() == fkCalculated || F->FieldKind() == fkInternalCalc) Values[F->FSlot] = Null();
    if (!OnCalcFields) return;
    auto* Self = const_cast<TDataSet*>(this);
    const TDataSetState Saved = Self->FState;
    TTempState Temp(FTempValues, FTempState, &Values, dsCalcFields);
    Self->FState = dsCalcFields;
    try {
        OnCalcFields(Self);
    } catch (...) {
        Self->FState = Saved;
        throw;
    }
    Self->FState = Saved;
}

void TDataSet::SetFieldValue(TField* Field, const QVariant& Value) {
    if (FTempState == dsCalcFields) {
        if (!Field->Calculated()) DatabaseError(QString("%1: Dataset not in edit or insert mode").arg(Name()));
        const_cast<std::vector<QVariant>*>(FTempValues)->at(Field->FSlot) = ConvertValue(Value.isValid() ? Value : Null(), Field->DataType());
        return;
    }
    CheckEditing();
    if (Field->ReadOnly() && FState != dsSetKey)
        DatabaseError(QString("Field '%1' cannot be modified").arg(Field->DisplayName()));
    if (Field->FieldKind() == fkLookup) DatabaseError(QString("Field '%1' cannot be modified").arg(Field->DisplayName()));
    QVariant Converted;
    try {
        Converted = ConvertValue(Value.isValid() ? Value : Null(), Field->DataType());
    } catch (const EDatabaseError& E) {
        DatabaseError(QString("%1 for field '%2'").arg(E.Text(), Field->DisplayName()));
    }
    if (Converted.typeId() == QMetaType::QString && Converted.toString().isEmpty() && !Field->IsBlob()) Converted = Null();
    if (Field->OnValidate) {
        FPendingField = Field;
        FPendingValue = Converted;
        try {
            Field->OnValidate(Field);
        } catch (...) {
            FPendingField = nullptr;
            throw;
        }
        FPendingField = nullptr;
    }
    FBuffer[Field->FSlot] = Converted;
    if (!Field->Calculated()) FModified = true;
    if (FAutoCalcFields && FState != dsSetKey) CalculateFields(FBuffer);
    DataEvent(deFieldChange, Field);
    if (Field->OnChange) Field->OnChange(Field);
}

// Opening --------------------------------------------------------------

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    if (Value) {
        Fire(BeforeOpen, this);
        FState = dsOpening;
        try {
            ClearRecords();
            InternalOpen();
            BindFields();
            for (auto& Rec : FRecords) Rec->Values.resize(SlotCount());
            if (FFiltered) ParseFilter();
            ComputeRange(FRangeSlots, FRangeValues);
            ResetView();
        } catch (...) {
            ClearRecords();
            if (FDefaultFields) {
                FState = dsInactive;
                DestroyFields();
            }
            FState = dsInactive;
            throw;
        }
        FState = dsInactive;
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        Fire(AfterOpen, this);
        Fire(AfterScroll, this);
    } else {
        Fire(BeforeClose, this);
        FBuffer.clear();
        SetState(dsInactive);
        InternalClose();
        ClearRecords();
        if (FDefaultFields) DestroyFields();
        Fire(AfterClose, this);
    }
}

void TDataSet::ClearRecords() {
    FView.clear();
    FRecords.clear();
    if (FFilterTexts) FFilterTexts->Clear();
    FCurrent = -1;
    FBof = FEof = true;
}

TRecordData* TDataSet::AddRecord(std::vector<QVariant> Values, int At) {
    auto Rec = std::make_unique<TRecordData>();
    Values.resize(SlotCount());
    Rec->Values = std::move(Values);
    Rec->Id = FNextId++;
    RowsChanged();
    TRecordData* Raw = Rec.get();
    if (At < 0 || At >= static_cast<int>(FRecords.size())) FRecords.push_back(std::move(Rec));
    else FRecords.insert(FRecords.begin() + At, std::move(Rec));
    return Raw;
}

int TDataSet::StoreIndexOf(const TRecordData* Record) const {
    for (size_t I = 0; I < FRecords.size(); ++I)
        if (FRecords[I].get() == Record) return static_cast<int>(I);
    return -1;
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Fire(BeforeRefresh, this);
    InternalRefresh();
    Resync();
    DataEvent(deDataSetChange);
    Fire(AfterRefresh, this);
}

void TDataSet::InternalRefresh() {}

// The view ---------------------------------------------------------------

void TDataSet::ParseFilter() {
    FFilterFields.clear();
    if (!FFilterExpr) return;
    std::vector<TFieldType> Types;
    for (const QString& Name : FFilterExpr->FieldNames()) {
        TField* F = FieldByName(Name);
        FFilterFields.push_back(F);
        Types.push_back(F->DataType());
    }
    FFilterExpr->SetFieldTypes(std::move(Types));
}

bool TDataSet::ViewIsNatural() const {
    return !(FFiltered && (FFilterExpr || OnFilterRecord)) && !HasRange() && SortKeys().empty();
}

bool TDataSet::RecordVisible(TRecordData& Record, const char* Verdict) const {
    if (FStatusFilter ? !(FStatusFilter & (1u << Record.Status)) : Record.Status == usDeleted) return false;
    if (!RecordInRange(Record)) return false;
    if (!FFiltered || (!FFilterExpr && !OnFilterRecord)) return true;
    if (FCalcCount > 0 && !Record.CalcValid) {
        CalculateFields(Record.Values);
        Record.CalcValid = true;
    }
    auto* Self = const_cast<TDataSet*>(this);
    if (Verdict) {
        if (!*Verdict) return false;
    } else if (FFilterExpr) {
        if (FFilterFields.size() != static_cast<size_t>(FFilterExpr->FieldNames().size())) Self->ParseFilter();
        // Stored values are read in place, with no copies: this runs for every row. Lookup
        // values and a value being validated are computed as field reads compute them.
        const qsizetype Count = static_cast<qsizetype>(FFilterFields.size());
        QVarLengthArray<const QVariant*, 8> Row(Count);
        QVarLengthArray<QVariant, 4> Computed;
        Computed.reserve(Count);  // the addresses taken below stay put
        for (qsizetype I = 0; I < Count; ++I) {
            const TField* F = FFilterFields[I];
            if (F->FieldKind() != fkLookup && F != FPendingField && F->FSlot >= 0 &&
                F->FSlot < static_cast<int>(Record.Values.size())) {
                Row[I] = &Record.Values[F->FSlot];
            } else {
                TFilterState State(FTempValues, FTempState, Self->FState, Record.Values);
                Computed.append(GetFieldValue(F));
                Row[I] = &Computed.back();
            }
        }
        if (!FFilterExpr->Evaluate(Row, FFilterOptions)) return false;
    }
    if (!OnFilterRecord) return true;
    TFilterState State(FTempValues, FTempState, Self->FState, Record.Values);
    bool Accept = true;
    OnFilterRecord(Self, Accept);
    return Accept;
}

void TDataSet::SortView() {
    const std::vector<TSortKey> Keys = SortKeys();
    if (Keys.empty()) return;
    if (FCalcCount > 0)
        for (TRecordData* Rec : FView)
            if (!Rec->CalcValid) {
                CalculateFields(Rec->Values);
                Rec->CalcValid = true;
            }
    std::vector<TSortColumn> Columns;
    for (const TSortKey& K : Keys) Columns.emplace_back(FView, K.Slot, K.CaseInsensitive);
    std::vector<int> Order(FView.size());
    for (size_t I = 0; I < Order.size(); ++I) Order[I] = static_cast<int>(I);
    std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) { return CompareByKeys(Columns, Keys, A, B) < 0; });
    std::vector<TRecordData*> Sorted(FView.size());
    for (size_t I = 0; I < Order.size(); ++I) Sorted[I] = FView[Order[I]];
    FView = std::move(Sorted);
}

std::vector<char> TDataSet::FilterVerdicts() {
    if (!FFiltered || !FFilterExpr || !FFilterExpr->IsTextSearch()) return {};
    if (FFilterFields.size() != static_cast<size_t>(FFilterExpr->FieldNames().size())) ParseFilter();
    for (const TField* F : FFilterFields)
        if (F->FieldKind() != fkData || F == FPendingField || F->FSlot < 0) return {};
    if (!FFilterTexts) FFilterTexts = std::make_unique<TFilterTextCache>();
    return FFilterExpr->DecideColumns(
        FRecords.size(), [&](int Ref, const TLikePattern& Pattern, std::vector<char>& Outcomes) {
            const size_t Slot = static_cast<size_t>(FFilterFields[Ref]->FSlot);
            const auto Values = [&] {
                std::vector<const QVariant*> Column(FRecords.size());
                for (size_t I = 0; I < FRecords.size(); ++I)
                    Column[I] = Slot < FRecords[I]->Values.size() ? &FRecords[I]->Values[Slot] : nullptr;
                return Column;
            };
            FFilterTexts->MatchColumn(static_cast<int>(Slot), FRowsGeneration, Values, Pattern,
                                      FFilterOptions & foCaseInsensitive, Outcomes);
        });
}

void TDataSet::ResetView() {
    FView.clear();
    FView.reserve(FRecords.size());
    const std::vector<char> Verdicts = FilterVerdicts();
    // Rows the filter refuses are not even read: most rows, as a search narrows.
    for (size_t I = 0; I < FRecords.size(); ++I)
        if (Verdicts.empty() ? RecordVisible(*FRecords[I]) : Verdicts[I] && RecordVisible(*FRecords[I], &Verdicts[I]))
            FView.push_back(FRecords[I].get());
    SortView();
    FCurrent = FView.empty() ? -1 : 0;
    FBof = true;
    FEof = FView.empty();
}

void TDataSet::Resync(TRecordData* Target) {
    TRecordData* Current = Target ? Target : CurrentRecord();
    const int OldIndex = FCurrent;
    ResetView();
    if (FView.empty()) return;
    auto It = std::find(FView.begin(), FView.end(), Current);
    FCurrent = It != FView.end() ? static_cast<int>(It - FView.begin())
                                 : std::clamp(OldIndex, 0, static_cast<int>(FView.size()) - 1);
    FBof = FEof = false;
}

TRecordData* TDataSet::CurrentRecord() const {
    return FCurrent >= 0 && FCurrent < static_cast<int>(FView.size()) ? FView[FCurrent] : nullptr;
}

// Navigation ------------------------------------------------------------

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    FCurrent = FView.empty() ? -1 : 0;
    FBof = true;
    FEof = FView.empty();
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    FCurrent = static_cast<int>(FView.size()) - 1;
    FEof = true;
    FBof = FView.empty();
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    int Moved = 0;
    if ((Distance > 0 && !FEof) || (Distance < 0 && !FBof)) {
        FBof = FEof = false;
        int Target = FCurrent + Distance;
        const int Count = static_cast<int>(FView.size());
        if (Target >= Count) {
            Target = Count - 1;
            FEof = true;
        }
        if (Target < 0) {
            Target = 0;
            FBof = true;
        }
        Moved = Target - FCurrent;
        FCurrent = Target;
        DataEvent(deDataSetScroll, nullptr, Moved);
    }
    Fire(AfterScroll, this);
    return Moved;
}

int TDataSet::RecNo() const {
    if (FState == dsInsert || FCurrent < 0) return -1;
    return FCurrent + 1;
}

void TDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    if (Value >= 1 && Value <= RecordCount() && Value != RecNo()) MoveTo(Value - 1);
}

void TDataSet::MoveTo(int Index) {
    Fire(BeforeScroll, this);
    FCurrent = Index;
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

// Editing ---------------------------------------------------------------

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent) {
    for (;;) {
        try {
            Operation();
            return;
        } catch (EDatabaseError& E) {
            TDataAction Action = daFail;
            if (ErrorEvent) ErrorEvent(this, E, Action);
            if (Action == daFail) throw;
            if (Action == daAbort) throw platform::os::EAbort();
        }
    }
}

void TDataSet::ReportChangeFailure(const std::function<void()>& Steps) {
    try {
        Steps();
    } catch (...) {
        Fire(OnChangeFailed, this);
        throw;
    }
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified) Post();
        else Cancel();
    } else if (FState == dsSetKey) {
        Post();
    }
}

void TDataSet::UpdateRecord() {
    CheckEditing();
    DataEvent(deUpdateRecord);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QString("%1: Cannot modify a read-only dataset").arg(Name()));
    Fire(BeforeInsert, this);
    Fire(BeforeScroll, this);
}

void TDataSet::ApplyDefaults() {
    for (TField* F : FFields) {
        QString Expr = F->DefaultExpression().trimmed();
        if (Expr.isEmpty() || F->FieldKind() != fkData) continue;
        if (Expr.size() >= 2 && Expr.startsWith('\'') && Expr.endsWith('\'')) Expr = Expr.mid(1, Expr.size() - 2);
        FBuffer[F->FSlot] = ConvertValue(Expr, F->DataType());
    }
}

void TDataSet::EndInsertAppend(int InsertAt) {
    FInsertAt = InsertAt;
    FBuffer.assign(SlotCount(), Null());
    ApplyDefaults();
    InitRecord(FBuffer);
    SetState(dsInsert);
    try {
        CalculateFields(FBuffer);
        Fire(OnNewRecord, this);
    } catch (...) {
        FBuffer.clear();
        SetState(dsBrowse);
        Resync();
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TDataSet::Insert() {
    BeginInsertAppend();
    TRecordData* Current = CurrentRecord();
    EndInsertAppend(Current ? StoreIndexOf(Current) : -1);
}

void TDataSet::Append() {
    BeginInsertAppend();
    EndInsertAppend(-1);
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    CheckActive();
    if (FView.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QString("%1: Cannot modify a read-only dataset").arg(Name()));
    Fire(BeforeEdit, this);
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    TRecordData* Rec = CurrentRecord();
    if (!Rec->CalcValid) CalculateFields(Rec->Values);
    FBuffer = Rec->Values;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit, this);
}

void TDataSet::CheckRequiredFields() {
    for (TField* F : FFields)
        if (F->Required() && !F->ReadOnly() && F->FieldKind() == fkData && VarIsClear(FBuffer[F->FSlot]))
            DatabaseError(QString("Field '%1' must have a value").arg(F->DisplayName()));
}

TRecordData* TDataSet::InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) {
    if (Existing) {
        Existing->Values = std::move(Values);
        RowsChanged();
        Existing->CalcValid = false;
        return Existing;
    }
    return AddRecord(std::move(Values), InsertAt);
}

void TDataSet::InternalDelete(TRecordData* Record) {
    const int I = StoreIndexOf(Record);
    if (I >= 0) FRecords.erase(FRecords.begin() + I);
    RowsChanged();
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost, this);
    ReportChangeFailure([this] {
        const bool Inserting = FState == dsInsert;
        TRecordData* Target = Inserting ? nullptr : CurrentRecord();
        TRecordData* Stored = nullptr;
        CheckOperation(
            [&] {
                CheckRequiredFields();
                Stored = InternalPost(Target, FBuffer, FInsertAt);
            },
            OnPostError);
        FBuffer.clear();
        if (Stored) Stored->CalcValid = false;
        if (Inserting && Stored && ViewIsNatural()) {
            // Keep the natural order without rebuilding the view.
            int At = static_cast<int>(FView.size());
            if (FInsertAt >= 0 && FCurrent >= 0) At = FCurrent;
            FView.insert(FView.begin() + At, Stored);
            FCurrent = At;
            FBof = FEof = false;
        } else if (!ViewIsNatural() || !Stored) {
            // An edited row that keeps its place needs no new view.
            const auto Shown = [this](TRecordData& Record) { return RecordVisible(Record); };
            const bool InPlace = Stored && Stored == CurrentRecord() &&
                                 KeepsItsPlace(FView, FCurrent, SortKeys(), FCalcCount > 0, Shown);
            if (InPlace) FBof = FEof = false;
            else Resync(Stored);
        }
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
    });
    Fire(AfterPost, this);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel, this);
    FBuffer.clear();
    SetState(dsBrowse);
    Resync();
    DataEvent(deDataSetChange);
    Fire(AfterCancel, this);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FView.empty()) DatabaseError(QString("%1: Cannot perform this operation on an empty dataset").arg(Name()));
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete, this);
    ReportChangeFailure([this] {
        Fire(BeforeScroll, this);
        TRecordData* Target = CurrentRecord();
        CheckOperation([&] { InternalDelete(Target); }, OnDeleteError);
        FBuffer.clear();
        if (ViewIsNatural()) {
            FView.erase(FView.begin() + FCurrent);
            if (FCurrent >= static_cast<int>(FView.size())) FCurrent = static_cast<int>(FView.size()) - 1;
            FBof = FEof = FView.empty();
        } else {
            Resync();
        }
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
    });
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

void TDataSet::AppendRecord(const QVariantList& Values) {
    Append();
    for (int I = 0; I < Values.size() && I < FieldCount(); ++I)
        if (Values[I].isValid() && !FFields[I]->ReadOnly()) FFields[I]->SetValue(Values[I]);
    Post();
}

void TDataSet::InsertRecord(const QVariantList& Values) {
    Insert();
    for (int I = 0; I < Values.size() && I < FieldCount(); ++I)
        if (Values[I].isValid() && !FFields[I]->ReadOnly()) FFields[I]->SetValue(Values[I]);
    Post();
}

void TDataSet::ClearFields() {
    CheckEditing();
    for (TField* F : FFields)
        if (F->FieldKind() == fkData && !F->ReadOnly()) FBuffer[F->FSlot] = Null();
    FModified = true;
    DataEvent(deRecordChange);
}

TUpdateStatus TDataSet::UpdateStatus() const {
    if (FState == dsInsert) return usInserted;
    TRecordData* Rec = CurrentRecord();
    return Rec ? Rec->Status : usUnmodified;
}

// Bookmarks ------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const {
    TRecordData* Rec = FState == dsInsert ? nullptr : CurrentRecord();
    return Rec ? Rec->Id : 0;
}

void TDataSet::GotoBookmark(TBookmark Value) {
    CheckBrowseMode();
    for (size_t I = 0; I < FView.size(); ++I)
        if (FView[I]->Id == Value) {
            MoveTo(static_cast<int>(I));
            return;
        }
    DatabaseError(QString("%1: Record not found").arg(Name()));
}

bool TDataSet::BookmarkValid(TBookmark Value) const {
    return Value != 0 && std::any_of(FView.begin(), FView.end(), [&](const TRecordData* R) { return R->Id == Value; });
}

int TDataSet::CompareBookmarks(TBookmark A, TBookmark B) const {
    auto Pos = [&](TBookmark V) {
        for (size_t I = 0; I < FView.size(); ++I)
            if (FView[I]->Id == V) return static_cast<int>(I);
        return -1;
    };
    if (A == B) return 0;
    if (A == 0) return -1;
    if (B == 0) return 1;
    const int PA = Pos(A), PB = Pos(B);
    return PA < PB ? -1 : (PA > PB ? 1 : 0);
}

// Searching ------------------------------------------------------------

QVariantList TDataSet::KeyValueList(const QList<TField*>& Fields, const QVariant& KeyValues) const {
    QVariantList Values;
    if (Fields.size() == 1 && KeyValues.typeId() != QMetaType::QVariantList) Values << KeyValues;
    else Values = KeyValues.toList();
    if (Values.size() != Fields.size())
        DatabaseError(QString("%1: %2 values given for %3 fields").arg(Name()).arg(Values.size()).arg(Fields.size()));
    return Values;
}

int TDataSet::FindRecord(const QList<TField*>& Fields, const QVariantList& Values, TLocateOptions Options) const {
    const bool CaseIns = Options & loCaseInsensitive, Partial = Options & loPartialKey;
    struct TKey {
        const TField* Field;
        QVariant Value;
        bool Prefix;
    };
    std::vector<TKey> Keys;
    for (int I = 0; I < Fields.size(); ++I) {
        const bool Prefix = Partial && IsStringType(Fields[I]->DataType());
        QVariant V = Values[I];
        if (!VarIsClear(V)) {
            try {
                V = ConvertValue(V, Fields[I]->DataType());
            } catch (const EDatabaseError&) {
                return -1;  // a value the field cannot hold matches no row
            }
            if (V.typeId() == QMetaType::QString && V.toString().isEmpty() && !Prefix) V = Null();
        } else {
            V = Null();
        }
        Keys.push_back(TKey{Fields[I], V, Prefix});
    }
    const Qt::CaseSensitivity Cs = CaseIns ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (size_t R = 0; R < FView.size(); ++R) {
        bool Match = true;
        for (const TKey& K : Keys) {
            const QVariant V = RecordValue(*FView[R], K.Field);
            if (VarIsClear(K.Value)) Match = VarIsClear(V);
            else if (VarIsClear(V)) Match = false;
            else if (K.Prefix) Match = V.toString().startsWith(K.Value.toString(), Cs);
            else if (V.typeId() == QMetaType::QString && K.Value.typeId() == QMetaType::QString)
                Match = V.toString().compare(K.Value.toString(), Cs) == 0;
            else Match = CompareValues(V, K.Value, CaseIns) == 0;
            if (!Match) break;
        }
        if (Match) return static_cast<int>(R);
    }
    return -1;
}

bool TDataSet::Locate(const QString& KeyFields, const QVariant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    const QList<TField*> Fields = FieldsOf(KeyFields);
    const QVariantList Values = KeyValueList(Fields, KeyValues);
    // Searched before the scroll events: a Locate that finds nothing does not scroll.
    const int Found = FindRecord(Fields, Values, Options);
    if (Found < 0) return false;
    Fire(BeforeScroll, this);
    FCurrent = Found;
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
    return true;
}

QVariant TDataSet::Lookup(const QString& KeyFields, const QVariant& KeyValues, const QString& ResultFields) {
    CheckActive();
    const QList<TField*> Fields = FieldsOf(KeyFields);
    const int Found = FindRecord(Fields, KeyValueList(Fields, KeyValues), 0);
    if (Found < 0) return Null();
    const QList<TField*> Results = FieldsOf(ResultFields);
    if (Results.size() == 1) return RecordValue(*FView[Found], Results[0]);
    QVariantList Out;
    for (TField* F : Results) Out << RecordValue(*FView[Found], F);
    return Out;
}

// Filtering --------------------------------------------------------------

void TDataSet::SetFilter(const QString& Value) {
    if (Value == FFilterText && (FFilterExpr || Value.trimmed().isEmpty())) return;
    std::unique_ptr<TFilterExpression> Expr;
    if (!Value.trimmed().isEmpty()) Expr = std::make_unique<TFilterExpression>(Value);
    if (Active() && FFiltered) CheckBrowseMode();
    FFilterExpr = std::move(Expr);
    FFilterText = Value;
    FFilterFields.clear();
    if (Active() && FFiltered) {
        ParseFilter();
        ResetView();
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetFiltered(bool Value) {
    if (Value == FFiltered) return;
    if (Active()) CheckBrowseMode();
    FFiltered = Value;
    if (Active()) {
        if (Value) ParseFilter();
        ResetView();
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
    if (Value == FFilterOptions) return;
    if (Active()) CheckBrowseMode();
    FFilterOptions = Value;
    if (Active() && FFiltered) {
        ResetView();
        DataEvent(deDataSetChange);
    }
}

bool TDataSet::RefreshCurrentFrom(const TDataPacket& Packet, QStringList KeyNames) {
    TRecordData* Rec = CurrentRecord();
    if (!Rec) return false;
    const auto Shown = [this](TRecordData& Record) { return RecordVisible(Record); };
    if (KeyNames.isEmpty())
        for (const TFieldDef& Def : Packet.FieldDefs)
            if (!IsBlobType(Def.DataType)) KeyNames << Def.Name;
    std::vector<std::pair<int, int>> Keys;  // packet column, slot
    for (const QString& Key : KeyNames) {
        const int C = Packet.FieldDefs.IndexOf(Key), S = FFieldDefs.IndexOf(Key);
        if (C >= 0 && S >= 0) Keys.emplace_back(C, S);
    }
    const std::vector<QVariant>& Current = Rec->Original.empty() ? Rec->Values : Rec->Original;
    for (const TDataPacket::TRow& Row : Packet.Rows) {
        const bool Match = std::all_of(Keys.begin(), Keys.end(), [&](const auto& K) {
            return CompareValues(ConvertValue(Row.Values[K.first], FFieldDefs[K.second].DataType), Current[K.second]) == 0;
        });
        if (!Match) continue;
        for (int C = 0; C < Packet.FieldDefs.Count(); ++C)
            if (const int S = FFieldDefs.IndexOf(Packet.FieldDefs[C].Name); S >= 0)
                Rec->Values[S] = ConvertValue(Row.Values[C], FFieldDefs[S].DataType);
        RowsChanged();
        Rec->CalcValid = false;
        // Only this row changed: the view is rebuilt only when the row leaves it or its place.
        if (KeepsItsPlace(FView, FCurrent, SortKeys(), FCalcCount > 0, Shown)) FBof = FEof = false;
        else Resync(Rec);
        DataEvent(deDataSetChange);
        return true;
    }
    return false;
}

void TDataSet::SetStatusFilter(unsigned Value) {
    if (Value == FStatusFilter) return;
    if (Active()) CheckBrowseMode();
    FStatusFilter = Value;
    if (Active()) {
        ResetView();
        DataEvent(deDataSetChange);
    }
}

TDataPacket TDataSet::RowsPacket() const {
    return PacketOf(FFieldDefs, std::vector<const TRecordData*>(FView.begin(), FView.end()), false);
}

TDataPacket PacketOf(const TFieldDefs& FieldDefs, const std::vector<const TRecordData*>& Rows, bool WithChanges) {
    TDataPacket Packet;
    Packet.FieldDefs = FieldDefs;
    Packet.Rows.reserve(Rows.size());
    for (const TRecordData* Rec : Rows) {
        TDataPacket::TRow Row;
        Row.Values.assign(Rec->Values.begin(), Rec->Values.begin() + FieldDefs.Count());
        Row.RecordId = Rec->Id;
        if (WithChanges) {
            Row.Original = Rec->Original;
            Row.Status = Rec->Status;
        }
        Packet.Rows.push_back(std::move(Row));
    }
    return Packet;
}

QList<TDataSet*> TDataSet::GetDetailDataSets() const {
    QList<TDataSet*> Out;
    for (TDataSource* Source : FDataSources)
        for (TDataLink* Link : Source->DataLinks())
            if (TDataSet* Detail = Link->DetailDataSet(); Detail && !Out.contains(Detail)) Out << Detail;
    return Out;
}

// Order and range --------------------------------------------------------

void TDataSet::SetIndexName(const QString& Value) {
    FIndexName = Value;
    FIndexFieldNames.clear();
    OrderChanged();
}

void TDataSet::SetIndexFieldNames(const QString& Value) {
    FIndexFieldNames = Value;
    FIndexName.clear();
    OrderChanged();
}

QString TDataSet::IndexFields() const {
    if (!FIndexFieldNames.isEmpty()) return FIndexFieldNames;
    if (FIndexName.isEmpty()) return QString();
    const TIndexDef* Def = FIndexDefs.Find(FIndexName);
    return Def ? Def->Fields : QString();
}

void TDataSet::OrderChanged() {
    if (!Active()) return;
    CheckBrowseMode();
    SortKeys();  // an unknown index raises before anything changes
    FRangeValues.clear();
    MasterChanged();
    Resync();
    DataEvent(deDataSetChange);
}

std::vector<TDataSet::TSortKey> TDataSet::SortKeys() const {
    std::vector<TSortKey> Keys;
    if (!FIndexFieldNames.isEmpty()) {
        for (const QString& Name : SplitFieldNames(FIndexFieldNames))
            Keys.push_back(TSortKey{FieldByName(Name)->FieldNo() - 1, false, false});
    } else if (!FIndexName.isEmpty()) {
        const TIndexDef* Def = FIndexDefs.Find(FIndexName);
        if (!Def) DatabaseError(QString("%1: Index '%2' not found").arg(Name(), FIndexName));
        const QStringList Desc = SplitFieldNames(Def->DescFields), CaseIns = SplitFieldNames(Def->CaseInsFields);
        for (const QString& FieldName : SplitFieldNames(Def->Fields))
            Keys.push_back(TSortKey{FieldByName(FieldName)->FieldNo() - 1,
                                    (Def->Options & ixDescending) || Desc.contains(FieldName, Qt::CaseInsensitive),
                                    (Def->Options & ixCaseInsensitive) || CaseIns.contains(FieldName, Qt::CaseInsensitive)});
    }
    for (TSortKey& K : Keys)
        if (K.Slot < 0) DatabaseError(QString("%1: Calculated fields cannot be index fields").arg(Name()));
    return Keys;
}

void TDataSet::SetMasterSource(TDataSource* Value) {
    if (Value && Value->DataSet() == this) DatabaseError("Circular datalinks are not allowed");
    FMasterSource = Value;
    FRangeValues.clear();
    FMasterLink->SetDataSource(Value);
    MasterChanged();
}

void TDataSet::SetMasterFields(const QString& Value) {
    FMasterFields = Value;
    FRangeValues.clear();
    MasterChanged();
}

bool TDataSet::HasRange() const {
    return FMasterLink->Active() && !FRangeSlots.empty();
}

QList<TField*> TDataSet::DetailKeyFields() const {
    const QStringList Masters = SplitFieldNames(FMasterFields);
    QStringList Details = SplitFieldNames(IndexFields());
    if (Details.isEmpty()) Details = Masters;  // same names on both sides
    QList<TField*> Out;
    for (int I = 0; I < Masters.size() && I < Details.size(); ++I) Out << FieldByName(Details[I]);
    return Out;
}

QVariantList TDataSet::MasterValues() const {
    QVariantList Out;
    TDataSet* Master = FMasterLink->DataSet();
    if (!Master || !Master->Active()) return Out;
    for (const QString& Name : SplitFieldNames(FMasterFields)) Out << Master->FieldByName(Name)->Value();
    return Out;
}

void TDataSet::ComputeRange(std::vector<int>& Slots, QVariantList& Values) const {
    Slots.clear();
    Values.clear();
    if (FMasterLink->Active() && !FMasterFields.isEmpty()) {
        const QList<TField*> Keys = DetailKeyFields();
        const QVariantList Masters = MasterValues();
        for (int I = 0; I < Keys.size() && I < Masters.size(); ++I) {
            Slots.push_back(Keys[I]->FieldNo() - 1);
            QVariant V = Masters[I];
            try {
                V = ConvertValue(V, Keys[I]->DataType());
            } catch (const EDatabaseError&) {
                // A master value the detail key cannot hold matches no row.
            }
            Values << V;
        }
    }
}

void TDataSet::MasterChanged() {
    if (!Active()) return;
    std::vector<int> Slots;
    QVariantList Values;
    ComputeRange(Slots, Values);
    bool Same = Slots == FRangeSlots && Values.size() == FRangeValues.size() && !FRangeValues.isEmpty();
    for (int I = 0; Same && I < Values.size(); ++I)
        Same = CompareValues(Values[I], FRangeValues[I]) == 0 && VarIsClear(Values[I]) == VarIsClear(FRangeValues[I]);
    if (Same) return;
    if (State() == dsEdit || State() == dsInsert) CheckBrowseMode();
    FRangeSlots = Slots;
    FRangeValues = Values;
    ResetView();
    First();
}

bool TDataSet::RecordInRange(const TRecordData& Record) const {
    if (!HasRange()) return true;
    for (size_t I = 0; I < FRangeSlots.size(); ++I) {
        if (CompareValues(Record.Values[FRangeSlots[I]], FRangeValues[static_cast<int>(I)]) != 0) return false;
    }
    return true;
}

void TDataSet::InitRecord(std::vector<QVariant>& Values) {
    if (!HasRange()) return;
    for (size_t I = 0; I < FRangeSlots.size(); ++I) Values[FRangeSlots[I]] = FRangeValues[static_cast<int>(I)];
}

}  // namespace platform::data
