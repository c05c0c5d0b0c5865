#include "platform/ui/Messages.h"

#include <QCoreApplication>

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
