#pragma once
// A complete host for the data-access library, for tests and small programs:
// a default connection (given, or an embedded SQLite file or memory database
// with the framework schema), loaded modules found by name, the
// global-variable store, the current user and company, a main window that
// answers the focus request and records search requests, and division hosts.
// Constructing it installs it as the session's host, its window as the main
// form; destroying it removes both.
#include <QList>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "dataaccess/VexHost.h"
#include "platform/ui/Forms.h"

namespace platform::data {
class TADOConnection;
}

namespace dataaccess::testing {

// A window that answers WM_FOCUSCONTROL and WM_SEARCHREQUEST, and keeps every message it was sent.
class TTestMainWindow : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    TTestMainWindow();

    // The answer to a search request; none answers 0 (no row chosen).
    std::function<platform::ui::LRESULT(platform::ui::TMessage& Message)> OnSearch;
    const std::vector<platform::ui::TMessage>& Received() const { return FReceived; }

protected:
    void Dispatch(platform::ui::TMessage& Message) override;

private:
    std::vector<platform::ui::TMessage> FReceived;
};

class TTestDivisionHost : public TDivisionHost {
public:
    explicit TTestDivisionHost(int Allowed = kAllowInsert | kAllowEdit | kAllowDelete);
    ~TTestDivisionHost() override;
    QObject* HostWindow() const override;
    int AllowedOperations() const override { return FAllowed; }
    void SetAllowedOperations(int Value) { FAllowed = Value; }
    TTestMainWindow& Window() { return *FWindow; }

private:
    std::unique_ptr<TTestMainWindow> FWindow;
    int FAllowed;
};

class TTestHost : public TVexHost {
public:
    // Connection nullptr: a SQLite database in memory with the framework schema.
    explicit TTestHost(platform::data::TADOConnection* Connection = nullptr);
    ~TTestHost() override;

    platform::data::TADOConnection* DefaultConnection() const override { return FConnection; }
    // nullptr leaves the session without a default connection.
    void SetDefaultConnection(platform::data::TADOConnection* Value);
    QList<QObject*> Modules() const override;
    QObject* FindModule(const QString& Name) const override;
    void AddModule(QObject* Module);
    TGlobalVarStore* GlobalVars() const override { return FGlobalVars.get(); }
    QString CurrentUserName() const override { return FUserName; }
    QObject* MainWindow() const override { return FMainWindow.get(); }
    TTestMainWindow& Window() { return *FMainWindow; }

    // Logs a user in: the name and the session variables IdUsuario and IdEmpresa_Sistema.
    void Login(const QString& UserName, int IdUsuario, int IdEmpresaSistema);

private:
    std::unique_ptr<platform::data::TADOConnection> FOwnConnection;
    platform::data::TADOConnection* FConnection = nullptr;
    std::unique_ptr<TGlobalVarStore> FGlobalVars;
    std::unique_ptr<TTestMainWindow> FMainWindow;
    QList<QPointer<QObject>> FModules;
    QString FUserName;
    TVexHost* FPrevious;
};

}  // namespace dataaccess::testing
