// An installation run in a process of its own that dies by SIGKILL as a
// given step begins, as a killed program or a machine switched off would.
// Arguments: the step, the customer's name, its file name and the folder;
// the prefix is the one WINENV_PREFIX names.
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "setup/InstallRun.h"

namespace {

class TSilentHost : public setup::TInstallHost {
public:
    void ResetProgress(int) override {}
    void AdvanceProgress() override {}
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }
    void ClearCancelRequest() override {}
    void ShowCancelled() override {}
    void ShowFinished() override {}
    int AskRetry(const std::string& Message) override {
        std::cerr << Message << '\n';
        return 1;
    }
    void ReportFailure(const std::string& Message, const std::string& Details) override {
        std::cerr << Message << '\n' << Details << '\n';
    }
    int StepMilliseconds() const override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: install_child STEP NAME FILENAME FOLDER\n";
        return 2;
    }
    const int KillAt = std::atoi(argv[1]);
    platform::os::TMemoryStream Package;
    const std::string Content = "package written by the child";
    Package.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));

    setup::TInstallRequest Request{{argv[2], "", "", argv[3]}, argv[4], &Package};
    Request.OnStep = [KillAt](int Step) {
        if (Step == KillAt) ::raise(SIGKILL);
    };
    TSilentHost Host;
    setup::TLaunchCommand Launch;
    return setup::RunInstallation(Host, Request, Launch) ? 0 : 1;
}
