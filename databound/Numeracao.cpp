#include "databound/Numeracao.h"

#include "dataaccess/NumberingHook.h"
#include "dataaccess/VexSession.h"
#include "databound/NumeracaoOperations.h"
#include "platform/data/ADODB.h"
#include "platform/data/NamedOperation.h"

namespace databound {

using namespace platform::data;

namespace {

// The operations and the table classes' hook are there as soon as the library is.
const bool gRegistered = [] {
    RegisterNumeracaoOperations();
    dataaccess::SetNumberingService(&GerarNumeracao);
    return true;
}();

QString TwoDigits(int Value) { return QString("%1").arg(Value % 100, 2, 10, QChar('0')); }

}  // namespace

int NextIncrement(const QString& Table, const QString& FieldName, bool MaxOnly, TADOConnection* Connection,
                  const QString& Where, const TParameters* WhereParams) {
    TParameters Params;
    for (int I = 0; WhereParams && I < WhereParams->Count(); ++I)
        Params.CreateParameter((*WhereParams)[I].Name(), (*WhereParams)[I].DataType(), (*WhereParams)[I].Value());
    Params.CreateParameter("Tabela", ftString, Table);
    Params.CreateParameter("Campo", ftString, FieldName);
    Params.CreateParameter("MaxOnly", ftBoolean, MaxOnly);
    Params.CreateParameter("Where", ftString, Where);
    const TOperationResult Result =
        RunOperation(dataaccess::SessionConnection(Connection), kNextIncrementOperation, Params);
    if (Result.Rows.empty() || Result.Rows.front().isEmpty()) DatabaseError("NextIncrement returned no value");
    return static_cast<int>(Result.Rows.front().front().toLongLong());
}

QString GerarNumeracao(const QString& Chave, const QString& Campo, int IdEmpresa, int Opcao_Zeramento,
                       int Quantidade_Digitos, const QString& Mascara, bool Automatica, TADOConnection* Connection,
                       const QDateTime& Data) {
    TADOConnection& Target = dataaccess::SessionConnection(Connection);
    TParameters Params;
    Params.CreateParameter("IdEmpresa_Sistema", ftInteger, IdEmpresa != 0 ? IdEmpresa : dataaccess::CurrentCompanyId());
    Params.CreateParameter("Chave", ftString, Chave);
    Params.CreateParameter("Campo", ftString, Campo);
    // Left unassigned, the server's date is used.
    Params.CreateParameter("Data", ftDateTime, Data.isValid() ? QVariant(Data) : QVariant());
    Params.CreateParameter("Numeracao_Automatica", ftBoolean, Automatica);
    Params.CreateParameter("Mascara", ftString, Mascara);
    Params.CreateParameter("Quantidade_Digitos", ftInteger, Quantidade_Digitos);
    Params.CreateParameter("Opcao_Zeramento", ftInteger, Opcao_Zeramento);
    const TOperationResult Result = RunOperation(Target, kGerarNumeracaoOperation, Params);
    if (Result.Rows.empty()) return QString();
    const QVariantList& Row = Result.Rows.front();
    return FormatarNumeracao(Row.value(0), VarIsClear(Row.value(1)) ? QString() : Row.value(1).toString(),
                             Row.value(2).toInt(), ConvertValue(Row.value(3), ftDateTime).toDateTime());
}

QString FormatarNumeracao(const QVariant& Numero, const QString& Mascara, int Quantidade_Digitos,
                          const QDateTime& Data) {
    if (VarIsClear(Numero)) return QString();
    const QDate Date = Data.date();
    return QString(Mascara)
        .replace("[Numero]", QString("%1").arg(Numero.toLongLong(), Quantidade_Digitos, 10, QChar('0')),
                 Qt::CaseInsensitive)
        .replace("[YYYY]", QString("%1").arg(Date.year(), 4, 10, QChar('0')), Qt::CaseInsensitive)
        .replace("[YY]", TwoDigits(Date.year()), Qt::CaseInsensitive)
        .replace("[MM]", TwoDigits(Date.month()), Qt::CaseInsensitive)
        .replace("[M]", QString::number(Date.month()), Qt::CaseInsensitive)
        .replace("[DD]", TwoDigits(Date.day()), Qt::CaseInsensitive)
        .replace("[D]", QString::number(Date.day()), Qt::CaseInsensitive);
}

}  // namespace databound
