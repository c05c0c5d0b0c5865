#pragma once
// What the permission suites share: the framework schema on the engine's
// connection with a host logged in, rows of users, roles, memberships, tables
// and permissions written in one call each, a table that records what the
// check asked of it, and a counter of one named operation's runs.
#include <QStringList>
#include <memory>

#include "EngineTest.h"
#include "dataaccess/PermissaoLib.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/data/NamedOperation.h"

namespace dataaccess::testing {

class PermissionTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void AddUser(int Id, const QString& Name);
    void AddRole(int Id, const QString& Name);
    // Makes a user (IdUsuario) or a role (IdPapel) a member of Superior; 0 leaves the other column Null.
    void AddMember(int Superior, int IdUsuario, int IdPapel);
    void AddTable(int Id, const QString& Name);
    // Levels in the order of TPermissionAction.
    void Grant(int IdTabela, int IdPapel, std::array<int, kPermissionActionCount> Levels);
    void AddPassword(platform::data::TADOConnection& Connection, int Id, const QString& Name, const QString& Senha,
                     int Tipo);
    void AddPassword(int Id, const QString& Name, const QString& Senha, int Tipo) {
        AddPassword(*Conn, Id, Name, Senha, Tipo);
    }
    // "Descricao|Referencia|Motivo|IdUsuario" per log row, Null shown as "<null>".
    QStringList LogRows(platform::data::TADOConnection& Connection);
    QStringList LogRows() { return LogRows(*Conn); }
    QString StoredPassword(int Id);

    std::unique_ptr<TTestHost> Host;
};

// A guarded table that answers from its fields and records the check's calls.
class TRecordingTable : public IPermissionTable {
public:
    explicit TRecordingTable(QString Caption) : FCaption(std::move(Caption)) {}
    void GetCaption(QString& Caption) override { Caption = FCaption; }
    bool MonitorValidate(int Kind, TPermissionAction, QString& Operation) override;
    bool RequiresControlPassword(TPermissionAction, QString& Operation) override;
    int GetMinReasonLength(TPermissionAction) override { return MinReasonLength; }
    void GetOperationDescription(QString& Text) override;
    void SetLastAction(TPermissionAction Action) override { LastAction = Action; }
    platform::data::TADOConnection* Connection() const override { return nullptr; }

    // The monitor kind (1 or 2) that demands a password, 0 none, with the operation text it supplies.
    int DemandingMonitor = 0;
    bool TableRequires = false;
    QString SuppliedOperation;
    int MinReasonLength = 1;
    TPermissionAction LastAction = paVisualizar;
    QStringList Asked;  // "monitor 1", "table", "monitor 2"

private:
    QString FCaption;
};

// Counts the runs of one registered operation while it lives, then puts a fresh original back.
class TOperationCounter {
public:
    explicit TOperationCounter(const QString& Name);
    ~TOperationCounter();
    int Runs() const { return *FRuns; }

private:
    QString FName;
    std::shared_ptr<int> FRuns;
};

}  // namespace dataaccess::testing
