#include "samples/navitrex/NavitrexCustomer.h"

#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Registry.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace installlib;
using namespace platform::os;

namespace {

std::vector<std::string> RegisteredPackages() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::vector<std::string> List;
    if (Reg.OpenKeyReadOnly(kNavitrexKey) && Reg.ValueExists(kPackageListValue))
        SplitList(List, Reg.ReadString(kPackageListValue));
    return List;
}

TNVOCCPackage ReadPackageFile(const std::string& FileName) {
    const auto File = OpenFileStream(FileName, fmOpenRead | fmShareDenyWrite);
    return ReadNVOCCPackage(*File);
}

}  // namespace

TCustomerView LoadCustomerView(const std::vector<std::string>& Args, const std::string& AppFolder) {
    TCustomerView View;
    View.Customer = CustomerFromArgs(Args);
    if (View.Customer.empty()) {
        View.Problem = kNoCustomer;
        return View;
    }
    const std::string DataFolder = IncludeTrailingBackslash(AppFolder) + "Data\\";
    std::string ReadError;
    for (const std::string& FileName : RegisteredPackages()) {
        const std::string PackageFile = DataFolder + FileName + ".nvo";
        if (FileName.empty() || !FileExists(PackageFile)) continue;
        try {
            View.Package = ReadPackageFile(PackageFile);
        } catch (const Exception& E) {
            ReadError = Format(kPackageUnreadable, PackageFile.c_str(), E.what());
            continue;
        }
        if (SameText(View.Package.NVOCC.Name, View.Customer)) {
            View.PackageFile = PackageFile;
            return View;
        }
    }
    View.Package = {};
    View.Problem = !ReadError.empty() ? ReadError
                                      : Format(kPackageMissing, View.Customer.c_str(), DataFolder.c_str());
    return View;
}

}  // namespace navitrex
