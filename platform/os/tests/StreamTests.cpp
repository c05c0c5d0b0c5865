#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <random>

#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"
#include "platform/os/WinError.h"
#include "platform/os/ZStream.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

fs::path TempDir() {
    fs::path Dir = fs::temp_directory_path() / ("os-stream-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    return Dir;
}

std::string RandomBytes(size_t Count, unsigned Seed) {
    std::mt19937 Gen(Seed);
    std::string Out(Count, '\0');
    // Half random, half repetitive, so the data both compresses and does not.
    for (size_t I = 0; I < Count; ++I) Out[I] = static_cast<char>(I % 2 ? Gen() & 0xFF : I / 7);
    return Out;
}

std::string Contents(TMemoryStream& S) { return std::string(S.Memory(), static_cast<size_t>(S.Size())); }

}  // namespace

TEST(MemoryStream, ReadWriteSeek) {
    TMemoryStream S;
    S.WriteBuffer("hello world", 11);
    EXPECT_EQ(S.Size(), 11);
    EXPECT_EQ(S.Position(), 11);
    EXPECT_EQ(S.Seek(-5, TSeekOrigin::soEnd), 6);
    char Buf[16] = {};
    EXPECT_EQ(S.Read(Buf, 16), 5);
    EXPECT_STREQ(Buf, "world");
    S.SetPosition(20);  // writing past the end fills the gap
    S.WriteBuffer("!", 1);
    EXPECT_EQ(S.Size(), 21);
    S.SetPosition(0);
    char Short[32];
    EXPECT_THROW(S.ReadBuffer(Short, 32), EReadError);
    S.SetSize(5);
    EXPECT_EQ(Contents(S), "hello");
    EXPECT_EQ(S.Position(), 5);
}

TEST(MemoryStream, CopyFromZeroCopiesWholeSource) {
    TMemoryStream A, B;
    A.WriteBuffer("abcdef", 6);
    A.SetPosition(3);
    EXPECT_EQ(B.CopyFrom(A, 0), 6);
    EXPECT_EQ(Contents(B), "abcdef");
    A.SetPosition(2);
    TMemoryStream C;
    C.CopyFrom(A, 3);
    EXPECT_EQ(Contents(C), "cde");
    EXPECT_THROW(C.CopyFrom(A, 10), EReadError);
}

TEST(FileStream, SaveLoadAndOpenErrors) {
    const fs::path Dir = TempDir();
    TMemoryStream S;
    S.WriteBuffer("data", 4);
    S.SaveToFile(Dir / "f.bin");
    TMemoryStream L;
    L.LoadFromFile(Dir / "f.bin");
    EXPECT_EQ(Contents(L), "data");
    try {
        TFileStream Missing(Dir / "nope" / "x", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_FILE_NOT_FOUND);
    }
    try {
        TFileStream Folder(Dir, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_ACCESS_DENIED);
    }
    fs::remove_all(Dir);
}

TEST(FileStream, WriterInAnotherProcessCausesSharingViolation) {
    const fs::path Dir = TempDir();
    const fs::path File = Dir / "held.exe";
    WriteHostFile(File, "program");
    int Ready[2];
    ASSERT_EQ(::pipe(Ready), 0);
    const pid_t Child = ::fork();
    if (Child == 0) {
        TFileStream Holder(File, fmOpenReadWrite | fmShareExclusive);
        char One = 1;
        (void)!::write(Ready[1], &One, 1);
        ::pause();
        ::_exit(0);
    }
    char One;
    ASSERT_EQ(::read(Ready[0], &One, 1), 1);
    try {
        TFileStream Writer(File, fmCreate);
        FAIL() << "opened a held file";
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.ErrorCode(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadHostFile(File), "program");  // not truncated by the failed open
    ::kill(Child, SIGKILL);
    ::waitpid(Child, nullptr, 0);
    EXPECT_NO_THROW(TFileStream(File, fmCreate));
    ::close(Ready[0]);
    ::close(Ready[1]);
    fs::remove_all(Dir);
}

TEST(ZStream, RoundTripAtBestLevel) {
    for (size_t Size : {size_t(0), size_t(1), size_t(1023), size_t(1024), size_t(300000)}) {
        TMemoryStream Plain, Packed, Out;
        const std::string Data = RandomBytes(Size, static_cast<unsigned>(Size));
        Plain.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
        CompressStream(Plain, Packed);
        ASSERT_GE(Packed.Size(), 2);
        EXPECT_EQ(static_cast<unsigned char>(Packed.Memory()[0]), 0x78);
        EXPECT_EQ(static_cast<unsigned char>(Packed.Memory()[1]), 0xDA);
        Packed.SetPosition(0);
        Out.WriteBuffer("xx", 2);
        DecompressStream(Packed, Out, true);
        EXPECT_EQ(Out.Position(), 0);
        EXPECT_EQ(Contents(Out), "xx" + Data) << Size;
    }
}

TEST(ZStream, CorruptOrTruncatedInputRaises) {
    TMemoryStream Plain, Packed;
    const std::string Data = RandomBytes(5000, 7);
    Plain.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
    CompressStream(Plain, Packed);

    TMemoryStream Truncated;
    Truncated.WriteBuffer(Packed.Memory(), Packed.Size() - 10);
    Truncated.SetPosition(0);
    TMemoryStream Out1;
    EXPECT_THROW(DecompressStream(Truncated, Out1, true), EDecompressionError);

    TMemoryStream Garbage;
    Garbage.WriteBuffer("not zlib at all", 15);
    Garbage.SetPosition(0);
    TMemoryStream Out2;
    EXPECT_THROW(DecompressStream(Garbage, Out2, true), EDecompressionError);
}

TEST(ZStream, SubStreamLimitsTheInput) {
    TMemoryStream Plain, Archive;
    Plain.WriteBuffer("payload", 7);
    Archive.WriteBuffer("HEAD", 4);
    CompressStream(Plain, Archive);
    const int64_t PackedSize = Archive.Size() - 4;
    Archive.WriteBuffer("TAIL", 4);
    TSubStream Window(Archive, 4, PackedSize);
    TMemoryStream Out;
    DecompressStream(Window, Out, true);
    EXPECT_EQ(Contents(Out), "payload");
}
