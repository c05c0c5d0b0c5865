#pragma once
// Tests that run host programs (winenv, the installed programs) on their
// own prefix. The including test target defines WINENV_PATH.
#include <gtest/gtest.h>
#include <sys/wait.h>

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

// A fresh prefix with the programs "winenv init" installs (cmd.exe, msiexec.exe).
class InitializedPrefixTest : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        ASSERT_EQ(RunCommand(Quote(WINENV_PATH) + " init >/dev/null"), 0);
    }
};
