#pragma once
// Functions the library's T-SQL uses, registered on each SQLite connection:
// GetDate, DatePart, DateAdd, DateDiff, Year, Month, Day, Len, and Like, Upper
// and Lower that know the Latin-1 letters as SQL Server's default collation does,
// and the NoCase collation with the same rule for columns that declare it.
struct sqlite3;

namespace platform::data {

void RegisterSqliteFunctions(sqlite3* Db);

}  // namespace platform::data
