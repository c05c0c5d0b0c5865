#pragma once
// Components and controls over Qt: a component is a QObject whose owner is
// its Qt parent and whose Name is its object name; a control is a QWidget
// with the platform's bounds (relative to the parent's client area, inside
// its border), tag, numeric tab order, alignment and anchors.
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"

namespace platform::ui {

class TAction;
class TActionLink;

// Tells its owner when any of the subjects it watches is destroyed; the
// subject leaves the watch list before the handler runs.
class TFreeNotifier {
public:
    explicit TFreeNotifier(std::function<void(QObject* Subject)> OnFreed);
    ~TFreeNotifier();
    TFreeNotifier(const TFreeNotifier&) = delete;
    TFreeNotifier& operator=(const TFreeNotifier&) = delete;

    void Add(QObject* Subject);
    void Remove(QObject* Subject);
    bool Contains(QObject* Subject) const { return FConnections.count(Subject) != 0; }

private:
    std::function<void(QObject*)> FOnFreed;
    std::map<QObject*, QMetaObject::Connection> FConnections;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
inline constexpr TAnchors DefaultAnchors = akLeft | akTop;

intptr_t GetTag(const QObject* Component);
void SetTag(QObject* Component, intptr_t Value);

// Bounds relative to the parent's client area.
QRect GetBounds(const QWidget* Control);
void SetBounds(QWidget* Control, int Left, int Top, int Width, int Height);
// The client rectangle at the origin, without the border.
QRect ClientRectOf(const QWidget* Control);
int GetBorderWidth(const QWidget* Control);
void SetBorderWidth(QWidget* Control, int Value);

// Enabled and Visible as the control's own settings, not the effective state.
bool IsEnabledFlag(const QWidget* Control);
bool IsVisibleFlag(const QWidget* Control);
// Showing and enabled up to its window, and able to take the focus.
bool CanFocus(const QWidget* Control);

// Tab order is a number per control; an unset order is the control's position
// among its parent's children. The focus chain follows the numbers.
int GetTabOrder(const QWidget* Control);
void SetTabOrder(QWidget* Control, int Value);
bool GetTabStop(const QWidget* Control);
void SetTabStop(QWidget* Control, bool Value);
// Direct child widgets in tab order (numeric; equal numbers keep creation order).
QList<QWidget*> TabOrderedChildren(const QWidget* Parent);
// Rebuilds the focus chain of Control's window from the tab orders.
void UpdateFocusChain(QWidget* Control);

TAlign GetAlign(const QWidget* Control);
void SetAlign(QWidget* Control, TAlign Value);
TAnchors GetAnchors(const QWidget* Control);
void SetAnchors(QWidget* Control, TAnchors Value);
// Lays out the aligned and anchored children of Parent again.
void Realign(QWidget* Parent);

// The properties every control shares, as members.
template <class Self>
class TControlMembers {
public:
    int Left() const { return GetBounds(Me()).x(); }
    int Top() const { return GetBounds(Me()).y(); }
    int Width() const { return Me()->width(); }
    int Height() const { return Me()->height(); }
    void SetLeft(int Value) { SetBounds(Value, Top(), Width(), Height()); }
    void SetTop(int Value) { SetBounds(Left(), Value, Width(), Height()); }
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
    void SetBounds(int L, int T, int W, int H) { platform::ui::SetBounds(Me(), L, T, W, H); }
    QRect BoundsRect() const { return GetBounds(Me()); }
    QRect ClientRect() const { return ClientRectOf(Me()); }
    int ClientWidth() const { return ClientRect().width(); }
    int ClientHeight() const { return ClientRect().height(); }
    bool Visible() const { return IsVisibleFlag(Me()); }
    void SetVisible(bool Value) { Me()->setVisible(Value); }
    bool Enabled() const { return IsEnabledFlag(Me()); }
    void SetEnabled(bool Value) { Me()->setEnabled(Value); }
    int TabOrder() const { return GetTabOrder(Me()); }
    void SetTabOrder(int Value) { platform::ui::SetTabOrder(Me(), Value); }
    bool TabStop() const { return GetTabStop(Me()); }
    void SetTabStop(bool Value) { platform::ui::SetTabStop(Me(), Value); }
    intptr_t Tag() const { return GetTag(Me()); }
    void SetTag(intptr_t Value) { platform::ui::SetTag(Me(), Value); }
    TAlign Align() const { return GetAlign(Me()); }
    void SetAlign(TAlign Value) { platform::ui::SetAlign(Me(), Value); }
    TAnchors Anchors() const { return GetAnchors(Me()); }
    void SetAnchors(TAnchors Value) { platform::ui::SetAnchors(Me(), Value); }
    int BorderWidth() const { return GetBorderWidth(Me()); }
    void SetBorderWidth(int Value) { platform::ui::SetBorderWidth(Me(), Value); }
    QString Name() const { return Me()->objectName(); }
    void SetName(const QString& Value) { Me()->setObjectName(Value); }
    bool CanFocus() const { return platform::ui::CanFocus(Me()); }

protected:
    ~TControlMembers() = default;

private:
    const Self* Me() const { return static_cast<const Self*>(this); }
    Self* Me() { return static_cast<Self*>(this); }
};

// A windowed control that paints itself on a canvas: the client area is
// filled with Color, then Paint draws the rest.
class TCustomControl : public QWidget, public TMessageDispatcher, public TControlMembers<TCustomControl> {
    Q_OBJECT
public:
    explicit TCustomControl(QWidget* AParent = nullptr);
    ~TCustomControl() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    QColor Color() const { return FColor; }
    void SetColor(QColor Value);
    TFont Font() const { return TFont(font(), FFontColor); }
    void SetFont(const TFont& Value);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& Value) { setToolTip(Value); }
    bool DoubleClicks() const { return FDoubleClicks; }
    void SetDoubleClicks(bool Value) { FDoubleClicks = Value; }

    TAction* Action() const;
    void SetAction(TAction* Value);

    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    bool Focused() const { return hasFocus(); }
    void Repaint() { repaint(); }
    void Invalidate() { update(); }

    // The action's execution, or else OnClick.
    virtual void Click();

    // Keys offered by the form to every control before the focused one sees
    // them (Enter and Esc), and characters that may be accelerators. Answer
    // true to mark them handled.
    virtual bool DialogKey(int Key, Qt::KeyboardModifiers Shift);
    virtual bool DialogChar(QChar Ch, Qt::KeyboardModifiers Shift);
    // Told about every focus change inside its form.
    virtual void FocusChanged(QWidget* NewFocus);
    // Whether the control takes Key (Enter, Esc) itself instead of the form.
    virtual bool WantsKey(int Key) const;
    // Whether typed characters are text for the control rather than accelerators.
    virtual bool WantsChars() const;

    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender)> OnDblClick;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseDown;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseUp;
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;

protected:
    // The usual property setter: a changed value is stored and shown at once.
    template <class T>
    void SetAndRepaint(T& Field, const T& Value) {
        if (Field == Value) return;
        Field = Value;
        repaint();
    }
    // Valid only while Paint runs.
    TCanvas& Canvas();
    virtual void Paint();
    virtual void CaptionChanged();
    virtual void EnabledChanged();
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void DblClick();
    // Key is set to 0 by a handler that consumed it.
    virtual void KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    virtual void KeyUp(int& Key, Qt::KeyboardModifiers Shift);
    virtual std::unique_ptr<TActionLink> CreateActionLink();
    TActionLink* ActionLink() const { return FActionLink.get(); }

    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    QString FCaption;
    QColor FColor;
    QColor FFontColor{Qt::black};
    bool FDoubleClicks = false;
    bool FLeftDown = false;
    TCanvas* FCanvas = nullptr;
    std::unique_ptr<TActionLink> FActionLink;
};

}  // namespace platform::ui
