// The installer service of the emulated environment, installed as
// "msiexec.exe" in the system folder. It knows one action: removing a
// registered product ("/X{CODE}", with or without "/quiet").
#include <cstdio>
#include <string>

#include "Products.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Process.h"
#include "platform/os/Text.h"

using namespace platform::os;

namespace {

// Options start with '/' or '-' and ignore case.
bool IsOption(const std::string& Arg, const char* Name) {
    return Arg.size() > 1 && (Arg[0] == '/' || Arg[0] == '-') && SameText(Arg.substr(1), Name);
}

bool IsUninstallOption(const std::string& Arg) {
    return Arg.size() > 1 && (Arg[0] == '/' || Arg[0] == '-') && (Arg[1] == 'x' || Arg[1] == 'X');
}

int Run(int argc, char** argv) {
    std::string ProductCode;
    bool Quiet = false;
    for (int I = 1; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (IsOption(Arg, "quiet") || IsOption(Arg, "qn") || IsOption(Arg, "passive") || IsOption(Arg, "norestart")) {
            Quiet = true;
        } else if (IsUninstallOption(Arg)) {
            ProductCode = Arg.size() > 2 ? Arg.substr(2) : (I + 1 < argc ? argv[++I] : "");
        } else {
            std::fprintf(stderr, "msiexec: unsupported option \"%s\"; only /X{product code} is emulated\n", Arg.c_str());
            return msiexec::ExitInvalidCommandLine;
        }
    }
    if (!msiexec::IsProductCode(ProductCode)) {
        std::fprintf(stderr, "msiexec: usage: msiexec [/quiet] /X{product code}\n");
        return msiexec::ExitInvalidCommandLine;
    }
    try {
        std::string Report;
        const int Code = msiexec::RemoveProduct(AnsiUpperCase(ProductCode), Report);
        if (!Quiet || Code != msiexec::ExitSuccess) std::fprintf(Code ? stderr : stdout, "msiexec: %s\n", Report.c_str());
        return Code;
    } catch (const Exception& E) {
        std::fprintf(stderr, "msiexec: %s\n", E.what());
        return msiexec::ExitInstallFailure;
    }
}

}  // namespace

int main(int argc, char** argv) { ExitProcess(static_cast<uint32_t>(Run(argc, argv))); }
