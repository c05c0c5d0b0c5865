#include "samples/navitrex/NavitrexDemoDriver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <exception>

#include "controls/VexMessage.h"
#include "platform/os/Exceptions.h"

namespace navitrex {

namespace {

const int kTickMs = 20;

QWidget* KeyTarget() {
    if (QWidget* Popup = QApplication::activePopupWidget()) return Popup->focusWidget() ? Popup->focusWidget() : Popup;
    if (QWidget* Focus = QApplication::focusWidget()) return Focus;
    if (QWidget* Modal = QApplication::activeModalWidget()) return Modal;
    return QApplication::activeWindow();
}

// The key code a keyboard sends with Letter: Qt's codes of the Latin-1 keys are their capitals.
int KeyOf(QChar Letter) { return Letter.toUpper().unicode(); }

void SendKey(int Key, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    QWidget* Target = KeyTarget();
    if (!Target) throw platform::os::Exception("no window takes the keys");
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(Target, &Press);
    // The press may have closed the control.
    if (QWidget* After = KeyTarget()) {
        QKeyEvent Release(QEvent::KeyRelease, Key, Modifiers, Text);
        QApplication::sendEvent(After, &Release);
    }
}

QString VisibleMessage() {
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (auto* Box = qobject_cast<controls::TfrmVexMessage*>(Window); Box && Box->isVisible())
            return Box->lbl ? Box->lbl->text() : Box->windowTitle();
    return {};
}

}  // namespace

TDemoDriver::TDemoDriver(int TimeLimitMs, QObject* Parent) : QObject(Parent), FTimeLimitMs(TimeLimitMs) {
    FTimer.setInterval(kTickMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
}

void TDemoDriver::Step(const QString& Name, std::function<bool()> Ready, std::function<void()> Action) {
    FSteps.push_back({Name, std::move(Ready), std::move(Action)});
}

void TDemoDriver::Step(const QString& Name, std::function<void()> Action) {
    Step(Name, [] { return true; }, std::move(Action));
}

void TDemoDriver::Start() {
    FNext = 0;
    FActionDue = false;
    FRunning.clear();
    FFailure.clear();
    FClock.start();
    FTimer.start();
}

QString TDemoDriver::WaitingStep() const { return FNext < FSteps.size() ? FSteps[FNext].Name : QString("the end"); }

void TDemoDriver::Tick() {
    if (!FTimer.isActive() || FActionDue) return;
    // A box shows while an action runs: that action brought it.
    if (const QString Message = VisibleMessage(); !Message.isEmpty())
        return Fail(FRunning.empty() ? WaitingStep() : FSteps[FRunning.back()].Name,
                    QString("a message box showed: %1").arg(Message));
    if (FClock.elapsed() > FTimeLimitMs)
        return Fail(WaitingStep(), QString("its state did not come within %1 s").arg(FTimeLimitMs / 1000.0));
    if (FNext == FSteps.size()) return Finish();
    const size_t Index = FNext;
    try {
        if (!FSteps[Index].Ready()) return;
    } catch (const std::exception& E) {
        return Fail(FSteps[Index].Name, QString::fromUtf8(E.what()));
    }
    ++FNext;
    // Not from the tick itself: a timer does not fire again inside its own call, and the action may open a modal
    // loop in which the next steps must run.
    FActionDue = true;
    QTimer::singleShot(0, this, [this, Index] { RunAction(Index); });
}

void TDemoDriver::RunAction(size_t Index) {
    FActionDue = false;
    if (!FTimer.isActive()) return;
    FRunning.push_back(Index);
    try {
        FSteps[Index].Action();
    } catch (const std::exception& E) {
        Fail(FSteps[Index].Name, QString::fromUtf8(E.what()));
    }
    FRunning.pop_back();
}

void TDemoDriver::Fail(const QString& Step, const QString& Why) {
    if (!FTimer.isActive()) return;
    FFailure = QString("step \"%1\": %2").arg(Step, Why);
    Finish();
}

void TDemoDriver::Finish() {
    if (!FTimer.isActive()) return;
    FTimer.stop();
    if (OnFinished) OnFinished(this);
}

void TDemoDriver::Press(int Key, Qt::KeyboardModifiers Modifiers) {
    QString Text;
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) Text = "\r";
    else if (Key == Qt::Key_Escape) Text = QChar(0x1b);
    else if (Key == Qt::Key_Tab) Text = "\t";
    SendKey(Key, Modifiers, Text);
}

void TDemoDriver::Type(const QString& Text) {
    for (const QChar Letter : Text) SendKey(KeyOf(Letter), Qt::NoModifier, QString(Letter));
}

void TDemoDriver::Click(QWidget* Control) {
    if (!Control) throw platform::os::Exception("there is no control to click");
    ClickAt(Control, Control->rect().center());
}

void TDemoDriver::ClickAt(QWidget* Control, QPoint At) {
    if (!Control || !Control->isVisible() || !Control->rect().contains(At))
        throw platform::os::Exception("the place to click is not showing");
    // The window system hands the click to the control showing at that place, such as a grid's open cell editor.
    if (QWidget* Child = Control->childAt(At)) {
        At = Child->mapFrom(Control, At);
        Control = Child;
    }
    const QPointF Local(At);
    const QPointF Global = Control->mapToGlobal(Local);
    if (Control->focusPolicy() & Qt::ClickFocus) Control->setFocus(Qt::MouseFocusReason);
    QPointer<QWidget> Guard(Control);
    QMouseEvent Press(QEvent::MouseButtonPress, Local, Global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Control, &Press);
    if (!Guard) return;
    QMouseEvent Release(QEvent::MouseButtonRelease, Local, Global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Control, &Release);
}

QImage TDemoDriver::Picture(const QWidget* Window) {
    const auto Area = [](const QWidget* W) { return QRect(W->mapToGlobal(QPoint(0, 0)), W->size()); };
    // The window first, popups last: as the screen stacks them.
    std::vector<const QWidget*> Layers{Window};
    for (const bool Popups : {false, true})
        for (const QWidget* Other : QApplication::topLevelWidgets())
            if (Other != Window && Other->isVisible() && (Other->windowType() == Qt::Popup) == Popups)
                Layers.push_back(Other);
    QRect Whole;
    for (const QWidget* Layer : Layers) Whole |= Area(Layer);
    QImage Image(Whole.size(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    for (const QWidget* Layer : Layers)
        Painter.drawPixmap(Area(Layer).topLeft() - Whole.topLeft(), const_cast<QWidget*>(Layer)->grab());
    return Image;
}

}  // namespace navitrex
