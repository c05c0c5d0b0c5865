#pragma once
// Whether the modifier keys are held down at this moment, as the window
// system reports it; code asks this when it starts work, not from a key event
// (holding Ctrl+Shift while a window opens, for instance).
#include <Qt>

namespace platform::ui {

// The Shift, Control and Alt keys held down now.
Qt::KeyboardModifiers HeldModifiers();

// Holds keys down for a test: while the object lives, HeldModifiers answers
// Keys. Never used by the program.
class THeldKeys {
public:
    explicit THeldKeys(Qt::KeyboardModifiers Keys);
    ~THeldKeys();
    THeldKeys(const THeldKeys&) = delete;
    THeldKeys& operator=(const THeldKeys&) = delete;

private:
    bool FPreviousHeld;
    Qt::KeyboardModifiers FPrevious;
};

}  // namespace platform::ui
