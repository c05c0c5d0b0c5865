// Menu items measured and drawn with the library's look, probed pixel by pixel
// on an offscreen canvas, and the picture of a whole menu. With VEX_MENU_OUT
// set the picture is written there (docs/menu.png is made this way).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "dataaccess/VexMenu.h"
#include "platform/ui/Fonts.h"

using namespace dataaccess;
using namespace platform::ui;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGutter = kMenuGutter.rgb();
const QRgb kMagenta = qRgb(255, 0, 255);
const QRect kItemRect(0, 0, 200, kMenuItemHeight);

// The check mark of the built-in bitmap lies at columns 4 to 10 of a 16 x 16
// glyph, which the gutter draws from (5, 4) in an item 24 pixels high.
const QPoint kCheckPixel(5 + 4, 4 + 7);
const QPoint kCheckBackground(5, 4);

QImage DrawItem(TMenuItem& Item, bool Selected, QRect Rect = kItemRect) {
    QImage Image(Rect.size(), QImage::Format_RGB32);
    Image.fill(Qt::red);
    TCanvas Canvas(&Image);
    DrawMenuItem(&Item, Canvas, Rect, Selected);
    return Image;
}

// The pixels of R that text has drawn over the white item.
std::vector<QRgb> InkOf(const QImage& Image, const QRect& R) {
    std::vector<QRgb> Ink;
    for (int Y = R.top(); Y <= R.bottom(); ++Y)
        for (int X = R.left(); X <= R.right(); ++X)
            if (Image.pixel(X, Y) != kWhite) Ink.push_back(Image.pixel(X, Y));
    return Ink;
}

// The rightmost column of R holding a pixel darker than the background.
int RightmostInk(const QImage& Image, const QRect& R) {
    for (int X = R.right(); X >= R.left(); --X)
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            if (qGray(Image.pixel(X, Y)) < 128) return X;
    return -1;
}

QImage SolidGlyph(QRgb Color) {
    QImage Glyph = NewBitmap(16, 16, QColor(Color));
    Glyph.setPixel(0, 15, kMagenta);
    return Glyph;
}

QRgb Lightened(QRgb Color, int Amount) {
    auto Channel = [Amount](int C) { return C + Amount * (255 - C) / 255; };
    return qRgb(Channel(qRed(Color)), Channel(qGreen(Color)), Channel(qBlue(Color)));
}

class VexMenu : public ::testing::Test {
protected:
    void SetUp() override { RegisterFonts(); }  // the forms' own font, as the program has it
};

TEST_F(VexMenu, ItemsAreMeasuredForTheGutterAndTheShortcut) {
    QImage Scratch(1, 1, QImage::Format_RGB32);
    TCanvas Canvas(&Scratch);
    Canvas.SetFont(TFont(DefaultFont()));
    const struct {
        const char* Caption;
        QKeySequence ShortCut;
        int Width, Height;
    } Cases[] = {
        {"-", QKeySequence(), 100 + 24, 3},
        {"Abrir", QKeySequence(), 100 + 24, 24},
        {"Salvar", QKeySequence("Ctrl+S"), 100 + 24 + Canvas.TextWidth("Ctrl+S") + 10, 24},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Caption);
        TMenuItem Item;
        Item.SetCaption(Case.Caption);
        Item.SetShortCut(Case.ShortCut);
        int Width = 100, Height = 13;
        MeasureMenuItem(&Item, Canvas, Width, Height);
        EXPECT_EQ(Width, Case.Width);
        EXPECT_EQ(Height, Case.Height);
    }
}

TEST_F(VexMenu, ACheckedItemWithoutAnImageDrawsTheCheckMarkInAFramedBox) {
    TMenuItem Item;
    Item.SetCaption("Mostrar grade");
    Item.SetChecked(true);
    const QImage Idle = DrawItem(Item, false);
    EXPECT_EQ(Idle.pixel(0, 0), kGutter);
    EXPECT_EQ(Idle.pixel(1, 1), kGutter);  // only the box is framed
    EXPECT_EQ(Idle.pixel(2, 2), kMenuFrame.rgb());
    EXPECT_EQ(Idle.pixel(22, 12), kMenuFrame.rgb());
    EXPECT_EQ(Idle.pixel(12, 21), kMenuFrame.rgb());
    EXPECT_EQ(Idle.pixel(23, 12), kGutter);
    EXPECT_EQ(Idle.pixel(12, 22), kGutter);
    EXPECT_EQ(Idle.pixel(kCheckBackground), kMenuCheckedFill.rgb());
    EXPECT_EQ(Idle.pixel(kCheckPixel), Lightened(qRgb(0, 0, 0), 55));
    EXPECT_EQ(Idle.pixel(24, 0), kWhite);

    const QImage Hot = DrawItem(Item, true);
    EXPECT_EQ(Hot.pixel(kCheckPixel), qRgb(0, 0, 0));
    Item.SetEnabled(false);
    EXPECT_EQ(DrawItem(Item, true).pixel(kCheckPixel), Lightened(qRgb(0, 0, 0), 130));
}

TEST_F(VexMenu, TheSelectedEnabledItemIsFilledAndFramed) {
    TMenuItem Item;
    Item.SetCaption("Abrir");
    const QImage Selected = DrawItem(Item, true);
    EXPECT_EQ(Selected.pixel(0, 0), kGutter);
    EXPECT_EQ(Selected.pixel(199, 23), kWhite);
    EXPECT_EQ(Selected.pixel(1, 1), kMenuFrame.rgb());
    EXPECT_EQ(Selected.pixel(198, 22), kMenuFrame.rgb());
    EXPECT_EQ(Selected.pixel(5, 5), kMenuSelectedFill.rgb());
    EXPECT_EQ(Selected.pixel(150, 12), kMenuSelectedFill.rgb());

    Item.SetEnabled(false);
    const QImage Disabled = DrawItem(Item, true);
    EXPECT_EQ(Disabled.pixel(1, 1), kGutter);
    EXPECT_EQ(Disabled.pixel(150, 12), kWhite);
}

TEST_F(VexMenu, CaptionsAreDrawnInTheFormsFontGreyWhenDisabledBoldWhenDefault) {
    const QRect Caption = WinRect(2 + kMenuCaptionIndent, 2, 120, 22);
    TMenuItem Item;
    Item.SetCaption("Abrir arquivo");
    const QImage Normal = DrawItem(Item, false);
    const std::vector<QRgb> Ink = InkOf(Normal, Caption);
    EXPECT_GT(Ink.size(), 60u);
    EXPECT_GT(std::count(Ink.begin(), Ink.end(), qRgb(0, 0, 0)), 0);
    EXPECT_TRUE(InkOf(Normal, WinRect(24, 0, 2 + kMenuCaptionIndent, 24)).empty());  // starts 27 pixels in
    Item.SetDefault(true);
    EXPECT_GT(InkOf(DrawItem(Item, false), Caption).size(), Ink.size());
    Item.SetEnabled(false);
    const std::vector<QRgb> Grey = InkOf(DrawItem(Item, false), Caption);
    EXPECT_GT(Grey.size(), 60u);
    EXPECT_GT(std::count(Grey.begin(), Grey.end(), kMenuDisabledText.rgb()), 0);
    for (QRgb Pixel : Grey) ASSERT_TRUE(qRed(Pixel) >= 206 && qGreen(Pixel) >= 206 && qBlue(Pixel) >= 195) << Pixel;
}

TEST_F(VexMenu, TheShortcutEndsEightPixelsBeforeTheRightEdge) {
    TMenuItem Item;
    Item.SetCaption("Salvar");
    Item.SetShortCut(QKeySequence("Ctrl+S"));
    const QImage Image = DrawItem(Item, false);
    const int Right = RightmostInk(Image, WinRect(120, 2, 200, 22));
    EXPECT_LE(Right, 198 - 8 - 1);
    EXPECT_GE(Right, 198 - 8 - 3);
}

TEST_F(VexMenu, ASeparatorIsOneGutterColouredLineAtHalfHeight) {
    TMenuItem Item;
    Item.SetCaption("-");
    const QImage Line = DrawItem(Item, false, QRect(0, 0, 200, kMenuSeparatorHeight));
    EXPECT_EQ(Line.pixel(5, 0), kGutter);
    EXPECT_EQ(Line.pixel(29, 1), kWhite);
    EXPECT_EQ(Line.pixel(30, 1), kGutter);
    EXPECT_EQ(Line.pixel(196, 1), kGutter);
    EXPECT_EQ(Line.pixel(197, 1), kWhite);
    EXPECT_EQ(Line.pixel(100, 0), kWhite);
    EXPECT_EQ(Line.pixel(100, 2), kWhite);
}

TEST_F(VexMenu, TheGlyphComesFromTheBitmapTheSubMenuImagesOrTheMenuImages) {
    TImageList MenuImages, SubImages;
    MenuImages.AddMasked(SolidGlyph(qRgb(0, 0, 200)), kMagenta);
    SubImages.AddMasked(SolidGlyph(qRgb(0, 150, 0)), kMagenta);
    TPopupMenu Menu;
    Menu.SetImages(&MenuImages);
    TMenuItem* Item = Menu.Items()->Add("Novo");
    Item->SetImageIndex(0);
    const QPoint Centre(12, 12);
    EXPECT_EQ(DrawItem(*Item, true).pixel(Centre), qRgb(0, 0, 200));
    EXPECT_EQ(DrawItem(*Item, false).pixel(Centre), Lightened(qRgb(0, 0, 200), 55));
    Item->SetSubMenuImages(&SubImages);
    EXPECT_EQ(DrawItem(*Item, true).pixel(Centre), qRgb(0, 150, 0));
    Item->SetBitmap(SolidGlyph(qRgb(200, 0, 0)));
    EXPECT_EQ(DrawItem(*Item, true).pixel(Centre), qRgb(200, 0, 0));
    EXPECT_EQ(DrawItem(*Item, true).pixel(5, 4 + 15), kMenuSelectedFill.rgb());  // the key colour is left undrawn
    Item->SetChecked(true);
    EXPECT_EQ(DrawItem(*Item, true).pixel(Centre), qRgb(200, 0, 0));  // an item with an image keeps it when checked
    Item->SetBitmap(QImage());
    Item->SetImageIndex(5);
    Item->SetChecked(false);
    EXPECT_EQ(DrawItem(*Item, true).pixel(Centre), kMenuSelectedFill.rgb());  // no such picture
}

TEST_F(VexMenu, PictureOfAMenu) {
    TImageList Images;
    Images.AddMasked(SolidGlyph(qRgb(30, 110, 200)), kMagenta);
    TPopupMenu Menu;
    Menu.SetImages(&Images);
    TMenuItem* Items = Menu.Items();
    TMenuItem* Novo = Items->Add("&Novo conhecimento");
    Novo->SetImageIndex(0);
    Novo->SetShortCut(QKeySequence("Ctrl+N"));
    Items->Add("&Abrir...")->SetShortCut(QKeySequence("Ctrl+O"));
    Items->Add("&Salvar")->SetDefault(true);
    Items->Add("-");
    Items->Add("Mostrar &grade")->SetChecked(true);
    Items->Add("&Excluir")->SetEnabled(false);

    QImage Scratch(1, 1, QImage::Format_RGB32);
    TCanvas Measure(&Scratch);
    Measure.SetFont(TFont(DefaultFont()));
    int Width = 0, Height = 0;
    std::vector<int> Heights;
    for (TMenuItem* Item : Items->Children()) {
        int W = Measure.TextWidth(StripAccelerator(Item->Caption()).Text), H = 13;
        MeasureMenuItem(Item, Measure, W, H);
        Width = std::max(Width, W + 40);
        Heights.push_back(H);
        Height += H;
    }
    QImage Picture(Width + 2, Height + 2, QImage::Format_RGB32);
    Picture.fill(QColor(138, 134, 122));
    TCanvas Canvas(&Picture);
    int Top = 1;
    for (int I = 0; I < Items->Count(); ++I) {
        DrawMenuItem(Items->Items(I), Canvas, QRect(1, Top, Width, Heights[I]), I == 1);
        Top += Heights[I];
    }
    EXPECT_EQ(Picture.pixel(2, 1 + 24 + 1), kMenuFrame.rgb());  // the selected second item
    EXPECT_EQ(Picture.pixel(1 + kCheckPixel.x(), 1 + 3 * 24 + 3 + kCheckPixel.y()), Lightened(qRgb(0, 0, 0), 55));
    const QString Out = qEnvironmentVariable("VEX_MENU_OUT");
    if (!Out.isEmpty()) {
        const QImage Large = Picture.scaled(Picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_TRUE(Large.save(Out, "PNG"));
    }
}

}  // namespace
