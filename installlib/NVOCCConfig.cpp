#include "installlib/NVOCCConfig.h"

#include <cstring>
#include <optional>

#include "installlib/VxiStream.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"

namespace installlib {

using namespace platform::os;

namespace {

const char* const kCustomerArg = "NVOCC=";
const char* const kConfigEntry = "nvocc_cfg.ini";
const char* const kLogoEntry = "image.bmp";
const char* const kConfigSection = "Config";

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

std::vector<char> InflateEntry(TVxiStream& Archive, int Index) {
    TMemoryStream Entry;
    Archive.ExtractFile(Index, Entry);
    return Entry.Data();
}

}  // namespace

std::string CustomerFromArgs(const std::vector<std::string>& Args) {
    std::string Text;
    for (const std::string& Arg : Args) Text += (Text.empty() ? "" : " ") + Arg;
    // Quotes cannot be part of a customer's name: the name also names its log file.
    std::erase(Text, '"');
    Text = Trim(Text);
    const size_t Prefix = std::char_traits<char>::length(kCustomerArg);
    if (Text.size() <= Prefix || !SameText(Text.substr(0, Prefix), kCustomerArg)) return {};
    return Trim(Text.substr(Prefix));
}

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
        // The first occurrence of a key counts, as the platform's INI reader has it.
        for (auto& [Key, Field] : Keys)
            if (SameText(Entry->Key, Key) && Field->empty()) *Field = AnsiToUtf8(Entry->Value);
    }
    return Data;
}

TNVOCCPackage ReadNVOCCPackage(TStream& Package) {
    TNVOCCPackage Contents;
    TVxiStream Archive(Package);
    for (int Index = 0; Index < Archive.Count(); ++Index) {
        const std::string Name = Archive.GetFileName(Index);
        if (SameText(Name, kConfigEntry)) {
            const std::vector<char> Text = InflateEntry(Archive, Index);
            Contents.NVOCC = ReadNVOCCConfig(std::string(Text.begin(), Text.end()));
        } else if (SameText(Name, kLogoEntry)) {
            Contents.Logo = InflateEntry(Archive, Index);
            break;
        }
    }
    return Contents;
}

bool IsValidFileName(const std::string& Text) { return platform::os::FileNameProblem(Text).empty(); }

bool IsInstallable(const TNVOCCData& NVOCC) { return IsValidFileName(NVOCC.Name) && IsValidFileName(NVOCC.FileName); }

}  // namespace installlib
