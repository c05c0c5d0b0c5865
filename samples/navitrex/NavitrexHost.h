#pragma once
// The application's side of the library's host contract: it serves the
// session's connection (which its caller keeps), owns the global-variable store, lists the loaded modules,
// knows the logged-in user and names the main window that answers the focus
// and search requests. The lookups' modules, which the search combos open,
// are loaded with it. Constructing it installs it as the session's host;
// destroying it removes it again.
#include <QList>
#include <QPointer>
#include <memory>
#include <vector>

#include "dataaccess/VexHost.h"
#include "samples/navitrex/NavitrexCadastros.h"

namespace platform::ui {
class TCustomForm;
}

namespace navitrex {

class TNavitrexHost : public dataaccess::TVexHost {
public:
    explicit TNavitrexHost(platform::data::TADOConnection& Connection);
    ~TNavitrexHost() override;

    platform::data::TADOConnection* DefaultConnection() const override { return &FConnection; }
    QList<QObject*> Modules() const override;
    QObject* FindModule(const QString& Name) const override;
    dataaccess::TGlobalVarStore* GlobalVars() const override { return FGlobalVars.get(); }
    QString CurrentUserName() const override { return FUserName; }
    QObject* MainWindow() const override;

    void AddModule(QObject* Module) { FModules << Module; }
    // Also the process's main form, to which the focus requests go.
    void SetMainWindow(platform::ui::TCustomForm* Window);
    // Creates the roles and the user when missing and sets the session variables IdUsuario and IdEmpresa_Sistema.
    void Login(const QString& UserName);

private:
    platform::data::TADOConnection& FConnection;
    std::unique_ptr<dataaccess::TGlobalVarStore> FGlobalVars;
    QList<QPointer<QObject>> FModules;
    QPointer<platform::ui::TCustomForm> FMainWindow;
    QString FUserName;
    std::vector<std::unique_ptr<TModuloCadastro>> FCadastros;
};

}  // namespace navitrex
