// Any text given as a Windows path maps to a host path inside a drive root or
// fails with a Windows error code; nothing escapes the drive with "..".
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/Exceptions.h"
#include "platform/os/WinEnv.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

const fs::path& DriveC() {
    static const fs::path Path = [] {
        const fs::path P = fs::temp_directory_path() / ("fuzz-path-" + std::to_string(::getpid()));
        ::setenv("WINENV_PREFIX", P.c_str(), 1);
        return EnsurePrefix() / "drive_c";
    }();
    return Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const fs::path& Root = DriveC();  // first: it points the environment at the fuzzing prefix
    const std::string Text = "C:\\" + std::string(reinterpret_cast<const char*>(Data), Size);
    fs::path Host;
    uint32_t Error = 0;
    if (!TryHostPath(Text, Host, Error)) {
        if (Error == 0) std::abort();
        return 0;
    }
    const fs::path Inside = Host.lexically_relative(Root);
    if (Inside.empty() || *Inside.begin() == "..") std::abort();
    return 0;
}
