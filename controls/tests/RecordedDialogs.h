#pragma once
// Message dialogs answered without showing them: while an object of this
// class lives, every call is recorded and answered with Answer. The boxes of
// several collected messages are recorded likewise by TRecordedMessageLists.
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

class TRecordedMessageLists {
public:
    TRecordedMessageLists()
        : FPrevious(controls::SetMessageListPresenter([this](const std::vector<controls::TMessageItem>& Items) {
              Lists.push_back(Items);
              return Answer;
          })) {}
    ~TRecordedMessageLists() { controls::SetMessageListPresenter(FPrevious); }
    TRecordedMessageLists(const TRecordedMessageLists&) = delete;
    TRecordedMessageLists& operator=(const TRecordedMessageLists&) = delete;

    std::vector<std::vector<controls::TMessageItem>> Lists;
    int Answer = 0;

private:
    controls::TMessageListPresenter FPrevious;
};
