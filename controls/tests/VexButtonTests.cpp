#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

using namespace controls;
using namespace platform::ui;

namespace {

void Activate(TCustomForm& Form) {
    Form.resize(320, 200);
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
}

TVexButton* MakeButton(QWidget* Parent, const QString& Caption, int Top = 0, int* Clicks = nullptr) {
    auto* Button = new TVexButton(Parent);
    Button->SetCaption(Caption);
    Button->SetSkinName("button");
    Button->SetBounds(10, Top, 90, 23);
    if (Clicks) Button->OnClick = [Clicks](QObject*) { ++*Clicks; };
    return Button;
}

TVexButton* MakeCheckBox(QWidget* Parent, const QString& Caption, int Top, int Group = 1) {
    auto* Box = MakeButton(Parent, Caption, Top);
    Box->SetSkinName("check");
    Box->SetMargin(18);
    Box->SetGroupIndex(Group);
    Box->SetAllowAllUp(true);
    Box->SetDefaultActions(false);
    Box->SetHeight(15);
    return Box;
}

void Enter(QWidget* Widget) {
    QEnterEvent Event(QPointF(2, 2), QPointF(2, 2), Widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(Widget, &Event);
}

void Leave(QWidget* Widget) {
    QEvent Event(QEvent::Leave);
    QApplication::sendEvent(Widget, &Event);
}

}  // namespace

TEST(VexButtonChecking, OutsideAGroupAButtonCannotBeChecked) {
    TVexButton Button;
    Button.SetChecked(true);
    EXPECT_FALSE(Button.Checked());
    int Clicks = 0;
    Button.OnClick = [&](QObject*) { ++Clicks; };
    Button.Click();
    EXPECT_FALSE(Button.Checked()) << "a click does not toggle a button without a group";
    EXPECT_EQ(Clicks, 1);
}

TEST(VexButtonChecking, GroupsWithoutAllowAllUpBehaveAsRadioButtons) {
    QWidget Parent;
    TVexButton* A = MakeButton(&Parent, "A");
    TVexButton* B = MakeButton(&Parent, "B");
    TVexButton* Other = MakeButton(&Parent, "Other");
    for (TVexButton* Button : {A, B}) Button->SetGroupIndex(3);
    Other->SetGroupIndex(4);
    Other->SetChecked(true);
    A->Click();
    EXPECT_TRUE(A->Checked());
    A->Click();
    EXPECT_TRUE(A->Checked()) << "the last checked button of a group cannot be released";
    A->SetChecked(false);
    EXPECT_TRUE(A->Checked());
    B->Click();
    EXPECT_TRUE(B->Checked());
    EXPECT_FALSE(A->Checked()) << "the check moves";
    EXPECT_TRUE(Other->Checked()) << "another group is not affected";
}

TEST(VexButtonChecking, AllowAllUpIsSharedByTheGroup) {
    QWidget Parent;
    TVexButton* A = MakeButton(&Parent, "A");
    TVexButton* B = MakeButton(&Parent, "B");
    TVexButton* Stranger = MakeButton(&Parent, "C");
    A->SetGroupIndex(2);
    B->SetGroupIndex(2);
    Stranger->SetGroupIndex(5);
    A->SetAllowAllUp(true);
    EXPECT_TRUE(B->AllowAllUp());
    EXPECT_FALSE(Stranger->AllowAllUp());
    A->SetChecked(true);
    B->SetChecked(true);
    EXPECT_FALSE(A->Checked()) << "still one checked button per group";
    B->Click();
    EXPECT_FALSE(B->Checked()) << "with AllowAllUp the group may have none";
    EXPECT_TRUE(A->AllowAllUp()) << "unchecking restores AllowAllUp";
}

TEST(VexButtonChecking, CheckBoxesOnDifferentPagesAreIndependent) {
    TCustomForm Form;
    auto* Pages = new TPageControl(&Form);
    TTabSheet* First = Pages->AddPage("Um");
    TTabSheet* Second = Pages->AddPage("Dois");
    TVexButton* A = MakeCheckBox(First, "A", 10);
    TVexButton* B = MakeCheckBox(Second, "B", 10);
    A->Click();
    B->Click();
    EXPECT_TRUE(A->Checked() && B->Checked());
    A->Click();
    EXPECT_FALSE(A->Checked()) << "a check box with AllowAllUp toggles";
    EXPECT_TRUE(B->Checked());
    B->SetAllowAllUp(false);
    EXPECT_TRUE(A->AllowAllUp()) << "another parent is another group";
    TVexButton* Sibling = MakeCheckBox(First, "C", 30);
    A->Click();
    Sibling->Click();
    EXPECT_FALSE(A->Checked()) << "on one parent the group keeps one checked box";
}

TEST(VexButtonChecking, ClickSetsTheFormsModalResultThenRunsTheActionOrOnClick) {
    TCustomForm Form;
    int Clicks = 0, Runs = 0;
    TVexButton* Button = MakeButton(&Form, "Ok", 0, &Clicks);
    Button->SetModalResult(mrOk);
    Button->Click();
    EXPECT_EQ(Form.ModalResult(), mrOk);
    EXPECT_EQ(Clicks, 1);
    Button->SetModalResult(mrNone);
    Button->Click();
    EXPECT_EQ(Form.ModalResult(), mrNone) << "a zero result is copied too";

    auto* List = new TActionList(&Form);
    TAction* Toggle = List->Add("actToggle");
    Toggle->SetCaption("&Toggle");
    Toggle->SetAutoCheck(true);
    Toggle->SetImageIndex(3);
    Toggle->OnExecute = [&](QObject*) { ++Runs; };
    Button->SetGroupIndex(1);
    Button->SetAllowAllUp(true);
    Button->SetAction(Toggle);
    EXPECT_EQ(Button->Caption(), "&Toggle");
    EXPECT_EQ(Button->ImageIndex(), 3);
    Button->Click();
    EXPECT_EQ(Runs, 1);
    EXPECT_EQ(Clicks, 2) << "the action runs instead of OnClick";
    EXPECT_TRUE(Button->Checked()) << "the action's Checked reaches the button";
    Button->SetChecked(false);
    EXPECT_FALSE(Toggle->Checked()) << "and the button's reaches the action";
    Toggle->SetImageIndex(5);
    EXPECT_EQ(Button->ImageIndex(), 5);
}

TEST(VexButtonChecking, ModalFormEndsWithTheClickedButtonsResult) {
    TCustomForm Dialog;
    TVexButton* Yes = MakeButton(&Dialog, "&Sim");
    Yes->SetModalResult(mrYes);
    QMetaObject::invokeMethod(Yes, [Yes] { QTest::mouseClick(Yes, Qt::LeftButton); }, Qt::QueuedConnection);
    EXPECT_EQ(Dialog.ShowModal(), mrYes);
}

TEST(VexButtonKeys, EnterClicksTheDefaultButtonUnlessAnotherPushButtonHasTheFocus) {
    TCustomForm Form;
    int OkClicks = 0, OtherClicks = 0;
    TVexButton* Ok = MakeButton(&Form, "Ok", 0, &OkClicks);
    TVexButton* Other = MakeButton(&Form, "Outro", 30, &OtherClicks);
    TVexButton* Box = MakeCheckBox(&Form, "Marcar", 60);
    auto* Edit = new QLineEdit(&Form);
    Edit->move(10, 90);
    Ok->SetDefault(true);
    Activate(Form);

    Edit->setFocus();
    EXPECT_TRUE(Ok->Active());
    EXPECT_EQ(Ok->ChooseDrawAttr(), dsaFocus) << "the default button keeps its focused face";
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(OkClicks, 1);

    Box->SetFocus();
    EXPECT_TRUE(Ok->Active());
    QTest::keyClick(Box, Qt::Key_Return);
    EXPECT_EQ(OkClicks, 2);
    EXPECT_FALSE(Box->Checked()) << "the check box does not take Enter itself";

    Other->SetFocus();
    EXPECT_FALSE(Ok->Active());
    EXPECT_EQ(Ok->ChooseDrawAttr(), dsaUp);
    QTest::keyClick(Other, Qt::Key_Return);
    EXPECT_EQ(OkClicks, 2);
    EXPECT_EQ(OtherClicks, 1);

    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(OkClicks, 2) << "Ctrl+Enter is not a dialog key press";
    QTest::keyClick(Edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(OkClicks, 3) << "the keypad's Enter is Enter";
}

TEST(VexButtonKeys, WithoutADefaultButtonEnterReachesTheFocusedCheckBox) {
    TCustomForm Form;
    TVexButton* Box = MakeCheckBox(&Form, "Marcar", 0);
    Activate(Form);
    Box->SetFocus();
    QTest::keyClick(Box, Qt::Key_Return);
    EXPECT_TRUE(Box->Checked());
    QTest::keyClick(Box, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(Box->Checked()) << "not with Shift held";
    QTest::keyClick(Box, Qt::Key_Space);
    EXPECT_FALSE(Box->Checked());
}

TEST(VexButtonKeys, EnterFollowsADefaultSetWhileTheFocusStays) {
    TCustomForm Form;
    int Clicks = 0;
    TVexButton* Ok = MakeButton(&Form, "Ok", 0, &Clicks);
    auto* Edit = new QLineEdit(&Form);
    Edit->move(10, 40);
    Activate(Form);
    Edit->setFocus();
    EXPECT_FALSE(Ok->Active());
    Ok->SetDefault(true);
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Clicks, 1);
    Ok->SetDefault(false);
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Clicks, 1);
}

TEST(VexButtonKeys, EscClicksTheCancelButtonUnlessOnDialogKeyRefuses) {
    TCustomForm Form;
    int Clicks = 0;
    TVexButton* Cancel = MakeButton(&Form, "Cancelar", 0, &Clicks);
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
    auto* Edit = new QLineEdit(&Form);
    Edit->move(10, 40);
    Activate(Form);
    Edit->setFocus();
    QList<uint16_t> Codes;
    bool Refuse = false;
    Cancel->OnDialogKey = [&](TVexButton*, uint16_t Code, bool& Allow) {
        Codes.append(Code);
        if (Refuse) Allow = false;
    };
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Form.ModalResult(), mrCancel);
    Refuse = true;
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Clicks, 1);
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Codes, QList<uint16_t>({VK_ESCAPE, VK_ESCAPE, VK_RETURN}));
    Refuse = false;
    Cancel->SetDefaultActions(false);
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Clicks, 1) << "without DefaultActions Esc is left alone";
    Cancel->SetDefaultActions(true);
    Cancel->setVisible(false);
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Clicks, 1) << "a button that cannot take the focus is not clicked";
}

TEST(VexButtonKeys, AcceleratorClicksWithoutMovingTheFocus) {
    TCustomForm Form;
    int Clicks = 0;
    TVexButton* Next = MakeButton(&Form, "&Avançar", 0, &Clicks);
    TVexButton* Back = MakeButton(&Form, "&Voltar", 30);
    auto* Edit = new QLineEdit(&Form);
    Edit->move(10, 60);
    Activate(Form);
    Back->SetFocus();
    QTest::keyClick(Back, Qt::Key_A);
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(Back->hasFocus());
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_A);
    EXPECT_EQ(Clicks, 1) << "a letter typed into an edit is text";
    QTest::keyClick(Edit, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(Clicks, 2);
    EXPECT_TRUE(Edit->hasFocus());
    Next->SetEnabled(false);
    QTest::keyClick(Edit, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(Clicks, 2) << "a disabled button ignores its accelerator";
}

TEST(VexButtonKeys, SpacePressAndReleaseClicksOnce) {
    TCustomForm Form;
    int Clicks = 0;
    TVexButton* Button = MakeButton(&Form, "Ok", 0, &Clicks);
    Activate(Form);
    Button->SetFocus();
    QTest::keyPress(Button, Qt::Key_Space);
    EXPECT_TRUE(Button->Pressed());
    EXPECT_EQ(Button->ChooseDrawAttr(), dsaDown);
    QKeyEvent Repeat(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(Button, &Repeat);
    EXPECT_EQ(Clicks, 0) << "holding the key does not click";
    QTest::keyRelease(Button, Qt::Key_Space);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(Button->Pressed());

    QTest::keyPress(Button, Qt::Key_Space);
    QTest::keyClick(Button, Qt::Key_Escape);
    EXPECT_FALSE(Button->Pressed()) << "Esc lets the button up";
    QTest::keyRelease(Button, Qt::Key_Space);
    EXPECT_EQ(Clicks, 1) << "releasing afterwards does not click";
}

TEST(VexButtonMouse, PressFocusesAndPressesReleaseClicks) {
    TCustomForm Form;
    int Clicks = 0, Downs = 0;
    TVexButton* Button = MakeButton(&Form, "Ok", 0, &Clicks);
    auto* Edit = new QLineEdit(&Form);
    Edit->move(10, 40);
    Button->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++Downs; };
    Activate(Form);
    Edit->setFocus();
    QTest::mousePress(Button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(Downs, 1);
    EXPECT_TRUE(Button->hasFocus());
    EXPECT_TRUE(Button->Pressed());
    QTest::mouseRelease(Button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(Button->Pressed());
    EXPECT_EQ(Clicks, 1);
    QTest::mousePress(Button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(Button, Qt::LeftButton, Qt::NoModifier, QPoint(200, 5));
    EXPECT_EQ(Clicks, 1) << "released outside: no click";
    EXPECT_FALSE(Button->Pressed());

    Enter(Button);
    EXPECT_TRUE(Button->MouseInside());
    EXPECT_EQ(Button->ChooseDrawAttr(), dsaHot);
    Leave(Button);
    EXPECT_FALSE(Button->MouseInside());
}

TEST(VexButtonMouse, ADoubleClickIsTwoClicksUnlessDoubleClicksIsSet) {
    TCustomForm Form;
    int Clicks = 0, Doubles = 0;
    TVexButton* Button = MakeButton(&Form, "Ok", 0, &Clicks);
    Button->OnDblClick = [&](QObject*) { ++Doubles; };
    Activate(Form);
    auto DoubleClick = [Button] {
        const QPointF At(5, 5);
        QTest::mouseClick(Button, Qt::LeftButton, Qt::NoModifier, At.toPoint());
        QMouseEvent Second(QEvent::MouseButtonDblClick, At, Button->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(Button, &Second);
        QTest::mouseRelease(Button, Qt::LeftButton, Qt::NoModifier, At.toPoint());
    };
    DoubleClick();
    EXPECT_EQ(Doubles, 0);
    EXPECT_EQ(Clicks, 2);
    Button->SetDoubleClicks(true);
    DoubleClick();
    EXPECT_EQ(Doubles, 1);
    EXPECT_EQ(Clicks, 3);
}

TEST(VexButtonState, CheckedBoxUnderTheMouseOrFocusedShowsHotDown) {
    TCustomForm Form;
    TVexButton* Box = MakeCheckBox(&Form, "Marcar", 0);
    TVexButton* Other = MakeButton(&Form, "Outro", 30);
    Activate(Form);
    Other->SetFocus();
    Box->SetChecked(true);
    EXPECT_EQ(Box->ChooseDrawAttr(), dsaChecked);
    Enter(Box);
    EXPECT_EQ(Box->ChooseDrawAttr(), dsaHotDown);
    Leave(Box);
    Box->SetFocus();
    EXPECT_EQ(Box->ChooseDrawAttr(), dsaHotDown);
    Box->SetEnabled(false);
    EXPECT_EQ(Box->ChooseDrawAttr(), dsaDisabled);
}

TEST(VexButtonPaint, OnDrawButtonIsCalledThreeTimesAndMayChangeTheState) {
    TVexButton Button;
    Button.resize(90, 23);
    QList<TDrawStage> Stages;
    QList<TDrawSkinAttr> Seen;
    Button.OnDrawButton = [&](TVexButton* Sender, TDrawSkinAttr& Attr, TDrawStage Stage) {
        EXPECT_EQ(Sender, &Button);
        Stages.append(Stage);
        Seen.append(Attr);
        if (Stage == dsPreSkin) Attr = dsaDisabled;
        if (Stage == dsBeforeSkin) {
            EXPECT_EQ(Sender->Canvas().Font().Color(), SysColor(TSysColor::clGrayText)) << "the changed state is drawn";
        }
    };
    (void)Button.grab();
    EXPECT_EQ(Stages, QList<TDrawStage>({dsPreSkin, dsBeforeSkin, dsAfterSkin}));
    EXPECT_EQ(Seen, QList<TDrawSkinAttr>({dsaUp, dsaDisabled, dsaDisabled}));
}

TEST(VexButtonSkin, OnlyAnOwnSkinIsRegisteredAndAFreedSkinIsForgotten) {
    TVexButton Button;
    Button.resize(90, 23);
    EXPECT_EQ(Button.Skin(), DefaultSkin());
    EXPECT_FALSE(DefaultSkin()->IsRegistered(&Button));
    Button.SetSkin(DefaultSkin());
    EXPECT_FALSE(DefaultSkin()->IsRegistered(&Button)) << "the default skin is the effective one already";

    auto* Own = new TVexSkin;
    Own->Buttons().Add()->SetName("std");
    Button.SetSkin(Own);
    EXPECT_TRUE(Own->IsRegistered(&Button));
    int Paints = 0;
    Button.OnDrawButton = [&](TVexButton*, TDrawSkinAttr&, TDrawStage Stage) { Paints += Stage == dsPreSkin; };
    Button.show();
    QApplication::processEvents();
    Paints = 0;
    Own->Buttons().Items(0)->ImageRepeat().SetX(3);
    EXPECT_EQ(Paints, 1) << "a change of the skin repaints the button at once";

    delete Own;
    EXPECT_EQ(Button.Skin(), DefaultSkin());
    Button.SetSkin(nullptr);

    auto* Images = new TImageList;
    Button.SetImages(Images);
    delete Images;
    EXPECT_EQ(Button.Images(), nullptr);
}

TEST(VexButtonSkin, AFreedButtonLeavesItsSkin) {
    TVexSkin Skin;
    auto* Button = new TVexButton;
    Button->SetSkin(&Skin);
    EXPECT_EQ(Skin.LinkedControlCount(), 1);
    delete Button;
    EXPECT_EQ(Skin.LinkedControlCount(), 0);
    Skin.NotifyControls();
}
