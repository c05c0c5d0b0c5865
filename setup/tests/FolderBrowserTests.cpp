#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "installlib/tests/TempPrefix.h"
#include "platform/os/Files.h"
#include "setup/FolderBrowser.h"

using namespace platform::os;
using namespace setup;

namespace {

class FolderBrowserTest : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        ASSERT_TRUE(ForceDirectories("C:\\Apps\\Navitrex\\Data"));
        ASSERT_TRUE(ForceDirectories("C:\\apps\\Beta"));
    }

    static QStringList Children(QTreeWidgetItem* Item) {
        QStringList Names;
        for (int Index = 0; Index < Item->childCount(); ++Index) Names << Item->child(Index)->text(0);
        return Names;
    }

    // Runs Browse while Act plays the user on the dialog it opens.
    static bool BrowseWith(const std::string& Initial, std::string& Folder,
                           const std::function<void(TFolderBrowserForm*)>& Act) {
        QTimer::singleShot(0, [Act] {
            auto* Form = qobject_cast<TFolderBrowserForm*>(QApplication::activeModalWidget());
            if (!Form)
                for (QWidget* Window : QApplication::topLevelWidgets())
                    if (auto* Candidate = qobject_cast<TFolderBrowserForm*>(Window); Candidate && Candidate->isVisible())
                        Form = Candidate;
            ASSERT_NE(Form, nullptr);
            Act(Form);
        });
        TQtFolderBrowser Browser;
        return Browser.Browse(nullptr, "Selecione o diret\u00F3rio de instala\u00E7\u00E3o:", Initial, Folder);
    }
};

TEST_F(FolderBrowserTest, ListsTheDrivesAndTheirFoldersInOrder) {
    TFolderBrowserForm Form(nullptr, "T\u00EDtulo");
    ASSERT_GE(Form.Tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* Drive = Form.Tree()->topLevelItem(0);
    EXPECT_EQ(Drive->text(0), "(C:)");
    Drive->setExpanded(true);
    EXPECT_TRUE(Children(Drive).contains("Apps"));
    EXPECT_TRUE(Children(Drive).contains("Program Files"));
    EXPECT_LT(Children(Drive).indexOf("Apps"), Children(Drive).indexOf("Program Files"));
    EXPECT_FALSE(Form.OkButton()->isEnabled());
}

TEST_F(FolderBrowserTest, OpensOnTheInitialFolderWhateverItsCase) {
    TFolderBrowserForm Form(nullptr, "T\u00EDtulo");
    EXPECT_TRUE(Form.SelectFolder("c:\\APPS\\navitrex\\"));
    EXPECT_EQ(Form.SelectedFolder(), "C:\\Apps\\Navitrex");
    Form.Tree()->currentItem()->setExpanded(true);
    EXPECT_EQ(Children(Form.Tree()->currentItem()), QStringList{"Data"});
    EXPECT_TRUE(Form.OkButton()->isEnabled());

    EXPECT_FALSE(Form.SelectFolder("C:\\Apps\\Missing\\Deeper"));
    EXPECT_EQ(Form.SelectedFolder(), "C:\\Apps");
    EXPECT_FALSE(Form.SelectFolder("Q:\\Apps"));
    EXPECT_TRUE(Form.SelectFolder("C:\\"));
    EXPECT_EQ(Form.SelectedFolder(), "C:\\");
}

TEST_F(FolderBrowserTest, OkAnswersTheChosenFolderAndCancelNothing) {
    std::string Folder = "unchanged";
    EXPECT_TRUE(BrowseWith("C:\\Apps\\Navitrex", Folder, [](TFolderBrowserForm* Form) {
        Form->SelectFolder("C:\\Apps\\Navitrex\\Data");
        QTest::mouseClick(Form->OkButton(), Qt::LeftButton);
    }));
    EXPECT_EQ(Folder, "C:\\Apps\\Navitrex\\Data");

    Folder = "unchanged";
    EXPECT_FALSE(BrowseWith("C:\\Apps", Folder, [](TFolderBrowserForm* Form) { Form->Close(); }));
    EXPECT_EQ(Folder, "unchanged");
}

}  // namespace
