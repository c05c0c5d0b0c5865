#include "dataaccess/testhost/TestHost.h"

#include "controls/VexFocus.h"
#include "dataaccess/PermissaoLib.h"
#include "dataaccess/VexGlobalVars.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/VexSqlText.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"

namespace dataaccess::testing {

using namespace platform::ui;

TTestMainWindow::TTestMainWindow() {
    setObjectName("frmTestHost");
    SetMessageHandler(controls::WM_FOCUSCONTROL, [](TMessage& Message) { controls::HandleFocusRequest(Message); });
    SetMessageHandler(WM_SEARCHREQUEST,
                      [this](TMessage& Message) { Message.Result = OnSearch ? OnSearch(Message) : 0; });
}

void TTestMainWindow::Dispatch(TMessage& Message) {
    FReceived.push_back(Message);
    TCustomForm::Dispatch(Message);
}

TTestDivisionHost::TTestDivisionHost(int Allowed) : FWindow(std::make_unique<TTestMainWindow>()), FAllowed(Allowed) {}

TTestDivisionHost::~TTestDivisionHost() = default;

QObject* TTestDivisionHost::HostWindow() const { return FWindow.get(); }

TTestHost::TTestHost(platform::data::TADOConnection* Connection)
    : FGlobalVars(std::make_unique<TGlobalVarStore>()), FMainWindow(std::make_unique<TTestMainWindow>()),
      FPrevious(Host()) {
    if (!Connection) {
        FOwnConnection = OpenEmbeddedDatabase(":memory:");
        Connection = FOwnConnection.get();
    }
    SetDefaultConnection(Connection);
    // A new session: levels cached for another database do not apply here.
    ClearPermissionCache();
    SetHost(this);
    SetMainForm(FMainWindow.get());
}

TTestHost::~TTestHost() {
    if (MainForm() == FMainWindow.get()) SetMainForm(nullptr);
    SetHost(FPrevious);
}

void TTestHost::SetDefaultConnection(platform::data::TADOConnection* Value) {
    FConnection = Value;
    FGlobalVars->SetConnection(Value);
}

QList<QObject*> TTestHost::Modules() const {
    QList<QObject*> Out;
    for (const QPointer<QObject>& Module : FModules)
        if (Module) Out << Module.data();
    return Out;
}

QObject* TTestHost::FindModule(const QString& Name) const {
    for (QObject* Module : Modules())
        if (LowerCaseLatin1(Module->objectName()) == LowerCaseLatin1(Name)) return Module;
    return nullptr;
}

void TTestHost::AddModule(QObject* Module) { FModules << Module; }

void TTestHost::Login(const QString& UserName, int IdUsuario, int IdEmpresaSistema) {
    FUserName = UserName;
    const std::pair<const char*, int> Variables[] = {{kIdUsuario, IdUsuario}, {kIdEmpresaSistema, IdEmpresaSistema}};
    for (const auto& [Name, Value] : Variables) {
        FindGlobalVar(Name, true);
        GlobalVars()->DataSet().FieldByName("Valor")->SetValue(Value);
        GlobalVars()->DataSet().Post();
    }
}

}  // namespace dataaccess::testing
