// Draws the built-in skins in every state at their natural size and
// stretched, as a picture for people to look at. With VEX_GALLERY_OUT set
// the picture is written there (docs/skins.png is made this way).
#include <gtest/gtest.h>

#include "controls/VexSkin.h"
#include "platform/ui/Fonts.h"

using namespace controls;
using namespace platform::ui;

namespace {

const int LabelWidth = 60, HeaderHeight = 20, CellWidth = 100, RowGap = 6, Zoom = 2;
const QSize Stretched(90, 30);
const QColor Face(236, 233, 216);
const char* const StateNames[DrawSkinAttrCount] = {"Checked", "Disabled", "Down", "Focus", "Hot", "HotDown", "Up"};
const char* const Items[] = {"button", "check", "radio"};

// The natural size of an item: its Up image.
QSize NaturalSize(const QString& Item) { return DefaultSkin()->Buttons().FindItem(Item)->Image(dsaUp).size(); }

int RowHeight(const QString& Item) { return NaturalSize(Item).height() + Stretched.height() + 3 * RowGap; }

struct TCell {
    QPoint Origin;
    QSize Size;
};

void DrawCell(TCanvas& Canvas, const TCell& Cell, TDrawSkinAttr State, const QString& Item) {
    Canvas.Painter().save();
    Canvas.Painter().translate(Cell.Origin);
    DefaultSkin()->DrawSkin(Canvas, QRect(QPoint(0, 0), Cell.Size), State, sikButton, Item);
    Canvas.Painter().restore();
}

void DrawLabel(TCanvas& Canvas, const QRect& Where, const QString& Text) {
    QRect R = Where;
    Canvas.Brush().Style = TBrushStyle::bsClear;
    Canvas.DrawText(Text, R, DT_SINGLELINE | DT_VCENTER);
}

struct TGallery {
    QImage Image;
    std::vector<std::tuple<TCell, TDrawSkinAttr, QString>> Cells;
};

TGallery DrawGallery() {
    RegisterFonts();
    int Height = HeaderHeight;
    for (const char* Item : Items) Height += RowHeight(Item);
    TGallery G;
    G.Image = QImage(LabelWidth + DrawSkinAttrCount * CellWidth, Height, QImage::Format_RGB32);
    G.Image.fill(Face);
    TCanvas Canvas(&G.Image);
    Canvas.SetFont(TFont(DefaultFont(), Qt::black));
    for (int State = 0; State < DrawSkinAttrCount; ++State)
        DrawLabel(Canvas, QRect(LabelWidth + State * CellWidth, 0, CellWidth, HeaderHeight), StateNames[State]);
    int Top = HeaderHeight;
    for (const char* Item : Items) {
        DrawLabel(Canvas, QRect(4, Top, LabelWidth, RowHeight(Item)), Item);
        for (int State = 0; State < DrawSkinAttrCount; ++State) {
            const int Left = LabelWidth + State * CellWidth;
            const TCell Natural{QPoint(Left, Top + RowGap), NaturalSize(Item)};
            const TCell Wide{QPoint(Left, Top + 2 * RowGap + NaturalSize(Item).height()), Stretched};
            for (const TCell& Cell : {Natural, Wide}) {
                DrawCell(Canvas, Cell, static_cast<TDrawSkinAttr>(State), Item);
                G.Cells.emplace_back(Cell, static_cast<TDrawSkinAttr>(State), Item);
            }
        }
        Top += RowHeight(Item);
    }
    Canvas.Painter().end();
    return G;
}

}  // namespace

TEST(SkinGallery, EveryStateOfEveryBuiltInSkinIsDrawn) {
    const TGallery G = DrawGallery();
    ASSERT_EQ(G.Cells.size(), 3u * DrawSkinAttrCount * 2);
    for (const auto& [Cell, State, Item] : G.Cells) {
        const QImage Face = G.Image.copy(QRect(Cell.Origin, NaturalSize(Item)));
        // The key colour of the corners shows the background; the middle is the skin.
        EXPECT_EQ(Face.pixelColor(0, 0), ::Face) << qPrintable(Item) << " " << State;
        EXPECT_NE(Face.pixelColor(Face.width() / 2, Face.height() / 2), ::Face) << qPrintable(Item) << " " << State;
    }
    // A stretched button reaches the far corner of its cell.
    const auto& [Wide, State, Item] = G.Cells[1];
    ASSERT_EQ(Item, "button");
    EXPECT_EQ(G.Image.pixelColor(Wide.Origin + QPoint(Stretched.width() - 1, Stretched.height() - 1)), ::Face);
    EXPECT_NE(G.Image.pixelColor(Wide.Origin + QPoint(Stretched.width() - 2, Stretched.height() - 2)), ::Face);

    const QString Out = qEnvironmentVariable("VEX_GALLERY_OUT");
    if (!Out.isEmpty()) {
        const QImage Large = G.Image.scaled(G.Image.size() * Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_TRUE(Large.save(Out, "PNG"));
    }
}
