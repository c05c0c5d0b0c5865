#pragma once
// Kinds of drives, as the platform numbers them.
#include <cstdint>
#include <string_view>

namespace platform::os {

enum : uint32_t {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

// The kind of the drive that holds Path ("C:\", "C:", a full path, or a UNC
// path, which is remote). An empty path asks for the current folder's drive;
// a letter the drive table lacks gives DRIVE_NO_ROOT_DIR.
uint32_t GetDriveType(std::string_view Path);

// Drive kinds by their names in the "drives" file ("fixed", "removable",
// "remote", "cdrom", "ramdisk"); DRIVE_UNKNOWN for other names.
uint32_t DriveTypeFromName(std::string_view Name);
const char* DriveTypeName(uint32_t DriveType);

}  // namespace platform::os
