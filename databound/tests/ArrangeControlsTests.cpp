#include <gtest/gtest.h>

#include <QWidget>

#include "databound/VexDivisao.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"

namespace databound {
namespace {

using namespace platform::ui;

QWidget* Place(QWidget* Parent, int Left, int Top) {
    auto* W = new QWidget(Parent);
    SetBounds(W, Left, Top, 50, 20);
    return W;
}

TEST(ArrangeControlsTest, ControlsAreOrderedByRowsAndAnchoredToTheirRowEndsAndTheBottomRow) {
    QWidget Form;
    // Created out of order: the arrangement follows the positions.
    QWidget* C = Place(&Form, 200, 10);
    QWidget* A = Place(&Form, 10, 10);
    QWidget* E = Place(&Form, 100, 40);
    QWidget* B = Place(&Form, 100, 10);
    QWidget* D = Place(&Form, 10, 40);
    TDivisao Divisao(&Form);
    Divisao.SetAjustaControls(true);
    const struct {
        QWidget* Control;
        int TabOrder;
        TAnchors Anchors;
    } Expected[] = {
        {A, 0, akLeft | akTop},
        {B, 1, akLeft | akTop},
        {C, 2, akLeft | akTop | akRight},
        {D, 3, akLeft | akTop | akBottom},
        {E, 4, akLeft | akTop | akRight | akBottom},
    };
    for (const auto& X : Expected) {
        SCOPED_TRACE(X.TabOrder);
        EXPECT_EQ(GetTabOrder(X.Control), X.TabOrder);
        EXPECT_EQ(GetAnchors(X.Control), X.Anchors);
    }
}

TEST(ArrangeControlsTest, PagesAndInnerContainersAreArrangedAndTheFlagOnlySwitchesOn) {
    QWidget Form;
    auto* Pages = new TPageControl(&Form);
    SetBounds(Pages, 0, 0, 300, 200);
    TTabSheet* Page = Pages->AddPage("Dados");
    QWidget* Right = Place(Page, 120, 5);
    QWidget* Left = Place(Page, 5, 5);
    auto* Panel = new QWidget(&Form);
    SetBounds(Panel, 0, 210, 300, 50);
    QWidget* Inner = Place(Panel, 5, 5);
    TDivisao Divisao(&Form);
    Divisao.SetAjustaControls(false);
    EXPECT_TRUE(Divisao.AjustaControls());
    EXPECT_EQ(GetTabOrder(Left), 0);
    EXPECT_EQ(GetTabOrder(Right), 1);
    EXPECT_EQ(GetAnchors(Left), akLeft | akTop | akBottom);
    EXPECT_EQ(GetAnchors(Right), akLeft | akTop | akRight | akBottom);
    EXPECT_EQ(GetAnchors(Inner), akLeft | akTop | akRight | akBottom);
    EXPECT_EQ(GetAnchors(Panel), akLeft | akTop | akRight | akBottom);
}

}  // namespace
}  // namespace databound
