#pragma once
// The command interpreter of the emulated environment ("cmd.exe /c FILE"):
// enough of the batch language for the scripts programs write for
// themselves: labels, goto, if [not] exist, del, rmdir/rd, echo, rem.
#include <string>

namespace winenv {

// Runs a batch file (a Windows path; the text is in code page 1252) and
// answers its exit code. Unknown commands fail with a message on stderr.
int RunBatchFile(const std::string& WinPath);

}  // namespace winenv
