#include "platform/ui/Controls.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QVariant>
#include <algorithm>

#include "platform/ui/ActnList.h"

namespace platform::ui {

namespace {

const char* const TagProperty = "VexTag";
const char* const TabOrderProperty = "VexTabOrder";
const char* const AlignProperty = "VexAlign";
const char* const AnchorsProperty = "VexAnchors";

QPoint ClientOffset(const QWidget* Control) {
    const QWidget* Parent = Control->parentWidget();
    return (Parent && !Control->isWindow()) ? Parent->contentsRect().topLeft() : QPoint(0, 0);
}

// Keeps the aligned and anchored children of one parent in place: aligned
// children share out the client area, anchored ones keep their distances to
// the anchored edges as the parent changes size.
class TAlignLayout : public QObject {
public:
    explicit TAlignLayout(QWidget* Parent) : QObject(Parent), FParent(Parent) {
        setObjectName(ObjectName());
        Parent->installEventFilter(this);
    }

    static TAlignLayout* Find(const QWidget* Parent) {
        return dynamic_cast<TAlignLayout*>(Parent->findChild<QObject*>(ObjectName(), Qt::FindDirectChildrenOnly));
    }

    static TAlignLayout* Of(QWidget* Parent) {
        if (TAlignLayout* Existing = Find(Parent)) return Existing;
        return new TAlignLayout(Parent);
    }

    void Watch(QWidget* Child) {
        if (!FRules.count(Child)) {
            Child->installEventFilter(this);
            connect(Child, &QObject::destroyed, this, [this, Child] { FRules.erase(Child); });
        }
        Capture(Child);
    }

    void Realign() {
        if (FAdjusting) return;
        FAdjusting = true;
        ApplyAnchors();
        ApplyAlign();
        FAdjusting = false;
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        const QEvent::Type Type = Event->type();
        if (Watched == FParent) {
            if (Type == QEvent::Resize || Type == QEvent::LayoutRequest || Type == QEvent::ContentsRectChange) Realign();
        } else if (auto* Child = qobject_cast<QWidget*>(Watched); Child && FRules.count(Child)) {
            if ((Type == QEvent::Move || Type == QEvent::Resize) && !FAdjusting) {
                Capture(Child);
                if (GetAlign(Child) != TAlign::alNone) Realign();
            } else if (Type == QEvent::Show || Type == QEvent::Hide) {
                Realign();
            }
        }
        return false;
    }

private:
    static QString ObjectName() { return QStringLiteral("VexAlignLayout"); }

    struct TRule {
        QRect Bounds;
        QSize ParentSize;
    };

    void Capture(QWidget* Child) { FRules[Child] = TRule{Child->geometry(), FParent->contentsRect().size()}; }

    void ApplyAnchors() {
        const QSize Now = FParent->contentsRect().size();
        for (auto& [Child, Rule] : FRules) {
            if (GetAlign(Child) != TAlign::alNone) continue;
            const TAnchors A = GetAnchors(Child);
            QRect R = Rule.Bounds;
            const int DX = Now.width() - Rule.ParentSize.width();
            const int DY = Now.height() - Rule.ParentSize.height();
            if ((A & akLeft) && (A & akRight)) R.setWidth(std::max(0, R.width() + DX));
            else if (A & akRight) R.moveLeft(R.x() + DX);
            else if (!(A & akLeft)) R.moveLeft(R.x() + DX / 2);
            if ((A & akTop) && (A & akBottom)) R.setHeight(std::max(0, R.height() + DY));
            else if (A & akBottom) R.moveTop(R.y() + DY);
            else if (!(A & akTop)) R.moveTop(R.y() + DY / 2);
            Child->setGeometry(R);
        }
    }

    std::vector<QWidget*> Aligned(TAlign Which) const {
        std::vector<QWidget*> Result;
        for (const auto& Entry : FRules)
            if (GetAlign(Entry.first) == Which && !Entry.first->isHidden()) Result.push_back(Entry.first);
        return Result;
    }

    void ApplyAlign() {
        QRect R = FParent->contentsRect();
        auto ByTop = [](QWidget* A, QWidget* B) { return A->y() < B->y(); };
        auto ByLeft = [](QWidget* A, QWidget* B) { return A->x() < B->x(); };
        auto Sorted = [this](TAlign Which, auto Less, bool Reverse) {
            std::vector<QWidget*> List = Aligned(Which);
            std::stable_sort(List.begin(), List.end(), Less);
            if (Reverse) std::reverse(List.begin(), List.end());
            return List;
        };
        for (QWidget* C : Sorted(TAlign::alTop, ByTop, false)) {
            C->setGeometry(R.x(), R.y(), R.width(), C->height());
            R.setTop(R.top() + C->height());
        }
        for (QWidget* C : Sorted(TAlign::alBottom, ByTop, true)) {
            C->setGeometry(R.x(), WinBottom(R) - C->height(), R.width(), C->height());
            R.setBottom(R.bottom() - C->height());
        }
        for (QWidget* C : Sorted(TAlign::alLeft, ByLeft, false)) {
            C->setGeometry(R.x(), R.y(), C->width(), std::max(0, R.height()));
            R.setLeft(R.left() + C->width());
        }
        for (QWidget* C : Sorted(TAlign::alRight, ByLeft, true)) {
            C->setGeometry(WinRight(R) - C->width(), R.y(), C->width(), std::max(0, R.height()));
            R.setRight(R.right() - C->width());
        }
        for (QWidget* C : Aligned(TAlign::alClient)) C->setGeometry(R.x(), R.y(), std::max(0, R.width()), std::max(0, R.height()));
    }

    QWidget* FParent;
    std::map<QWidget*, TRule> FRules;
    bool FAdjusting = false;
};

void WatchLayout(QWidget* Control) {
    if (QWidget* Parent = Control->parentWidget(); Parent && !Control->isWindow()) {
        TAlignLayout* Layout = TAlignLayout::Of(Parent);
        Layout->Watch(Control);
        Layout->Realign();
    }
}

// Containers are searched for their children; composite Qt widgets keep their insides.
bool IsContainer(const QWidget* Control) { return Control->focusPolicy() == Qt::NoFocus || Control->isWindow(); }

void CollectFocusChain(const QWidget* Parent, QList<QWidget*>& Chain) {
    for (QWidget* Child : TabOrderedChildren(Parent)) {
        if (Child->isWindow()) continue;
        if (Child->focusPolicy() != Qt::NoFocus) Chain.append(Child);
        if (IsContainer(Child)) CollectFocusChain(Child, Chain);
    }
}

}  // namespace

TFreeNotifier::TFreeNotifier(std::function<void(QObject*)> OnFreed) : FOnFreed(std::move(OnFreed)) {}

TFreeNotifier::~TFreeNotifier() {
    for (auto& Entry : FConnections) QObject::disconnect(Entry.second);
}

void TFreeNotifier::Add(QObject* Subject) {
    if (!Subject || Contains(Subject)) return;
    FConnections[Subject] = QObject::connect(Subject, &QObject::destroyed, [this, Subject] {
        FConnections.erase(Subject);
        if (FOnFreed) FOnFreed(Subject);
    });
}

void TFreeNotifier::Remove(QObject* Subject) {
    const auto Found = FConnections.find(Subject);
    if (Found == FConnections.end()) return;
    QObject::disconnect(Found->second);
    FConnections.erase(Found);
}

intptr_t GetTag(const QObject* Component) { return Component->property(TagProperty).value<qlonglong>(); }

void SetTag(QObject* Component, intptr_t Value) { Component->setProperty(TagProperty, QVariant::fromValue<qlonglong>(Value)); }

QRect GetBounds(const QWidget* Control) { return Control->geometry().translated(-ClientOffset(Control)); }

void SetBounds(QWidget* Control, int Left, int Top, int Width, int Height) {
    Control->setGeometry(QRect(QPoint(Left, Top) + ClientOffset(Control), QSize(std::max(0, Width), std::max(0, Height))));
}

QRect ClientRectOf(const QWidget* Control) { return QRect(QPoint(0, 0), Control->contentsRect().size()); }

int GetBorderWidth(const QWidget* Control) { return Control->contentsMargins().left(); }

void SetBorderWidth(QWidget* Control, int Value) {
    const int Delta = Value - GetBorderWidth(Control);
    if (Delta == 0) return;
    // Children keep their place inside the client area.
    for (QWidget* Child : Control->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!Child->isWindow()) Child->move(Child->pos() + QPoint(Delta, Delta));
    Control->setContentsMargins(Value, Value, Value, Value);
}

bool IsEnabledFlag(const QWidget* Control) { return !Control->testAttribute(Qt::WA_ForceDisabled); }

bool IsVisibleFlag(const QWidget* Control) { return !Control->isHidden(); }

bool CanFocus(const QWidget* Control) {
    if (!Control || Control->focusPolicy() == Qt::NoFocus) return false;
    for (const QWidget* W = Control; W; W = W->isWindow() ? nullptr : W->parentWidget())
        if (W->isHidden() || !W->isEnabled()) return false;
    return true;
}

int GetTabOrder(const QWidget* Control) {
    const QVariant Stored = Control->property(TabOrderProperty);
    if (Stored.isValid()) return Stored.toInt();
    const QWidget* Parent = Control->parentWidget();
    if (!Parent) return 0;
    int Index = 0;
    for (QObject* Sibling : Parent->children()) {
        if (Sibling == Control) return Index;
        if (Sibling->isWidgetType()) ++Index;
    }
    return Index;
}

void SetTabOrder(QWidget* Control, int Value) {
    Control->setProperty(TabOrderProperty, Value);
    UpdateFocusChain(Control);
}

bool GetTabStop(const QWidget* Control) { return (Control->focusPolicy() & Qt::TabFocus) != 0; }

void SetTabStop(QWidget* Control, bool Value) {
    const int Policy = Control->focusPolicy();
    // The "strong" bit (8) goes with the tab bit: without both the control is reached by the mouse only.
    Control->setFocusPolicy(static_cast<Qt::FocusPolicy>(Value ? (Policy | Qt::StrongFocus) : (Policy & ~(Qt::TabFocus | 0x8))));
}

QList<QWidget*> TabOrderedChildren(const QWidget* Parent) {
    QList<QWidget*> Children = Parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    std::stable_sort(Children.begin(), Children.end(),
                     [](const QWidget* A, const QWidget* B) { return GetTabOrder(A) < GetTabOrder(B); });
    return Children;
}

void UpdateFocusChain(QWidget* Control) {
    QWidget* Window = Control->window();
    QList<QWidget*> Chain;
    CollectFocusChain(Window, Chain);
    // The chain is a ring through the window; while the window counts as
    // focusable, the first control can be put right after it.
    const Qt::FocusPolicy WindowPolicy = Window->focusPolicy();
    Window->setFocusPolicy(Qt::TabFocus);
    QWidget* Previous = Window;
    for (QWidget* Next : Chain) {
        QWidget::setTabOrder(Previous, Next);
        Previous = Next;
    }
    Window->setFocusPolicy(WindowPolicy);
}

TAlign GetAlign(const QWidget* Control) { return static_cast<TAlign>(Control->property(AlignProperty).toInt()); }

void SetAlign(QWidget* Control, TAlign Value) {
    Control->setProperty(AlignProperty, static_cast<int>(Value));
    WatchLayout(Control);
}

TAnchors GetAnchors(const QWidget* Control) {
    const QVariant Stored = Control->property(AnchorsProperty);
    return Stored.isValid() ? Stored.toUInt() : DefaultAnchors;
}

void SetAnchors(QWidget* Control, TAnchors Value) {
    Control->setProperty(AnchorsProperty, Value);
    WatchLayout(Control);
}

void Realign(QWidget* Parent) {
    if (TAlignLayout* Layout = TAlignLayout::Find(Parent)) Layout->Realign();
}

TCustomControl::TCustomControl(QWidget* AParent)
    : QWidget(AParent), FColor(SysColor(TSysColor::clBtnFace)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    CaptionChanged();
}

void TCustomControl::SetColor(QColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    repaint();
}

void TCustomControl::SetFont(const TFont& Value) {
    FFontColor = Value.Color();
    setFont(Value);
    repaint();
}

TAction* TCustomControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TCustomControl::SetAction(TAction* Value) {
    if (!Value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink) FActionLink = CreateActionLink();
    FActionLink->SetAction(Value);
}

std::unique_ptr<TActionLink> TCustomControl::CreateActionLink() { return std::make_unique<TControlActionLink>(this); }

void TCustomControl::Click() {
    if (FActionLink && FActionLink->Action()) FActionLink->Execute();
    else if (OnClick) OnClick(this);
}

bool TCustomControl::DialogKey(int, Qt::KeyboardModifiers) { return false; }
bool TCustomControl::DialogChar(QChar, Qt::KeyboardModifiers) { return false; }
void TCustomControl::FocusChanged(QWidget*) {}
bool TCustomControl::WantsKey(int) const { return false; }
bool TCustomControl::WantsChars() const { return false; }

TCanvas& TCustomControl::Canvas() {
    Q_ASSERT(FCanvas);
    return *FCanvas;
}

void TCustomControl::Paint() {}
void TCustomControl::CaptionChanged() { repaint(); }
void TCustomControl::EnabledChanged() { repaint(); }

void TCustomControl::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomControl::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomControl::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TCustomControl::KeyDown(int&, Qt::KeyboardModifiers) {}
void TCustomControl::KeyUp(int&, Qt::KeyboardModifiers) {}

bool TCustomControl::event(QEvent* Event) {
    bool Handled = false;
    RunGuarded([&] { Handled = HandleMessageEvent(Event) || QWidget::event(Event); });
    return Handled;
}

void TCustomControl::paintEvent(QPaintEvent*) {
    TCanvas Canvas(this);
    Canvas.SetFont(Font());
    Canvas.Brush().Color = FColor;
    Canvas.FillRect(rect());
    FCanvas = &Canvas;
    Paint();
    FCanvas = nullptr;
}

void TCustomControl::mousePressEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    if (Event->button() == Qt::LeftButton) FLeftDown = true;
    MouseDown(Event->button(), Event->modifiers(), P.x(), P.y());
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    if (Event->button() == Qt::LeftButton && FLeftDown) {
        FLeftDown = false;
        if (rect().contains(P)) Click();
    }
    MouseUp(Event->button(), Event->modifiers(), P.x(), P.y());
}

void TCustomControl::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    MouseMove(Event->modifiers(), P.x(), P.y());
}

void TCustomControl::mouseDoubleClickEvent(QMouseEvent* Event) {
    // Without double clicks the second press is an ordinary one.
    if (FDoubleClicks && Event->button() == Qt::LeftButton) DblClick();
    else mousePressEvent(Event);
}

void TCustomControl::enterEvent(QEnterEvent*) { MouseEnter(); }

void TCustomControl::leaveEvent(QEvent*) { MouseLeave(); }

void TCustomControl::keyPressEvent(QKeyEvent* Event) {
    int Key = Event->key();
    KeyDown(Key, Event->modifiers());
    if (Key == 0) Event->accept();
    else QWidget::keyPressEvent(Event);
}

void TCustomControl::keyReleaseEvent(QKeyEvent* Event) {
    // A held key repeats its press only, as on the platform: no key-up until it is let go.
    if (Event->isAutoRepeat()) {
        Event->accept();
        return;
    }
    int Key = Event->key();
    KeyUp(Key, Event->modifiers());
    if (Key == 0) Event->accept();
    else QWidget::keyReleaseEvent(Event);
}

void TCustomControl::changeEvent(QEvent* Event) {
    if (Event->type() == QEvent::EnabledChange) EnabledChanged();
    QWidget::changeEvent(Event);
}

}  // namespace platform::ui
