#include "platform/data/ADODB.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <atomic>
#include <sqlite3.h>
#include <utility>

#include "platform/data/ConnectionString.h"
#include "platform/data/SqliteFunctions.h"

namespace platform::data {

namespace {

struct TPlaceholder {
    int Pos;
    int Length;
    QString Name;  // empty for "?"
};

bool IsNameChar(QChar C) { return C.isLetterOrNumber() || C == '_'; }

// "?" and ":Name" outside strings, quoted names and comments; "::" is a cast.
std::vector<TPlaceholder> ScanPlaceholders(const QString& S) {
    std::vector<TPlaceholder> Out;
    const int N = S.size();
    for (int I = 0; I < N; ++I) {
        const QChar C = S[I];
        if (C == '\'' || C == '"' || C == '[') {
            const QChar Close = C == '[' ? QChar(']') : C;
            for (++I; I < N; ++I) {
                if (S[I] == Close) {
                    if (Close != ']' && I + 1 < N && S[I + 1] == Close) ++I;
                    else break;
                }
            }
        } else if (C == '-' && I + 1 < N && S[I + 1] == '-') {
            while (I < N && S[I] != '\n') ++I;
        } else if (C == '/' && I + 1 < N && S[I + 1] == '*') {
            const int End = S.indexOf("*/", I + 2);
            I = End < 0 ? N : End + 1;
        } else if (C == '?') {
            Out.push_back(TPlaceholder{I, 1, QString()});
        } else if (C == ':') {
            if (I + 1 < N && S[I + 1] == ':') {
                ++I;
            } else if (I + 1 < N && IsNameChar(S[I + 1]) && (I == 0 || S[I - 1] != ':')) {
                int J = I + 1;
                while (J < N && IsNameChar(S[J])) ++J;
                Out.push_back(TPlaceholder{I, J - I, S.mid(I + 1, J - I - 1)});
                I = J - 1;
            }
        }
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

}  // namespace

int SqliteProgress(void* Connection) {
    auto* C = static_cast<TADOConnection*>(Connection);
    return C->FDeadline != 0 && C->FClock.elapsed() > C->FDeadline ? 1 : 0;
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
        if (FTransactionLevel > 0) FDatabase.rollback();
        FTransactionLevel = 0;
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
    if (!Q.exec(Sql)) Raise(Q);
}

int TADOConnection::BeginTrans() {
    EnsureConnected();
    if (FTransactionAborted) DatabaseError(kTransactionAborted);
    if (FTransactionLevel == 0) {
        const QString Begin = FDialect->BeginTransactionSql();
        if (!Begin.isEmpty()) ExecDirect(Begin);
        else if (!FDatabase.transaction()) DatabaseError(FDatabase.lastError().text().trimmed());
        FTransactionAborted = false;
    } else {
        ExecDirect(FDialect->SavepointSql(QString("vex_level%1").arg(FTransactionLevel)));
    }
    return ++FTransactionLevel;
}

void TADOConnection::CommitTrans() {
    if (FTransactionLevel == 0) DatabaseError("No transaction is active");
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
        DatabaseError(Message);
    }
}

void TADOConnection::RollbackTrans() {
    if (FTransactionLevel == 0) DatabaseError("No transaction is active");
    const QString Savepoint = QString("vex_level%1").arg(--FTransactionLevel);
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

void TADOConnection::Raise(const QSqlQuery& Query) {
    // Some failures end the whole transaction; later statements would run outside it.
    if (FTransactionLevel > 0 && !EngineInTransaction()) FTransactionAborted = true;
    const QSqlError E = Query.lastError();
    const QString Code = E.nativeErrorCode();
    if ((FEngine == egSQLite && Code == "9") || (FEngine == egPostgreSQL && Code == "57014"))
        DatabaseError("Query timeout expired");
    const QString Text = E.databaseText().trimmed().isEmpty() ? E.text() : E.databaseText();
    DatabaseError(Text.trimmed());
}

TADOConnection::TStatement TADOConnection::Prepare(const QString& Sql, const TParameters* Params, bool Keep) {
    TStatement St;
    QString Text;
    int Last = 0, Positional = 0;
    for (const TPlaceholder& P : ScanPlaceholders(Sql)) {
        Text += Sql.mid(Last, P.Pos - Last) + '?';
        Last = P.Pos + P.Length;
        int Index = -1;
        if (P.Name.isEmpty()) {
            Index = Positional++;
            if (!Params || Index >= Params->Count()) DatabaseError(QString("No value given for parameter %1").arg(Index + 1));
        } else {
            for (int I = 0; Params && I < Params->Count() && Index < 0; ++I)
                if ((*Params)[I].Name().compare(P.Name, Qt::CaseInsensitive) == 0) Index = I;
            if (Index < 0) DatabaseError(QString("Parameter '%1' not found").arg(P.Name));
        }
        St.ParamOrder.push_back(Index);
    }
    Text += Sql.mid(Last);
    St.Text = FDialect->Translate(Text);
    St.Query = QSqlQuery(FDatabase);
    St.Query.setForwardOnly(true);
    St.IsPrepared = Keep || !St.ParamOrder.empty();
    if (St.IsPrepared && !St.Query.prepare(St.Text)) Raise(St.Query);
    return St;
}

void TADOConnection::ApplyTimeout(int Seconds) {
    if (FEngine == egSQLite) {
        FDeadline = Seconds > 0 ? FClock.elapsed() + Seconds * 1000LL : 0;
    } else if (FEngine == egPostgreSQL && Seconds != FServerTimeout) {
        ExecDirect(QString("SET statement_timeout = %1").arg(Seconds * 1000LL));
        FServerTimeout = Seconds;
    }
}

void TADOConnection::Exec(TStatement& Statement, const TParameters* Params, int Timeout) {
    if (FTransactionAborted) DatabaseError(kTransactionAborted);
    for (size_t I = 0; I < Statement.ParamOrder.size(); ++I) {
        const TParameter& P = (*Params)[Statement.ParamOrder[I]];
        Statement.Query.bindValue(static_cast<int>(I), FDialect->BindValue(P.Value(), P.DataType()));
    }
    ApplyTimeout(Timeout < 0 ? FCommandTimeout : Timeout);
    const bool Ok = Statement.IsPrepared ? Statement.Query.exec() : Statement.Query.exec(Statement.Text);
    FDeadline = 0;
    if (!Ok) Raise(Statement.Query);
}

QSqlQuery& TADOConnection::RunCached(const QString& Sql, const TParameters* Params, int Timeout) {
    EnsureConnected();
    auto It = FCache.find(Sql);
    if (It == FCache.end()) {
        if (FCache.size() >= 256) FCache.clear();
        It = FCache.emplace(Sql, Prepare(Sql, Params, true)).first;
    }
    Exec(It->second, Params, Timeout);
    return It->second.Query;
}

QSqlQuery TADOConnection::Run(const QString& Sql, const TParameters* Params, int Timeout) {
    EnsureConnected();
    TStatement St = Prepare(Sql, Params, false);
    Exec(St, Params, Timeout);
    return std::move(St.Query);
}

int TADOConnection::Execute(const QString& Sql, const TParameters* Params, int Timeout, bool Prepared) {
    QSqlQuery Fresh;
    QSqlQuery& Q = Prepared ? RunCached(Sql, Params, Timeout) : (Fresh = Run(Sql, Params, Timeout));
    const int Rows = Q.numRowsAffected();
    Q.finish();
    return Rows;
}

QVariantList TADOConnection::SelectRow(const QString& Sql, const TParameters* Params) {
    QSqlQuery Q = Run(Sql, Params);
    QVariantList Row;
    if (Q.next())
        for (int I = 0; I < Q.record().count(); ++I) Row << (Q.value(I).isNull() ? Null() : Q.value(I));
    Q.finish();
    return Row;
}

TFieldDefs TADOConnection::ColumnDefs(const QSqlQuery& Query) const {
    TFieldDefs Defs;
    const QSqlRecord Rec = Query.record();
    sqlite3_stmt* Stmt = nullptr;
    if (FEngine == egSQLite && Query.result()) {
        const QVariant Handle = Query.result()->handle();
        if (Handle.isValid() && qstrcmp(Handle.typeName(), "sqlite3_stmt*") == 0)
            Stmt = *static_cast<sqlite3_stmt* const*>(Handle.constData());
    }
    for (int I = 0; I < Rec.count(); ++I) {
        QString Name = Rec.fieldName(I);
        for (int N = 1; Defs.IndexOf(Name) >= 0; ++N) Name = QString("%1_%2").arg(Rec.fieldName(I)).arg(N);
        TFieldType Type;
        int Size = 0;
        if (Stmt) {
            const char* Declared = sqlite3_column_decltype(Stmt, I);
            if (Declared) {
                Type = TypeFromDeclared(QString::fromUtf8(Declared), Size);
            } else {
                // An expression: the type of its first value.
                switch (sqlite3_column_type(Stmt, I)) {
                case SQLITE_INTEGER: Type = ftLargeint; break;
                case SQLITE_FLOAT: Type = ftFloat; break;
                case SQLITE_TEXT: Type = ftString; break;
                case SQLITE_BLOB: Type = ftBlob; break;
                default: Type = ftVariant; break;
                }
            }
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
