#include "setup/NVOCCPackage.h"

#include "platform/os/Files.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Resources.h"

namespace setup {

using namespace platform::os;

namespace {

const char* const kDefaultPackageFile = "default.nvo";
const char* const kPackageResource = "NVOCC";

std::string GPackageFile;

}  // namespace

TPackageContents ReadPackage(TStream& Package) {
    installlib::TNVOCCPackage Read = installlib::ReadNVOCCPackage(Package);
    TPackageContents Contents;
    Contents.NVOCC = std::move(Read.NVOCC);
    if (!Read.Logo.empty())
        Contents.Logo = QImage::fromData(reinterpret_cast<const uchar*>(Read.Logo.data()),
                                         static_cast<int>(Read.Logo.size()), "BMP");
    return Contents;
}

std::unique_ptr<TStream> LoadPackage() {
    const std::string DefaultPackage =
        GPackageFile.empty() ? ExtractFilePath(GetModuleFileName()) + kDefaultPackageFile : GPackageFile;
    if (FileExists(DefaultPackage)) {
        auto Stream = std::make_unique<TMemoryStream>();
        std::unique_ptr<TFileStream> File = OpenFileStream(DefaultPackage, fmOpenRead | fmShareDenyWrite);
        Stream->LoadFromStream(*File);
        return Stream;
    }
    try {
        return std::make_unique<platform::ui::TResourceStream>(kPackageResource);
    } catch (const std::exception&) {
        return nullptr;
    }
}

void SetPackageFile(const std::string& WinPath) { GPackageFile = WinPath; }

}  // namespace setup
