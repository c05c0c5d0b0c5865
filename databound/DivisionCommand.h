#pragma once
// The text work of a division's Select command: the base command on one line,
// the row-count command, the "Top n" limit and the record-limit check that
// decides it. A text without a Select and a From at its top level cannot be
// counted: it is then left unlimited, never refused.
#include <QString>
#include <QStringList>

namespace platform::data {
class TADOConnection;
class TParameters;
}  // namespace platform::data

namespace databound {

inline constexpr const char* kRecordLimitWarning = "O sistema limitou em %1 a quantidade de registros para '%2'.";
inline constexpr const char* kRecordCountError = "Ocorreu algum erro ao tentar determinar a quantidade de registros.";

// Each line trimmed, joined by single blanks.
QString CommandOnOneLine(const QString& Command);
// Command on one line without its top-level Order By.
QString WithoutOrderBy(const QString& Command);
// "Select Count(*) From (<Command without its top-level Order By>) As Contagem"; empty when it cannot be formed.
QString CountCommandText(const QString& Command);
// Command with "Top <Limit>" after its first top-level Select (after Distinct when present); unchanged without one.
QString LimitCommandText(const QString& Command, int Limit);
// Command with each non-empty condition added to its Where (or, with Having, its Having) clause.
QString AddConditions(const QString& Command, const QStringList& Conditions, bool Having);

// The limit to apply: -1 unless RecordLimit is not negative and the command selects more rows than that; then
// RecordLimit, and the warning goes to the session's message batch. A failed count is reported there, no limit.
int CheckRecordLimit(platform::data::TADOConnection& Connection, const QString& Command,
                     const platform::data::TParameters& Params, const QString& Caption, int RecordLimit);

}  // namespace databound
