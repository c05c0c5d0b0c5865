#pragma once
// The emulated Windows environment on the host: the prefix folder that holds
// drive C:, the registry hives, the environment and the drive table, and the
// one mapping between Windows paths and host paths that every service uses.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

// The prefix: WINENV_PREFIX when set, else ~/.local/share/instalador/winenv.
std::filesystem::path PrefixPath();
// The prefix, created and seeded first when anything of the seed is missing.
// Raises EOSError when the prefix cannot be created.
std::filesystem::path EnsurePrefix();
// Creates and seeds a prefix: every missing folder and file of the seed is
// made; what already exists is kept as it is.
void SeedPrefix(const std::filesystem::path& Prefix);

// The emulated user's name (folders under C:\users, %USERNAME%).
std::string EmulatedUserName();

// One line of the prefix's "drives" file.
struct TDriveMapping {
    char Letter = 0;                    // upper case
    std::filesystem::path HostRoot;     // absolute host folder
    uint32_t DriveType = 0;             // DRIVE_* of Drives.h
};
// The drive table of the current prefix (re-read when the file changes).
std::vector<TDriveMapping> DriveMappings();
// The host folder that holds the UNC shares: \\server\share is <this>/server/share.
std::filesystem::path UncRoot();

// Identity of a file's current content: changes whenever the file is
// replaced or written. All zero when the file is missing.
struct TFileStamp {
    uint64_t Device = 0, Inode = 0, Size = 0;
    int64_t ModifiedNs = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const std::filesystem::path& Host);

// Windows path -> host path. Relative paths resolve against the current
// folder; '/' counts as '\'; "." and ".." are folded; existing components are
// matched ignoring case and missing ones are taken as written. Raises EOSError:
// ERROR_INVALID_NAME (123) for characters Windows refuses, ERROR_PATH_NOT_FOUND
// (3) for an empty path or a letter the drive table lacks, ERROR_FILENAME_EXCED_RANGE (206) for
// a component longer than 255 characters, ERROR_BAD_PATHNAME (161) for an
// incomplete UNC path.
std::filesystem::path HostPath(std::string_view WinPath);
// The same without raising: false and the Windows error code instead.
bool TryHostPath(std::string_view WinPath, std::filesystem::path& Host, uint32_t& Error);
// Host path -> Windows path through the drive table and the UNC folder (the
// most specific mapping wins); empty when no drive holds the path.
std::string WinPathFromHost(const std::filesystem::path& Host);

}  // namespace platform::os
