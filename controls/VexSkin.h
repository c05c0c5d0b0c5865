#pragma once
// The skin container: named sets of bitmaps that skinned controls paint as
// their face. Button items hold one image per visual state, single items one
// image. Drawing picks the image (with a fallback to a neighbouring state),
// widens and heightens it by repeating one column and one row, and draws it
// with its bottom-left colour transparent when asked.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"

namespace controls {

using platform::ui::TCanvas;

// The visual state to paint; the order is the index of the button images.
enum TDrawSkinAttr { dsaChecked, dsaDisabled, dsaDown, dsaFocus, dsaHot, dsaHotDown, dsaUp };
inline constexpr int DrawSkinAttrCount = 7;
enum TSkinItemKind { sikSingle = 0, sikButton = 1 };
using TSkinName = QString;

class TVexSkin;

// Which column (X) and row (Y) of an image are repeated when it is made
// wider or taller; -1 leaves that axis unstretched.
class TImageRepeat {
public:
    explicit TImageRepeat(TVexSkin* Skin = nullptr) : FSkin(Skin) {}
    int X() const { return FX; }
    void SetX(int Value);
    int Y() const { return FY; }
    void SetY(int Value);
    // Copies X and Y without telling the controls.
    void Assign(const TImageRepeat& Source);
    TVexSkin* Skin() const { return FSkin; }

private:
    friend class TSkinItem;
    TVexSkin* FSkin;
    int FX = -1;
    int FY = -1;
};

// What both kinds of item share: the name, the repeat settings and the transparency.
class TSkinItem {
public:
    explicit TSkinItem(TVexSkin* Skin) : FSkin(Skin), FImageRepeat(Skin) {}
    virtual ~TSkinItem() = default;
    TSkinItem(const TSkinItem&) = delete;
    TSkinItem& operator=(const TSkinItem&) = delete;

    QString Name() const { return FName; }
    void SetName(const QString& Value);
    // Name, or the kind's name when Name is empty.
    virtual QString DisplayName() const = 0;
    TImageRepeat& ImageRepeat() { return FImageRepeat; }
    const TImageRepeat& ImageRepeat() const { return FImageRepeat; }
    void SetImageRepeat(const TImageRepeat& Value) { FImageRepeat.Assign(Value); }
    bool Transparency() const { return FTransparency; }
    void SetTransparency(bool Value);

protected:
    void Changed() const;
    void AssignCommon(const TSkinItem& Source);

private:
    template <class TItem>
    friend class TSkinItems;
    void AttachToSkin(TVexSkin* Skin);

    TVexSkin* FSkin;
    QString FName;
    TImageRepeat FImageRepeat;
    bool FTransparency = false;
};

class TButtonItem : public TSkinItem {
public:
    using TSkinItem::TSkinItem;
    QString DisplayName() const override;

    const QImage& Image(TDrawSkinAttr State) const { return FImages[State]; }
    // Copies the bitmap and repaints the linked controls, also for an equal image.
    void SetImage(TDrawSkinAttr State, const QImage& Value);
    void Assign(const TButtonItem& Source);

private:
    std::array<QImage, DrawSkinAttrCount> FImages;
};

class TSingleItem : public TSkinItem {
public:
    using TSkinItem::TSkinItem;
    QString DisplayName() const override;

    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& Value);
    void Assign(const TSingleItem& Source);

private:
    QImage FBitmap;
};

// An ordered, owned collection of items of one kind.
template <class TItem>
class TSkinItems {
public:
    explicit TSkinItems(TVexSkin* Skin) : FSkin(Skin) {}

    int Count() const { return static_cast<int>(FItems.size()); }
    TItem* Items(int Index) const;
    TItem* Add();
    void Delete(int Index);
    void Clear();
    // The first item whose name equals Name, ignoring letter case; null when none.
    TItem* FindItem(const QString& Name) const;
    // Replaces the items with copies of Source's.
    void Assign(const TSkinItems& Source);

private:
    void Update() const;

    TVexSkin* FSkin;
    std::vector<std::unique_ptr<TItem>> FItems;
};

using TButtonItems = TSkinItems<TButtonItem>;
using TSingleItems = TSkinItems<TSingleItem>;

class TVexSkin : public QObject {
    Q_OBJECT
public:
    explicit TVexSkin(QObject* AOwner = nullptr);
    // Frees the items; linked controls hear of it through their own removal notification.
    ~TVexSkin() override;

    TButtonItems& Buttons() { return FButtons; }
    const TButtonItems& Buttons() const { return FButtons; }
    void SetButtons(const TButtonItems& Value) { FButtons.Assign(Value); }
    TSingleItems& Singles() { return FSingles; }
    const TSingleItems& Singles() const { return FSingles; }
    void SetSingles(const TSingleItems& Value) { FSingles.Assign(Value); }

    // Paints the named item in state Attr from the canvas origin, widened
    // and heightened to Rect's size; paints nothing when there is nothing to paint.
    void DrawSkin(TCanvas& Canvas, const QRect& Rect, TDrawSkinAttr Attr, TSkinItemKind Kind, const QString& Name) const;

    // Controls that repaint when the skin changes; a destroyed control leaves the list.
    void RegisterControl(QWidget* Control);
    void UnregisterControl(QWidget* Control);
    bool IsRegistered(const QWidget* Control) const;
    int LinkedControlCount() const;
    // Repaints every linked control at once, in list order.
    void NotifyControls();

private:
    TButtonItems FButtons;
    TSingleItems FSingles;
    std::vector<QPointer<QWidget>> FLinked;
    platform::ui::TFreeNotifier FNotifier;
};

// A control's link to a skin of its own: the control is registered to be
// repainted when the skin changes, and the link forgets a skin that is freed
// (repainting the control) without calling into it.
class TSkinLink {
public:
    explicit TSkinLink(QWidget* Control);
    ~TSkinLink();
    TSkinLink(const TSkinLink&) = delete;
    TSkinLink& operator=(const TSkinLink&) = delete;

    TVexSkin* Skin() const { return FSkin; }
    void SetSkin(TVexSkin* Value);

private:
    QWidget* FControl;
    TVexSkin* FSkin = nullptr;
    platform::ui::TFreeNotifier FNotifier;
};

// The process-wide built-in skin with the items "button", "check" and
// "radio", made on first use (InitDefaultSkin makes it at start-up). A
// missing built-in image raises "Resource %s not found".
TVexSkin* DefaultSkin();
void InitDefaultSkin();
void FreeDefaultSkin();

}  // namespace controls
