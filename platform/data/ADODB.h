#pragma once
// ADO-style access over Qt SQL: connection with transactions, parameters,
// query datasets and commands. Statements are written in T-SQL and go through
// the connection's dialect.
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QElapsedTimer>
#include <map>

#include "platform/data/FieldDefs.h"
#include "platform/data/SqlDialect.h"
#include "platform/os/Streams.h"

struct sqlite3_stmt;

namespace platform::data {

enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };

class TParameter {
public:
    explicit TParameter(const QString& Name = QString()) : FName(Name) {}

    QString Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    TParameterDirection Direction() const { return FDirection; }
    void SetDirection(TParameterDirection Value) { FDirection = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    int NumericScale() const { return FNumericScale; }
    void SetNumericScale(int Value) { FNumericScale = Value; }
    const QVariant& Value() const { return FValue; }
    // A parameter without a type takes the value's.
    void SetValue(const QVariant& Value);
    void Clear() { FValue = Null(); }
    // The whole stream, from its start, as a binary value.
    void LoadFromStream(platform::os::TStream& Stream, TFieldType DataType = ftBlob);

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    TParameterDirection FDirection = pdInput;
    int FSize = 0;
    int FPrecision = 0;
    int FNumericScale = 0;
    QVariant FValue;
};

class TParameters {
public:
    TParameter& AddParameter();
    TParameter& CreateParameter(const QString& Name, TFieldType DataType, const QVariant& Value = QVariant(),
                                TParameterDirection Direction = pdInput, int Size = 0);
    int Count() const { return static_cast<int>(FItems.size()); }
    TParameter& operator[](int Index) { return *FItems.at(Index); }
    const TParameter& operator[](int Index) const { return *FItems.at(Index); }
    TParameter* FindParam(const QString& Name) const;  // ignoring case
    TParameter& ParamByName(const QString& Name) const;  // EDatabaseError when missing
    QVariant ParamValues(const QString& Name) const { return ParamByName(Name).Value(); }
    void SetParamValues(const QString& Name, const QVariant& Value) { ParamByName(Name).SetValue(Value); }
    void Clear() { FItems.clear(); }
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }
    // The ":Name" parameters of a text, in order, without repeats; with
    // DoCreate the list becomes exactly those, keeping the known ones.
    QStringList ParseSQL(const QString& Sql, bool DoCreate);

private:
    std::vector<std::unique_ptr<TParameter>> FItems;
};

class TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject* AOwner = nullptr);
    ~TADOConnection() override;

    // "Provider=SQLite;Data Source=file", "Provider=PostgreSQL;Host=..;Port=..;
    // Database=..;User ID=..;Password=..", "Provider=SQLOLEDB.1;..." or an
    // ODBC "DSN=..." / "Driver=..." string for SQL Server. An OLE DB provider
    // string for SQL Server names its ODBC driver with "Driver={...}".
    QString ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const QString& Value);
    TEngine Engine() const { return FEngine; }
    void SetEngine(TEngine Value);
    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& Value);
    QString HostName() const { return FHostName; }
    void SetHostName(const QString& Value) { CheckDisconnected(); FHostName = Value; }
    int Port() const { return FPort; }
    void SetPort(int Value) { CheckDisconnected(); FPort = Value; }
    QString UserName() const { return FUserName; }
    void SetUserName(const QString& Value) { CheckDisconnected(); FUserName = Value; }
    QString Password() const { return FPassword; }
    void SetPassword(const QString& Value) { CheckDisconnected(); FPassword = Value; }
    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool Value) { FLoginPrompt = Value; }
    bool KeepConnection() const { return FKeepConnection; }
    void SetKeepConnection(bool Value) { FKeepConnection = Value; }
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int Value) { FCommandTimeout = Value; }

    bool Connected() const { return FDatabase.isOpen(); }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // Transactions nest through savepoints; answers the new level.
    int BeginTrans();
    // As BeginTrans, but an outermost begin reaches the server only when a statement runs inside it, so a
    // transaction that runs none costs no round trip. Levels and commit/rollback behave as with BeginTrans.
    int BeginTransDeferred();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return FTransactionLevel > 0; }
    int TransactionLevel() const { return FTransactionLevel; }

    // Runs a statement without a result set; answers the rows affected.
    // Prepared keeps the statement for the next run of the same text.
    int Execute(const QString& Sql, const TParameters* Params = nullptr, int Timeout = -1, bool Prepared = false);
    // The first row of a query; empty when it returns none.
    QVariantList SelectRow(const QString& Sql, const TParameters* Params = nullptr);

    const TSqlDialect& Dialect() const { return *FDialect; }
    QSqlDatabase Database() const { return FDatabase; }

    // Executes through a statement prepared once per text and kept while connected.
    QSqlQuery& RunCached(const QString& Sql, const TParameters* Params, int Timeout = -1);
    // Executes a statement of its own, for result sets read once.
    QSqlQuery Run(const QString& Sql, const TParameters* Params, int Timeout = -1);
    // Executes a T-SQL program of several statements as it is written: only
    // for the batches of named operations on a dialect that runs them.
    QSqlQuery RunBatch(const QString& Sql, const TParameters* Params, int Timeout = -1);
    // Definitions of the columns of an executed query; names keep the case Sql writes them in.
    TFieldDefs ColumnDefs(const QSqlQuery& Query, const QString& Sql = QString()) const;
    // Folded names of the columns of Sql's table as its definition writes them; runs a query of its own.
    void NamesAsDefined(TFieldDefs& Defs, const QString& Sql);
    // The columns of a command, or of a table, without reading any row.
    TFieldDefs CommandFieldDefs(const QString& Sql, const TParameters* Params = nullptr);
    TFieldDefs TableFieldDefs(const QString& Table);

    std::function<void(TADOConnection* Sender)> BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
    // Told of every statement before it runs, as its caller wrote it.
    std::function<void(TADOConnection* Sender, const QString& Sql)> OnWillExecute;

private:
    struct TStatement {
        QSqlQuery Query;
        QString Source;               // as the caller wrote it, for error messages
        QString Text;                 // translated; run directly when not prepared
        bool IsPrepared = false;
        std::vector<int> ParamOrder;  // parameter index per placeholder
        sqlite3_stmt* Engine = nullptr;  // the embedded engine's statement behind Query, alive as long as Query
    };
    void CheckDisconnected() const;
    void EnsureConnected();
    // Statements without parameters run directly unless kept: servers do not prepare every kind.
    // A Batch may hold several statements.
    TStatement Prepare(const QString& Sql, const TParameters* Params, bool Keep, bool Batch = false);
    // Runs a statement; given RowsAffected, the caller reads nothing else of it.
    void Exec(TStatement& Statement, const TParameters* Params, int Timeout, int* RowsAffected = nullptr);
    // The statement kept for Sql, prepared on its first run.
    TStatement& CachedStatement(const QString& Sql, const TParameters* Params);
    // A statement of its own, for one run.
    TStatement OneOffStatement(const QString& Sql, const TParameters* Params, bool Batch = false);
    void ApplyTimeout(int Seconds);
    void ExecDirect(const QString& Sql);
    void SendBegin();
    // Sends a deferred outermost begin before the first statement inside it.
    void StartPendingTransaction();
    // The server's own message and the statement; a stopped statement says so.
    [[noreturn]] void Raise(const QSqlQuery& Query, const QString& Sql);
    [[noreturn]] void RaiseEngineError(bool TimedOut, const QString& Text, const QString& Sql);
    void FinishStatements();
    // False when the engine ended the transaction by itself (some failures roll it all back).
    bool EngineInTransaction() const;

    QString FConnectionString;
    TEngine FEngine = egSQLite;
    std::unique_ptr<TSqlDialect> FDialect;
    QString FDatabaseName, FHostName, FUserName, FPassword, FOdbcString;  // ODBC text: SQL Server only
    int FPort = 0;
    bool FLoginPrompt = false;
    bool FKeepConnection = true;
    int FCommandTimeout = 30;
    int FTransactionLevel = 0;
    bool FTransactionAborted = false;  // statements are refused until the caller rolls back
    bool FBeginPending = false;        // level 1 is open but the server has not been told yet
    int FServerTimeout = 0;
    QString FConnectionName;
    QSqlDatabase FDatabase;
    std::map<QString, TStatement> FCache;
    QElapsedTimer FClock;
    qint64 FTimeLimit = 0;  // ms the running statement may take; 0: no limit
    // ms on FClock when it stops, set at its first progress check: short statements never read the clock
    qint64 FDeadline = 0;
    friend int SqliteProgress(void* Connection);
};

// What a query dataset and a command share: the connection, the text with its
// parameters and how it runs.
class TADOCommandSettings {
public:
    virtual ~TADOCommandSettings() = default;
    TADOConnection* Connection() const { return FConnection.data(); }
    void SetConnection(TADOConnection* Value);
    QString CommandText() const { return FCommandText; }
    // With ParamCheck the parameters become those the text names.
    void SetCommandText(const QString& Value);
    TParameters& Parameters() { return FParameters; }
    bool ParamCheck() const { return FParamCheck; }
    void SetParamCheck(bool Value) { FParamCheck = Value; }
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int Value) { FCommandTimeout = Value; }
    bool Prepared() const { return FPrepared; }
    void SetPrepared(bool Value) { FPrepared = Value; }
    // The connection, or EDatabaseError when there is none.
    TADOConnection& CheckConnection() const;
    // Runs the text without a result set; answers the rows affected.
    int ExecuteCommand();

protected:
    // Called before the connection or the text changes.
    virtual void CommandChanging() {}
    virtual QString CommandName() const = 0;
    TParameters FParameters;

private:
    QPointer<TADOConnection> FConnection;
    QString FCommandText;
    bool FParamCheck = true;
    int FCommandTimeout = 30;
    bool FPrepared = false;
};

class TADOCommand : public QObject, public TADOCommandSettings {
    Q_OBJECT
public:
    explicit TADOCommand(QObject* AOwner = nullptr) : QObject(AOwner) {}
    // Answers the rows affected.
    int Execute() { return ExecuteCommand(); }
    // The values go to the parameters in order first.
    int Execute(const QVariantList& Values);

protected:
    QString CommandName() const override { return objectName(); }
};

}  // namespace platform::data
