// Uninst: removes the Navitrex installation of the customer named on the
// command line ("NVOCC=<Name>").
#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/Files.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Forms.h"
#include "uninstall/UninstDialog.h"
#include "uninstall/UninstRun.h"

int main(int argc, char** argv) {
    // Answered without being shown, the dialogs need no display.
    if (std::getenv("VEX_DIALOG_ANSWER") && !std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication Application(argc, argv);
    platform::ui::InitApplication();
    const std::vector<std::string> Args(argv + 1, argv + argc);
    const std::string ProgramFolder = platform::os::ExtractFilePath(platform::os::GetModuleFileName());
    return uninstall::RunUninstall(Args, ProgramFolder, uninstall::ShowUninstDialog);
}
