#pragma once
// Installations made with the library's own routines, logged line for line as
// the installation run logs them, for the tests of whatever undoes them.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "installlib/tests/RegistryHelpers.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"

namespace installscenario {

using namespace installlib;
using namespace platform::os;

inline const std::string kInstallDir = "C:\\Program Files\\Ostrevan\\Navitrex\\";
inline const std::string kNavitrexItemPrefix = "HKEY_LOCAL_MACHINE\\Software\\Ostrevan\\Navitrex\\";
inline const std::string kUninstallEntryKey = std::string(kUninstallKey) + "\\Navitrex: ";

// How far a run gets before it fails; a run that reaches rsDone saves its log.
enum TRunStage { rsFiles, rsPackage, rsShortcuts, rsRegistry, rsUninstallEntry, rsFileType, rsDone };

struct TCustomer {
    std::string Name;
    std::string FileName;

    std::string PackageFile() const { return kInstallDir + "Data\\" + FileName + ".nvo"; }
    std::string DesktopLink() const { return GetSpecialFolder(CSIDL_DESKTOP) + "\\" + Name + ".lnk"; }
    std::string MenuLink() const { return MenuFolder() + Name + ".lnk"; }
    std::string LogFile() const { return kInstallDir + Name + ".log"; }
    static std::string ProgramsFolder() {
        std::string Folder = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
        return IncludeTrailingBackslash(Folder.empty() ? GetSpecialFolder(CSIDL_PROGRAMS) : Folder);
    }
    static std::string MenuFolder() { return ProgramsFolder() + "Ostrevan\\Navitrex\\"; }
};

inline void WriteFile(const std::string& WinPath, const std::string& Content) {
    OpenFileStream(WinPath, fmCreate)->WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
}

// The actions of an installation run for one customer, each logged after it is done.
inline TInstallLog Install(const TCustomer& C, TRunStage FailAt = rsDone) {
    TInstallLog Log;
    Log.push_back(Format(LoadResString(SLogHeader).c_str(), C.Name.c_str()));
    const auto Reached = [&](TRunStage Stage) { return Stage < FailAt; };

    if (Reached(rsFiles)) {
        ForceDirectories(kInstallDir);
        AddLog(Log, kLogDir, kInstallDir);
        for (const char* Name : {kUninstFileName, kAppFileName, kIconFileName}) {
            WriteFile(kInstallDir + Name, Name);
            AddLog(Log, kLogFile, kInstallDir + Name);
        }
    }
    if (Reached(rsPackage)) {
        ForceDirectories(kInstallDir + "Data\\");
        AddLog(Log, kLogDir, kInstallDir + "Data\\");
        WriteFile(C.PackageFile(), "package of " + C.Name);
        AddLog(Log, kLogFile, C.PackageFile());
    }
    const std::string App = kInstallDir + kAppFileName;
    const std::string LaunchArg = "\"NVOCC=" + C.Name + "\"";
    if (Reached(rsShortcuts)) {
        CreateShellLink(C.DesktopLink(), App, LaunchArg, "", 1, App, 0);
        AddLog(Log, kLogFile, C.DesktopLink());
        ForceDirectories(TCustomer::MenuFolder());
        AddLog(Log, kLogDir, TCustomer::ProgramsFolder() + "Ostrevan\\");
        AddLog(Log, kLogDir, TCustomer::MenuFolder());
        CreateShellLink(C.MenuLink(), App, LaunchArg, "", 1, App, 0);
        AddLog(Log, kLogFile, C.MenuLink());
    }
    bool FirstPackage = true;
    if (Reached(rsRegistry)) {
        std::vector<std::string> List;
        SplitList(List, RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue)
                            ? RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue)
                            : "");
        FirstPackage = List.empty();
        if (std::none_of(List.begin(), List.end(), [&](const std::string& Item) { return SameText(Item, C.FileName); }))
            List.push_back(C.FileName);
        RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue, kInstallDir);
        RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue, JoinList(List));
        AddLog(Log, kLogRegValue, kNavitrexItemPrefix + kPathValue + "," + kInstallDir);
        AddLog(Log, kLogRegItem, kNavitrexItemPrefix + kPackageListValue + "," + C.FileName);
    }
    if (Reached(rsUninstallEntry)) {
        WriteUninstallEntry(C.Name, kInstallDir + kUninstFileName + " " + LaunchArg);
        AddLog(Log, kLogProgram, C.Name);
    }
    if (Reached(rsFileType)) {
        if (FirstPackage) RegisterFileType(kDocumentDescription, kDocumentExt, App, "\"%1\"", kInstallDir + kIconFileName, 0);
        AddLog(Log, kLogExt, kDocumentExt);
    }
    if (FailAt == rsDone) {
        AddLog(Log, kLogFile, C.LogFile());
        SaveLogToFile(Log, C.LogFile());
    }
    return Log;
}

const TCustomer kAlfa{"Alfa Cargo", "alfa"};
const TCustomer kBeta{"Beta Linhas", "beta"};

inline bool Exists(const std::string& WinPath) { return FileExists(WinPath) || DirectoryExists(WinPath); }

inline bool CustomerPartsExist(const TCustomer& C) {
    return Exists(C.PackageFile()) && Exists(C.DesktopLink()) && Exists(C.MenuLink()) &&
           RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey + C.Name);
}

inline bool SharedPartsExist() {
    for (const char* Name : kSharedAppFiles)
        if (!FileExists(kInstallDir + Name)) return false;
    return RegValueExists(HKEY_LOCAL_MACHINE, kNavitrexKey, kPathValue) && RegKeyExists(HKEY_CLASSES_ROOT, ".bld") &&
           RegKeyExists(HKEY_CLASSES_ROOT, "bldfile") && DirectoryExists(TCustomer::MenuFolder());
}

// The files and folders of drive C:, relative to the prefix, sorted.
inline std::vector<std::string> DriveFiles(const std::filesystem::path& Prefix) {
    std::vector<std::string> Files;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Prefix / "drive_c"))
        Files.push_back(std::filesystem::relative(Entry.path(), Prefix).string());
    std::sort(Files.begin(), Files.end());
    return Files;
}

// Everything an undo could touch: the machine hive, the files of drive C: and the shell's notifications.
inline std::string MachineSnapshot(const std::filesystem::path& Prefix) {
    std::string Text = ExportRegistryKey(HKEY_LOCAL_MACHINE, "");
    for (const std::string& File : DriveFiles(Prefix)) Text += File + "\n";
    const std::filesystem::path ShellLog = ShellLogPath();
    return Text + (std::filesystem::exists(ShellLog) ? ReadHostFile(ShellLog) : "");
}

// The emulated machine as a rolled-back run must leave it: every registry
// hive, and every file and folder of drive C: with the size and a hash of each
// file's bytes (one line each, so that a difference reads well). The shared
// runtime library, which no run ever removes, is left out.
inline std::string PrefixSnapshot(const std::filesystem::path& Prefix) {
    std::string Text;
    for (const HKEY Root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS}) Text += ExportRegistryKey(Root, "");
    for (const std::string& File : DriveFiles(Prefix)) {
        if (SameText(std::filesystem::path(File).filename().string(), kRuntimeFileName)) continue;
        Text += File;
        if (std::filesystem::is_regular_file(Prefix / File)) {
            const std::string Bytes = ReadHostFile(Prefix / File);
            Text += " " + std::to_string(Bytes.size()) + " " + std::to_string(std::hash<std::string>()(Bytes));
        }
        Text += "\n";
    }
    return Text;
}

}  // namespace installscenario
