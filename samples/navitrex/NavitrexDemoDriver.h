#pragma once
// Drives a running application as a person at the keyboard would, for the
// demonstration run: steps that each wait for the state they need (a window
// shown, a popup open, a row in insert mode), then press keys or click. The
// steps run from a timer, so they go on inside the loops of menus and modal
// dialogs. A step whose state does not come within the time limit, an action
// that raises, or a library message box that no step expected ends the run
// with a failure naming the step. Never waits for a fixed time.
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;

namespace navitrex {

class TDemoDriver : public QObject {
    Q_OBJECT
public:
    explicit TDemoDriver(int TimeLimitMs, QObject* Parent = nullptr);

    // Waits until Ready holds, then runs Action (which may open a menu or a modal dialog and not return until it
    // closes: the next steps run meanwhile).
    void Step(const QString& Name, std::function<bool()> Ready, std::function<void()> Action);
    // A step that needs no state of its own.
    void Step(const QString& Name, std::function<void()> Action);
    void Start();

    bool Running() const { return FTimer.isActive(); }
    bool Failed() const { return !FFailure.isEmpty(); }
    // Why the run failed: the step and what went wrong; empty after a good run.
    QString Failure() const { return FFailure; }
    // Called once, after the last step or at the failure.
    std::function<void(TDemoDriver* Sender)> OnFinished;

    // Input as the window system delivers it: to the open popup, else to the focused control.
    static void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier);
    static void Type(const QString& Text);
    static void Click(QWidget* Control);
    static void ClickAt(QWidget* Control, QPoint At);
    // The window with every other visible window of the application over it where the screen shows them (menus,
    // the search combo, dialogs).
    static QImage Picture(const QWidget* Window);

private:
    struct TStep {
        QString Name;
        std::function<bool()> Ready;
        std::function<void()> Action;
    };

    void Tick();
    void RunAction(size_t Index);
    void Fail(const QString& Step, const QString& Why);
    void Finish();
    QString WaitingStep() const;

    std::vector<TStep> FSteps;
    size_t FNext = 0;
    bool FActionDue = false;        // a step was ready and its action is about to run
    std::vector<size_t> FRunning;  // the steps whose actions run, innermost last
    int FTimeLimitMs;
    QElapsedTimer FClock;
    QTimer FTimer;
    QString FFailure;
};

}  // namespace navitrex
