#include "WinEnv.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>

#include "Drives.h"
#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"
#include "Text.h"
#include "WinError.h"
#include "WinPath.h"

namespace fs = std::filesystem;

namespace platform::os {

namespace {

constexpr size_t kMaxComponentChars = 255;

std::mutex gMutex;
std::set<std::string> gSeeded;  // prefixes already checked by this process

std::string SeedEnvironment(const std::string& User) {
    const std::string Profile = "C:\\users\\" + User;
    return "; Environment variables of the emulated Windows environment: NAME=value, one a line.\n"
           "ALLUSERSPROFILE=C:\\ProgramData\n"
           "APPDATA=" + Profile + "\\AppData\\Roaming\n"
           "CommonProgramFiles=C:\\Program Files\\Common Files\n"
           "COMPUTERNAME=WINENV\n"
           "ComSpec=C:\\windows\\system32\\cmd.exe\n"
           "HOMEDRIVE=C:\n"
           "HOMEPATH=\\users\\" + User + "\n"
           "LOCALAPPDATA=" + Profile + "\\AppData\\Local\n"
           "OS=Windows_NT\n"
           "PATH=C:\\windows\\system32;C:\\windows\n"
           "PATHEXT=.COM;.EXE;.BAT;.CMD\n"
           "ProgramData=C:\\ProgramData\n"
           "ProgramFiles=C:\\Program Files\n"
           "PUBLIC=C:\\users\\Public\n"
           "SystemDrive=C:\n"
           "SystemRoot=C:\\windows\n"
           "TEMP=" + Profile + "\\Temp\n"
           "TMP=" + Profile + "\\Temp\n"
           "USERNAME=" + User + "\n"
           "USERPROFILE=" + Profile + "\n"
           "windir=C:\\windows\n";
}

constexpr const char* kSeedDrives =
    "; Drives of the emulated Windows environment: letter, kind, host folder\n"
    "; (relative folders lie inside the prefix). Kinds: fixed, removable,\n"
    "; remote, cdrom, ramdisk. Z: gives every host path a Windows form.\n"
    "C: fixed drive_c\n"
    "Z: fixed /\n";

constexpr const char* kSeedHklm =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
    "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall]\n\n";

constexpr const char* kSeedHkcu = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n";
constexpr const char* kSeedHku = "REGEDIT4\n\n[HKEY_USERS\\.DEFAULT]\n\n";

// Folders of drive C: (relative, '/'-separated; "%u" is the user's name).
constexpr const char* kSeedFolders[] = {
    "Program Files/Common Files",
    "ProgramData/Microsoft/Windows/Start Menu/Programs/Startup",
    "windows/system32",
    "windows/Fonts",
    "users/Public/Desktop",
    "users/Public/Documents",
    "users/%u/Desktop",
    "users/%u/Documents",
    "users/%u/Favorites",
    "users/%u/Temp",
    "users/%u/AppData/Local",
    "users/%u/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup",
    "users/%u/AppData/Roaming/Microsoft/Windows/SendTo",
    "users/%u/AppData/Roaming/Microsoft/Windows/Recent",
    "users/%u/AppData/Roaming/Microsoft/Windows/Templates",
};

[[noreturn]] void ThrowHostError(const std::string& What, const fs::path& Host, int Errno) {
    const uint32_t Code = WinErrorFromErrno(Errno);
    throw EOSError(Code, Format("%s \"%s\": %s", What.c_str(), Host.c_str(), SysErrorMessage(Code).c_str()));
}

void MakeFolders(const fs::path& Folder) {
    std::error_code Error;
    fs::create_directories(Folder, Error);
    if (Error && !fs::is_directory(Folder)) ThrowHostError("Cannot create the folder", Folder, Error.value());
}

// Writes a seed file unless one exists; never replaces an existing file, also
// when another process seeds the same prefix at the same time.
void WriteIfMissing(const fs::path& File, std::string_view Content) {
    if (fs::exists(fs::symlink_status(File))) return;
    const fs::path Temp = File.string() + ".seed." + std::to_string(::getpid());
    WriteHostFile(Temp, Content);
    const int Linked = ::link(Temp.c_str(), File.c_str());
    const int Error = errno;
    ::unlink(Temp.c_str());
    if (Linked != 0 && Error != EEXIST) ThrowHostError("Cannot create", File, Error);
}

bool IsInvalidNameChar(char C) {
    return static_cast<unsigned char>(C) < 32 || std::string_view("<>:\"|?*").find(C) != std::string_view::npos;
}

// Windows drops trailing dots and blanks of a name; "." and ".." stay.
std::string StripName(std::string_view Name) {
    if (Name == "." || Name == "..") return std::string(Name);
    size_t End = Name.size();
    while (End > 0 && (Name[End - 1] == '.' || Name[End - 1] == ' ')) --End;
    return std::string(Name.substr(0, End));
}

// Splits at backslashes, checks and folds every name. False with the error.
bool SplitComponents(std::string_view Text, std::vector<std::string>& Parts, uint32_t& Error) {
    for (const std::string_view Raw : SplitText(Text, '\\')) {
        if (std::any_of(Raw.begin(), Raw.end(), IsInvalidNameChar)) {
            Error = ERROR_INVALID_NAME;
            return false;
        }
        if (Utf8Length(Raw) > kMaxComponentChars) {
            Error = ERROR_FILENAME_EXCED_RANGE;
            return false;
        }
        const std::string Name = StripName(Raw);
        if (Name.empty() || Name == ".") continue;
        if (Name == "..") {
            if (!Parts.empty()) Parts.pop_back();
            continue;
        }
        Parts.push_back(Name);
    }
    return true;
}

// The host entry of Folder named Name ignoring case: the exact name first,
// then the first match in name order; Name itself when none matches.
std::string MatchEntry(const fs::path& Folder, const std::string& Name, bool& Exists) {
    struct stat Info {};
    if (::lstat((Folder / Name).c_str(), &Info) == 0) return Name;
    std::error_code Error;
    std::vector<std::string> Matches;
    for (fs::directory_iterator It(Folder, Error), End; !Error && It != End; It.increment(Error)) {
        std::string Entry = It->path().filename().string();
        if (SameText(Entry, Name)) Matches.push_back(std::move(Entry));
    }
    if (Matches.empty()) {
        Exists = false;
        return Name;
    }
    return *std::min_element(Matches.begin(), Matches.end());
}

fs::path ResolveUnder(fs::path Host, const std::vector<std::string>& Parts) {
    bool Exists = fs::is_directory(Host);
    for (const std::string& Part : Parts) {
        Host /= Exists ? MatchEntry(Host, Part, Exists) : Part;
        if (Exists) Exists = fs::is_directory(Host);
    }
    return Host;
}

struct TDriveCache {
    TFileStamp Stamp;
    fs::path Prefix;
    std::vector<TDriveMapping> Drives;
    bool Valid = false;
};

std::vector<TDriveMapping> ParseDrives(const std::string& Text, const fs::path& Prefix, const fs::path& File) {
    std::vector<TDriveMapping> Drives;
    const std::vector<std::string_view> Lines = SplitText(Text, '\n');
    for (size_t Line = 1; Line <= Lines.size(); ++Line) {
        const std::string Row = Trim(Lines[Line - 1]);
        if (Row.empty() || Row[0] == ';' || Row[0] == '#') continue;
        const size_t KindEnd = Row.find(' ', 3);
        const bool LetterOk = Row.size() > 3 && std::isalpha(static_cast<unsigned char>(Row[0])) && Row[1] == ':' &&
                              Row[2] == ' ' && KindEnd != std::string::npos;
        const uint32_t Type = LetterOk ? DriveTypeFromName(Trim(Row.substr(3, KindEnd - 3))) : DRIVE_UNKNOWN;
        const std::string Folder = LetterOk ? Trim(Row.substr(KindEnd)) : std::string();
        if (Type == DRIVE_UNKNOWN || Folder.empty())
            throw EOSError(ERROR_INVALID_DATA,
                           Format("%s:%zu: expected \"<letter>: <kind> <host folder>\", found \"%s\"", File.c_str(),
                                  Line, Row.c_str()));
        TDriveMapping Drive;
        Drive.Letter = static_cast<char>(std::toupper(static_cast<unsigned char>(Row[0])));
        Drive.HostRoot = fs::path(Folder).is_absolute() ? fs::path(Folder) : Prefix / Folder;
        Drive.HostRoot = Drive.HostRoot.lexically_normal();
        Drive.DriveType = Type;
        Drives.push_back(std::move(Drive));
    }
    return Drives;
}

// A path folded for prefix comparison: absolute, normal, symbolic links of
// existing parents resolved, no trailing separator.
fs::path Canonical(const fs::path& Host) {
    std::error_code Error;
    fs::path Out = fs::weakly_canonical(fs::absolute(Host), Error);
    if (Error) Out = fs::absolute(Host).lexically_normal();
    if (Out.has_filename() == false && Out != Out.root_path()) Out = Out.parent_path();
    return Out;
}

// The relative part of Host under Root, or false when Host is not under it.
bool RelativeUnder(const fs::path& Host, const fs::path& Root, std::vector<std::string>& Rest) {
    auto H = Host.begin();
    for (auto R = Root.begin(); R != Root.end(); ++R, ++H) {
        if (R->empty()) continue;  // trailing separator of the root
        if (H == Host.end() || *H != *R) return false;
    }
    Rest.clear();
    for (; H != Host.end(); ++H)
        if (!H->empty()) Rest.push_back(H->string());
    return true;
}

size_t Depth(const fs::path& Root) { return static_cast<size_t>(std::distance(Root.begin(), Root.end())); }

std::string JoinWin(std::string Head, const std::vector<std::string>& Parts, size_t From) {
    for (size_t I = From; I < Parts.size(); ++I) Head += (I == From ? "" : "\\") + Parts[I];
    return Head;
}

}  // namespace

fs::path PrefixPath() {
    if (const char* Env = std::getenv("WINENV_PREFIX"); Env && *Env) return fs::absolute(Env).lexically_normal();
    const char* Home = std::getenv("HOME");
    if (!Home || !*Home) {
        const passwd* Entry = ::getpwuid(::getuid());
        Home = Entry ? Entry->pw_dir : "/tmp";
    }
    return fs::path(Home) / ".local/share/instalador/winenv";
}

std::string EmulatedUserName() {
    std::string Name;
    if (const char* Env = std::getenv("USER"); Env && *Env) Name = Env;
    if (Name.empty())
        if (const passwd* Entry = ::getpwuid(::getuid())) Name = Entry->pw_name;
    Name.erase(std::remove_if(Name.begin(), Name.end(), [](char C) { return IsInvalidNameChar(C) || C == '\\' || C == '/'; }),
               Name.end());
    Name = StripName(Name);
    return Name.empty() || Name == "." || Name == ".." ? "user" : Name;
}

void SeedPrefix(const fs::path& Prefix) {
    const std::string User = EmulatedUserName();
    const fs::path DriveC = Prefix / "drive_c";
    for (std::string Folder : kSeedFolders) {
        if (const size_t At = Folder.find("%u"); At != std::string::npos) Folder.replace(At, 2, User);
        MakeFolders(DriveC / Folder);
    }
    MakeFolders(Prefix / "unc");
    MakeFolders(Prefix / "registry");
    MakeFolders(Prefix / "products");
    WriteIfMissing(Prefix / "environment", SeedEnvironment(User));
    WriteIfMissing(Prefix / "drives", kSeedDrives);
    WriteIfMissing(Prefix / "registry" / "HKLM.reg", kSeedHklm);
    WriteIfMissing(Prefix / "registry" / "HKCU.reg", kSeedHkcu);
    WriteIfMissing(Prefix / "registry" / "HKU.reg", kSeedHku);
}

fs::path EnsurePrefix() {
    const fs::path Prefix = PrefixPath();
    {
        std::lock_guard Lock(gMutex);
        if (gSeeded.count(Prefix.string()) && fs::exists(Prefix / "drives") && fs::exists(Prefix / "environment"))
            return Prefix;
    }
    SeedPrefix(Prefix);
    std::lock_guard Lock(gMutex);
    gSeeded.insert(Prefix.string());
    return Prefix;
}

TFileStamp FileStampOf(const fs::path& Host) {
    struct stat Info {};
    if (::stat(Host.c_str(), &Info) != 0) return {};
    TFileStamp Stamp;
    Stamp.Device = Info.st_dev;
    Stamp.Inode = Info.st_ino;
    Stamp.Size = static_cast<uint64_t>(Info.st_size);
    Stamp.ModifiedNs = static_cast<int64_t>(Info.st_mtim.tv_sec) * 1000000000 + Info.st_mtim.tv_nsec;
    return Stamp;
}

std::vector<TDriveMapping> DriveMappings() {
    static TDriveCache Cache;
    const fs::path Prefix = EnsurePrefix();
    const fs::path File = Prefix / "drives";
    const TFileStamp Stamp = FileStampOf(File);
    {
        std::lock_guard Lock(gMutex);
        if (Cache.Valid && Cache.Prefix == Prefix && Cache.Stamp == Stamp) return Cache.Drives;
    }
    std::string Text;
    try {
        Text = ReadHostFile(File);
    } catch (const Exception& E) {
        throw EOSError(ERROR_CANTREAD, Format("Cannot read the drive table \"%s\": %s", File.c_str(), E.what()));
    }
    std::vector<TDriveMapping> Drives = ParseDrives(Text, Prefix, File);
    std::lock_guard Lock(gMutex);
    Cache = {Stamp, Prefix, Drives, true};
    return Drives;
}

fs::path UncRoot() { return EnsurePrefix() / "unc"; }

bool TryHostPath(std::string_view WinPath, fs::path& Host, uint32_t& Error) {
    std::string Path(WinPath);
    std::replace(Path.begin(), Path.end(), '/', '\\');
    if (Path.rfind("\\\\?\\UNC\\", 0) == 0) Path = "\\\\" + Path.substr(8);
    else if (Path.rfind("\\\\?\\", 0) == 0) Path = Path.substr(4);
    if (Path.empty()) {
        Error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (Path.rfind("\\\\.\\", 0) == 0) {
        Error = ERROR_INVALID_NAME;  // devices are not emulated
        return false;
    }

    std::vector<std::string> Parts;
    if (Path.rfind("\\\\", 0) == 0) {
        if (!SplitComponents(std::string_view(Path).substr(2), Parts, Error)) return false;
        if (Parts.size() < 2) {
            Error = ERROR_BAD_PATHNAME;
            return false;
        }
        Host = ResolveUnder(UncRoot(), Parts);
        return true;
    }

    // Drive-relative and rooted forms lean on the current folder.
    const bool HasDrive = Path.size() >= 2 && Path[1] == ':';
    if (HasDrive && !std::isalpha(static_cast<unsigned char>(Path[0]))) {
        Error = ERROR_INVALID_NAME;
        return false;
    }
    std::string Full;
    if (HasDrive && Path.size() >= 3 && Path[2] == '\\') {
        Full = Path;
    } else {
        const std::string Current = GetCurrentDir();
        if (HasDrive && !SameText(ExtractFileDrive(Current), Path.substr(0, 2))) Full = Path.substr(0, 2) + "\\" + Path.substr(2);
        else if (HasDrive) Full = IncludeTrailingBackslash(Current) + Path.substr(2);
        else if (Path[0] == '\\') Full = ExtractFileDrive(Current) + Path;
        else Full = IncludeTrailingBackslash(Current) + Path;
        if (Current.empty()) {
            Error = ERROR_PATH_NOT_FOUND;
            return false;
        }
        if (Full.rfind("\\\\", 0) == 0) return TryHostPath(Full, Host, Error);
    }

    const char Letter = static_cast<char>(std::toupper(static_cast<unsigned char>(Full[0])));
    if (!SplitComponents(std::string_view(Full).substr(2), Parts, Error)) return false;
    for (const TDriveMapping& Drive : DriveMappings())
        if (Drive.Letter == Letter) {
            Host = ResolveUnder(Drive.HostRoot, Parts);
            return true;
        }
    Error = ERROR_PATH_NOT_FOUND;
    return false;
}

fs::path HostPath(std::string_view WinPath) {
    fs::path Host;
    uint32_t Error = ERROR_SUCCESS;
    if (!TryHostPath(WinPath, Host, Error))
        throw EOSError(Error, Format("%s: \"%.*s\"", SysErrorMessage(Error).c_str(), static_cast<int>(WinPath.size()),
                                     WinPath.data()));
    return Host;
}

std::string WinPathFromHost(const fs::path& Host) {
    const fs::path Target = Canonical(Host);
    std::vector<std::string> Rest;
    std::string Best;
    size_t BestDepth = 0;
    const fs::path Unc = Canonical(UncRoot());
    if (RelativeUnder(Target, Unc, Rest) && Rest.size() >= 2) {
        Best = JoinWin("\\\\" + Rest[0] + "\\" + Rest[1] + "\\", Rest, 2);
        if (Rest.size() == 2) Best.pop_back();
        BestDepth = Depth(Unc);
    }
    for (const TDriveMapping& Drive : DriveMappings()) {
        const fs::path Root = Canonical(Drive.HostRoot);
        if (Depth(Root) > BestDepth && RelativeUnder(Target, Root, Rest)) {
            Best = JoinWin(std::string(1, Drive.Letter) + ":\\", Rest, 0);
            BestDepth = Depth(Root);
        }
    }
    return Best;
}

}  // namespace platform::os
