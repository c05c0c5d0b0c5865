#include "platform/data/Provider.h"

#include <QRegularExpression>

namespace platform::data {

namespace {

QString Unquote(QString Name) {
    Name = Name.trimmed();
    if (Name.size() < 2) return Name;
    if (Name.startsWith('[') && Name.endsWith(']')) return Name.mid(1, Name.size() - 2).replace("]]", "]");
    if (Name.startsWith('"') && Name.endsWith('"')) return Name.mid(1, Name.size() - 2).replace("\"\"", "\"");
    return Name;
}

// A closing bracket inside the name is written twice.
QString QuoteName(QString Name) {
    static const QRegularExpression Plain("^[A-Za-z_#][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$");
    return Plain.match(Name).hasMatch() ? Name : '[' + Name.replace("]", "]]") + ']';
}

bool Changed(const QVariant& A, const QVariant& B) {
    return VarIsClear(A) != VarIsClear(B) || (!VarIsClear(A) && CompareValues(A, B) != 0);
}

}  // namespace

TResolveField ResolveFieldOf(const TField& Field) {
    TResolveField R;
    const QString Origin = Field.Origin().trimmed();
    R.Column = Origin.isEmpty() ? Field.FieldName() : Unquote(Origin.section('.', -1));
    R.DataType = Field.DataType();
    R.Flags = Field.ProviderFlags();
    R.Slot = Field.FieldNo() - 1;
    return R;
}

QString TableNameFromSql(const QString& Sql) {
    int Depth = 0;
    for (int I = 0; I < Sql.size(); ++I) {
        const QChar C = Sql[I];
        if (C == '\'') {
            I = Sql.indexOf('\'', I + 1);
            if (I < 0) break;
        } else if (C == '(') {
            ++Depth;
        } else if (C == ')') {
            --Depth;
        } else if (Depth == 0 && Sql.mid(I, 4).compare("from", Qt::CaseInsensitive) == 0 &&
                   (I == 0 || !Sql[I - 1].isLetterOrNumber()) && I + 4 < Sql.size() && Sql[I + 4].isSpace()) {
            int J = I + 4;
            while (J < Sql.size() && Sql[J].isSpace()) ++J;
            const int Start = J;
            bool Bracket = false;
            while (J < Sql.size() && (Bracket || Sql[J].isLetterOrNumber() || QString("_.#[]\"").contains(Sql[J]))) {
                if (Sql[J] == '[') Bracket = true;
                else if (Sql[J] == ']') Bracket = false;
                ++J;
            }
            QStringList Parts;
            for (const QString& Part : Sql.mid(Start, J - Start).split('.')) Parts << Unquote(Part);
            return Parts.join('.');
        }
    }
    return QString();
}

// ---------------------------------------------------------------- resolver

TSqlResolver::TSqlResolver(TADOConnection& Connection, QString TableName, TUpdateMode Mode,
                           std::vector<TResolveField> Fields)
    : FConnection(Connection), FTableName(std::move(TableName)), FMode(Mode), FFields(std::move(Fields)) {}

void TSqlResolver::AddParam(TFieldType DataType, const QVariant& Value) {
    if (FUsed == FParams.Count()) FParams.AddParameter();
    TParameter& P = FParams[FUsed++];
    P.SetDataType(DataType);
    P.SetValue(Value);
}

bool TSqlResolver::InWhere(const TResolveField& F, const QVariant& New, const QVariant& Old) const {
    if (IsBlobType(F.DataType)) return false;
    switch (FMode) {
    case upWhereKeyOnly: return F.Flags & pfInKey;
    case upWhereChanged: return (F.Flags & pfInKey) || ((F.Flags & pfInWhere) && Changed(New, Old));
    default: return F.Flags & (pfInKey | pfInWhere);
    }
}

// The statement of a shape: per field, one mark for the column list or the
// set list and one for the where clause ('W' a value, 'N' null, '-' none).
QString TSqlResolver::StatementText(TUpdateKind Kind, const QByteArray& Shape) const {
    const QString Table = QuoteName(FTableName);
    QStringList Columns, Terms;
    for (size_t I = 0; I < FFields.size(); ++I) {
        const QString Column = QuoteName(FFields[I].Column);
        if (Shape[1 + 2 * I] == 'V') Columns << (Kind == ukInsert ? Column : Column + " = ?");
        if (Shape[2 + 2 * I] == 'W') Terms << Column + " = ?";
        else if (Shape[2 + 2 * I] == 'N') Terms << Column + " Is Null";
    }
    if (Kind == ukInsert) {
        if (Columns.isEmpty()) return QString("Insert Into %1 Default Values").arg(Table);
        return QString("Insert Into %1 (%2) Values (%3)").arg(Table, Columns.join(", "), QStringList(Columns.size(), "?").join(", "));
    }
    if (Terms.isEmpty()) DatabaseError("Unable to find record.  No key specified.");
    const QString Where = " Where " + Terms.join(" And ");
    if (Kind == ukModify) return QString("Update %1 Set %2").arg(Table, Columns.join(", ")) + Where;
    return QString("Delete From %1").arg(Table) + Where;
}

void TSqlResolver::Apply(TUpdateKind Kind, const std::vector<QVariant>& NewValues, const std::vector<QVariant>& OldValues) {
    if (FTableName.isEmpty()) DatabaseError("Unable to resolve the name of the table to update");
    FUsed = 0;
    QByteArray Shape(1 + 2 * FFields.size(), '-');
    Shape[0] = static_cast<char>('0' + Kind);
    bool AnyValue = false;
    for (size_t I = 0; I < FFields.size(); ++I) {
        const TResolveField& F = FFields[I];
        const QVariant &New = NewValues[F.Slot], &Old = OldValues[F.Slot];
        const bool Write = (F.Flags & pfInUpdate) &&
                           (Kind == ukInsert ? F.DataType != ftAutoInc && !VarIsClear(New) : Kind == ukModify && Changed(New, Old));
        if (Write) {
            Shape[1 + 2 * I] = 'V';
            AddParam(F.DataType, New);
            AnyValue = true;
        }
    }
    if (Kind == ukModify && !AnyValue) return;  // nothing this table keeps has changed
    if (Kind != ukInsert)
        for (size_t I = 0; I < FFields.size(); ++I) {
            const TResolveField& F = FFields[I];
            const QVariant& Old = OldValues[F.Slot];
            if (!InWhere(F, NewValues[F.Slot], Old)) continue;
            Shape[2 + 2 * I] = VarIsClear(Old) ? 'N' : 'W';
            if (!VarIsClear(Old)) AddParam(F.DataType, Old);
        }
    auto It = FStatements.find(Shape);
    if (It == FStatements.end()) It = FStatements.insert(Shape, StatementText(Kind, Shape));
    const int Rows = FConnection.Execute(*It, &FParams, -1, true);
    if (Kind != ukInsert && Rows == 0) DatabaseError("Record not found or changed by another user");
}

// ---------------------------------------------------------------- provider

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
