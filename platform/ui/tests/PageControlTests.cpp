#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

using namespace platform::ui;

namespace {

struct TPagedForm {
    TCustomForm Form;
    TPageControl* Pages;
    QList<TTabSheet*> Sheets;
    QList<QLineEdit*> Edits;

    TPagedForm() {
        Form.resize(300, 200);
        Pages = new TPageControl(&Form);
        SetBounds(Pages, 10, 10, 200, 150);
        for (const char* Caption : {"Um", "Dois", "Tres"}) {
            TTabSheet* Sheet = Pages->AddPage(Caption);
            Sheets.append(Sheet);
            Edits.append(new QLineEdit(Sheet));
        }
    }

    QList<TTabSheet*> VisibleSheets() const {
        QList<TTabSheet*> Result;
        for (TTabSheet* Sheet : Sheets)
            if (!Sheet->isHidden()) Result.append(Sheet);
        return Result;
    }
};

// Counts how often each page is destroyed.
QMap<QObject*, int> WatchDestruction(const QList<TTabSheet*>& Sheets) {
    QMap<QObject*, int> Counts;
    for (TTabSheet* Sheet : Sheets) Counts[Sheet] = 0;
    return Counts;
}

void Track(QMap<QObject*, int>& Counts) {
    for (QObject* Sheet : Counts.keys()) QObject::connect(Sheet, &QObject::destroyed, [&Counts, Sheet] { ++Counts[Sheet]; });
}

}  // namespace

TEST(PageControl, ActivePageShowsOnePage) {
    TPagedForm F;
    EXPECT_EQ(F.Pages->PageCount(), 3);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[0]) << "the first page starts active";
    EXPECT_EQ(F.VisibleSheets(), QList<TTabSheet*>({F.Sheets[0]}));
    F.Pages->SetActivePageIndex(2);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[2]);
    EXPECT_EQ(F.VisibleSheets(), QList<TTabSheet*>({F.Sheets[2]}));
    EXPECT_EQ(F.Sheets[2]->geometry(), F.Pages->DisplayRect());
    EXPECT_EQ(F.Sheets[1]->PageIndex(), 1);
    EXPECT_THROW(F.Pages->Pages(3), platform::os::EListError);
}

TEST(PageControl, PageIndexTabVisibilityAndTag) {
    TPagedForm F;
    F.Sheets[2]->SetPageIndex(0);
    EXPECT_EQ(F.Pages->Pages(0), F.Sheets[2]);
    EXPECT_EQ(F.Sheets[0]->PageIndex(), 1);
    F.Sheets[0]->SetTabVisible(false);
    EXPECT_EQ(F.Pages->TabCount(), 2);
    EXPECT_EQ(F.Sheets[0]->TabIndex(), -1);
    EXPECT_EQ(F.Sheets[1]->TabIndex(), 1) << "hidden tabs do not count";
    EXPECT_EQ(F.Pages->TabPage(1), F.Sheets[1]);
    F.Sheets[1]->SetTag(1);
    EXPECT_EQ(F.Sheets[1]->Tag(), 1);
    EXPECT_TRUE(F.Pages->TabRect(0).isValid());
    EXPECT_FALSE(F.Pages->TabRect(2).isValid());
}

TEST(PageControl, ClickingATabAsksAndTells) {
    TPagedForm F;
    F.Form.Show();
    bool Allow = false;
    int Changes = 0;
    F.Pages->OnChanging = [&](QObject*, bool& AllowChange) { AllowChange = Allow; };
    F.Pages->OnChange = [&](QObject*) { ++Changes; };
    const QPoint SecondTab = F.Pages->TabRect(1).center();
    QTest::mouseClick(F.Pages, Qt::LeftButton, {}, SecondTab);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[0]) << "vetoed";
    Allow = true;
    QTest::mouseClick(F.Pages, Qt::LeftButton, {}, SecondTab);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[1]);
    EXPECT_EQ(Changes, 1);
    F.Pages->SetActivePageIndex(2);
    EXPECT_EQ(Changes, 1) << "changes made by code are not reported";
}

TEST(PageControl, LentPagesLieOnTheParentAndStayUsable) {
    TPagedForm F;
    F.Form.Show();
    F.Pages->LendPages();
    EXPECT_TRUE(F.Pages->PagesLent());
    EXPECT_TRUE(F.Pages->isHidden());
    for (TTabSheet* Sheet : F.Sheets) {
        EXPECT_EQ(Sheet->parentWidget(), &F.Form);
        EXPECT_EQ(Sheet->geometry(), F.Pages->geometry()) << "in the page control's place";
        EXPECT_EQ(Sheet->PageControl(), F.Pages);
    }
    F.Pages->SetActivePage(F.Sheets[1]);
    EXPECT_EQ(F.VisibleSheets(), QList<TTabSheet*>({F.Sheets[1]}));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F.Form));
    F.Edits[1]->setFocus();
    QTest::keyClicks(F.Edits[1], "abc");
    EXPECT_EQ(F.Edits[1]->text(), "abc");
    EXPECT_TRUE(F.Edits[1]->isVisible());

    F.Pages->TakeBackPages();
    EXPECT_FALSE(F.Pages->PagesLent());
    EXPECT_FALSE(F.Pages->isHidden());
    for (TTabSheet* Sheet : F.Sheets) EXPECT_EQ(Sheet->parentWidget(), F.Pages);
    EXPECT_EQ(F.VisibleSheets(), QList<TTabSheet*>({F.Sheets[1]}));
    EXPECT_EQ(F.Sheets[1]->geometry(), F.Pages->DisplayRect());
}

TEST(PageControl, PagesAreFreedOnceAfterLendingAndTakingBack) {
    auto* F = new TPagedForm;
    auto Counts = WatchDestruction(F->Sheets);
    Track(Counts);
    F->Pages->LendPages();
    F->Pages->TakeBackPages();
    delete F->Pages;
    for (int Count : Counts) EXPECT_EQ(Count, 1);
    delete F;
    for (int Count : Counts) EXPECT_EQ(Count, 1);
}

TEST(PageControl, PagesAreFreedOnceWhenThePageControlGoesWhileLent) {
    auto* F = new TPagedForm;
    auto Counts = WatchDestruction(F->Sheets);
    Track(Counts);
    F->Pages->LendPages();
    delete F->Pages;
    for (int Count : Counts) EXPECT_EQ(Count, 1);
    EXPECT_TRUE(F->Form.findChildren<TTabSheet*>().isEmpty());
    delete F;
}

TEST(PageControl, PagesAreFreedOnceWhenTheFormGoesWhileLent) {
    auto* F = new TPagedForm;
    auto Counts = WatchDestruction(F->Sheets);
    Track(Counts);
    F->Pages->LendPages();
    delete F;
    for (int Count : Counts) EXPECT_EQ(Count, 1);
}

TEST(PageControl, APageFreedOnItsOwnLeavesThePageControl) {
    TPagedForm F;
    F.Pages->SetActivePageIndex(1);
    delete F.Sheets[1];
    EXPECT_EQ(F.Pages->PageCount(), 2);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[2]) << "the neighbour takes over";
    EXPECT_FALSE(F.Sheets[2]->isHidden());
    F.Sheets[2]->SetPageControl(nullptr);
    EXPECT_EQ(F.Pages->PageCount(), 1);
    EXPECT_EQ(F.Pages->ActivePage(), F.Sheets[0]);
    delete F.Sheets[2];
}
