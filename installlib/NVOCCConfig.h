#pragma once
// The customer package: the archive that carries one NVOCC customer's
// configuration ("nvocc_cfg.ini"), logo ("image.bmp") and data files. The
// setup program reads it from its resources or "default.nvo"; the installed
// application reads its copy, "Data\<FileName>.nvo".
#include <string>
#include <vector>

#include "platform/os/Streams.h"

namespace installlib {

struct TNVOCCData {
    std::string Name;
    std::string Email;
    std::string Site;
    std::string FileName;
};

struct TNVOCCPackage {
    TNVOCCData NVOCC;
    std::vector<char> Logo;  // the bytes of "image.bmp"; empty when the package has none
};

// The customer named by the application's and the uninstaller's argument
// "NVOCC=<Name>", with or without quotes; a name with blanks may arrive split
// into several arguments. Empty when there is none.
std::string CustomerFromArgs(const std::vector<std::string>& Args);

// The record from section "Config" of the package's INI text (code page
// 1252); a missing key reads as empty.
TNVOCCData ReadNVOCCConfig(const std::string& IniText);

// Whether Text can name a file on its own, as the customer's name and file
// name do: not empty, "." or "..", none of \ / : * ? " < > | or control
// characters, no trailing dot or blank, and no device name (CON, NUL, COM1,
// ...), with or without an extension. Accents and blanks inside are fine.
bool IsValidFileName(const std::string& Text);
// Both names of the record can be used in the installation's paths.
bool IsInstallable(const TNVOCCData& NVOCC);

// Visits the entries in stored order: "nvocc_cfg.ini" fills the record and
// "image.bmp" gives the logo and ends the scan, whatever follows it. An
// archive that cannot be read raises.
TNVOCCPackage ReadNVOCCPackage(platform::os::TStream& Package);

}  // namespace installlib
