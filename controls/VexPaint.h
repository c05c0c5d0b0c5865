#pragma once
// The painting routines shared by the skinned controls and the data-bound
// components: a 256-band gradient, gradient bevels, the flat toolbar button,
// glyph effects and the caption-and-glyph layout of the skinned button.
// Bitmaps are 24-bit; a bitmap's bottom-left pixel is its transparent key.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"

namespace controls {

using platform::ui::TCanvas;

enum TGradDirection { gdHorizontal, gdVertical };
enum TBitmapAlign { baLeft, baTop, baRight, baBottom };

// Flat-button state bits.
enum : int { fbDisabled = 2, fbHot = 4, fbPressed = 8, fbSquare = 64 };
// Glyph effects of DrawGlyph and DrawButtonContent.
enum : int { geNone = 0, geLighten = 1, geDisabled = 2, geGrey = 3 };

inline const QColor FlatLight{252, 252, 250};
inline const QColor FlatDark{206, 206, 195};
inline const QColor FlatPressedFace{230, 229, 223};
inline const QColor FlatPressedFrame{157, 157, 146};

// Lightening amounts of the glyph effects.
inline constexpr int LightenHot = 45;
inline constexpr int LightenFaded = 130;

void FillGradient(TCanvas& Canvas, const QRect& R, QColor From, TGradDirection Direction, QColor To);
void GradientBevel(TCanvas& Canvas, const QRect& R, QColor Color, bool Pressed);
// Images and Bitmap may be null; Bitmap wins over the image list.
void DrawFlatButton(TCanvas& Canvas, const QRect& R, const platform::ui::TImageList* Images, const QImage* Bitmap,
                    int State, int ImageIndex);
// Draws a copy of Bitmap with the effect, its bottom-left colour transparent:
// scaled into R, or at its own size centred in R. The brush style is kept.
void DrawGlyph(TCanvas& Canvas, const QRect& R, const QImage& Bitmap, bool Centre, int Effect);
// Every channel c becomes c + Amount * (255 - c) div 255.
void LightenBitmap(QImage& Bitmap, int Amount);
// Every pixel becomes 0.3 red + 0.59 green + 0.11 blue, halves to even.
void GreyBitmap(QImage& Bitmap);
// Caption and glyph of a skinned button laid out over R. Enabled is not used.
void DrawButtonContent(TCanvas& Canvas, const QRect& R, const QString& Caption, int Margin, bool ShowCaption,
                       TBitmapAlign Align, int Effect, int Spacing, bool Enabled, const QImage& Glyph);
// Reads a BMP file image from the program's raw-data resource of that name.
void LoadSkinBitmap(QImage& Bitmap, const QString& ResourceName);

}  // namespace controls
