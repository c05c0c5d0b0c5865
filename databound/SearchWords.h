#pragma once
// Turns the text typed into a search box into a like condition over several
// columns: every word must occur in a column (words joined by "and"), any
// column may hold them (columns joined by "or"). The same rule builds the
// SQL condition on the columns' expressions and the client filter on their
// field names. Words always travel as quoted literals, never as SQL.
#include <QString>
#include <QStringList>

namespace databound {

// How a word without "*" keeps its like wildcards literal: the SQL engines
// read "[%]" as the sign itself; the client filter has no such form.
enum class TWildcardEscape { weNone, weBrackets };

// The trimmed text split at blanks, without empty words.
QStringList SearchWords(const QString& Text);

// A word with "*" is a pattern ("*" any run); otherwise, FromWordStart looks
// for the word anywhere and unticked matches it as typed. Empty when the
// pattern would match everything.
QString WordPattern(const QString& Word, bool FromWordStart, TWildcardEscape Escape);

// Accumulated + Operator + "(Condition)", or "(Condition)" when nothing accumulated yet.
QString JoinCondition(const QString& Accumulated, const QString& Condition, const QString& Operator);

// "<column> like '<pattern>'" for every word and column; empty without words or columns.
QString SearchCondition(const QStringList& Columns, const QString& Text, bool FromWordStart,
                        TWildcardEscape Escape);

}  // namespace databound
