#pragma once
// The typefaces the forms were designed with, registered from the system's
// font files at start-up, and font sizes in points at 96 pixels per inch.
#include <QFont>
#include <QString>
#include <QStringList>

namespace platform::ui {

inline constexpr int ScreenPixelsPerInch = 96;

// Registers Tahoma (regular and bold) and Small Fonts once; answers the
// families now available. Missing files are skipped.
QStringList RegisterFonts();
// The pixel height of a font of Points points (Tahoma 8 pt is 11 pixels).
int PointsToPixels(int Points);
QFont MakeFont(const QString& Family, int Points, bool Bold = false);
// Tahoma 8 pt, the forms' font.
QFont DefaultFont();

}  // namespace platform::ui
