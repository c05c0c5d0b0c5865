#pragma once
// A page control that draws its own rounded tabs and a thin frame instead of
// the system's three-dimensional ones.
#include <QColor>

#include "platform/ui/ComCtrls.h"

namespace controls {

inline const QColor PageFrameColor{145, 155, 156};
inline const QColor TabFaceColor{252, 252, 254};
inline const QColor TabHotLine1{249, 169, 0};
inline const QColor TabHotLine2{249, 177, 25};
inline const QColor TabHotLine3{246, 196, 86};
inline const QColor TabShadeTo{236, 235, 230};
inline const QColor TabEdgeFrom{246, 244, 242};
inline const QColor TabEdgeTo{224, 221, 212};

class TVexPageControl : public platform::ui::TPageControl {
    Q_OBJECT
public:
    explicit TVexPageControl(QWidget* AParent = nullptr);

    // Without the border only the frame's top line is drawn and the pages
    // reach one pixel further to the sides and the bottom.
    bool DrawBorder() const { return FDrawBorder; }
    void SetDrawBorder(bool Value);
    QColor Color() const { return FColor; }
    void SetColor(QColor Value);

protected:
    QRect PageRect() const override;
    void PaintControl(platform::ui::TCanvas& Canvas) override;

private:
    void DrawTab(platform::ui::TCanvas& Canvas, int Index, bool Selected);

    bool FDrawBorder = true;
    QColor FColor;
};

}  // namespace controls
