#pragma once
// The application's side of a screen's divisions: the events it raises on
// every division the screen owns, in the order the screen lives. BeforeCreate
// comes before the screen's controls are built, OnCreate once they are (with
// the settings store), OnDestroy before the screen goes. A window message of
// the screen's relation goes to each division's hook until one answers it.
// An exception of a handler passes on and stops the remaining ones.
#include <QList>
#include <functional>

class QObject;

namespace dataaccess {
class TVexDBIni;
}
namespace platform::ui {
struct TMessage;
}

namespace databound {

class TDivisao;

// Every division among the screen's descendants, depth first, each parent's children in the order they came.
QList<TDivisao*> ScreenDivisions(const QObject& Screen);

// BeforeCreate of each division, then Build, then OnCreate of each with Ini.
void CreateDivisionScreen(QObject& Screen, dataaccess::TVexDBIni* Ini, const std::function<void()>& Build);
// OnDestroy of each division with Ini; the caller frees the screen afterwards.
void DestroyDivisionScreen(QObject& Screen, dataaccess::TVexDBIni* Ini);
// True when a division's OnRelacaoMessage answered the message (a non-zero Result).
bool DispatchRelacaoMessage(QObject& Screen, platform::ui::TMessage& Message);

}  // namespace databound
