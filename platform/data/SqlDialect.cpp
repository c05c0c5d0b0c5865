#include "platform/data/SqlDialect.h"

#include <QDateTime>
#include <utility>

#include "platform/data/SqlTokens.h"
#include "platform/data/SqlTranslator.h"

namespace platform::data {

QVariant TSqlDialect::BindValue(QVariant Value, TFieldType DataType) const {
    if (!VarIsClear(Value)) return Value;
    // A typed null, so that servers that type parameters accept it.
    switch (DataType) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return QVariant(QMetaType::fromType<int>());
    case ftLargeint: return QVariant(QMetaType::fromType<qlonglong>());
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: return QVariant(QMetaType::fromType<double>());
    case ftBoolean: return QVariant(QMetaType::fromType<bool>());
    case ftBlob: case ftGraphic: case ftBytes: case ftVarBytes: return QVariant(QMetaType::fromType<QByteArray>());
    default: return QVariant(QMetaType::fromType<QString>());
    }
}

namespace {

QString IsoText(const QVariant& Value, TFieldType DataType) {
    if (DataType == ftDate || Value.typeId() == QMetaType::QDate) return Value.toDate().toString("yyyy-MM-dd");
    if (DataType == ftTime || Value.typeId() == QMetaType::QTime) return Value.toTime().toString("HH:mm:ss.zzz");
    return Value.toDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz");
}

bool IsDateVariant(const QVariant& V) {
    const int Type = V.typeId();
    return Type == QMetaType::QDateTime || Type == QMetaType::QDate || Type == QMetaType::QTime;
}

class TSqliteDialect : public TSqlDialect {
public:
    TEngine Engine() const override { return egSQLite; }
    QString Translate(const QString& Sql) const override { return TranslateStatement(egSQLite, Sql); }
    // Dates travel as ISO text, the form the registered date functions read and write.
    QVariant BindValue(QVariant Value, TFieldType DataType) const override {
        if (VarIsClear(Value)) return TSqlDialect::BindValue(std::move(Value), DataType);
        if (IsDateVariant(Value)) return IsoText(Value, DataType);
        if (Value.typeId() == QMetaType::Bool) return Value.toBool() ? 1 : 0;
        return Value;
    }
    QString TableColumnsSql() const override {
        return "Select name, type, \"notnull\" From pragma_table_info(:Table) Order By cid";
    }
    // Several processes share one file: readers never wait for the writer, and
    // keys are enforced as the server engines enforce them.
    QStringList SessionSetupSql() const override { return {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL"}; }
    // The write lock from the start: a read-then-update cannot interleave with another writer.
    QString BeginTransactionSql() const override { return "BEGIN IMMEDIATE"; }
};

class TPostgresDialect : public TSqlDialect {
public:
    TEngine Engine() const override { return egPostgreSQL; }
    QString Translate(const QString& Sql) const override { return TranslateStatement(egPostgreSQL, Sql); }
    QStringList SessionSetupSql() const override {
        return {"SET DateStyle TO ISO", "SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ COMMITTED",
                QString::fromLatin1(PgLikeFunctionSql)};
    }
    bool NeedsStatementSavepoints() const override { return true; }
    QString ForUpdate(const QString& Select) const override { return Select + " For Update"; }
    bool ReturnsJoinedColumns() const override { return true; }
    // Row by row, Qt asks the server for one result per row, each with memory blocks of its own.
    bool ReadsWholeResults() const override { return true; }
    bool FoldsUnquotedNames() const override { return true; }
    QVariant BindValue(QVariant Value, TFieldType DataType) const override {
        if (VarIsClear(Value)) return TSqlDialect::BindValue(std::move(Value), DataType);
        // Zone-free text: the column's own type decides, as with the other engines.
        if (IsDateVariant(Value)) return IsoText(Value, DataType);
        return Value;
    }
    QString TableColumnsSql() const override {
        return "Select Case When lower(col_description(attrelid, attnum)) = attname "
               "Then col_description(attrelid, attnum) Else attname End, "
               "format_type(atttypid, atttypmod), Case When attnotnull Then 1 Else 0 End "
               "From pg_attribute Where attrelid = to_regclass(:Table) And attnum > 0 And Not attisdropped "
               "Order By attnum";
    }
    // The server folds the column names of a new table: their written case is kept as the column's comment.
    QStringList AfterStatementSql(const QString& Sql) const override {
        QStringList Out;
        const TTableDefinition Table = ParseCreateTable(Sql);
        auto Quoted = [](QString Name, QChar Quote) { return Quote + Name.replace(Quote, QString(2, Quote)) + Quote; };
        for (const QString& Column : Table.Columns)
            if (Column != Column.toLower() && !Table.Name.startsWith('#'))
                Out << QString("COMMENT ON COLUMN %1.%2 IS %3")
                           .arg(Quoted(Table.Name.toLower(), '"'), Quoted(Column.toLower(), '"'), Quoted(Column, '\''));
        return Out;
    }
};

// SQL Server: the text goes out as written, batches included.
class TTSqlDialect : public TSqlDialect {
public:
    TEngine Engine() const override { return egTSQL; }
    QString Translate(const QString& Sql) const override { return Sql; }
    QString SavepointSql(const QString& Name) const override { return "Save Transaction " + Name; }
    QString RollbackToSavepointSql(const QString& Name) const override { return "Rollback Transaction " + Name; }
    QString ReleaseSavepointSql(const QString&) const override { return QString(); }
    bool RunsBatches() const override { return true; }
    QString TableColumnsSql() const override {
        return "Select COLUMN_NAME, "
               "DATA_TYPE + Coalesce('(' + Cast(CHARACTER_MAXIMUM_LENGTH As VarChar(10)) + ')', ''), "
               "Case When IS_NULLABLE = 'NO' Then 1 Else 0 End From INFORMATION_SCHEMA.COLUMNS "
               "Where TABLE_NAME = :Table Order By ORDINAL_POSITION";
    }
};

}  // namespace

std::unique_ptr<TSqlDialect> CreateDialect(TEngine Engine) {
    switch (Engine) {
    case egSQLite: return std::make_unique<TSqliteDialect>();
    case egPostgreSQL: return std::make_unique<TPostgresDialect>();
    default: return std::make_unique<TTSqlDialect>();
    }
}

}  // namespace platform::data
