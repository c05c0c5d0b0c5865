#pragma once
// A panel with the flat look of the skinned buttons: a gradient background,
// an optional skin image, an optional image-list picture beside its caption,
// and mouse enter and leave events.
#include <QPointer>
#include <functional>

#include "controls/VexPaint.h"
#include "controls/VexSkin.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"

namespace controls {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// A three-dimensional frame Width pixels wide drawn inside R, which shrinks
// by it: TopColor on the top and left, BottomColor on the bottom and right.
void Frame3D(TCanvas& Canvas, QRect& R, QColor TopColor, QColor BottomColor, int Width);

class TVexPanel : public platform::ui::TCustomControl {
    Q_OBJECT
public:
    explicit TVexPanel(QWidget* AOwner = nullptr);

    // What every panel has.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel Value);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);

    QColor ColorTo() const { return FColorTo; }
    void SetColorTo(QColor Value);
    TGradDirection Direction() const { return FDirection; }
    void SetDirection(TGradDirection Value);
    bool DrawGrad() const { return FDrawGrad; }
    void SetDrawGrad(bool Value);
    bool ColorFill() const { return FColorFill; }
    void SetColorFill(bool Value);
    platform::ui::TImageList* Images() const { return FImages; }
    void SetImages(platform::ui::TImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    // No default skin: without one no skin image is drawn.
    TVexSkin* Skin() const { return FSkinLink.Skin(); }
    void SetSkin(TVexSkin* Value);
    TSkinName SkinName() const { return FSkinName; }
    void SetSkinName(const TSkinName& Value);

    std::function<void(QObject* Sender)> OnMouseEnter;
    std::function<void(QObject* Sender)> OnMouseLeave;

protected:
    void Paint() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    // Draws the picture beside the caption and narrows R to the caption's room.
    void DrawPicture(QRect& R);

    TAlignment FAlignment = taCenter;
    TPanelBevel FBevelInner = bvNone;
    TPanelBevel FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    QColor FColorTo{236, 233, 216};
    TGradDirection FDirection = gdHorizontal;
    bool FDrawGrad = true;
    bool FColorFill = true;
    QPointer<platform::ui::TImageList> FImages;
    int FImageIndex = -1;
    int FIndent = 1;
    TTextLayout FLayout = tlCenter;
    int FSpacing = 2;
    TSkinLink FSkinLink;
    TSkinName FSkinName;
};

}  // namespace controls
