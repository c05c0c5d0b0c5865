#include "InstaladorLib.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "InstaladorDefs.h"
#include "platform/os/Drives.h"
#include "platform/os/Environment.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Text.h"
#include "platform/os/WinError.h"
#include "platform/os/WinPath.h"

namespace installlib {

using namespace platform::os;

// --- Folders and environment ---

std::string ExpandEnvironment(const std::string& Text) {
    const uint32_t Size = ExpandEnvironmentStringsA(Text.c_str(), nullptr, 0);
    std::string Buffer(Size, '\0');
    ExpandEnvironmentStringsA(Text.c_str(), Buffer.data(), Size);
    return Trim(Buffer.c_str());
}

std::string GetEnvironmentFolder(const std::string& Name) {
    return IncludeTrailingBackslash(ExpandEnvironment(Format("%%%s%%", Name.c_str())));
}

std::string GetTempFolder() { return GetEnvironmentFolder("TEMP"); }

std::string GetSystemFolder() {
    char Buffer[260] = {};
    GetSystemDirectoryA(Buffer, sizeof Buffer);
    return Buffer;
}

std::string GetProgramFilesFolder() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKey(kCurrentVersionKey, false) || !Reg.ValueExists(kProgramFilesValue)) return {};
    return IncludeTrailingBackslash(Reg.ReadString(kProgramFilesValue));
}

std::string GetSpecialFolder(int Folder) {
    TItemIDList List;
    std::string Path;
    if (Succeeded(SHGetSpecialFolderLocation(Folder, List))) SHGetPathFromIDList(List, Path);
    return Path;
}

// --- Shortcuts ---

void CreateShellLink(const std::string& LinkFile, const std::string& Target, const std::string& Arguments,
                     const std::string& WorkingDir, int ShowCmd, const std::string& IconFile, int IconIndex) {
    TShellLink Link;
    Link.SetPath(Target);
    Link.SetArguments(Arguments);
    Link.SetWorkingDirectory(WorkingDir);
    Link.SetShowCmd(ShowCmd);
    Link.SetIconLocation(IconFile, IconIndex);
    Link.Save(LinkFile);
}

// --- Folder browser ---

namespace {
TFolderBrowser* GFolderBrowser = nullptr;
}

void SetFolderBrowser(TFolderBrowser* Browser) { GFolderBrowser = Browser; }

bool BrowseForFolder(void* Owner, const std::string& Title, const std::string& InitialFolder, std::string& Folder) {
    if (!GFolderBrowser) return false;
    return GFolderBrowser->Browse(Owner, Title, DirectoryExists(InitialFolder) ? InitialFolder : std::string(), Folder);
}

// --- Registry items and comma lists ---

bool ParseRegItem(const std::string& Text, HKEY& Root, std::string& KeyPath, std::string& ValueName, std::string& Item) {
    KeyPath.clear();
    ValueName.clear();
    Item.clear();
    const size_t Backslash = Text.find('\\');
    if (Backslash == std::string::npos) return false;
    const size_t Comma = Text.find(',', Backslash + 1);
    if (Comma == std::string::npos) return false;

    const std::string KeyAndValue = ExcludeTrailingBackslash(Trim(Text.substr(Backslash + 1, Comma - Backslash - 1)));
    const size_t Last = KeyAndValue.rfind('\\');
    KeyPath = Last == std::string::npos ? std::string() : KeyAndValue.substr(0, Last + 1);
    ValueName = Last == std::string::npos ? KeyAndValue : KeyAndValue.substr(Last + 1);
    Item = Trim(Text.substr(Comma + 1));

    const std::string RootName = Trim(Text.substr(0, Backslash));
    for (HKEY Candidate = HKEY_CLASSES_ROOT; Candidate <= HKEY_DYN_DATA; ++Candidate) {
        if (SameText(RootName, RootKeyName(Candidate))) {
            Root = Candidate;
            return !KeyPath.empty() && !ValueName.empty();
        }
    }
    return false;
}

void SplitList(std::vector<std::string>& List, const std::string& Text) {
    std::string Rest = Trim(Text);
    for (size_t Comma; (Comma = Rest.find(',')) != std::string::npos;) {
        List.push_back(Trim(Rest.substr(0, Comma)));
        Rest = Trim(Rest.substr(Comma + 1));
    }
    if (!Rest.empty()) List.push_back(Rest);
}

std::string JoinList(const std::vector<std::string>& List) {
    std::string Text;
    for (const std::string& Item : List) {
        if (!Text.empty()) Text += ", ";
        Text += Item;
    }
    return Text;
}

// --- Uninstall entry ---

std::string UninstallEntryKey(const std::string& Name) {
    return std::string(kUninstallKey) + "\\" + Format(kUninstallEntryName, Name.c_str());
}

bool WriteUninstallEntry(const std::string& Name, const std::string& Command) {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKey(UninstallEntryKey(Name), true)) throw Exception(LoadResString(SRegistryUpdateFailed));
    Reg.WriteString(kDisplayNameValue, Format(kUninstallEntryName, Name.c_str()));
    Reg.WriteString(kUninstallStringValue, Command);
    return true;
}

bool RemoveUninstallEntry(const std::string& Name) {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    return Reg.KeyExists(UninstallEntryKey(Name)) && Reg.DeleteKey(UninstallEntryKey(Name));
}

// --- Document file type ---

namespace {
constexpr const char* kOldTypeValue = "OldType";

void NotifyAssociationChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr); }

}  // namespace

std::string NormalizeExtension(const std::string& Ext) {
    const std::string Trimmed = Trim(Ext);
    return !Trimmed.empty() && Trimmed[0] == '.' ? Trimmed : "." + Trimmed;
}

std::string FreeFileTypeName(const std::string& Ext) {
    std::string BaseName = NormalizeExtension(Ext);
    std::erase(BaseName, '.');
    BaseName += "file";
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    std::string Name = BaseName;
    for (int Suffix = 1; Reg.KeyExists(Name); ++Suffix) Name = BaseName + std::to_string(Suffix);
    return Name;
}

void RegisterFileType(const std::string& Description, const std::string& Ext, const std::string& AppPath,
                      const std::string& Param, const std::string& IconFile, int IconIndex) {
    const std::string Extension = NormalizeExtension(Ext);
    const std::string Parameter = Trim(Param);
    const std::string Icon = IconFile.empty() ? AppPath : IconFile;
    const std::string TypeName = FreeFileTypeName(Extension);

    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    std::string OldType;
    if (Reg.OpenKey(Extension, true)) {
        OldType = Reg.ReadString("");
        Reg.WriteString("", TypeName);
        Reg.CloseKey();
    }
    if (Reg.OpenKey(TypeName, true)) {
        Reg.WriteString("", Description);
        if (!OldType.empty()) Reg.WriteString(kOldTypeValue, OldType);
        Reg.CloseKey();
    }
    if (Reg.OpenKey(TypeName + "\\DefaultIcon", true)) {
        Reg.WriteString("", Format("\"%s\",%d", Icon.c_str(), IconIndex));
        Reg.CloseKey();
    }
    if (Reg.OpenKey(TypeName + "\\Shell\\Open\\Command", true)) {
        std::string Command = Trim(AppPath);
        if (!Parameter.empty()) Command += (Command.empty() ? "" : " ") + Parameter;
        Reg.WriteString("", Command);
        Reg.CloseKey();
    }
    NotifyAssociationChanged();
}

void UnregisterFileType(const std::string& Ext) {
    const std::string Extension = NormalizeExtension(Ext);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    std::string TypeName;
    if (Reg.OpenKey(Extension, false)) {
        TypeName = Reg.ReadString("");
        Reg.CloseKey();
    }
    if (TypeName.empty() || !Reg.OpenKey(TypeName, false)) return;
    if (Reg.ValueExists(kOldTypeValue)) {
        const std::string OldType = Reg.ReadString(kOldTypeValue);
        Reg.DeleteValue(kOldTypeValue);
        Reg.CloseKey();
        if (Reg.OpenKey(Extension, false)) {
            Reg.WriteString("", OldType);
            Reg.CloseKey();
        }
        if (Reg.KeyExists(TypeName)) Reg.DeleteKey(TypeName);
    } else {
        Reg.CloseKey();
        Reg.DeleteKey(Extension);
        Reg.DeleteKey(TypeName);
    }
    NotifyAssociationChanged();
}

// --- Processes ---

bool RemoveOldVersion() {
    try {
        TProcess Process;
        if (!CreateProcess(kOldVersionRemoveCommand, "", SW_SHOWNORMAL, Process)) return false;
        while (Process.WaitPumping(1000) == WAIT_TIMEOUT) {
        }
        return Process.ExitCode() == 0;
    } catch (const Exception&) {
        return false;  // a failure to start or wait is a failed removal, never an error
    }
}

namespace {

TSelfDeleteHooks DefaultSelfDeleteHooks() {
    return {[](const std::string& BatchFile) { WinExec(BatchFile, SW_HIDE); },
            [] {
                std::fflush(nullptr);
                std::_Exit(0);
            }};
}

TSelfDeleteHooks GSelfDeleteHooks = DefaultSelfDeleteHooks();

std::string FreeBatchFileName(const std::string& Folder) {
    for (int Number = 1;; ++Number) {
        const std::string Name = Folder + Format("uninstall%d.bat", Number);
        if (!FileExists(Name) && !DirectoryExists(Name)) return Name;
    }
}

void WriteAnsiFile(const std::string& FileName, const std::string& Text) {
    const std::string Ansi = Utf8ToAnsi(Text);
    OpenFileStream(FileName, fmCreate)->WriteBuffer(Ansi.data(), static_cast<int64_t>(Ansi.size()));
}

}  // namespace

TSelfDeleteHooks SetSelfDeleteHooks(TSelfDeleteHooks Hooks) {
    const TSelfDeleteHooks Defaults = DefaultSelfDeleteHooks();
    if (!Hooks.RunBatch) Hooks.RunBatch = Defaults.RunBatch;
    if (!Hooks.EndProgram) Hooks.EndProgram = Defaults.EndProgram;
    std::swap(Hooks, GSelfDeleteHooks);
    return Hooks;
}

void SelfDelete() {
    const std::string Program = GetModuleFileName();
    const uint32_t Drive = GetDriveType(Program);
    if (Drive != DRIVE_REMOVABLE && Drive != DRIVE_FIXED) return;
    const std::string TempFolder = GetTempFolder();
    const std::string BatchFile = FreeBatchFileName(TempFolder);
    ClearFileAttributes(Program);
    const std::string Quoted = "\"" + Program + "\"";
    WriteAnsiFile(BatchFile, ":TryDelete\r\n"
                             "del " + Quoted + "\r\n"
                             "if Exist " + Quoted + " goto TryDelete\r\n"
                             "rmdir \"" + ExtractFilePath(Program) + "\"\r\n"
                             "del " + BatchFile + "\r\n");
    if (!SetCurrentDir(TempFolder)) throw EOSError(GetLastError());
    GSelfDeleteHooks.RunBatch(BatchFile);
    GSelfDeleteHooks.EndProgram();
}

// --- Installation log ---

void AddLog(TInstallLog& Log, const std::string& Kind, const std::string& Value) {
    Log.push_back(Format("%s=%s", Kind.c_str(), Value.c_str()));
}

void SaveLogToFile(const TInstallLog& Log, const std::string& FileName) {
    std::string Text;
    for (const std::string& Item : Log) Text += Item + "\r\n";
    WriteAnsiFile(FileName, Text);
}

TInstallLog LoadLogFromFile(const std::string& FileName) {
    const auto File = OpenFileStream(FileName, fmOpenRead | fmShareDenyWrite);
    std::string Ansi(static_cast<size_t>(File->Size()), '\0');
    File->ReadBuffer(Ansi.data(), static_cast<int64_t>(Ansi.size()));
    // Lines end in CR LF, LF or CR; a final line break adds no empty line.
    TInstallLog Log;
    size_t Start = 0;
    while (Start < Ansi.size()) {
        const size_t End = std::min(Ansi.find_first_of("\r\n", Start), Ansi.size());
        Log.push_back(AnsiToUtf8(Ansi.substr(Start, End - Start)));
        Start = End + (Ansi.compare(End, 2, "\r\n") == 0 ? 2 : 1);
    }
    return Log;
}

namespace {

struct TLogLine {
    std::string Kind;
    std::string Value;
};

// The lines of the log that have a kind; comments and empty lines have none.
std::vector<TLogLine> LogLines(const TInstallLog& Log) {
    std::vector<TLogLine> Lines;
    for (const std::string& Item : Log) {
        const size_t Equals = Item.find('=');
        if (Equals != std::string::npos) Lines.push_back({Item.substr(0, Equals), Item.substr(Equals + 1)});
    }
    return Lines;
}

template <typename TAction>
void ForEachLine(const std::vector<TLogLine>& Lines, const char* Kind, bool NewestFirst, TAction Action) {
    const auto Visit = [&](const TLogLine& Line) {
        if (SameText(Line.Kind, Kind)) Action(Line.Value);
    };
    if (NewestFirst)
        for (auto It = Lines.rbegin(); It != Lines.rend(); ++It) Visit(*It);
    else
        for (const TLogLine& Line : Lines) Visit(Line);
}

// A registry item resolved to an open key whose value exists.
struct TOpenItem {
    TRegistry Reg;
    std::string ValueName;
    std::string Item;
};

std::unique_ptr<TOpenItem> OpenRegItem(const std::string& Text) {
    auto Open = std::make_unique<TOpenItem>();
    HKEY Root = 0;
    std::string KeyPath;
    if (!ParseRegItem(Text, Root, KeyPath, Open->ValueName, Open->Item)) return nullptr;
    Open->Reg.SetRootKey(Root);
    if (!Open->Reg.OpenKey(KeyPath, false) || !Open->Reg.ValueExists(Open->ValueName)) return nullptr;
    return Open;
}

// Takes a logged item out of its comma list; answers whether the list is now
// empty, or nothing when the item's key or value is missing.
std::optional<bool> RemoveListItem(const std::string& RegItem) {
    const auto Open = OpenRegItem(RegItem);
    if (!Open) return std::nullopt;
    std::vector<std::string> List;
    SplitList(List, Open->Reg.ReadString(Open->ValueName));
    for (auto It = List.begin(); It != List.end(); ++It) {
        if (SameText(*It, Open->Item)) {
            List.erase(It);
            break;
        }
    }
    if (List.empty())
        Open->Reg.DeleteValue(Open->ValueName);
    else
        Open->Reg.WriteString(Open->ValueName, JoinList(List));
    return List.empty();
}

// True when no customer package is registered any more.
bool PackageListIsEmpty() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKey(kNavitrexKey, false) || !Reg.ValueExists(kPackageListValue)) return true;
    std::vector<std::string> List;
    SplitList(List, Reg.ReadString(kPackageListValue));
    return List.empty();
}

bool IsSharedAppFile(const std::string& Path) {
    const std::string Name = ExtractFileName(Path);
    for (const char* Shared : kSharedAppFiles)
        if (SameText(Name, Shared)) return true;
    return false;
}

}  // namespace

void UndoInstallLog(const TInstallLog& Log, const std::string& Message, const TMessageCallback& ShowMessage) {
    const std::vector<TLogLine> Lines = LogLines(Log);

    // A run that failed before recording its package leaves no "regitem"
    // line: the registered list then tells whether other packages still
    // share the installation.
    std::optional<bool> ListEmptied;
    ForEachLine(Lines, kLogRegItem, true, [&](const std::string& Value) {
        if (const auto Emptied = RemoveListItem(Value)) ListEmptied = Emptied;
    });
    const bool LastPackage = ListEmptied ? *ListEmptied : PackageListIsEmpty();

    ForEachLine(Lines, kLogRegValue, true, [&](const std::string& Value) {
        const auto Open = OpenRegItem(Value);
        if (Open && (LastPackage || !SameText(Open->ValueName, kPathValue))) Open->Reg.DeleteValue(Open->ValueName);
    });

    const std::string Program = GetModuleFileName();
    bool DeleteProgram = false;
    ForEachLine(Lines, kLogFile, false, [&](const std::string& Path) {
        if (!LastPackage && IsSharedAppFile(Path)) return;
        if (SameText(Path, Program))
            DeleteProgram = true;
        else
            DeleteFile(Path);
    });

    if (LastPackage) {
        ForEachLine(Lines, kLogDir, true, [](const std::string& Folder) { RemoveDir(Folder); });
        UnregisterFileType(kDocumentExt);
    }
    ForEachLine(Lines, kLogProgram, true, [](const std::string& Name) { RemoveUninstallEntry(Name); });

    if (!Message.empty() && ShowMessage) ShowMessage(Message);
    if (DeleteProgram) SelfDelete();
}

}  // namespace installlib
