#include "dataaccess/TabelaSelect.h"

namespace dataaccess {

namespace {

TOperadorFiltro OperatorOf(const TOperadores& Operators, int Index) {
    return Index < static_cast<int>(Operators.size()) ? Operators[Index] : ofIgual;
}

QString Condition(const QString& Name, TOperadorFiltro Operator, bool Named) {
    if (Operator == ofIsNull || Operator == ofIsNotNull) return QString("%1 %2").arg(Name, OperatorText(Operator));
    return Named ? QString("%1 %2 :%1").arg(Name, OperatorText(Operator))
                 : QString("%1 %2 ?").arg(Name, OperatorText(Operator));
}

}  // namespace

QStringList SelectList(const std::vector<TCampoTabela>& Campos, const QStringList& Fields) {
    QStringList List, Names;
    auto AddOnce = [&List, &Names](const QString& Name, const QString& Item) {
        if (Names.contains(Name, Qt::CaseInsensitive)) return;
        Names << Name;
        List << Item;
    };
    for (const TCampoTabela& Campo : Campos) {
        if (!Fields.isEmpty() && !Campo.Chave) continue;
        AddOnce(Campo.Nome, Campo.Agregacao == faNenhuma
                                ? Campo.Nome
                                : QString("%1(%2) as %2").arg(AggregateText(Campo.Agregacao), Campo.Nome));
    }
    for (const QString& Name : Fields) AddOnce(Name, Name);
    return List;
}

QString SelectText(const std::vector<TCampoTabela>& Campos, const TSelectRequest& Request) {
    const QStringList List = SelectList(Campos, Request.Fields);
    if (List.isEmpty()) return QString();
    QString Clause = Request.Where;
    for (int I = 0; I < Request.KeyFields.size(); ++I) {
        const QString Item = Condition(Request.KeyFields[I], OperatorOf(Request.Operators, I), Request.Named);
        Clause = Clause.isEmpty() ? Item : QString("%1 and %2").arg(Clause, Item);
    }
    if (!Clause.isEmpty()) Clause = "Where\r\n  " + Clause;
    const QString Limit = Request.Top > 0 ? QString(" Top %1").arg(Request.Top) : QString();
    const QString Order = Request.OrderBy.isEmpty() ? QString() : "\r\nOrder By\r\n  " + Request.OrderBy.join(", ");
    return QString("Select%1\r\n  %2\r\nFrom\r\n  %3\r\n%4%5")
        .arg(Limit, List.join(", "), Request.TableName, Clause, Order);
}

}  // namespace dataaccess
