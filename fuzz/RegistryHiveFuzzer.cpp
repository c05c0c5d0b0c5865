// A hive file edited by hand or damaged on disk must load or raise a clear
// error; a hive that loads must survive a save and load again unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/Exceptions.h"
#include "platform/os/Registry.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

fs::path Prefix() {
    static const fs::path Path = [] {
        const fs::path P = fs::temp_directory_path() / ("fuzz-hive-" + std::to_string(::getpid()));
        ::setenv("WINENV_PREFIX", P.c_str(), 1);
        EnsurePrefix();
        return P;
    }();
    return Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const fs::path Hive = Prefix() / "registry" / "HKCU.reg";
    WriteHostFile(Hive, std::string_view(reinterpret_cast<const char*>(Data), Size));
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        Reg.KeyExists("Software");
    } catch (const ERegistryException&) {
        return 0;  // refused: the file must be left as it was
    }
    const std::string Before = ExportRegistryKey(HKEY_CURRENT_USER, "");
    if (Reg.OpenKey("Fuzz", true)) {
        Reg.WriteString("v", "x");
        Reg.DeleteKey("\\Fuzz");
    }
    if (ExportRegistryKey(HKEY_CURRENT_USER, "") != Before) std::abort();
    return 0;
}
