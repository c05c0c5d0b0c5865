#include "platform/data/Provider.h"

#include <algorithm>
#include <memory>

#include "platform/data/ADODataSet.h"

namespace platform::data {

TDataPacket TDataSetProvider::GetRecords() {
    TDataSet* DS = DataSet();
    if (!DS) DatabaseError(QString("%1: Missing data provider or data packet").arg(objectName()));
    if (auto* Ado = dynamic_cast<TCustomADODataSet*>(DS)) return Ado->FetchPacket();
    const bool WasActive = DS->Active();
    DS->Open();
    TDataPacket Packet = DS->RowsPacket();
    if (!WasActive) DS->Close();
    return Packet;
}

QStringList TDataSetProvider::KeyFieldNames() const {
    QStringList Names;
    if (FDataSet)
        for (TField* F : FDataSet->FieldList())
            if (F->ProviderFlags() & pfInKey) Names << F->FieldName();
    return Names;
}

namespace {

// Rows that share one savepoint where a failed statement poisons the transaction. A failure rolls
// the block back and its rows run again one savepoint each, so a failed row is handled exactly as
// alone while a savepoint costs once per block instead of once per row.
constexpr size_t kRowsPerSavepoint = 128;

TUpdateKind KindOf(const TRecordData& Row) {
    return Row.Status == usInserted ? ukInsert : Row.Status == usDeleted ? ukDelete : ukModify;
}

}  // namespace

TApplyResult TDataSetProvider::ApplyUpdates(const TDelta& Delta, int MaxErrors) {
    auto* Source = dynamic_cast<TCustomADODataSet*>(DataSet());
    if (!Source) DatabaseError(QString("%1: The provider has no query dataset to apply updates to").arg(objectName()));
    TADOConnection& Connection = Source->CheckConnection();
    const TSqlDialect& Dialect = Connection.Dialect();
    QString Table = Source->TableName();
    if (OnGetTableName) OnGetTableName(this, Source, Table);

    std::vector<TResolveField> Fields;
    for (int I = 0; I < Delta.FieldDefs.Count(); ++I)
        Fields.push_back(ResolveFieldOf(Delta.FieldDefs[I], I, Source->FindField(Delta.FieldDefs[I].Name)));
    TSqlResolver Resolver(Connection, Table, FUpdateMode, std::move(Fields));

    // The delta as a dataset, built only when a handler is to see its rows.
    std::unique_ptr<TClientDataSet> DeltaDS;
    size_t DeltaRow = 0;
    auto DeltaAt = [&](size_t I) {
        if (!DeltaDS) {
            DeltaDS = std::make_unique<TClientDataSet>();
            DeltaDS->setObjectName("Delta");
            DeltaDS->SetStatusFilter((1u << usModified) | (1u << usInserted) | (1u << usDeleted));
            DeltaDS->SetData(PacketOf(Delta.FieldDefs, Delta.Rows, true));
            for (TField* F : DeltaDS->FieldList())
                if (TField* S = Source->FindField(F->FieldName())) {
                    F->SetProviderFlags(S->ProviderFlags());
                    F->SetOrigin(S->Origin());
                }
        }
        if (DeltaRow != I + 1) DeltaDS->SetRecNo(static_cast<int>(I) + 1);
        DeltaRow = I + 1;
        return DeltaDS.get();
    };

    const bool OwnTransaction = !Connection.InTransaction();
    if (OwnTransaction) Connection.BeginTrans();
    else Connection.Execute(Dialect.SavepointSql("vex_apply"));
    const bool Savepoints = Dialect.NeedsStatementSavepoints();
    // Handlers may write rows of their own, which a replayed block would write twice.
    const bool Blocks = Savepoints && !BeforeUpdateRecord && !AfterUpdateRecord;
    auto RunIf = [&](const QString& Sql) {
        if (!Sql.isEmpty()) Connection.Execute(Sql);
    };
    auto Write = [&](size_t I) {
        const TRecordData& Row = *Delta.Rows[I];
        const TUpdateKind Kind = KindOf(Row);
        bool Applied = false;
        if (BeforeUpdateRecord) BeforeUpdateRecord(this, Source, DeltaAt(I), Kind, Applied);
        if (!Applied) Resolver.Apply(Kind, Row.Values, Row.Original.empty() ? Row.Values : Row.Original);
        if (AfterUpdateRecord) AfterUpdateRecord(this, Source, DeltaAt(I), Kind);
    };

    TApplyResult Result;
    bool Aborted = false;
    try {
        size_t Next = 0, OneByOneUntil = 0;
        while (Next < Delta.Rows.size() && !Aborted) {
            if (Blocks && Next >= OneByOneUntil) {
                const size_t Start = Next, End = std::min(Delta.Rows.size(), Start + kRowsPerSavepoint);
                RunIf(Dialect.SavepointSql("vex_rows"));
                try {
                    for (; Next < End; ++Next) Write(Next);
                    RunIf(Dialect.ReleaseSavepointSql("vex_rows"));
                } catch (const platform::os::Exception&) {
                    RunIf(Dialect.RollbackToSavepointSql("vex_rows"));
                    RunIf(Dialect.ReleaseSavepointSql("vex_rows"));
                    OneByOneUntil = Next + 1;
                    Next = Start;
                }
                continue;
            }
            const size_t I = Next++;
            if (Savepoints) RunIf(Dialect.SavepointSql("vex_row"));
            try {
                Write(I);
                if (Savepoints) RunIf(Dialect.ReleaseSavepointSql("vex_row"));
            } catch (const platform::os::Exception& E) {
                if (Savepoints) {
                    RunIf(Dialect.RollbackToSavepointSql("vex_row"));
                    RunIf(Dialect.ReleaseSavepointSql("vex_row"));
                }
                const TRecordData& Row = *Delta.Rows[I];
                const QString Message = QString::fromStdString(E.Message());
                TResolverResponse Response = rrSkip;
                if (OnUpdateError) {
                    EUpdateError UpdateError(Message);
                    OnUpdateError(this, DeltaAt(I), UpdateError, KindOf(Row), Response);
                }
                if (Response == rrMerge || Response == rrIgnore) {
                    Result.Merged.push_back(Row.Id);
                    continue;
                }
                ++Result.ErrorCount;
                Result.Errors.push_back(TUpdateErrorInfo{Row.Id, KindOf(Row), Message});
                Aborted = Response == rrAbort || (MaxErrors != -1 && Result.ErrorCount > MaxErrors);
            }
        }
        Result.Committed = !Aborted;
        if (OwnTransaction) {
            if (Result.Committed) Connection.CommitTrans();
            else Connection.RollbackTrans();
        } else if (Result.Committed) {
            RunIf(Dialect.ReleaseSavepointSql("vex_apply"));
        } else {
            RunIf(Dialect.RollbackToSavepointSql("vex_apply"));
            RunIf(Dialect.ReleaseSavepointSql("vex_apply"));
        }
    } catch (...) {
        if (OwnTransaction && Connection.InTransaction()) Connection.RollbackTrans();
        throw;
    }
    if (!Result.Committed) Result.Merged.clear();
    return Result;
}

}  // namespace platform::data
