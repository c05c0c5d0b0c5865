#include "platform/ui/Menus.h"

#include <algorithm>

#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QFontMetrics>
#include <QKeyEvent>
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

class TOwnerDrawnEntry;

// Which owner-drawn entry of a menu is highlighted, and what choosing one does.
class TEntrySelection {
public:
    virtual ~TEntrySelection() = default;
    virtual bool IsCurrent(const TOwnerDrawnEntry& Entry) const = 0;
    virtual void Hover(TOwnerDrawnEntry& Entry) = 0;
    // Closes the menu and runs the entry's item.
    virtual void Choose(TOwnerDrawnEntry& Entry) = 0;
};

// One owner-drawn entry: measured and painted by its item's handlers, highlighted as its selection says.
class TOwnerDrawnEntry : public QWidget {
public:
    TOwnerDrawnEntry(TMenuItem* Item, QMenu* Menu, TEntrySelection& Selection)
        : QWidget(Menu), FItem(Item), FMenu(Menu), FSelection(Selection) {
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
        // The keys move the highlight without the mouse: every entry looks again.
        QObject::connect(Menu, &QMenu::hovered, this, [this] { update(); });
    }

    QSize sizeHint() const override { return FSize; }
    TMenuItem* Item() const { return FItem; }
    // An entry the keys can land on: enabled and not a separator.
    bool Selectable() const { return FItem->Enabled() && !FItem->IsLine(); }

protected:
    void paintEvent(QPaintEvent*) override {
        RunGuarded([this] { PaintEntry(); });
    }

    void PaintEntry() {
        TCanvas Canvas(this);
        Canvas.SetFont(TFont(FMenu->font()));
        const bool Selected = FSelection.IsCurrent(*this) && isEnabled();
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
        if (Selectable()) FSelection.Choose(*this);
    }

    void enterEvent(QEnterEvent*) override {
        if (Selectable()) FSelection.Hover(*this);
        update();
    }
    void leaveEvent(QEvent*) override { update(); }

private:
    TMenuItem* FItem;
    QMenu* FMenu;
    TEntrySelection& FSelection;
    QSize FSize;
};

// An entry that is an action of its menu: the menu's own keys move to it, and Enter or its accelerator triggers it.
class TEntryAction : public QWidgetAction, public TEntrySelection {
public:
    TEntryAction(TMenuItem* Item, QMenu* Menu) : QWidgetAction(Menu), FMenu(Menu) {
        setText(Item->Caption());
        setEnabled(Item->Enabled() && !Item->IsLine());
        setDefaultWidget(new TOwnerDrawnEntry(Item, Menu, *this));
        QObject::connect(this, &QAction::triggered, Item, [Item] { RunGuarded([Item] { Item->Click(); }); });
    }

    bool IsCurrent(const TOwnerDrawnEntry&) const override { return FMenu->activeAction() == this; }
    void Hover(TOwnerDrawnEntry&) override { FMenu->setActiveAction(this); }
    // The keys reach triggered through the menu, which has closed itself by then.
    void Choose(TOwnerDrawnEntry&) override {
        FMenu->close();
        trigger();
    }

private:
    QMenu* FMenu;
};

// Entries in columns, all shown by one action of the menu: they follow the menu's keys themselves. Up and Down go
// through the entries in order, Left and Right to the neighbouring column, Enter or an accelerator chooses.
class TEntryColumns : public QWidget, public TEntrySelection {
public:
    explicit TEntryColumns(QMenu* Menu) : QWidget(Menu), FMenu(Menu) { Menu->installEventFilter(this); }

    void Add(TOwnerDrawnEntry* Entry, bool NewColumn) {
        if (NewColumn || FColumns.empty()) FColumns.emplace_back();
        FColumns.back().push_back(Entry);
        FOrder.push_back(Entry);
    }

    bool IsCurrent(const TOwnerDrawnEntry& Entry) const override { return FCurrent == &Entry; }
    void Hover(TOwnerDrawnEntry& Entry) override { SetCurrent(&Entry); }
    void Choose(TOwnerDrawnEntry& Entry) override {
        FMenu->close();
        RunGuarded([&Entry] { Entry.Item()->Click(); });
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched != FMenu || Event->type() != QEvent::KeyPress) return false;
        return KeyPress(*static_cast<QKeyEvent*>(Event));
    }

private:
    bool KeyPress(const QKeyEvent& Key) {
        switch (Key.key()) {
        case Qt::Key_Down: SetCurrent(Step(+1)); return true;
        case Qt::Key_Up: SetCurrent(Step(-1)); return true;
        case Qt::Key_Right: SetCurrent(Beside(+1)); return true;
        case Qt::Key_Left: SetCurrent(Beside(-1)); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (FCurrent) Choose(*FCurrent);
            return true;
        default: return Key.text().size() == 1 && Accelerator(Key.text().at(0).toUpper());
        }
    }

    int IndexOf(const TOwnerDrawnEntry* Entry) const {
        const auto Found = std::find(FOrder.begin(), FOrder.end(), Entry);
        return Found == FOrder.end() ? -1 : static_cast<int>(Found - FOrder.begin());
    }

    // The next selectable entry from the current one in Direction, round the end; nullptr when none.
    TOwnerDrawnEntry* Step(int Direction, TOwnerDrawnEntry* From = nullptr) const {
        const int Count = static_cast<int>(FOrder.size());
        int Index = IndexOf(From ? From : FCurrent.data());
        if (Index < 0) Index = Direction > 0 ? -1 : Count;
        for (int I = 0; I < Count; ++I) {
            Index = (Index + Direction + Count) % Count;
            if (FOrder[Index]->Selectable()) return FOrder[Index];
        }
        return nullptr;
    }

    // The selectable entry of the neighbouring column nearest to the current one's row.
    TOwnerDrawnEntry* Beside(int Direction) const {
        if (!FCurrent) return Step(+1);
        const int Columns = static_cast<int>(FColumns.size());
        int Column = 0, Row = 0;
        for (int C = 0; C < Columns; ++C)
            for (int R = 0; R < static_cast<int>(FColumns[C].size()); ++R)
                if (FColumns[C][R] == FCurrent.data()) Column = C, Row = R;
        const std::vector<TOwnerDrawnEntry*>& Target = FColumns[(Column + Direction + Columns) % Columns];
        const int Size = static_cast<int>(Target.size());
        for (int Distance = 0; Distance < Size; ++Distance)
            for (const int R : {Row - Distance, Row + Distance})
                if (R >= 0 && R < Size && Target[R]->Selectable()) return Target[R];
        return FCurrent;
    }

    // One entry with the accelerator is chosen; among several the highlight moves to the next one.
    bool Accelerator(QChar Letter) {
        std::vector<TOwnerDrawnEntry*> Matches;
        for (TOwnerDrawnEntry* Entry : FOrder)
            if (Entry->Selectable() && AcceleratorChar(Entry->Item()->Caption()).toUpper() == Letter)
                Matches.push_back(Entry);
        if (Matches.empty()) return false;
        if (Matches.size() == 1) {
            Choose(*Matches.front());
            return true;
        }
        const auto Current = std::find(Matches.begin(), Matches.end(), FCurrent.data());
        SetCurrent(Current == Matches.end() || Current + 1 == Matches.end() ? Matches.front() : *(Current + 1));
        return true;
    }

    void SetCurrent(TOwnerDrawnEntry* Entry) {
        FCurrent = Entry;
        for (TOwnerDrawnEntry* Each : FOrder) Each->update();
    }

    QMenu* FMenu;
    std::vector<std::vector<TOwnerDrawnEntry*>> FColumns;
    std::vector<TOwnerDrawnEntry*> FOrder;
    QPointer<TOwnerDrawnEntry> FCurrent;
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
    auto* Columns = new TEntryColumns(&Menu);
    auto* Row = new QHBoxLayout(Columns);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);
    QVBoxLayout* Column = nullptr;
    for (TMenuItem* Item : Items) {
        const bool NewColumn = !Column || Item->Break() != mbNone;
        if (NewColumn) {
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
        auto* Entry = new TOwnerDrawnEntry(Item, &Menu, *Columns);
        Columns->Add(Entry, NewColumn);
        Column->addWidget(Entry);
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
            Menu.addAction(new TEntryAction(Item, &Menu));
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
