// A hive file edited by hand or damaged on disk must load or raise a clear
// error; a hive that loads must survive a save and a second load with every
// key and value, the root's own values included. Works in memory: no file is
// written, so no run waits for the disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/os/RegFile.h"

using namespace platform::os;

namespace {

const char* const kRoot = "HKEY_CURRENT_USER";

// Depth is bounded by the loader (512 levels), so recursion is safe here.
bool SameTree(const TRegKey& A, const TRegKey& B) {
    if (A.Name() != B.Name() || A.Values() != B.Values()) return false;
    const auto SubsA = A.SubKeys(), SubsB = B.SubKeys();
    if (SubsA.size() != SubsB.size()) return false;
    for (size_t I = 0; I < SubsA.size(); ++I)
        if (!SameTree(*SubsA[I], *SubsB[I])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    std::unique_ptr<TRegKey> Loaded;
    try {
        Loaded = LoadHiveText(Input, "fuzz.reg", kRoot);
    } catch (const ERegistryException&) {
        return 0;  // refused with a clear error
    }
    const std::string Saved = FormatRegText(*Loaded, kRoot, false);
    const std::unique_ptr<TRegKey> Reloaded = LoadHiveText(Saved, "saved.reg", kRoot);  // raising aborts the run
    if (!SameTree(*Loaded, *Reloaded)) std::abort();
    if (FormatRegText(*Reloaded, kRoot, false) != Saved) std::abort();
    return 0;
}
