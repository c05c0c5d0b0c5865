#pragma once
// The customer package: the archive that carries one NVOCC customer's
// configuration, logo and data files, and the customer record read from it.
#include <QImage>
#include <memory>
#include <string>

#include "installlib/NVOCCConfig.h"
#include "platform/os/Streams.h"

namespace setup {

using installlib::TNVOCCData;

// What the wizard takes from a package: the record and the welcome logo.
struct TPackageContents {
    TNVOCCData NVOCC;
    QImage Logo;  // null when the package has no "image.bmp"
};

// "default.nvo" beside the running program (or the file given to
// SetPackageFile), loaded whole, or else a copy of the built-in "NVOCC"
// resource; none when neither exists. A package file that cannot be read
// raises.
std::unique_ptr<platform::os::TStream> LoadPackage();

// Points LoadPackage at another package file, so that a program hosting the
// wizard, a test among them, can offer a customer of its own; an empty path
// goes back to "default.nvo" beside the program.
void SetPackageFile(const std::string& WinPath);

// The record and the logo as a picture (the scan is installlib's ReadNVOCCPackage).
TPackageContents ReadPackage(platform::os::TStream& Package);

}  // namespace setup
