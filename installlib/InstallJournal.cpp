#include "installlib/InstallJournal.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "installlib/InstaladorLib.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/Text.h"
#include "platform/os/WinError.h"
#include "platform/os/WinPath.h"

namespace installlib {

using namespace platform::os;

namespace {

const char* const kJournalSubfolder = "Ostrevan Installer\\";
const char* const kJournalFile = "journal.txt";
const char* const kCopyFileFormat = "%d.bak";
// Journal entries: one a line, fields separated by tabs (no Windows path or
// key name of the run holds one).
const char* const kNewFolder = "dir";
const char* const kNewFile = "file";
const char* const kFileCopy = "filecopy";
const char* const kNewKey = "key";
const char* const kKeyCopy = "keycopy";
const char kSeparator = '\t';

std::vector<std::string> SplitFields(const std::string& Line, char Separator = kSeparator) {
    const std::vector<std::string_view> Parts = SplitText(Line, Separator);
    return {Parts.begin(), Parts.end()};
}

std::string ReadWholeFile(const std::string& Path) {
    const auto File = OpenFileStream(Path, fmOpenRead | fmShareDenyNone);
    std::string Content(static_cast<size_t>(File->Size()), '\0');
    File->ReadBuffer(Content.data(), static_cast<int64_t>(Content.size()));
    return Content;
}

void WriteWholeFile(const std::string& Path, const std::string& Content) {
    const auto File = OpenFileStream(Path, fmCreate);
    File->WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
    if (!FlushFileBuffers(*File)) throw EOSError(GetLastError());
}

// --- A key with its subkeys, as text: "K <path>" and "V <name> <type> <data>"
// lines, every field in hexadecimal so that any name or datum fits. ---

std::string ToHex(const std::string& Bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string Hex;
    for (const unsigned char Byte : Bytes) {
        Hex += kDigits[Byte >> 4];
        Hex += kDigits[Byte & 0xF];
    }
    return Hex;
}

std::string FromHex(const std::string& Hex) {
    std::string Bytes;
    for (size_t I = 0; I + 1 < Hex.size(); I += 2) Bytes += static_cast<char>(std::stoi(Hex.substr(I, 2), nullptr, 16));
    return Bytes;
}

// A value's datum as text of its type: multi-strings joined by zeros, DWORDs in decimal.
std::string ReadDatum(TRegistry& Reg, const std::string& Name, uint32_t Type) {
    switch (Type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return Reg.ReadString(Name);
        case REG_DWORD:
            return std::to_string(Reg.ReadInteger(Name));
        case REG_MULTI_SZ: {
            std::string Joined;
            for (const std::string& Item : Reg.ReadMultiString(Name)) Joined += Item + '\0';
            return Joined;
        }
        default: {
            const std::vector<uint8_t> Data = Reg.ReadBinaryData(Name);
            return {Data.begin(), Data.end()};
        }
    }
}

void WriteDatum(TRegistry& Reg, const std::string& Name, uint32_t Type, const std::string& Datum) {
    switch (Type) {
        case REG_SZ:
            return Reg.WriteString(Name, Datum);
        case REG_EXPAND_SZ:
            return Reg.WriteExpandString(Name, Datum);
        case REG_DWORD:
            return Reg.WriteInteger(Name, std::stoi(Datum));
        case REG_MULTI_SZ: {
            std::vector<std::string> Items;
            for (size_t Start = 0, End; (End = Datum.find('\0', Start)) != std::string::npos; Start = End + 1)
                Items.push_back(Datum.substr(Start, End - Start));
            return Reg.WriteMultiString(Name, Items);
        }
        default:
            // Types without a writer of their own come back as binary data.
            return Reg.WriteBinaryData(Name, std::vector<uint8_t>(Datum.begin(), Datum.end()));
    }
}

void AppendKeyText(HKEY Root, const std::string& Key, const std::string& Relative, std::string& Text) {
    TRegistry Reg;
    Reg.SetRootKey(Root);
    if (!Reg.OpenKeyReadOnly(Key + Relative)) return;
    Text += "K " + ToHex(Relative) + "\n";
    for (const std::string& Name : Reg.GetValueNames()) {
        const uint32_t Type = Reg.GetValueType(Name);
        Text += "V " + ToHex(Name) + " " + std::to_string(Type) + " " + ToHex(ReadDatum(Reg, Name, Type)) + "\n";
    }
    for (const std::string& Sub : Reg.GetKeyNames()) AppendKeyText(Root, Key, Relative + "\\" + Sub, Text);
}

// Empties the key and fills it from its saved text.
void RestoreKey(HKEY Root, const std::string& Key, const std::string& Text) {
    TRegistry Reg;
    Reg.SetRootKey(Root);
    if (!Reg.OpenKey(Key, true)) return;
    for (const std::string& Sub : Reg.GetKeyNames()) Reg.DeleteKey(Sub);
    for (const std::string& Name : Reg.GetValueNames()) Reg.DeleteValue(Name);
    size_t Start = 0;
    for (size_t End; (End = Text.find('\n', Start)) != std::string::npos; Start = End + 1) {
        const std::vector<std::string> Words = SplitFields(Text.substr(Start, End - Start), ' ');
        if (Words[0] == "K" && Words.size() == 2) {
            Reg.CloseKey();
            Reg.OpenKey(Key + FromHex(Words[1]), true);
        } else if (Words[0] == "V" && Words.size() == 4 && Reg.HasCurrentKey()) {
            WriteDatum(Reg, FromHex(Words[1]), static_cast<uint32_t>(std::stoul(Words[2])), FromHex(Words[3]));
        }
    }
}

// The outermost key of Key's path that does not exist yet; empty when it all exists.
std::string OutermostMissingKey(HKEY Root, const std::string& Key) {
    TRegistry Reg;
    Reg.SetRootKey(Root);
    std::string Path;
    for (size_t Start = 0; Start <= Key.size();) {
        const size_t End = std::min(Key.find('\\', Start), Key.size());
        Path = Key.substr(0, End);
        if (!Reg.KeyExists(Path)) return Path;
        Start = End + 1;
    }
    return {};
}

std::string CopyFileName(const std::string& Folder, int Number) { return Folder + Format(kCopyFileFormat, Number); }

// Puts back one recorded change; whatever fails stays as it is.
void Undo(const std::string& Folder, const std::vector<std::string>& Fields) {
    const auto Field = [&](size_t Index) { return Index < Fields.size() ? Fields[Index] : std::string(); };
    const std::string& Kind = Fields[0];
    if (Kind == kNewFolder) {
        RemoveDir(Field(1));
    } else if (Kind == kNewFile) {
        DeleteFile(Field(1));
    } else if (Kind == kFileCopy) {
        WriteWholeFile(Field(1), ReadWholeFile(Folder + Field(2)));
    } else if (Kind == kNewKey || Kind == kKeyCopy) {
        const HKEY Root = RootKeyFromName(Field(1));
        if (!Root || Field(2).empty()) return;
        if (Kind == kKeyCopy) return RestoreKey(Root, Field(2), ReadWholeFile(Folder + Field(3)));
        TRegistry Reg;
        Reg.SetRootKey(Root);
        Reg.DeleteKey(Field(2));
    }
}

// Removes the journal first, so that a run that dies here is never undone
// twice, then the copies and the folder.
void Discard(const std::string& Folder) {
    DeleteFile(Folder + kJournalFile);
    for (int Number = 1; FileExists(CopyFileName(Folder, Number)); ++Number) DeleteFile(CopyFileName(Folder, Number));
    RemoveDir(Folder);
}

}  // namespace

std::string JournalFolder() {
    return IncludeTrailingBackslash(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + kJournalSubfolder;
}

TInstallJournal::TInstallJournal(std::string Folder) : FFolder(IncludeTrailingBackslash(Folder)) {
    RollbackInterruptedInstallation(FFolder);
    if (!DirectoryExists(FFolder) && !ForceDirectories(FFolder)) throw EOSError(GetLastError());
    // Creating takes the lock; a journal another run holds refuses it.
    FFile = OpenFileStream(FFolder + kJournalFile, fmCreate);
    if (!FlushFileBuffers(*FFile)) throw EOSError(GetLastError());
}

TInstallJournal::~TInstallJournal() = default;

void TInstallJournal::FolderWillBeCreated(const std::string& Path) {
    const std::string Drive = ExtractFileDrive(Path);
    const std::string Folder = IncludeTrailingBackslash(Path);
    for (size_t End = Folder.find('\\', Drive.size() + 1); End != std::string::npos; End = Folder.find('\\', End + 1)) {
        const std::string Level = Folder.substr(0, End + 1);
        if (!DirectoryExists(Level)) Append(std::string(kNewFolder) + kSeparator + Level);
    }
}

void TInstallJournal::FileWillBeWritten(const std::string& Path) {
    if (FileExists(Path))
        Append(std::string(kFileCopy) + kSeparator + Path + kSeparator + KeepCopy(ReadWholeFile(Path)));
    else
        Append(std::string(kNewFile) + kSeparator + Path);
}

void TInstallJournal::KeyWillBeWritten(HKEY Root, const std::string& Key) {
    const std::string RootName = RootKeyName(Root);
    const std::string Missing = OutermostMissingKey(Root, Key);
    if (!Missing.empty()) return Append(std::string(kNewKey) + kSeparator + RootName + kSeparator + Missing);
    std::string Text;
    AppendKeyText(Root, Key, "", Text);
    Append(std::string(kKeyCopy) + kSeparator + RootName + kSeparator + Key + kSeparator + KeepCopy(Text));
}

void TInstallJournal::Rollback() {
    FFile.reset();
    RollbackInterruptedInstallation(FFolder);
}

void TInstallJournal::Commit() {
    // A held file cannot be deleted, as on the platform.
    FFile.reset();
    Discard(FFolder);
}

std::string TInstallJournal::KeepCopy(const std::string& Content) {
    const std::string Name = Format(kCopyFileFormat, ++FCopies);
    WriteWholeFile(FFolder + Name, Content);
    return Name;
}

void TInstallJournal::Append(const std::string& Line) {
    const std::string Text = Line + "\n";
    FFile->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    if (!FlushFileBuffers(*FFile)) throw EOSError(GetLastError());
}

bool InterruptedInstallationFound(const std::string& Folder) {
    const std::string Journal = IncludeTrailingBackslash(Folder) + kJournalFile;
    if (!FileExists(Journal)) return false;
    try {
        OpenFileStream(Journal, fmOpenRead | fmShareDenyWrite);
        return true;
    } catch (const EFOpenError&) {
        return false;  // held by the run that is writing it
    }
}

void RollbackInterruptedInstallation(const std::string& Folder) {
    const std::string Dir = IncludeTrailingBackslash(Folder);
    std::vector<std::vector<std::string>> Entries;
    const bool HasJournal = FileExists(Dir + kJournalFile);
    // A journal that a living run holds is not ours to undo.
    if (HasJournal && !InterruptedInstallationFound(Dir)) return;
    std::string Text;
    try {
        if (HasJournal) Text = ReadWholeFile(Dir + kJournalFile);
    } catch (const Exception&) {
        // An unreadable journal holds nothing that can be put back.
    }
    // A line cut short by a power loss was never acted on.
    size_t Start = 0;
    for (size_t End; (End = Text.find('\n', Start)) != std::string::npos; Start = End + 1)
        Entries.push_back(SplitFields(Text.substr(Start, End - Start)));
    bool AssociationsChanged = false;
    for (auto It = Entries.rbegin(); It != Entries.rend(); ++It) {
        try {
            Undo(Dir, *It);
            AssociationsChanged |= It->size() > 1 && RootKeyFromName((*It)[1]) == HKEY_CLASSES_ROOT;
        } catch (const std::exception&) {
            // One change that cannot be put back (or a damaged entry) must not keep the others.
        }
    }
    if (AssociationsChanged) SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);
    if (DirectoryExists(Dir)) Discard(Dir);
}

}  // namespace installlib
