#pragma once
// Monitors: components registered for one table class that hear about every
// event of the table's dataset, may demand a control password for an action and
// may forbid a detail row. A table creates each matching monitor for one call
// and frees it after; only a table of exactly the registered class is matched,
// never a subclass. The registry lives until the program ends.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

#include "dataaccess/PermissaoLib.h"
#include "platform/data/DBClient.h"

namespace dataaccess {

class TClasseTabela;

enum TMonitorNotifyEvent {
    neAfterCancel, neAfterClose, neAfterDelete, neAfterEdit, neAfterInsert, neAfterOpen, neAfterPost, neAfterRefresh,
    neAfterScroll, neApplyUpdates, neCancelUpdates, neBeforeCancel, neBeforeClose, neBeforeDelete, neBeforeEdit,
    neBeforeInsert, neBeforeOpen, neBeforePost, neBeforeScroll, neOnCalcFields, neOnNewRecord
};
enum TMonitorErrorEvent { eeOnDeleteError, eeOnEditError, eeOnPostError };

// 0 before the transaction starts, 1 before the table's hook, 2 after it, 3 after commit or rollback.
using TMonitorPhase = int;
using TMasterFields = QStringList;
using TMasterValues = QVariantList;

// The names as written in code ("neAfterPost"), used in monitor error messages.
QString MonitorEventName(TMonitorNotifyEvent Event);
QString MonitorEventName(TMonitorErrorEvent Event);

class IComponentMonitor {
public:
    virtual ~IComponentMonitor() = default;
    // True when the monitor requires a control password for Action; it may set Operation.
    virtual bool Validate(TClasseTabela* Table, int Kind, TPermissionAction Action, QString& Operation) = 0;
    // False forbids inserting the detail row.
    virtual bool CanInsert(TClasseTabela* Table, TMonitorPhase Phase, const TMasterFields& MasterFields,
                           const TMasterValues& MasterValues) = 0;
    virtual void FieldChange(TClasseTabela* Table, TMonitorPhase Phase, const QString& FieldName) = 0;
    virtual void Notify(TClasseTabela* Table, TMonitorNotifyEvent Event, TMonitorPhase Phase) = 0;
    virtual void Error(TClasseTabela* Table, TMonitorErrorEvent Event, TMonitorPhase Phase,
                       platform::data::EDatabaseError& E, platform::data::TDataAction& Action) = 0;
    virtual void ReconcileError(TClasseTabela* Table, TMonitorPhase Phase, platform::data::EReconcileError& E,
                                platform::data::TReconcileAction& Action, platform::data::TUpdateKind UpdateKind) = 0;
};

// The defaults concrete monitors start from: no password demanded, inserts allowed, nothing else done.
class TComponentMonitor : public QObject, public IComponentMonitor {
    Q_OBJECT
public:
    explicit TComponentMonitor(QObject* AOwner = nullptr) : QObject(AOwner) {}

    bool Validate(TClasseTabela*, int, TPermissionAction, QString&) override { return false; }
    bool CanInsert(TClasseTabela*, TMonitorPhase, const TMasterFields&, const TMasterValues&) override {
        return true;
    }
    void FieldChange(TClasseTabela*, TMonitorPhase, const QString&) override {}
    void Notify(TClasseTabela*, TMonitorNotifyEvent, TMonitorPhase) override {}
    void Error(TClasseTabela*, TMonitorErrorEvent, TMonitorPhase, platform::data::EDatabaseError&,
               platform::data::TDataAction&) override {}
    void ReconcileError(TClasseTabela*, TMonitorPhase, platform::data::EReconcileError&,
                        platform::data::TReconcileAction&, platform::data::TUpdateKind) override {}
};

// Creates a monitor owned by the table it is called for.
using TMonitorFactory = std::function<TComponentMonitor*(QObject* Owner)>;

void RegisterComponentMonitor(const QMetaObject& TableClass, TMonitorFactory Factory);
template <class TMonitor, class TTable>
void RegisterComponentMonitor() {
    RegisterComponentMonitor(TTable::staticMetaObject, [](QObject* Owner) { return new TMonitor(Owner); });
}
// The monitors registered for exactly TableClass, in registration order.
std::vector<TMonitorFactory> ComponentMonitorsOf(const QMetaObject& TableClass);
// Whether any is, without building the list.
bool HasComponentMonitors(const QMetaObject& TableClass);
// How many registrations there have been: they are never taken back, so an answer above holds until this grows.
size_t ComponentMonitorRegistrations();

}  // namespace dataaccess
