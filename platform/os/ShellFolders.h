#pragma once
// Special folders by their identifiers (CSIDL), resolved to the seeded
// folders of drive C:. File-system folders are created when missing.
#include <cstdint>
#include <string>

namespace platform::os {

using HRESULT = int32_t;

enum : HRESULT {
    S_OK = 0,
    S_FALSE = 1,
    E_FAIL = static_cast<HRESULT>(0x80004005),
    E_INVALIDARG = static_cast<HRESULT>(0x80070057),
};

inline bool Succeeded(HRESULT Status) { return Status >= 0; }

enum : int {
    CSIDL_DESKTOP = 0x00,
    CSIDL_PROGRAMS = 0x02,
    CSIDL_CONTROLS = 0x03,
    CSIDL_PRINTERS = 0x04,
    CSIDL_PERSONAL = 0x05,
    CSIDL_FAVORITES = 0x06,
    CSIDL_STARTUP = 0x07,
    CSIDL_RECENT = 0x08,
    CSIDL_SENDTO = 0x09,
    CSIDL_BITBUCKET = 0x0A,
    CSIDL_STARTMENU = 0x0B,
    CSIDL_DESKTOPDIRECTORY = 0x10,
    CSIDL_DRIVES = 0x11,
    CSIDL_NETWORK = 0x12,
    CSIDL_FONTS = 0x14,
    CSIDL_TEMPLATES = 0x15,
    CSIDL_COMMON_STARTMENU = 0x16,
    CSIDL_COMMON_PROGRAMS = 0x17,
    CSIDL_COMMON_STARTUP = 0x18,
    CSIDL_COMMON_DESKTOPDIRECTORY = 0x19,
    CSIDL_APPDATA = 0x1A,
    CSIDL_LOCAL_APPDATA = 0x1C,
    CSIDL_COMMON_FAVORITES = 0x1F,
    CSIDL_COMMON_APPDATA = 0x23,
    CSIDL_WINDOWS = 0x24,
    CSIDL_SYSTEM = 0x25,
    CSIDL_PROGRAM_FILES = 0x26,
    CSIDL_PROFILE = 0x28,
    CSIDL_PROGRAM_FILES_COMMON = 0x2B,
    CSIDL_COMMON_DOCUMENTS = 0x2E,
    CSIDL_FLAG_CREATE = 0x8000,
};

// A shell item identifier list as SHGetSpecialFolderLocation hands it out:
// the folder's identifier and, for file-system folders, its path.
struct TItemIDList {
    int Folder = -1;
    std::string Path;  // empty for virtual folders (printers, drives, ...)
};

// S_OK and the folder's list; E_INVALIDARG for an unknown identifier, and
// List is left alone on failure. Flags above 0xFF (CSIDL_FLAG_*) are ignored.
HRESULT SHGetSpecialFolderLocation(int Folder, TItemIDList& List);
// The file-system path of a list; false (Path untouched) for virtual folders.
bool SHGetPathFromIDList(const TItemIDList& List, std::string& Path);
// Both steps: the folder's path, or empty when it has none.
std::string SpecialFolderPath(int Folder);

}  // namespace platform::os
