#include "platform/data/Provider.h"

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

TApplyResult TDataSetProvider::ApplyUpdates(const TDataPacket& Delta, int MaxErrors) {
    auto* Source = dynamic_cast<TCustomADODataSet*>(DataSet());
    if (!Source) DatabaseError(QString("%1: The provider has no query dataset to apply updates to").arg(objectName()));
    TADOConnection& Connection = Source->CheckConnection();
    const TSqlDialect& Dialect = Connection.Dialect();
    QString Table = Source->TableName();
    if (OnGetTableName) OnGetTableName(this, Source, Table);

    TClientDataSet DeltaDS;
    DeltaDS.setObjectName("Delta");
    DeltaDS.SetStatusFilter((1u << usModified) | (1u << usInserted) | (1u << usDeleted));
    DeltaDS.SetData(Delta);
    std::vector<TResolveField> Fields;
    for (TField* F : DeltaDS.FieldList()) {
        if (TField* S = Source->FindField(F->FieldName())) {
            F->SetProviderFlags(S->ProviderFlags());
            F->SetOrigin(S->Origin());
        }
        Fields.push_back(ResolveFieldOf(*F));
    }
    TSqlResolver Resolver(Connection, Table, FUpdateMode, std::move(Fields));

    const bool OwnTransaction = !Connection.InTransaction();
    if (OwnTransaction) Connection.BeginTrans();
    else Connection.Execute(Dialect.SavepointSql("vex_apply"));
    const bool RowSavepoints = Dialect.NeedsStatementSavepoints();
    auto RunIf = [&](const QString& Sql) {
        if (!Sql.isEmpty()) Connection.Execute(Sql);
    };

    TApplyResult Result;
    bool Aborted = false;
    try {
        for (size_t I = 0; I < Delta.Rows.size() && !Aborted; ++I) {
            const TDataPacket::TRow& Row = Delta.Rows[I];
            const TUpdateKind Kind = Row.Status == usInserted ? ukInsert : Row.Status == usDeleted ? ukDelete : ukModify;
            DeltaDS.SetRecNo(static_cast<int>(I) + 1);
            if (RowSavepoints) RunIf(Dialect.SavepointSql("vex_row"));
            try {
                bool Applied = false;
                if (BeforeUpdateRecord) BeforeUpdateRecord(this, Source, &DeltaDS, Kind, Applied);
                if (!Applied) Resolver.Apply(Kind, Row.Values, Row.Original.empty() ? Row.Values : Row.Original);
                if (AfterUpdateRecord) AfterUpdateRecord(this, Source, &DeltaDS, Kind);
                if (RowSavepoints) RunIf(Dialect.ReleaseSavepointSql("vex_row"));
            } catch (const platform::os::Exception& E) {
                if (RowSavepoints) {
                    RunIf(Dialect.RollbackToSavepointSql("vex_row"));
                    RunIf(Dialect.ReleaseSavepointSql("vex_row"));
                }
                const QString Message = QString::fromStdString(E.Message());
                TResolverResponse Response = rrSkip;
                if (OnUpdateError) {
                    EUpdateError UpdateError(Message);
                    OnUpdateError(this, &DeltaDS, UpdateError, Kind, Response);
                }
                if (Response == rrMerge || Response == rrIgnore) {
                    Result.Merged.push_back(Row.RecordId);
                    continue;
                }
                ++Result.ErrorCount;
                Result.Errors.push_back(TUpdateErrorInfo{Row.RecordId, Kind, Message});
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
