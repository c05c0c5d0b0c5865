#include "uninstall/UninstDialog.h"

#include <cstdio>
#include <cstdlib>

#include "controls/VexMessage.h"
#include "platform/os/Text.h"

namespace uninstall {

namespace {

bool AnswerWithoutShowing(const char* Answer, TUninstMessageKind Kind, const std::string& Text,
                          const std::string& Details) {
    std::fprintf(stderr, "%s%s%s\n", Text.c_str(), Details.empty() ? "" : "\n", Details.c_str());
    return Kind == umConfirmation && platform::os::SameText(Answer, "yes");
}

}  // namespace

bool ShowUninstDialog(TUninstMessageKind Kind, const std::string& Text, const std::string& Details) {
    if (const char* Answer = std::getenv("VEX_DIALOG_ANSWER")) return AnswerWithoutShowing(Answer, Kind, Text, Details);

    using namespace controls;
    const TDialogKind DialogKind = Kind == umConfirmation ? dkConfirmation : Kind == umError ? dkError : dkInformation;
    const TDialogButtons Buttons = Kind == umConfirmation ? ButtonSet({dbYes, dbNo}) : ButtonSet({dbOK});
    const int Result = ShowMessageDialog(QString::fromStdString(Text), QString::fromStdString(Details), DialogKind, Buttons,
                                         0, 0, 16);
    return Kind == umConfirmation && Result == platform::ui::mrYes;
}

}  // namespace uninstall
