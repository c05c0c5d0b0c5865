#pragma once
// A list of same-sized pictures with transparency, drawn as they are or
// greyed for disabled controls.
#include <QImage>
#include <QObject>
#include <vector>

#include "platform/ui/Graphics.h"

namespace platform::ui {

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QObject* AOwner = nullptr, int Width = 16, int Height = 16);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetSize(int Width, int Height);
    int Count() const { return static_cast<int>(FImages.size()); }
    void Clear() { FImages.clear(); }

    // Adds a picture whose pixels of Key are transparent; a strip wider than
    // the list's width adds one picture per Width columns. Answers the index
    // of the first picture added.
    int AddMasked(const QImage& Bitmap, QRgb Key);
    // Adds a picture keeping its own alpha channel.
    int Add(const QImage& Image);

    // The picture drawn over Background into a 24-bit bitmap of the list's
    // size; an empty bitmap for an index outside the list.
    QImage GetBitmap(int Index, QColor Background) const;
    // Draws the picture at (X, Y); disabled draws it greyed as the platform
    // draws disabled images (highlight shifted by one pixel, shadow on top).
    void Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled = true) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;  // ARGB32, the list's size
};

}  // namespace platform::ui
