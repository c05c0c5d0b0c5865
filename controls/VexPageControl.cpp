#include "controls/VexPageControl.h"

#include "controls/VexPaint.h"

namespace controls {

using namespace platform::ui;

TVexPageControl::TVexPageControl(QWidget* AParent) : TPageControl(AParent), FColor(SysColor(TSysColor::clBtnFace)) {}

void TVexPageControl::SetDrawBorder(bool Value) {
    if (Value == FDrawBorder) return;
    FDrawBorder = Value;
    LayoutPages();
    repaint();
}

void TVexPageControl::SetColor(QColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    repaint();
}

QRect TVexPageControl::PageRect() const {
    return FDrawBorder ? DisplayRect().adjusted(-3, -3, 3, 3) : DisplayRect().adjusted(-4, -3, 4, 4);
}

void TVexPageControl::PaintControl(TCanvas& Canvas) {
    Canvas.Brush().Color = FColor;
    Canvas.FillRect(rect());
    const QRect Frame = DisplayRect().adjusted(-4, -4, 4, 4);
    Canvas.Brush().Color = PageFrameColor;
    if (FDrawBorder) Canvas.FrameRect(Frame);
    else Canvas.FillRect(QRect(Frame.x(), Frame.y(), Frame.width(), 1));
    const int Selected = ActivePage() ? ActivePage()->TabIndex() : -1;
    for (int I = 0; I < TabCount(); ++I) DrawTab(Canvas, I, I == Selected);
}

void TVexPageControl::DrawTab(TCanvas& Canvas, int Index, bool Selected) {
    QRect Tab = TabRect(Index);
    int L = Tab.x(), T = Tab.y(), R = WinRight(Tab), B = WinBottom(Tab);
    if (Selected) {
        T -= 2;
        L -= 2;
        R += 2;
    }
    R -= 2;
    if (Selected && !FDrawBorder) L -= 1;

    Canvas.Brush().Style = TBrushStyle::bsSolid;
    Canvas.Brush().Color = TabFaceColor;
    Canvas.Pen().Style = TPenStyle::psSolid;
    Canvas.Pen().Color = PageFrameColor;
    Canvas.Polygon({QPoint(L, B), QPoint(L, T + 2), QPoint(L + 2, T), QPoint(R - 2, T), QPoint(R, T + 2), QPoint(R, B)});

    if (Selected) {
        // The selected tab joins its page.
        Canvas.FillRect(WinRect(L + 1, B, R, B + 2));
        const struct {
            QColor Color;
            int Indent, Row;
        } Lines[] = {{TabHotLine1, 3, 0}, {TabHotLine2, 2, 1}, {TabHotLine3, 1, 2}};
        for (const auto& Line : Lines) {
            Canvas.Pen().Color = Line.Color;
            Canvas.MoveTo(L + Line.Indent, T + Line.Row);
            Canvas.LineTo(R - 2 + Line.Row, T + Line.Row);
        }
        if (hasFocus()) Canvas.DrawFocusRect(WinRect(L + 3, T + 4, R - 3 + 1, B - 4 + 2));
    } else {
        const QRect Inside = WinRect(L + 2, T + 1, R - 2 + 1, B - 1 + 1);
        FillGradient(Canvas, Inside, Qt::white, gdVertical, TabShadeTo);
        FillGradient(Canvas, WinRect(WinRight(Inside) - 1, Inside.y() + 2, WinRight(Inside), WinBottom(Inside)),
                     TabEdgeFrom, gdVertical, TabEdgeTo);
        T += 1;
    }

    T += 1;
    L += 2;
    QRect Text = WinRect(L, T, R, B);
    Canvas.Brush().Style = TBrushStyle::bsClear;
    Canvas.DrawText(TabPage(Index)->Caption(), Text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

}  // namespace controls
