#include "Drives.h"

#include <cctype>

#include "Files.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinPath.h"

namespace platform::os {

namespace {

struct TDriveTypeName {
    uint32_t Type;
    const char* Name;
};

constexpr TDriveTypeName kDriveTypeNames[] = {
    {DRIVE_REMOVABLE, "removable"}, {DRIVE_FIXED, "fixed"},     {DRIVE_REMOTE, "remote"},
    {DRIVE_CDROM, "cdrom"},         {DRIVE_RAMDISK, "ramdisk"},
};

}  // namespace

uint32_t DriveTypeFromName(std::string_view Name) {
    for (const auto& Entry : kDriveTypeNames)
        if (SameText(Name, Entry.Name)) return Entry.Type;
    return DRIVE_UNKNOWN;
}

const char* DriveTypeName(uint32_t DriveType) {
    for (const auto& Entry : kDriveTypeNames)
        if (Entry.Type == DriveType) return Entry.Name;
    return DriveType == DRIVE_NO_ROOT_DIR ? "no root" : "unknown";
}

uint32_t GetDriveType(std::string_view Path) {
    const std::string Full = Path.empty() ? GetCurrentDir() : std::string(Path);
    const std::string Drive = ExtractFileDrive(Full);
    if (Drive.size() > 2) return DRIVE_REMOTE;  // \\server\share
    if (Drive.size() != 2) return DRIVE_NO_ROOT_DIR;
    const char Letter = static_cast<char>(std::toupper(static_cast<unsigned char>(Drive[0])));
    for (const TDriveMapping& Mapping : DriveMappings())
        if (Mapping.Letter == Letter) return Mapping.DriveType;
    return DRIVE_NO_ROOT_DIR;
}

}  // namespace platform::os
