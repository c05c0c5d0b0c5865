#include "platform/ui/Forms.h"

#include "platform/os/Process.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

#include "platform/ui/ActnList.h"
#include "platform/ui/Fonts.h"

namespace platform::ui {

namespace {

QPointer<TCustomForm> GMainForm;
int GBusyDepth = 0;

bool IsDialogKey(int Key) { return Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Escape; }

bool WantsKey(const QWidget* Focused, int Key) {
    if (auto* Control = dynamic_cast<const TCustomControl*>(Focused)) return Control->WantsKey(Key);
    // An in-place editor of a grid takes Esc to undo its change.
    if (Key == Qt::Key_Escape) return Focused->property("WantEscape").toBool();
    const QVariant WantReturns = Focused->property("WantReturns");
    if (WantReturns.isValid()) return WantReturns.toBool();
    return qobject_cast<const QPlainTextEdit*>(Focused) || qobject_cast<const QTextEdit*>(Focused);
}

bool WantsChars(const QWidget* Focused) {
    if (auto* Control = dynamic_cast<const TCustomControl*>(Focused)) return Control->WantsChars();
    if (auto* Combo = qobject_cast<const QComboBox*>(Focused)) return Combo->isEditable();
    return qobject_cast<const QLineEdit*>(Focused) || qobject_cast<const QPlainTextEdit*>(Focused) ||
           qobject_cast<const QTextEdit*>(Focused) || qobject_cast<const QAbstractSpinBox*>(Focused);
}

void CollectControls(const QObject* Parent, const TCustomForm* Form, QList<TCustomControl*>& Result) {
    for (QObject* Child : Parent->children()) {
        // A branch being freed keeps empty places for the children already gone.
        if (!Child) continue;
        if (auto* Control = qobject_cast<TCustomControl*>(Child); Control && Control->window() == Form)
            Result.append(Control);
        CollectControls(Child, Form, Result);
    }
}

// The form's own custom controls, in tree order, without those of owned forms.
QList<TCustomControl*> ControlsOf(TCustomForm* Form) {
    QList<TCustomControl*> Result;
    CollectControls(Form, Form, Result);
    return Result;
}

template <class Offer>
bool Broadcast(TCustomForm* Form, Offer Ask) {
    for (TCustomControl* Control : ControlsOf(Form))
        if (Ask(Control)) return true;
    return false;
}

// Routes keys as the platform does: key preview, action shortcuts, dialog
// keys and accelerators come before the focused control; focus changes are
// told to every control of the form.
class TKeyRouter : public QObject {
public:
    explicit TKeyRouter(QApplication* App) : QObject(App) {
        App->installEventFilter(this);
        connect(App, &QApplication::focusChanged, this, [](QWidget* Old, QWidget* Now) {
            TCustomForm* NewForm = Now ? GetParentForm(Now) : nullptr;
            TCustomForm* OldForm = Old ? GetParentForm(Old) : nullptr;
            if (NewForm) Broadcast(NewForm, [Now](TCustomControl* C) { C->FocusChanged(Now); return false; });
            if (OldForm && OldForm != NewForm)
                Broadcast(OldForm, [Now](TCustomControl* C) { C->FocusChanged(Now); return false; });
        });
        FIdle.setInterval(100);
        connect(&FIdle, &QTimer::timeout, this, [] {
            for (QWidget* Window : QApplication::topLevelWidgets())
                if (auto* Form = qobject_cast<TCustomForm*>(Window); Form && Form->isVisible())
                    RunGuarded([Form] { Form->UpdateActions(); });
        });
        FIdle.start();
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() != QEvent::KeyPress || !Watched->isWidgetType()) return false;
        auto* Target = static_cast<QWidget*>(Watched);
        QWidget* Focused = QApplication::focusWidget();
        // Only the first delivery, to the focused control of a form's own window.
        if (Focused ? Target != Focused : !qobject_cast<TCustomForm*>(Target)) return false;
        TCustomForm* Form = GetParentForm(Target);
        if (!Form || Target->window() != Form) return false;
        bool Consumed = false;
        // A key whose handling failed counts as handled: it must not act twice.
        return !RunGuarded([&] { Consumed = Route(Form, Target, static_cast<QKeyEvent*>(Event)); }) || Consumed;
    }

private:
    static bool Route(TCustomForm* Form, QWidget* Target, QKeyEvent* Event) {
        const Qt::KeyboardModifiers Shift = Event->modifiers();
        if (Form->KeyPreview() && Preview(Form, Event)) return true;
        if (Form->IsShortCut(QKeySequence(Event->keyCombination()))) return true;
        const int Key = Event->key();
        if (IsDialogKey(Key) && !WantsKey(Target, Key) &&
            Broadcast(Form, [&](TCustomControl* C) { return C->DialogKey(Key, Shift); }))
            return true;
        const QString Text = Event->text();
        if (Text.size() == 1 && Text[0].isLetterOrNumber() && ((Shift & Qt::AltModifier) || !WantsChars(Target)))
            return Broadcast(Form, [&](TCustomControl* C) { return C->DialogChar(Text[0], Shift); });
        if ((Shift & Qt::AltModifier) && Key < 0x80 && QChar(Key).isLetterOrNumber())
            return Broadcast(Form, [&](TCustomControl* C) { return C->DialogChar(QChar(Key), Shift); });
        return false;
    }

    static bool Preview(TCustomForm* Form, QKeyEvent* Event) {
        if (Form->OnKeyDown) {
            int Key = Event->key();
            Form->OnKeyDown(Form, Key, Event->modifiers());
            if (Key == 0) return true;
        }
        if (Form->OnKeyPress && !Event->text().isEmpty()) {
            QChar Ch = Event->text()[0];
            Form->OnKeyPress(Form, Ch);
            if (Ch.isNull()) return true;
        }
        return false;
    }

    QTimer FIdle;
};

void EnsureKeyRouter() {
    static QPointer<TKeyRouter> Router;
    if (!Router && qApp) Router = new TKeyRouter(qApp);
}

// The form an action list belongs to: the nearest form among its owners.
TCustomForm* OwnerForm(const QObject* Component) {
    for (QObject* Owner = Component->parent(); Owner; Owner = Owner->parent())
        if (auto* Form = qobject_cast<TCustomForm*>(Owner)) return Form;
    return nullptr;
}

}  // namespace

TCustomForm::TCustomForm(QWidget* AOwner) : QWidget(AOwner, Qt::Window) {
    EnsureKeyRouter();
    setAutoFillBackground(true);
    SetColor(SysColor(TSysColor::clBtnFace));
}

TCustomForm::~TCustomForm() {
    if (OnDestroy) OnDestroy(this);
    // The focus leaves while the controls are whole: the focus change is told to every one of them.
    if (QWidget* Focused = QApplication::focusWidget(); Focused && isAncestorOf(Focused)) Focused->clearFocus();
}

QColor TCustomForm::Color() const { return palette().color(QPalette::Window); }

void TCustomForm::SetColor(QColor Value) {
    QPalette Palette = palette();
    Palette.setColor(QPalette::Window, Value);
    setPalette(Palette);
}

void TCustomForm::SetFont(const TFont& Value) {
    FFontColor = Value.Color();
    setFont(Value);
}

void TCustomForm::SetModalResult(int Value) {
    FModalResult = Value;
    if (FModalLoop && Value != mrNone) FModalLoop->quit();
}

void TCustomForm::Show() {
    show();
    raise();
    activateWindow();
}

int TCustomForm::ShowModal() {
    if (FModalLoop || isVisible()) throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    Show();
    QEventLoop Loop;
    FModalLoop = &Loop;
    const QPointer<TCustomForm> Alive(this);
    for (;;) {
        if (FModalResult == mrNone) Loop.exec(QEventLoop::DialogExec);
        if (!Alive) return mrCancel;
        if (CloseModal()) break;
        FModalResult = mrNone;
    }
    FModalLoop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return FModalResult;
}

bool TCustomForm::CloseModal() {
    TCloseAction Action = TCloseAction::caNone;
    if (CloseQuery()) {
        Action = TCloseAction::caHide;
        DoClose(Action);
    }
    if (Action == TCloseAction::caFree) Release();
    return Action != TCloseAction::caNone;
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::closeEvent(QCloseEvent* Event) {
    Event->ignore();
    if (FModalLoop) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction Action = TCloseAction::caHide;
    DoClose(Action);
    if (Action == TCloseAction::caNone) return;
    if (Action == TCloseAction::caFree) Release();
    Event->accept();
}

void TCustomForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (Event->spontaneous()) return;
    if (FAutoSize) AdjustToContents();
    if (!FPlaced && FPosition == TPosition::poScreenCenter) {
        if (QScreen* Screen = screen()) move(Screen->availableGeometry().center() - rect().center());
        FPlaced = true;
    }
    UpdateFocusChain(this);
    if (FActiveControl && platform::ui::CanFocus(FActiveControl)) FActiveControl->setFocus(Qt::OtherFocusReason);
    DoShow();
}

QWidget* TCustomForm::ActiveControl() const {
    if (QWidget* Focused = focusWidget(); Focused && Focused != this) return Focused;
    return FActiveControl;
}

void TCustomForm::SetActiveControl(QWidget* Control) {
    FActiveControl = Control;
    if (Control && isVisible() && platform::ui::CanFocus(Control)) Control->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value) AdjustToContents();
}

void TCustomForm::AdjustToContents() {
    int Right = 0, Bottom = 0;
    bool Any = false;
    for (QWidget* Child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (Child->isWindow() || Child->isHidden()) continue;
        const QRect Bounds = GetBounds(Child);
        Right = std::max(Right, WinRight(Bounds));
        Bottom = std::max(Bottom, WinBottom(Bounds));
        Any = true;
    }
    if (!Any) return;
    FAdjusting = true;
    SetClientSize(Right, Bottom);
    FAdjusting = false;
}

bool TCustomForm::event(QEvent* Event) {
    if (Event->type() == QEvent::ChildAdded) {
        QObject* Child = static_cast<QChildEvent*>(Event)->child();
        if (Child->isWidgetType()) Child->installEventFilter(this);
    }
    bool Handled = false;
    RunGuarded([&] { Handled = HandleMessageEvent(Event) || QWidget::event(Event); });
    return Handled;
}

bool TCustomForm::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (FAutoSize && !FAdjusting && Watched->parent() == this) AdjustToContents();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(Watched, Event);
}

bool TCustomForm::IsShortCut(const QKeySequence& Key) {
    for (TActionList* List : findChildren<TActionList*>())
        if (OwnerForm(List) == this && List->IsShortCut(Key)) return true;
    return false;
}

void TCustomForm::UpdateActions() {
    for (TActionList* List : findChildren<TActionList*>())
        if (OwnerForm(List) == this) List->UpdateActions();
}

TCustomForm* MainForm() { return GMainForm; }

void SetMainForm(TCustomForm* Form) { GMainForm = Form; }

TCustomForm* GetParentForm(const QWidget* Control) {
    for (const QWidget* W = Control; W; W = W->parentWidget())
        if (auto* Form = qobject_cast<TCustomForm*>(const_cast<QWidget*>(W))) return Form;
    return nullptr;
}

void ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void BeginBusyCursor() {
    if (GBusyDepth++ == 0 && qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void EndBusyCursor() {
    if (GBusyDepth == 0) return;
    if (--GBusyDepth == 0 && qApp) QApplication::restoreOverrideCursor();
}

int BusyCursorDepth() { return GBusyDepth; }

void InitApplication() {
    RegisterFonts();
    QApplication::setFont(DefaultFont());
    // Waits in the lower layers keep the windows alive through this pump.
    platform::os::SetMessagePump(ProcessMessages);
}

}  // namespace platform::ui
