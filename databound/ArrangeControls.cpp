#include "databound/ArrangeControls.h"

#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"

namespace databound {

void ArrangeControls(QWidget* Container) {
    if (!Container) return;
    if (auto* Pages = qobject_cast<platform::ui::TPageControl*>(Container)) {
        for (int I = 0; I < Pages->PageCount(); ++I) ArrangeControls(Pages->Pages(I));
        return;
    }
    std::vector<QWidget*> Children;
    for (QWidget* Child : Container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        Children.push_back(Child);
    std::stable_sort(Children.begin(), Children.end(), [](const QWidget* A, const QWidget* B) {
        const QRect RA = platform::ui::GetBounds(A), RB = platform::ui::GetBounds(B);
        return RA.top() != RB.top() ? RA.top() < RB.top() : RA.left() < RB.left();
    });
    if (Children.empty()) return;
    const int BottomRow = platform::ui::GetBounds(Children.back()).top();
    for (std::size_t I = 0; I < Children.size(); ++I) {
        const int Top = platform::ui::GetBounds(Children[I]).top();
        platform::ui::TAnchors Anchors = platform::ui::akLeft | platform::ui::akTop;
        if (I + 1 == Children.size() || platform::ui::GetBounds(Children[I + 1]).top() != Top)
            Anchors |= platform::ui::akRight;
        if (Top == BottomRow) Anchors |= platform::ui::akBottom;
        platform::ui::SetTabOrder(Children[I], static_cast<int>(I));
        platform::ui::SetAnchors(Children[I], Anchors);
    }
    for (QWidget* Child : Children)
        if (!Child->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).isEmpty() ||
            qobject_cast<platform::ui::TPageControl*>(Child))
            ArrangeControls(Child);
}

}  // namespace databound
