#pragma once
// What an application hosting the data-access library provides for the whole
// session: the default connection and the loaded modules (the module
// controller), the global-variable store, the current user, the main window
// that answers the focus and search requests, and optionally a division host.
// The host is installed once before any framework component is used; without
// one, database work fails as having no default connection.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "controls/VexMessage.h"
#include "platform/ui/Messages.h"

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

class TGlobalVarStore;

// Sent to the main window: open a search window; non-zero when a row was chosen.
inline constexpr platform::ui::UINT WM_SEARCHREQUEST = platform::ui::WM_APP + 39;
// Sent to a division host's window before an insert or edit, and after a post.
inline constexpr platform::ui::UINT WM_DIVISIONEDIT = platform::ui::WM_APP + 8;
inline constexpr platform::ui::UINT WM_DIVISIONPOSTED = platform::ui::WM_APP + 9;

// The operations a division host allows, as bits of AllowedOperations.
inline constexpr int kAllowInsert = 1;
inline constexpr int kAllowEdit = 2;
inline constexpr int kAllowDelete = 4;

// An optional object attached to a division by the application.
class TDivisionHost {
public:
    virtual ~TDivisionHost() = default;
    virtual QObject* HostWindow() const = 0;
    virtual int AllowedOperations() const = 0;
};

class TVexHost {
public:
    virtual ~TVexHost() = default;
    // The module controller's connection; nullptr when there is none.
    virtual platform::data::TADOConnection* DefaultConnection() const = 0;
    virtual QList<QObject*> Modules() const = 0;
    // A loaded module by name, ignoring case; nullptr when none is loaded.
    virtual QObject* FindModule(const QString& Name) const = 0;
    // The store over the session table #Global_Var; nullptr when there is none.
    virtual TGlobalVarStore* GlobalVars() const = 0;
    // The user name of the role checks.
    virtual QString CurrentUserName() const = 0;
    // Answers WM_FOCUSCONTROL and WM_SEARCHREQUEST.
    virtual QObject* MainWindow() const = 0;
    // The batch that collects the messages raised inside a database operation; the process-wide one unless
    // the host keeps its own.
    virtual controls::TMessageQueue& Messages() const { return controls::MessageQueue(); }
};

// The session's host; nullptr until the application installs one.
TVexHost* Host();
// The host's message batch, or the process-wide one without a host.
controls::TMessageQueue& SessionMessages();
// Installing another host (or none) also forgets the session's cached state.
void SetHost(TVexHost* Value);

}  // namespace dataaccess
