#include "platform/ui/Menus.h"

#include <algorithm>

#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidgetAction>

#include "platform/ui/Messages.h"

namespace platform::ui {

class TMenuItem::TLink : public TActionLink {
public:
    explicit TLink(TMenuItem* Item) : FItem(Item) {}
    void CaptionChanged(const QString& Value) override { FItem->FCaption = Value; }
    void CheckedChanged(bool Value) override { FItem->FChecked = Value; }
    void EnabledChanged(bool Value) override { FItem->FEnabled = Value; }
    void HintChanged(const QString& Value) override { FItem->FHint = Value; }
    void ImageIndexChanged(int Value) override { FItem->FImageIndex = Value; }
    void VisibleChanged(bool Value) override { FItem->FVisible = Value; }

private:
    TMenuItem* FItem;
};

namespace {

// One owner-drawn entry: measured and painted by its item's handlers.
class TOwnerDrawnEntry : public QWidget {
public:
    TOwnerDrawnEntry(TMenuItem* Item, QMenu* Menu) : QWidget(Menu), FItem(Item), FMenu(Menu) {
        setMouseTracking(true);
        setAttribute(Qt::WA_Hover);
        setEnabled(Item->Enabled());
        QImage Scratch(1, 1, QImage::Format_RGB32);
        TCanvas Canvas(&Scratch);
        Canvas.SetFont(TFont(Menu->font()));
        int Width = Canvas.TextWidth(StripAccelerator(Item->Caption()).Text) + 24;
        int Height = Canvas.TextHeight(Item->Caption()) + 6;
        if (Item->OnMeasureItem) Item->OnMeasureItem(Item, Canvas, Width, Height);
        FSize = QSize(Width, Height);
    }

    QSize sizeHint() const override { return FSize; }

protected:
    void paintEvent(QPaintEvent*) override {
        RunGuarded([this] { PaintEntry(); });
    }

    void PaintEntry() {
        TCanvas Canvas(this);
        Canvas.SetFont(TFont(FMenu->font()));
        const bool Selected = underMouse() && isEnabled();
        if (FItem->OnDrawItem) {
            FItem->OnDrawItem(FItem, Canvas, rect(), Selected);
            return;
        }
        Canvas.Brush().Color = SysColor(Selected ? TSysColor::clHighlight : TSysColor::clWindow);
        Canvas.FillRect(rect());
        Canvas.Font().SetColor(SysColor(Selected ? TSysColor::clHighlightText : TSysColor::clWindowText));
        QRect Text = rect().adjusted(20, 0, 0, 0);
        Canvas.DrawText(FItem->Caption(), Text, DT_SINGLELINE | DT_VCENTER);
    }

    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() != Qt::LeftButton || !rect().contains(Event->position().toPoint())) return;
        if (FItem->IsLine()) return;
        FMenu->close();
        RunGuarded([this] { FItem->Click(); });
    }

    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    TMenuItem* FItem;
    QMenu* FMenu;
    QSize FSize;
};

}  // namespace

TMenuItem::TMenuItem(QObject* AOwner) : QObject(AOwner), FLink(std::make_unique<TLink>(this)) {}

TMenuItem::~TMenuItem() = default;

TAction* TMenuItem::Action() const { return FLink->Action(); }

void TMenuItem::SetAction(TAction* Value) { FLink->SetAction(Value); }

TMenuItem* TMenuItem::Items(int Index) const {
    const QList<TMenuItem*> List = Children();
    if (Index < 0 || Index >= List.size()) throw platform::os::EListError::IndexOutOfBounds(Index);
    return List[Index];
}

TMenuItem* TMenuItem::Add(const QString& Caption) {
    auto* Item = new TMenuItem(this);
    Item->SetCaption(Caption);
    return Item;
}

TPopupMenu* TMenuItem::GetParentMenu() const {
    for (QObject* Owner = parent(); Owner; Owner = Owner->parent())
        if (auto* Menu = qobject_cast<TPopupMenu*>(Owner)) return Menu;
    return nullptr;
}

void TMenuItem::Click() {
    if (TAction* Linked = Action()) Linked->Execute();
    else if (OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(QObject* AOwner) : QObject(AOwner), FItems(new TMenuItem(this)) {}

void TPopupMenu::AddColumns(QMenu& Menu, const QList<TMenuItem*>& Items) const {
    auto* Columns = new QWidget(&Menu);
    auto* Row = new QHBoxLayout(Columns);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);
    QVBoxLayout* Column = nullptr;
    for (TMenuItem* Item : Items) {
        if (!Column || Item->Break() != mbNone) {
            if (Column && Item->Break() == mbBarBreak) {
                auto* Bar = new QFrame(Columns);
                Bar->setFrameShape(QFrame::VLine);
                Bar->setFrameShadow(QFrame::Sunken);
                Row->addWidget(Bar);
            }
            Column = new QVBoxLayout;
            Column->setSpacing(0);
            Row->addLayout(Column);
        }
        Column->addWidget(new TOwnerDrawnEntry(Item, &Menu));
    }
    for (int I = 0; I < Row->count(); ++I)
        if (auto* Layout = qobject_cast<QVBoxLayout*>(Row->itemAt(I)->layout())) Layout->addStretch();
    auto* Entry = new QWidgetAction(&Menu);
    Entry->setDefaultWidget(Columns);
    Menu.addAction(Entry);
}

void TPopupMenu::AddItems(QMenu& Menu, const TMenuItem& Parent) const {
    QList<TMenuItem*> Shown;
    for (TMenuItem* Item : Parent.Children()) {
        if (Item->Action()) Item->Action()->Update();
        if (Item->Visible()) Shown << Item;
    }
    const bool Broken = std::any_of(Shown.begin(), Shown.end(), [](TMenuItem* I) { return I->Break() != mbNone; });
    const bool Nested = std::any_of(Shown.begin(), Shown.end(), [](TMenuItem* I) { return I->Count() > 0; });
    if (FOwnerDraw && Broken && !Nested) return AddColumns(Menu, Shown);
    for (TMenuItem* Item : Shown) {
        if (Item->IsLine() && !FOwnerDraw) {
            Menu.addSeparator();
        } else if (Item->Count() > 0) {
            QMenu* Sub = Menu.addMenu(Item->Caption());
            Sub->setEnabled(Item->Enabled());
            AddItems(*Sub, *Item);
        } else if (FOwnerDraw) {
            auto* Entry = new QWidgetAction(&Menu);
            Entry->setDefaultWidget(new TOwnerDrawnEntry(Item, &Menu));
            Entry->setEnabled(Item->Enabled());
            Menu.addAction(Entry);
        } else {
            QAction* Entry = Menu.addAction(Item->Caption());
            Entry->setEnabled(Item->Enabled());
            Entry->setCheckable(Item->Checked());
            Entry->setChecked(Item->Checked());
            Entry->setShortcut(Item->ShortCut());
            Entry->setToolTip(Item->Hint());
            if (FImages && Item->ImageIndex() >= 0)
                Entry->setIcon(QPixmap::fromImage(FImages->GetBitmap(Item->ImageIndex(), SysColor(TSysColor::clWindow))));
            QObject::connect(Entry, &QAction::triggered, Item, [Item] { RunGuarded([Item] { Item->Click(); }); });
        }
    }
}

std::unique_ptr<QMenu> TPopupMenu::BuildMenu() const {
    auto Menu = std::make_unique<QMenu>();
    AddItems(*Menu, *FItems);
    return Menu;
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    std::unique_ptr<QMenu> Menu = BuildMenu();
    Menu->exec(QPoint(X, Y));
}

}  // namespace platform::ui
