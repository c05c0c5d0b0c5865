#pragma once
// Tests that run host programs (winenv, the installed programs) on their
// own prefix. The including test target defines WINENV_PATH.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "installlib/tests/TempPrefix.h"

inline std::string Quote(const std::string& Arg) { return "'" + Arg + "'"; }

inline int RunCommand(const std::string& Command) {
    const int Status = std::system(Command.c_str());
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// Waits up to five seconds for a condition a detached process brings about.
template <typename TCondition>
bool Eventually(TCondition Condition) {
    for (int Try = 0; Try < 100; ++Try) {
        if (Condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Condition();
}

// "winenv hold" on a file, in a process of its own, from construction until
// Release or the end of the scope.
class THeldFile {
public:
    explicit THeldFile(const std::string& WinPath) {
        int Out[2];
        if (::pipe(Out) != 0) return;
        FPid = ::fork();
        if (FPid == 0) {
            ::dup2(Out[1], STDOUT_FILENO);
            ::close(Out[0]);
            ::close(Out[1]);
            ::execl(WINENV_PATH, WINENV_PATH, "hold", WinPath.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(Out[1]);
        // The holder prints its line only once the file is open.
        std::string Line;
        char Byte;
        while (FPid > 0 && ::read(Out[0], &Byte, 1) == 1 && Byte != '\n') Line += Byte;
        ::close(Out[0]);
        FHolding = Line.rfind("holding ", 0) == 0;
    }
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;
    ~THeldFile() { Release(); }

    bool Holding() const { return FHolding; }
    void Release() {
        if (FPid <= 0) return;
        ::kill(FPid, SIGTERM);
        ::waitpid(FPid, nullptr, 0);
        FPid = -1;
        FHolding = false;
    }

private:
    pid_t FPid = -1;
    bool FHolding = false;
};

// A fresh prefix with the programs "winenv init" installs (cmd.exe, msiexec.exe).
class InitializedPrefixTest : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        ASSERT_EQ(RunCommand(Quote(WINENV_PATH) + " init >/dev/null"), 0);
    }
};
