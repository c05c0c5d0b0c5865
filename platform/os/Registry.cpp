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

#include "Streams.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinError.h"

namespace fs = std::filesystem;

namespace platform::os {

namespace {

constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;

struct TLessText {
    bool operator()(const std::string& A, const std::string& B) const { return AnsiCompareText(A, B) < 0; }
};

struct TValue {
    std::string Name;
    uint32_t Type = REG_NONE;
    std::string Data;  // text for strings, items each ending in '\0' for multi-strings, raw bytes otherwise
};

struct TKey {
    std::string Name;
    std::vector<TValue> Values;  // in the order they were made
    std::map<std::string, TKey, TLessText> SubKeys;

    TValue* FindValue(std::string_view ValueName) {
        for (TValue& Value : Values)
            if (SameText(Value.Name, ValueName)) return &Value;
        return nullptr;
    }
    TKey* FindSubKey(const std::string& KeyName) {
        auto It = SubKeys.find(KeyName);
        return It == SubKeys.end() ? nullptr : &It->second;
    }
};

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

bool HasControlChars(std::string_view Text) {
    for (char C : Text)
        if (static_cast<unsigned char>(C) < 32) return true;
    return false;
}

// Splits a key path at backslashes; false for names the registry refuses.
bool SplitKeyPath(std::string_view Path, TPath& Parts) {
    for (const std::string_view Name : SplitText(Path, '\\')) {
        if (Name.empty()) continue;
        if (Utf8Length(Name) > kMaxKeyNameChars || HasControlChars(Name)) return false;
        Parts.emplace_back(Name);
    }
    return true;
}

std::string JoinPath(const TPath& Parts) {
    std::string Out;
    for (const std::string& Part : Parts) Out += (Out.empty() ? "" : "\\") + Part;
    return Out;
}

// --- REGEDIT4 text ---

void AppendQuoted(std::string& Out, std::string_view Text) {
    Out += '"';
    for (char C : Text) {
        if (C == '\\' || C == '"') Out += '\\';
        Out += C;
    }
    Out += '"';
}

void AppendHex(std::string& Out, std::string_view Bytes) {
    static const char kDigits[] = "0123456789abcdef";
    for (size_t I = 0; I < Bytes.size(); ++I) {
        const auto Byte = static_cast<unsigned char>(Bytes[I]);
        if (I) Out += ',';
        Out += kDigits[Byte >> 4];
        Out += kDigits[Byte & 15];
    }
}

void AppendValue(std::string& Out, const TValue& Value) {
    if (Value.Name.empty()) Out += '@';
    else AppendQuoted(Out, Value.Name);
    Out += '=';
    if (Value.Type == REG_SZ && !HasControlChars(Value.Data)) {
        AppendQuoted(Out, Value.Data);
    } else if (Value.Type == REG_DWORD && Value.Data.size() == 4) {
        uint32_t Number = 0;
        for (int I = 3; I >= 0; --I) Number = (Number << 8) | static_cast<unsigned char>(Value.Data[I]);
        Out += Format("dword:%08x", Number);
    } else {
        // Strings travel with their terminating zero, multi-strings with the final empty item.
        std::string Bytes = Value.Data;
        if (Value.Type == REG_SZ || Value.Type == REG_EXPAND_SZ || Value.Type == REG_MULTI_SZ) Bytes += '\0';
        Out += Value.Type == REG_BINARY ? std::string("hex:") : Format("hex(%x):", Value.Type);
        AppendHex(Out, Bytes);
    }
    Out += '\n';
}

void AppendKey(std::string& Out, const std::string& SectionPath, const TKey& Key) {
    Out += '[' + SectionPath + "]\n";
    for (const TValue& Value : Key.Values) AppendValue(Out, Value);
    Out += '\n';
    for (const auto& [Name, SubKey] : Key.SubKeys) AppendKey(Out, SectionPath + '\\' + SubKey.Name, SubKey);
}

class THiveParser {
public:
    THiveParser(const std::string& Text, const fs::path& File, const char* RootName)
        : FText(Text), FFile(File), FRootName(RootName) {}

    TKey Parse() {
        TKey Root;
        TKey* Current = nullptr;
        bool SawHeader = false;
        std::string Line;
        while (NextLine(Line)) {
            const std::string Row = TrimRight(Line);
            if (Row.empty() || Row[0] == ';') continue;
            if (!SawHeader) {
                if (Row != "REGEDIT4") Fail("the first line must be \"REGEDIT4\"");
                SawHeader = true;
            } else if (Row[0] == '[') {
                Current = &Section(Root, Row);
            } else {
                if (!Current) Fail("a value outside of any [key] section");
                ParseValue(*Current, Row);
            }
        }
        if (!SawHeader && !FText.empty()) Fail("the first line must be \"REGEDIT4\"");
        return Root;
    }

private:
    bool NextLine(std::string& Line) {
        if (FPos >= FText.size()) return false;
        if (FLine == 0 && FText.rfind("\xEF\xBB\xBF", 0) == 0) FPos = 3;
        size_t End = FText.find('\n', FPos);
        if (End == std::string::npos) End = FText.size();
        Line = FText.substr(FPos, End - FPos);
        FPos = End + 1;
        ++FLine;
        return true;
    }

    [[noreturn]] void Fail(const std::string& What) const {
        throw ERegistryException(
            Format("Registry file \"%s\" is malformed at line %d: %s", FFile.c_str(), FLine, What.c_str()));
    }

    TKey& Section(TKey& Root, const std::string& Row) {
        if (Row.back() != ']' || Row.size() < 3) Fail("a key section must end with ']'");
        const std::string Path = Row.substr(1, Row.size() - 2);
        if (Path[0] == '-') Fail("key deletions are not part of a hive");
        TPath Parts;
        if (!SplitKeyPath(Path, Parts) || Parts.empty() || !SameText(Parts[0], FRootName))
            Fail(Format("a key of this hive must start with \"%s\"", FRootName));
        TKey* Key = &Root;
        for (size_t I = 1; I < Parts.size(); ++I) {
            TKey& Sub = Key->SubKeys[Parts[I]];
            if (Sub.Name.empty()) Sub.Name = Parts[I];
            Key = &Sub;
        }
        return *Key;
    }

    // A quoted string at Row[Pos] ('"' included); Pos ends after the closing quote.
    std::string Quoted(const std::string& Row, size_t& Pos) {
        std::string Out;
        for (++Pos; Pos < Row.size(); ++Pos) {
            if (Row[Pos] == '"') {
                ++Pos;
                return Out;
            }
            if (Row[Pos] == '\\' && Pos + 1 < Row.size()) ++Pos;
            Out += Row[Pos];
        }
        Fail("a quoted text has no closing quote");
    }

    std::string HexBytes(std::string Text) {
        // Long data continues on the next lines after a trailing backslash.
        std::string Line;
        while (!Text.empty() && Text.back() == '\\') {
            Text.pop_back();
            if (!NextLine(Line)) Fail("hex data continues past the end of the file");
            Text += Trim(Line);
        }
        std::string Bytes;
        size_t Pos = 0;
        while (Pos < Text.size()) {
            size_t End = Text.find(',', Pos);
            if (End == std::string::npos) End = Text.size();
            const std::string Item = Trim(Text.substr(Pos, End - Pos));
            Pos = End + 1;
            if (Item.empty() && End == Text.size()) break;
            if (Item.size() != 2 || !std::isxdigit(static_cast<unsigned char>(Item[0])) ||
                !std::isxdigit(static_cast<unsigned char>(Item[1])))
                Fail(Format("\"%s\" is not a hex byte", Item.c_str()));
            Bytes += static_cast<char>(std::stoi(Item, nullptr, 16));
        }
        return Bytes;
    }

    void ParseValue(TKey& Key, const std::string& Row) {
        TValue Value;
        size_t Pos = 0;
        if (Row[0] == '@') Pos = 1;
        else if (Row[0] == '"') Value.Name = Quoted(Row, Pos);
        else Fail("a value line must start with '@' or a quoted name");
        while (Pos < Row.size() && Row[Pos] == ' ') ++Pos;
        if (Pos >= Row.size() || Row[Pos] != '=') Fail("'=' expected after the value name");
        const std::string Data = Trim(Row.substr(Pos + 1));
        if (Data.rfind('"', 0) == 0) {
            size_t DataPos = 0;
            Value.Type = REG_SZ;
            Value.Data = Quoted(Data, DataPos);
            if (DataPos != Data.size()) Fail("text after the closing quote");
        } else if (Data.rfind("dword:", 0) == 0) {
            const std::string Digits = Data.substr(6);
            if (Digits.empty() || Digits.size() > 8 || Digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                Fail("\"dword:\" needs up to eight hex digits");
            const uint32_t Number = static_cast<uint32_t>(std::stoul(Digits, nullptr, 16));
            Value.Type = REG_DWORD;
            for (int I = 0; I < 4; ++I) Value.Data += static_cast<char>((Number >> (8 * I)) & 0xFF);
        } else if (Data.rfind("hex:", 0) == 0) {
            Value.Type = REG_BINARY;
            Value.Data = HexBytes(Data.substr(4));
        } else if (Data.rfind("hex(", 0) == 0 && Data.find("):") != std::string::npos) {
            const size_t Close = Data.find("):");
            const std::string TypeText = Data.substr(4, Close - 4);
            if (TypeText.empty() || TypeText.size() > 8 || TypeText.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                Fail("\"hex(type):\" needs a hex type");
            Value.Type = static_cast<uint32_t>(std::stoul(TypeText, nullptr, 16));
            Value.Data = HexBytes(Data.substr(Close + 2));
            if (Value.Type == REG_SZ || Value.Type == REG_EXPAND_SZ) {
                Value.Data = Value.Data.substr(0, Value.Data.find('\0'));
            } else if (Value.Type == REG_MULTI_SZ) {
                while (Value.Data.size() >= 2 && Value.Data.compare(Value.Data.size() - 2, 2, std::string(2, '\0')) == 0)
                    Value.Data.pop_back();
                if (Value.Data == std::string(1, '\0')) Value.Data.clear();
            }
        } else {
            Fail(Format("unknown value data \"%s\"", Data.c_str()));
        }
        if (TValue* Existing = Key.FindValue(Value.Name)) *Existing = std::move(Value);
        else Key.Values.push_back(std::move(Value));
    }

    const std::string& FText;
    const fs::path& FFile;
    const char* FRootName;
    size_t FPos = 0;
    int FLine = 0;
};

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
    TKey Root;
    TFileStamp Stamp;
    bool Loaded = false;
};

std::mutex gRegistryMutex;
std::map<std::string, THive> gHives;  // by hive file

// Runs Action on the current content of a hive under the hive's lock, shared
// for reading and exclusive for changes. An action that answers true changed
// the hive, which is then saved before the lock is released.
bool WithHive(const TRootView& View, bool Exclusive, const std::function<bool(TKey&)>& Action) {
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
        Hive.Root = THiveParser(Text, File, View.HiveRootName).Parse();
        Hive.Stamp = Stamp;
        Hive.Loaded = true;
    }
    if (!Action(Hive.Root)) return false;
    std::string Text = "REGEDIT4\n\n";
    for (const auto& [Name, Key] : Hive.Root.SubKeys) AppendKey(Text, std::string(View.HiveRootName) + '\\' + Key.Name, Key);
    try {
        SaveAtomically(File, Text);
    } catch (...) {
        Hive.Loaded = false;  // the file still has the old content
        throw;
    }
    Hive.Stamp = FileStampOf(File);
    return true;
}

TKey* Walk(TKey& Root, const TPath& Path) {
    TKey* Key = &Root;
    for (const std::string& Name : Path)
        if (!(Key = Key->FindSubKey(Name))) return nullptr;
    return Key;
}

bool WithKey(const TRootView& View, const TPath& Path, const std::function<void(TKey&)>& Action) {
    bool Found = false;
    WithHive(View, false, [&](TKey& Root) {
        if (TKey* Key = Walk(Root, Path)) {
            Found = true;
            Action(*Key);
        }
        return false;
    });
    return Found;
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
    return true;
}

bool TRegistry::OpenKey(std::string_view Key, bool CanCreate) {
    TTarget Target;
    if (!Resolve(Key, Target)) return false;
    bool Opened = false;
    if (CanCreate) {
        WithHive(Target.View, true, [&](TKey& Root) {
            bool Created = false;
            TKey* Current = &Root;
            for (const std::string& Name : Target.Path) {
                TKey& Sub = Current->SubKeys[Name];
                if (Sub.Name.empty()) {
                    Sub.Name = Name;
                    Created = true;
                }
                Current = &Sub;
            }
            Opened = true;
            return Created;
        });
    } else {
        Opened = WithKey(Target.View, Target.Path, [](TKey&) {});
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
    return Resolve(Key, Target) && WithKey(Target.View, Target.Path, [](TKey&) {});
}

bool TRegistry::DeleteKey(std::string_view Key) {
    TTarget Target;
    if (!Resolve(Key, Target) || Target.Relative.empty()) return false;
    bool Deleted = false;
    WithHive(Target.View, true, [&](TKey& Root) {
        TPath Parent = Target.Path;
        const std::string Name = Parent.back();
        Parent.pop_back();
        if (TKey* Holder = Walk(Root, Parent)) Deleted = Holder->SubKeys.erase(Name) != 0;
        return Deleted;
    });
    return Deleted;
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
    WithHive(Target.View, true, [&](TKey& Root) {
        if (TKey* Key = Walk(Root, Target.Path))
            if (TValue* Value = Key->FindValue(Name)) {
                Key->Values.erase(Key->Values.begin() + (Value - Key->Values.data()));
                Deleted = true;
            }
        return Deleted;
    });
    return Deleted;
}

bool TRegistry::HasSubKeys() { return !GetKeyNames().empty(); }

std::vector<std::string> TRegistry::GetKeyNames() {
    std::vector<std::string> Names;
    TTarget Target;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TKey& Key) {
            for (const auto& [Folded, Sub] : Key.SubKeys) Names.push_back(Sub.Name);
        });
    return Names;
}

std::vector<std::string> TRegistry::GetValueNames() {
    std::vector<std::string> Names;
    TTarget Target;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TKey& Key) {
            for (const TValue& Value : Key.Values) Names.push_back(Value.Name);
        });
    return Names;
}

bool TRegistry::ReadValue(std::string_view Name, uint32_t& Type, std::string& Data) {
    TTarget Target;
    bool Found = false;
    if (FOpen && Resolve("", Target))
        WithKey(Target.View, Target.Path, [&](TKey& Key) {
            if (const TValue* Value = Key.FindValue(Name)) {
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
    if (FOpen && !FReadOnly && Utf8Length(Name) <= kMaxValueNameChars && !HasControlChars(Name) && Resolve("", Target)) {
        WithHive(Target.View, true, [&](TKey& Root) {
            TKey* Key = Walk(Root, Target.Path);
            if (!Key) return false;
            if (TValue* Value = Key->FindValue(Name)) {
                Value->Type = Type;
                Value->Data = std::move(Data);
            } else {
                Key->Values.push_back({ValueName, Type, std::move(Data)});
            }
            Written = true;
            return true;
        });
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
    WithKey(View, Path, [&](TKey& Found) {
        Text = "REGEDIT4\n\n";
        if (Relative.empty()) {
            for (const auto& [Name, Sub] : Found.SubKeys) AppendKey(Text, RootKeyName(Root) + '\\' + Sub.Name, Sub);
        } else {
            AppendKey(Text, RootKeyName(Root) + '\\' + JoinPath(Relative), Found);
        }
    });
    return Text;
}

}  // namespace platform::os
