#include <gtest/gtest.h>

#include "platform/ui/ActnList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"

using namespace platform::ui;

TEST(Actions, ExecuteUpdatesFirstAndSkipsWhenDisabled) {
    TActionList List;
    TAction* Action = List.Add("actDetalhes");
    QStringList Log;
    Action->OnUpdate = [&](QObject*) { Log << "update"; };
    Action->OnExecute = [&](QObject* Sender) {
        EXPECT_EQ(Sender, Action);
        Log << "execute";
    };
    EXPECT_TRUE(Action->Execute());
    EXPECT_EQ(Log, QStringList({"update", "execute"}));
    Log.clear();
    Action->OnUpdate = [&](QObject*) { Action->SetEnabled(false); };
    EXPECT_FALSE(Action->Execute());
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_EQ(Action->ActionList(), &List);
    EXPECT_EQ(List.ActionCount(), 1);
}

TEST(Actions, ListUpdateCanHandleTheActionsUpdate) {
    TActionList List;
    TAction* Action = List.Add();
    int Own = 0;
    Action->OnUpdate = [&](QObject*) { ++Own; };
    List.OnUpdate = [&](TAction*, bool& Handled) { Handled = true; };
    List.UpdateActions();
    EXPECT_EQ(Own, 0);
}

TEST(Actions, AutoCheckTogglesAndGroupsActAsRadioItems) {
    TActionList List;
    TAction* Toggle = List.Add();
    Toggle->SetAutoCheck(true);
    Toggle->OnExecute = [](QObject*) {};
    Toggle->Execute();
    EXPECT_TRUE(Toggle->Checked());
    Toggle->Execute();
    EXPECT_FALSE(Toggle->Checked());

    TAction* A = List.Add();
    TAction* B = List.Add();
    for (TAction* Radio : {A, B}) {
        Radio->SetAutoCheck(true);
        Radio->SetGroupIndex(1);
        Radio->OnExecute = [](QObject*) {};
    }
    A->Execute();
    B->Execute();
    EXPECT_FALSE(A->Checked());
    EXPECT_TRUE(B->Checked());
    B->Execute();
    EXPECT_TRUE(B->Checked()) << "a checked radio item stays checked";
}

TEST(Actions, LinkedControlsFollowTheAction) {
    TAction Action;
    Action.SetCaption("&Detalhes");
    TCustomControl Control;
    Control.SetAction(&Action);
    EXPECT_EQ(Control.Caption(), "&Detalhes");
    Action.SetEnabled(false);
    EXPECT_FALSE(Control.isEnabled());
    Action.SetHint("Mostra os detalhes");
    EXPECT_EQ(Control.Hint(), "Mostra os detalhes");
    Action.SetEnabled(true);
    int Runs = 0;
    Action.OnExecute = [&](QObject*) { ++Runs; };
    int Clicks = 0;
    Control.OnClick = [&](QObject*) { ++Clicks; };
    Control.Click();
    EXPECT_EQ(Runs, 1);
    EXPECT_EQ(Clicks, 0) << "the action replaces OnClick";
}

TEST(Actions, ControlsForgetADestroyedAction) {
    TCustomControl Control;
    {
        TAction Action;
        Control.SetAction(&Action);
        EXPECT_EQ(Control.Action(), &Action);
    }
    EXPECT_EQ(Control.Action(), nullptr);
    int Clicks = 0;
    Control.OnClick = [&](QObject*) { ++Clicks; };
    Control.Click();
    EXPECT_EQ(Clicks, 1);
}

TEST(Actions, ShortcutsOfTheList) {
    TActionList List;
    TAction* Action = List.Add();
    Action->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_C));
    int Runs = 0;
    Action->OnExecute = [&](QObject*) { ++Runs; };
    EXPECT_TRUE(List.IsShortCut(QKeySequence(Qt::CTRL | Qt::Key_C)));
    EXPECT_FALSE(List.IsShortCut(QKeySequence(Qt::CTRL | Qt::Key_V)));
    EXPECT_EQ(Runs, 1);
}

TEST(ImageList, MaskedPicturesAndGreyedDrawing) {
    TImageList List(nullptr, 2, 2);
    QImage Strip = NewBitmap(4, 2, QColor(255, 0, 255));
    Strip.setPixelColor(0, 0, Qt::red);
    Strip.setPixelColor(3, 1, Qt::blue);
    EXPECT_EQ(List.AddMasked(Strip, qRgb(255, 0, 255)), 0);
    EXPECT_EQ(List.Count(), 2) << "a strip adds one picture per width";

    const QImage First = List.GetBitmap(0, Qt::green);
    EXPECT_EQ(First.size(), QSize(2, 2));
    EXPECT_EQ(First.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(First.pixelColor(1, 1), QColor(Qt::green)) << "the key shows the background";
    EXPECT_TRUE(List.GetBitmap(2, Qt::green).isNull());

    QImage Target(4, 4, QImage::Format_RGB32);
    Target.fill(Qt::white);
    {
        TCanvas C(&Target);
        List.Draw(C, 0, 0, 1, false);
    }
    EXPECT_EQ(Target.pixelColor(1, 1), SysColor(TSysColor::clBtnShadow));
    EXPECT_EQ(Target.pixelColor(0, 0), QColor(Qt::white));
    List.SetSize(3, 3);
    EXPECT_EQ(List.Count(), 0);
}
