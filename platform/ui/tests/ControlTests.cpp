#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"

using namespace platform::ui;

namespace {

class TCountingControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;
    int Clicks = 0;
    void Click() override {
        ++Clicks;
        TCustomControl::Click();
    }
    QList<int> KeyUps;

protected:
    void KeyUp(int& Key, Qt::KeyboardModifiers) override { KeyUps.append(Key); }
    void Paint() override { ++Paints; }
};

QList<QWidget*> FocusChainOf(QWidget* Window, const QList<QWidget*>& Among) {
    QList<QWidget*> Chain;
    for (QWidget* W = Window->nextInFocusChain(); W != Window; W = W->nextInFocusChain())
        if (Among.contains(W)) Chain.append(W);
    return Chain;
}

}  // namespace

TEST(TabOrder, FollowsTheNumbersNotTheirText) {
    TCustomForm Form;
    auto* Ten = new QLineEdit(&Form);
    auto* Two = new QLineEdit(&Form);
    auto* Five = new QLineEdit(&Form);
    SetTabOrder(Ten, 10);
    SetTabOrder(Two, 2);
    SetTabOrder(Five, 5);
    EXPECT_EQ(TabOrderedChildren(&Form), QList<QWidget*>({Two, Five, Ten}));
    EXPECT_EQ(FocusChainOf(&Form, {Ten, Two, Five}), QList<QWidget*>({Two, Five, Ten}));
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Two->setFocus();
    QTest::keyClick(Two, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Five);
}

TEST(TabOrder, UnsetOrdersArePositionsAndTabStopLeavesTheChain) {
    QWidget Parent;
    auto* A = new QLineEdit(&Parent);
    auto* B = new QLineEdit(&Parent);
    EXPECT_EQ(GetTabOrder(A), 0);
    EXPECT_EQ(GetTabOrder(B), 1);
    EXPECT_TRUE(GetTabStop(A));
    SetTabStop(A, false);
    EXPECT_FALSE(GetTabStop(A));
    EXPECT_EQ(A->focusPolicy(), Qt::ClickFocus) << "still focusable by the mouse";
    SetTabStop(A, true);
    EXPECT_EQ(A->focusPolicy(), Qt::StrongFocus);
}

TEST(TabOrder, ContainersAreSearchedDepthFirst) {
    TCustomForm Form;
    auto* Panel = new QWidget(&Form);
    auto* Inner = new QLineEdit(Panel);
    auto* Outer = new QLineEdit(&Form);
    SetTabOrder(Outer, 0);
    SetTabOrder(Panel, 1);
    EXPECT_EQ(FocusChainOf(&Form, {Inner, Outer}), QList<QWidget*>({Outer, Inner}));
}

TEST(Bounds, AreRelativeToTheClientAreaInsideTheBorder) {
    QWidget Parent;
    Parent.resize(100, 100);
    auto* Child = new QWidget(&Parent);
    SetBounds(Child, 0, 0, 10, 10);
    SetBorderWidth(&Parent, 8);
    EXPECT_EQ(Child->geometry(), QRect(8, 8, 10, 10)) << "children keep their place in the client area";
    EXPECT_EQ(GetBounds(Child), QRect(0, 0, 10, 10));
    SetBounds(Child, 5, 6, 7, 8);
    EXPECT_EQ(Child->geometry(), QRect(13, 14, 7, 8));
    EXPECT_EQ(ClientRectOf(&Parent), QRect(0, 0, 84, 84));
}

TEST(Layout, AlignedChildrenShareTheClientArea) {
    QWidget Parent;
    Parent.resize(200, 100);
    auto* Top = new QWidget(&Parent);
    Top->resize(50, 20);
    auto* Left = new QWidget(&Parent);
    Left->resize(30, 10);
    auto* Client = new QWidget(&Parent);
    auto* Bottom = new QWidget(&Parent);
    Bottom->resize(10, 15);
    SetAlign(Top, TAlign::alTop);
    SetAlign(Bottom, TAlign::alBottom);
    SetAlign(Left, TAlign::alLeft);
    SetAlign(Client, TAlign::alClient);
    EXPECT_EQ(Top->geometry(), QRect(0, 0, 200, 20));
    EXPECT_EQ(Bottom->geometry(), QRect(0, 85, 200, 15));
    EXPECT_EQ(Left->geometry(), QRect(0, 20, 30, 65));
    EXPECT_EQ(Client->geometry(), QRect(30, 20, 170, 65));
    Parent.show();
    Parent.resize(300, 200);
    EXPECT_EQ(Client->geometry(), QRect(30, 20, 270, 165));
    EXPECT_EQ(Bottom->geometry(), QRect(0, 185, 300, 15));
}

TEST(Layout, AnchorsKeepTheirDistances) {
    QWidget Parent;
    Parent.resize(200, 100);
    auto* Right = new QWidget(&Parent);
    Right->setGeometry(150, 10, 40, 20);
    SetAnchors(Right, akRight | akTop);
    auto* Stretch = new QWidget(&Parent);
    Stretch->setGeometry(10, 40, 180, 20);
    SetAnchors(Stretch, akLeft | akRight | akBottom);
    EXPECT_EQ(GetAnchors(new QWidget(&Parent)), DefaultAnchors);
    Parent.show();
    Parent.resize(300, 150);
    EXPECT_EQ(Right->geometry(), QRect(250, 10, 40, 20));
    EXPECT_EQ(Stretch->geometry(), QRect(10, 90, 280, 20));
    Stretch->setGeometry(0, 0, 100, 10);  // moved by code: the new place is the rule
    Parent.resize(400, 150);
    EXPECT_EQ(Stretch->geometry(), QRect(0, 0, 200, 10));
}

TEST(Components, TagAndName) {
    QObject Component;
    EXPECT_EQ(GetTag(&Component), 0);
    SetTag(&Component, 1);
    EXPECT_EQ(GetTag(&Component), 1);
    TCountingControl Control;
    Control.SetName("btnAvancar");
    Control.SetTag(-7);
    EXPECT_EQ(Control.objectName(), "btnAvancar");
    EXPECT_EQ(Control.Tag(), -7);
}

TEST(FreeNotification, ToldOnceWhenTheSubjectIsDestroyed) {
    QList<QObject*> Freed;
    TFreeNotifier Notifier([&](QObject* Subject) { Freed.append(Subject); });
    auto* Watched = new QObject;
    auto* Dropped = new QObject;
    Notifier.Add(Watched);
    Notifier.Add(Watched);
    Notifier.Add(Dropped);
    Notifier.Remove(Dropped);
    delete Dropped;
    EXPECT_TRUE(Freed.isEmpty());
    QObject* const Address = Watched;
    delete Watched;
    EXPECT_EQ(Freed, QList<QObject*>({Address}));
    EXPECT_FALSE(Notifier.Contains(Address));
}

TEST(FreeNotification, ANotifierThatDiesFirstIsNeverCalled) {
    int Calls = 0;
    QObject Subject;
    {
        TFreeNotifier Notifier([&](QObject*) { ++Calls; });
        Notifier.Add(&Subject);
    }
    EXPECT_EQ(Calls, 0);
}

TEST(CustomControl, FillsWithItsColourThenPaints) {
    TCountingControl Control;
    Control.resize(10, 10);
    Control.SetColor(QColor(1, 2, 3));
    const QImage Image = Control.grab().toImage();
    EXPECT_EQ(Image.pixel(0, 0) & 0xFFFFFFu, 0x010203u);
    EXPECT_EQ(Image.pixel(9, 9) & 0xFFFFFFu, 0x010203u);
    EXPECT_GE(Control.Paints, 1);
}

TEST(CustomControl, CaptionAndColourChangesRepaintAtOnce) {
    TCountingControl Control;
    Control.resize(10, 10);
    Control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
    const int Before = Control.Paints;
    Control.SetCaption("X");
    EXPECT_EQ(Control.Paints, Before + 1);
    Control.SetCaption("X");
    EXPECT_EQ(Control.Paints, Before + 1) << "an equal value does not repaint";
    Control.SetColor(Qt::red);
    EXPECT_EQ(Control.Paints, Before + 2);
}

TEST(CustomControl, ClickComesOnReleaseInside) {
    TCountingControl Control;
    Control.resize(20, 20);
    Control.show();
    int OnClicks = 0;
    Control.OnClick = [&](QObject* Sender) {
        EXPECT_EQ(Sender, &Control);
        ++OnClicks;
    };
    QTest::mouseClick(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(OnClicks, 1);
    QTest::mousePress(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&Control, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(OnClicks, 1) << "released outside";
    // The platform's double click: press, release, double-click press, release.
    QTest::mouseClick(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(OnClicks, 3) << "the second press of a double click counts as a press";
    Control.SetDoubleClicks(true);
    int DoubleClicks = 0;
    Control.OnDblClick = [&](QObject*) { ++DoubleClicks; };
    QTest::mouseDClick(&Control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(DoubleClicks, 1);
}

TEST(CustomControl, AHeldKeyRepeatsItsPressButNotItsRelease) {
    TCountingControl Control;
    QKeyEvent Repeated(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(&Control, &Repeated);
    EXPECT_TRUE(Control.KeyUps.isEmpty());
    QTest::keyRelease(&Control, Qt::Key_Space);
    EXPECT_EQ(Control.KeyUps, QList<int>({Qt::Key_Space}));
}

TEST(CustomControl, AnswersItsOwnMessages) {
    TCountingControl Control;
    Control.SetMessageHandler(WM_USER + 1, [](TMessage& M) { M.Result = M.WParam * 2; });
    EXPECT_EQ(SendMessage(&Control, WM_USER + 1, 21, 0), 42);
}

TEST(CustomControl, CanFocusNeedsShowingAndEnabledParents) {
    TCustomForm Form;
    auto* Panel = new QWidget(&Form);
    auto* Edit = new QLineEdit(Panel);
    Form.Show();
    EXPECT_TRUE(CanFocus(Edit));
    Panel->setEnabled(false);
    EXPECT_FALSE(CanFocus(Edit));
    EXPECT_TRUE(IsEnabledFlag(Edit)) << "its own setting is unchanged";
    Panel->setEnabled(true);
    Panel->hide();
    EXPECT_FALSE(CanFocus(Edit));
    EXPECT_TRUE(IsVisibleFlag(Edit));
    EXPECT_FALSE(CanFocus(Panel)) << "a plain container takes no focus";
}
