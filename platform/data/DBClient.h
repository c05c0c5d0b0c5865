#pragma once
// The in-memory client dataset: rows fetched through a provider (or created
// empty), a change log with original values, delta, apply and reconcile,
// index definitions, master/detail ranges.
#include <QPointer>

#include "platform/data/DB.h"

namespace platform::data {

class TDataSetProvider;
class TClientDataSet;

enum TReconcileAction { raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh };

class EReconcileError : public EDatabaseError {
public:
    EReconcileError(const QString& Message, int ErrorCode = 0) : EDatabaseError(Message), FErrorCode(ErrorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// One row the provider could not apply.
struct TUpdateErrorInfo {
    qint64 RecordId = 0;
    TUpdateKind UpdateKind = ukModify;
    QString Message;
};

struct TApplyResult {
    int ErrorCount = 0;
    bool Committed = true;  // false: every change of the apply was rolled back
    std::vector<TUpdateErrorInfo> Errors;
    std::vector<qint64> Merged;  // rows whose failure a handler chose to treat as applied
};

class TClientDataSet : public TDataSet {
    Q_OBJECT
public:
    explicit TClientDataSet(QObject* AOwner = nullptr);
    ~TClientDataSet() override;

    // The provider is found by name among the owner's components, or set directly.
    QString ProviderName() const { return FProviderName; }
    void SetProviderName(const QString& Value);
    TDataSetProvider* Provider() const;
    void SetProvider(TDataSetProvider* Value);

    // An empty dataset from FieldDefs (or from the persistent fields).
    void CreateDataSet();
    void EmptyDataSet();
    TDataPacket Data() const;
    void SetData(const TDataPacket& Value);
    TDataPacket Delta() const;

    bool LogChanges() const { return FLogChanges; }
    void SetLogChanges(bool Value) { FLogChanges = Value; }
    int ChangeCount() const;
    void MergeChangeLog();
    void CancelUpdates();
    void RevertRecord();
    // Sends the delta to the provider; answers the number of rows that failed.
    int ApplyUpdates(int MaxErrors);
    // Re-reads the current row through the provider.
    void RefreshRecord();

    TIndexDefs& IndexDefs() { return FIndexDefs; }
    QString IndexName() const { return FIndexName; }
    void SetIndexName(const QString& Value);
    QString IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const QString& Value);
    // The fields of the current order ("A;B").
    QString IndexFields() const;

    TDataSource* MasterSource() const { return FMasterSource.data(); }
    void SetMasterSource(TDataSource* Value);
    QString MasterFields() const { return FMasterFields; }
    void SetMasterFields(const QString& Value);
    TDataSource* MasterDataSource() const override { return FMasterSource.data(); }

    std::function<void(TClientDataSet* DataSet, EReconcileError& E, TUpdateKind UpdateKind, TReconcileAction& Action)>
        OnReconcileError;

protected:
    void InternalOpen() override;
    void InternalRefresh() override;
    TRecordData* InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) override;
    void InternalDelete(TRecordData* Record) override;
    void InitRecord(std::vector<QVariant>& Values) override;
    bool RecordInRange(const TRecordData& Record) const override;
    bool HasRange() const override;
    std::vector<TSortKey> SortKeys() const override;

private:
    class TMasterLink;
    friend class TMasterLink;
    void LoadPacket(TDataPacket Packet);
    TDataPacket FetchPacket();
    void MarkChanged(TRecordData& Record);
    void Merge(TRecordData* Record);
    void Revert(TRecordData* Record);
    void Reconcile(const TApplyResult& Result);
    void OrderChanged();
    void MasterChanged();
    QList<TField*> DetailKeyFields() const;
    QVariantList MasterValues() const;

    QString FProviderName;
    QPointer<TDataSetProvider> FProvider;
    bool FCreating = false;
    const TDataPacket* FPendingPacket = nullptr;
    bool FLogChanges = true;
    qint64 FChangeSeq = 0;
    TIndexDefs FIndexDefs;
    QString FIndexName, FIndexFieldNames;
    QPointer<TDataSource> FMasterSource;
    QString FMasterFields;
    std::unique_ptr<TMasterLink> FMasterLink;
    QVariantList FRangeValues;
    std::vector<int> FRangeSlots;
};

}  // namespace platform::data
