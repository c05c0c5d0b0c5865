#include "platform/data/DBClient.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/data/Provider.h"

namespace platform::data {

TClientDataSet::TClientDataSet(QObject* AOwner) : TDataSet(AOwner) {}

TClientDataSet::~TClientDataSet() = default;

// Provider ----------------------------------------------------------------

void TClientDataSet::SetProviderName(const QString& Value) {
    FProviderName = Value;
    FProvider = nullptr;
}

TDataSetProvider* TClientDataSet::Provider() const {
    if (FProvider) return FProvider.data();
    if (FProviderName.isEmpty() || !parent()) return nullptr;
    for (auto* P : parent()->findChildren<TDataSetProvider*>(QString(), Qt::FindDirectChildrenOnly))
        if (P->objectName().compare(FProviderName, Qt::CaseInsensitive) == 0) return P;
    return nullptr;
}

void TClientDataSet::SetProvider(TDataSetProvider* Value) {
    FProvider = Value;
    FProviderName = Value ? Value->objectName() : QString();
}

// Opening ---------------------------------------------------------------

void TClientDataSet::CreateDataSet() {
    CheckInactive();
    if (FieldDefs().Count() == 0)
        for (TField* F : FieldList())
            if (F->FieldKind() == fkData) FieldDefs().Add(F->FieldName(), F->DataType(), F->Size(), F->Required());
    if (FieldDefs().Count() == 0) DatabaseError(QString("%1: Field definitions missing").arg(Name()));
    FCreating = true;
    try {
        Open();
    } catch (...) {
        FCreating = false;
        throw;
    }
    FCreating = false;
}

void TClientDataSet::InternalOpen() {
    if (FCreating) return;
    if (FPendingPacket) {
        LoadPacket(TDataPacket(*FPendingPacket));
        return;
    }
    LoadPacket(FetchPacket());
}

TDataPacket TClientDataSet::FetchPacket() {
    TDataSetProvider* P = Provider();
    if (!P) DatabaseError(QString("%1: Missing data provider or data packet").arg(Name()));
    return P->GetRecords();
}

void TClientDataSet::LoadPacket(TDataPacket Packet) {
    if (FieldDefs().Count() == 0)
        for (const TFieldDef& Def : Packet.FieldDefs) FieldDefs().Add(Def.Name, Def.DataType, Def.Size, Def.Required).Precision = Def.Precision;
    // Packet columns by position onto this dataset's definitions by name.
    struct TColumn {
        int Slot;
        TFieldType Type;
        bool Convert;
    };
    std::vector<TColumn> Columns;
    for (const TFieldDef& Def : Packet.FieldDefs) {
        const int Slot = FieldDefs().IndexOf(Def.Name);
        const TFieldType Type = Slot < 0 ? ftUnknown : FieldDefs()[Slot].DataType;
        Columns.push_back(TColumn{Slot, Type, Slot >= 0 && Type != Def.DataType});
    }
    const int Slots = FieldDefs().Count();
    bool Identity = static_cast<int>(Columns.size()) == Slots;
    for (size_t C = 0; C < Columns.size(); ++C) Identity = Identity && Columns[C].Slot == static_cast<int>(C) && !Columns[C].Convert;
    auto Map = [&](std::vector<QVariant>& Source) {
        if (Identity) return std::move(Source);
        std::vector<QVariant> Out(Slots, Null());
        for (size_t C = 0; C < Columns.size() && C < Source.size(); ++C) {
            if (Columns[C].Slot < 0) continue;
            Out[Columns[C].Slot] = Columns[C].Convert ? ConvertValue(Source[C], Columns[C].Type) : Source[C];
        }
        return Out;
    };
    Records().reserve(Packet.Rows.size());
    for (TDataPacket::TRow& Row : Packet.Rows) {
        TRecordData* Rec = AddRecord(Map(Row.Values));
        if (!Row.Original.empty()) Rec->Original = Map(Row.Original);
        Rec->Status = Row.Status;
        if (Row.Status != usUnmodified) Rec->ChangeSeq = ++FChangeSeq;
    }
}

void TClientDataSet::InternalRefresh() {
    if (ChangeCount() > 0) DatabaseError(QString("%1: Must apply updates before refreshing data").arg(Name()));
    if (!Provider()) return;
    TDataPacket Packet = FetchPacket();
    ClearRecords();
    LoadPacket(std::move(Packet));
    for (auto& Rec : Records()) Rec->Values.resize(SlotCount());
}

void TClientDataSet::RefreshRecord() {
    CheckBrowseMode();
    TRecordData* Rec = CurrentRecord();
    if (!Rec) return;
    if (Rec->Status != usUnmodified) DatabaseError(QString("%1: Must apply updates before refreshing data").arg(Name()));
    TDataSetProvider* P = Provider();
    if (!P) DatabaseError(QString("%1: Missing data provider or data packet").arg(Name()));
    if (!RefreshCurrentFrom(P->GetRecords(), P->KeyFieldNames()))
        DatabaseError(QString("%1: Record not found or changed by another user").arg(Name()));
}

// Change log ---------------------------------------------------------------

void TClientDataSet::MarkChanged(TRecordData& Record) {
    if (!FLogChanges) return;
    if (Record.Status == usUnmodified) {
        Record.Original.assign(Record.Values.begin(), Record.Values.begin() + FieldDefs().Count());
        Record.Status = usModified;
    }
    Record.ChangeSeq = ++FChangeSeq;
}

TRecordData* TClientDataSet::InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) {
    if (Existing && FLogChanges && Existing->Status == usUnmodified) {
        // The stored values become the original ones: taken over, not copied, as the posted ones replace them.
        Existing->Original = std::exchange(Existing->Values, std::move(Values));
        RowsChanged();
        Existing->Original.resize(FieldDefs().Count());
        Existing->Status = usModified;
        Existing->ChangeSeq = ++FChangeSeq;
        Existing->CalcValid = false;
        return Existing;
    }
    if (Existing) {
        MarkChanged(*Existing);
        return TDataSet::InternalPost(Existing, Values, InsertAt);
    }
    TRecordData* Rec = TDataSet::InternalPost(nullptr, Values, InsertAt);
    if (FLogChanges) {
        Rec->Status = usInserted;
        Rec->ChangeSeq = ++FChangeSeq;
    }
    return Rec;
}

void TClientDataSet::InternalDelete(TRecordData* Record) {
    if (!FLogChanges || Record->Status == usInserted) {
        TDataSet::InternalDelete(Record);
        return;
    }
    MarkChanged(*Record);
    Record->Status = usDeleted;
}

int TClientDataSet::ChangeCount() const {
    return static_cast<int>(std::count_if(Records().begin(), Records().end(),
                                          [](const auto& R) { return R->Status != usUnmodified; }));
}

void TClientDataSet::Merge(TRecordData* Record) {
    if (Record->Status == usDeleted) {
        TDataSet::InternalDelete(Record);
        return;
    }
    Record->Status = usUnmodified;
    Record->Original.clear();
}

void TClientDataSet::Revert(TRecordData* Record) {
    if (Record->Status == usInserted) {
        TDataSet::InternalDelete(Record);
        return;
    }
    if (!Record->Original.empty()) std::copy(Record->Original.begin(), Record->Original.end(), Record->Values.begin());
    RowsChanged();
    Record->Status = usUnmodified;
    Record->Original.clear();
    Record->CalcValid = false;
}

void TClientDataSet::MergeChangeLog() {
    std::vector<TRecordData*> Changed;
    for (auto& R : Records())
        if (R->Status != usUnmodified) Changed.push_back(R.get());
    for (TRecordData* R : Changed) Merge(R);
    if (Active()) {
        Resync();
        DataEvent(deDataSetChange);
    }
}

void TClientDataSet::CancelUpdates() {
    if (!Active()) return;
    Cancel();
    std::vector<TRecordData*> Changed;
    for (auto& R : Records())
        if (R->Status != usUnmodified) Changed.push_back(R.get());
    for (TRecordData* R : Changed) Revert(R);
    Resync();
    DataEvent(deDataSetChange);
}

void TClientDataSet::RevertRecord() {
    CheckActive();
    if (State() == dsEdit || State() == dsInsert) Cancel();
    if (TRecordData* Rec = CurrentRecord(); Rec && Rec->Status != usUnmodified) {
        Revert(Rec);
        Resync();
        DataEvent(deDataSetChange);
    }
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    Cancel();
    ClearRecords();
    Resync();
    DataEvent(deDataSetChange);
}

TDataPacket TClientDataSet::Data() const {
    std::vector<const TRecordData*> All;
    for (const auto& R : Records()) All.push_back(R.get());
    return PacketOf(FieldDefs(), All, true);
}

void TClientDataSet::SetData(const TDataPacket& Value) {
    Close();
    FPendingPacket = &Value;
    try {
        Open();
    } catch (...) {
        FPendingPacket = nullptr;
        throw;
    }
    FPendingPacket = nullptr;
}

TDelta TClientDataSet::Changes() const {
    TDelta Changed{FieldDefs(), {}};
    for (const auto& R : Records())
        if (R->Status != usUnmodified) Changed.Rows.push_back(R.get());
    std::stable_sort(Changed.Rows.begin(), Changed.Rows.end(),
                     [](const TRecordData* A, const TRecordData* B) { return A->ChangeSeq < B->ChangeSeq; });
    return Changed;
}

TDataPacket TClientDataSet::Delta() const {
    const TDelta Changed = Changes();
    return PacketOf(Changed.FieldDefs, Changed.Rows, true);
}

int TClientDataSet::ApplyUpdates(int MaxErrors) {
    CheckBrowseMode();
    const TDelta Changed = Changes();
    if (Changed.Rows.empty()) return 0;
    TDataSetProvider* P = Provider();
    if (!P) DatabaseError(QString("%1: Missing data provider or data packet").arg(Name()));
    const TApplyResult Result = P->ApplyUpdates(Changed, MaxErrors);
    Reconcile(Result);
    return Result.ErrorCount;
}

void TClientDataSet::Reconcile(const TApplyResult& Result) {
    auto FindRecord = [this](qint64 Id) -> TRecordData* {
        for (auto& R : Records())
            if (R->Id == Id) return R.get();
        return nullptr;
    };
    std::set<qint64> Failed;
    for (const TUpdateErrorInfo& E : Result.Errors) Failed.insert(E.RecordId);
    for (qint64 Id : Result.Merged)
        if (TRecordData* R = FindRecord(Id)) Merge(R);
    if (Result.Committed) {
        std::vector<TRecordData*> Applied;
        for (auto& R : Records())
            if (R->Status != usUnmodified && !Failed.count(R->Id)) Applied.push_back(R.get());
        for (TRecordData* R : Applied) Merge(R);
    }
    Resync();
    for (const TUpdateErrorInfo& Error : Result.Errors) {
        TRecordData* Rec = FindRecord(Error.RecordId);
        if (!Rec) continue;
        if (Rec->Status != usDeleted) {
            Resync(Rec);
        }
        TReconcileAction Action = raSkip;
        EReconcileError E(Error.Message);
        if (OnReconcileError) OnReconcileError(this, E, Error.UpdateKind, Action);
        if (Action == raAbort) break;
        if (Action == raMerge) Merge(Rec);
        else if (Action == raCancel || Action == raRefresh) Revert(Rec);
        Resync();
    }
    DataEvent(deDataSetChange);
}

}  // namespace platform::data
