#include "databound/MatchHighlight.h"

namespace databound {

using namespace platform::ui;

QList<std::pair<int, int>> FindMatches(const QString& Text, const QStringList& Words) {
    QList<std::pair<int, int>> Matches;
    for (const QString& Word : Words) {
        if (Word.isEmpty()) continue;
        for (qsizetype At = Text.indexOf(Word, 0, Qt::CaseInsensitive); At >= 0;
             At = Text.indexOf(Word, At + Word.size(), Qt::CaseInsensitive))
            Matches.append({int(At), int(Word.size())});
    }
    return Matches;
}

void DrawMatchedCell(TCanvas& Canvas, const QRect& Cell, const QString& Text, const QStringList& Words,
                     bool Selected) {
    const unsigned Flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    Canvas.Brush().Style = TBrushStyle::bsSolid;
    Canvas.Brush().Color = SysColor(Selected ? TSysColor::clHighlight : TSysColor::clWindow);
    Canvas.Font().SetColor(SysColor(Selected ? TSysColor::clHighlightText : TSysColor::clWindowText));
    Canvas.FillRect(Cell);
    const QRect Inner = Cell.adjusted(1, 1, -1, -1);
    QRect R = Inner;
    Canvas.DrawText(Text, R, Flags);
    const auto Matches = FindMatches(Text, Words);
    if (Matches.isEmpty()) return;
    const TFont Plain = Canvas.Font();
    TFont Marked = Plain;
    Marked.setUnderline(true);
    if (!Selected) Marked.SetColor(kMatchColor);
    Canvas.Brush().Style = TBrushStyle::bsClear;
    for (const auto& [Start, Length] : Matches) {
        Canvas.SetFont(Plain);
        const int Offset = Canvas.TextWidth(Text.left(Start));
        Canvas.SetFont(Marked);
        QRect Part = Inner.adjusted(Offset, 0, 0, 0);
        if (Part.width() > 0) Canvas.DrawText(Text.mid(Start, Length), Part, Flags);
    }
    Canvas.SetFont(Plain);
    Canvas.Brush().Style = TBrushStyle::bsSolid;
}

}  // namespace databound
