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

// The reset-option combo of the numbering dialog over the people's Tipo (Ana 0, Bia 1, Caio 2).
TVexDBComboBox* ResetCombo(QWidget* Parent, TPeople& People) {
    auto* Combo = Bound<TVexDBComboBox>(Parent, People.Source, "Tipo", 10);
    Combo->SetItems({"0", "1", "2", "3"});
    Combo->SetItemsEx({"Nunca", "Diário", "Mensal", ""});
    return Combo;
}

}  // namespace

TEST(VexDBComboBox, ShowsTheNameOfTheStoredValueAndBothTextsWithDrawEx) {
    TPeople People;
    TShownForm Shown;
    People.Table.Last();
    auto* Combo = ResetCombo(&Shown.Form, People);
    Combo->SetItems({"0", "1", "2", "3", "4"});
    EXPECT_EQ(Combo->currentIndex(), 2) << "stored 2";
    for (const bool DrawEx : {false, true}) {
        SCOPED_TRACE(DrawEx ? "DrawEx" : "names only");
        Combo->SetDrawEx(DrawEx);
        QStringList Shown;
        for (int I = 0; I < Combo->count(); ++I) Shown << Combo->DisplayText(I);
        EXPECT_EQ(Shown, DrawEx ? QStringList({"0 - Nunca", "1 - Diário", "2 - Mensal", "3", "4"})
                                : QStringList({"Nunca", "Diário", "Mensal", "", "4"}));
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
        EXPECT_EQ(People.Table.FieldByName("Tipo")->IsNull(), Lock == lkNone);
        EXPECT_EQ(People.Table.State(), Lock == lkNone ? dsEdit : dsBrowse);
    }
}

TEST(VexDBComboBox, TheListDropsAsWideAsItsLongestTextWithTheScrollBarWhenItScrolls) {
    TShownForm Shown;
    auto* Combo = new TVexDBComboBox(&Shown.Form);
    Combo->setGeometry(10, 10, 71, 21);
    Combo->show();
    QString Widest;  // 80 pixels wide, of wide and narrow letters
    for (int Wide = 0; Wide < 20 && Widest.isEmpty(); ++Wide)
        for (int Narrow = 0; Narrow < 40; ++Narrow)
            if (const QString Text = QString(Wide, 'm') + QString(Narrow, 'i');
                QFontMetrics(Combo->font()).horizontalAdvance(Text) == 80)
                Widest = Text;
    ASSERT_FALSE(Widest.isEmpty());
    const int ScrollBar = Combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Combo);
    for (const auto& [Items, Dropped] : {std::pair{4, 86}, {10, 86 + ScrollBar}, {1, 86 + ScrollBar}}) {
        SCOPED_TRACE(Items);
        QStringList Values, Names;
        for (int I = 0; I < Items; ++I) Values << QString::number(I);
        Names << (Items > 1 ? Widest : "a");
        Combo->SetItems(Values);
        Combo->SetItemsEx(Names);
        Combo->showPopup();
        QWidget* List = Combo->view()->window();
        ASSERT_TRUE(QTest::qWaitFor([&] { return List->isVisible(); }));
        EXPECT_EQ(List->width(), Dropped) << "a widened list keeps its width";
        Combo->hidePopup();
    }
}
