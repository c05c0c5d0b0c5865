#pragma once
// The installer's operating-system routines (folders, environment, shortcuts,
// registry items and lists, the uninstall entry, the document type, the older
// edition's removal, self-deletion) and the installation log with its undo.
// Nothing here shows anything: failures raise with a message from the string
// table or answer false or an empty result.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/Registry.h"

namespace installlib {

// --- Folders and environment ---

// %NAME% references expanded, surrounding blanks removed.
std::string ExpandEnvironment(const std::string& Text);
// The folder named by an environment variable, with a trailing backslash.
std::string GetEnvironmentFolder(const std::string& Name);
std::string GetTempFolder();
std::string GetSystemFolder();
// "ProgramFilesDir" of the local machine with a trailing backslash; empty when unknown.
std::string GetProgramFilesFolder();
// The file-system path of a shell special folder (CSIDL); empty when it has none.
std::string GetSpecialFolder(int Folder);

// --- Shortcuts ---

// Writes a shell link. Status codes are not checked: callers test for the link file.
void CreateShellLink(const std::string& LinkFile, const std::string& Target, const std::string& Arguments,
                     const std::string& WorkingDir, int ShowCmd, const std::string& IconFile, int IconIndex);

// --- The folder browser, supplied by the user interface ---

class TFolderBrowser {
public:
    virtual ~TFolderBrowser() = default;
    // Lets the user pick a file-system folder; InitialFolder is empty when the
    // browser should open on its default. True and Folder set when one was chosen.
    virtual bool Browse(void* Owner, const std::string& Title, const std::string& InitialFolder, std::string& Folder) = 0;
};

// Installs the browser BrowseForFolder uses (not owned; nullptr removes it).
void SetFolderBrowser(TFolderBrowser* Browser);
// Opens the installed browser, on InitialFolder when that folder exists.
// False when the user cancels or no browser is installed.
bool BrowseForFolder(void* Owner, const std::string& Title, const std::string& InitialFolder, std::string& Folder);

// --- Registry items and comma lists ---

// Splits "ROOT\key path\value name,item". True only for one of the seven root
// names with a key path and a value name; Root is set whenever the root name is known.
bool ParseRegItem(const std::string& Text, platform::os::HKEY& Root, std::string& KeyPath, std::string& ValueName,
                  std::string& Item);
// Appends the items of a comma list, blanks around each removed.
void SplitList(std::vector<std::string>& List, const std::string& Text);
// Joins items with ", ".
std::string JoinList(const std::vector<std::string>& List);

// --- Uninstall entry ---

// The entry's key under the local machine hive, for Name.
std::string UninstallEntryKey(const std::string& Name);
// Raises SRegistryUpdateFailed when the entry's key cannot be opened or created.
bool WriteUninstallEntry(const std::string& Name, const std::string& Command);
bool RemoveUninstallEntry(const std::string& Name);

// --- Document file type ---

std::string NormalizeExtension(const std::string& Ext);
// The type key RegisterFileType would create for Ext now: the first of
// "bldfile", "bldfile1", ... (for "bld") that the classes root lacks.
std::string FreeFileTypeName(const std::string& Ext);
void RegisterFileType(const std::string& Description, const std::string& Ext, const std::string& AppPath,
                      const std::string& Param, const std::string& IconFile, int IconIndex);
void UnregisterFileType(const std::string& Ext);

// --- Processes ---

// Uninstalls the older edition through the installer service and waits for
// it, keeping the caller's windows alive. True when it exited with 0.
bool RemoveOldVersion();

// How SelfDelete starts its batch file and ends the program. Tests replace
// both so that the test program neither runs the batch nor ends.
struct TSelfDeleteHooks {
    std::function<void(const std::string& BatchFile)> RunBatch;
    std::function<void()> EndProgram;
};
// Installs hooks and answers the previous ones; empty members restore the defaults.
TSelfDeleteHooks SetSelfDeleteHooks(TSelfDeleteHooks Hooks);

// Removes the running program and its folder once it has ended, through a
// batch file in the temporary folder; the program ends here. Only for programs
// on removable or fixed drives; elsewhere it returns at once.
void SelfDelete();

// --- Installation log ---

// One line per item; an item may hold line breaks (the header does).
using TInstallLog = std::vector<std::string>;

// Appends "Kind=Value".
void AddLog(TInstallLog& Log, const std::string& Kind, const std::string& Value);
// The log file is single-byte text (code page 1252), each item ending in CR LF.
void SaveLogToFile(const TInstallLog& Log, const std::string& FileName);
TInstallLog LoadLogFromFile(const std::string& FileName);

// Shows the closing message; the caller decides how.
using TMessageCallback = std::function<void(const std::string& Message)>;

// Undoes what the log records, newest first. Shared parts (application files,
// "Path", folders, the document type) go only with the last registered
// package. A non-empty Message goes to ShowMessage at the end.
void UndoInstallLog(const TInstallLog& Log, const std::string& Message, const TMessageCallback& ShowMessage = {});

}  // namespace installlib
