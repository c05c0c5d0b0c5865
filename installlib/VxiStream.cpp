#include "VxiStream.h"

#include <bit>

#include "VxiFormat.h"
#include "platform/os/Text.h"
#include "platform/os/ZStream.h"

namespace installlib {

using namespace platform::os;

namespace {

// Reads the directory fields in order, refusing to step past the end of the archive.
class TDirectoryReader {
public:
    TDirectoryReader(TStream& Stream, int64_t Size) : FStream(Stream), FSize(Size) {}

    bool Has(int64_t Count) const { return Count <= FSize - FStream.Position(); }

    uint64_t ReadLittleEndian(int Bytes) {
        unsigned char Raw[8] = {};
        FStream.ReadBuffer(Raw, Bytes);
        uint64_t Value = 0;
        for (int I = Bytes - 1; I >= 0; --I) Value = (Value << 8) | Raw[I];
        return Value;
    }

    std::string ReadBytes(int Count) {
        std::string Bytes(static_cast<size_t>(Count), '\0');
        FStream.ReadBuffer(Bytes.data(), Count);
        return Bytes;
    }

private:
    TStream& FStream;
    int64_t FSize;
};

[[noreturn]] void Reject(const std::string& Problem) { throw EVxiError("Invalid archive: " + Problem); }

}  // namespace

TVxiStream::TVxiStream(TStream& Stream) : FStream(&Stream) { LoadFromStream(Stream); }

void TVxiStream::LoadFromStream(TStream& Stream) {
    FStream = &Stream;
    FEntries.clear();
    FVersion = kVxiVersion;
    // An empty stream is an empty archive; reading never writes, so a read-only stream opens too.
    if (Stream.Size() == 0) return;
    const int64_t ArchiveSize = Stream.Size();
    Stream.SetPosition(0);
    TDirectoryReader Reader(Stream, ArchiveSize);
    if (!Reader.Has(kVxiHeaderSize)) Reject("the header is truncated");
    FVersion = std::bit_cast<float>(static_cast<uint32_t>(Reader.ReadLittleEndian(4)));
    const int Count = static_cast<int>(Reader.ReadLittleEndian(1));
    if (Count > kVxiMaxEntries) Reject(Format("the entry count %d is above %d", Count, kVxiMaxEntries));

    std::vector<TFileHeader> Entries;
    Entries.reserve(static_cast<size_t>(Count));
    for (int Index = 0; Index < Count; ++Index) {
        if (!Reader.Has(1)) Reject(Format("entry %d is missing", Index));
        const int NameLength = static_cast<int>(Reader.ReadLittleEndian(1));
        if (NameLength > kVxiMaxNameLength)
            Reject(Format("entry %d has a name length of %d, above %d", Index, NameLength, kVxiMaxNameLength));
        if (!Reader.Has(NameLength + kVxiSizeFieldSize)) Reject(Format("the header of entry %d is truncated", Index));
        TFileHeader Header;
        Header.Name = AnsiToUtf8(Reader.ReadBytes(NameLength));
        const uint64_t StoredSize = Reader.ReadLittleEndian(kVxiSizeFieldSize);
        Header.Position = Stream.Position();
        if (StoredSize > static_cast<uint64_t>(kVxiMaxArchiveSize - Header.Position) || !Reader.Has(static_cast<int64_t>(StoredSize)))
            Reject(Format("entry %d (\"%s\") stores %llu bytes, past the end of the archive", Index, Header.Name.c_str(),
                          static_cast<unsigned long long>(StoredSize)));
        Header.Size = static_cast<int64_t>(StoredSize);
        Stream.Seek(Header.Size, TSeekOrigin::soCurrent);
        Entries.push_back(std::move(Header));
    }
    FEntries = std::move(Entries);
}

const TFileHeader& TVxiStream::Entry(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FEntries.size())) throw EListError::IndexOutOfBounds(Index);
    return FEntries[static_cast<size_t>(Index)];
}

std::string TVxiStream::GetFileName(int Index) const { return Entry(Index).Name; }

void TVxiStream::ExtractFile(int Index, TStream& Dest) {
    const TFileHeader& Header = Entry(Index);
    // A window over the stored bytes: the compressed entry is read in chunks, never held whole.
    TSubStream Stored(*FStream, Header.Position, Header.Size);
    DecompressStream(Stored, Dest, true);
}

}  // namespace installlib
