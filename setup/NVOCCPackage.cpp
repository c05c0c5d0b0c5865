#include "setup/NVOCCPackage.h"

#include <optional>

#include "installlib/VxiStream.h"
#include "platform/os/Files.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Resources.h"

namespace setup {

using namespace platform::os;

namespace {

const char* const kDefaultPackageFile = "default.nvo";
const char* const kPackageResource = "NVOCC";
const char* const kConfigEntry = "nvocc_cfg.ini";
const char* const kLogoEntry = "image.bmp";
const char* const kConfigSection = "Config";

std::string GPackageFile;

struct TIniLine {
    std::string Key;
    std::string Value;
};

std::optional<std::string> SectionName(const std::string& Line) {
    if (Line.size() < 2 || Line.front() != '[' || Line.back() != ']') return std::nullopt;
    return Trim(std::string_view(Line).substr(1, Line.size() - 2));
}

std::optional<TIniLine> KeyLine(const std::string& Line) {
    const size_t Equals = Line.find('=');
    if (Line.empty() || Line.front() == ';' || Equals == std::string::npos) return std::nullopt;
    return TIniLine{Trim(std::string_view(Line).substr(0, Equals)), Trim(std::string_view(Line).substr(Equals + 1))};
}

std::vector<char> InflateEntry(installlib::TVxiStream& Archive, int Index) {
    TMemoryStream Entry;
    Archive.ExtractFile(Index, Entry);
    return Entry.Data();
}

}  // namespace

TNVOCCData ReadNVOCCConfig(const std::string& IniText) {
    TNVOCCData Data;
    std::pair<const char*, std::string*> Keys[] = {
        {"Name", &Data.Name}, {"Email", &Data.Email}, {"Site", &Data.Site}, {"FileName", &Data.FileName}};
    bool InSection = false;
    for (std::string_view Raw : SplitText(IniText, '\n')) {
        const std::string Line = Trim(Raw);
        if (const std::optional<std::string> Section = SectionName(Line)) {
            InSection = SameText(*Section, kConfigSection);
            continue;
        }
        const std::optional<TIniLine> Entry = InSection ? KeyLine(Line) : std::nullopt;
        if (!Entry) continue;
        for (auto& [Key, Field] : Keys)
            if (SameText(Entry->Key, Key) && Field->empty()) *Field = AnsiToUtf8(Entry->Value);
    }
    return Data;
}

TPackageContents ReadPackage(TStream& Package) {
    TPackageContents Contents;
    installlib::TVxiStream Archive(Package);
    for (int Index = 0; Index < Archive.Count(); ++Index) {
        const std::string Name = Archive.GetFileName(Index);
        if (SameText(Name, kConfigEntry)) {
            const std::vector<char> Text = InflateEntry(Archive, Index);
            Contents.NVOCC = ReadNVOCCConfig(std::string(Text.begin(), Text.end()));
        } else if (SameText(Name, kLogoEntry)) {
            const std::vector<char> Bitmap = InflateEntry(Archive, Index);
            Contents.Logo = QImage::fromData(reinterpret_cast<const uchar*>(Bitmap.data()),
                                             static_cast<int>(Bitmap.size()), "BMP");
            break;
        }
    }
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
