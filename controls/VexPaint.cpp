#include "controls/VexPaint.h"

#include <algorithm>

#include "platform/ui/Resources.h"

namespace controls {

using namespace platform::ui;

namespace {

// Keeps the canvas brush as it was.
class TBrushKeeper {
public:
    explicit TBrushKeeper(TCanvas& Canvas) : FCanvas(Canvas), FSaved(Canvas.Brush()) {}
    ~TBrushKeeper() { FCanvas.Brush() = FSaved; }
    TBrushKeeper(const TBrushKeeper&) = delete;
    TBrushKeeper& operator=(const TBrushKeeper&) = delete;

private:
    TCanvas& FCanvas;
    TBrush FSaved;
};

void ApplyEffect(QImage& Glyph, int Effect) {
    switch (Effect) {
        case geLighten:
            LightenBitmap(Glyph, LightenHot);
            break;
        case geDisabled:
            GreyBitmap(Glyph);
            LightenBitmap(Glyph, LightenFaded);
            break;
        case geGrey:
            GreyBitmap(Glyph);
            break;
        default:
            break;
    }
}

}  // namespace

void FillGradient(TCanvas& Canvas, const QRect& R, QColor From, TGradDirection Direction, QColor To) {
    const int Size = Direction == gdHorizontal ? R.width() : R.height();
    if (R.width() <= 0 || R.height() <= 0) return;
    const int DR = To.red() - From.red(), DG = To.green() - From.green(), DB = To.blue() - From.blue();
    TBrushKeeper Keep(Canvas);
    Canvas.Brush().Style = TBrushStyle::bsSolid;
    for (int I = 0; I < 256; ++I) {
        const int Start = MulDiv(I, Size, 256);
        const int End = MulDiv(I + 1, Size, 256);
        if (End <= Start) continue;
        Canvas.Brush().Color = QColor(From.red() + MulDiv(I, DR, 255), From.green() + MulDiv(I, DG, 255),
                                      From.blue() + MulDiv(I, DB, 255));
        Canvas.FillRect(Direction == gdHorizontal ? QRect(R.x() + Start, R.y(), End - Start, R.height())
                                                  : QRect(R.x(), R.y() + Start, R.width(), End - Start));
    }
}

void GradientBevel(TCanvas& Canvas, const QRect& R, QColor Color, bool Pressed) {
    const QColor A = Pressed ? FlatDark : FlatLight;
    const QColor Z = Pressed ? FlatLight : FlatDark;
    const int L = R.x(), T = R.y(), Rt = WinRight(R), B = WinBottom(R);
    FillGradient(Canvas, WinRect(L + 1, T + 2, L + 3, B - 2), A, gdHorizontal, Color);
    FillGradient(Canvas, WinRect(L + 2, T + 1, Rt - 2, T + 3), A, gdVertical, Color);
    FillGradient(Canvas, WinRect(Rt - 3, T + 2, Rt - 1, B - 2), Color, gdHorizontal, Z);
    FillGradient(Canvas, WinRect(L + 2, B - 3, Rt - 2, B - 1), Color, gdVertical, Z);
}

void DrawFlatButton(TCanvas& Canvas, const QRect& R, const TImageList* Images, const QImage* Bitmap, int State,
                    int ImageIndex) {
    const bool Hot = State & fbHot, Pressed = State & fbPressed, Disabled = State & fbDisabled;
    if (Hot || Pressed) {
        Canvas.Pen().Style = TPenStyle::psSolid;
        Canvas.Brush().Style = TBrushStyle::bsSolid;
        Canvas.Brush().Color = Pressed ? FlatPressedFace : FlatLight;
        Canvas.Pen().Color = Pressed ? FlatPressedFrame : FlatDark;
        if (State & fbSquare) Canvas.Rectangle(R);
        else Canvas.RoundRect(R, 5, 5);
        if (Hot) GradientBevel(Canvas, R, Canvas.Brush().Color, Pressed);
    }
    Canvas.Brush().Style = TBrushStyle::bsClear;

    QRect Content = Pressed ? R.translated(1, 1) : R;
    Content = WinRect(Content.x() + 1, Content.y() + 3, WinRight(Content), WinBottom(Content) - 3);

    QImage Glyph;
    if (Bitmap && !IsEmptyBitmap(*Bitmap)) Glyph = *Bitmap;
    else if (Images) Glyph = Images->GetBitmap(ImageIndex, QColor(255, 0, 255));
    if (IsEmptyBitmap(Glyph)) return;
    DrawGlyph(Canvas, Content, Glyph, true, Disabled ? geDisabled : Hot ? geNone : geLighten);
}

void DrawGlyph(TCanvas& Canvas, const QRect& R, const QImage& Bitmap, bool Centre, int Effect) {
    if (IsEmptyBitmap(Bitmap)) return;
    QImage Glyph = ToBitmap24(Bitmap).copy();
    ApplyEffect(Glyph, Effect);
    const TBrushStyle Saved = Canvas.Brush().Style;
    Canvas.Brush().Style = TBrushStyle::bsClear;
    const QRect Dest = Centre ? QRect(R.x() + (R.width() - Glyph.width()) / 2, R.y() + (R.height() - Glyph.height()) / 2,
                                      Glyph.width(), Glyph.height())
                              : R;
    Canvas.KeyColorDraw(Dest, Glyph);
    Canvas.Brush().Style = Saved;
}

void LightenBitmap(QImage& Bitmap, int Amount) {
    if (IsEmptyBitmap(Bitmap)) return;
    Bitmap = ToBitmap24(Bitmap);
    for (int Y = 0; Y < Bitmap.height(); ++Y) {
        uchar* Row = Bitmap.scanLine(Y);
        for (int I = 0; I < Bitmap.width() * 3; ++I) {
            const int C = Row[I];
            Row[I] = static_cast<uchar>(std::clamp(C + Amount * (255 - C) / 255, 0, 255));
        }
    }
}

void GreyBitmap(QImage& Bitmap) {
    if (IsEmptyBitmap(Bitmap)) return;
    Bitmap = ToBitmap24(Bitmap);
    for (int Y = 0; Y < Bitmap.height(); ++Y) {
        uchar* Row = Bitmap.scanLine(Y);
        for (int X = 0; X < Bitmap.width(); ++X) {
            uchar* P = Row + X * 3;
            // Hundredths, so that halves are exact and go to the even neighbour.
            const int Hundredths = 30 * P[0] + 59 * P[1] + 11 * P[2];
            int Grey = Hundredths / 100;
            const int Rest = Hundredths % 100;
            if (Rest > 50 || (Rest == 50 && Grey % 2 == 1)) ++Grey;
            P[0] = P[1] = P[2] = static_cast<uchar>(Grey);
        }
    }
}

void DrawButtonContent(TCanvas& Canvas, const QRect& R, const QString& Caption, int Margin, bool ShowCaption,
                       TBitmapAlign Align, int Effect, int Spacing, bool, const QImage& Glyph) {
    const int W = R.width(), H = R.height();
    const bool HasGlyph = !IsEmptyBitmap(Glyph);
    const int BW = HasGlyph ? Glyph.width() : 0, BH = HasGlyph ? Glyph.height() : 0;
    int GlyphLeft = (W - BW) / 2, GlyphTop = (H - BH) / 2;
    Canvas.Brush().Style = TBrushStyle::bsClear;

    if (ShowCaption) {
        QRect Measure(0, 0, W, H);
        Canvas.DrawText(Caption, Measure, DT_SINGLELINE | DT_CALCRECT);
        const int TW = Measure.width(), TH = Measure.height();
        int TextLeft = (W - TW) / 2, TextTop = (H - TH) / 2;
        if (HasGlyph) {
            switch (Align) {
                case baLeft:
                    GlyphLeft -= TW / 2 + Spacing;
                    TextLeft = GlyphLeft + BW + 2 * Spacing;
                    break;
                case baTop:
                    GlyphTop -= TH / 2 + Spacing;
                    TextTop = GlyphTop + BH + 2 * Spacing;
                    break;
                case baRight:
                    GlyphLeft += TW / 2 + Spacing;
                    TextLeft = GlyphLeft - TW - 2 * Spacing;
                    break;
                case baBottom:
                    GlyphTop += TH / 2 + Spacing;
                    TextTop = GlyphTop - TH - 2 * Spacing;
                    break;
            }
        }
        if (Margin != -1) {
            TextLeft = Margin;
            if (HasGlyph) {
                switch (Align) {
                    case baLeft:
                        TextLeft += BW + Spacing;
                        GlyphLeft = Margin;
                        break;
                    case baTop:
                    case baBottom:
                        GlyphLeft = Margin + (TW - BW) / 2;
                        break;
                    case baRight:
                        GlyphLeft = TextLeft + TW + Spacing;
                        break;
                }
            }
        }
        // The caption keeps inside the control; what does not fit ends in an ellipsis.
        QRect TextRect = WinRect(R.x() + std::max(TextLeft, 0), R.y() + TextTop, R.x() + std::min(TextLeft + TW, W),
                                 R.y() + TextTop + TH);
        Canvas.DrawText(Caption, TextRect, DT_SINGLELINE | DT_END_ELLIPSIS);
    } else if (Margin != -1) {
        GlyphLeft = Margin;
    }
    if (HasGlyph) DrawGlyph(Canvas, QRect(R.x() + GlyphLeft, R.y() + GlyphTop, BW, BH), Glyph, false, Effect);
}

void LoadSkinBitmap(QImage& Bitmap, const QString& ResourceName) {
    Bitmap = LoadBitmapFromData(LoadResourceData(ResourceName));
}

}  // namespace controls
