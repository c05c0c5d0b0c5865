#include "platform/ui/ImgList.h"

namespace platform::ui {

TImageList::TImageList(QObject* AOwner, int Width, int Height) : QObject(AOwner), FWidth(Width), FHeight(Height) {}

void TImageList::SetSize(int Width, int Height) {
    if (Width == FWidth && Height == FHeight) return;
    FWidth = Width;
    FHeight = Height;
    FImages.clear();
}

int TImageList::Add(const QImage& Image) {
    const int First = Count();
    if (Image.isNull() || FWidth <= 0 || FHeight <= 0) return -1;
    const QImage Source = Image.convertToFormat(QImage::Format_ARGB32);
    const int Pictures = std::max(1, Source.width() / FWidth);
    for (int I = 0; I < Pictures; ++I) {
        QImage Picture(FWidth, FHeight, QImage::Format_ARGB32);
        Picture.fill(Qt::transparent);
        QPainter Painter(&Picture);
        Painter.setCompositionMode(QPainter::CompositionMode_Source);
        Painter.drawImage(0, 0, Source, I * FWidth, 0, FWidth, FHeight);
        Painter.end();
        FImages.push_back(Picture);
    }
    return First;
}

int TImageList::AddMasked(const QImage& Bitmap, QRgb Key) {
    if (Bitmap.isNull()) return -1;
    QImage Masked = Bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb KeyRgb = Key & 0x00FFFFFFu;
    for (int Y = 0; Y < Masked.height(); ++Y) {
        auto* Row = reinterpret_cast<QRgb*>(Masked.scanLine(Y));
        for (int X = 0; X < Masked.width(); ++X)
            if ((Row[X] & 0x00FFFFFFu) == KeyRgb) Row[X] = 0;
    }
    return Add(Masked);
}

QImage TImageList::GetBitmap(int Index, QColor Background) const {
    if (Index < 0 || Index >= Count()) return QImage();
    QImage Result = NewBitmap(FWidth, FHeight, Background);
    QPainter Painter(&Result);
    Painter.drawImage(0, 0, FImages[Index]);
    return Result;
}

namespace {

// The picture's shape in one colour.
QImage Silhouette(const QImage& Picture, QColor Color) {
    QImage Result = Picture.copy();
    const QRgb Solid = Color.rgb() | 0xFF000000u;
    for (int Y = 0; Y < Result.height(); ++Y) {
        auto* Row = reinterpret_cast<QRgb*>(Result.scanLine(Y));
        for (int X = 0; X < Result.width(); ++X) Row[X] = qAlpha(Row[X]) >= 128 ? Solid : 0u;
    }
    return Result;
}

}  // namespace

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= Count()) return;
    QPainter& Painter = Canvas.Painter();
    if (Enabled) {
        Painter.drawImage(X, Y, FImages[Index]);
        return;
    }
    Painter.drawImage(X + 1, Y + 1, Silhouette(FImages[Index], SysColor(TSysColor::clBtnHighlight)));
    Painter.drawImage(X, Y, Silhouette(FImages[Index], SysColor(TSysColor::clBtnShadow)));
}

}  // namespace platform::ui
