#include <QAbstractItemView>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

#include "databound/VexDBCombo.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using namespace platform::data;
using testing_data::Bound;
using testing_data::TPeople;
using testing_data::TShownForm;

namespace {

const QStringList kResetValues = {"0", "1", "2", "3"};
const QStringList kResetNames = {"Nunca", "Diário", "Mensal", "Anual"};

// The reset-option combo of the numbering dialog over the people's Tipo (Ana 0, Bia 1, Caio 2).
TVexDBComboBox* ResetCombo(QWidget* Parent, TPeople& People) {
    auto* Combo = Bound<TVexDBComboBox>(Parent, People.Source, "Tipo", 10);
    Combo->SetItems(kResetValues);
    Combo->SetItemsEx(kResetNames);
    return Combo;
}

// A text of exactly Width pixels in Font, made of wide and narrow letters.
QString TextOfWidth(const QFont& Font, int Width) {
    const QFontMetrics Metrics(Font);
    for (int Wide = 0; Wide * Metrics.horizontalAdvance('m') <= Width; ++Wide)
        for (int Narrow = 0; Narrow < 40; ++Narrow) {
            const QString Text = QString(Wide, 'm') + QString(Narrow, 'i');
            if (Metrics.horizontalAdvance(Text) == Width) return Text;
        }
    return {};
}

int HighlightPixels(QWidget* Control) {
    const QImage Picture = Control->grab().toImage();
    const QColor Highlight = platform::ui::SysColor(platform::ui::TSysColor::clHighlight);
    int Count = 0;
    for (int Y = 0; Y < Picture.height(); ++Y)
        for (int X = 0; X < Picture.width(); ++X) Count += Picture.pixelColor(X, Y) == Highlight ? 1 : 0;
    return Count;
}

}  // namespace

TEST(VexDBComboBox, StartsAsAFlatOwnerDrawnListWithoutTheExtras) {
    TVexDBComboBox Combo;
    EXPECT_EQ(Combo.Style(), platform::ui::TComboBoxStyle::csOwnerDrawFixed);
    EXPECT_FALSE(Combo.isEditable()) << "no typing";
    EXPECT_EQ(Combo.BevelKind(), bkFlat);
    EXPECT_EQ(Combo.ItemHeight(), 15);
    EXPECT_EQ(Combo.DropDownCount(), 8);
    EXPECT_FALSE(Combo.DrawEx());
    EXPECT_FALSE(Combo.ImmediatePost());
    EXPECT_TRUE(Combo.ItemsEx().isEmpty());
}

TEST(VexDBComboBox, ShowsTheNameOfTheStoredValueAndBothTextsWithDrawEx) {
    TPeople People;
    TShownForm Shown;
    People.Table.Last();
    auto* Combo = ResetCombo(&Shown.Form, People);
    EXPECT_EQ(Combo->DisplayText(Combo->currentIndex()), "Mensal") << "stored 2";
    QStringList Listed;
    for (int I = 0; I < Combo->count(); ++I) Listed << Combo->DisplayText(I);
    EXPECT_EQ(Listed, kResetNames);
    Combo->SetDrawEx(true);
    EXPECT_EQ(Combo->DisplayText(Combo->currentIndex()), "2 - Mensal");
}

TEST(VexDBComboBox, ItemsWithoutANameShowTheirStoredText) {
    TVexDBComboBox Combo;
    Combo.SetItems({"A", "B", "C"});
    Combo.SetItemsEx({"Aberto", ""});
    struct TCase {
        bool DrawEx;
        int Index;
        QString Shown;
    };
    for (const TCase& Case : {TCase{false, 0, "Aberto"}, {false, 1, ""}, {false, 2, "C"}, {true, 0, "A - Aberto"},
                              {true, 1, "B"}, {true, 2, "C"}}) {
        SCOPED_TRACE(QString("DrawEx %1, item %2").arg(Case.DrawEx).arg(Case.Index).toStdString());
        Combo.SetDrawEx(Case.DrawEx);
        EXPECT_EQ(Combo.DisplayText(Case.Index), Case.Shown);
    }
}

TEST(VexDBComboBox, ChoosingStoresTheValueOnLeavingOrAtOnceWithImmediatePost) {
    for (const bool Immediate : {false, true}) {
        SCOPED_TRACE(Immediate ? "ImmediatePost" : "posted on leaving");
        TPeople People;
        TShownForm Shown;
        People.Table.Next();
        auto* Combo = ResetCombo(&Shown.Form, People);
        auto* Other = Bound<TVexDBComboBox>(&Shown.Form, People.Source, "Cidade", 40);
        Combo->SetImmediatePost(Immediate);
        Combo->setFocus();
        QTest::keyClick(Combo, Qt::Key_Down);
        EXPECT_EQ(Combo->DisplayText(Combo->currentIndex()), "Mensal");
        EXPECT_EQ(People.Table.FieldByName("Tipo")->AsString(), Immediate ? "2" : "1");
        Other->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Other->hasFocus(); }));
        EXPECT_EQ(People.Table.FieldByName("Tipo")->AsString(), "2");
        EXPECT_EQ(People.Table.State(), dsEdit) << "chosen, not posted";
    }
}

TEST(VexDBComboBox, DeleteEmptiesTheFieldOnlyWhenItMayBeEdited) {
    enum TLock { lkNone, lkCombo, lkField, lkNoAutoEdit };
    for (const TLock Lock : {lkNone, lkCombo, lkField, lkNoAutoEdit}) {
        SCOPED_TRACE(Lock);
        TPeople People;
        TShownForm Shown;
        People.Table.Last();
        auto* Combo = ResetCombo(&Shown.Form, People);
        if (Lock == lkCombo) Combo->SetReadOnly(true);
        if (Lock == lkField) People.Table.FieldByName("Tipo")->SetReadOnly(true);
        if (Lock == lkNoAutoEdit) People.Source.SetAutoEdit(false);
        Combo->setFocus();
        QTest::keyClick(Combo, Qt::Key_Delete);
        const bool Cleared = Lock == lkNone;
        EXPECT_EQ(People.Table.FieldByName("Tipo")->IsNull(), Cleared);
        EXPECT_EQ(People.Table.State(), Cleared ? dsEdit : dsBrowse);
        EXPECT_EQ(Combo->currentIndex(), Cleared ? -1 : 2);
    }
}

TEST(VexDBComboBox, TheListDropsAsWideAsItsLongestTextWithTheScrollBarWhenItScrolls) {
    TShownForm Shown;
    auto* Combo = new TVexDBComboBox(&Shown.Form);
    Combo->setGeometry(10, 10, 71, 21);
    Combo->show();
    const QString Widest = TextOfWidth(Combo->font(), 80);
    ASSERT_FALSE(Widest.isEmpty());
    const int ScrollBar = Combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Combo);
    struct TCase {
        int Items;
        int Dropped;
    };
    for (const TCase& Case : {TCase{4, 86}, {10, 86 + ScrollBar}}) {
        SCOPED_TRACE(Case.Items);
        QStringList Values, Names;
        for (int I = 0; I < Case.Items; ++I) {
            Values << QString::number(I);
            Names << (I == 1 ? Widest : QString("x%1").arg(I));
        }
        Combo->SetItems(Values);
        Combo->SetItemsEx(Names);
        Combo->SetDropDownCount(8);
        Combo->showPopup();
        QWidget* List = Combo->view()->window();
        ASSERT_TRUE(QTest::qWaitFor([&] { return List->isVisible(); }));
        EXPECT_EQ(List->width(), Case.Dropped);
        Combo->hidePopup();
    }
    Combo->SetItems({"0"});
    Combo->SetItemsEx({"a"});
    Combo->showPopup();
    EXPECT_EQ(Combo->view()->window()->width(), 86 + ScrollBar) << "a widened list keeps its width";
    Combo->hidePopup();
}

TEST(VexDBComboBox, IsDrawnHighlightedOnlyWhileItHasTheFocus) {
    TPeople People;
    TShownForm Shown;
    auto* Combo = ResetCombo(&Shown.Form, People);
    auto* Other = Bound<TVexDBComboBox>(&Shown.Form, People.Source, "Cidade", 40);
    Combo->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Combo->hasFocus(); }));
    EXPECT_GT(HighlightPixels(Combo), 0);
    Other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Other->hasFocus(); }));
    EXPECT_EQ(HighlightPixels(Combo), 0);
}
