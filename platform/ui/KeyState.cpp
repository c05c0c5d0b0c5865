#include "platform/ui/KeyState.h"

#include <QGuiApplication>

namespace platform::ui {

namespace {
bool gHeld = false;
Qt::KeyboardModifiers gHeldKeys;
}  // namespace

Qt::KeyboardModifiers HeldModifiers() {
    if (gHeld) return gHeldKeys;
    return QGuiApplication::queryKeyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

THeldKeys::THeldKeys(Qt::KeyboardModifiers Keys) : FPreviousHeld(gHeld), FPrevious(gHeldKeys) {
    gHeld = true;
    gHeldKeys = Keys;
}

THeldKeys::~THeldKeys() {
    gHeld = FPreviousHeld;
    gHeldKeys = FPrevious;
}

}  // namespace platform::ui
