#pragma once
// A fresh emulated prefix for each test, removed afterwards; the process's
// current folder and the previous prefix are put back too.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/os/WinEnv.h"

class TempPrefixTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* Previous = std::getenv("WINENV_PREFIX");
        if (Previous) FPreviousPrefix = Previous;
        FCurrentDir = std::filesystem::current_path();
        FPrefix = std::filesystem::temp_directory_path() /
                  ("installlib-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(FPrefix);
        ::setenv("WINENV_PREFIX", FPrefix.c_str(), 1);
        platform::os::EnsurePrefix();
    }

    void TearDown() override {
        std::filesystem::current_path(FCurrentDir);
        std::filesystem::remove_all(FPrefix);
        if (FPreviousPrefix)
            ::setenv("WINENV_PREFIX", FPreviousPrefix->c_str(), 1);
        else
            ::unsetenv("WINENV_PREFIX");
    }

    std::filesystem::path FPrefix;

private:
    std::optional<std::string> FPreviousPrefix;
    std::filesystem::path FCurrentDir;
};
