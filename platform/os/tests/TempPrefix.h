#pragma once
// A fresh emulated prefix for one test: WINENV_PREFIX points at a new
// temporary folder while the object lives.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

class TTempPrefix {
public:
    TTempPrefix() {
        static std::atomic<int> Counter{0};
        FRoot = std::filesystem::temp_directory_path() /
                ("winenv-test-" + std::to_string(::getpid()) + "-" + std::to_string(Counter++));
        std::filesystem::remove_all(FRoot);
        if (const char* Old = std::getenv("WINENV_PREFIX")) FOld = Old, FHadOld = true;
        ::setenv("WINENV_PREFIX", FRoot.c_str(), 1);
    }
    ~TTempPrefix() {
        if (FHadOld) ::setenv("WINENV_PREFIX", FOld.c_str(), 1);
        else ::unsetenv("WINENV_PREFIX");
        std::error_code Ignored;
        std::filesystem::permissions(FRoot, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, Ignored);
        std::filesystem::remove_all(FRoot, Ignored);
    }
    TTempPrefix(const TTempPrefix&) = delete;
    TTempPrefix& operator=(const TTempPrefix&) = delete;

    const std::filesystem::path& Root() const { return FRoot; }
    std::filesystem::path DriveC() const { return FRoot / "drive_c"; }

private:
    std::filesystem::path FRoot;
    std::string FOld;
    bool FHadOld = false;
};
