#pragma once
// Message dialogs answered without showing them: while an object of this
// class lives, every call is recorded and answered with Answer.
#include <vector>

#include "controls/VexMessage.h"

class TRecordedDialogs {
public:
    TRecordedDialogs()
        : FPrevious(controls::SetMessageDialogResponder([this](const controls::TMessageDialogCall& Call) {
              Calls.push_back(Call);
              return Answer;
          })) {}
    ~TRecordedDialogs() { controls::SetMessageDialogResponder(FPrevious); }
    TRecordedDialogs(const TRecordedDialogs&) = delete;
    TRecordedDialogs& operator=(const TRecordedDialogs&) = delete;

    std::vector<controls::TMessageDialogCall> Calls;
    int Answer = 1;

private:
    controls::TMessageDialogResponder FPrevious;
};
