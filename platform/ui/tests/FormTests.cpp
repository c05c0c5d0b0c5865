#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "platform/os/Process.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"

using namespace platform::ui;

namespace {

constexpr UINT WM_FIRST = WM_APP + 1;
constexpr UINT WM_SECOND = WM_APP + 2;
constexpr UINT WM_THIRD = WM_APP + 3;

// A control that records what the form offers it.
class TProbe : public TCustomControl {
public:
    explicit TProbe(QWidget* Parent, const QString& Caption) : TCustomControl(Parent) { SetCaption(Caption); }
    bool DialogKey(int Key, Qt::KeyboardModifiers) override {
        Keys.append(Key);
        return Key == Qt::Key_Escape;
    }
    bool DialogChar(QChar Ch, Qt::KeyboardModifiers) override {
        if (!IsAccel(Ch, Caption())) return false;
        ++Accelerated;
        return true;
    }
    void FocusChanged(QWidget* NewFocus) override { Focuses.append(NewFocus); }

    QList<int> Keys;
    int Accelerated = 0;
    QList<QWidget*> Focuses;
};

void Activate(TCustomForm& Form) {
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
}

}  // namespace

TEST(WindowMessages, PostedArriveAfterTheHandlerInOrder) {
    TCustomForm Form;
    QStringList Log;
    Form.SetMessageHandler(WM_FIRST, [&](TMessage& M) {
        Log << "first begins";
        EXPECT_TRUE(PostMessage(&Form, WM_SECOND, 7, -1));
        EXPECT_TRUE(PostMessage(&Form, WM_THIRD, 0, 0));
        Log << "first ends";
        M.Result = 42;
    });
    Form.SetMessageHandler(WM_SECOND, [&](TMessage& M) {
        EXPECT_EQ(M.WParam, 7u);
        EXPECT_EQ(M.LParam, -1);
        Log << "second";
    });
    Form.SetMessageHandler(WM_THIRD, [&](TMessage&) { Log << "third"; });

    EXPECT_EQ(SendMessage(&Form, WM_FIRST, 0, 0), 42);
    EXPECT_EQ(Log, QStringList({"first begins", "first ends"})) << "sent at once, posted ones wait";
    ProcessMessages();
    EXPECT_EQ(Log, QStringList({"first begins", "first ends", "second", "third"}));
}

TEST(WindowMessages, UnansweredMessagesAndMissingWindows) {
    TCustomForm Form;
    EXPECT_EQ(SendMessage(&Form, WM_USER + 5, 1, 2), 0) << "no handler: default answer";
    EXPECT_FALSE(PostMessage(nullptr, WM_FIRST, 0, 0));
    QObject Plain;
    EXPECT_FALSE(PostMessage(&Plain, WM_FIRST, 0, 0));
    EXPECT_EQ(SendMessage(nullptr, WM_FIRST, 0, 0), 0);
    int Calls = 0;
    Form.SetMessageHandler(WM_FIRST, [&](TMessage&) { ++Calls; });
    Form.SetMessageHandler(WM_FIRST, nullptr);
    SendMessage(&Form, WM_FIRST, 0, 0);
    EXPECT_EQ(Calls, 0) << "an empty handler removes the registration";
}

TEST(WindowMessages, PostedToADestroyedWindowAreDropped) {
    int Calls = 0;
    auto* Form = new TCustomForm;
    Form->SetMessageHandler(WM_FIRST, [&](TMessage&) { ++Calls; });
    PostMessage(Form, WM_FIRST, 0, 0);
    delete Form;
    ProcessMessages();
    EXPECT_EQ(Calls, 0);
}

TEST(WindowMessages, WaitsOfTheLowerLayersPumpThem) {
    InitApplication();
    TCustomForm Form;
    int Calls = 0;
    Form.SetMessageHandler(WM_FIRST, [&](TMessage&) { ++Calls; });
    PostMessage(&Form, WM_FIRST, 0, 0);
    platform::os::PumpMessages();
    EXPECT_EQ(Calls, 1);
}

TEST(ModalForms, ANonZeroModalResultClosesTheForm) {
    TCustomForm Form;
    QTimer::singleShot(0, &Form, [&] {
        EXPECT_TRUE(Form.Modal());
        EXPECT_TRUE(Form.isVisible());
        Form.SetModalResult(mrYes);
    });
    EXPECT_EQ(Form.ShowModal(), mrYes);
    EXPECT_FALSE(Form.isVisible());
    EXPECT_FALSE(Form.Modal());
    EXPECT_EQ(Form.ModalResult(), mrYes);
}

TEST(ModalForms, TheCloseBoxGivesCancel) {
    TCustomForm Form;
    QTimer::singleShot(0, &Form, [&] { Form.Close(); });
    EXPECT_EQ(Form.ShowModal(), mrCancel);
}

TEST(ModalForms, CloseQueryCanKeepTheFormOpen) {
    TCustomForm Form;
    int Queries = 0;
    Form.OnCloseQuery = [&](QObject*, bool& CanClose) { CanClose = ++Queries > 1; };
    QTimer::singleShot(0, &Form, [&] {
        Form.SetModalResult(mrOk);
        QTimer::singleShot(0, &Form, [&] {
            EXPECT_TRUE(Form.isVisible()) << "the first close was refused";
            EXPECT_EQ(Form.ModalResult(), mrNone);
            Form.SetModalResult(mrRetry);
        });
    });
    EXPECT_EQ(Form.ShowModal(), mrRetry);
    EXPECT_EQ(Queries, 2);
}

TEST(ModalForms, AModalResultSetWhileShowingEndsAtOnce) {
    TCustomForm Form;
    Form.OnShow = [&](QObject*) { Form.SetModalResult(mrAbort); };
    EXPECT_EQ(Form.ShowModal(), mrAbort);
}

TEST(ModalForms, AVisibleFormCannotBeShownModally) {
    TCustomForm Form;
    Form.Show();
    EXPECT_THROW(Form.ShowModal(), EInvalidOperation);
}

TEST(Forms, CloseAsksCloseQueryAndOnClose) {
    TCustomForm Form;
    bool Allow = false;
    TCloseAction Action = TCloseAction::caHide;
    Form.OnCloseQuery = [&](QObject*, bool& CanClose) { CanClose = Allow; };
    Form.OnClose = [&](QObject*, TCloseAction& A) { A = Action; };
    Form.Show();
    Form.Close();
    EXPECT_TRUE(Form.isVisible()) << "refused by CloseQuery";
    Allow = true;
    Action = TCloseAction::caNone;
    Form.Close();
    EXPECT_TRUE(Form.isVisible()) << "refused by OnClose";
    Action = TCloseAction::caHide;
    Form.Close();
    EXPECT_FALSE(Form.isVisible());
}

TEST(Forms, MainFormIsClearedWhenDestroyed) {
    auto* Form = new TCustomForm;
    SetMainForm(Form);
    EXPECT_EQ(MainForm(), Form);
    delete Form;
    EXPECT_EQ(MainForm(), nullptr);
}

TEST(Forms, AutoSizeFitsTheVisibleChildrenAndTheBorder) {
    TCustomForm Form;
    Form.SetBorderWidth(8);
    auto* A = new QWidget(&Form);
    SetBounds(A, 0, 0, 100, 50);
    auto* B = new QWidget(&Form);
    SetBounds(B, 20, 60, 30, 30);
    auto* Hidden = new QWidget(&Form);
    SetBounds(Hidden, 0, 0, 500, 500);
    Hidden->hide();
    Form.SetAutoSize(true);
    EXPECT_EQ(Form.width(), 116);
    EXPECT_EQ(Form.height(), 106);
    EXPECT_EQ(Form.ClientWidth(), 100);
    Form.Show();  // hidden widgets hear of their resizes only when shown
    SetBounds(A, 0, 0, 200, 50);
    EXPECT_EQ(Form.width(), 216) << "follows a child's resize";
    B->hide();
    EXPECT_EQ(Form.height(), 66) << "follows a child being hidden";
}

TEST(Forms, ActiveControlTakesTheFocusOnShow) {
    TCustomForm Form;
    Form.resize(200, 100);
    auto* First = new QLineEdit(&Form);
    auto* Second = new QLineEdit(&Form);
    Form.SetActiveControl(Second);
    Activate(Form);
    EXPECT_EQ(QApplication::focusWidget(), Second);
    EXPECT_EQ(Form.ActiveControl(), Second);
    Form.SetActiveControl(First);
    EXPECT_EQ(Form.ActiveControl(), First);
}

TEST(Forms, KeyPreviewSeesKeysBeforeTheFocusedControl) {
    TCustomForm Form;
    auto* Edit = new QLineEdit(&Form);
    Activate(Form);
    Edit->setFocus();
    QList<int> Seen;
    Form.OnKeyDown = [&](QObject*, int& Key, Qt::KeyboardModifiers) {
        Seen.append(Key);
        if (Key == Qt::Key_A) Key = 0;
    };
    QTest::keyClicks(Edit, "ab");
    EXPECT_EQ(Edit->text(), "ab") << "no preview without KeyPreview";
    EXPECT_TRUE(Seen.isEmpty());
    Form.SetKeyPreview(true);
    Edit->clear();
    QTest::keyClicks(Edit, "ab");
    EXPECT_EQ(Edit->text(), "b") << "the consumed key never reaches the edit";
    EXPECT_EQ(Seen, QList<int>({Qt::Key_A, Qt::Key_B}));
}

TEST(Forms, DialogKeysAreOfferedToTheControlsUnlessTheFocusedOneWantsThem) {
    TCustomForm Form;
    auto* Probe = new TProbe(&Form, "E&xit");
    auto* Edit = new QLineEdit(&Form);
    auto* Memo = new QPlainTextEdit(&Form);
    Activate(Form);
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_Return);
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Probe->Keys, QList<int>({Qt::Key_Return, Qt::Key_Escape}));
    Probe->Keys.clear();
    Memo->setFocus();
    QTest::keyClick(Memo, Qt::Key_Return);
    QTest::keyClick(Memo, Qt::Key_Escape);
    EXPECT_EQ(Probe->Keys, QList<int>({Qt::Key_Escape})) << "a memo keeps Enter";
    EXPECT_EQ(Memo->toPlainText(), "\n");
}

TEST(Forms, AcceleratorsNeedAltWhileAnEditTakesText) {
    TCustomForm Form;
    auto* Probe = new TProbe(&Form, "E&xit");
    auto* Edit = new QLineEdit(&Form);
    auto* Other = new TProbe(&Form, "Other");
    Other->setFocusPolicy(Qt::StrongFocus);
    Activate(Form);
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_X);
    EXPECT_EQ(Probe->Accelerated, 0);
    EXPECT_EQ(Edit->text(), "x");
    QTest::keyClick(Edit, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(Probe->Accelerated, 1);
    Other->setFocus();
    QTest::keyClick(Other, Qt::Key_X);
    EXPECT_EQ(Probe->Accelerated, 2) << "a control that takes no text lets plain letters through";
}

TEST(Forms, ActionShortcutsRunBeforeTheFocusedControl) {
    TCustomForm Form;
    auto* List = new TActionList(&Form);
    TAction* Copy = List->Add("actCopiar");
    Copy->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_C));
    int Runs = 0;
    Copy->OnExecute = [&](QObject*) { ++Runs; };
    auto* Memo = new QPlainTextEdit(&Form);
    Memo->setReadOnly(true);
    Activate(Form);
    Memo->setFocus();
    QTest::keyClick(Memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Runs, 1);
    Copy->SetEnabled(false);
    QTest::keyClick(Memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Runs, 1) << "a disabled action does not run";
}

TEST(Forms, FocusChangesAreToldToEveryControl) {
    TCustomForm Form;
    auto* Probe = new TProbe(&Form, "Probe");
    auto* First = new QLineEdit(&Form);
    auto* Second = new QLineEdit(&Form);
    Activate(Form);
    First->setFocus();
    Second->setFocus();
    ASSERT_GE(Probe->Focuses.size(), 2);
    EXPECT_EQ(Probe->Focuses.last(), Second);
    EXPECT_TRUE(Probe->Focuses.contains(First));
}

TEST(Forms, AFormFreedWhileItsControlHasTheFocusTellsItsControlsWhileTheyAreWhole) {
    // Keeps what it is told beyond its own life.
    struct TSink : TProbe {
        TSink(QWidget* Parent, QList<QWidget*>& Out) : TProbe(Parent, "Sink"), Told(Out) {}
        void FocusChanged(QWidget* NewFocus) override { Told.append(NewFocus); }
        QList<QWidget*>& Told;
    };
    QList<QWidget*> Told;
    auto Form = std::make_unique<TCustomForm>();
    auto* Panel = new QWidget(Form.get());
    auto* Edit = new QLineEdit(Panel);
    new TSink(Form.get(), Told);
    Activate(*Form);
    Edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Edit);
    Told.clear();
    Form.reset();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(Told, QList<QWidget*>({nullptr}));
}

TEST(Forms, APanelFreedWhileItsEditHasTheFocusTellsTheOtherControlsOfTheForm) {
    TCustomForm Form;
    auto* Panel = new QWidget(&Form);
    auto* Edit = new QLineEdit(Panel);
    auto* Probe = new TProbe(&Form, "Probe");
    Activate(Form);
    Edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Edit);
    Probe->Focuses.clear();
    delete Panel;
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(Probe->Focuses, QList<QWidget*>({nullptr}));
}

TEST(Application, BusyCursorNests) {
    EXPECT_EQ(BusyCursorDepth(), 0);
    {
        TBusyCursor Outer;
        {
            TBusyCursor Inner;
            EXPECT_EQ(BusyCursorDepth(), 2);
            ASSERT_NE(QApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(BusyCursorDepth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EndBusyCursor();
    EXPECT_EQ(BusyCursorDepth(), 0) << "an extra end is ignored";
}

TEST(ErrorReport, ExceptionsFromHandlersAreReportedAndTheLoopGoesOn) {
    QStringList Reported;
    SetErrorReporter([&](const std::string& Message) { Reported << QString::fromStdString(Message); });
    TCustomForm Form;
    Form.SetMessageHandler(WM_FIRST, [](TMessage&) { throw platform::os::EConvertError("'x' is not a valid integer value"); });
    Form.SetMessageHandler(WM_SECOND, [](TMessage&) { throw platform::os::EAbort(); });
    int Later = 0;
    Form.SetMessageHandler(WM_THIRD, [&](TMessage&) { ++Later; });
    PostMessage(&Form, WM_FIRST, 0, 0);
    PostMessage(&Form, WM_SECOND, 0, 0);
    PostMessage(&Form, WM_THIRD, 0, 0);
    ProcessMessages();
    EXPECT_EQ(Reported, QStringList({"'x' is not a valid integer value"})) << "the silent abort is not reported";
    EXPECT_EQ(Later, 1);

    auto* Probe = new TProbe(&Form, "OK");
    Probe->resize(20, 20);
    Probe->OnClick = [](QObject*) { throw platform::os::Exception("click failed"); };
    Form.Show();
    QTest::mouseClick(Probe, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Reported.last(), "click failed");
    SetErrorReporter(nullptr);
}
