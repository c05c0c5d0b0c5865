#pragma once
// Products registered with the emulated installer service: the uninstall key
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{CODE} and the
// manifest <prefix>/products/{CODE}.manifest that lists what the product
// put on the machine, one "kind=value" line each:
//   file=C:\Program Files\App\app.exe     a file
//   dir=C:\Program Files\App\             a folder, removed when empty
//   key=HKEY_LOCAL_MACHINE\Software\App   a registry key, with its subkeys
#include <filesystem>
#include <string>
#include <vector>

namespace msiexec {

enum : int {
    ExitSuccess = 0,
    ExitInstallFailure = 1603,
    ExitUnknownProduct = 1605,
    ExitInvalidCommandLine = 1639,
};

struct TManifestEntry {
    std::string Kind;   // "file", "dir" or "key"
    std::string Value;
};

std::filesystem::path ManifestPath(const std::string& ProductCode);
bool IsProductCode(const std::string& Text);  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
bool ProductRegistered(const std::string& ProductCode);

// Registers a product: its uninstall key (DisplayName, UninstallString) and a
// manifest listing Paths (folders end in a backslash or exist as folders).
void RegisterProduct(const std::string& ProductCode, const std::string& DisplayName,
                     const std::vector<std::string>& Paths);

// Removes what the manifest lists, then the registration. Answers an exit
// code of the service: success, unknown product, or failure when a file
// could not be removed (the product then stays registered).
int RemoveProduct(const std::string& ProductCode, std::string& Report);

}  // namespace msiexec
