#include "platform/ui/Messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>

#include "platform/os/Exceptions.h"

namespace platform::ui {

QEvent::Type TMessageEvent::EventType() {
    static const auto Type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return Type;
}

void TMessageDispatcher::SetMessageHandler(UINT Msg, THandler Handler) {
    if (Handler) FHandlers[Msg] = std::move(Handler);
    else FHandlers.erase(Msg);
}

void TMessageDispatcher::Dispatch(TMessage& Message) {
    const auto Found = FHandlers.find(Message.Msg);
    if (Found != FHandlers.end()) {
        // A copy, so that a handler may replace itself.
        const THandler Handler = Found->second;
        Handler(Message);
    } else {
        DefaultHandler(Message);
    }
}

bool TMessageDispatcher::HandleMessageEvent(QEvent* Event) {
    if (Event->type() != TMessageEvent::EventType()) return false;
    Dispatch(static_cast<TMessageEvent*>(Event)->Message());
    return true;
}

namespace {

std::function<void(const std::string&)>& Reporter() {
    static std::function<void(const std::string&)> Current;
    return Current;
}

}  // namespace

void SetErrorReporter(std::function<void(const std::string& Message)> Value) { Reporter() = std::move(Value); }

void HandleException() {
    std::string Message;
    try {
        throw;
    } catch (const platform::os::EAbort&) {
        return;
    } catch (const std::exception& Error) {
        Message = Error.what();
    } catch (...) {
        Message = "Unknown exception";
    }
    if (Reporter()) Reporter()(Message);
    else std::fprintf(stderr, "%s\n", Message.c_str());
}

namespace {

std::function<bool(const QString&)>& Asker() {
    static std::function<bool(const QString&)> Current;
    return Current;
}

}  // namespace

void SetConfirmationAsker(std::function<bool(const QString& Question)> Value) { Asker() = std::move(Value); }

bool AskConfirmation(const QString& Question) {
    if (Asker()) return Asker()(Question);
    return QMessageBox::question(QApplication::activeWindow(), QString(), Question) == QMessageBox::Yes;
}

bool PostMessage(QObject* Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!Window || !dynamic_cast<TMessageDispatcher*>(Window)) return false;
    QCoreApplication::postEvent(Window, new TMessageEvent(TMessage{Msg, WParam, LParam, 0}));
    return true;
}

LRESULT SendMessage(QObject* Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* Receiver = dynamic_cast<TMessageDispatcher*>(Window);
    if (!Receiver) return 0;
    TMessage Message{Msg, WParam, LParam, 0};
    Receiver->Dispatch(Message);
    return Message.Result;
}

}  // namespace platform::ui
