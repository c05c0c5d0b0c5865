#pragma once
// Popup menus: a tree of items with captions, check marks, shortcuts and
// actions, shown at a point of the screen. An owner-drawn menu lets its
// items measure and paint themselves on a canvas.
#include <QKeySequence>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/ui/ActnList.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"

namespace platform::ui {

class TPopupMenu;

// Where an item starts a new column of its menu; with a bar the columns are divided by a line.
enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

class TMenuItem : public QObject {
    Q_OBJECT
public:
    explicit TMenuItem(QObject* AOwner = nullptr);
    ~TMenuItem() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    QKeySequence ShortCut() const { return FShortCut; }
    void SetShortCut(const QKeySequence& Value) { FShortCut = Value; }
    // The shortcut as the menu shows it ("Ctrl+S"); empty without one.
    QString ShortCutText() const { return FShortCut.toString(QKeySequence::PortableText); }
    // The item's own picture, preferred to its image index; a null image when none.
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& Value) { FBitmap = Value; }
    // The default item of a menu shows its caption in bold.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value) { FDefault = Value; }
    // Pictures for the item's sub-menu, instead of those of its menu.
    TImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TImageList* Value) { FSubMenuImages = Value; }
    // The popup menu the item belongs to, or nullptr.
    TPopupMenu* GetParentMenu() const;
    TAction* Action() const;
    void SetAction(TAction* Value);
    // Honoured by owner-drawn menus without sub-menus: their entries are laid out in columns.
    TMenuBreak Break() const { return FBreak; }
    void SetBreak(TMenuBreak Value) { FBreak = Value; }
    // A caption of "-" makes the item a separator.
    bool IsLine() const { return FCaption == QStringLiteral("-"); }

    int Count() const { return static_cast<int>(Children().size()); }
    TMenuItem* Items(int Index) const;
    TMenuItem* Add(const QString& Caption);
    QList<TMenuItem*> Children() const { return findChildren<TMenuItem*>(QString(), Qt::FindDirectChildrenOnly); }

    // The action's execution, or else OnClick.
    void Click();

    std::function<void(QObject* Sender)> OnClick;
    std::function<void(TMenuItem* Sender, TCanvas& Canvas, int& Width, int& Height)> OnMeasureItem;
    std::function<void(TMenuItem* Sender, TCanvas& Canvas, const QRect& Rect, bool Selected)> OnDrawItem;

private:
    class TLink;
    QString FCaption;
    QString FHint;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    int FImageIndex = -1;
    TMenuBreak FBreak = mbNone;
    QKeySequence FShortCut;
    QImage FBitmap;
    QPointer<TImageList> FSubMenuImages;
    std::unique_ptr<TLink> FLink;
};

class TPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* AOwner = nullptr);

    TMenuItem* Items() const { return FItems; }
    // Owner-drawn items, separators included, measure and paint themselves.
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool Value) { FOwnerDraw = Value; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value) { FImages = Value; }

    // Builds the menu from the items as they are now and shows it at the
    // screen point; returns when it closes.
    void Popup(int X, int Y);
    // The menu Popup would show, owned by the caller.
    std::unique_ptr<QMenu> BuildMenu() const;

    std::function<void(QObject* Sender)> OnPopup;

private:
    void AddItems(QMenu& Menu, const TMenuItem& Parent) const;
    // Owner-drawn entries in columns, started by items with a break.
    void AddColumns(QMenu& Menu, const QList<TMenuItem*>& Items) const;

    TMenuItem* FItems;
    QPointer<TImageList> FImages;
    bool FOwnerDraw = false;
};

}  // namespace platform::ui
