#include "platform/ui/Fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include "platform/ui/Graphics.h"

namespace platform::ui {

namespace {

// Where the distribution puts the faces; VEX_FONT_DIR comes first when set.
QStringList FontFolders() {
    QStringList Folders;
    const QString Override = qEnvironmentVariable("VEX_FONT_DIR");
    if (!Override.isEmpty()) Folders << Override;
    Folders << QStringLiteral("/usr/share/wine/fonts") << QStringLiteral("/usr/share/fonts/truetype/wine")
            << QStringLiteral("/usr/share/fonts/wine");
    return Folders;
}

}  // namespace

QStringList RegisterFonts() {
    static QStringList Families;
    static bool Done = false;
    if (Done) return Families;
    Done = true;
    for (const char* File : {"tahoma.ttf", "tahomabd.ttf", "small_fonts.ttf"}) {
        for (const QString& Folder : FontFolders()) {
            const QString Path = QDir(Folder).filePath(QString::fromLatin1(File));
            if (!QFileInfo::exists(Path)) continue;
            const int Id = QFontDatabase::addApplicationFont(Path);
            if (Id >= 0)
                for (const QString& Family : QFontDatabase::applicationFontFamilies(Id))
                    if (!Families.contains(Family)) Families << Family;
            break;
        }
    }
    return Families;
}

int PointsToPixels(int Points) { return MulDiv(Points, ScreenPixelsPerInch, 72); }

QFont MakeFont(const QString& Family, int Points, bool Bold) {
    QFont Font(Family);
    Font.setPixelSize(PointsToPixels(Points));
    Font.setBold(Bold);
    Font.setStyleStrategy(QFont::PreferMatch);
    return Font;
}

QFont DefaultFont() { return MakeFont(QStringLiteral("Tahoma"), 8); }

}  // namespace platform::ui
