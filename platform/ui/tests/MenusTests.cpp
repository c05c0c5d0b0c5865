#include <QFrame>
#include <QLayout>
#include <QMap>
#include <QSignalSpy>
#include <QTest>
#include <QWidgetAction>
#include <gtest/gtest.h>

#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"

using namespace platform::ui;

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

namespace {

// An owner-drawn menu of five entries (a separator and a disabled one among them), shown, that records which entry
// painted itself highlighted and which items ran. With Columns the fourth entry starts a second column.
class OwnerDrawnKeys {
public:
    explicit OwnerDrawnKeys(bool Columns) {
        Popup.SetOwnerDraw(true);
        for (const char* Caption : {"&Abrir", "-", "&Desligado", "&Gravar", "Sa&ir"}) {
            TMenuItem* Item = Popup.Items()->Add(Caption);
            Item->OnMeasureItem = [](TMenuItem*, TCanvas&, int& Width, int& Height) {
                Width = 90;
                Height = 20;
            };
            Item->OnDrawItem = [this](TMenuItem* Sender, TCanvas&, const QRect&, bool Selected) {
                Highlighted[Sender->Caption()] = Selected;
            };
            Item->OnClick = [this](QObject* Sender) { Runs << static_cast<TMenuItem*>(Sender)->Caption(); };
        }
        Popup.Items()->Items(2)->SetEnabled(false);
        if (Columns) Popup.Items()->Items(3)->SetBreak(mbBreak);
        Menu = Popup.BuildMenu();
        Hides = std::make_unique<QSignalSpy>(Menu.get(), &QMenu::aboutToHide);
        Menu->popup(QPoint(40, 40));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Menu.get()));
    }

    // The entries that paint themselves highlighted now.
    QStringList HighlightedNow() {
        Highlighted.clear();
        Menu->grab();
        QStringList Out;
        for (auto It = Highlighted.begin(); It != Highlighted.end(); ++It)
            if (It.value()) Out << It.key();
        return Out;
    }

    TPopupMenu Popup;
    std::unique_ptr<QMenu> Menu;
    std::unique_ptr<QSignalSpy> Hides;
    QMap<QString, bool> Highlighted;
    QStringList Runs;
};

struct TKeyCase {
    const char* Name;
    std::vector<Qt::Key> Moves;
    QStringList Highlighted;  // after the moves
    Qt::Key Final;            // Qt::Key_unknown: none
    QStringList Runs;
};

}  // namespace

TEST(PopupMenu, OwnerDrawnEntriesFollowTheKeysAsAPlainMenuDoes) {
    const TKeyCase Cases[] = {
        {"down highlights the first entry", {Qt::Key_Down}, {"&Abrir"}, Qt::Key_unknown, {}},
        {"return runs it", {Qt::Key_Down}, {"&Abrir"}, Qt::Key_Return, {"&Abrir"}},
        {"the separator and the disabled entry are passed over", {Qt::Key_Down, Qt::Key_Down}, {"&Gravar"},
         Qt::Key_Enter, {"&Gravar"}},
        {"down goes round the end", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, {"&Abrir"},
         Qt::Key_unknown, {}},
        {"up from the first goes to the last", {Qt::Key_Down, Qt::Key_Up}, {"Sa&ir"}, Qt::Key_Return, {"Sa&ir"}},
        {"an accelerator runs its entry", {}, {}, Qt::Key_I, {"Sa&ir"}},
        {"a disabled entry's accelerator runs nothing", {}, {}, Qt::Key_D, {}},
    };
    for (const bool Columns : {false, true}) {
        for (const TKeyCase& Case : Cases) {
            SCOPED_TRACE(std::string(Case.Name) + (Columns ? ", in columns" : ", in one column"));
            OwnerDrawnKeys Menu(Columns);
            for (const Qt::Key Key : Case.Moves) QTest::keyClick(Menu.Menu.get(), Key);
            EXPECT_EQ(Menu.HighlightedNow(), Case.Highlighted);
            if (Case.Final != Qt::Key_unknown) QTest::keyClick(Menu.Menu.get(), Case.Final);
            EXPECT_EQ(Menu.Runs, Case.Runs);
            if (!Case.Runs.isEmpty()) {
                EXPECT_FALSE(Menu.Menu->isVisible());
                EXPECT_EQ(Menu.Hides->count(), 1) << "the menu closes once";
            }
        }
    }
}

TEST(PopupMenu, OwnerDrawnColumnsMoveSidewaysWithLeftAndRight) {
    OwnerDrawnKeys Menu(true);
    const std::pair<Qt::Key, QStringList> Steps[] = {
        {Qt::Key_Down, {"&Abrir"}},
        {Qt::Key_Right, {"&Gravar"}},
        {Qt::Key_Down, {"Sa&ir"}},
        {Qt::Key_Left, {"&Abrir"}},  // the separator's row: the nearest entry that can be chosen
        {Qt::Key_Left, {"&Gravar"}},
    };
    for (const auto& [Key, Highlighted] : Steps) {
        QTest::keyClick(Menu.Menu.get(), Key);
        EXPECT_EQ(Menu.HighlightedNow(), Highlighted);
    }
    QTest::keyClick(Menu.Menu.get(), Qt::Key_Return);
    EXPECT_EQ(Menu.Runs, QStringList({"&Gravar"}));
}
