#include "databound/Especializacao.h"

#include <QStringList>

#include "dataaccess/VexSession.h"
#include "databound/CamposDivisao.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/data/NamedOperation.h"

namespace databound {

using namespace platform::data;

const char* const kUpsertTemplate =
    "If Exists(Select Cast(0 as Bit) From %0:s Where %4:s)\r\n"
    "  Update %0:s Set %1:s Where %5:s\r\n"
    "Else\r\n"
    "  Insert %0:s (%2:s) Values (%3:s)";
const char* const kDeleteTemplate = "Delete %s Where %s";

namespace {

// The statements travel to the operation as one list of their pieces.
constexpr const char* kStatementsParam = "Statements";

QVariant Pack(const std::vector<TCompanionStatement>& Statements) {
    QVariantList List;
    for (const TCompanionStatement& S : Statements)
        List << QVariant(QStringList{S.Delete ? "D" : "U", S.Tabela, S.SetList, S.Columns, S.Values, S.InsertCheck,
                                     S.UpdateCondition});
    return List;
}

std::vector<TCompanionStatement> Unpack(const QVariant& Packed) {
    std::vector<TCompanionStatement> Result;
    for (const QVariant& Item : Packed.toList()) {
        const QStringList Pieces = Item.toStringList();
        if (Pieces.size() != 7) DatabaseError(QString("%1: malformed statement list").arg(kEspecializacaoOperation));
        Result.push_back({Pieces[0] == "D", Pieces[1], Pieces[2], Pieces[3], Pieces[4], Pieces[5], Pieces[6]});
    }
    return Result;
}

class TEspecializacaoOperation : public TNamedOperation {
public:
    QString Name() const override { return kEspecializacaoOperation; }
    QString Batch() const override { return kUpsertTemplate; }
    std::vector<TOperationParam> Params() const override { return {{kStatementsParam, ftVariant}}; }

protected:
    TOperationResult RunBatch(TADOConnection& Connection, const TParameters& Params) const override {
        QStringList Lines;
        for (const TCompanionStatement& S : Unpack(Params.ParamValues(kStatementsParam)))
            Lines << CompanionStatementText(S);
        TOperationResult Result;
        Result.RowsAffected = Connection.RunBatch(Lines.join("\r\n"), &Params).numRowsAffected();
        return Result;
    }
    // The same choice as the batch, one statement at a time, inside the caller's transaction.
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Params) const override {
        TOperationResult Result;
        Result.RowsAffected = 0;
        for (const TCompanionStatement& S : Unpack(Params.ParamValues(kStatementsParam))) {
            QString Sql;
            if (S.Delete) {
                Sql = QString("Delete From %1 Where %2").arg(S.Tabela, S.UpdateCondition);
            } else {
                const QString Exists = QString("Select Cast(0 as Bit) From %1 Where %2").arg(S.Tabela, S.InsertCheck);
                Sql = Connection.SelectRow(Exists, &Params).isEmpty()
                          ? QString("Insert Into %1 (%2) Values (%3)").arg(S.Tabela, S.Columns, S.Values)
                          : QString("Update %1 Set %2 Where %3").arg(S.Tabela, S.SetList, S.UpdateCondition);
            }
            Result.RowsAffected += Connection.Execute(Sql, &Params);
        }
        return Result;
    }
};

const bool gRegistered = [] {
    RegisterOperation(std::make_unique<TEspecializacaoOperation>());
    return true;
}();

// Adds a parameter unless its key is there already.
QString Param(TParameters& Params, const QString& Kind, const QString& Tabela, const TField& Field,
              const QVariant& Value) {
    const QString Key = QString("%1_%2_%3").arg(Kind, Tabela, Field.FieldName());
    if (!Params.FindParam(Key)) Params.CreateParameter(Key, Field.DataType(), Value);
    return ":" + Key;
}

bool WrittenNow(const TEspecializacaoItem& Item, TUpdateKind Kind, bool Before) {
    if (Kind == ukDelete)
        return (Item.Excluir() == etLocalDepois && Before) || (Item.Excluir() == etLocalPrimeiro && !Before);
    return Item.UpdateLocalPrimeiro() != Before;
}

// No column the provider writes to the main table has a new value.
bool OnlyOutsideUpdateSet(const TDataSet& Delta) {
    for (const TField* Field : Delta.FieldList())
        if ((Field->ProviderFlags() & pfInUpdate) && !VarIsEmpty(Field->NewValue())) return false;
    return true;
}

// Each "%s" of the template, in order, by the next argument; the arguments themselves are never scanned.
QString FormatTemplate(const QString& Template, const QStringList& Args) {
    QString Result;
    qsizetype From = 0;
    for (const QString& Arg : Args) {
        const qsizetype At = Template.indexOf("%s", From);
        if (At < 0) break;
        Result += Template.mid(From, At - From) + Arg;
        From = At + 2;
    }
    return Result + Template.mid(From);
}

}  // namespace

QString CompanionStatementText(const TCompanionStatement& S) {
    if (S.Delete) return FormatTemplate(kDeleteTemplate, {S.Tabela, S.UpdateCondition});
    return QString(kUpsertTemplate)
        .replace("%1:s", S.SetList)
        .replace("%2:s", S.Columns)
        .replace("%3:s", S.Values)
        .replace("%4:s", S.InsertCheck)
        .replace("%5:s", S.UpdateCondition)
        .replace("%0:s", S.Tabela);
}

std::vector<TCompanionStatement> BuildCompanionStatements(const TEspecializacao& Especializacao, TDataSet& Delta,
                                                          TUpdateKind Kind, bool Before, TParameters& Params) {
    std::vector<TCompanionStatement> Result;
    for (int I = 0; I < Especializacao.Count(); ++I) {
        const TEspecializacaoItem& Item = *Especializacao.Items(I);
        const QString Tabela = Item.Tabela().trimmed();
        if (Tabela.isEmpty() || !WrittenNow(Item, Kind, Before)) continue;
        QStringList InsertCheck, UpdateCondition, SetList, Columns, Values;
        for (int J = 0; J < Item.Campos().Count(); ++J) {
            const TEspecializacaoCampo& Campo = *Item.Campos().Items(J);
            if (!Campo.Campo()) continue;
            const TField* Field = Delta.FindField(Campo.Campo()->FieldName());
            if (!Field) continue;
            QVariant New = Field->NewValue();
            const QVariant Old = Field->OldValue();
            if (Campo.PrimaryKey()) {
                InsertCheck << QString("%1 = %2").arg(Campo.Origem(), Param(Params, "where_ins", Tabela, *Field, Old));
                UpdateCondition << QString("%1 = %2").arg(Campo.Origem(),
                                                          Param(Params, "where_upd", Tabela, *Field, Old));
                if (Kind == ukModify && VarIsEmpty(New)) New = Old;
            } else if (VarIsEmpty(New)) {
                continue;
            } else {
                SetList << QString("%1 = %2").arg(Campo.Origem(), Param(Params, "update", Tabela, *Field, New));
            }
            Columns << Campo.Origem();
            Values << Param(Params, "insert", Tabela, *Field, New);
        }
        TCompanionStatement Statement{Kind == ukDelete,          Tabela,
                                      SetList.join(", "),        Columns.join(", "),
                                      Values.join(", "),         InsertCheck.join(" and "),
                                      UpdateCondition.join(" and ")};
        if (Statement.Delete ? !Statement.UpdateCondition.isEmpty()
                             : !(Statement.SetList.isEmpty() || Statement.Columns.isEmpty() ||
                                 Statement.InsertCheck.isEmpty() || Statement.UpdateCondition.isEmpty()))
            Result.push_back(Statement);
    }
    return Result;
}

void RunCompanionStatements(TADOConnection& Connection, const std::vector<TCompanionStatement>& Statements,
                            const TParameters& Params) {
    if (Statements.empty()) return;
    TParameters Run;
    Run.CreateParameter(kStatementsParam, ftVariant, Pack(Statements));
    for (int I = 0; I < Params.Count(); ++I) Run.CreateParameter(Params[I].Name(), Params[I].DataType(), Params[I].Value());
    RunOperation(Connection, kEspecializacaoOperation, Run);
}

void WriteSpecializations(const TVexDBDivisao& Division, bool Before, bool& Applied, TUpdateKind Kind,
                          TDataSet& Delta) {
    Applied = Division.SuspendSpecializationUpdates;
    if (Applied) return;
    if (Before && Kind == ukModify) Applied = OnlyOutsideUpdateSet(Delta);
    TParameters Params;
    const std::vector<TCompanionStatement> Statements =
        BuildCompanionStatements(Division.Especializacao(), Delta, Kind, Before, Params);
    RunCompanionStatements(dataaccess::SessionConnection(Division.Connection()), Statements, Params);
}

}  // namespace databound
