#include "setup/FolderBrowser.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"

namespace setup {

using namespace platform::os;

namespace {

const int PathRole = Qt::UserRole;
const int FilledRole = Qt::UserRole + 1;

QString ToQ(const std::string& Text) { return QString::fromStdString(Text); }

std::string ItemPath(const QTreeWidgetItem* Item) { return Item->data(0, PathRole).toString().toStdString(); }

QTreeWidgetItem* NewFolderItem(const QString& Caption, const std::string& Path) {
    auto* Item = new QTreeWidgetItem(QStringList{Caption});
    Item->setData(0, PathRole, ToQ(Path));
    Item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return Item;
}

// The subfolder names of a Windows folder, in the order the shell lists them.
std::vector<std::string> SubfolderNames(const std::string& Folder) {
    std::vector<std::string> Names;
    std::filesystem::path Host;
    uint32_t Error = 0;
    if (!TryHostPath(Folder, Host, Error)) return Names;
    std::error_code Failure;
    for (const auto& Entry : std::filesystem::directory_iterator(Host, Failure))
        if (Entry.is_directory(Failure)) Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end(),
              [](const std::string& A, const std::string& B) { return AnsiCompareText(A, B) < 0; });
    return Names;
}

}  // namespace

TFolderBrowserForm::TFolderBrowserForm(QWidget* AOwner, const QString& Title)
    : TCustomForm(AOwner), FTitle(new QLabel(Title, this)), FTree(new QTreeWidget(this)),
      FOk(new QPushButton(QStringLiteral("OK"), this)), FCancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    SetCaption(QStringLiteral("Browse For Folder"));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    SetClientSize(320, 360);
    FTitle->setWordWrap(true);
    FTree->setHeaderHidden(true);
    FOk->setDefault(true);

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(FOk);
    Buttons->addWidget(FCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FTitle);
    Layout->addWidget(FTree);
    Layout->addLayout(Buttons);

    connect(FTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* Item) { FillChildren(Item); });
    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* Current) { FOk->setEnabled(Current != nullptr); });
    connect(FOk, &QPushButton::clicked, this, [this] { SetModalResult(platform::ui::mrOk); });
    connect(FCancel, &QPushButton::clicked, this, [this] { SetModalResult(platform::ui::mrCancel); });
    AddDrives();
    FOk->setEnabled(false);
}

void TFolderBrowserForm::AddDrives() {
    for (const TDriveMapping& Drive : DriveMappings()) {
        const std::string Root = std::string(1, Drive.Letter) + ":\\";
        FTree->addTopLevelItem(NewFolderItem(ToQ(Format("(%c:)", Drive.Letter)), Root));
    }
}

void TFolderBrowserForm::FillChildren(QTreeWidgetItem* Item) {
    if (Item->data(0, FilledRole).toBool()) return;
    Item->setData(0, FilledRole, true);
    const std::string Folder = IncludeTrailingBackslash(ItemPath(Item));
    for (const std::string& Name : SubfolderNames(Folder)) Item->addChild(NewFolderItem(ToQ(Name), Folder + Name));
    Item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* TFolderBrowserForm::ChildNamed(QTreeWidgetItem* Item, const std::string& Name) {
    FillChildren(Item);
    for (int Index = 0; Index < Item->childCount(); ++Index)
        if (SameText(ExtractFileName(ItemPath(Item->child(Index))), Name)) return Item->child(Index);
    return nullptr;
}

bool TFolderBrowserForm::SelectFolder(const std::string& Folder) {
    const std::string Drive = ExtractFileDrive(Folder);
    QTreeWidgetItem* Item = nullptr;
    for (int Index = 0; Index < FTree->topLevelItemCount() && !Item; ++Index)
        if (!Drive.empty() && SameText(ExtractFileDrive(ItemPath(FTree->topLevelItem(Index))), Drive))
            Item = FTree->topLevelItem(Index);
    if (!Item) return false;
    bool Found = true;
    for (std::string_view Part : SplitText(std::string_view(Folder).substr(Drive.size()), '\\')) {
        if (Part.empty()) continue;
        QTreeWidgetItem* Child = ChildNamed(Item, std::string(Part));
        if (!Child) {
            Found = false;
            break;
        }
        Item->setExpanded(true);
        Item = Child;
    }
    FTree->setCurrentItem(Item);
    FTree->scrollToItem(Item);
    return Found;
}

std::string TFolderBrowserForm::SelectedFolder() const {
    const QTreeWidgetItem* Item = FTree->currentItem();
    return Item ? ItemPath(Item) : std::string();
}

bool TQtFolderBrowser::Browse(void* Owner, const std::string& Title, const std::string& InitialFolder,
                              std::string& Folder) {
    TFolderBrowserForm Form(static_cast<QWidget*>(Owner), ToQ(Title));
    if (!InitialFolder.empty()) Form.SelectFolder(InitialFolder);
    if (Form.ShowModal() != platform::ui::mrOk || Form.SelectedFolder().empty()) return false;
    Folder = Form.SelectedFolder();
    return true;
}

}  // namespace setup
