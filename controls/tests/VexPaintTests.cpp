#include <gtest/gtest.h>

#include "controls/VexPaint.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Resources.h"

using namespace controls;
using platform::ui::MulDiv;
using platform::ui::NewBitmap;
using platform::ui::TBrushStyle;
using platform::ui::WinRect;

namespace {

QImage Surface(int W, int H, QColor Fill = Qt::white) {
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Fill);
    return Image;
}

QColor Band(QColor From, QColor To, int I) {
    return QColor(From.red() + MulDiv(I, To.red() - From.red(), 255), From.green() + MulDiv(I, To.green() - From.green(), 255),
                  From.blue() + MulDiv(I, To.blue() - From.blue(), 255));
}

// The band that covers offset P of a gradient Size pixels long.
int BandAt(int P, int Size) {
    for (int I = 0; I < 256; ++I)
        if (MulDiv(I, Size, 256) <= P && P < MulDiv(I + 1, Size, 256)) return I;
    return -1;
}

// The bounding box of pixels of one colour.
QRect BoxOf(const QImage& Image, QColor Color) {
    QRect Box;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixelColor(X, Y) == Color) Box |= QRect(X, Y, 1, 1);
    return Box;
}

// A glyph of W x H: magenta (the key) around a red inside one pixel in.
QImage RedGlyph(int W, int H) {
    QImage Glyph = NewBitmap(W, H, QColor(255, 0, 255));
    for (int Y = 1; Y < H - 1; ++Y)
        for (int X = 1; X < W - 1; ++X) Glyph.setPixelColor(X, Y, Qt::red);
    return Glyph;
}

const QColor From(10, 200, 30), To(250, 20, 31);

}  // namespace

TEST(FillGradient, WidthZeroDrawsNothing) {
    QImage Image = Surface(4, 4);
    {
        TCanvas C(&Image);
        FillGradient(C, QRect(1, 0, 0, 4), From, gdHorizontal, To);
        FillGradient(C, QRect(1, 1, 3, 0), From, gdVertical, To);
    }
    EXPECT_EQ(Image, Surface(4, 4));
}

TEST(FillGradient, OnePixelTakesBand127) {
    QImage Image = Surface(3, 2);
    {
        TCanvas C(&Image);
        FillGradient(C, QRect(1, 0, 1, 2), From, gdHorizontal, To);
    }
    EXPECT_EQ(Image.pixelColor(1, 0), Band(From, To, 127));
    EXPECT_EQ(Image.pixelColor(1, 1), QColor(130, 110, 30)) << "about halfway";
    EXPECT_EQ(Image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(Image.pixelColor(2, 1), QColor(Qt::white));
}

TEST(FillGradient, TwoHundredFiftySixPixelsTakeOneBandEach) {
    QImage Image = Surface(260, 3);
    {
        TCanvas C(&Image);
        FillGradient(C, QRect(2, 1, 256, 1), From, gdHorizontal, To);
    }
    for (int I = 0; I < 256; ++I) ASSERT_EQ(Image.pixelColor(2 + I, 1), Band(From, To, I)) << I;
    EXPECT_EQ(Image.pixelColor(2, 1), From);
    EXPECT_EQ(Image.pixelColor(257, 1), To);
    EXPECT_EQ(Image.pixelColor(258, 1), QColor(Qt::white));
    EXPECT_EQ(Image.pixelColor(2, 0), QColor(Qt::white));
}

TEST(FillGradient, VerticalAndUnevenSizesFollowTheBands) {
    for (int Size : {2, 3, 7, 100, 300}) {
        QImage Image = Surface(2, Size);
        {
            TCanvas C(&Image);
            FillGradient(C, QRect(0, 0, 2, Size), From, gdVertical, To);
        }
        for (int P = 0; P < Size; ++P) ASSERT_EQ(Image.pixelColor(1, P), Band(From, To, BandAt(P, Size))) << Size << ":" << P;
    }
}

TEST(FillGradient, EqualColoursFillOneColourAndTheBrushIsKept) {
    QImage Image = Surface(50, 5);
    TCanvas C(&Image);
    C.Brush().Color = Qt::blue;
    FillGradient(C, QRect(0, 0, 50, 5), From, gdHorizontal, From);
    EXPECT_EQ(C.Brush().Color, QColor(Qt::blue));
    C.Painter().end();
    for (int X = 0; X < 50; ++X) ASSERT_EQ(Image.pixelColor(X, 4), From);
}

TEST(GradientBevel, FourStripsInsideTheEdges) {
    const QColor Face(230, 229, 223);
    for (bool Pressed : {false, true}) {
        const QColor A = Pressed ? FlatDark : FlatLight, Z = Pressed ? FlatLight : FlatDark;
        QImage Image = Surface(20, 12);
        {
            TCanvas C(&Image);
            GradientBevel(C, QRect(0, 0, 20, 12), Face, Pressed);
        }
        // Two-pixel strips take bands 63 and 191.
        EXPECT_EQ(Image.pixelColor(1, 5), Band(A, Face, 63)) << Pressed;
        EXPECT_EQ(Image.pixelColor(2, 5), Band(A, Face, 191));
        EXPECT_EQ(Image.pixelColor(8, 1), Band(A, Face, 63));
        EXPECT_EQ(Image.pixelColor(8, 2), Band(A, Face, 191));
        EXPECT_EQ(Image.pixelColor(17, 5), Band(Face, Z, 63));
        EXPECT_EQ(Image.pixelColor(18, 5), Band(Face, Z, 191));
        EXPECT_EQ(Image.pixelColor(8, 9), Band(Face, Z, 63));
        EXPECT_EQ(Image.pixelColor(8, 10), Band(Face, Z, 191));
        // Outside the strips nothing changes.
        for (QPoint P : {QPoint(0, 0), QPoint(1, 1), QPoint(0, 5), QPoint(8, 0), QPoint(19, 5), QPoint(8, 11), QPoint(8, 5)})
            EXPECT_EQ(Image.pixelColor(P), QColor(Qt::white)) << P.x() << "," << P.y();
    }
}

TEST(GlyphEffects, LightenExamples) {
    QImage Bitmap = NewBitmap(3, 1);
    Bitmap.setPixelColor(0, 0, QColor(0, 200, 255));
    Bitmap.setPixelColor(1, 0, QColor(100, 1, 254));
    LightenBitmap(Bitmap, 45);
    EXPECT_EQ(Bitmap.pixelColor(0, 0), QColor(45, 209, 255));
    EXPECT_EQ(Bitmap.pixelColor(1, 0), QColor(127, 45, 254));
    LightenBitmap(Bitmap, 0);
    EXPECT_EQ(Bitmap.pixelColor(0, 0), QColor(45, 209, 255));
    QImage Faded = NewBitmap(1, 1, QColor(76, 76, 76));
    LightenBitmap(Faded, 130);
    EXPECT_EQ(Faded.pixelColor(0, 0), QColor(167, 167, 167));
}

TEST(GlyphEffects, GreyExamplesRoundHalvesToEven) {
    const std::vector<std::pair<QColor, int>> Cases = {
        {QColor(100, 0, 0), 30}, {QColor(0, 100, 0), 59}, {QColor(0, 0, 100), 11}, {QColor(255, 255, 255), 255},
        {QColor(5, 0, 0), 2},    {QColor(15, 0, 0), 4},   {QColor(0, 0, 50), 6},    {QColor(255, 0, 0), 76}};
    QImage Bitmap = NewBitmap(static_cast<int>(Cases.size()), 1);
    for (size_t I = 0; I < Cases.size(); ++I) Bitmap.setPixelColor(static_cast<int>(I), 0, Cases[I].first);
    GreyBitmap(Bitmap);
    for (size_t I = 0; I < Cases.size(); ++I) {
        const int G = Cases[I].second;
        EXPECT_EQ(Bitmap.pixelColor(static_cast<int>(I), 0), QColor(G, G, G)) << I;
    }
}

TEST(GlyphEffects, ConvertToTwentyFourBits) {
    QImage Argb(1, 1, QImage::Format_ARGB32);
    Argb.fill(QColor(0, 0, 0));
    LightenBitmap(Argb, 45);
    EXPECT_EQ(Argb.format(), QImage::Format_RGB888);
    EXPECT_EQ(Argb.pixelColor(0, 0), QColor(45, 45, 45));
}

class FlatButton : public ::testing::Test {
protected:
    // A 24 x 22 button on white with a 6 x 6 glyph.
    QImage Draw(int State) {
        QImage Image = Surface(24, 22);
        TCanvas C(&Image);
        DrawFlatButton(C, QRect(0, 0, 24, 22), nullptr, &Glyph, State, -1);
        return Image;
    }
    QImage Glyph = RedGlyph(6, 6);
};

TEST_F(FlatButton, NormalDrawsOnlyTheLightenedGlyph) {
    const QImage Image = Draw(0);
    // Content (1, 3)-(24, 19): glyph at (9, 8); its red inside from (10, 9).
    EXPECT_EQ(BoxOf(Image, QColor(255, 45, 45)), QRect(10, 9, 4, 4));
    EXPECT_EQ(Image.pixelColor(9, 8), QColor(Qt::white)) << "the key colour stays undrawn";
    EXPECT_EQ(Image.pixelColor(12, 0), QColor(Qt::white)) << "no face";
}

TEST_F(FlatButton, HotDrawsTheFaceTheBevelAndTheGlyphAsItIs) {
    const QImage Image = Draw(fbHot);
    EXPECT_EQ(Image.pixelColor(12, 0), FlatDark) << "frame";
    EXPECT_EQ(Image.pixelColor(22, 10), Band(FlatLight, FlatDark, 191)) << "right bevel strip";
    EXPECT_EQ(Image.pixelColor(5, 10), FlatLight) << "face";
    EXPECT_EQ(BoxOf(Image, QColor(Qt::red)), QRect(10, 9, 4, 4));
    EXPECT_EQ(Image.pixelColor(0, 0), QColor(Qt::white)) << "rounded corner";
}

TEST_F(FlatButton, PressedMovesTheGlyphAndUsesThePressedColours) {
    const QImage Image = Draw(fbHot | fbPressed);
    EXPECT_EQ(Image.pixelColor(12, 0), FlatPressedFrame);
    EXPECT_EQ(Image.pixelColor(1, 10), Band(FlatDark, FlatPressedFace, 63)) << "left bevel strip, pressed";
    EXPECT_EQ(Image.pixelColor(5, 10), FlatPressedFace);
    EXPECT_EQ(BoxOf(Image, QColor(Qt::red)), QRect(11, 10, 4, 4));
}

TEST_F(FlatButton, DisabledGreysAndFadesTheGlyph) {
    const QColor Faded(167, 167, 167);
    EXPECT_EQ(BoxOf(Draw(fbDisabled), Faded), QRect(10, 9, 4, 4));
    const QImage HotDisabled = Draw(fbHot | fbPressed | fbDisabled);
    EXPECT_EQ(BoxOf(HotDisabled, Faded), QRect(11, 10, 4, 4));
    EXPECT_EQ(HotDisabled.pixelColor(5, 10), FlatPressedFace) << "the hot face stays";
}

TEST_F(FlatButton, SquareCornersDrawARectangle) {
    const QImage Image = Draw(fbHot | fbPressed | fbSquare);
    EXPECT_EQ(Image.pixelColor(0, 0), FlatPressedFrame);
    EXPECT_EQ(Image.pixelColor(23, 21), FlatPressedFrame);
}

TEST_F(FlatButton, TheGlyphCanComeFromAnImageList) {
    platform::ui::TImageList Images(nullptr, 6, 6);
    Images.AddMasked(Glyph, qRgb(255, 0, 255));
    QImage Image = Surface(24, 22);
    {
        TCanvas C(&Image);
        DrawFlatButton(C, QRect(0, 0, 24, 22), &Images, nullptr, fbHot, 0);
    }
    EXPECT_EQ(BoxOf(Image, QColor(Qt::red)), QRect(10, 9, 4, 4));
}

TEST(DrawGlyph, ScalesWithoutCentringAndKeepsTheBrush) {
    QImage Glyph = NewBitmap(2, 2, Qt::blue);
    Glyph.setPixelColor(0, 1, QColor(255, 0, 255));
    QImage Image = Surface(6, 6);
    TCanvas C(&Image);
    C.Brush().Style = TBrushStyle::bsSolid;
    DrawGlyph(C, QRect(1, 1, 4, 4), Glyph, false, geNone);
    DrawGlyph(C, QRect(0, 0, 6, 6), NewBitmap(0, 0), true, geNone);
    EXPECT_EQ(C.Brush().Style, TBrushStyle::bsSolid);
    C.Painter().end();
    EXPECT_EQ(BoxOf(Image, QColor(Qt::blue)), QRect(1, 1, 4, 4).adjusted(0, 0, 0, 0));
    EXPECT_EQ(Image.pixelColor(1, 4), QColor(Qt::white)) << "the scaled key stays undrawn";
    EXPECT_EQ(Image.pixelColor(2, 3), QColor(Qt::white));
}

TEST(DrawGlyph, CentresAndAppliesTheEffectToACopy) {
    const QImage Glyph = RedGlyph(4, 4);
    const QImage Before = Glyph;
    QImage Image = Surface(10, 10);
    {
        TCanvas C(&Image);
        DrawGlyph(C, QRect(0, 0, 10, 10), Glyph, true, geGrey);
    }
    EXPECT_EQ(BoxOf(Image, QColor(76, 76, 76)), QRect(4, 4, 2, 2));
    EXPECT_EQ(Glyph, Before) << "the caller's bitmap is not changed";
}

class ButtonContent : public ::testing::Test {
protected:
    void SetUp() override { platform::ui::RegisterFonts(); }

    QImage Draw(const QString& Caption, int Margin, bool ShowCaption, TBitmapAlign Align, const QImage& Glyph,
                int Spacing = 2) {
        QImage Image = Surface(120, 40);
        TCanvas C(&Image);
        C.SetFont(platform::ui::TFont(platform::ui::DefaultFont(), Qt::black));
        TW = C.TextWidth(Caption);
        TH = C.TextHeight(Caption);
        DrawButtonContent(C, QRect(0, 0, 120, 40), Caption, Margin, ShowCaption, Align, geNone, Spacing, true, Glyph);
        return Image;
    }

    // The bounding box of the caption's ink (antialiased: any dark grey).
    static QRect InkOf(const QImage& Image) {
        QRect Box;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                if (const QColor C = Image.pixelColor(X, Y); C.red() < 160 && C.green() < 160 && C.blue() < 160)
                    Box |= QRect(X, Y, 1, 1);
        return Box;
    }

    int TW = 0, TH = 0;
    const QImage Glyph = RedGlyph(12, 10);  // the red inside is one pixel in
};

TEST_F(ButtonContent, GlyphBesideTheCentredCaption) {
    const QImage Left = Draw("OK", -1, true, baLeft, Glyph);
    const int GlyphLeft = (120 - 12) / 2 - (TW / 2 + 2);
    EXPECT_EQ(BoxOf(Left, Qt::red), QRect(GlyphLeft + 1, (40 - 10) / 2 + 1, 10, 8));

    const QImage Right = Draw("OK", -1, true, baRight, Glyph);
    EXPECT_EQ(BoxOf(Right, Qt::red).left(), (120 - 12) / 2 + TW / 2 + 2 + 1);

    const QImage Top = Draw("OK", -1, true, baTop, Glyph);
    EXPECT_EQ(BoxOf(Top, Qt::red).top(), (40 - 10) / 2 - (TH / 2 + 2) + 1);

    const QImage Bottom = Draw("OK", -1, true, baBottom, Glyph);
    EXPECT_EQ(BoxOf(Bottom, Qt::red).top(), (40 - 10) / 2 + TH / 2 + 2 + 1);
}

TEST_F(ButtonContent, MarginAlignsTheContentLeft) {
    const QImage NoGlyph = Draw("Iniciar", 18, true, baLeft, QImage());
    const QRect Ink = InkOf(NoGlyph);
    ASSERT_TRUE(Ink.isValid());
    EXPECT_GE(Ink.left(), 18);
    EXPECT_LE(Ink.left(), 19) << "the caption's left edge is at the margin";

    const QImage WithGlyph = Draw("Iniciar", 18, true, baLeft, Glyph);
    EXPECT_EQ(BoxOf(WithGlyph, Qt::red).left(), 19) << "glyph at the margin";
    EXPECT_GE(InkOf(WithGlyph).left(), 18 + 12 + 2) << "the gap is Spacing once";

    const QImage Over = Draw("Iniciar", 18, true, baTop, Glyph);
    EXPECT_EQ(BoxOf(Over, Qt::red).left(), 18 + (TW - 12) / 2 + 1);

    const QImage GlyphOnly = Draw("Iniciar", 7, false, baLeft, Glyph);
    EXPECT_EQ(BoxOf(GlyphOnly, Qt::red), QRect(8, 16, 10, 8));
    EXPECT_FALSE(InkOf(GlyphOnly).isValid()) << "no caption";
}

TEST_F(ButtonContent, CaptionAloneIsCentred) {
    const QImage Image = Draw("Cancelar", -1, true, baLeft, QImage());
    const QRect Ink = InkOf(Image);
    ASSERT_TRUE(Ink.isValid());
    const int Left = (120 - TW) / 2;
    EXPECT_GE(Ink.left(), Left);
    EXPECT_LE(Ink.right(), Left + TW);
    EXPECT_GE(Ink.top(), (40 - TH) / 2);
    EXPECT_LE(Ink.bottom(), (40 - TH) / 2 + TH);
}

TEST(LoadSkinBitmap, ReadsTheResourceIgnoringCase) {
    QImage Bitmap;
    LoadSkinBitmap(Bitmap, "skin_button_UP");
    EXPECT_EQ(Bitmap.size(), QSize(9, 23));
    EXPECT_EQ(Bitmap.format(), QImage::Format_RGB888);
    EXPECT_THROW(LoadSkinBitmap(Bitmap, "Skin_Button_Sideways"), platform::ui::EResNotFound);
}
