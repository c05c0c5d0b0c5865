#include "dataaccess/VexSession.h"

#include <QElapsedTimer>
#include <QScopeGuard>

#include "dataaccess/VexGlobalVars.h"
#include "dataaccess/VexHost.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/ui/Forms.h"

namespace dataaccess {

using namespace platform::data;

namespace {

constexpr const char* kEmptyGlobalVarName = "Empty names for global variables is not permitted.";

int gDefaultTimeout = kInitialCommandTimeout;
bool gAssigning = false;
int gTransactionDepth = 0;
int gBusyCount = 0;
bool gBusyShown = false;
QDateTime gServerTime;
QElapsedTimer gServerTimeAge;
TControlPasswordState gControlPassword;

void RestoreCursor() {
    gBusyCount = 0;
    if (gBusyShown) platform::ui::EndBusyCursor();
    gBusyShown = false;
}

void ConnectOne(QObject* Component, TADOConnection& Connection, int Timeout) {
    TADOCommandSettings* Settings = nullptr;
    if (auto* DataSet = qobject_cast<TCustomADODataSet*>(Component)) {
        DataSet->Close();
        Settings = DataSet;
    } else if (auto* Command = qobject_cast<TADOCommand*>(Component)) {
        Settings = Command;
    }
    if (!Settings) return;
    Settings->SetConnection(&Connection);
    Settings->SetCommandTimeout(Timeout);
}

}  // namespace

int DefaultCommandTimeout() { return gDefaultTimeout; }
void SetDefaultCommandTimeout(int Seconds) { gDefaultTimeout = Seconds; }

TADOConnection& SessionConnection(TADOConnection* Connection) {
    if (!Connection && Host()) Connection = Host()->DefaultConnection();
    if (!Connection) throw platform::os::Exception(kNoDefaultConnection);
    return *Connection;
}

void AssignConnection(QObject* Component, TADOConnection* Connection, int Timeout) {
    TADOConnection& Target = SessionConnection(Connection);
    ConnectOne(Component, Target, Timeout == -1 ? gDefaultTimeout : Timeout);
    if (gAssigning || !Component) return;
    gAssigning = true;
    const auto Done = qScopeGuard([] { gAssigning = false; });
    for (QObject* Owned : Component->children()) ConnectOne(Owned, Target, gDefaultTimeout);
}

namespace {

// The host's store, on the session connection when it has none of its own.
TGlobalVarStore& GlobalVars() {
    TGlobalVarStore* Store = Host() ? Host()->GlobalVars() : nullptr;
    if (!Store) throw platform::os::Exception(kNoDefaultConnection);
    if (!Store->Connection()) Store->SetConnection(&SessionConnection());
    return *Store;
}

}  // namespace

int CurrentUserId() { return GetGlobalInt(kIdUsuario); }
int CurrentCompanyId() { return GetGlobalInt(kIdEmpresaSistema); }

bool FindGlobalVar(const QString& Name, bool CreateIfMissing) {
    if (Name.trimmed().isEmpty()) throw platform::os::Exception(kEmptyGlobalVarName);
    TGlobalVarStore& Store = GlobalVars();
    Store.Open();
    TClientDataSet& Rows = Store.DataSet();
    const bool Found = Rows.Locate("Variavel", Name, loCaseInsensitive);
    if (!CreateIfMissing) return Found;
    if (Found) {
        Rows.Edit();
    } else {
        Rows.Insert();
        Rows.FieldByName("Variavel")->SetAsString(Name);
    }
    return true;
}

int GetGlobalInt(const QString& Name) {
    if (!FindGlobalVar(Name, false)) return 0;
    return GlobalVars().DataSet().FieldByName("Valor")->Value().toInt();
}

int BeginTransaction() {
    if (gTransactionDepth == 0) SessionConnection().BeginTransDeferred();
    return gTransactionDepth++;
}

void CommitTransaction() {
    if (gTransactionDepth <= 0) return;
    // A failed commit still ends the nest: the server has ended or undone the transaction.
    const auto Leave = qScopeGuard([] { --gTransactionDepth; });
    if (gTransactionDepth == 1) {
        TADOConnection& Connection = SessionConnection();
        try {
            Connection.CommitTrans();
        } catch (...) {
            try {
                if (Connection.InTransaction()) Connection.RollbackTrans();
            } catch (...) {
                // The commit's error is the one to report.
            }
            throw;
        }
    }
}

void RollbackTransaction() {
    if (gTransactionDepth <= 0) return;
    gTransactionDepth = 0;
    SessionConnection().RollbackTrans();
}

int TransactionDepth() { return gTransactionDepth; }

QDateTime ServerNow(TADOConnection* Connection) {
    if (gServerTime.isValid()) return gServerTime.addMSecs(gServerTimeAge.elapsed());
    const QVariantList Row = SessionConnection(Connection).SelectRow("Select GetDate()");
    if (Row.isEmpty() || VarIsClear(Row[0])) return QDateTime::currentDateTime();
    gServerTime = Row[0].toDateTime();
    gServerTimeAge.start();
    return gServerTime;
}

void BeginBusy() {
    if (gBusyCount++ == 0 && !gBusyShown) {
        platform::ui::BeginBusyCursor();
        gBusyShown = true;
    }
}

void EndBusy() {
    if (--gBusyCount <= 0) RestoreCursor();
}

TControlPasswordState& ControlPasswordState() { return gControlPassword; }

void ResetSession() {
    gDefaultTimeout = kInitialCommandTimeout;
    gControlPassword = TControlPasswordState();
    gTransactionDepth = 0;
    gServerTime = QDateTime();
    RestoreCursor();
}

}  // namespace dataaccess
