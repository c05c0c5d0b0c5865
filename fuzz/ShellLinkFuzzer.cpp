// Link files come from anywhere: decoding must end in a result or an
// Exception, never a crash; what decodes must encode again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/os/Exceptions.h"
#include "platform/os/ShellLink.h"
#include "platform/os/WinPath.h"

using namespace platform::os;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    try {
        const TShellLinkData Link = DecodeShellLink(std::string_view(reinterpret_cast<const char*>(Data), Size));
        if (IsAbsoluteWinPath(Link.Target)) EncodeShellLink(Link);
    } catch (const Exception&) {
    }
    return 0;
}
