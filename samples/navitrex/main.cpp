// Navitrex (stand-in): shows the customer it was started for and that
// customer's installed package.
#include <QApplication>
#include <string>
#include <vector>

#include "platform/os/Files.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexForm.h"

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    platform::ui::InitApplication();
    const std::vector<std::string> Args(argv + 1, argv + argc);
    const std::string AppFolder = platform::os::ExtractFilePath(platform::os::GetModuleFileName());
    navitrex::TfrmNavitrex Form(navitrex::LoadCustomerView(Args, AppFolder));
    platform::ui::SetMainForm(&Form);
    Form.Show();
    return QApplication::exec();
}
