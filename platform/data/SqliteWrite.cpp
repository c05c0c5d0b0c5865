#include "platform/data/SqliteWrite.h"

#include <QSqlResult>
#include <sqlite3.h>

#include "platform/data/DataTypes.h"

namespace platform::data {

namespace {

template <typename T>
const T& Held(const QVariant& V) {
    return *static_cast<const T*>(V.constData());
}

// Text and bytes stay owned by Values until the statement has run, as with Qt's driver.
bool Bind(sqlite3_stmt* Statement, int At, const QVariant& V) {
    if (VarIsClear(V)) return sqlite3_bind_null(Statement, At) == SQLITE_OK;
    switch (V.typeId()) {
    case QMetaType::Int: return sqlite3_bind_int(Statement, At, Held<int>(V)) == SQLITE_OK;
    case QMetaType::Bool: return sqlite3_bind_int(Statement, At, Held<bool>(V) ? 1 : 0) == SQLITE_OK;
    case QMetaType::UInt: return sqlite3_bind_int64(Statement, At, Held<uint>(V)) == SQLITE_OK;
    case QMetaType::LongLong: return sqlite3_bind_int64(Statement, At, Held<qlonglong>(V)) == SQLITE_OK;
    case QMetaType::Double: return sqlite3_bind_double(Statement, At, Held<double>(V)) == SQLITE_OK;
    case QMetaType::QString: {
        const QString& Text = Held<QString>(V);
        return sqlite3_bind_text16(Statement, At, Text.constData(), static_cast<int>(Text.size() * sizeof(QChar)),
                                   SQLITE_STATIC) == SQLITE_OK;
    }
    case QMetaType::QByteArray: {
        const QByteArray& Bytes = Held<QByteArray>(V);
        return sqlite3_bind_blob(Statement, At, Bytes.constData(), static_cast<int>(Bytes.size()), SQLITE_STATIC) ==
               SQLITE_OK;
    }
    default: return false;
    }
}

}  // namespace

sqlite3_stmt* SqliteStatementOf(const QSqlQuery& Query) {
    const QSqlResult* Result = Query.result();
    if (!Result) return nullptr;
    const QVariant Handle = Result->handle();
    if (!Handle.isValid() || qstrcmp(Handle.typeName(), "sqlite3_stmt*") != 0) return nullptr;
    return *static_cast<sqlite3_stmt* const*>(Handle.constData());
}

std::optional<TSqliteWrite> RunSqliteWrite(sqlite3_stmt* Statement, std::span<const QVariant> Values) {
    if (!Statement || sqlite3_column_count(Statement) != 0 ||
        sqlite3_bind_parameter_count(Statement) != static_cast<int>(Values.size()))
        return std::nullopt;
    sqlite3_reset(Statement);
    for (size_t I = 0; I < Values.size(); ++I)
        if (!Bind(Statement, static_cast<int>(I) + 1, Values[I])) {
            sqlite3_clear_bindings(Statement);
            return std::nullopt;
        }
    TSqliteWrite Outcome;
    sqlite3* Db = sqlite3_db_handle(Statement);
    const int Step = sqlite3_step(Statement);
    if (Step == SQLITE_DONE) {
        Outcome.Changes = sqlite3_changes(Db);
        sqlite3_reset(Statement);
    } else {
        // As Qt's driver reports it: the reset answers with the step's error.
        const int Reset = sqlite3_reset(Statement);
        Outcome.Code = Reset != SQLITE_OK ? Reset : Step;
        Outcome.Message = QString::fromUtf8(sqlite3_errmsg(Db));
    }
    // No binding may outlive the values it points into.
    sqlite3_clear_bindings(Statement);
    return Outcome;
}

}  // namespace platform::data
