#pragma once
// Drawing with the platform's conventions over QPainter: rectangles exclude
// their right and bottom edges, text is drawn with the usual DrawText flags,
// and bitmaps are 24-bit images whose bottom-left pixel can serve as the
// transparent key colour.
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>
#include <memory>

#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

namespace platform::ui {

// a * b / c without overflow, rounded to the nearest integer with halves away
// from zero; -1 when c is 0, as the platform answers.
int MulDiv(int A, int B, int C);

// The rectangle from (L, T) up to, but not including, (R, B).
inline QRect WinRect(int L, int T, int R, int B) { return QRect(L, T, R - L, B - T); }
inline int WinRight(const QRect& R) { return R.x() + R.width(); }
inline int WinBottom(const QRect& R) { return R.y() + R.height(); }

// The system colours the controls use, with the values of the platform's
// default theme.
enum class TSysColor { clBtnFace, clBtnShadow, clBtnHighlight, clGrayText, clWindow, clWindowText, clHighlight, clHighlightText };
QColor SysColor(TSysColor Which);
// A colour as the platform writes it: blue, green, red from the high byte down.
inline QColor ColorFromRef(unsigned Value) { return QColor(Value & 0xFF, (Value >> 8) & 0xFF, (Value >> 16) & 0xFF); }

class EInvalidGraphic : public platform::os::Exception {
public:
    using Exception::Exception;
};

// Bitmaps are QImage::Format_RGB888. An empty bitmap is a null image.
QImage NewBitmap(int Width, int Height, QColor Fill = Qt::white);
QImage ToBitmap24(const QImage& Image);
bool IsEmptyBitmap(const QImage& Bitmap);
// The key colour: the pixel at column 0 of the last row.
QRgb BottomLeftColor(const QImage& Bitmap);
// A complete BMP file image in and out; saving writes 24 bits per pixel, uncompressed.
QImage LoadBitmapFromData(const QByteArray& Data);
QByteArray SaveBitmapToData(const QImage& Bitmap);
QImage LoadBitmapFromStream(platform::os::TStream& Stream);
void SaveBitmapToStream(const QImage& Bitmap, platform::os::TStream& Stream);

enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psDot, psClear };

struct TBrush {
    QColor Color{Qt::white};
    TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
    QColor Color{Qt::black};
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

// A font with its colour, as canvases and controls carry it.
class TFont : public QFont {
public:
    TFont() = default;
    explicit TFont(const QFont& Font, QColor Color = Qt::black) : QFont(Font), FColor(Color) {}
    QColor Color() const { return FColor; }
    void SetColor(QColor Value) { FColor = Value; }

private:
    QColor FColor{Qt::black};
};

// The vertical metrics of a font as the platform measures them: from the
// face's Windows ascent and descent, not its typographic ones, so that a line
// of Tahoma 8 pt is 13 pixels high as the forms were designed.
struct TTextMetrics {
    int Ascent = 0;
    int Descent = 0;
    int Height() const { return Ascent + Descent; }
};
TTextMetrics TextMetricsOf(const QFont& Font);

// DrawText flags, with the platform's values.
enum : unsigned {
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
    DT_END_ELLIPSIS = 0x8000,
};

// A caption with its "&" markers taken out: "&&" stands for one "&", and the
// letter after a single "&" is the accelerator (-1 when there is none).
struct TAcceleratedText {
    QString Text;
    int AccelIndex = -1;
};
TAcceleratedText StripAccelerator(const QString& Caption);
// The accelerator letter of a caption, or a null QChar.
QChar AcceleratorChar(const QString& Caption);
// True when Ch is the accelerator of Caption, ignoring letter case.
bool IsAccel(QChar Ch, const QString& Caption);

class TCanvas {
public:
    // Paints on Device with a painter of its own, ended with the canvas.
    explicit TCanvas(QPaintDevice* Device);
    // Paints through a painter that the caller owns.
    explicit TCanvas(QPainter& Painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush& Brush() { return FBrush; }
    TPen& Pen() { return FPen; }
    TFont& Font() { return FFont; }
    void SetFont(const TFont& Value) { FFont = Value; }
    QPainter& Painter() { return *FPainter; }

    void FillRect(const QRect& R);                  // brush colour, also when hollow is not set
    void FrameRect(const QRect& R);                 // one-pixel frame in the brush colour
    void Rectangle(const QRect& R);                 // pen outline inside R, brush inside
    void RoundRect(const QRect& R, int CX, int CY);
    void Polygon(const QVector<QPoint>& Points);
    void MoveTo(int X, int Y) { FPenPos = QPoint(X, Y); }
    void LineTo(int X, int Y);                      // the end point itself is not drawn
    QPoint PenPos() const { return FPenPos; }
    void DrawFocusRect(const QRect& R);

    void TextOut(int X, int Y, const QString& Text);
    int TextWidth(const QString& Text) const;
    int TextHeight(const QString& Text) const;
    QSize TextExtent(const QString& Text) const;
    // Draws Text in R by the DT_ flags; with DT_CALCRECT only measures into R.
    // Answers the height of the text.
    int DrawText(const QString& Text, QRect& R, unsigned Flags);

    void Draw(int X, int Y, const QImage& Bitmap);
    void StretchDraw(const QRect& Dest, const QImage& Bitmap);
    void CopyRect(const QRect& Dest, const QImage& Bitmap, const QRect& Source);
    // The key-colour copy: Source of Bitmap scaled into Dest, with pixels of
    // Key left undrawn when the brush is hollow and painted in the brush
    // colour when it is solid.
    void KeyColorCopy(const QRect& Dest, const QImage& Bitmap, const QRect& Source, QRgb Key);
    // The whole bitmap into Dest with its bottom-left pixel as the key.
    void KeyColorDraw(const QRect& Dest, const QImage& Bitmap);

private:
    void FillSolid(const QRect& R, QColor Color);
    void DrawSingleLine(const QString& Text, QRect& R, unsigned Flags, int& Height);
    void PaintTextBackground(const QRect& R);

    std::unique_ptr<QPainter> FOwnPainter;
    QPainter* FPainter;
    TBrush FBrush;
    TPen FPen;
    TFont FFont;
    QPoint FPenPos;
};

}  // namespace platform::ui
