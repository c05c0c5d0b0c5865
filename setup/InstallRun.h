#pragma once
// The installation run: expands the application, writes the customer package,
// shortcuts, registry values, uninstall entry and document type, logging each
// action for the uninstaller. Before each change it records in the
// installation journal what the change replaces; a failure or a cancel rolls
// the journal back, so the machine is left as the run found it.
#include <functional>
#include <memory>
#include <string>

#include "installlib/InstaladorLib.h"
#include "platform/os/Streams.h"
#include "setup/NVOCCPackage.h"

namespace setup {

// What the run needs from the window that hosts it: the progress bar, the
// message loop, the cancel flag, the final pages and the two dialogs.
class TInstallHost {
public:
    virtual ~TInstallHost() = default;
    virtual void ResetProgress(int Max) = 0;
    virtual void AdvanceProgress() = 0;
    virtual void ProcessMessages() = 0;
    virtual bool CancelRequested() const = 0;
    virtual void ClearCancelRequest() = 0;
    virtual void ShowCancelled() = 0;
    virtual void ShowFinished() = 0;
    // The retry prompt for a file that cannot be written; answers the modal result.
    virtual int AskRetry(const std::string& Message) = 0;
    virtual void ReportFailure(const std::string& Message, const std::string& Details) = 0;
    // How long each progress step lasts at least.
    virtual int StepMilliseconds() const { return kStepMilliseconds; }

    static constexpr int kStepMilliseconds = 100;
};

// Opens the "DATA" archive: by default a copy of the program's resource.
using TArchiveSource = std::function<std::unique_ptr<platform::os::TStream>()>;
std::unique_ptr<platform::os::TStream> OpenDataResource();

struct TInstallRequest {
    TNVOCCData NVOCC;
    std::string InstallFolder;                       // as the user typed it
    platform::os::TStream* Package = nullptr;        // saved byte for byte; not owned
    TArchiveSource OpenData = OpenDataResource;
    // Called as each numbered step of the run (2 to 24) begins; what it raises
    // is a failure of that step. Tests fail, cancel or end the run there.
    std::function<void(int Step)> OnStep = nullptr;
};

// Where the installed application starts; set once its menu shortcut is made.
struct TLaunchCommand {
    std::string File;
    std::string Params;
};

inline constexpr int kInstallSteps = 15;

// Runs the whole installation on the caller's thread; true on success. A
// customer whose name or file name cannot name a file is refused before
// anything changes. The launch command is set as soon as it is known, also
// when the run fails later.
bool RunInstallation(TInstallHost& Host, const TInstallRequest& Request, TLaunchCommand& Launch);

// 65195 with the last system error code and its text, without the text's
// trailing blanks, line breaks and dots.
std::string LastErrorText();

}  // namespace setup
