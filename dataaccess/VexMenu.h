#pragma once
// The library's look for owner-drawn menu items: white items over a light
// grey icon gutter, a blue frame around the selected item, a framed check
// mark, Tahoma 8 pt captions; a menu item takes them as its measure and draw handlers.
#include <QRect>

#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"

namespace dataaccess {

using platform::ui::TCanvas;
using platform::ui::TMenuItem;

inline const QColor kMenuGutter{236, 233, 216};
inline const QColor kMenuSelectedFill{204, 218, 241};
inline const QColor kMenuFrame{49, 106, 197};
inline const QColor kMenuCheckedFill{229, 236, 248};
inline const QColor kMenuDisabledText{206, 206, 195};
inline constexpr int kMenuGutterWidth = 24;
inline constexpr int kMenuItemHeight = 24;
inline constexpr int kMenuSeparatorHeight = 3;
inline constexpr int kMenuCaptionIndent = 27;

// Widens the item for the gutter and its shortcut text and sets its height.
void MeasureMenuItem(TMenuItem* Item, TCanvas& Canvas, int& Width, int& Height);
void DrawMenuItem(TMenuItem* Item, TCanvas& Canvas, const QRect& Rect, bool Selected);
// Gives the item the two handlers above; returns it.
TMenuItem* OwnerDrawn(TMenuItem* Item);

}  // namespace dataaccess
