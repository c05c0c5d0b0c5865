#pragma once
// Uninst: undoes one customer's installation from the log the installation
// run saved for it. The command line is "NVOCC=<Name>", as the uninstall
// entry writes it. Every question and message goes through the dialog the
// caller supplies, so that the program shows them and tests answer them.
#include <functional>
#include <string>
#include <vector>

#include "installlib/InstaladorLib.h"

namespace uninstall {

enum TUninstMessageKind { umConfirmation, umInformation, umError };

// Shows Text (and Details when not empty); for umConfirmation, true when the
// user answered yes. The answer of the other kinds is ignored.
using TUninstDialog =
    std::function<bool(TUninstMessageKind Kind, const std::string& Text, const std::string& Details)>;

// Exit codes of the program.
enum TUninstResult { urRemoved = 0, urFailed = 1, urDeclined = 2 };

// "<Name>.log" in ProgramFolder when it is there, else in the folder of the
// registered "Path"; empty when neither holds it.
std::string FindLogFile(const std::string& Name, const std::string& ProgramFolder);

// Whether a loaded log is the one the installation run wrote for Name: its
// first line is the first line of the log header for that customer.
bool IsCustomerLog(const installlib::TInstallLog& Log, const std::string& Name);

// The customer's database, "<FileName>.db" beside the package file the log
// lists; empty when the log lists no package. The log never records it, so
// the undo leaves it: bills of lading are records an office must keep.
std::string CustomerDatabaseFile(const installlib::TInstallLog& Log);

// The whole uninstallation: finds and checks the log, asks, undoes it and
// tells the user, naming the customer's database when it stays behind. Bad
// input is reported and changes nothing. ProgramFolder is the uninstaller's
// own folder (with a trailing backslash).
TUninstResult RunUninstall(const std::vector<std::string>& Args, const std::string& ProgramFolder,
                           const TUninstDialog& Dialog);

}  // namespace uninstall
