#pragma once
// The customer package: the archive that carries one NVOCC customer's
// configuration, logo and data files, and the customer record read from it.
#include <QImage>
#include <memory>
#include <string>

#include "platform/os/Streams.h"

namespace setup {

struct TNVOCCData {
    std::string Name;
    std::string Email;
    std::string Site;
    std::string FileName;
};

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

// Visits the entries in stored order: "nvocc_cfg.ini" fills the record and
// "image.bmp" gives the logo and ends the scan, whatever follows it.
TPackageContents ReadPackage(platform::os::TStream& Package);

// The record from section "Config" of the package's INI text (code page
// 1252); a missing key reads as empty.
TNVOCCData ReadNVOCCConfig(const std::string& IniText);

}  // namespace setup
