#include "Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "RegFile.h"
#include "Streams.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinError.h"

namespace fs = std::filesystem;

namespace platform::os {

namespace {

using TPath = std::vector<std::string>;

// Where a root lives: its hive file, the root name the file's sections use,
// and the key of that hive the root is a view of.
struct TRootView {
    const char* HiveFile;
    const char* HiveRootName;
    TPath Base;
};

bool RootView(HKEY Root, TRootView& View) {
    switch (Root) {
        case HKEY_CLASSES_ROOT: View = {"HKLM.reg", "HKEY_LOCAL_MACHINE", {"SOFTWARE", "Classes"}}; return true;
        case HKEY_CURRENT_USER: View = {"HKCU.reg", "HKEY_CURRENT_USER", {}}; return true;
        case HKEY_LOCAL_MACHINE: View = {"HKLM.reg", "HKEY_LOCAL_MACHINE", {}}; return true;
        case HKEY_USERS: View = {"HKU.reg", "HKEY_USERS", {}}; return true;
        case HKEY_CURRENT_CONFIG:
            View = {"HKLM.reg", "HKEY_LOCAL_MACHINE", {"SYSTEM", "CurrentControlSet", "Hardware Profiles", "Current"}};
            return true;
        default: return false;
    }
}

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                  "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
const char* const kRootShortNames[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKPD", "HKCC", "HKDD"};

// Splits a key path at backslashes; false, with the platform's error set, for
// names the registry refuses and for keys deeper than it allows.
bool SplitKeyPath(std::string_view Path, TPath& Parts) {
    for (const std::string_view Name : SplitText(Path, '\\')) {
        if (Name.empty()) continue;
        if (!IsValidKeyName(Name) || Parts.size() >= kMaxKeyDepth) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        Parts.emplace_back(Name);
    }
    return true;
}

std::string JoinPath(const TPath& Parts) {
    std::string Out;
    for (const std::string& Part : Parts) Out += (Out.empty() ? "" : "\\") + Part;
    return Out;
}

// --- hives on disk ---

class TFileLock {
public:
    TFileLock(const fs::path& File, bool Exclusive) {
        FHandle = ::open(File.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (FHandle < 0) FHandle = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0)
            throw ERegistryException(Format("Cannot open the registry lock \"%s\": %s", File.c_str(),
                                            SysErrorMessage(WinErrorFromErrno(errno)).c_str()));
        while (::flock(FHandle, Exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    ~TFileLock() { ::close(FHandle); }
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

private:
    int FHandle = -1;
};

[[noreturn]] void ThrowSaveError(const fs::path& File, int Errno) {
    throw EOSError(WinErrorFromErrno(Errno), Format("Cannot save the registry file \"%s\": %s", File.c_str(),
                                                     SysErrorMessage(WinErrorFromErrno(Errno)).c_str()));
}

void SyncFolder(const fs::path& Folder) {
    const int Handle = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Handle < 0) return;
    ::fsync(Handle);
    ::close(Handle);
}

// Replaces the hive file so that a reader or a crash sees the old or the new
// text, never a mix: a temporary file beside it, flushed, renamed over it.
void SaveAtomically(const fs::path& File, const std::string& Text) {
    const fs::path Temp = File.string() + ".tmp";
    const int Handle = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (Handle < 0) ThrowSaveError(File, errno);
    size_t Done = 0;
    while (Done < Text.size()) {
        const ssize_t Part = ::write(Handle, Text.data() + Done, Text.size() - Done);
        if (Part < 0 && errno == EINTR) continue;
        if (Part <= 0) {
            const int Error = Part < 0 ? errno : ENOSPC;
            ::close(Handle);
            ::unlink(Temp.c_str());
            ThrowSaveError(File, Error);
        }
        Done += static_cast<size_t>(Part);
    }
    if (::fsync(Handle) != 0 || ::close(Handle) != 0) {
        const int Error = errno;
        ::unlink(Temp.c_str());
        ThrowSaveError(File, Error);
    }
    if (::rename(Temp.c_str(), File.c_str()) != 0) ThrowSaveError(File, errno);
    SyncFolder(File.parent_path());
}

struct THive {
    std::unique_ptr<TRegKey> Root;
    TFileStamp Stamp;
    bool Loaded = false;
};

std::mutex gRegistryMutex;
std::map<std::string, THive> gHives;  // by hive file

// Runs Action on the current content of a hive under the hive's lock, shared
// for reading and exclusive for changes. An action that answers true changed
// the hive, which is then saved before the lock is released.
bool WithHive(const TRootView& View, bool Exclusive, const std::function<bool(TRegKey&)>& Action) {
    const fs::path File = EnsurePrefix() / "registry" / View.HiveFile;
    std::lock_guard Guard(gRegistryMutex);
    TFileLock Lock(File.string() + ".lock", Exclusive);
    THive& Hive = gHives[File.string()];
    const TFileStamp Stamp = FileStampOf(File);
    if (!Hive.Loaded || !(Hive.Stamp == Stamp)) {
        Hive.Loaded = false;
        std::string Text;
        if (Stamp.Inode != 0) {
            try {
                Text = ReadHostFile(File);
            } catch (const Exception& E) {
                throw ERegistryException(Format("Cannot read the registry file \"%s\": %s", File.c_str(), E.what()));
            }
        }
        Hive.Root = LoadHiveText(Text, File.string(), View.HiveRootName);
        Hive.Stamp = Stamp;
        Hive.Loaded = true;
    }
    if (!Action(*Hive.Root)) return false;
    try {
        SaveAtomically(File, FormatRegText(*Hive.Root, View.HiveRootName, false));
    } catch (...) {
        Hive.Loaded = false;  // the file still has the old content
        throw;
    }
    Hive.Stamp = FileStampOf(File);
    return true;
}

TRegKey* Walk(TRegKey& Root, const TPath& Path) {
    TRegKey* Key = &Root;
    for (const std::string& Name : Path)
        if (!(Key = Key->FindSubKey(Name))) return nullptr;
    return Key;
}

bool WithKey(const TRootView& View, const TPath& Path, const std::function<void(TRegKey&)>& Action) {
    bool Found = false;
    WithHive(View, false, [&](TRegKey& Root) {
        if (TRegKey* Key = Walk(Root, Path)) {
            Found = true;
            Action(*Key);
        }
        return false;
    });
    return Found;
}

// A change the system may refuse (the hive cannot be saved): false with the
// last error set, as the platform's calls answer. A malformed hive still raises.
bool Change(const TRootView& View, const std::function<bool(TRegKey&)>& Action) {
    try {
        WithHive(View, true, Action);
        return true;
    } catch (const EOSError& E) {
        SetLastError(E.ErrorCode());
        return false;
    }
}

std::string MultiStringData(const std::vector<std::string>& Items) {
    std::string Data;
    for (const std::string& Item : Items) Data += Item + '\0';
    return Data;
}

}  // namespace

struct TRegistry::TTarget {
    TRootView View;
    TPath Path;  // from the hive's root
    TPath Relative;  // under the registry root, as CurrentPath shows it
};

std::string RootKeyName(HKEY Root) {
    const uint32_t Index = Root - HKEY_CLASSES_ROOT;
    return Root >= HKEY_CLASSES_ROOT && Index < std::size(kRootNames) ? kRootNames[Index] : "";
}

HKEY RootKeyFromName(std::string_view Name) {
    const std::string Trimmed = Trim(Name);
    for (size_t I = 0; I < std::size(kRootNames); ++I)
        if (SameText(Trimmed, kRootNames[I]) || SameText(Trimmed, kRootShortNames[I]))
            return HKEY_CLASSES_ROOT + static_cast<HKEY>(I);
    return 0;
}

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value) {
    CloseKey();
    FRootKey = Value;
}

bool TRegistry::Resolve(std::string_view Key, TTarget& Target) const {
    if (!RootView(FRootKey, Target.View)) return false;
    const bool Relative = Key.empty() || Key[0] != '\\';
    if (Relative && FOpen && !SplitKeyPath(FCurrentPath, Target.Relative)) return false;
    if (!SplitKeyPath(Key, Target.Relative)) return false;
    Target.Path = Target.View.Base;
    Target.Path.insert(Target.Path.end(), Target.Relative.begin(), Target.Relative.end());
    if (Target.Path.size() <= kMaxKeyDepth) return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

bool TRegistry::OpenKey(std::string_view Key, bool CanCreate) {
    TTarget Target;
    if (!Resolve(Key, Target)) return false;
    bool Opened = false;
    if (CanCreate) {
        Opened = Change(Target.View, [&](TRegKey& Root) {
            bool Changed = false;
            TRegKey* Current = &Root;
            for (const std::string& Name : Target.Path) {
                bool Created = false;
                Current = &Current->AddSubKey(Name, Created);
                Changed = Changed || Created;
            }
            return Changed;
        });
    } else {
        Opened = WithKey(Target.View, Target.Path, [](TRegKey&) {});
    }
    if (Opened) {
        FOpen = true;
        FReadOnly = false;
        FCurrentPath = JoinPath(Target.Relative);
    }
    return Opened;
}

bool TRegistry::OpenKeyReadOnly(std::string_view Key) {
    if (!OpenKey(Key, false)) return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(std::string_view Key) {
    // Creating leaves the current key as it was.
    const bool WasOpen = FOpen, WasReadOnly = FReadOnly;
    const std::string WasPath = FCurrentPath;
    const bool Created = OpenKey(Key, true);
    FOpen = WasOpen;
    FReadOnly = WasReadOnly;
    FCurrentPath = WasPath;
    return Created;
}

bool TRegistry::KeyExists(std::string_view Key) {
    TTarget Target;
    return Resolve(Key, Target) && WithKey(Target.View, Target.Path, [](TRegKey&) {});
}

bool TRegistry::DeleteKey(std::string_view Key) {
    TTarget Target;
    if (!Resolve(Key, Target) || Target.Relative.empty()) return false;
    bool Deleted = false;
    const bool Saved = Change(Target.View, [&](TRegKey& Root) {
        TPath Parent = Target.Path;
        const std::string Name = Parent.back();
        Parent.pop_back();
        if (TRegKey* Holder = Walk(Root, Parent)) Deleted = Holder->DeleteSubKey(Name);
        return Deleted;
    });
    return Saved && Deleted;
}

bool TRegistry::ValueExists(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    return ReadValue(Name, Type, Data);
}

bool TRegistry::DeleteValue(std::string_view Name) {
    TTarget Target;
    if (!FOpen || FReadOnly || !Resolve("", Target)) return false;
    bool Deleted = false;
    const bool Saved = Change(Target.View, [&](TRegKey& Root) {
        if (TRegKey* Key = Walk(Root, Target.Path)) Deleted = Key->DeleteValue(Name);
        return Deleted;
    });
    return Saved && Deleted;
}

bool TRegistry::HasSubKeys() { return !GetKeyNames().empty(); }

std::vector<std::string> TRegistry::GetKeyNames() {
    std::vector<std::string> Names;
    TTarget Target;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TRegKey& Key) {
            for (const TRegKey* Sub : Key.SubKeys()) Names.push_back(Sub->Name());
        });
    return Names;
}

std::vector<std::string> TRegistry::GetValueNames() {
    std::vector<std::string> Names;
    TTarget Target;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TRegKey& Key) {
            for (const TRegValue& Value : Key.Values()) Names.push_back(Value.Name);
        });
    return Names;
}

bool TRegistry::ReadValue(std::string_view Name, uint32_t& Type, std::string& Data) {
    TTarget Target;
    bool Found = false;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TRegKey& Key) {
            if (const TRegValue* Value = Key.FindValue(Name)) {
                Found = true;
                Type = Value->Type;
                Data = Value->Data;
            }
        });
    return Found;
}

void TRegistry::WriteValue(std::string_view Name, uint32_t Type, std::string Data) {
    const std::string ValueName(Name);
    TTarget Target;
    bool Written = false;
    if (!IsValidValueName(Name)) SetLastError(ERROR_INVALID_PARAMETER);
    else if (FOpen && !FReadOnly && Resolve("", Target)) {
        const bool Saved = Change(Target.View, [&](TRegKey& Root) {
            TRegKey* Key = Walk(Root, Target.Path);
            if (!Key) return false;
            Key->SetValue({ValueName, Type, std::move(Data)});
            Written = true;
            return true;
        });
        Written = Written && Saved;
    }
    if (!Written) throw ERegistryException(Format("Failed to set data for '%s'", ValueName.c_str()));
}

bool TRegistry::GetDataInfo(std::string_view Name, TRegDataInfo& Info) {
    uint32_t Type = REG_NONE;
    std::string Data;
    Info = {};
    if (!ReadValue(Name, Type, Data)) return false;
    switch (Type) {
        case REG_SZ: Info.RegData = TRegDataType::rdString; break;
        case REG_EXPAND_SZ: Info.RegData = TRegDataType::rdExpandString; break;
        case REG_DWORD: Info.RegData = TRegDataType::rdInteger; break;
        case REG_BINARY: Info.RegData = TRegDataType::rdBinary; break;
        default: Info.RegData = TRegDataType::rdUnknown; break;
    }
    const bool Text = Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_MULTI_SZ;
    Info.DataSize = static_cast<int>(Data.size() + (Text ? 1 : 0));
    return true;
}

TRegDataType TRegistry::GetDataType(std::string_view Name) {
    TRegDataInfo Info;
    GetDataInfo(Name, Info);
    return Info.RegData;
}

int TRegistry::GetDataSize(std::string_view Name) {
    TRegDataInfo Info;
    return GetDataInfo(Name, Info) ? Info.DataSize : -1;
}

uint32_t TRegistry::GetValueType(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    return ReadValue(Name, Type, Data) ? Type : REG_NONE;
}

namespace {

[[noreturn]] void InvalidType(std::string_view Name) {
    throw ERegistryException(Format("Invalid data type for '%.*s'", static_cast<int>(Name.size()), Name.data()));
}

[[noreturn]] void GetDataFailed(std::string_view Name) {
    throw ERegistryException(Format("Failed to get data for '%.*s'", static_cast<int>(Name.size()), Name.data()));
}

}  // namespace

std::string TRegistry::ReadString(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    if (!ReadValue(Name, Type, Data)) return {};
    if (Type != REG_SZ && Type != REG_EXPAND_SZ) InvalidType(Name);
    return Data;
}

void TRegistry::WriteString(std::string_view Name, std::string_view Value) { WriteValue(Name, REG_SZ, std::string(Value)); }

void TRegistry::WriteExpandString(std::string_view Name, std::string_view Value) {
    WriteValue(Name, REG_EXPAND_SZ, std::string(Value));
}

int32_t TRegistry::ReadInteger(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    if (!ReadValue(Name, Type, Data)) GetDataFailed(Name);
    if (Type != REG_DWORD || Data.size() != 4) InvalidType(Name);
    uint32_t Number = 0;
    for (int I = 3; I >= 0; --I) Number = (Number << 8) | static_cast<unsigned char>(Data[I]);
    return static_cast<int32_t>(Number);
}

void TRegistry::WriteInteger(std::string_view Name, int32_t Value) {
    std::string Data;
    for (int I = 0; I < 4; ++I) Data += static_cast<char>((static_cast<uint32_t>(Value) >> (8 * I)) & 0xFF);
    WriteValue(Name, REG_DWORD, std::move(Data));
}

std::vector<uint8_t> TRegistry::ReadBinaryData(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    if (!ReadValue(Name, Type, Data)) GetDataFailed(Name);
    if (Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_DWORD || Type == REG_MULTI_SZ) InvalidType(Name);
    return {Data.begin(), Data.end()};
}

void TRegistry::WriteBinaryData(std::string_view Name, const std::vector<uint8_t>& Value) {
    WriteValue(Name, REG_BINARY, std::string(Value.begin(), Value.end()));
}

std::vector<std::string> TRegistry::ReadMultiString(std::string_view Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    if (!ReadValue(Name, Type, Data)) return {};
    if (Type != REG_MULTI_SZ) InvalidType(Name);
    // Every item ends in a zero, so the last part is always empty.
    std::vector<std::string_view> Parts = SplitText(Data, '\0');
    Parts.pop_back();
    return {Parts.begin(), Parts.end()};
}

void TRegistry::WriteMultiString(std::string_view Name, const std::vector<std::string>& Value) {
    for (const std::string& Item : Value)
        if (Item.empty() || Item.find('\0') != std::string::npos)
            throw ERegistryException(Format("Failed to set data for '%.*s'", static_cast<int>(Name.size()), Name.data()));
    WriteValue(Name, REG_MULTI_SZ, MultiStringData(Value));
}

std::string ExportRegistryKey(HKEY Root, std::string_view Key) {
    TRootView View;
    TPath Relative;
    if (!RootView(Root, View) || !SplitKeyPath(Key, Relative)) return {};
    TPath Path = View.Base;
    Path.insert(Path.end(), Relative.begin(), Relative.end());
    std::string Text;
    WithKey(View, Path, [&](TRegKey& Found) {
        std::string Section = RootKeyName(Root);
        if (!Relative.empty()) Section.append("\\").append(JoinPath(Relative));
        Text = FormatRegText(Found, Section, !Relative.empty());
    });
    return Text;
}

void ImportRegistryText(std::string_view Bytes, const std::string& Source) {
    struct TStep {
        TRootView View;
        TPath Path;  // from the hive's root
        TRegSection* Section;
    };
    std::vector<TRegSection> Sections = ParseRegText(Bytes, Source);
    std::map<std::string, std::vector<TStep>> ByHive;  // steps in file order, by hive file
    for (TRegSection& Section : Sections) {
        const auto Refuse = [&](const char* What) {
            throw ERegistryException(Format("Registry file \"%s\", line %d: %s", Source.c_str(), Section.Line, What));
        };
        TStep Step{{}, {}, &Section};
        if (!RootView(RootKeyFromName(Section.Path[0]), Step.View)) Refuse("the key is under no registry root");
        if (Section.Delete && Section.Path.size() == 1) Refuse("a root key cannot be deleted");
        Step.Path = Step.View.Base;
        Step.Path.insert(Step.Path.end(), Section.Path.begin() + 1, Section.Path.end());
        if (Step.Path.size() > kMaxKeyDepth) Refuse("the key is deeper than the registry allows");
        ByHive[Step.View.HiveFile].push_back(std::move(Step));
    }
    for (const auto& Hive : ByHive) {
        const std::vector<TStep>& Steps = Hive.second;
        WithHive(Steps.front().View, true, [&](TRegKey& Root) {
            for (const TStep& Step : Steps) {
                if (Step.Section->Delete) {
                    // Values listed under a deleted key are ignored, as regedit does.
                    const TPath Parent(Step.Path.begin(), Step.Path.end() - 1);
                    if (TRegKey* Holder = Walk(Root, Parent)) Holder->DeleteSubKey(Step.Path.back());
                    continue;
                }
                TRegKey* Key = &Root;
                bool Created = false;
                for (const std::string& Name : Step.Path) Key = &Key->AddSubKey(Name, Created);
                for (TRegSection::TLine& Line : Step.Section->Values) {
                    if (Line.Delete) Key->DeleteValue(Line.Value.Name);
                    else Key->SetValue(std::move(Line.Value));
                }
            }
            return true;
        });
    }
}

}  // namespace platform::os
