#pragma once
// Forms and the application: modal show with a modal result, close query,
// active control, key preview, dialog keys and accelerators offered to the
// form's controls, action shortcuts, auto-size; the main form, the message
// pump and the busy cursor.
#include <QEventLoop>
#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"

namespace platform::ui {

// The standard dialog results.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

enum class TCloseAction { caNone, caHide, caFree };
enum class TPosition { poDesigned, poScreenCenter };

class EInvalidOperation : public platform::os::Exception {
public:
    using Exception::Exception;
};

class TCustomForm : public QWidget, public TMessageDispatcher, public TControlMembers<TCustomForm> {
    Q_OBJECT
public:
    // The owner frees the form with itself; the form is always a window of its own.
    explicit TCustomForm(QWidget* AOwner = nullptr);
    ~TCustomForm() override;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& Value) { setWindowTitle(Value); }
    QColor Color() const;
    void SetColor(QColor Value);
    TFont Font() const { return TFont(font(), FFontColor); }
    void SetFont(const TFont& Value);
    void SetClientSize(int Width, int Height) { resize(Width + 2 * BorderWidth(), Height + 2 * BorderWidth()); }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }

    int ModalResult() const { return FModalResult; }
    // A non-zero result ends a modal show once the current handler returns.
    void SetModalResult(int Value);
    bool Modal() const { return FModalLoop != nullptr; }
    // Shows the form modally and answers the modal result that closed it.
    int ShowModal();
    void Show();
    // As the close box: a modal form gets the result mrCancel, another form
    // asks CloseQuery and OnClose.
    void Close() { close(); }
    // Frees the form once control returns to the message loop.
    void Release() { deleteLater(); }
    virtual bool CloseQuery();

    QWidget* ActiveControl() const;
    void SetActiveControl(QWidget* Control);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // Fits the form to its visible children and its border.
    void AdjustToContents();

    // Runs the shortcut of an enabled action of the form's action lists.
    bool IsShortCut(const QKeySequence& Key);
    void UpdateActions();

    std::function<void(QObject* Sender)> OnShow;
    std::function<void(QObject* Sender)> OnDestroy;
    std::function<void(QObject* Sender, bool& CanClose)> OnCloseQuery;
    std::function<void(QObject* Sender, TCloseAction& Action)> OnClose;
    // With KeyPreview, keys reach the form before the focused control; set Key to 0 to consume it.
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject* Sender, QChar& Key)> OnKeyPress;

protected:
    virtual void DoShow();
    virtual void DoClose(TCloseAction& Action);

    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    bool CloseModal();

    int FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    QPointer<QWidget> FActiveControl;
    QColor FFontColor{Qt::black};
    TPosition FPosition = TPosition::poDesigned;
    bool FKeyPreview = false;
    bool FAutoSize = false;
    bool FAdjusting = false;
    bool FPlaced = false;
};

// The form whose window stands for the application; none until set, and
// cleared when that form is destroyed.
TCustomForm* MainForm();
void SetMainForm(TCustomForm* Form);
// The form a control lies on, or none.
TCustomForm* GetParentForm(const QWidget* Control);

// Handles every pending message (posted messages included) and returns.
void ProcessMessages();

// The busy cursor is shown while at least one holder exists.
void BeginBusyCursor();
void EndBusyCursor();
int BusyCursorDepth();
class TBusyCursor {
public:
    TBusyCursor() { BeginBusyCursor(); }
    ~TBusyCursor() { EndBusyCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Start-up work of a program: registers the fonts, sets the default font and
// lets waits of the lower layers process this program's messages.
void InitApplication();

}  // namespace platform::ui
