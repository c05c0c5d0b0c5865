#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "installlib/VxiFormat.h"
#include "installlib/VxiStream.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

using namespace installlib;
using namespace platform::os;

namespace {

std::string Deflate(const std::string& Data) {
    uLongf Length = compressBound(static_cast<uLong>(Data.size()));
    std::string Out(Length, '\0');
    compress2(reinterpret_cast<Bytef*>(Out.data()), &Length, reinterpret_cast<const Bytef*>(Data.data()),
              static_cast<uLong>(Data.size()), Z_BEST_COMPRESSION);
    Out.resize(Length);
    return Out;
}

// Bytes that do not compress.
std::string Noise(size_t Count) {
    std::mt19937 Gen(42);
    std::string Out(Count, '\0');
    for (char& C : Out) C = static_cast<char>(Gen());
    return Out;
}

std::string LittleEndian(uint64_t Value, int Bytes) {
    std::string Out;
    for (int I = 0; I < Bytes; ++I) Out += static_cast<char>(Value >> (8 * I));
    return Out;
}

// Raw entry bytes: name length, name (already code page 1252), stored size, data.
std::string RawEntry(const std::string& AnsiName, const std::string& Stored) {
    return LittleEndian(AnsiName.size(), 1) + AnsiName + LittleEndian(Stored.size(), 8) + Stored;
}

const std::string kHeaderVersion("\x00\x00\x80\x3F", 4);

std::string RawArchive(const std::vector<std::pair<std::string, std::string>>& Files) {
    std::string Out = kHeaderVersion + LittleEndian(Files.size(), 1);
    for (const auto& [Name, Content] : Files) Out += RawEntry(Name, Deflate(Content));
    return Out;
}

void Fill(TMemoryStream& S, const std::string& Bytes) {
    S.Clear();
    S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    S.SetPosition(0);
}

std::string Contents(TMemoryStream& S) { return std::string(S.Memory(), static_cast<size_t>(S.Size())); }

std::string Extract(TVxiStream& Reader, int Index) {
    TMemoryStream Out;
    Reader.ExtractFile(Index, Out);
    return Contents(Out);
}

std::string OpenError(const std::string& Bytes) {
    TMemoryStream S;
    Fill(S, Bytes);
    try {
        TVxiStream Reader(S);
    } catch (const EVxiError& E) {
        return E.Message();
    }
    return "(accepted)";
}

// An archive in memory with its reader.
struct TOpenArchive {
    explicit TOpenArchive(const std::string& Bytes) {
        Fill(Stream, Bytes);
        Reader = std::make_unique<TVxiStream>(Stream);
    }
    TMemoryStream Stream;
    std::unique_ptr<TVxiStream> Reader;
};

// A destination that takes only so many bytes, as a full disk does.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(int64_t Room) : FRoom(Room) {}
    int64_t Write(const void* Buffer, int64_t Count) override {
        const int64_t Part = std::min(Count, FRoom - Size());
        return Part <= 0 ? 0 : TMemoryStream::Write(Buffer, Part);
    }

private:
    int64_t FRoom;
};

}  // namespace

TEST(VxiStream, EmptyStreamIsAnEmptyArchiveAndStaysUntouched) {
    TMemoryStream S;
    TVxiStream Reader(S);
    EXPECT_EQ(Reader.Count(), 0);
    EXPECT_EQ(S.Size(), 0);
    EXPECT_FLOAT_EQ(Reader.Version(), 1.0f);
}

TEST(VxiStream, CountZeroIgnoresWhateverFollows) {
    TOpenArchive Archive(kHeaderVersion + std::string("\x00garbage\xFF\xFF", 10));
    TVxiStream& Reader = *Archive.Reader;
    EXPECT_EQ(Reader.Count(), 0);
}

TEST(VxiStream, ListsEntriesInStoredOrderWithTheirPositions) {
    TMemoryStream S;
    const std::string Bytes = RawArchive({{"bldfile.ico", "icon"}, {"", "nameless"}, {"Navitrex.exe", "program"}, {"\xC7\xE3o.dat", "latin"}});
    Fill(S, Bytes);
    TVxiStream Reader(S);
    ASSERT_EQ(Reader.Count(), 4);
    EXPECT_EQ(Reader.GetFileName(0), "bldfile.ico");
    EXPECT_EQ(Reader.GetFileName(1), "");  // a name length of 0 is still an entry
    EXPECT_EQ(Reader.GetFileName(2), "Navitrex.exe");
    EXPECT_EQ(Reader.GetFileName(3), "\xC3\x87\xC3\xA3o.dat");  // code page 1252 in the archive, UTF-8 here
    EXPECT_EQ(Extract(Reader, 1), "nameless");
    EXPECT_EQ(Extract(Reader, 3), "latin");
    // The first entry's data follows header (5), name length (1), name (11) and size (8).
    EXPECT_EQ(Reader.Entries()[0].Position, 25);
    EXPECT_EQ(Reader.Entries()[0].Size, static_cast<int64_t>(Deflate("icon").size()));
}

TEST(VxiStream, DuplicateNamesKeepTheirOwnPositions) {
    TOpenArchive Archive(RawArchive({{"same.txt", "first"}, {"SAME.TXT", "second"}}));
    TVxiStream& Reader = *Archive.Reader;
    ASSERT_EQ(Reader.Count(), 2);
    EXPECT_NE(Reader.Entries()[0].Position, Reader.Entries()[1].Position);
    EXPECT_EQ(Extract(Reader, 0), "first");
    EXPECT_EQ(Extract(Reader, 1), "second");
}

TEST(VxiStream, ExtractWritesFromTheDestinationPositionAndRewinds) {
    TOpenArchive Archive(RawArchive({{"a.txt", "payload"}}));
    TVxiStream& Reader = *Archive.Reader;
    TMemoryStream Dest;
    Dest.WriteBuffer("prefix:", 7);
    Reader.ExtractFile(0, Dest);
    EXPECT_EQ(Dest.Position(), 0);
    EXPECT_EQ(Contents(Dest), "prefix:payload");
    // Again, into two fresh streams: identical bytes, in any order of extraction.
    EXPECT_EQ(Extract(Reader, 0), Extract(Reader, 0));
}

TEST(VxiStream, ExtractsLargeEntriesWhole) {
    std::string Big(3 * 1024 * 1024 + 17, '\0');
    for (size_t I = 0; I < Big.size(); ++I) Big[I] = static_cast<char>((I * 7919) >> 5);
    TOpenArchive Archive(RawArchive({{"big.bin", Big}, {"after.txt", "tail"}}));
    TVxiStream& Reader = *Archive.Reader;
    EXPECT_EQ(Extract(Reader, 0), Big);
    EXPECT_EQ(Extract(Reader, 1), "tail");
}

TEST(VxiStream, IndexOutsideTheDirectoryRaisesTheListError) {
    TOpenArchive Archive(RawArchive({{"a.txt", "a"}}));
    TVxiStream& Reader = *Archive.Reader;
    TMemoryStream Dest;
    for (int Bad : {-1, 1, 127}) {
        try {
            Reader.GetFileName(Bad);
            ADD_FAILURE() << "GetFileName accepted " << Bad;
        } catch (const EListError& E) {
            EXPECT_EQ(E.Message(), "List index out of bounds (" + std::to_string(Bad) + ")");
        }
        EXPECT_THROW(Reader.ExtractFile(Bad, Dest), EListError);
    }
    EXPECT_EQ(Dest.Size(), 0);
}

TEST(VxiStream, DataThatCannotBeInflatedRaisesErrorAndKeepsWhatWasWritten) {
    // A good stream cut short: inflation starts, then runs out of input.
    const std::string Content = Noise(100000);
    std::string Stored = Deflate(Content);
    Stored.resize(Stored.size() / 2);
    TOpenArchive Archive(kHeaderVersion + '\x02' + RawEntry("cut.bin", Stored) + RawEntry("junk.bin", "not zlib at all"));
    TVxiStream& Reader = *Archive.Reader;
    TMemoryStream Dest;
    try {
        Reader.ExtractFile(0, Dest);
        ADD_FAILURE() << "a truncated zlib stream was accepted";
    } catch (const EDecompressionError& E) {
        EXPECT_EQ(E.Message(), "Error");
    }
    EXPECT_GT(Dest.Size(), 0);
    EXPECT_EQ(Contents(Dest), Content.substr(0, static_cast<size_t>(Dest.Size())));
    EXPECT_THROW(Extract(Reader, 1), EDecompressionError);
}

TEST(VxiStream, WriteFailureOfTheDestinationRaisesTheWriteError) {
    TOpenArchive Archive(RawArchive({{"a.bin", std::string(10000, 'x')}}));
    TVxiStream& Reader = *Archive.Reader;
    TFullStream Disk(4096);
    EXPECT_THROW(Reader.ExtractFile(0, Disk), EWriteError);
}

TEST(VxiStream, VersionIsReadAndKeptButNotChecked) {
    TMemoryStream S;
    Fill(S, std::string("\x00\x00\x20\x40", 4) + '\x01' + RawEntry("a", Deflate("x")));  // 2.5
    TVxiStream Reader(S);
    EXPECT_FLOAT_EQ(Reader.Version(), 2.5f);
    EXPECT_EQ(Extract(Reader, 0), "x");
}

TEST(VxiStream, LoadFromStreamReplacesTheDirectory) {
    TMemoryStream First, Second;
    Fill(First, RawArchive({{"a", "1"}, {"b", "2"}}));
    Fill(Second, RawArchive({{"c", "3"}}));
    TVxiStream Reader(First);
    Reader.LoadFromStream(Second);
    ASSERT_EQ(Reader.Count(), 1);
    EXPECT_EQ(Reader.GetFileName(0), "c");
    EXPECT_EQ(Extract(Reader, 0), "3");
}

TEST(VxiStream, MalformedArchivesAreRejectedWhenOpened) {
    const std::string Good = RawEntry("a.txt", Deflate("a"));
    EXPECT_EQ(OpenError(std::string("\x00\x00\x80", 3)), "Invalid archive: the header is truncated");
    EXPECT_EQ(OpenError(kHeaderVersion + '\x80'), "Invalid archive: the entry count 128 is above 127");
    EXPECT_EQ(OpenError(kHeaderVersion + '\x02' + Good), "Invalid archive: entry 1 is missing");
    EXPECT_EQ(OpenError(kHeaderVersion + '\x01' + '\xC8' + std::string(200, 'n') + LittleEndian(0, 8)),
              "Invalid archive: entry 0 has a name length of 200, above 127");
    EXPECT_EQ(OpenError(kHeaderVersion + '\x01' + Good.substr(0, 9)), "Invalid archive: the header of entry 0 is truncated");
    EXPECT_EQ(OpenError(kHeaderVersion + '\x01' + Good.substr(0, Good.size() - 1)),
              "Invalid archive: entry 0 (\"a.txt\") stores 9 bytes, past the end of the archive");
    // Only the low 31 bits may be used: a size with high bits set is not a small size.
    EXPECT_EQ(OpenError(kHeaderVersion + '\x01' + '\x01' + "a" + LittleEndian(0x100000001ULL, 8) + "x"),
              "Invalid archive: entry 0 (\"a\") stores 4294967297 bytes, past the end of the archive");
}

TEST(VxiStream, RejectedArchiveLeavesNoEntries) {
    TMemoryStream Good, Bad;
    Fill(Good, RawArchive({{"a", "1"}}));
    Fill(Bad, kHeaderVersion + '\x05');
    TVxiStream Reader(Good);
    EXPECT_THROW(Reader.LoadFromStream(Bad), EVxiError);
    EXPECT_EQ(Reader.Count(), 0);
}

TEST(VxiWriter, WritesWhatTheReaderReadsInArgumentOrder) {
    TMemoryStream Archive, A, B;
    A.WriteBuffer("alpha", 5);
    const std::string Big(200000, 'b');
    B.WriteBuffer(Big.data(), static_cast<int64_t>(Big.size()));
    TVxiWriter Writer(Archive);
    Writer.AddFile("z-first.txt", A);
    Writer.AddFile("A\xC3\xA7\xC3\xA3o.dat", B);
    Writer.AddFile("z-first.txt", A);
    EXPECT_EQ(Writer.Count(), 3);

    const std::string Bytes = Contents(Archive);
    EXPECT_EQ(Bytes.substr(0, 5), kHeaderVersion + '\x03');
    // Name length, "A\xE7\xE3o.dat" in code page 1252, then the size field and a best-level stream.
    EXPECT_EQ(Bytes.substr(5 + 1 + 11 + 8 + static_cast<size_t>(Deflate("alpha").size()), 9), std::string("\x08" "A\xE7\xE3o.dat"));
    EXPECT_EQ(Bytes.substr(5 + 1 + 11 + 8, 2), "\x78\xDA");

    TVxiStream Reader(Archive);
    ASSERT_EQ(Reader.Count(), 3);
    EXPECT_EQ(Reader.GetFileName(0), "z-first.txt");
    EXPECT_EQ(Reader.GetFileName(1), "A\xC3\xA7\xC3\xA3o.dat");
    EXPECT_EQ(Extract(Reader, 1), Big);
    EXPECT_EQ(Extract(Reader, 2), "alpha");
}

TEST(VxiWriter, RefusesWhatTheFormatCannotHoldAndKeepsTheArchive) {
    TMemoryStream Archive, Content;
    Content.WriteBuffer("x", 1);
    TVxiWriter Writer(Archive);
    Writer.AddFile("", Content);  // the format holds an empty name
    EXPECT_THROW(Writer.AddFile(std::string(128, 'n'), Content), EVxiError);
    EXPECT_THROW(Writer.AddFile("dir\\file.txt", Content), EVxiError);
    EXPECT_THROW(Writer.AddFile("dir/file.txt", Content), EVxiError);
    EXPECT_THROW(Writer.AddFile("C:file.txt", Content), EVxiError);
    EXPECT_THROW(Writer.AddFile("\xE2\x82\xAC\xE2\x98\x83.txt", Content), EVxiError);  // the snowman is not in 1252
    Writer.AddFile(std::string(127, 'n'), Content);
    // The euro sign is one byte in code page 1252, so 127 of it still fit.
    std::string Euros;
    for (int I = 0; I < 127; ++I) Euros += "\xE2\x82\xAC";
    Writer.AddFile(Euros, Content);
    for (int I = Writer.Count(); I < kVxiMaxEntries; ++I)
        Writer.AddFile(std::string("f").append(std::to_string(I)), Content);
    const int64_t Full = Archive.Size();
    try {
        Writer.AddFile("one-too-many", Content);
        ADD_FAILURE() << "a 128th entry was accepted";
    } catch (const EVxiError& E) {
        EXPECT_EQ(E.Message(), "Cannot add \"one-too-many\": an archive holds at most 127 entries");
    }
    EXPECT_EQ(Archive.Size(), Full);
    TVxiStream Reader(Archive);
    ASSERT_EQ(Reader.Count(), 127);
    EXPECT_EQ(Reader.GetFileName(2), Euros);
    EXPECT_EQ(Extract(Reader, 126), "x");
}

TEST(VxiWriter, FailedEntryIsRolledBack) {
    // The destination fills up in the middle of the second entry.
    TMemoryStream First;
    First.WriteBuffer("ok", 2);
    const std::string Random = Noise(50000);
    TMemoryStream Second;
    Second.WriteBuffer(Random.data(), static_cast<int64_t>(Random.size()));
    TFullStream Archive(20000);
    TVxiWriter Writer(Archive);
    Writer.AddFile("ok.txt", First);
    const int64_t Before = Archive.Size();
    EXPECT_THROW(Writer.AddFile("noise.bin", Second), EWriteError);
    EXPECT_EQ(Archive.Size(), Before);
    TVxiStream Reader(Archive);
    ASSERT_EQ(Reader.Count(), 1);
    EXPECT_EQ(Extract(Reader, 0), "ok");
}
