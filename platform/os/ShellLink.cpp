#include "ShellLink.h"

#include <sys/stat.h>

#include <array>
#include <ctime>
#include <filesystem>

#include "Drives.h"
#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"
#include "Text.h"
#include "WinEnv.h"
#include "WinPath.h"

namespace platform::os {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr std::array<uint8_t, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::array<uint8_t, 16> kMyComputerClsid = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                      0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

enum : uint32_t {
    HasLinkTargetIDList = 0x01,
    HasLinkInfo = 0x02,
    HasName = 0x04,
    HasRelativePath = 0x08,
    HasWorkingDir = 0x10,
    HasArguments = 0x20,
    HasIconLocation = 0x40,
    IsUnicode = 0x80,
};

enum : uint32_t { VolumeIDAndLocalBasePath = 0x01, CommonNetworkRelativeLinkAndPathSuffix = 0x02 };

constexpr uint32_t kBeefSignature = 0xBEEF0004;
constexpr size_t kMaxStringChars = 0xFFFF;

// What the shell records about the target when the link is saved.
struct TTargetInfo {
    uint32_t Attributes = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
    uint64_t Created = 0, Accessed = 0, Written = 0;  // FILETIME
    uint32_t Size = 0;
    uint32_t DosDateTime = 0;  // of the target itself
};

// --- writing ---

class TWriter {
public:
    void U8(uint8_t V) { FOut += static_cast<char>(V); }
    void U16(uint32_t V) {
        U8(V & 0xFF);
        U8((V >> 8) & 0xFF);
    }
    void U32(uint32_t V) {
        U16(V & 0xFFFF);
        U16(V >> 16);
    }
    void U64(uint64_t V) {
        U32(static_cast<uint32_t>(V));
        U32(static_cast<uint32_t>(V >> 32));
    }
    void Bytes(std::string_view B) { FOut += B; }
    template <size_t N>
    void Bytes(const std::array<uint8_t, N>& B) {
        for (uint8_t V : B) U8(V);
    }
    void AnsiZ(std::string_view Utf8) {
        Bytes(Utf8ToAnsi(Utf8));
        U8(0);
    }
    void Utf16(std::string_view Utf8, bool Terminate) {
        for (char16_t Unit : Utf8ToUtf16(Utf8)) U16(Unit);
        if (Terminate) U16(0);
    }
    size_t Size() const { return FOut.size(); }
    // Sizes are patched in once known; one that does not fit its field is refused, never wrapped.
    void PatchU16(size_t At, size_t V) {
        if (V > 0xFFFF) throw EConvertError("The shell link target is too long: a size field would overflow");
        FOut[At] = static_cast<char>(V & 0xFF);
        FOut[At + 1] = static_cast<char>((V >> 8) & 0xFF);
    }
    void PatchU32(size_t At, uint32_t V) {
        PatchU16(At, V & 0xFFFF);
        PatchU16(At + 2, V >> 16);
    }
    std::string& Text() { return FOut; }

private:
    std::string FOut;
};

// An 8.3 name for the item's short-name field; readers take the long name
// from the extension block.
std::string ShortName(const std::string& Name) {
    const std::string Ext = ExtractFileExt(Name);
    const std::string Stem = Name.substr(0, Name.size() - Ext.size());
    const bool Fits = IsAnsiRepresentable(Name) && !Stem.empty() && Stem.size() <= 8 && Ext.size() <= 4 &&
                      Name.find(' ') == std::string::npos && Stem.find('.') == std::string::npos;
    if (Fits) return Name;
    std::string Short;
    for (char C : Stem)
        if (std::isalnum(static_cast<unsigned char>(C)) && Short.size() < 6) Short += static_cast<char>(std::toupper(C));
    if (Short.empty()) Short = "ITEM";
    std::string ShortExt;
    for (char C : Ext.empty() ? std::string() : Ext.substr(1))
        if (std::isalnum(static_cast<unsigned char>(C)) && ShortExt.size() < 3) ShortExt += static_cast<char>(std::toupper(C));
    return Short + "~1" + (ShortExt.empty() ? "" : "." + ShortExt);
}

void WriteFileEntryItem(TWriter& W, const std::string& Name, bool Folder, uint32_t DosDateTime) {
    const size_t Start = W.Size();
    W.U16(0);  // item size, patched below
    W.U8(Folder ? 0x31 : 0x32);
    W.U8(0);
    W.U32(0);  // file size: not needed to resolve
    W.U32(DosDateTime);
    W.U16(Folder ? 0x10 : 0x20);
    W.AnsiZ(ShortName(Name));
    if ((W.Size() - Start) % 2) W.U8(0);
    const size_t Extension = W.Size();
    W.U16(0);  // extension size, patched below
    W.U16(3);  // version 3: what every reader of the format understands
    W.U32(kBeefSignature);
    W.U32(DosDateTime);  // created
    W.U32(DosDateTime);  // accessed
    W.U16(0x14);
    W.U16(0);  // no localized name
    W.Utf16(Name, true);
    W.U16(static_cast<uint32_t>(Extension - Start));
    W.PatchU16(Extension, W.Size() - Extension);
    W.PatchU16(Start, W.Size() - Start);
}

std::vector<std::string> SplitNames(std::string_view Path) {
    std::vector<std::string> Names;
    for (const std::string_view Name : SplitText(Path, '\\'))
        if (!Name.empty()) Names.emplace_back(Name);
    return Names;
}

// The list a shell browses to reach a file: My Computer, the drive, then one
// item per folder and the target itself.
void WriteIdList(TWriter& W, const std::string& Target, const TTargetInfo& Info) {
    const size_t Start = W.Size();
    W.U16(0);
    W.U16(0x14);
    W.U8(0x1F);
    W.U8(0x50);
    W.Bytes(kMyComputerClsid);
    const std::string Drive = ExtractFileDrive(Target) + "\\";
    W.U16(0x19);
    W.U8(0x2F);
    W.Bytes(Drive);
    for (size_t I = Drive.size(); I < 22; ++I) W.U8(0);
    const std::vector<std::string> Names = SplitNames(std::string_view(Target).substr(Drive.size()));
    for (size_t I = 0; I < Names.size(); ++I) {
        const bool Last = I + 1 == Names.size();
        WriteFileEntryItem(W, Names[I], Last ? (Info.Attributes & 0x10) != 0 : true, Last ? Info.DosDateTime : 0);
    }
    W.U16(0);
    W.PatchU16(Start, W.Size() - Start - 2);
}

void WriteLinkInfo(TWriter& W, const std::string& Target) {
    const size_t Start = W.Size();
    const std::string Drive = ExtractFileDrive(Target);
    const bool Unc = Drive.size() > 2;
    const bool Ansi = IsAnsiRepresentable(Target);
    const uint32_t HeaderSize = Ansi ? 0x1C : 0x24;
    W.U32(0);  // size, patched
    W.U32(HeaderSize);
    W.U32(Unc ? CommonNetworkRelativeLinkAndPathSuffix : VolumeIDAndLocalBasePath);
    const size_t Offsets = W.Size();
    for (uint32_t I = 0; I < (HeaderSize - 12) / 4; ++I) W.U32(0);
    auto Here = [&] { return static_cast<uint32_t>(W.Size() - Start); };
    std::string Suffix;
    if (Unc) {
        W.PatchU32(Offsets + 8, Here());  // CommonNetworkRelativeLinkOffset
        const size_t Link = W.Size();
        W.U32(0);
        W.U32(0);     // no valid device or provider type
        W.U32(0x14);  // NetNameOffset
        W.U32(0);     // DeviceNameOffset
        W.U32(0);     // NetworkProviderType
        W.AnsiZ(Drive);
        W.PatchU32(Link, static_cast<uint32_t>(W.Size() - Link));
        Suffix = Target.size() > Drive.size() + 1 ? Target.substr(Drive.size() + 1) : "";
    } else {
        W.PatchU32(Offsets, Here());  // VolumeIDOffset
        W.U32(0x11);
        W.U32(GetDriveType(Drive));
        W.U32(0);     // serial number
        W.U32(0x10);  // label offset: an empty label
        W.U8(0);
        W.PatchU32(Offsets + 4, Here());  // LocalBasePathOffset
        W.AnsiZ(Target);
    }
    W.PatchU32(Offsets + 12, Here());  // CommonPathSuffixOffset
    W.AnsiZ(Suffix);
    if (!Ansi) {
        if (!Unc) {
            W.PatchU32(Offsets + 16, Here());  // LocalBasePathOffsetUnicode
            W.Utf16(Target, true);
        }
        W.PatchU32(Offsets + 20, Here());  // CommonPathSuffixOffsetUnicode
        W.Utf16(Suffix, true);
    }
    W.PatchU32(Start, Here());
}

void WriteCountedString(TWriter& W, const std::string& Text) {
    const std::u16string Units = Utf8ToUtf16(Text);
    if (Units.size() > kMaxStringChars)
        throw EConvertError(Format("A shell link text is longer than %zu characters", kMaxStringChars));
    W.U16(static_cast<uint32_t>(Units.size()));
    for (char16_t Unit : Units) W.U16(Unit);
}

std::string Encode(const TShellLinkData& Link, const TTargetInfo& Info) {
    const std::string Target = CanonicalWinPath(Link.Target);
    if (!IsAbsoluteWinPath(Target))
        throw EConvertError(Format("The shell link target \"%s\" is not a full path", Link.Target.c_str()));
    const bool Unc = ExtractFileDrive(Target).size() > 2;
    uint32_t Flags = HasLinkInfo | IsUnicode;
    if (!Unc) Flags |= HasLinkTargetIDList;
    if (!Link.Description.empty()) Flags |= HasName;
    if (!Link.RelativePath.empty()) Flags |= HasRelativePath;
    if (!Link.WorkingDir.empty()) Flags |= HasWorkingDir;
    if (!Link.Arguments.empty()) Flags |= HasArguments;
    if (!Link.IconLocation.empty()) Flags |= HasIconLocation;

    TWriter W;
    W.U32(kHeaderSize);
    W.Bytes(kLinkClsid);
    W.U32(Flags);
    W.U32(Info.Attributes);
    W.U64(Info.Created);
    W.U64(Info.Accessed);
    W.U64(Info.Written);
    W.U32(Info.Size);
    W.U32(static_cast<uint32_t>(Link.IconIndex));
    W.U32(static_cast<uint32_t>(Link.ShowCmd));
    W.U16(0);  // hot key
    W.U16(0);
    W.U32(0);
    W.U32(0);
    if (Flags & HasLinkTargetIDList) WriteIdList(W, Target, Info);
    WriteLinkInfo(W, Target);
    if (Flags & HasName) WriteCountedString(W, Link.Description);
    if (Flags & HasRelativePath) WriteCountedString(W, Link.RelativePath);
    if (Flags & HasWorkingDir) WriteCountedString(W, Link.WorkingDir);
    if (Flags & HasArguments) WriteCountedString(W, Link.Arguments);
    if (Flags & HasIconLocation) WriteCountedString(W, Link.IconLocation);
    W.U32(0);  // no extra data blocks
    return std::move(W.Text());
}

uint64_t FileTimeOf(const timespec& Time) {
    return (static_cast<uint64_t>(Time.tv_sec) + 11644473600ULL) * 10000000ULL + static_cast<uint64_t>(Time.tv_nsec) / 100;
}

uint32_t DosDateTimeOf(time_t Seconds) {
    tm Local {};
    if (!localtime_r(&Seconds, &Local) || Local.tm_year < 80) return 0;
    const uint32_t Date = ((Local.tm_year - 80) << 9) | ((Local.tm_mon + 1) << 5) | Local.tm_mday;
    const uint32_t Time = (Local.tm_hour << 11) | (Local.tm_min << 5) | (Local.tm_sec / 2);
    return Date | (Time << 16);
}

TTargetInfo InfoOf(const std::string& Target) {
    TTargetInfo Info;
    std::filesystem::path Host;
    uint32_t Error = 0;
    struct stat St {};
    if (!TryHostPath(Target, Host, Error) || ::stat(Host.c_str(), &St) != 0) return Info;
    Info.Attributes = S_ISDIR(St.st_mode) ? 0x10 : 0x20;
    Info.Created = FileTimeOf(St.st_ctim);
    Info.Accessed = FileTimeOf(St.st_atim);
    Info.Written = FileTimeOf(St.st_mtim);
    Info.Size = S_ISDIR(St.st_mode) ? 0 : static_cast<uint32_t>(St.st_size);
    Info.DosDateTime = DosDateTimeOf(St.st_mtim.tv_sec);
    return Info;
}

// --- reading ---

class TReader {
public:
    explicit TReader(std::string_view Data) : FData(Data) {}

    size_t Pos() const { return FPos; }
    void Seek(size_t Pos) {
        if (Pos > FData.size()) throw EReadError();
        FPos = Pos;
    }
    uint32_t U8() {
        Need(1);
        return static_cast<uint8_t>(FData[FPos++]);
    }
    uint32_t U16() {
        const uint32_t Lo = U8();
        return Lo | (U8() << 8);
    }
    uint32_t U32() {
        const uint32_t Lo = U16();
        return Lo | (U16() << 16);
    }
    std::string_view Take(size_t Count) {
        Need(Count);
        const std::string_view Out = FData.substr(FPos, Count);
        FPos += Count;
        return Out;
    }
    std::string AnsiZ() {
        const size_t End = FData.find('\0', FPos);
        if (End == std::string_view::npos) throw EReadError();
        const std::string Out = AnsiToUtf8(FData.substr(FPos, End - FPos));
        FPos = End + 1;
        return Out;
    }
    std::string Utf16(size_t Count) {
        std::string Out;
        for (size_t I = 0; I < Count; ++I) {
            char32_t C = U16();
            if (C >= 0xD800 && C < 0xDC00 && I + 1 < Count) {
                const uint32_t Low = U16();
                ++I;
                C = (Low >= 0xDC00 && Low < 0xE000) ? 0x10000 + ((C - 0xD800) << 10) + (Low - 0xDC00) : 0xFFFD;
            }
            AppendUtf8(Out, C);
        }
        return Out;
    }
    std::string Utf16Z() {
        std::string Out;
        for (char32_t C = U16(); C != 0; C = U16()) AppendUtf8(Out, C);
        return Out;
    }

private:
    void Need(size_t Count) const {
        if (Count > FData.size() - FPos) throw EReadError();
    }
    std::string_view FData;
    size_t FPos = 0;
};

// The long name of a file entry item (from its extension block), else its short name.
std::string FileEntryName(std::string_view Item) {
    TReader R(Item);
    R.Seek(2);
    const uint32_t Type = R.U8();
    R.Seek(14);
    const std::string Short = (Type & 0x04) ? R.Utf16Z() : R.AnsiZ();
    if (Item.size() < 4) return Short;
    R.Seek(Item.size() - 2);
    const size_t Extension = R.U16();
    if (Extension < 14 || Extension + 20 > Item.size()) return Short;
    R.Seek(Extension + 2);
    const uint32_t Version = R.U16();
    if (R.U32() != kBeefSignature || Version < 3) return Short;
    const size_t NameOffset = Version >= 9 ? 46 : Version >= 8 ? 42 : Version >= 7 ? 38 : 20;
    if (Extension + NameOffset >= Item.size()) return Short;
    R.Seek(Extension + NameOffset);
    return R.Utf16Z();
}

// The path an identifier list leads to, for links without a usable link info.
std::string PathFromIdList(std::string_view List) {
    TReader R(List);
    std::string Path;
    while (R.Pos() + 2 <= List.size()) {
        const size_t Size = R.U16();
        if (Size == 0) break;
        if (Size < 3) throw EReadError();
        R.Seek(R.Pos() - 2);
        const std::string_view Item = R.Take(Size);
        const uint8_t Type = static_cast<uint8_t>(Item[2]);
        if ((Type & 0x70) == 0x20) {
            Path = std::string(Item.substr(3, Item.find('\0', 3) == std::string_view::npos ? Size - 3 : Item.find('\0', 3) - 3));
        } else if ((Type & 0x70) == 0x30 && Size > 14) {
            Path = IncludeTrailingBackslash(Path) + FileEntryName(Item);
        }
    }
    return Path;
}

std::string TargetFromLinkInfo(std::string_view Info) {
    TReader R(Info);
    R.U32();
    const uint32_t HeaderSize = R.U32();
    const uint32_t Flags = R.U32();
    R.U32();  // VolumeIDOffset
    const uint32_t BaseOffset = R.U32();
    const uint32_t NetworkOffset = R.U32();
    const uint32_t SuffixOffset = R.U32();
    uint32_t BaseOffsetUnicode = 0, SuffixOffsetUnicode = 0;
    if (HeaderSize >= 0x24) {
        BaseOffsetUnicode = R.U32();
        SuffixOffsetUnicode = R.U32();
    }
    auto Ansi = [&](uint32_t Offset) {
        R.Seek(Offset);
        return R.AnsiZ();
    };
    auto Wide = [&](uint32_t Offset) {
        R.Seek(Offset);
        return R.Utf16Z();
    };
    const std::string Suffix = SuffixOffsetUnicode ? Wide(SuffixOffsetUnicode) : SuffixOffset ? Ansi(SuffixOffset) : "";
    if (Flags & VolumeIDAndLocalBasePath) {
        const std::string Base = BaseOffsetUnicode ? Wide(BaseOffsetUnicode) : Ansi(BaseOffset);
        return Suffix.empty() ? Base : IncludeTrailingBackslash(Base) + Suffix;
    }
    if (Flags & CommonNetworkRelativeLinkAndPathSuffix) {
        R.Seek(NetworkOffset + 8);
        const uint32_t NetNameOffset = R.U32();
        R.Seek(NetworkOffset + NetNameOffset);
        const std::string Share = R.AnsiZ();
        return Suffix.empty() ? Share : IncludeTrailingBackslash(Share) + Suffix;
    }
    return {};
}

}  // namespace

std::string EncodeShellLink(const TShellLinkData& Link) { return Encode(Link, TTargetInfo()); }

TShellLinkData DecodeShellLink(std::string_view Bytes) {
    TReader R(Bytes);
    if (R.U32() != kHeaderSize) throw EConvertError("Not a shell link: the header size is not 0x4C");
    const std::string_view Clsid = R.Take(16);
    if (Clsid != std::string_view(reinterpret_cast<const char*>(kLinkClsid.data()), kLinkClsid.size()))
        throw EConvertError("Not a shell link: wrong class identifier");
    const uint32_t Flags = R.U32();
    R.Seek(0x38);
    TShellLinkData Link;
    Link.IconIndex = static_cast<int32_t>(R.U32());
    Link.ShowCmd = static_cast<int32_t>(R.U32());
    R.Seek(kHeaderSize);
    std::string ListTarget;
    if (Flags & HasLinkTargetIDList) ListTarget = PathFromIdList(R.Take(R.U16()));
    if (Flags & HasLinkInfo) {
        const size_t Start = R.Pos();
        const uint32_t Size = R.U32();
        if (Size < 0x1C) throw EConvertError("The shell link's link info is too short");
        R.Seek(Start);
        Link.Target = TargetFromLinkInfo(R.Take(Size));
    }
    auto Counted = [&] {
        const uint32_t Count = R.U16();
        if (Flags & IsUnicode) return R.Utf16(Count);
        return AnsiToUtf8(R.Take(Count));
    };
    if (Flags & HasName) Link.Description = Counted();
    if (Flags & HasRelativePath) Link.RelativePath = Counted();
    if (Flags & HasWorkingDir) Link.WorkingDir = Counted();
    if (Flags & HasArguments) Link.Arguments = Counted();
    if (Flags & HasIconLocation) Link.IconLocation = Counted();
    if (Link.Target.empty()) Link.Target = ListTarget.empty() ? Link.RelativePath : ListTarget;
    return Link;
}

HRESULT TShellLink::SetPath(std::string_view Target) {
    std::string Path = CanonicalWinPath(Target);
    if (!Path.empty() && !IsAbsoluteWinPath(Path))
        Path = CanonicalWinPath(IncludeTrailingBackslash(GetCurrentDir()) + Path);
    FData.Target = Path;
    return S_OK;
}

HRESULT TShellLink::SetArguments(std::string_view Arguments) {
    FData.Arguments = Arguments;
    return S_OK;
}

HRESULT TShellLink::SetWorkingDirectory(std::string_view Dir) {
    FData.WorkingDir = Dir;
    return S_OK;
}

HRESULT TShellLink::SetShowCmd(int ShowCmd) {
    FData.ShowCmd = ShowCmd;
    return S_OK;
}

HRESULT TShellLink::SetIconLocation(std::string_view IconFile, int IconIndex) {
    FData.IconLocation = IconFile;
    FData.IconIndex = IconIndex;
    return S_OK;
}

HRESULT TShellLink::SetDescription(std::string_view Description) {
    FData.Description = Description;
    return S_OK;
}

HRESULT TShellLink::Save(std::string_view LinkFile) {
    try {
        const std::string Bytes = Encode(FData, InfoOf(CanonicalWinPath(FData.Target)));
        OpenFileStream(LinkFile, fmCreate)->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        return S_OK;
    } catch (const Exception&) {
        return E_FAIL;
    }
}

HRESULT TShellLink::Load(std::string_view LinkFile) {
    try {
        auto File = OpenFileStream(LinkFile, fmOpenRead | fmShareDenyWrite);
        std::string Bytes(static_cast<size_t>(File->Size()), '\0');
        File->ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        FData = DecodeShellLink(Bytes);
        return S_OK;
    } catch (const Exception&) {
        return E_FAIL;
    }
}

}  // namespace platform::os
