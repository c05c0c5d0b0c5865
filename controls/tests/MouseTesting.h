#pragma once
// Mouse input sent straight to a widget, as the offscreen platform delivers
// none of its own: a move first, so hot-tracking controls see the pointer.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testing_mouse {

inline void Mouse(QWidget* Target, QEvent::Type Type, QPoint At, Qt::MouseButton Button = Qt::NoButton) {
    const Qt::MouseButtons Held = Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::NoButton;
    QMouseEvent Event(Type, At, Target->mapToGlobal(At), Button, Held, Qt::NoModifier);
    QApplication::sendEvent(Target, &Event);
}

inline void Click(QWidget* Target, QPoint At) {
    Mouse(Target, QEvent::MouseMove, At);
    Mouse(Target, QEvent::MouseButtonPress, At, Qt::LeftButton);
    Mouse(Target, QEvent::MouseButtonRelease, At, Qt::LeftButton);
}

}  // namespace testing_mouse
