#pragma once
// The session context the table classes and data-bound components share:
// how a dataset or command gets its connection, the session's global
// variables (current user and company), the nested transaction counter, the
// server clock and the busy cursor. The objects come from the host; without a
// default connection every database routine here raises
// kNoDefaultConnection before any statement runs. Server errors propagate.
#include <QDateTime>
#include <QObject>
#include <QString>

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

inline constexpr const char* kNoDefaultConnection =
    "Não existe uma connection padrão configurada no ModuloCtrl desta sessão.";
inline constexpr const char* kIdUsuario = "IdUsuario";
inline constexpr const char* kIdEmpresaSistema = "IdEmpresa_Sistema";
inline constexpr int kInitialCommandTimeout = 120;

// Seconds; a Timeout of -1 in AssignConnection means this value.
int DefaultCommandTimeout();
void SetDefaultCommandTimeout(int Seconds);

// Connection, else the host's default connection; raises kNoDefaultConnection when neither exists.
platform::data::TADOConnection& SessionConnection(platform::data::TADOConnection* Connection = nullptr);

// Gives a query dataset (closed first) or a command its connection and
// timeout; other components are left alone. The outermost call also connects
// the components Component owns directly, with the default timeout.
void AssignConnection(QObject* Component, platform::data::TADOConnection* Connection = nullptr, int Timeout = -1);

// The integer value of the session variables IdUsuario and IdEmpresa_Sistema.
int CurrentUserId();
int CurrentCompanyId();

// Makes the variable Name the store's current row. With CreateIfMissing the
// row is put into edit, or inserted, and the answer is true: the caller sets
// Valor and posts. An empty name raises.
bool FindGlobalVar(const QString& Name, bool CreateIfMissing);
// 0 when missing.
int GetGlobalInt(const QString& Name);

// Only the outermost begin and commit reach the server; any rollback ends the
// whole nest. The counter works on the session's default connection.
int BeginTransaction();  // the depth before
void CommitTransaction();
void RollbackTransaction();
int TransactionDepth();

// The server's clock, read once and then followed on the local tick counter.
QDateTime ServerNow(platform::data::TADOConnection* Connection = nullptr);

// The first begin shows the hourglass; the end that brings the count to 0 restores the cursor.
void BeginBusy();
void EndBusy();

// The session's control-password state: how many callers suppress prompts, how many scopes are open, whether the
// open scope already had its password, and the reason given last.
struct TControlPasswordState {
    int SuppressCount = 0;
    int ScopeCount = 0;
    bool ScopeAuthorised = false;
    QString LastReason;
};
TControlPasswordState& ControlPasswordState();

// Forgets the transaction depth, the cached server time, the busy count, the timeout and the control-password state.
void ResetSession();

}  // namespace dataaccess
