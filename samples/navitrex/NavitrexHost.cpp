#include "samples/navitrex/NavitrexHost.h"

#include "dataaccess/PermissaoLib.h"
#include "dataaccess/VexGlobalVars.h"
#include "dataaccess/VexSession.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexUsers.h"

namespace navitrex {

namespace {

// One company per customer database.
constexpr int kEmpresaUnica = 1;

}  // namespace

TNavitrexHost::TNavitrexHost(platform::data::TADOConnection& Connection)
    : FConnection(Connection), FGlobalVars(std::make_unique<dataaccess::TGlobalVarStore>()) {
    FGlobalVars->SetConnection(&FConnection);
    for (const TCadastro Cadastro : kCadastros) {
        FCadastros.push_back(std::make_unique<TModuloCadastro>(Cadastro));
        AddModule(FCadastros.back().get());
    }
    dataaccess::ClearPermissionCache();
    dataaccess::SetHost(this);
}

TNavitrexHost::~TNavitrexHost() {
    if (FMainWindow && platform::ui::MainForm() == FMainWindow) platform::ui::SetMainForm(nullptr);
    if (dataaccess::Host() == this) dataaccess::SetHost(nullptr);
}

QObject* TNavitrexHost::MainWindow() const { return FMainWindow; }

void TNavitrexHost::SetMainWindow(platform::ui::TCustomForm* Window) {
    FMainWindow = Window;
    platform::ui::SetMainForm(Window);
}

QList<QObject*> TNavitrexHost::Modules() const {
    QList<QObject*> Out;
    for (const QPointer<QObject>& Module : FModules)
        if (Module) Out << Module.data();
    return Out;
}

QObject* TNavitrexHost::FindModule(const QString& Name) const {
    for (QObject* Module : Modules())
        if (Module->objectName().compare(Name, Qt::CaseInsensitive) == 0) return Module;
    return nullptr;
}

void TNavitrexHost::Login(const QString& UserName) {
    // Levels cached for another user do not apply to this one.
    dataaccess::ClearPermissionCache();
    EnsureRoles(FConnection);
    const int IdUsuario = EnsureUser(FConnection, UserName);
    FUserName = UserName;
    const std::pair<const char*, int> Variables[] = {{dataaccess::kIdUsuario, IdUsuario},
                                                     {dataaccess::kIdEmpresaSistema, kEmpresaUnica}};
    for (const auto& [Name, Value] : Variables) {
        dataaccess::FindGlobalVar(Name, true);
        FGlobalVars->DataSet().FieldByName("Valor")->SetValue(Value);
        FGlobalVars->DataSet().Post();
    }
}

}  // namespace navitrex
