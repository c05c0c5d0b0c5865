#pragma once
// Driving a widget in a benchmark: painting it whole off the screen and
// pressing a key on it, as the window system would.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

inline void Paint(QWidget& View) {
    static QImage Target;
    if (Target.size() != View.size()) Target = QImage(View.size(), QImage::Format_RGB32);
    View.render(&Target);
}

inline void Press(QWidget& View, int Key, Qt::KeyboardModifiers Shift = {}) {
    QKeyEvent Event(QEvent::KeyPress, Key, Shift);
    QApplication::sendEvent(&View, &Event);
}
