#pragma once
// The installation journal: what an installation run must put back to leave
// the machine as it found it. Before each change the run records what the
// change replaces (the folders and keys it will create, a copy of each file
// and key it will overwrite), flushed to disk, so that a failed or cancelled
// run, and one whose process died, can be undone exactly. The journal lives
// in one fixed folder, where the next start of the setup program finds it;
// the run holds the journal file locked while it lives, so another program
// never takes a running installation for an interrupted one. Recording
// raises when the journal cannot be written; rolling back does its best with
// every entry and reports nothing. Separate from the installation
// log, which records what the uninstaller removes later.
#include <memory>
#include <string>

#include "platform/os/Registry.h"
#include "platform/os/Streams.h"

namespace installlib {

// "<common application data>\Ostrevan Installer\": one installation at a time.
std::string JournalFolder();

class TInstallJournal {
public:
    // Begins an empty journal in Folder; a journal left there by a run that
    // died is rolled back first. Raises while another run holds the journal.
    explicit TInstallJournal(std::string Folder = JournalFolder());
    ~TInstallJournal();
    TInstallJournal(const TInstallJournal&) = delete;
    TInstallJournal& operator=(const TInstallJournal&) = delete;

    // Every missing folder of Path (with all its parents) is about to be created.
    void FolderWillBeCreated(const std::string& Path);
    // The file is about to be written: a copy of it is kept, or it is noted as new.
    void FileWillBeWritten(const std::string& Path);
    // The key or its subkeys are about to change: a copy of the whole key is
    // kept, or its outermost missing key is noted as new.
    void KeyWillBeWritten(platform::os::HKEY Root, const std::string& Key);

    // Undoes every recorded change, newest first, and removes the journal.
    void Rollback();
    // Keeps the changes and removes the journal.
    void Commit();

private:
    std::string KeepCopy(const std::string& Content);
    void Append(const std::string& Line);

    std::string FFolder;
    std::unique_ptr<platform::os::TFileStream> FFile;  // the journal, locked
    int FCopies = 0;
};

// A journal in Folder that no living run holds: a run that neither finished
// nor was undone.
bool InterruptedInstallationFound(const std::string& Folder = JournalFolder());
// Undoes that run and removes its journal; nothing happens without one.
void RollbackInterruptedInstallation(const std::string& Folder = JournalFolder());

}  // namespace installlib
