#include "ShellFolders.h"

#include "Environment.h"
#include "Files.h"
#include "Text.h"
#include "WinPath.h"

namespace platform::os {

namespace {

struct TSpecialFolder {
    int Folder;
    const char* Path;  // environment references allowed; nullptr for virtual folders
};

constexpr TSpecialFolder kSpecialFolders[] = {
    {CSIDL_DESKTOP, "%USERPROFILE%\\Desktop"},
    {CSIDL_PROGRAMS, "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_CONTROLS, nullptr},
    {CSIDL_PRINTERS, nullptr},
    {CSIDL_PERSONAL, "%USERPROFILE%\\Documents"},
    {CSIDL_FAVORITES, "%USERPROFILE%\\Favorites"},
    {CSIDL_STARTUP, "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_RECENT, "%APPDATA%\\Microsoft\\Windows\\Recent"},
    {CSIDL_SENDTO, "%APPDATA%\\Microsoft\\Windows\\SendTo"},
    {CSIDL_BITBUCKET, nullptr},
    {CSIDL_STARTMENU, "%APPDATA%\\Microsoft\\Windows\\Start Menu"},
    {CSIDL_DESKTOPDIRECTORY, "%USERPROFILE%\\Desktop"},
    {CSIDL_DRIVES, nullptr},
    {CSIDL_NETWORK, nullptr},
    {CSIDL_FONTS, "%SystemRoot%\\Fonts"},
    {CSIDL_TEMPLATES, "%APPDATA%\\Microsoft\\Windows\\Templates"},
    {CSIDL_COMMON_STARTMENU, "%ProgramData%\\Microsoft\\Windows\\Start Menu"},
    {CSIDL_COMMON_PROGRAMS, "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_COMMON_STARTUP, "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "%PUBLIC%\\Desktop"},
    {CSIDL_APPDATA, "%APPDATA%"},
    {CSIDL_LOCAL_APPDATA, "%LOCALAPPDATA%"},
    {CSIDL_COMMON_FAVORITES, "%USERPROFILE%\\Favorites"},
    {CSIDL_COMMON_APPDATA, "%ProgramData%"},
    {CSIDL_WINDOWS, "%SystemRoot%"},
    {CSIDL_SYSTEM, "%SystemRoot%\\system32"},
    {CSIDL_PROGRAM_FILES, "%ProgramFiles%"},
    {CSIDL_PROFILE, "%USERPROFILE%"},
    {CSIDL_PROGRAM_FILES_COMMON, "%CommonProgramFiles%"},
    {CSIDL_COMMON_DOCUMENTS, "%PUBLIC%\\Documents"},
};

}  // namespace

HRESULT SHGetSpecialFolderLocation(int Folder, TItemIDList& List) {
    const int Id = Folder & 0xFF;
    for (const TSpecialFolder& Entry : kSpecialFolders) {
        if (Entry.Folder != Id) continue;
        TItemIDList Found;
        Found.Folder = Id;
        if (Entry.Path) {
            Found.Path = ExcludeTrailingBackslash(Trim(ExpandEnvironmentStrings(Entry.Path)));
            // A variable the environment lacks leaves no usable path.
            if (!IsAbsoluteWinPath(Found.Path)) return E_FAIL;
            if (!DirectoryExists(Found.Path)) ForceDirectories(Found.Path);
        }
        List = std::move(Found);
        return S_OK;
    }
    return E_INVALIDARG;
}

bool SHGetPathFromIDList(const TItemIDList& List, std::string& Path) {
    if (List.Path.empty()) return false;
    Path = List.Path;
    return true;
}

std::string SpecialFolderPath(int Folder) {
    TItemIDList List;
    std::string Path;
    if (Succeeded(SHGetSpecialFolderLocation(Folder, List))) SHGetPathFromIDList(List, Path);
    return Path;
}

}  // namespace platform::os
