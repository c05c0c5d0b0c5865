#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexFocus.h"
#include "controls/VexPanels.h"
#include "controls/tests/FocusReceiver.h"
#include "platform/ui/Forms.h"

using namespace controls;
using namespace platform::ui;

namespace {

// An edit with the class name the forms give their edits.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
};

QLineEdit* EditAt(QWidget* Parent, int TabOrder, const QString& Name = QString()) {
    auto* Edit = new QLineEdit(Parent);
    Edit->setObjectName(Name);
    SetTabOrder(Edit, TabOrder);
    return Edit;
}

}  // namespace

TEST(FindFirstFocusable, SearchesContainersWithoutTabStopDepthFirstInNumericTabOrder) {
    TCustomForm Form;
    auto* Panel = new QWidget(&Form);
    auto* Group = new QGroupBox(Panel);
    ASSERT_FALSE(GetTabStop(Group));
    EditAt(Group, 1);
    QLineEdit* First = EditAt(Group, 0);
    EXPECT_EQ(FindFirstFocusable(Panel), First);

    // 2 before 10, as numbers: in text order "10" would come first.
    auto* Numbers = new QWidget(&Form);
    EditAt(Numbers, 10);
    QLineEdit* Two = EditAt(Numbers, 2);
    EXPECT_EQ(FindFirstFocusable(Numbers), Two);

    // An empty container on the way is passed over, not taken.
    auto* Mixed = new QWidget(&Form);
    SetTabOrder(new QWidget(Mixed), 0);
    QLineEdit* After = EditAt(Mixed, 1);
    EXPECT_EQ(FindFirstFocusable(Mixed), After);
}

TEST(FindFirstFocusable, SkipsHiddenAndDisabledControlsAndAnswersTheContainerWhenNothingIsLeft) {
    TCustomForm Form;
    auto* Empty = new QWidget(&Form);
    EXPECT_EQ(FindFirstFocusable(Empty), Empty);
    EXPECT_EQ(FindFirstFocusable(nullptr), nullptr);

    auto* Panel = new QWidget(&Form);
    EditAt(Panel, 0)->setEnabled(false);
    EditAt(Panel, 1)->hide();
    auto* DisabledGroup = new QGroupBox(Panel);
    SetTabOrder(DisabledGroup, 2);
    EditAt(DisabledGroup, 0);
    DisabledGroup->setEnabled(false);
    EXPECT_EQ(FindFirstFocusable(Panel), Panel);

    QLineEdit* Usable = EditAt(Panel, 3);
    EXPECT_EQ(FindFirstFocusable(Panel), Usable) << "the form need not be shown yet";
}

TEST(FindFirstFocusable, AControlThatTakesTheFocusKeepsItsParts) {
    TCustomForm Form;
    auto* Spin = new QLineEdit(&Form);
    auto* Part = new QLineEdit(Spin);
    ASSERT_TRUE(GetTabStop(Part));
    EXPECT_EQ(FindFirstFocusable(Spin), Spin);
    EXPECT_EQ(FindFirstFocusable(&Form), Spin) << "a form is searched even when it takes the focus";
}

TEST(FindFirstFocusable, APageControlAnswersTheFirstControlOfItsActivePage) {
    TCustomForm Form;
    auto* Pages = new TPageControl(&Form);
    TTabSheet* First = Pages->AddPage(QStringLiteral("Um"));
    TTabSheet* Second = Pages->AddPage(QStringLiteral("Dois"));
    EditAt(First, 0);
    auto* Group = new QGroupBox(Second);
    QLineEdit* Inner = EditAt(Group, 0);
    QLineEdit* Spin = EditAt(Second, 1);
    new QLineEdit(Spin);
    Pages->SetActivePage(Second);
    EXPECT_EQ(FindFirstFocusable(Pages), Inner);
    EXPECT_EQ(FindFirstFocusable(&Form), Inner) << "also when the page control lies inside the container";

    Group->hide();
    EXPECT_EQ(FindFirstFocusable(Pages), Spin) << "a composite control still keeps its parts";
    Spin->hide();
    EXPECT_EQ(FindFirstFocusable(Pages), Pages) << "a page without controls leaves the page control itself";
}

TEST(VexPanel, NeverTakesTheFocusAndItsControlsKeepTheirPlaceInTheTabOrder) {
    TCustomForm Form;
    Form.resize(300, 200);
    QLineEdit* A = EditAt(&Form, 0, QStringLiteral("A"));
    A->setGeometry(0, 0, 80, 20);
    auto* Panel = new TVexPanel(&Form);
    Panel->SetBounds(0, 30, 200, 60);
    Panel->SetTabOrder(1);
    QLineEdit* B = EditAt(Panel, 0, QStringLiteral("B"));
    B->setGeometry(10, 10, 80, 20);
    QLineEdit* C = EditAt(&Form, 2, QStringLiteral("C"));
    C->setGeometry(0, 100, 80, 20);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    A->setFocus();

    QStringList Visited;
    for (int I = 0; I < 3; ++I) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(Visited, QStringList({"B", "C", "A"}));

    QTest::mouseClick(Panel, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_EQ(QApplication::focusWidget(), A) << "a click on the panel leaves the focus where it was";
    EXPECT_EQ(FindFirstFocusable(Panel), B);
}

TEST(RequestFocus, PostsTheControlAndItsDescriptionToTheMainForm) {
    TFocusReceiver Main;
    TCustomForm Other;
    TFocusReceiver OtherReceiver(&Other, false);
    auto* Named = new TEdit(&Main.Form);
    Named->setObjectName(QStringLiteral("edtConfigLocal"));
    auto* Unnamed = new TEdit(&Main.Form);

    RequestFocus(Named);
    RequestFocus(Unnamed);
    RequestFocus(nullptr);
    RequestFocus(Named, &Other);
    EXPECT_TRUE(Main.Descriptions.isEmpty()) << "posted, never sent";
    ProcessMessages();
    EXPECT_EQ(Main.Descriptions, QStringList({"edtConfigLocal: TEdit", "TEdit", "unnamed"}));
    EXPECT_EQ(Main.Targets, QList<QWidget*>({Named, Unnamed, nullptr}));
    EXPECT_EQ(OtherReceiver.Descriptions, QStringList({"edtConfigLocal: TEdit"}));
}

TEST(RequestFocus, WithoutAMainFormNothingHappens) {
    SetMainForm(nullptr);
    TCustomForm Form;
    TFocusReceiver Receiver(&Form, false);
    RequestFocus(new QLineEdit(&Form));
    ProcessMessages();
    EXPECT_TRUE(Receiver.Descriptions.isEmpty());
}

TEST(HandleFocusRequest, MakesTheControlActiveOnlyWhileItExists) {
    TFocusReceiver Main;
    auto* Kept = new QLineEdit(&Main.Form);
    auto* Doomed = new QLineEdit(&Main.Form);
    RequestFocus(Kept);
    ProcessMessages();
    EXPECT_EQ(Main.Form.ActiveControl(), Kept);

    RequestFocus(Doomed);
    delete Doomed;
    ProcessMessages();
    EXPECT_EQ(Main.Descriptions.size(), 2);
    EXPECT_EQ(Main.Form.ActiveControl(), Kept) << "a control destroyed meanwhile is not focused";
}

TEST(FocusFirstControl, ActivatesNestedPagesInnerToOuterBeforePosting) {
    TFocusReceiver Main;
    auto* Outer = new TPageControl(&Main.Form);
    Outer->setGeometry(0, 0, 300, 200);
    Outer->AddPage(QStringLiteral("Um"));
    TTabSheet* OuterPage = Outer->AddPage(QStringLiteral("Dois"));
    auto* Inner = new TPageControl(OuterPage);
    Inner->AddPage(QStringLiteral("A"));
    TTabSheet* InnerPage = Inner->AddPage(QStringLiteral("B"));
    auto* Panel = new QWidget(InnerPage);
    QLineEdit* Edit = EditAt(Panel, 0);
    ASSERT_NE(Outer->ActivePage(), OuterPage);
    ASSERT_NE(Inner->ActivePage(), InnerPage);

    EXPECT_EQ(FocusFirstControl(Panel), Edit);
    EXPECT_EQ(Inner->ActivePage(), InnerPage);
    EXPECT_EQ(Outer->ActivePage(), OuterPage);
    EXPECT_TRUE(Main.Targets.isEmpty()) << "the request waits for the message loop";
    ProcessMessages();
    EXPECT_EQ(Main.Targets, QList<QWidget*>({Edit}));
    EXPECT_EQ(FocusFirstControl(nullptr), nullptr);
}

TEST(FocusFirstControl, ForAnEmptyContainerRequestsTheContainer) {
    TFocusReceiver Main;
    auto* Page = new QWidget(&Main.Form);
    EXPECT_EQ(FocusFirstControl(Page), Page);
    ProcessMessages();
    EXPECT_EQ(Main.Targets, QList<QWidget*>({Page}));
    EXPECT_EQ(Main.Descriptions, QStringList({"QWidget"}));
}

TEST(FocusFirstControl, TheFocusMovesAfterTheClickHandlerHasEnded) {
    TFocusReceiver Main;
    auto* Button = new QPushButton(QStringLiteral("Ir"), &Main.Form);
    Button->setGeometry(0, 0, 60, 24);
    auto* Page = new QWidget(&Main.Form);
    Page->setGeometry(0, 30, 200, 100);
    QLineEdit* Edit = EditAt(Page, 0);
    QStringList Order;
    QObject::connect(Button, &QPushButton::clicked, [&] {
        FocusFirstControl(Page);
        Order << (Main.Targets.isEmpty() ? QStringLiteral("click ended first") : QStringLiteral("focus came first"));
    });
    Main.Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main.Form));
    Button->setFocus();
    QTest::mouseClick(Button, Qt::LeftButton);
    ProcessMessages();
    EXPECT_EQ(Order, QStringList({"click ended first"}));
    EXPECT_EQ(Main.Targets, QList<QWidget*>({Edit}));
    EXPECT_TRUE(Edit->hasFocus());
}

TEST(HidePages, PagesLieOnTheParentAndStillSwitchUntilShowPagesTakesThemBack) {
    TCustomForm Form;
    auto* Centre = new QWidget(&Form);
    auto* Pages = new TPageControl(Centre);
    Pages->setGeometry(8, 8, 200, 150);
    QList<TTabSheet*> Sheets;
    for (const char* Caption : {"Um", "Dois", "Tres"}) Sheets << Pages->AddPage(QString::fromLatin1(Caption));
    QLineEdit* OnSecond = EditAt(Sheets[1], 0);

    HidePages(Pages);
    EXPECT_TRUE(Pages->isHidden());
    for (TTabSheet* Sheet : Sheets) {
        EXPECT_EQ(Sheet->parentWidget(), Centre);
        EXPECT_EQ(Sheet->PageControl(), Pages);
        EXPECT_EQ(Sheet->geometry(), Pages->geometry());
    }
    Pages->SetActivePage(Sheets[1]);
    EXPECT_TRUE(Sheets[0]->isHidden());
    EXPECT_FALSE(Sheets[1]->isHidden());
    EXPECT_TRUE(Sheets[2]->isHidden());
    EXPECT_EQ(FindFirstFocusable(Centre), OnSecond) << "the shown page is searched in the page control's place";

    ShowPages(Pages);
    EXPECT_FALSE(Pages->isHidden());
    for (TTabSheet* Sheet : Sheets) EXPECT_EQ(Sheet->parentWidget(), Pages);
    EXPECT_EQ(Pages->ActivePage(), Sheets[1]);

    int Destroyed = 0;
    for (TTabSheet* Sheet : Sheets) QObject::connect(Sheet, &QObject::destroyed, [&] { ++Destroyed; });
    delete Pages;
    EXPECT_EQ(Destroyed, 3) << "the page control disposes of its pages";
    HidePages(nullptr);
    ShowPages(nullptr);
}

#include "VexFocusTests.moc"
