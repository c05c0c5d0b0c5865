#include <QFrame>
#include <QLayout>
#include <QTest>
#include <QWidgetAction>
#include <gtest/gtest.h>

#include "platform/ui/ActnList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"

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

TEST(PopupMenu, BuildsTheVisibleItems) {
    TPopupMenu Popup;
    TMenuItem* Open = Popup.Items()->Add("&Abrir");
    Open->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Popup.Items()->Add("-");
    TMenuItem* Checked = Popup.Items()->Add("Marcado");
    Checked->SetChecked(true);
    TMenuItem* Hidden = Popup.Items()->Add("Oculto");
    Hidden->SetVisible(false);
    TMenuItem* Off = Popup.Items()->Add("Desligado");
    Off->SetEnabled(false);
    TMenuItem* Sub = Popup.Items()->Add("Mais");
    Sub->Add("Um");
    int Opened = 0;
    Open->OnClick = [&](QObject* Sender) {
        EXPECT_EQ(Sender, Open);
        ++Opened;
    };

    const std::unique_ptr<QMenu> Menu = Popup.BuildMenu();
    const QList<QAction*> Entries = Menu->actions();
    ASSERT_EQ(Entries.size(), 5);
    EXPECT_EQ(Entries[0]->text(), "&Abrir");
    EXPECT_EQ(Entries[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(Entries[1]->isSeparator());
    EXPECT_TRUE(Entries[2]->isChecked());
    EXPECT_FALSE(Entries[3]->isEnabled());
    ASSERT_NE(Entries[4]->menu(), nullptr);
    EXPECT_EQ(Entries[4]->menu()->actions().size(), 1);
    Entries[0]->trigger();
    EXPECT_EQ(Opened, 1);
}

TEST(PopupMenu, ItemsFollowTheirActions) {
    TAction Action;
    Action.SetCaption("&Copiar");
    int Runs = 0;
    Action.OnExecute = [&](QObject*) { ++Runs; };
    TPopupMenu Popup;
    TMenuItem* Item = Popup.Items()->Add("");
    Item->SetAction(&Action);
    EXPECT_EQ(Item->Caption(), "&Copiar");
    Action.SetEnabled(false);
    EXPECT_FALSE(Item->Enabled());
    Action.SetEnabled(true);
    Item->Click();
    EXPECT_EQ(Runs, 1);
}

TEST(PopupMenu, OwnerDrawnItemsMeasureAndPaintThemselves) {
    TPopupMenu Popup;
    Popup.SetOwnerDraw(true);
    TMenuItem* Item = Popup.Items()->Add("Item");
    Item->OnMeasureItem = [](TMenuItem*, TCanvas&, int& Width, int& Height) {
        Width = 120;
        Height = 30;
    };
    int Draws = 0;
    Item->OnDrawItem = [&](TMenuItem* Sender, TCanvas& Canvas, const QRect& Rect, bool Selected) {
        EXPECT_EQ(Sender, Item);
        EXPECT_FALSE(Selected);
        ++Draws;
        Canvas.Brush().Color = Qt::red;
        Canvas.FillRect(Rect);
    };
    const std::unique_ptr<QMenu> Menu = Popup.BuildMenu();
    auto* Entry = qobject_cast<QWidgetAction*>(Menu->actions().value(0));
    ASSERT_NE(Entry, nullptr);
    QWidget* View = Entry->defaultWidget();
    EXPECT_EQ(View->sizeHint(), QSize(120, 30));
    View->resize(View->sizeHint());
    const QImage Image = View->grab().toImage();
    EXPECT_GE(Draws, 1);
    EXPECT_EQ(Image.pixelColor(60, 15), QColor(Qt::red));

    // A separator is drawn by its own handlers too, and a click on it does nothing.
    TMenuItem* Line = Popup.Items()->Add("-");
    Line->OnMeasureItem = [](TMenuItem*, TCanvas&, int& Width, int& Height) {
        Width = 120;
        Height = 3;
    };
    int Clicks = 0;
    Line->OnClick = [&Clicks](QObject*) { ++Clicks; };
    const std::unique_ptr<QMenu> WithLine = Popup.BuildMenu();
    auto* LineEntry = qobject_cast<QWidgetAction*>(WithLine->actions().value(1));
    ASSERT_NE(LineEntry, nullptr);
    QWidget* LineView = LineEntry->defaultWidget();
    EXPECT_EQ(LineView->sizeHint(), QSize(120, 3));
    LineView->resize(LineView->sizeHint());
    QTest::mouseClick(LineView, Qt::LeftButton, Qt::NoModifier, QPoint(60, 1));
    EXPECT_EQ(Clicks, 0);
}

TEST(PopupMenu, OwnerDrawnItemsWithABreakStartANewColumn) {
    TPopupMenu Popup;
    Popup.SetOwnerDraw(true);
    int Clicked = -1;
    for (int I = 0; I < 5; ++I) {
        TMenuItem* Item = Popup.Items()->Add(QString("Item %1").arg(I));
        Item->OnMeasureItem = [](TMenuItem*, TCanvas&, int& Width, int& Height) {
            Width = 80;
            Height = 24;
        };
        Item->OnClick = [&Clicked, I](QObject*) { Clicked = I; };
    }
    Popup.Items()->Items(3)->SetBreak(mbBarBreak);
    const std::unique_ptr<QMenu> Menu = Popup.BuildMenu();
    ASSERT_EQ(Menu->actions().size(), 1) << "one widget holds the columns";
    auto* Entry = qobject_cast<QWidgetAction*>(Menu->actions().value(0));
    ASSERT_NE(Entry, nullptr);
    QWidget* Columns = Entry->defaultWidget();
    Columns->resize(Columns->sizeHint());
    Columns->layout()->activate();
    EXPECT_EQ(Columns->sizeHint().height(), 3 * 24) << "three entries in the first column";
    std::vector<QPoint> Places;
    for (QWidget* View : Columns->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QFrame*>(View)) Places.push_back(View->pos());
    ASSERT_EQ(Places.size(), 5u);
    EXPECT_EQ(Places[1].x(), Places[0].x());
    EXPECT_EQ(Places[2].y(), Places[1].y() + 24);
    EXPECT_GT(Places[3].x(), Places[2].x() + 80 - 1) << "the break starts a column to the right";
    EXPECT_EQ(Places[3].y(), Places[0].y());
    EXPECT_EQ(Places[4].y(), Places[3].y() + 24);

    QWidget* Fourth = Columns->childAt(Places[3] + QPoint(10, 10));
    ASSERT_NE(Fourth, nullptr);
    QTest::mouseClick(Fourth, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(Clicked, 3);

    Popup.Items()->Items(3)->SetBreak(mbNone);
    EXPECT_EQ(Popup.BuildMenu()->actions().size(), 5) << "without a break every item is an entry of its own";
}
