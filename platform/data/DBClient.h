#pragma once
// The in-memory client dataset: rows fetched through a provider (or created
// empty), a change log with original values, delta, apply and reconcile,
// and reconcile.
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

// The changed rows of a client dataset in the order of their changes, as an apply reads them: the dataset's own
// records, borrowed for the call instead of copied into a packet.
struct TDelta {
    const TFieldDefs& FieldDefs;
    std::vector<const TRecordData*> Rows;
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

    std::function<void(TClientDataSet* DataSet, EReconcileError& E, TUpdateKind UpdateKind, TReconcileAction& Action)>
        OnReconcileError;

protected:
    void InternalOpen() override;
    void InternalRefresh() override;
    TRecordData* InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) override;
    void InternalDelete(TRecordData* Record) override;

private:
    void LoadPacket(TDataPacket Packet);
    TDataPacket FetchPacket();
    TDelta Changes() const;
    void MarkChanged(TRecordData& Record);
    void Merge(TRecordData* Record);
    void Revert(TRecordData* Record);
    void Reconcile(const TApplyResult& Result);

    QString FProviderName;
    QPointer<TDataSetProvider> FProvider;
    bool FCreating = false;
    const TDataPacket* FPendingPacket = nullptr;
    bool FLogChanges = true;
    qint64 FChangeSeq = 0;
};

}  // namespace platform::data
