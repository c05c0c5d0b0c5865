#include "setup/WizardState.h"

#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "platform/os/Registry.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"

namespace setup {

using namespace installlib;
using namespace platform::os;

namespace {

const char* const kDefaultSubfolder = "Ostrevan\\Navitrex";
const std::string kCustomerTag = "[NVOCC]";
const char* const kDefaultScheme = "http://";
constexpr std::string_view kMailScheme = "mailto:";

void AppendLines(std::vector<std::string>& Lines, const std::string& Text) {
    size_t Start = 0;
    for (size_t Break; (Break = Text.find("\r\n", Start)) != std::string::npos; Start = Break + 2)
        Lines.push_back(Text.substr(Start, Break - Start));
    Lines.push_back(Text.substr(Start));
}

}  // namespace

TInstallationState ReadInstallationState() {
    TInstallationState State;
    State.ProposedFolder = GetProgramFilesFolder() + kDefaultSubfolder;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    State.OldVersionInstalled = Reg.KeyExists(kOldVersionUninstallKey);
    if (Reg.OpenKey(kNavitrexKey, false) && Reg.ValueExists(kPackageListValue)) {
        std::vector<std::string> Packages;
        SplitList(Packages, Reg.ReadString(kPackageListValue));
        State.Installed = !Packages.empty();
        if (State.Installed && Reg.ValueExists(kPathValue)) State.ProposedFolder = Reg.ReadString(kPathValue);
    }
    return State;
}

bool HasDrivePart(const std::string& Folder) { return !ExtractFileDrive(Trim(Folder)).empty(); }

std::string ReplaceCustomerTag(const std::string& Text, const std::string& Name) {
    std::string Result;
    for (size_t Pos = 0; Pos < Text.size();) {
        if (SameText(std::string_view(Text).substr(Pos, kCustomerTag.size()), kCustomerTag)) {
            Result += Name;
            Pos += kCustomerTag.size();
        } else {
            Result += Text[Pos++];
        }
    }
    return Result;
}

std::string SiteAddress(const std::string& Site) {
    const bool HasScheme = Site.find("://") != std::string::npos ||
                           SameText(std::string_view(Site).substr(0, kMailScheme.size()), kMailScheme);
    return HasScheme || Site.empty() ? Site : kDefaultScheme + Site;
}

std::vector<std::string> ReviewLines(bool Installed, const TNVOCCData& NVOCC, const std::string& Folder) {
    std::vector<std::string> Lines;
    AppendLines(Lines, LoadResString(Installed ? SPreviousInstallation : SFirstInstallation));
    Lines.emplace_back();
    AppendLines(Lines, Format(LoadResString(SReviewCustomer).c_str(), NVOCC.Name.c_str(), NVOCC.Email.c_str(),
                              NVOCC.Site.c_str(), NVOCC.FileName.c_str()));
    Lines.emplace_back();
    AppendLines(Lines, Format(LoadResString(SReviewFolder).c_str(), Folder.c_str()));
    Lines.emplace_back();
    AppendLines(Lines, LoadResString(SReviewShortcuts));
    return Lines;
}

}  // namespace setup
