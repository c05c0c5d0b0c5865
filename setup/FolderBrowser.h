#pragma once
// The shell's folder browser over the emulated drives: a tree of the drives
// and their folders from which the user picks one file-system folder.
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <string>

#include "installlib/InstaladorLib.h"
#include "platform/ui/Forms.h"

namespace setup {

class TFolderBrowserForm : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    TFolderBrowserForm(QWidget* AOwner, const QString& Title);

    // Opens the tree down to Folder and selects it; false when no drive holds it.
    bool SelectFolder(const std::string& Folder);
    // The selected folder ("C:\" for a drive, "C:\a\b" below it); empty when none.
    std::string SelectedFolder() const;

    QTreeWidget* Tree() const { return FTree; }
    QPushButton* OkButton() const { return FOk; }

private:
    void AddDrives();
    void FillChildren(QTreeWidgetItem* Item);
    QTreeWidgetItem* ChildNamed(QTreeWidgetItem* Item, const std::string& Name);

    QLabel* FTitle;
    QTreeWidget* FTree;
    QPushButton* FOk;
    QPushButton* FCancel;
};

// The browser the wizard installs into the installation library.
class TQtFolderBrowser : public installlib::TFolderBrowser {
public:
    bool Browse(void* Owner, const std::string& Title, const std::string& InitialFolder, std::string& Folder) override;
};

}  // namespace setup
