#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "platform/ui/Fonts.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Resources.h"

using namespace platform::ui;

namespace {

QImage Canvas32(int W, int H, QColor Fill = Qt::white) {
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Fill);
    return Image;
}

QRgb At(const QImage& Image, int X, int Y) { return Image.pixel(X, Y) & 0xFFFFFFu; }

// Columns in [From, To) of row Y that differ from the background.
int InkedColumns(const QImage& Image, int Y0, int Y1, QRgb Background) {
    int Count = 0;
    for (int X = 0; X < Image.width(); ++X)
        for (int Y = Y0; Y < Y1; ++Y)
            if (At(Image, X, Y) != (Background & 0xFFFFFFu)) {
                ++Count;
                break;
            }
    return Count;
}

}  // namespace

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(127, 1, 256), 0);
    EXPECT_EQ(MulDiv(128, 1, 256), 1);
    EXPECT_EQ(MulDiv(-128, 1, 256), -1);
    EXPECT_EQ(MulDiv(1, -127, 255), 0);
    EXPECT_EQ(MulDiv(128, -1, 255), -1);
    EXPECT_EQ(MulDiv(1 << 30, 8, 4), -1) << "overflow answers -1";
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(1 << 20, 1 << 20, 1 << 20), 1 << 20) << "the product may exceed 32 bits";
}

TEST(Canvas, RectanglesExcludeRightAndBottomEdges) {
    QImage Image = Canvas32(10, 10);
    {
        TCanvas C(&Image);
        C.Brush().Color = Qt::red;
        C.FillRect(WinRect(1, 1, 4, 3));
        C.Brush().Color = Qt::blue;
        C.Pen().Color = Qt::green;
        C.Rectangle(WinRect(5, 5, 9, 9));
    }
    EXPECT_EQ(At(Image, 1, 1), qRgb(255, 0, 0) & 0xFFFFFFu);
    EXPECT_EQ(At(Image, 3, 2), qRgb(255, 0, 0) & 0xFFFFFFu);
    EXPECT_EQ(At(Image, 4, 2), 0xFFFFFFu);
    EXPECT_EQ(At(Image, 3, 3), 0xFFFFFFu);
    // Outline on the outer pixels of the rectangle, brush inside.
    EXPECT_EQ(At(Image, 5, 5), 0x00FF00u);
    EXPECT_EQ(At(Image, 8, 8), 0x00FF00u);
    EXPECT_EQ(At(Image, 6, 6), 0x0000FFu);
    EXPECT_EQ(At(Image, 7, 7), 0x0000FFu);
    EXPECT_EQ(At(Image, 9, 9), 0xFFFFFFu);
}

TEST(Canvas, HollowBrushLeavesTheInsideAndFrameRectUsesTheBrush) {
    QImage Image = Canvas32(8, 8);
    {
        TCanvas C(&Image);
        C.Brush().Style = TBrushStyle::bsClear;
        C.Pen().Color = Qt::black;
        C.Rectangle(WinRect(0, 0, 8, 8));
        C.Brush().Style = TBrushStyle::bsSolid;
        C.Brush().Color = Qt::red;
        C.FrameRect(WinRect(2, 2, 6, 6));
    }
    EXPECT_EQ(At(Image, 0, 0), 0u);
    EXPECT_EQ(At(Image, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(At(Image, 2, 2), 0xFF0000u);
    EXPECT_EQ(At(Image, 5, 5), 0xFF0000u);
    EXPECT_EQ(At(Image, 3, 3), 0xFFFFFFu);
}

TEST(Canvas, LineToLeavesOutTheEndPoint) {
    QImage Image = Canvas32(10, 10);
    {
        TCanvas C(&Image);
        C.Pen().Color = Qt::black;
        C.MoveTo(1, 1);
        C.LineTo(5, 1);
        C.LineTo(5, 4);
        EXPECT_EQ(C.PenPos(), QPoint(5, 4));
    }
    for (int X = 1; X <= 4; ++X) EXPECT_EQ(At(Image, X, 1), 0u) << X;
    EXPECT_EQ(At(Image, 5, 1), 0u) << "start of the second line";
    EXPECT_EQ(At(Image, 5, 3), 0u);
    EXPECT_EQ(At(Image, 5, 4), 0xFFFFFFu);
    EXPECT_EQ(At(Image, 0, 1), 0xFFFFFFu);
}

TEST(Canvas, KeyColourCopyLeavesOrPaintsTheKey) {
    QImage Bitmap = NewBitmap(2, 2, QColor(255, 0, 255));
    Bitmap.setPixelColor(1, 0, Qt::blue);
    ASSERT_EQ(BottomLeftColor(Bitmap) & 0xFFFFFFu, 0xFF00FFu);

    QImage Hollow = Canvas32(4, 4, Qt::green);
    {
        TCanvas C(&Hollow);
        C.Brush().Style = TBrushStyle::bsClear;
        C.KeyColorDraw(QRect(0, 0, 4, 4), Bitmap);  // scaled twice by replication
    }
    EXPECT_EQ(At(Hollow, 0, 0), 0x00FF00u);
    EXPECT_EQ(At(Hollow, 2, 0), 0x0000FFu);
    EXPECT_EQ(At(Hollow, 3, 1), 0x0000FFu);
    EXPECT_EQ(At(Hollow, 3, 3), 0x00FF00u);

    QImage Solid = Canvas32(2, 2, Qt::green);
    {
        TCanvas C(&Solid);
        C.Brush().Color = Qt::red;
        C.KeyColorCopy(QRect(0, 0, 2, 2), Bitmap, Bitmap.rect(), BottomLeftColor(Bitmap));
    }
    EXPECT_EQ(At(Solid, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(Solid, 1, 0), 0x0000FFu);
}

TEST(Canvas, StretchDrawReplicatesPixels) {
    QImage Bitmap = NewBitmap(2, 1, Qt::red);
    Bitmap.setPixelColor(1, 0, Qt::blue);
    QImage Image = Canvas32(6, 2);
    {
        TCanvas C(&Image);
        C.StretchDraw(QRect(0, 0, 6, 2), Bitmap);
    }
    for (int X = 0; X < 3; ++X) EXPECT_EQ(At(Image, X, 1), 0xFF0000u) << X;
    for (int X = 3; X < 6; ++X) EXPECT_EQ(At(Image, X, 0), 0x0000FFu) << X;
}

TEST(Bitmaps, BmpRoundTripIs24BitAndExact) {
    QImage Bitmap = NewBitmap(5, 3, Qt::white);
    Bitmap.setPixelColor(0, 2, QColor(255, 0, 255));
    Bitmap.setPixelColor(4, 0, QColor(1, 2, 3));
    const QByteArray Data = SaveBitmapToData(Bitmap);
    ASSERT_TRUE(Data.startsWith("BM"));
    EXPECT_EQ(static_cast<uint8_t>(Data[28]), 24);
    EXPECT_EQ(Data.size(), 54 + 3 * 16);  // rows padded to 4 bytes
    const QImage Loaded = LoadBitmapFromData(Data);
    EXPECT_EQ(Loaded.format(), QImage::Format_RGB888);
    EXPECT_EQ(Loaded, Bitmap);
    EXPECT_EQ(BottomLeftColor(Loaded) & 0xFFFFFFu, 0xFF00FFu);
    EXPECT_THROW(LoadBitmapFromData(QByteArray("not a bitmap")), EInvalidGraphic);
    EXPECT_THROW(LoadBitmapFromData(QByteArray()), EInvalidGraphic);
}

TEST(Bitmaps, StreamsCarryBmpFiles) {
    platform::os::TMemoryStream Stream;
    QImage Bitmap = NewBitmap(3, 2, Qt::blue);
    SaveBitmapToStream(Bitmap, Stream);
    Stream.SetPosition(0);
    EXPECT_EQ(LoadBitmapFromStream(Stream), Bitmap);
}

TEST(Text, AcceleratorsAreStrippedAndFound) {
    EXPECT_EQ(StripAccelerator("&Sim").Text, "Sim");
    EXPECT_EQ(StripAccelerator("&Sim").AccelIndex, 0);
    EXPECT_EQ(StripAccelerator("Sim para &todos").AccelIndex, 9);
    EXPECT_EQ(StripAccelerator("A && B").Text, "A & B");
    EXPECT_EQ(StripAccelerator("A && B").AccelIndex, -1);
    EXPECT_EQ(StripAccelerator("End&").Text, "End");
    EXPECT_EQ(AcceleratorChar("&Avançar >"), QChar(u'A'));
    EXPECT_TRUE(IsAccel(u'a', "&Avançar >"));
    EXPECT_TRUE(IsAccel(u'N', "I&niciar Navitrex"));
    EXPECT_FALSE(IsAccel(u'i', "I&niciar Navitrex"));
    EXPECT_FALSE(IsAccel(u'x', "Cancelar"));
}

class TextDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterFonts();
        Font = TFont(DefaultFont(), Qt::black);
    }
    TFont Font;
};

TEST_F(TextDrawing, SingleLineIsCentredVerticallyAndMeasuredWithoutMarkers) {
    QImage Image = Canvas32(120, 40);
    TCanvas C(&Image);
    C.SetFont(Font);
    QRect Measure(0, 0, 120, 40);
    C.DrawText("&Cancelar", Measure, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(Measure.width(), C.TextWidth("Cancelar"));
    EXPECT_EQ(Measure.height(), 13);
    C.Brush().Style = TBrushStyle::bsClear;
    QRect R(0, 0, 120, 40);
    C.DrawText("&Cancelar", R, DT_SINGLELINE | DT_VCENTER);
    C.Painter().end();
    const int Top = (40 - 13) / 2;
    EXPECT_EQ(InkedColumns(Image, 0, Top, 0xFFFFFF), 0) << "nothing above the centred line";
    EXPECT_GT(InkedColumns(Image, Top, Top + 13, 0xFFFFFF), 20);
}

TEST_F(TextDrawing, AcceleratorLetterIsUnderlined) {
    auto Draw = [this](const QString& Caption) {
        QImage Image = Canvas32(80, 20);
        TCanvas C(&Image);
        C.SetFont(Font);
        C.Brush().Style = TBrushStyle::bsClear;
        QRect R(0, 0, 80, 20);
        C.DrawText(Caption, R, DT_SINGLELINE);
        C.Painter().end();
        return Image;
    };
    const QImage Marked = Draw("&OK"), Plain = Draw("OK");
    const QFontMetrics Metrics(Font);
    const int UnderY = TextMetricsOf(Font).Ascent + Metrics.underlinePos();
    int Differences = 0;
    for (int X = 0; X < 80; ++X)
        if (Marked.pixel(X, UnderY) != Plain.pixel(X, UnderY)) ++Differences;
    EXPECT_GE(Differences, Metrics.horizontalAdvance("O") - 1);
    EXPECT_LE(Differences, Metrics.horizontalAdvance("O") + 1) << "only the O is underlined";
}

TEST_F(TextDrawing, EndEllipsisKeepsTextInsideItsRectangle) {
    QImage Image = Canvas32(100, 20);
    TCanvas C(&Image);
    C.SetFont(Font);
    C.Brush().Style = TBrushStyle::bsClear;
    QRect R(0, 0, 40, 20);
    C.DrawText("Um texto longo demais para caber", R, DT_SINGLELINE | DT_END_ELLIPSIS);
    C.Painter().end();
    for (int X = 40; X < 100; ++X)
        for (int Y = 0; Y < 20; ++Y) ASSERT_EQ(At(Image, X, Y), 0xFFFFFFu) << X << "," << Y;
    EXPECT_GT(InkedColumns(Image, 0, 20, 0xFFFFFF), 20);
}

TEST(Fonts, TahomaIsRegisteredAtElevenPixels) {
    const QStringList Families = RegisterFonts();
    EXPECT_TRUE(Families.contains("Tahoma"));
    EXPECT_TRUE(Families.contains("Small Fonts"));
    EXPECT_EQ(PointsToPixels(8), 11);
    EXPECT_EQ(PointsToPixels(10), 13);
    const QFont Font = DefaultFont();
    EXPECT_EQ(Font.pixelSize(), 11);
    EXPECT_EQ(QFontInfo(Font).family(), "Tahoma");
    EXPECT_TRUE(MakeFont("Tahoma", 8, true).bold());
    // Lines are as high as the platform measures them, not as the face's typographic metrics say.
    const TTextMetrics Metrics = TextMetricsOf(Font);
    EXPECT_EQ(Metrics.Ascent, 11);
    EXPECT_EQ(Metrics.Descent, 2);
    EXPECT_EQ(Metrics.Height(), 13);
}

TEST(Resources, FoundByNameIgnoringCase) {
    const std::optional<QByteArray> Exact = FindResourceData("Sample_Data");
    ASSERT_TRUE(Exact.has_value());
    EXPECT_EQ(Exact->trimmed(), "resource text");
    EXPECT_EQ(FindResourceData("SAMPLE_DATA"), Exact);
    EXPECT_EQ(LoadResourceData("sample_data"), *Exact);
    EXPECT_FALSE(FindResourceData("Missing").has_value());
    EXPECT_FALSE(FindResourceData("").has_value());
    try {
        LoadResourceData("Missing");
        FAIL() << "expected EResNotFound";
    } catch (const EResNotFound& E) {
        EXPECT_STREQ(E.what(), "Resource Missing not found");
    }
    TResourceStream Stream("sample_DATA");
    EXPECT_EQ(Stream.Position(), 0);
    EXPECT_EQ(Stream.Size(), Exact->size());
}

TEST(Canvas, PolygonsRoundRectsAndFocusRects) {
    QImage Image = Canvas32(20, 20);
    {
        TCanvas C(&Image);
        C.Pen().Color = Qt::black;
        C.Brush().Color = Qt::red;
        C.Polygon({QPoint(0, 19), QPoint(0, 10), QPoint(9, 10), QPoint(9, 19)});
        C.RoundRect(WinRect(10, 0, 20, 10), 5, 5);
        C.DrawFocusRect(WinRect(0, 0, 6, 6));
    }
    EXPECT_EQ(At(Image, 0, 15), 0u) << "polygon outline";
    EXPECT_EQ(At(Image, 5, 15), 0xFF0000u) << "polygon inside";
    EXPECT_EQ(At(Image, 15, 0), 0u) << "round rectangle edge";
    EXPECT_EQ(At(Image, 15, 5), 0xFF0000u);
    EXPECT_EQ(At(Image, 10, 0), 0xFFFFFFu) << "rounded corner";
    EXPECT_EQ(At(Image, 19, 9), 0xFFFFFFu);
    // The focus rectangle inverts every other pixel of its outline.
    EXPECT_EQ(At(Image, 0, 0), 0u);
    EXPECT_EQ(At(Image, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(At(Image, 2, 0), 0u);
    EXPECT_EQ(At(Image, 3, 3), 0xFFFFFFu);
}
