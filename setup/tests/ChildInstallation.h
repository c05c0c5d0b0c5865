#pragma once
// Installations in a process of their own (install_child), killed by SIGKILL
// as a chosen step begins. The including test target defines INSTALL_CHILD_PATH.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "installlib/NVOCCConfig.h"

// The signal that ended the child; 0 when it ended by itself.
inline int InstallKilledAt(int Step, const installlib::TNVOCCData& Customer, const std::string& Folder) {
    const std::string StepArg = std::to_string(Step);
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        ::execl(INSTALL_CHILD_PATH, INSTALL_CHILD_PATH, StepArg.c_str(), Customer.Name.c_str(),
                Customer.FileName.c_str(), Folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int Status = 0;
    ::waitpid(Pid, &Status, 0);
    return WIFSIGNALED(Status) ? WTERMSIG(Status) : 0;
}
