#include "platform/data/SessionVariables.h"

#include <QDateTime>

#include "platform/data/ADODB.h"

namespace platform::data {

namespace {

// The native table keeps each value as text with its type beside it.
constexpr const char* kNativeCreateStore =
    "Create Temp Table If Not Exists Global_Var (Variavel VarChar(50) Not Null Primary Key, Valor Text, Tipo Integer)";

QString ValueText(const QVariant& V) {
    switch (V.typeId()) {
    case QMetaType::QByteArray: return QString::fromLatin1(V.toByteArray().toBase64());
    case QMetaType::QDateTime: return V.toDateTime().toString("yyyy-MM-ddTHH:mm:ss.zzz");
    case QMetaType::Double: return QString::number(V.toDouble(), 'g', 17);
    default: return V.toString();
    }
}

QVariant ValueOf(const QVariant& Text, const QVariant& Type) {
    if (VarIsClear(Text)) return Null();
    const QMetaType Meta(Type.toInt());
    if (Meta.id() == QMetaType::QByteArray) return QByteArray::fromBase64(Text.toString().toLatin1());
    QVariant V = Text.toString();
    if (Meta.isValid() && !V.convert(Meta)) return Text;
    return V;
}

// Native rows of (name, text, type) as rows of (name, value).
TOperationResult Decoded(TOperationResult Stored, const QStringList& Columns) {
    TOperationResult Out;
    Out.Columns = Columns;
    for (const QVariantList& Row : Stored.Rows) {
        QVariantList Values = Row.mid(0, Row.size() - 2);
        Values << ValueOf(Row[Row.size() - 2], Row.back());
        Out.Rows.push_back(std::move(Values));
    }
    return Out;
}

void CheckName(const TParameters& Params) {
    if (Params.ParamValues("Variavel").toString().trimmed().isEmpty())
        DatabaseError("Empty names for global variables is not permitted.");
}

class TCreateSessionVariables : public TNamedOperation {
public:
    QString Name() const override { return "CreateSessionVariables"; }
    QString Batch() const override { return SessionVariablesBatch; }
    std::vector<TOperationParam> Params() const override { return {}; }

protected:
    // The batch fails on a table that exists: then only read it.
    TOperationResult RunBatch(TADOConnection& Connection, const TParameters& Params) const override {
        const QVariantList Exists = Connection.SelectRow("Select Object_Id('tempdb..#Global_Var')");
        const QString Read = QString::fromLatin1(SessionVariablesBatch).section("\r\n\r\n", 1);
        if (!Exists.isEmpty() && !VarIsClear(Exists[0])) return ExecuteStatement(Connection, Read, nullptr);
        return TNamedOperation::RunBatch(Connection, Params);
    }
    TOperationResult RunNative(TADOConnection& Connection, const TParameters&) const override {
        Connection.Execute(kNativeCreateStore);
        return Decoded(ExecuteStatement(Connection, "Select Variavel, Valor, Tipo From #Global_Var", nullptr),
                       {"Variavel", "Valor"});
    }
};

class TSetSessionVariable : public TNamedOperation {
public:
    QString Name() const override { return "SetSessionVariable"; }
    QString Batch() const override {
        return "If Exists(Select Variavel From #Global_Var Where Variavel = :Variavel)\r\n"
               "  Update #Global_Var Set Valor = :Valor Where Variavel = :Variavel\r\n"
               "Else\r\n"
               "  Insert #Global_Var (Variavel, Valor) Values (:Variavel, :Valor)";
    }
    std::vector<TOperationParam> Params() const override { return {{"Variavel", ftString}, {"Valor", ftVariant}}; }

protected:
    void CheckValues(const TParameters& Params) const override { CheckName(Params); }
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        const QVariant Value = Given.ParamValues("Valor");
        const bool IsNull = VarIsClear(Value);
        TParameters Params;
        Params.CreateParameter("Valor", ftMemo, IsNull ? Null() : QVariant(ValueText(Value)));
        Params.CreateParameter("Tipo", ftInteger, IsNull ? 0 : Value.typeId());
        Params.CreateParameter("Variavel", ftString, Given.ParamValues("Variavel"));
        TOperationResult Result;
        Result.RowsAffected = Connection.Execute(
            "Update #Global_Var Set Valor = :Valor, Tipo = :Tipo Where Upper(Variavel) = Upper(:Variavel)", &Params);
        if (Result.RowsAffected == 0)
            Result.RowsAffected = Connection.Execute(
                "Insert #Global_Var (Valor, Tipo, Variavel) Values (:Valor, :Tipo, :Variavel)", &Params);
        return Result;
    }
};

class TGetSessionVariable : public TNamedOperation {
public:
    QString Name() const override { return "GetSessionVariable"; }
    QString Batch() const override { return "Select Valor From #Global_Var Where Variavel = :Variavel"; }
    std::vector<TOperationParam> Params() const override { return {{"Variavel", ftString}}; }

protected:
    void CheckValues(const TParameters& Params) const override { CheckName(Params); }
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        TParameters Params;
        Params.CreateParameter("Variavel", ftString, Given.ParamValues("Variavel"));
        const char* const Sql = "Select Valor, Tipo From #Global_Var Where Upper(Variavel) = Upper(:Variavel)";
        return Decoded(ExecuteStatement(Connection, Sql, &Params), {"Valor"});
    }
};

}  // namespace

const char* const SessionVariablesBatch =
    "Create Table #Global_Var (\r\n  Variavel VarChar(50) Not Null Primary Key,\r\n  Valor SQL_VARIANT\r\n)\r\n\r\n"
    "Select\r\n  Variavel,\r\n  Valor\r\nFrom\r\n  #Global_Var";

std::vector<std::unique_ptr<TNamedOperation>> SessionVariableOperations() {
    std::vector<std::unique_ptr<TNamedOperation>> Out;
    Out.push_back(std::make_unique<TCreateSessionVariables>());
    Out.push_back(std::make_unique<TSetSessionVariable>());
    Out.push_back(std::make_unique<TGetSessionVariable>());
    return Out;
}

TOperationResult CreateSessionVariables(TADOConnection& Connection) {
    return RunOperation(Connection, "CreateSessionVariables", TParameters());
}

void SetSessionVariable(TADOConnection& Connection, const QString& Name, const QVariant& Value) {
    TParameters Params;
    Params.CreateParameter("Variavel", ftString, Name);
    Params.CreateParameter("Valor", ftVariant, Value);
    RunOperation(Connection, "SetSessionVariable", Params);
}

QVariant GetSessionVariable(TADOConnection& Connection, const QString& Name) {
    TParameters Params;
    Params.CreateParameter("Variavel", ftString, Name);
    const TOperationResult Result = RunOperation(Connection, "GetSessionVariable", Params);
    return Result.Rows.empty() ? QVariant() : Result.Rows.front().front();
}

}  // namespace platform::data
