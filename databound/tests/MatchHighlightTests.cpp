#include <gtest/gtest.h>

#include "databound/MatchHighlight.h"
#include "platform/ui/Fonts.h"

using namespace databound;
using namespace platform::ui;

namespace {

TEST(MatchHighlight, EveryOccurrenceOfEveryWordIsFoundIgnoringCase) {
    using TMatches = QList<std::pair<int, int>>;
    EXPECT_EQ(FindMatches("Ana Silva e ANA sILVEIRA", {"ana", "sil"}), TMatches({{0, 3}, {12, 3}, {4, 3}, {16, 3}}));
    EXPECT_EQ(FindMatches("Ação", {"AÇ"}), TMatches({{0, 2}}));
    EXPECT_TRUE(FindMatches("Ana", {"", "x"}).isEmpty());
}

struct TDrawnCell {
    QImage Image{200, 18, QImage::Format_RGB32};
    QRect Cell{0, 0, 200, 18};
    int MatchLeft = 0, MatchRight = 0;

    TDrawnCell(const QString& Text, const QStringList& Words, bool Selected) {
        Image.fill(Qt::magenta);
        TCanvas Canvas(&Image);
        Canvas.SetFont(TFont(DefaultFont()));
        const auto Matches = FindMatches(Text, Words);
        if (!Matches.isEmpty()) {
            MatchLeft = 1 + Canvas.TextWidth(Text.left(Matches[0].first));
            MatchRight = 1 + Canvas.TextWidth(Text.left(Matches[0].first + Matches[0].second));
        }
        DrawMatchedCell(Canvas, Cell, Text, Words, Selected);
    }
    int Count(QColor Colour, int FromX, int ToX) const {
        int N = 0;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = FromX; X < ToX; ++X) N += Image.pixelColor(X, Y) == Colour ? 1 : 0;
        return N;
    }
    // The lowest row that has a pixel of Colour between the two columns; -1 when none.
    int LowestRow(QColor Colour, int FromX, int ToX) const {
        for (int Y = Image.height() - 1; Y >= 0; --Y)
            for (int X = FromX; X < ToX; ++X)
                if (Image.pixelColor(X, Y) == Colour) return Y;
        return -1;
    }
};

TEST(MatchHighlight, AMatchedWordIsUnderlinedInBlueOnlyWhereItStands) {
    const TDrawnCell Drawn("Ana Silveira", {"silv"}, false);
    ASSERT_GT(Drawn.MatchRight, Drawn.MatchLeft);
    EXPECT_EQ(Drawn.Count(Qt::magenta, 0, 200), 0);
    EXPECT_GT(Drawn.Count(kMatchColor, Drawn.MatchLeft, Drawn.MatchRight), 0);
    EXPECT_EQ(Drawn.Count(kMatchColor, 0, Drawn.MatchLeft - 1), 0);
    EXPECT_EQ(Drawn.Count(kMatchColor, Drawn.MatchRight + 1, 200), 0);
    // The underline: a blue row across the whole word, below the unmatched text's lowest ink.
    const int Underline = Drawn.LowestRow(kMatchColor, Drawn.MatchLeft, Drawn.MatchRight);
    int Across = 0;
    for (int X = Drawn.MatchLeft; X < Drawn.MatchRight; ++X) Across += Drawn.Image.pixelColor(X, Underline) == kMatchColor;
    EXPECT_GE(Across, Drawn.MatchRight - Drawn.MatchLeft - 2);
}

TEST(MatchHighlight, ASelectedCellUnderlinesInItsHighlightTextWithoutBlue) {
    const TDrawnCell Drawn("Ana Silveira", {"silv"}, true);
    const QColor Text = SysColor(TSysColor::clHighlightText);
    EXPECT_EQ(Drawn.Count(kMatchColor, 0, 200), 0);
    EXPECT_GT(Drawn.Count(SysColor(TSysColor::clHighlight), 0, 200), 0);
    const int Plain = Drawn.LowestRow(Text, 0, Drawn.MatchLeft - 1);
    const int Marked = Drawn.LowestRow(Text, Drawn.MatchLeft, Drawn.MatchRight);
    EXPECT_GT(Marked, Plain);
}

TEST(MatchHighlight, WithoutWordsNothingIsBlue) {
    const TDrawnCell Drawn("Ana Silveira", {}, false);
    EXPECT_EQ(Drawn.Count(kMatchColor, 0, 200), 0);
    EXPECT_GT(Drawn.Count(SysColor(TSysColor::clWindowText), 0, 200), 0);
}

}  // namespace
