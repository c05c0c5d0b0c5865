#include "dataaccess/VexMenu.h"

#include "controls/VexPaint.h"
#include "platform/ui/Fonts.h"

namespace dataaccess {

using namespace platform::ui;

namespace {

const QString kCheckResource = QStringLiteral("MENUCHECK");
const QColor kKeyBackground{255, 0, 255};
constexpr int kShortCutGap = 10;
constexpr int kShortCutMargin = 8;
constexpr int kCheckRight = 22;
constexpr int kLightenIdle = 55;
constexpr int kSeparatorIndent = 30;
constexpr int kSeparatorEndGap = 3;

TImageList* ImagesOf(const TMenuItem& Item) {
    if (TImageList* Own = Item.SubMenuImages()) return Own;
    TPopupMenu* Menu = Item.GetParentMenu();
    return Menu ? Menu->Images() : nullptr;
}

// The picture in the gutter: the check mark, the item's bitmap or its image.
QImage GlyphOf(const TMenuItem& Item) {
    if (Item.Checked() && Item.ImageIndex() == -1) {
        QImage Check;
        controls::LoadSkinBitmap(Check, kCheckResource);
        return Check;
    }
    if (!IsEmptyBitmap(Item.Bitmap())) return Item.Bitmap();
    const TImageList* Images = ImagesOf(Item);
    if (!Images || Item.ImageIndex() < 0) return QImage();
    return Images->GetBitmap(Item.ImageIndex(), kKeyBackground);
}

void DrawItemGlyph(const TMenuItem& Item, TCanvas& Canvas, const QRect& R, bool Selected) {
    QImage Glyph = GlyphOf(Item);
    if (IsEmptyBitmap(Glyph)) return;
    Glyph = ToBitmap24(Glyph);
    if (!Item.Enabled()) {
        controls::GreyBitmap(Glyph);
        controls::LightenBitmap(Glyph, controls::LightenFaded);
    } else if (!Selected) {
        controls::LightenBitmap(Glyph, kLightenIdle);
    }
    const int X = R.left() + (kMenuGutterWidth - Glyph.width()) / 2 - 1;
    const int Y = R.top() + (R.height() - Glyph.height()) / 2;
    Canvas.Brush().Style = TBrushStyle::bsClear;
    Canvas.KeyColorDraw(QRect(X, Y, Glyph.width(), Glyph.height()), Glyph);
}

void DrawItemText(const TMenuItem& Item, TCanvas& Canvas, const QRect& R) {
    Canvas.SetFont(TFont(MakeFont(QStringLiteral("Tahoma"), 8, Item.Default()),
                         Item.Enabled() ? QColor(Qt::black) : kMenuDisabledText));
    Canvas.Brush().Style = TBrushStyle::bsClear;
    QRect Caption = WinRect(R.left() + kMenuCaptionIndent, R.top(), WinRight(R), WinBottom(R));
    Canvas.DrawText(Item.Caption(), Caption, DT_SINGLELINE | DT_VCENTER);
    const QString ShortCut = Item.ShortCutText();
    if (ShortCut.isEmpty()) return;
    QRect Right = WinRect(R.left(), R.top(), WinRight(R) - kShortCutMargin, WinBottom(R));
    Canvas.DrawText(ShortCut, Right, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

}  // namespace

void MeasureMenuItem(TMenuItem* Item, TCanvas& Canvas, int& Width, int& Height) {
    Width += kMenuGutterWidth;
    if (Item->IsLine()) {
        Height = kMenuSeparatorHeight;
        return;
    }
    Height = kMenuItemHeight;
    const QString ShortCut = Item->ShortCutText();
    if (!ShortCut.isEmpty()) Width += Canvas.TextWidth(ShortCut) + kShortCutGap;
}

TMenuItem* OwnerDrawn(TMenuItem* Item) {
    Item->OnMeasureItem = &MeasureMenuItem;
    Item->OnDrawItem = &DrawMenuItem;
    return Item;
}

void DrawMenuItem(TMenuItem* Item, TCanvas& Canvas, const QRect& Rect, bool Selected) {
    Canvas.Brush().Style = TBrushStyle::bsSolid;
    Canvas.Brush().Color = Qt::white;
    Canvas.FillRect(Rect);
    Canvas.Brush().Color = kMenuGutter;
    Canvas.FillRect(WinRect(Rect.left(), Rect.top(), Rect.left() + kMenuGutterWidth, WinBottom(Rect)));

    if (Item->IsLine()) {
        const int Y = Rect.top() + Rect.height() / 2;
        Canvas.Pen() = TPen{kMenuGutter};
        Canvas.MoveTo(Rect.left() + kSeparatorIndent, Y);
        Canvas.LineTo(WinRight(Rect) - kSeparatorEndGap, Y);
        return;
    }

    QRect R = Rect.adjusted(1, 1, -1, -1);
    if (Selected && Item->Enabled()) {
        Canvas.Brush().Color = kMenuSelectedFill;
        Canvas.FillRect(R);
        Canvas.Brush().Color = kMenuFrame;
        Canvas.FrameRect(R);
    }
    if (Item->Checked()) {
        Canvas.Brush().Color = kMenuCheckedFill;
        Canvas.Pen() = TPen{kMenuFrame};
        Canvas.Rectangle(WinRect(R.left() + 1, R.top() + 1, R.left() + kCheckRight, WinBottom(R) - 1));
    }
    R = R.adjusted(1, 1, -1, -1);
    DrawItemGlyph(*Item, Canvas, R, Selected);
    DrawItemText(*Item, Canvas, R);
}

}  // namespace dataaccess
