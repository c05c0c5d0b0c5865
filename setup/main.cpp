// Instalador: installs Navitrex for the customer whose package it carries.
#include <QApplication>

#include "installlib/InstaladorLib.h"
#include "platform/ui/Forms.h"
#include "setup/FolderBrowser.h"
#include "setup/Principal.h"

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    platform::ui::InitApplication();
    setup::TQtFolderBrowser FolderBrowser;
    installlib::SetFolderBrowser(&FolderBrowser);
    int Result = 0;
    {
        setup::TfrmPrincipal Form;
        platform::ui::SetMainForm(&Form);
        Form.Show();
        Result = Application.exec();
    }
    installlib::SetFolderBrowser(nullptr);
    return Result;
}
