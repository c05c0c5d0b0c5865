#pragma once
// Window messages with the platform's numbers. PostMessage queues a message
// behind everything already pending; SendMessage delivers it at once. A
// receiver (form or control) dispatches by number to its registered handlers.
#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace platform::ui {

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// The queued form of a message.
class TMessageEvent : public QEvent {
public:
    static QEvent::Type EventType();
    explicit TMessageEvent(const TMessage& Message) : QEvent(EventType()), FMessage(Message) {}
    TMessage& Message() { return FMessage; }

private:
    TMessage FMessage;
};

// Mixed into the forms and controls that answer window messages.
class TMessageDispatcher {
public:
    using THandler = std::function<void(TMessage& Message)>;
    virtual ~TMessageDispatcher() = default;

    // Handler for one message number; an empty handler removes it.
    void SetMessageHandler(UINT Msg, THandler Handler);
    // Runs the handler registered for Message.Msg, else DefaultHandler.
    virtual void Dispatch(TMessage& Message);

protected:
    virtual void DefaultHandler(TMessage& Message) { Message.Result = 0; }
    // For event(): dispatches a queued message and answers true, false for other events.
    bool HandleMessageEvent(QEvent* Event);

private:
    std::map<UINT, THandler> FHandlers;
};

// The application's default error report for exceptions that escape an event
// handler: EAbort stays silent, any other message goes to the reporter
// (standard error until the program sets one). Call HandleException inside a
// catch block.
void SetErrorReporter(std::function<void(const std::string& Message)> Reporter);
void HandleException();
// Runs Body; an exception is reported and answers false.
template <class TBody>
bool RunGuarded(TBody&& Body) {
    try {
        Body();
        return true;
    } catch (...) {
        HandleException();
        return false;
    }
}

// Yes-or-no questions of the platform's controls (confirm a deletion). The
// program routes them to its message dialog at start; until then a plain
// question box asks.
void SetConfirmationAsker(std::function<bool(const QString& Question)> Asker);
bool AskConfirmation(const QString& Question);

// False when there is no window or it does not answer messages.
bool PostMessage(QObject* Window, UINT Msg, WPARAM WParam, LPARAM LParam);
// 0 when there is no window or it does not answer messages.
LRESULT SendMessage(QObject* Window, UINT Msg, WPARAM WParam, LPARAM LParam);

}  // namespace platform::ui
