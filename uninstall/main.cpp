// Uninst: removes the Navitrex installation of the customer named on the
// command line ("NVOCC=<Name>").
#include <QApplication>
#include <string>
#include <vector>

#include "platform/os/Files.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Forms.h"
#include "uninstall/UninstDialog.h"
#include "uninstall/UninstRun.h"

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    platform::ui::InitApplication();
    const std::vector<std::string> Args(argv + 1, argv + argc);
    const std::string ProgramFolder = platform::os::ExtractFilePath(platform::os::GetModuleFileName());
    return uninstall::RunUninstall(Args, ProgramFolder, uninstall::ShowUninstDialog);
}
