#pragma once
// T-SQL statements in the words of SQLite or PostgreSQL, one statement at a
// time: statement forms (Insert without Into, Delete without From, Top n in
// any branch of a Union), functions the engines lack (GetDate, IsNull,
// DatePart and kin, Len), "+" joining texts, and Like with SQL Server's
// patterns. Raises EDatabaseError for constructs it cannot give the same meaning.
#include <QString>

namespace platform::data {

enum TEngine : int;

QString TranslateStatement(TEngine Engine, const QString& Sql);

// The PostgreSQL function, created in each session's own schema, that turns a
// T-SQL Like pattern into the regular expression the translation matches with.
extern const char* const PgLikeFunctionSql;

}  // namespace platform::data
