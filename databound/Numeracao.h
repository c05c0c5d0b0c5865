#pragma once
// Document numbers and key increments. NextIncrement gives the next value of
// a key counter kept per table and column, or a column's maximum plus 1;
// GerarNumeracao allocates the next number of a field from its configuration
// (the company's row before the row for all companies, reset by period) and
// formats it through the mask. Both are atomic on every engine (see
// NumeracaoOperations.h); database errors reach the caller. The service is
// registered at start as the table classes' numbering hook.
#include <QDateTime>
#include <QString>
#include <QVariant>

#include "databound/NumeracaoOperations.h"

namespace platform::data {
class TADOConnection;
class TParameters;
}  // namespace platform::data

namespace databound {

// Table and FieldName must be plain identifiers (EDatabaseError otherwise);
// Where, used only with MaxOnly, is a condition in SQL that the caller built,
// whose :Name parameters take their values from WhereParams.
// A nullptr connection means the session's.
int NextIncrement(const QString& Table, const QString& FieldName, bool MaxOnly,
                  platform::data::TADOConnection* Connection = nullptr, const QString& Where = QString(),
                  const platform::data::TParameters* WhereParams = nullptr);

// The formatted number; empty when the field has no configuration and is not
// automatic, or when its mask is empty. IdEmpresa 0: the current company; an
// invalid Data: the server's date.
QString GerarNumeracao(const QString& Chave, const QString& Campo, int IdEmpresa, int Opcao_Zeramento,
                       int Quantidade_Digitos, const QString& Mascara, bool Automatica,
                       platform::data::TADOConnection* Connection = nullptr, const QDateTime& Data = QDateTime());

// The mask with its tokens replaced, ignoring case: [Numero] by the number
// padded with zeros to Quantidade_Digitos (never cut), then [YYYY], [YY],
// [MM], [M], [DD] and [D] by the date. A null number gives an empty text.
QString FormatarNumeracao(const QVariant& Numero, const QString& Mascara, int Quantidade_Digitos,
                          const QDateTime& Data);

}  // namespace databound
