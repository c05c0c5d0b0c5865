#include "platform/data/ADODB.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVarLengthArray>
#include <atomic>
#include <sqlite3.h>
#include <utility>

#include "platform/data/ConnectionString.h"
#include "platform/data/OdbcTimeout.h"
#include "platform/data/SqliteFunctions.h"
#include "platform/data/SqliteWrite.h"
#include "platform/data/SqlTokens.h"

namespace platform::data {

namespace {

struct TPlaceholder {
    int Pos;
    int Length;
    QString Name;  // empty for "?"
};

// The placeholder a parameter's index becomes while the text is translated.
constexpr const char* kIndexPlaceholder = "vex_p";
// A rollback undoes a SET made inside what it ends: the next statement then sets its time-out again.
constexpr int kServerTimeoutUnknown = -1;

// An engine's message with the statement it refused.
QString StatementError(const QString& Message, const QString& Sql) {
    return QString("%1\nStatement: %2").arg(Message, Sql.trimmed());
}

// "?" and ":Name" outside strings, quoted names and comments; "::" is a cast.
std::vector<TPlaceholder> ScanPlaceholders(const QString& S) {
    std::vector<TPlaceholder> Out;
    int Pos = 0;
    for (const TToken& T : Tokenize(S)) {
        if (T.Kind == TKind::Param) Out.push_back(TPlaceholder{Pos, static_cast<int>(T.Text.size()), T.Text.mid(1)});
        Pos += T.Text.size();
    }
    return Out;
}

// Declared column types as the engines write them.
TFieldType TypeFromDeclared(const QString& Declared, int& Size) {
    const QString D = Declared.trimmed().toLower();
    Size = 0;
    const int Open = D.indexOf('(');
    if (Open >= 0) Size = D.mid(Open + 1).section(QRegularExpression("[,)]"), 0, 0).toInt();
    const QString Head = D.left(Open < 0 ? D.size() : Open).trimmed();
    if (Head.contains("bigint")) return ftLargeint;
    if (Head.contains("smallint") || Head.contains("tinyint")) return ftSmallint;
    if (Head.contains("int")) return ftInteger;
    if (Head == "bit" || Head.startsWith("bool")) return ftBoolean;
    if (Head.contains("char")) return ftString;
    if (Head.contains("text") || Head.contains("clob") || Head == "memo") return ftMemo;
    if (Head.contains("datetime") || Head.startsWith("timestamp")) return ftDateTime;
    if (Head == "date") return ftDate;
    if (Head.startsWith("time")) return ftTime;
    if (Head.contains("money")) return ftCurrency;
    if (Head.startsWith("decimal") || Head.startsWith("numeric")) return ftBCD;
    if (Head.contains("float") || Head.contains("real") || Head.contains("double")) return ftFloat;
    if (Head.contains("blob") || Head.contains("binary") || Head == "image" || Head == "bytea") return ftBlob;
    return ftVariant;
}

TFieldType TypeFromMeta(const QSqlField& Field) {
    switch (Field.metaType().id()) {
    case QMetaType::Short: case QMetaType::UShort: return ftSmallint;
    case QMetaType::Int: case QMetaType::UInt: return ftInteger;
    case QMetaType::LongLong: case QMetaType::ULongLong: return ftLargeint;
    case QMetaType::Double: case QMetaType::Float: return ftFloat;
    case QMetaType::Bool: return ftBoolean;
    case QMetaType::QDate: return ftDate;
    case QMetaType::QTime: return ftTime;
    case QMetaType::QDateTime: return ftDateTime;
    case QMetaType::QByteArray: return ftBlob;
    case QMetaType::QString: return Field.length() > 0 ? ftString : ftMemo;
    default: return ftVariant;
    }
}

std::atomic<int> gConnectionCounter = 0;

const char* const kTransactionAborted = "The transaction was rolled back by the database; roll it back before going on";

// The names a text writes, by their lower-case form.
std::map<QString, QString> WrittenNames(const QString& Sql) {
    std::map<QString, QString> Written;
    for (const TToken& T : Tokenize(Sql))
        if (T.Kind == TKind::Name || T.Kind == TKind::QuotedName)
            Written.emplace(UnquotedName(T).toLower(), UnquotedName(T));
    return Written;
}

// A Select without its closing Order By, which a derived table may not have unless it has a Top.
QString WithoutOrder(const QString& Sql) {
    const std::vector<TToken> Tokens = Tokenize(Sql);
    int Depth = 0, Length = 0, OrderAt = -1;
    bool Top = false;
    for (const TToken& T : Tokens) {
        if (T.Kind == TKind::LParen) ++Depth;
        else if (T.Kind == TKind::RParen) --Depth;
        else if (Depth == 0 && Is(T, "top")) Top = true;
        else if (Depth == 0 && Is(T, "order")) OrderAt = Length;
        Length += T.Text.size();
    }
    QString Text = OrderAt >= 0 && !Top ? Sql.left(OrderAt) : Sql;
    Text = Text.trimmed();
    return Text.endsWith(';') ? Text.chopped(1) : Text;
}

}  // namespace

int SqliteProgress(void* Connection) {
    auto* C = static_cast<TADOConnection*>(Connection);
    if (C->FTimeLimit == 0) return 0;
    const qint64 Now = C->FClock.elapsed();
    if (C->FDeadline == 0) C->FDeadline = Now + C->FTimeLimit;
    return Now > C->FDeadline ? 1 : 0;
}

namespace {
int SqliteProgressThunk(void* Connection) { return SqliteProgress(Connection); }
}  // namespace

// ---------------------------------------------------------------- parameters

void TParameter::SetValue(const QVariant& Value) {
    FValue = Value;
    if (FDataType != ftUnknown || VarIsClear(Value)) return;
    switch (Value.typeId()) {
    case QMetaType::Int: case QMetaType::Short: case QMetaType::UShort: FDataType = ftInteger; break;
    case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong: FDataType = ftLargeint; break;
    case QMetaType::Double: case QMetaType::Float: FDataType = ftFloat; break;
    case QMetaType::Bool: FDataType = ftBoolean; break;
    case QMetaType::QDate: FDataType = ftDate; break;
    case QMetaType::QTime: FDataType = ftTime; break;
    case QMetaType::QDateTime: FDataType = ftDateTime; break;
    case QMetaType::QByteArray: FDataType = ftBlob; break;
    case QMetaType::QString: FDataType = ftString; break;
    default: FDataType = ftVariant; break;
    }
}

void TParameter::LoadFromStream(platform::os::TStream& Stream, TFieldType DataType) {
    Stream.SetPosition(0);
    QByteArray Bytes(static_cast<qsizetype>(Stream.Size()), Qt::Uninitialized);
    if (!Bytes.isEmpty()) Stream.ReadBuffer(Bytes.data(), Bytes.size());
    FDataType = DataType;
    FValue = DataType == ftMemo ? QVariant(QString::fromLatin1(Bytes)) : QVariant(Bytes);
}

TParameter& TParameters::AddParameter() {
    FItems.push_back(std::make_unique<TParameter>());
    return *FItems.back();
}

TParameter& TParameters::CreateParameter(const QString& Name, TFieldType DataType, const QVariant& Value,
                                         TParameterDirection Direction, int Size) {
    TParameter& P = AddParameter();
    P.SetName(Name);
    P.SetDataType(DataType);
    P.SetDirection(Direction);
    P.SetSize(Size);
    P.SetValue(Value.isValid() ? Value : Null());
    return P;
}

TParameter* TParameters::FindParam(const QString& Name) const {
    for (const auto& P : FItems)
        if (P->Name().compare(Name, Qt::CaseInsensitive) == 0) return P.get();
    return nullptr;
}

TParameter& TParameters::ParamByName(const QString& Name) const {
    TParameter* P = FindParam(Name);
    if (!P) DatabaseError(QString("Parameter '%1' not found").arg(Name));
    return *P;
}

QStringList TParameters::ParseSQL(const QString& Sql, bool DoCreate) {
    QStringList Names;
    for (const TPlaceholder& P : ScanPlaceholders(Sql))
        if (!P.Name.isEmpty() && !Names.contains(P.Name, Qt::CaseInsensitive)) Names << P.Name;
    if (DoCreate) {
        std::vector<std::unique_ptr<TParameter>> Items;
        for (const QString& Name : Names) {
            auto It = std::find_if(FItems.begin(), FItems.end(), [&](const auto& P) {
                return P && P->Name().compare(Name, Qt::CaseInsensitive) == 0;
            });
            if (It != FItems.end()) Items.push_back(std::move(*It));
            else Items.push_back(std::make_unique<TParameter>(Name));
        }
        FItems = std::move(Items);
    }
    return Names;
}

// ---------------------------------------------------------------- connection

namespace {

// Without TZ the C library reads the zone file again for every local time it
// converts, which dominates reading date columns. Naming the same file once
// lets it keep what it read.
void KeepLocalZoneLoaded() {
    static const bool Done = [] {
        if (qEnvironmentVariableIsEmpty("TZ") && QFile::exists("/etc/localtime")) qputenv("TZ", ":/etc/localtime");
        return true;
    }();
    (void)Done;
}

}  // namespace

TADOConnection::TADOConnection(QObject* AOwner) : QObject(AOwner), FDialect(CreateDialect(egSQLite)) {
    KeepLocalZoneLoaded();
}

TADOConnection::~TADOConnection() {
    try {
        SetConnected(false);
    } catch (...) {
        // Destruction never throws; the server ends the session anyway.
    }
}

void TADOConnection::CheckDisconnected() const {
    if (Connected()) DatabaseError("Operation is not allowed when the object is open");
}

void TADOConnection::SetEngine(TEngine Value) {
    CheckDisconnected();
    FEngine = Value;
    FDialect = CreateDialect(Value);
}

void TADOConnection::SetDatabaseName(const QString& Value) {
    CheckDisconnected();
    FDatabaseName = Value;
}

void TADOConnection::SetConnectionString(const QString& Value) {
    CheckDisconnected();
    const QMap<QString, QString> Keys = ParseConnectionString(Value);
    const QString Provider = Keys.value("provider").toLower();
    auto Any = [&](std::initializer_list<const char*> Names) {
        for (const char* Name : Names)
            if (Keys.contains(QLatin1String(Name))) return Keys.value(QLatin1String(Name));
        return QString();
    };
    FConnectionString = Value;
    FHostName.clear();
    FPort = 0;
    FOdbcString.clear();
    if (Provider.startsWith("sqlite")) {
        SetEngine(egSQLite);
        FDatabaseName = Any({"data source", "database"});
    } else if (Provider.startsWith("postgres") || Provider == "pg") {
        SetEngine(egPostgreSQL);
        FHostName = Any({"host", "server", "data source"});
        FPort = Any({"port"}).toInt();
        FDatabaseName = Any({"database", "initial catalog", "dbname"});
    } else if (Provider.startsWith("sqloledb") || Provider.startsWith("sqlncli") || Provider.startsWith("msoledbsql")) {
        SetEngine(egTSQL);
        FDatabaseName = Any({"initial catalog", "database"});
        FHostName = Any({"data source", "server"});
        FOdbcString = OdbcFromProviderString(Keys);
    } else {
        SetEngine(egTSQL);
        FOdbcString = Value;
    }
    FUserName = Any({"user id", "uid", "user"});
    FPassword = Any({"password", "pwd"});
    if (FEngine == egTSQL && !FOdbcString.isEmpty())
        FOdbcString = OdbcWithCredentials(FOdbcString, FUserName, FPassword);
}

void TADOConnection::SetConnected(bool Value) {
    if (Value == Connected()) return;
    if (Value) {
        if (FEngine == egTSQL && FOdbcString.isEmpty())
            DatabaseError("The connection string names no ODBC driver for SQL Server (Driver={...})");
        if (BeforeConnect) BeforeConnect(this);
        FConnectionName = QString("vex_ado_%1").arg(++gConnectionCounter);
        const char* Driver = FEngine == egSQLite ? "QSQLITE" : FEngine == egPostgreSQL ? "QPSQL" : "QODBC";
        FDatabase = QSqlDatabase::addDatabase(QLatin1String(Driver), FConnectionName);
        if (FEngine == egSQLite) {
            FDatabase.setDatabaseName(FDatabaseName.isEmpty() ? QStringLiteral(":memory:") : FDatabaseName);
            FDatabase.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
        } else if (FEngine == egPostgreSQL) {
            FDatabase.setHostName(FHostName);
            if (FPort > 0) FDatabase.setPort(FPort);
            FDatabase.setDatabaseName(FDatabaseName);
            FDatabase.setUserName(FUserName);
            FDatabase.setPassword(FPassword);
        } else {
            FDatabase.setDatabaseName(FOdbcString);
        }
        if (!FDatabase.open()) {
            const QString Message = FDatabase.lastError().text();
            FDatabase = QSqlDatabase();
            QSqlDatabase::removeDatabase(FConnectionName);
            DatabaseError(Message.trimmed());
        }
        FClock.start();
        if (FEngine == egSQLite) {
            const QVariant Handle = FDatabase.driver()->handle();
            if (Handle.isValid() && qstrcmp(Handle.typeName(), "sqlite3*") == 0) {
                sqlite3* Db = *static_cast<sqlite3* const*>(Handle.constData());
                RegisterSqliteFunctions(Db);
                sqlite3_progress_handler(Db, 1000, SqliteProgressThunk, this);
            }
        }
        for (const QString& Sql : FDialect->SessionSetupSql()) ExecDirect(Sql);
        if (AfterConnect) AfterConnect(this);
    } else {
        if (BeforeDisconnect) BeforeDisconnect(this);
        FCache.clear();
        if (FTransactionLevel > 0 && !FBeginPending) FDatabase.rollback();
        FTransactionLevel = 0;
        FBeginPending = false;
        FTransactionAborted = false;
        FServerTimeout = 0;
        FDatabase.close();
        FDatabase = QSqlDatabase();
        QSqlDatabase::removeDatabase(FConnectionName);
        if (AfterDisconnect) AfterDisconnect(this);
    }
}

void TADOConnection::EnsureConnected() {
    if (!Connected()) Open();
}

void TADOConnection::ExecDirect(const QString& Sql) {
    QSqlQuery Q(FDatabase);
    if (!Q.exec(Sql)) Raise(Q, Sql);
}

int TADOConnection::BeginTrans() {
    EnsureConnected();
    if (FTransactionAborted) DatabaseError(kTransactionAborted);
    if (FTransactionLevel == 0) {
        SendBegin();
    } else {
        StartPendingTransaction();
        ExecDirect(FDialect->SavepointSql(QString("vex_level%1").arg(FTransactionLevel)));
    }
    return ++FTransactionLevel;
}

int TADOConnection::BeginTransDeferred() {
    if (FTransactionLevel > 0) return BeginTrans();
    EnsureConnected();
    FBeginPending = true;
    return ++FTransactionLevel;
}

void TADOConnection::SendBegin() {
    const QString Begin = FDialect->BeginTransactionSql();
    if (!Begin.isEmpty()) ExecDirect(Begin);
    else if (!FDatabase.transaction()) DatabaseError(FDatabase.lastError().text().trimmed());
    FTransactionAborted = false;
}

void TADOConnection::StartPendingTransaction() {
    if (!FBeginPending) return;
    // Still pending when the begin fails: the caller's rollback then closes the level without the server.
    SendBegin();
    FBeginPending = false;
}

void TADOConnection::CommitTrans() {
    if (FTransactionLevel == 0) DatabaseError("No transaction is active");
    if (std::exchange(FBeginPending, false)) {
        --FTransactionLevel;
        return;
    }
    const QString Savepoint = QString("vex_level%1").arg(--FTransactionLevel);
    if (FTransactionAborted) {
        // Only the outermost commit reports it; the caller then knows nothing was kept.
        if (FTransactionLevel == 0) {
            FTransactionAborted = false;
            DatabaseError(kTransactionAborted);
        }
        return;
    }
    if (FTransactionLevel > 0) {
        if (const QString Release = FDialect->ReleaseSavepointSql(Savepoint); !Release.isEmpty()) ExecDirect(Release);
        return;
    }
    if (!FDatabase.commit()) {
        // Nothing stays half-done: what the engine kept of the transaction goes.
        const QString Message = FDatabase.lastError().text().trimmed();
        FinishStatements();
        FDatabase.rollback();
        FServerTimeout = kServerTimeoutUnknown;
        DatabaseError(Message);
    }
}

void TADOConnection::RollbackTrans() {
    if (FTransactionLevel == 0) DatabaseError("No transaction is active");
    if (std::exchange(FBeginPending, false)) {
        --FTransactionLevel;
        return;
    }
    const QString Savepoint = QString("vex_level%1").arg(--FTransactionLevel);
    FServerTimeout = kServerTimeoutUnknown;
    if (FTransactionLevel == 0) {
        FinishStatements();
        const bool EngineEnded = std::exchange(FTransactionAborted, false) && !EngineInTransaction();
        if (!EngineEnded && !FDatabase.rollback()) DatabaseError(FDatabase.lastError().text().trimmed());
    } else if (!FTransactionAborted) {
        ExecDirect(FDialect->RollbackToSavepointSql(Savepoint));
    }
}

void TADOConnection::FinishStatements() {
    for (auto& Entry : FCache) Entry.second.Query.finish();
}

bool TADOConnection::EngineInTransaction() const {
    if (FEngine != egSQLite) return true;
    const QVariant Handle = FDatabase.driver()->handle();
    if (!Handle.isValid() || qstrcmp(Handle.typeName(), "sqlite3*") != 0) return true;
    return sqlite3_get_autocommit(*static_cast<sqlite3* const*>(Handle.constData())) == 0;
}

void TADOConnection::Raise(const QSqlQuery& Query, const QString& Sql) {
    const QSqlError E = Query.lastError();
    const QString Code = E.nativeErrorCode();
    const bool TimedOut = (FEngine == egSQLite && Code == "9") || (FEngine == egPostgreSQL && Code == "57014") ||
                          (FEngine == egTSQL && OdbcTimedOut(Query));
    RaiseEngineError(TimedOut, E.databaseText().trimmed().isEmpty() ? E.text() : E.databaseText(), Sql);
}

void TADOConnection::RaiseEngineError(bool TimedOut, const QString& Text, const QString& Sql) {
    // Some failures end the whole transaction; later statements would run outside it.
    if (FTransactionLevel > 0 && !FBeginPending && !EngineInTransaction()) FTransactionAborted = true;
    DatabaseError(StatementError(TimedOut ? QString("Query timeout expired") : Text.trimmed(), Sql));
}

TADOConnection::TStatement TADOConnection::Prepare(const QString& Sql, const TParameters* Params, bool Keep,
                                                   bool Batch) {
    if (!Batch) CheckSingleStatement(Sql);
    // Each placeholder is named after its parameter's index before the text is
    // translated, so a translation may move or repeat it and still bind right.
    QString Marked;
    int Last = 0, Positional = 0;
    for (const TPlaceholder& P : ScanPlaceholders(Sql)) {
        Marked += Sql.mid(Last, P.Pos - Last);
        Last = P.Pos + P.Length;
        int Index = -1;
        if (P.Name.isEmpty()) {
            Index = Positional++;
            if (!Params || Index >= Params->Count())
                DatabaseError(StatementError(QString("No value given for parameter %1").arg(Index + 1), Sql));
        } else {
            for (int I = 0; Params && I < Params->Count() && Index < 0; ++I)
                if ((*Params)[I].Name().compare(P.Name, Qt::CaseInsensitive) == 0) Index = I;
            if (Index < 0) DatabaseError(StatementError(QString("Parameter '%1' not found").arg(P.Name), Sql));
        }
        Marked += QString(":%1%2").arg(QLatin1String(kIndexPlaceholder)).arg(Index);
    }
    Marked += Sql.mid(Last);
    TStatement St;
    St.Source = Sql;
    const QString Translated = FDialect->Translate(Marked);
    Last = 0;
    for (const TPlaceholder& P : ScanPlaceholders(Translated)) {
        St.Text += Translated.mid(Last, P.Pos - Last) + '?';
        Last = P.Pos + P.Length;
        St.ParamOrder.push_back(P.Name.mid(int(qstrlen(kIndexPlaceholder))).toInt());
    }
    St.Text += Translated.mid(Last);
    St.Query = QSqlQuery(FDatabase);
    // A result read whole also tells its size, so the rows fetched are kept without moving.
    St.Query.setForwardOnly(!FDialect->ReadsWholeResults());
    St.IsPrepared = Keep || !St.ParamOrder.empty();
    if (St.IsPrepared && !St.Query.prepare(St.Text)) Raise(St.Query, Sql);
    if (St.IsPrepared && FEngine == egSQLite) St.Engine = SqliteStatementOf(St.Query);
    return St;
}

void TADOConnection::ApplyTimeout(int Seconds) {
    if (FEngine == egSQLite) {
        FTimeLimit = Seconds > 0 ? Seconds * 1000LL : 0;
        FDeadline = 0;
    } else if (FEngine == egPostgreSQL && Seconds != FServerTimeout) {
        ExecDirect(QString("SET statement_timeout = %1").arg(Seconds * 1000LL));
        FServerTimeout = Seconds;
    } else if (FEngine == egTSQL && Seconds != FServerTimeout) {
        SetOdbcConnectionTimeout(FDatabase, Seconds);
        FServerTimeout = Seconds;
    }
}

void TADOConnection::Exec(TStatement& Statement, const TParameters* Params, int Timeout, int* RowsAffected) {
    if (OnWillExecute) OnWillExecute(this, Statement.Source);
    if (FTransactionAborted) DatabaseError(kTransactionAborted);
    QVarLengthArray<QVariant, 8> Values;
    for (const int Index : Statement.ParamOrder) {
        const TParameter& P = (*Params)[Index];
        QVariant Value;
        try {
            Value = ConvertValue(P.Value(), P.DataType());  // a value of the wrong type fails here on every engine
        } catch (const EDatabaseError& E) {
            DatabaseError(StatementError(QString("Parameter '%1': %2").arg(P.Name(), E.Text()), Statement.Source));
        }
        Values.push_back(FDialect->BindValue(std::move(Value), P.DataType()));
    }
    const int Seconds = Timeout < 0 ? FCommandTimeout : Timeout;
    ApplyTimeout(Seconds);
    // A prepared handle kept from an earlier run has the time-out the connection had then.
    if (FEngine == egTSQL && Statement.IsPrepared) SetOdbcStatementTimeout(Statement.Query, Seconds);
    // A caller that wants only the rows written has no use for Qt's result: the engine runs it alone.
    std::optional<TSqliteWrite> Direct;
    if (RowsAffected && Statement.Engine) Direct = RunSqliteWrite(Statement.Engine, Values);
    if (Direct) {
        FTimeLimit = 0;
        if (Direct->Code != SQLITE_OK)
            RaiseEngineError(Direct->Code == SQLITE_INTERRUPT, Direct->Message, Statement.Source);
        *RowsAffected = Direct->Changes;
    } else {
        for (qsizetype I = 0; I < Values.size(); ++I) Statement.Query.bindValue(static_cast<int>(I), Values[I]);
        const bool Ok = Statement.IsPrepared ? Statement.Query.exec() : Statement.Query.exec(Statement.Text);
        FTimeLimit = 0;
        if (!Ok) Raise(Statement.Query, Statement.Source);
        if (RowsAffected) {
            *RowsAffected = Statement.Query.numRowsAffected();
            if (Statement.Query.isSelect()) Statement.Query.finish();  // other statements hold nothing once run
        }
    }
    for (const QString& Sql : FDialect->AfterStatementSql(Statement.Source)) ExecDirect(Sql);
}

TADOConnection::TStatement& TADOConnection::CachedStatement(const QString& Sql, const TParameters* Params) {
    EnsureConnected();
    StartPendingTransaction();
    auto It = FCache.find(Sql);
    if (It == FCache.end()) {
        if (FCache.size() >= 256) FCache.clear();
        It = FCache.emplace(Sql, Prepare(Sql, Params, true)).first;
    }
    return It->second;
}

QSqlQuery& TADOConnection::RunCached(const QString& Sql, const TParameters* Params, int Timeout) {
    TStatement& Statement = CachedStatement(Sql, Params);
    Exec(Statement, Params, Timeout);
    return Statement.Query;
}

TADOConnection::TStatement TADOConnection::OneOffStatement(const QString& Sql, const TParameters* Params,
                                                           bool Batch) {
    EnsureConnected();
    StartPendingTransaction();
    return Prepare(Sql, Params, false, Batch);
}

QSqlQuery TADOConnection::Run(const QString& Sql, const TParameters* Params, int Timeout) {
    TStatement St = OneOffStatement(Sql, Params);
    Exec(St, Params, Timeout);
    return std::move(St.Query);
}

QSqlQuery TADOConnection::RunBatch(const QString& Sql, const TParameters* Params, int Timeout) {
    TStatement St = OneOffStatement(Sql, Params, true);
    Exec(St, Params, Timeout);
    return std::move(St.Query);
}

int TADOConnection::Execute(const QString& Sql, const TParameters* Params, int Timeout, bool Prepared) {
    int Rows = 0;
    if (Prepared) {
        Exec(CachedStatement(Sql, Params), Params, Timeout, &Rows);
    } else {
        TStatement St = OneOffStatement(Sql, Params);
        Exec(St, Params, Timeout, &Rows);
    }
    return Rows;
}

QVariantList TADOConnection::SelectRow(const QString& Sql, const TParameters* Params) {
    QSqlQuery Q = Run(Sql, Params);
    QVariantList Row;
    if (Q.next())
        for (int I = 0, Count = Q.record().count(); I < Count; ++I) Row << (Q.value(I).isNull() ? Null() : Q.value(I));
    Q.finish();
    return Row;
}

TFieldDefs TADOConnection::ColumnDefs(const QSqlQuery& Query, const QString& Sql) const {
    TFieldDefs Defs;
    const QSqlRecord Rec = Query.record();
    // Names as the text writes them, for engines that report them folded.
    const std::map<QString, QString> Written =
        FDialect->FoldsUnquotedNames() ? WrittenNames(Sql) : std::map<QString, QString>();
    sqlite3_stmt* Stmt = FEngine == egSQLite ? SqliteStatementOf(Query) : nullptr;
    for (int I = 0; I < Rec.count(); ++I) {
        const auto Found = Written.find(Rec.fieldName(I));
        const QString Reported = Found == Written.end() ? Rec.fieldName(I) : Found->second;
        QString Name = Reported;
        for (int N = 1; Defs.IndexOf(Name) >= 0; ++N) Name = QString("%1_%2").arg(Reported).arg(N);
        TFieldType Type;
        int Size = 0;
        if (Stmt) {
            const char* Declared = sqlite3_column_decltype(Stmt, I);
            // An expression has no declared type: the values decide once all are read.
            Type = Declared ? TypeFromDeclared(QString::fromUtf8(Declared), Size) : ftVariant;
        } else {
            const QSqlField F = Rec.field(I);
            Type = TypeFromMeta(F);
            Size = Type == ftString ? F.length() : 0;
        }
        TFieldDef& Def = Defs.Add(Name, Type, Size);
        Def.Precision = Rec.field(I).precision() > 0 ? Rec.field(I).precision() : 0;
    }
    return Defs;
}

TFieldDefs TADOConnection::CommandFieldDefs(const QString& Sql, const TParameters* Params) {
    QSqlQuery Q = Run(QString("Select * From (%1) vex_defs Where 1 = 0").arg(WithoutOrder(Sql)), Params);
    TFieldDefs Defs = ColumnDefs(Q, Sql);
    Q.finish();
    NamesAsDefined(Defs, Sql);
    const QString Table = TableNameFromSql(Sql);
    if (Table.isEmpty()) return Defs;
    const TFieldDefs Columns = TableFieldDefs(Table);
    for (int I = 0; I < Defs.Count(); ++I)
        if (const TFieldDef* Column = Columns.Find(Defs[I].Name)) Defs[I].Required = Column->Required;
    return Defs;
}

void TADOConnection::NamesAsDefined(TFieldDefs& Defs, const QString& Sql) {
    if (!FDialect->FoldsUnquotedNames()) return;
    // Only names the text does not write come from the table's definition.
    const std::map<QString, QString> Written = WrittenNames(Sql);
    auto Folded = [&](const TFieldDef& Def) { return Def.Name == Def.Name.toLower() && !Written.count(Def.Name); };
    const QString Table = TableNameFromSql(Sql);
    if (Table.isEmpty() || std::none_of(Defs.begin(), Defs.end(), Folded)) return;
    const TFieldDefs Columns = TableFieldDefs(Table);
    for (int I = 0; I < Defs.Count(); ++I)
        if (const TFieldDef* Column = Columns.Find(Defs[I].Name); Column && Folded(Defs[I]))
            Defs[I].Name = Column->Name;
}

TFieldDefs TADOConnection::TableFieldDefs(const QString& Table) {
    TParameters Params;
    Params.CreateParameter("Table", ftString, Table);
    QSqlQuery Q = Run(FDialect->TableColumnsSql(), &Params);
    TFieldDefs Defs;
    while (Q.next()) {
        int Size = 0;
        const TFieldType Type = TypeFromDeclared(Q.value(1).toString(), Size);
        Defs.Add(Q.value(0).toString(), Type, Type == ftString ? Size : 0, Q.value(2).toInt() != 0);
    }
    return Defs;
}

// ---------------------------------------------------------------- command

void TADOCommandSettings::SetConnection(TADOConnection* Value) {
    CommandChanging();
    FConnection = Value;
}

void TADOCommandSettings::SetCommandText(const QString& Value) {
    CommandChanging();
    FCommandText = Value;
    if (FParamCheck) FParameters.ParseSQL(Value, true);
}

TADOConnection& TADOCommandSettings::CheckConnection() const {
    if (!FConnection) DatabaseError(QString("%1: Missing Connection or ConnectionString").arg(CommandName()));
    return *FConnection;
}

int TADOCommandSettings::ExecuteCommand() {
    return CheckConnection().Execute(FCommandText, &FParameters, FCommandTimeout, FPrepared);
}

int TADOCommand::Execute(const QVariantList& Values) {
    for (int I = 0; I < Values.size() && I < FParameters.Count(); ++I) FParameters[I].SetValue(Values[I]);
    return Execute();
}

}  // namespace platform::data
