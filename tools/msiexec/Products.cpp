#include "Products.h"

#include <algorithm>
#include <cctype>

#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Registry.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"

namespace fs = std::filesystem;
using namespace platform::os;

namespace msiexec {

namespace {

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::vector<TManifestEntry> ReadManifest(const fs::path& File) {
    std::vector<TManifestEntry> Entries;
    if (!fs::exists(File)) return Entries;
    const std::string Text = ReadHostFile(File);
    const std::vector<std::string_view> Lines = SplitText(Text, '\n');
    for (size_t Line = 1; Line <= Lines.size(); ++Line) {
        const std::string Row = Trim(Lines[Line - 1]);
        if (Row.empty() || Row[0] == ';') continue;
        const size_t Equal = Row.find('=');
        const std::string Kind = Equal == std::string::npos ? "" : AnsiLowerCase(Trim(Row.substr(0, Equal)));
        if (Kind != "file" && Kind != "dir" && Kind != "key")
            throw Exception(Format("%s:%zu: expected file=, dir= or key=, found \"%s\"", File.c_str(), Line, Row.c_str()));
        Entries.push_back({Kind, Trim(Row.substr(Equal + 1))});
    }
    return Entries;
}

void DeleteRegistryKey(const std::string& Item) {
    const size_t Slash = Item.find('\\');
    const HKEY Root = RootKeyFromName(Item.substr(0, Slash));
    if (!Root || Slash == std::string::npos) return;
    TRegistry Reg;
    Reg.SetRootKey(Root);
    Reg.DeleteKey(Item.substr(Slash + 1));
}

}  // namespace

fs::path ManifestPath(const std::string& ProductCode) {
    return EnsurePrefix() / "products" / (AnsiUpperCase(ProductCode) + ".manifest");
}

bool IsProductCode(const std::string& Text) {
    static const char kPattern[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (Text.size() != sizeof kPattern - 1) return false;
    for (size_t I = 0; I < Text.size(); ++I) {
        const bool Hex = std::isxdigit(static_cast<unsigned char>(Text[I])) != 0;
        if (kPattern[I] == 'X' ? !Hex : Text[I] != kPattern[I]) return false;
    }
    return true;
}

bool ProductRegistered(const std::string& ProductCode) {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    return IsProductCode(ProductCode) && Reg.KeyExists(kUninstallKey + ProductCode);
}

void RegisterProduct(const std::string& ProductCode, const std::string& DisplayName,
                     const std::vector<std::string>& Paths) {
    if (!IsProductCode(ProductCode)) throw Exception(Format("\"%s\" is not a product code", ProductCode.c_str()));
    std::string Manifest = "; Installed by product " + ProductCode + "\n";
    for (const std::string& Path : Paths) {
        const bool Folder = (!Path.empty() && Path.back() == '\\') || DirectoryExists(Path);
        Manifest += (Folder ? "dir=" + IncludeTrailingBackslash(Path) : "file=" + Path) + "\n";
    }
    WriteHostFile(ManifestPath(ProductCode), Manifest);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKey(kUninstallKey + ProductCode, true))
        throw Exception(Format("Cannot create the uninstall key of %s", ProductCode.c_str()));
    Reg.WriteString("DisplayName", DisplayName);
    Reg.WriteString("UninstallString", "MsiExec.exe /X" + ProductCode);
}

int RemoveProduct(const std::string& ProductCode, std::string& Report) {
    if (!ProductRegistered(ProductCode)) {
        Report = "unknown product " + ProductCode;
        return ExitUnknownProduct;
    }
    const fs::path File = ManifestPath(ProductCode);
    const std::vector<TManifestEntry> Entries = ReadManifest(File);
    bool Failed = false;
    for (const TManifestEntry& Entry : Entries)
        if (Entry.Kind == "file" && FileExists(Entry.Value) && !DeleteFile(Entry.Value)) {
            ClearFileAttributes(Entry.Value);
            if (!DeleteFile(Entry.Value)) {
                Report += "cannot remove " + Entry.Value + "\n";
                Failed = true;
            }
        }
    if (Failed) return ExitInstallFailure;
    // Inner folders were listed after the folders that hold them.
    for (auto It = Entries.rbegin(); It != Entries.rend(); ++It)
        if (It->Kind == "dir") RemoveDir(It->Value);
    for (const TManifestEntry& Entry : Entries)
        if (Entry.Kind == "key") DeleteRegistryKey(Entry.Value);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    Reg.DeleteKey(kUninstallKey + ProductCode);
    fs::remove(File);
    Report = "removed " + ProductCode;
    return ExitSuccess;
}

}  // namespace msiexec
