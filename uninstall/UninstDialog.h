#pragma once
// The uninstaller's one way of asking and telling the user.
#include <string>

#include "uninstall/UninstRun.h"

namespace uninstall {

// The program's message box: {"&Sim", "&Não"} for a confirmation, "&OK"
// otherwise. With VEX_DIALOG_ANSWER set ("yes" or "no") nothing is shown: the
// text goes to the standard error and the dialog answers as told, so that
// scripts and tests can drive the program.
bool ShowUninstDialog(TUninstMessageKind Kind, const std::string& Text, const std::string& Details);

}  // namespace uninstall
