#include "platform/ui/Graphics.h"

#include <QFontMetrics>
#include <QRawFont>
#include <QtEndian>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform::ui {

int MulDiv(int A, int B, int C) {
    if (C == 0) return -1;
    const int64_t Product = static_cast<int64_t>(A) * B;
    const int64_t Magnitude = (std::llabs(Product) * 2 + std::llabs(C)) / (2 * std::llabs(static_cast<int64_t>(C)));
    const int64_t Result = ((Product < 0) != (C < 0)) ? -Magnitude : Magnitude;
    if (Result > std::numeric_limits<int>::max() || Result < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(Result);
}

QColor SysColor(TSysColor Which) {
    switch (Which) {
        case TSysColor::clBtnFace: return QColor(236, 233, 216);
        case TSysColor::clBtnShadow: return QColor(172, 168, 153);
        case TSysColor::clBtnHighlight: return QColor(255, 255, 255);
        case TSysColor::clGrayText: return QColor(172, 168, 153);
        case TSysColor::clWindow: return QColor(255, 255, 255);
        case TSysColor::clWindowText: return QColor(0, 0, 0);
        case TSysColor::clHighlight: return QColor(49, 106, 197);
        case TSysColor::clHighlightText: return QColor(255, 255, 255);
    }
    return QColor(0, 0, 0);
}

QImage NewBitmap(int Width, int Height, QColor Fill) {
    if (Width <= 0 || Height <= 0) return QImage();
    QImage Result(Width, Height, QImage::Format_RGB888);
    Result.fill(Fill);
    return Result;
}

QImage ToBitmap24(const QImage& Image) {
    if (Image.isNull() || Image.format() == QImage::Format_RGB888) return Image;
    return Image.convertToFormat(QImage::Format_RGB888);
}

bool IsEmptyBitmap(const QImage& Bitmap) { return Bitmap.isNull() || Bitmap.width() == 0 || Bitmap.height() == 0; }

QRgb BottomLeftColor(const QImage& Bitmap) {
    if (IsEmptyBitmap(Bitmap)) return qRgb(0, 0, 0);
    return Bitmap.pixel(0, Bitmap.height() - 1) | 0xFF000000u;
}

QImage LoadBitmapFromData(const QByteArray& Data) {
    QImage Image;
    if (!Data.startsWith("BM") || !Image.loadFromData(Data, "BMP")) throw EInvalidGraphic("Bitmap image is not valid");
    return ToBitmap24(Image);
}

namespace {

void PutLE(QByteArray& Out, uint32_t Value, int Bytes) {
    for (int I = 0; I < Bytes; ++I) Out.append(static_cast<char>((Value >> (8 * I)) & 0xFF));
}

}  // namespace

QByteArray SaveBitmapToData(const QImage& Bitmap) {
    const QImage Image = ToBitmap24(Bitmap);
    const int Width = Image.isNull() ? 0 : Image.width();
    const int Height = Image.isNull() ? 0 : Image.height();
    const int RowBytes = (Width * 3 + 3) & ~3;
    const uint32_t ImageSize = static_cast<uint32_t>(RowBytes) * Height;
    QByteArray Out;
    Out.reserve(54 + ImageSize);
    Out.append("BM");
    PutLE(Out, 54 + ImageSize, 4);
    PutLE(Out, 0, 4);
    PutLE(Out, 54, 4);
    PutLE(Out, 40, 4);
    PutLE(Out, Width, 4);
    PutLE(Out, Height, 4);
    PutLE(Out, 1, 2);
    PutLE(Out, 24, 2);
    PutLE(Out, 0, 4);  // uncompressed
    PutLE(Out, ImageSize, 4);
    PutLE(Out, 3780, 4);  // 96 dpi
    PutLE(Out, 3780, 4);
    PutLE(Out, 0, 4);
    PutLE(Out, 0, 4);
    for (int Y = Height - 1; Y >= 0; --Y) {
        const uchar* Row = Image.constScanLine(Y);
        for (int X = 0; X < Width; ++X) {
            Out.append(static_cast<char>(Row[X * 3 + 2]));
            Out.append(static_cast<char>(Row[X * 3 + 1]));
            Out.append(static_cast<char>(Row[X * 3]));
        }
        Out.append(RowBytes - Width * 3, '\0');
    }
    return Out;
}

QImage LoadBitmapFromStream(platform::os::TStream& Stream) {
    const int64_t Count = Stream.Size() - Stream.Position();
    QByteArray Data(static_cast<qsizetype>(Count), '\0');
    Stream.ReadBuffer(Data.data(), Count);
    return LoadBitmapFromData(Data);
}

void SaveBitmapToStream(const QImage& Bitmap, platform::os::TStream& Stream) {
    const QByteArray Data = SaveBitmapToData(Bitmap);
    Stream.WriteBuffer(Data.constData(), Data.size());
}

namespace {

uint16_t BigEndian16(const QByteArray& Table, int Offset) {
    return static_cast<uint16_t>((static_cast<uint8_t>(Table[Offset]) << 8) | static_cast<uint8_t>(Table[Offset + 1]));
}

}  // namespace

TTextMetrics TextMetricsOf(const QFont& Font) {
    const QRawFont Raw = QRawFont::fromFont(Font);
    const QByteArray Head = Raw.isValid() ? Raw.fontTable("head") : QByteArray();
    const QByteArray Os2 = Raw.isValid() ? Raw.fontTable("OS/2") : QByteArray();
    if (Head.size() >= 20 && Os2.size() >= 78) {
        const int UnitsPerEm = BigEndian16(Head, 18);
        const double Pixels = Raw.pixelSize();
        if (UnitsPerEm > 0)
            return TTextMetrics{static_cast<int>(std::lround(BigEndian16(Os2, 74) * Pixels / UnitsPerEm)),
                                static_cast<int>(std::lround(BigEndian16(Os2, 76) * Pixels / UnitsPerEm))};
    }
    const QFontMetrics Metrics(Font);
    return TTextMetrics{Metrics.ascent(), Metrics.descent()};
}

TAcceleratedText StripAccelerator(const QString& Caption) {
    TAcceleratedText Result;
    Result.Text.reserve(Caption.size());
    for (qsizetype I = 0; I < Caption.size(); ++I) {
        if (Caption[I] != u'&') {
            Result.Text += Caption[I];
        } else if (I + 1 < Caption.size() && Caption[I + 1] == u'&') {
            Result.Text += u'&';
            ++I;
        } else if (I + 1 < Caption.size() && Result.AccelIndex < 0) {
            Result.AccelIndex = static_cast<int>(Result.Text.size());
        }
    }
    return Result;
}

QChar AcceleratorChar(const QString& Caption) {
    const TAcceleratedText Stripped = StripAccelerator(Caption);
    return Stripped.AccelIndex < 0 ? QChar() : Stripped.Text[Stripped.AccelIndex];
}

bool IsAccel(QChar Ch, const QString& Caption) {
    const QChar Accel = AcceleratorChar(Caption);
    return !Accel.isNull() && !Ch.isNull() && Accel.toUpper() == Ch.toUpper();
}

TCanvas::TCanvas(QPaintDevice* Device) : FOwnPainter(std::make_unique<QPainter>(Device)), FPainter(FOwnPainter.get()) {}

TCanvas::TCanvas(QPainter& Painter) : FPainter(&Painter) {}

TCanvas::~TCanvas() = default;

void TCanvas::FillSolid(const QRect& R, QColor Color) {
    if (R.width() > 0 && R.height() > 0) FPainter->fillRect(R, Color);
}

void TCanvas::FillRect(const QRect& R) { FillSolid(R, FBrush.Color); }

void TCanvas::FrameRect(const QRect& R) {
    if (R.width() <= 0 || R.height() <= 0) return;
    FillSolid(QRect(R.x(), R.y(), R.width(), 1), FBrush.Color);
    FillSolid(QRect(R.x(), WinBottom(R) - 1, R.width(), 1), FBrush.Color);
    FillSolid(QRect(R.x(), R.y(), 1, R.height()), FBrush.Color);
    FillSolid(QRect(WinRight(R) - 1, R.y(), 1, R.height()), FBrush.Color);
}

void TCanvas::Rectangle(const QRect& R) {
    if (R.width() <= 0 || R.height() <= 0) return;
    const bool HasPen = FPen.Style != TPenStyle::psClear;
    const int W = HasPen ? std::max(1, FPen.Width) : 0;
    if (FBrush.Style == TBrushStyle::bsSolid) FillSolid(R.adjusted(W, W, -W, -W), FBrush.Color);
    if (!HasPen) return;
    if (FPen.Style == TPenStyle::psDot) {
        FPainter->save();
        FPainter->setPen(QPen(FPen.Color, 0, Qt::DotLine));
        FPainter->setBrush(Qt::NoBrush);
        FPainter->drawRect(R.adjusted(0, 0, -1, -1));
        FPainter->restore();
        return;
    }
    FillSolid(QRect(R.x(), R.y(), R.width(), W), FPen.Color);
    FillSolid(QRect(R.x(), WinBottom(R) - W, R.width(), W), FPen.Color);
    FillSolid(QRect(R.x(), R.y(), W, R.height()), FPen.Color);
    FillSolid(QRect(WinRight(R) - W, R.y(), W, R.height()), FPen.Color);
}

namespace {

QPen MakePen(const TPen& Pen) {
    if (Pen.Style == TPenStyle::psClear) return QPen(Qt::NoPen);
    return QPen(Pen.Color, Pen.Width <= 1 ? 0 : Pen.Width, Pen.Style == TPenStyle::psDot ? Qt::DotLine : Qt::SolidLine);
}

QBrush MakeBrush(const TBrush& Brush) {
    return Brush.Style == TBrushStyle::bsSolid ? QBrush(Brush.Color) : QBrush(Qt::NoBrush);
}

int Sign(int Value) { return (Value > 0) - (Value < 0); }

}  // namespace

void TCanvas::RoundRect(const QRect& R, int CX, int CY) {
    if (R.width() <= 0 || R.height() <= 0) return;
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setPen(MakePen(FPen));
    FPainter->setBrush(MakeBrush(FBrush));
    FPainter->drawRoundedRect(R.adjusted(0, 0, -1, -1), CX / 2.0, CY / 2.0, Qt::AbsoluteSize);
    FPainter->restore();
}

void TCanvas::Polygon(const QVector<QPoint>& Points) {
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setPen(MakePen(FPen));
    FPainter->setBrush(MakeBrush(FBrush));
    FPainter->drawPolygon(Points.constData(), static_cast<int>(Points.size()));
    FPainter->restore();
}

void TCanvas::LineTo(int X, int Y) {
    const QPoint From = FPenPos;
    QPoint To(X, Y);
    FPenPos = To;
    if (FPen.Style == TPenStyle::psClear || From == To) return;
    // The end point belongs to the next line; exact for the straight lines the controls draw.
    if (From.y() == To.y()) To.rx() -= Sign(To.x() - From.x());
    else if (From.x() == To.x()) To.ry() -= Sign(To.y() - From.y());
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setPen(MakePen(FPen));
    FPainter->drawLine(From, To);
    FPainter->restore();
}

void TCanvas::DrawFocusRect(const QRect& R) {
    if (R.width() <= 0 || R.height() <= 0) return;
    FPainter->save();
    FPainter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    FPainter->setPen(QPen(Qt::white, 0));
    const int Right = WinRight(R) - 1, Bottom = WinBottom(R) - 1;
    for (int X = R.x(); X <= Right; X += 2) {
        FPainter->drawPoint(X, R.y());
        if (Bottom != R.y()) FPainter->drawPoint(X, Bottom);
    }
    for (int Y = R.y() + 2; Y < Bottom; Y += 2) {
        FPainter->drawPoint(R.x(), Y);
        if (Right != R.x()) FPainter->drawPoint(Right, Y);
    }
    FPainter->restore();
}

void TCanvas::PaintTextBackground(const QRect& R) {
    if (FBrush.Style == TBrushStyle::bsSolid) FillSolid(R, FBrush.Color);
}

void TCanvas::TextOut(int X, int Y, const QString& Text) {
    const TTextMetrics Metrics = TextMetricsOf(FFont);
    const int Width = TextWidth(Text);
    PaintTextBackground(QRect(X, Y, Width, Metrics.Height()));
    FPainter->setFont(FFont);
    FPainter->setPen(FFont.Color());
    FPainter->drawText(X, Y + Metrics.Ascent, Text);
    FPenPos = QPoint(X + Width, Y);
}

int TCanvas::TextWidth(const QString& Text) const { return QFontMetrics(FFont).horizontalAdvance(Text); }

int TCanvas::TextHeight(const QString&) const { return TextMetricsOf(FFont).Height(); }

QSize TCanvas::TextExtent(const QString& Text) const { return QSize(TextWidth(Text), TextHeight(Text)); }

void TCanvas::DrawSingleLine(const QString& Text, QRect& R, unsigned Flags, int& Height) {
    const QFontMetrics Metrics(FFont);
    TAcceleratedText Shown = (Flags & DT_NOPREFIX) ? TAcceleratedText{Text, -1} : StripAccelerator(Text);
    if ((Flags & DT_END_ELLIPSIS) && !(Flags & DT_CALCRECT) && Metrics.horizontalAdvance(Shown.Text) > R.width()) {
        Shown.Text = Metrics.elidedText(Shown.Text, Qt::ElideRight, std::max(0, R.width()));
        if (Shown.AccelIndex >= Shown.Text.size() - 1) Shown.AccelIndex = -1;
    }
    const int Width = Metrics.horizontalAdvance(Shown.Text);
    const TTextMetrics Vertical = TextMetricsOf(FFont);
    Height = Vertical.Height();
    if (Flags & DT_CALCRECT) {
        R.setWidth(Width);
        R.setHeight(Height);
        return;
    }
    int X = R.x();
    if (Flags & DT_CENTER) X += (R.width() - Width) / 2;
    else if (Flags & DT_RIGHT) X = WinRight(R) - Width;
    int Y = R.y();
    if (Flags & DT_VCENTER) Y += (R.height() - Height) / 2;
    else if (Flags & DT_BOTTOM) Y = WinBottom(R) - Height;

    FPainter->save();
    FPainter->setClipRect(R, Qt::IntersectClip);
    PaintTextBackground(QRect(X, Y, Width, Height));
    FPainter->setFont(FFont);
    FPainter->setPen(FFont.Color());
    FPainter->drawText(X, Y + Vertical.Ascent, Shown.Text);
    if (Shown.AccelIndex >= 0) {
        const int UnderX = X + Metrics.horizontalAdvance(Shown.Text.left(Shown.AccelIndex));
        const int UnderWidth = Metrics.horizontalAdvance(Shown.Text.at(Shown.AccelIndex));
        FPainter->fillRect(QRect(UnderX, Y + Vertical.Ascent + Metrics.underlinePos(), UnderWidth,
                                 std::max(1, Metrics.lineWidth())),
                           FFont.Color());
    }
    FPainter->restore();
}

int TCanvas::DrawText(const QString& Text, QRect& R, unsigned Flags) {
    int Height = 0;
    if (Flags & DT_SINGLELINE) {
        DrawSingleLine(Text, R, Flags, Height);
        return Height;
    }
    int QtFlags = (Flags & DT_CENTER) ? Qt::AlignHCenter : (Flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    QtFlags |= Qt::AlignTop;
    if (Flags & DT_WORDBREAK) QtFlags |= Qt::TextWordWrap;
    QtFlags |= (Flags & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    const QFontMetrics Metrics(FFont);
    const int LayoutWidth = (Flags & DT_WORDBREAK) ? R.width() : std::numeric_limits<int>::max() / 4;
    const QRect Needed = Metrics.boundingRect(QRect(R.x(), R.y(), LayoutWidth, std::numeric_limits<int>::max() / 4),
                                              QtFlags, Text);
    if (Flags & DT_CALCRECT) {
        R.setWidth(Needed.width());
        R.setHeight(Needed.height());
        return Needed.height();
    }
    PaintTextBackground(R.intersected(QRect(R.topLeft(), Needed.size())));
    FPainter->setFont(FFont);
    FPainter->setPen(FFont.Color());
    FPainter->drawText(R, QtFlags, Text);
    return Needed.height();
}

void TCanvas::Draw(int X, int Y, const QImage& Bitmap) {
    if (!IsEmptyBitmap(Bitmap)) FPainter->drawImage(X, Y, Bitmap);
}

void TCanvas::StretchDraw(const QRect& Dest, const QImage& Bitmap) {
    if (!IsEmptyBitmap(Bitmap)) CopyRect(Dest, Bitmap, Bitmap.rect());
}

void TCanvas::CopyRect(const QRect& Dest, const QImage& Bitmap, const QRect& Source) {
    if (IsEmptyBitmap(Bitmap) || Dest.isEmpty() || Source.isEmpty()) return;
    FPainter->save();
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter->drawImage(Dest, Bitmap, Source);
    FPainter->restore();
}

void TCanvas::KeyColorCopy(const QRect& Dest, const QImage& Bitmap, const QRect& Source, QRgb Key) {
    if (IsEmptyBitmap(Bitmap) || Dest.isEmpty() || Source.isEmpty()) return;
    QImage Piece = Bitmap.copy(Source).convertToFormat(QImage::Format_ARGB32);
    if (Piece.size() != Dest.size()) Piece = Piece.scaled(Dest.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRgb KeyRgb = Key & 0x00FFFFFFu;
    const bool Hollow = FBrush.Style == TBrushStyle::bsClear;
    const QRgb Replacement = Hollow ? 0u : (FBrush.Color.rgb() | 0xFF000000u);
    for (int Y = 0; Y < Piece.height(); ++Y) {
        auto* Row = reinterpret_cast<QRgb*>(Piece.scanLine(Y));
        for (int X = 0; X < Piece.width(); ++X)
            if ((Row[X] & 0x00FFFFFFu) == KeyRgb) Row[X] = Replacement;
    }
    FPainter->save();
    FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter->drawImage(Dest.topLeft(), Piece);
    FPainter->restore();
}

void TCanvas::KeyColorDraw(const QRect& Dest, const QImage& Bitmap) {
    if (!IsEmptyBitmap(Bitmap)) KeyColorCopy(Dest, Bitmap, Bitmap.rect(), BottomLeftColor(Bitmap));
}

}  // namespace platform::ui
