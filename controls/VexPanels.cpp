#include "controls/VexPanels.h"

namespace controls {

using namespace platform::ui;

void Frame3D(TCanvas& Canvas, QRect& R, QColor TopColor, QColor BottomColor, int Width) {
    const TBrush Saved = Canvas.Brush();
    for (int I = 0; I < Width && R.width() > 0 && R.height() > 0; ++I) {
        const int L = R.x(), T = R.y(), Rt = WinRight(R), B = WinBottom(R);
        // The bottom colour takes both far corners.
        Canvas.Brush().Color = TopColor;
        Canvas.FillRect(WinRect(L, T, L + 1, B - 1));
        Canvas.FillRect(WinRect(L, T, Rt - 1, T + 1));
        Canvas.Brush().Color = BottomColor;
        Canvas.FillRect(WinRect(Rt - 1, T, Rt, B));
        Canvas.FillRect(WinRect(L, B - 1, Rt, B));
        R.adjust(1, 1, -1, -1);
    }
    Canvas.Brush() = Saved;
}

namespace {

void DrawBevel(TCanvas& Canvas, QRect& R, TPanelBevel Bevel, int Width) {
    if (Bevel == bvNone) return;
    const QColor Highlight = SysColor(TSysColor::clBtnHighlight), Shadow = SysColor(TSysColor::clBtnShadow);
    if (Bevel == bvLowered) Frame3D(Canvas, R, Shadow, Highlight, Width);
    else Frame3D(Canvas, R, Highlight, Shadow, Width);
}

unsigned TextFlags(TAlignment Alignment, TTextLayout Layout) {
    unsigned Flags = DT_SINGLELINE;
    if (Alignment == taCenter) Flags |= DT_CENTER;
    else if (Alignment == taRightJustify) Flags |= DT_RIGHT;
    if (Layout == tlCenter) Flags |= DT_VCENTER;
    else if (Layout == tlBottom) Flags |= DT_BOTTOM;
    return Flags;
}

}  // namespace

TVexPanel::TVexPanel(QWidget* AOwner) : TCustomControl(AOwner), FSkinLink(this) {
    SetColor(Qt::white);
    // A container: the focus goes to its controls, which keep their places in the tab order.
    setFocusPolicy(Qt::NoFocus);
}

void TVexPanel::SetAlignment(TAlignment Value) { SetAndRepaint(FAlignment, Value); }
void TVexPanel::SetBevelInner(TPanelBevel Value) { SetAndRepaint(FBevelInner, Value); }
void TVexPanel::SetBevelOuter(TPanelBevel Value) { SetAndRepaint(FBevelOuter, Value); }
void TVexPanel::SetBevelWidth(int Value) { SetAndRepaint(FBevelWidth, Value); }
void TVexPanel::SetColorTo(QColor Value) { SetAndRepaint(FColorTo, Value); }
void TVexPanel::SetDirection(TGradDirection Value) { SetAndRepaint(FDirection, Value); }
void TVexPanel::SetDrawGrad(bool Value) { SetAndRepaint(FDrawGrad, Value); }
void TVexPanel::SetColorFill(bool Value) { SetAndRepaint(FColorFill, Value); }
void TVexPanel::SetImageIndex(int Value) { SetAndRepaint(FImageIndex, Value); }
void TVexPanel::SetIndent(int Value) { SetAndRepaint(FIndent, Value); }
void TVexPanel::SetLayout(TTextLayout Value) { SetAndRepaint(FLayout, Value); }
void TVexPanel::SetSpacing(int Value) { SetAndRepaint(FSpacing, Value); }
void TVexPanel::SetSkinName(const TSkinName& Value) { SetAndRepaint(FSkinName, Value); }

void TVexPanel::SetImages(TImageList* Value) {
    if (Value == FImages) return;
    FImages = Value;
    Repaint();
}

void TVexPanel::SetSkin(TVexSkin* Value) {
    if (Value == Skin()) return;
    FSkinLink.SetSkin(Value);
    Repaint();
}

void TVexPanel::Paint() {
    TCanvas& C = Canvas();
    if (FColorFill) {
        C.Brush().Color = Color();
        C.FillRect(rect());
    }
    QRect R = rect();
    DrawBevel(C, R, FBevelOuter, FBevelWidth);
    DrawBevel(C, R, FBevelInner, FBevelWidth);
    if (FDrawGrad) FillGradient(C, R, Color(), FDirection, FColorTo);
    if (TVexSkin* Own = Skin()) Own->DrawSkin(C, rect(), dsaUp, sikSingle, FSkinName);
    R.adjust(FIndent, 0, -FIndent, 0);
    C.Brush().Style = TBrushStyle::bsClear;
    C.SetFont(Font());
    if (FImages && FImageIndex != -1) DrawPicture(R);
    C.DrawText(Caption(), R, TextFlags(FAlignment, FLayout));
}

void TVexPanel::DrawPicture(QRect& R) {
    TCanvas& C = Canvas();
    QRect Measure = R;
    C.DrawText(Caption(), Measure, DT_SINGLELINE | DT_CALCRECT);
    const int TW = Measure.width();
    const int IW = FImages->Width(), IH = FImages->Height();
    int X = FAlignment == taLeftJustify    ? R.x()
            : FAlignment == taRightJustify ? WinRight(R) - IW - TW
                                           : R.x() + (R.width() - TW - IW) / 2;
    const int Y = FLayout == tlTop ? R.y() : FLayout == tlCenter ? R.y() + (R.height() - IH) / 2 : WinBottom(R) - IH;
    if (FAlignment == taLeftJustify) {
        R.setLeft(R.left() + FSpacing);
    } else if (FAlignment == taRightJustify) {
        X -= FSpacing;
    } else {
        R.setLeft(R.left() + FSpacing / 2);
        X -= FSpacing / 2;
    }
    FImages->Draw(C, X, Y, FImageIndex, isEnabled());
    if (FAlignment != taRightJustify) R.setLeft(R.left() + IW);
}

void TVexPanel::MouseEnter() {
    TCustomControl::MouseEnter();
    if (OnMouseEnter) OnMouseEnter(this);
}

void TVexPanel::MouseLeave() {
    TCustomControl::MouseLeave();
    if (OnMouseLeave) OnMouseLeave(this);
}

}  // namespace controls
