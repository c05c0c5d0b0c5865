// Navitrex: the bills-of-lading application of one customer, started as
// "Navitrex.exe NVOCC=<customer>".
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "controls/VexMessage.h"
#include "platform/os/Files.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexDemo.h"
#include "samples/navitrex/NavitrexForm.h"
#include "samples/navitrex/NavitrexMessages.h"
#include "samples/navitrex/NavitrexPrincipal.h"
#include "samples/navitrex/NavitrexStart.h"

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    platform::ui::InitApplication();
    const std::vector<std::string> Args(argv + 1, argv + argc);
    const std::string AppFolder = platform::os::ExtractFilePath(platform::os::GetModuleFileName());
    const navitrex::TCustomerView View = navitrex::LoadCustomerView(Args, AppFolder);
    const QString UserName = QString::fromStdString(platform::os::EmulatedUserName());
    if (const QString DemoFolder = qEnvironmentVariable(navitrex::kDemoVariable); !DemoFolder.isEmpty())
        return navitrex::RunDemo(View, AppFolder, UserName, DemoFolder);
    // Without its customer's package there is nothing to work on: the window tells why.
    if (!View.Problem.empty()) {
        navitrex::TfrmNavitrex Form(View);
        platform::ui::SetMainForm(&Form);
        Form.Show();
        return QApplication::exec();
    }
    std::unique_ptr<navitrex::TAplicacao> App;
    if (!navitrex::Attempt([&] { App = navitrex::IniciarAplicacao(View, AppFolder, UserName); })) return 1;
    App->Principal->Show();
    for (const QString& Aviso : App->Avisos)
        controls::ShowMessageDialog(Aviso, QString(), controls::dkWarning, controls::ButtonSet({controls::dbOK}), 0, 0,
                                    0);
    return QApplication::exec();
}
