#include "databound/DivisionScreen.h"

#include <QObject>
#include <QPointer>

#include "databound/VexDivisao.h"
#include "platform/ui/Messages.h"

namespace databound {

namespace {

// A handler may free divisions of the screen: those are skipped.
QList<QPointer<TDivisao>> Guarded(const QObject& Screen) {
    QList<QPointer<TDivisao>> Result;
    for (TDivisao* Divisao : ScreenDivisions(Screen)) Result << Divisao;
    return Result;
}

}  // namespace

QList<TDivisao*> ScreenDivisions(const QObject& Screen) {
    QList<TDivisao*> Result;
    for (QObject* Child : Screen.children()) {
        if (auto* Divisao = qobject_cast<TDivisao*>(Child)) Result << Divisao;
        Result << ScreenDivisions(*Child);
    }
    return Result;
}

void CreateDivisionScreen(QObject& Screen, dataaccess::TVexDBIni* Ini, const std::function<void()>& Build) {
    for (const QPointer<TDivisao>& Divisao : Guarded(Screen))
        if (Divisao && Divisao->BeforeCreate) Divisao->BeforeCreate(Divisao);
    if (Build) Build();
    for (const QPointer<TDivisao>& Divisao : Guarded(Screen))
        if (Divisao && Divisao->OnCreate) Divisao->OnCreate(Divisao, Ini);
}

void DestroyDivisionScreen(QObject& Screen, dataaccess::TVexDBIni* Ini) {
    for (const QPointer<TDivisao>& Divisao : Guarded(Screen))
        if (Divisao && Divisao->OnDestroy) Divisao->OnDestroy(Divisao, Ini);
}

bool DispatchRelacaoMessage(QObject& Screen, platform::ui::TMessage& Message) {
    for (const QPointer<TDivisao>& Divisao : Guarded(Screen)) {
        if (!Divisao || !Divisao->OnRelacaoMessage) continue;
        Divisao->OnRelacaoMessage(Divisao, Message);
        if (Message.Result != 0) return true;
    }
    return false;
}

}  // namespace databound
