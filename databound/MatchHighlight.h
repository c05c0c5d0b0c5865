#pragma once
// Drawing a cell of the search combo: the text on the highlight or window
// colours, then every occurrence of every search word (ignoring case) drawn
// again over it, underlined, and blue unless the cell is selected.
#include <QRect>
#include <QString>
#include <QStringList>

#include "platform/ui/Graphics.h"

namespace databound {

inline const QColor kMatchColor{0, 0, 255};

// Positions of every occurrence of every word in Text, as (start, length), in the order found.
QList<std::pair<int, int>> FindMatches(const QString& Text, const QStringList& Words);

// Fills Cell and draws Text single-line, vertically centred and without prefix processing inside Cell shrunk by 1.
void DrawMatchedCell(platform::ui::TCanvas& Canvas, const QRect& Cell, const QString& Text, const QStringList& Words,
                     bool Selected);

}  // namespace databound
