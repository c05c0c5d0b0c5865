// The driver of the demonstration run on plain windows: steps in order, each
// once its state holds; a state that never comes, an action that raises and a
// message box end the run naming the step; pictures show popups where they are.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "controls/VexMessage.h"
#include "platform/os/Exceptions.h"
#include "samples/navitrex/NavitrexDemoDriver.h"

namespace navitrex {
namespace {

constexpr int kLongEnough = 20000;

class DemoDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<QWidget>();
        Window->setGeometry(100, 100, 240, 120);
        Edit = new QLineEdit(Window.get());
        auto* Layout = new QVBoxLayout(Window.get());
        Layout->addWidget(Edit);
    }
    // Runs the driver until it finishes; answers how many times it said so.
    int Run(TDemoDriver& Driver) {
        int Finished = 0;
        Driver.OnFinished = [&](TDemoDriver*) { ++Finished; };
        Driver.Start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Driver.Running(); }, kLongEnough));
        return Finished;
    }

    std::unique_ptr<QWidget> Window;
    QLineEdit* Edit = nullptr;
};

TEST_F(DemoDriverTest, StepsRunInOrderEachOnceItsStateHolds) {
    TDemoDriver Driver(kLongEnough);
    QStringList Done;
    Driver.Step("show", [&] {
        Done << "show";
        // Shown later, as a window appears after a while.
        QTimer::singleShot(50, Window.get(), [this] {
            Window->show();
            Window->activateWindow();
        });
    });
    Driver.Step("type", [&] { return QApplication::activeWindow() == Window.get(); },
                [&] {
                    Done << "type";
                    TDemoDriver::Click(Edit);
                    TDemoDriver::Type("Porto de Santos");
                    TDemoDriver::Press(Qt::Key_Backspace);
                });
    Driver.Step("check", [&] { return Edit->text().size() == 14; }, [&] { Done << "check"; });
    EXPECT_EQ(Run(Driver), 1);
    EXPECT_FALSE(Driver.Failed()) << Driver.Failure().toStdString();
    EXPECT_EQ(Done, QStringList({"show", "type", "check"}));
    EXPECT_EQ(Edit->text(), "Porto de Santo");
    EXPECT_TRUE(Edit->hasFocus()) << "a click gives the focus";
}

TEST_F(DemoDriverTest, ARunEndsNamingTheStepThatFailed) {
    struct TCase {
        const char* Why;
        std::function<bool()> Ready;
        std::function<void()> Action;
        const char* Said;
    };
    const TCase Cases[] = {
        {"a state that never comes", [] { return false; }, [] {}, "did not come within 0.3 s"},
        {"an action that raises", [] { return true; }, [] { throw platform::os::Exception("no such column"); },
         "no such column"},
        {"a message box", [] { return true; },
         [] {
             controls::ShowMessageDialog("O campo 'Embarcador' é obrigatório.", QString(), controls::dkWarning,
                                         controls::ButtonSet({controls::dbOK}), 0, 0, 0);
         },
         "a message box showed: O campo 'Embarcador' é obrigatório."},
    };
    // The box must really show.
    const controls::TMessageDialogResponder Saved = controls::SetMessageDialogResponder(nullptr);
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Why);
        TDemoDriver Driver(300);
        bool After = false;
        Driver.Step("first", [] {});
        Driver.Step("the failing one", Case.Ready, Case.Action);
        Driver.Step("after", [&] { After = true; });
        int Finished = 0;
        Driver.OnFinished = [&](TDemoDriver*) {
            ++Finished;
            // As the program leaves every loop: here, the box's.
            for (QWidget* Box : QApplication::topLevelWidgets())
                if (auto* Message = qobject_cast<controls::TfrmVexMessage*>(Box); Message && Message->isVisible())
                    Message->SetModalResult(platform::ui::mrOk);
        };
        Driver.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Driver.Running(); }, kLongEnough));
        EXPECT_EQ(Finished, 1);
        EXPECT_TRUE(Driver.Failed());
        EXPECT_TRUE(Driver.Failure().startsWith("step \"the failing one\": ")) << Driver.Failure().toStdString();
        EXPECT_TRUE(Driver.Failure().endsWith(Case.Said)) << Driver.Failure().toStdString();
        EXPECT_FALSE(After);
    }
    controls::SetMessageDialogResponder(Saved);
}

TEST_F(DemoDriverTest, KeysWithoutAnyWindowFailTheStep) {
    TDemoDriver Driver(kLongEnough);
    Driver.Step("typing", [] { TDemoDriver::Type("x"); });
    Run(Driver);
    EXPECT_TRUE(Driver.Failure().endsWith("no window takes the keys")) << Driver.Failure().toStdString();
}

TEST_F(DemoDriverTest, APictureShowsThePopupOverItsWindow) {
    QPalette White;
    White.setColor(QPalette::Window, Qt::white);
    Window->setPalette(White);
    Window->setAutoFillBackground(true);
    Edit->hide();
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    QWidget Popup(nullptr, Qt::Popup);
    QPalette Red;
    Red.setColor(QPalette::Window, Qt::red);
    Popup.setPalette(Red);
    Popup.setAutoFillBackground(true);
    // Half inside the window, half below it.
    Popup.setGeometry(Window->mapToGlobal(QPoint(20, 100)).x(), Window->mapToGlobal(QPoint(20, 100)).y(), 50, 40);
    Popup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Popup));

    const QImage Picture = TDemoDriver::Picture(Window.get());
    EXPECT_EQ(Picture.size(), QSize(240, 140));
    EXPECT_EQ(Picture.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(Picture.pixelColor(25, 105), QColor(Qt::red)) << "inside the window";
    EXPECT_EQ(Picture.pixelColor(25, 135), QColor(Qt::red)) << "below the window";
    EXPECT_EQ(Picture.pixelColor(200, 135), QColor(Qt::white)) << "outside both";
}

}  // namespace
}  // namespace navitrex
