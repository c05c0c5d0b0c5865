#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "installlib/VxiStream.h"
#include "platform/os/Streams.h"

namespace fs = std::filesystem;
using namespace installlib;
using namespace platform::os;

namespace {

struct TResult {
    int ExitCode;
    std::string Output;
};

std::string Quote(const std::string& Arg) {
    std::string Out = "'";
    for (char C : Arg) Out += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Out + "'";
}

TResult VxiPack(const std::vector<std::string>& Args) {
    std::string Command = VXIPACK_PATH;
    for (const std::string& Arg : Args) Command.append(" ").append(Quote(Arg));
    Command += " 2>&1";
    FILE* Pipe = ::popen(Command.c_str(), "r");
    TResult Result{-1, {}};
    char Buffer[4096];
    size_t Got;
    while ((Got = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) Result.Output.append(Buffer, Got);
    const int Status = ::pclose(Pipe);
    Result.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    return Result;
}

// An archive written byte by byte, so that it may hold what the writer refuses.
std::string RawArchive(const std::vector<std::pair<std::string, std::string>>& Entries) {
    std::string Bytes = std::string("\x00\x00\x80\x3F", 4) + static_cast<char>(Entries.size());
    for (const auto& [Name, Content] : Entries) {
        uLongf Size = compressBound(static_cast<uLong>(Content.size()));
        std::string Stored(Size, '\0');
        compress2(reinterpret_cast<Bytef*>(Stored.data()), &Size, reinterpret_cast<const Bytef*>(Content.data()),
                  static_cast<uLong>(Content.size()), Z_BEST_COMPRESSION);
        Stored.resize(Size);
        Bytes += static_cast<char>(Name.size()) + Name;
        for (int I = 0; I < 8; ++I) Bytes += static_cast<char>((static_cast<uint64_t>(Size) >> (8 * I)) & 0xFF);
        Bytes += Stored;
    }
    return Bytes;
}

class VxiPackTool : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() / ("vxipack-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FDir);
        fs::create_directories(FDir / "in");
    }
    void TearDown() override { fs::remove_all(FDir); }

    std::string Source(const std::string& Name, const std::string& Content) {
        const fs::path Path = FDir / "in" / Name;
        WriteHostFile(Path, Content);
        return Path.string();
    }
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

    fs::path FDir;
};

}  // namespace

TEST_F(VxiPackTool, CreateListExtractRoundTrip) {
    const std::string Big(300000, 'q');
    const std::vector<std::string> Files = {Source("Navitrex.exe", Big), Source("A\xC3\xA7\xC3\xA3o.dat", "latin"),
                                            Source("empty.txt", "")};
    std::vector<std::string> Args = {"create", Path("data.vxi")};
    Args.insert(Args.end(), Files.begin(), Files.end());
    const TResult Created = VxiPack(Args);
    ASSERT_EQ(Created.ExitCode, 0) << Created.Output;

    const std::string Bytes = ReadHostFile(Path("data.vxi"));
    EXPECT_EQ(Bytes.substr(0, 5), std::string("\x00\x00\x80\x3F\x03", 5));
    TFileStream In(Path("data.vxi"), fmOpenRead);
    TVxiStream Reader(In);
    ASSERT_EQ(Reader.Count(), 3);
    EXPECT_EQ(Reader.GetFileName(1), "A\xC3\xA7\xC3\xA3o.dat");

    const TResult Listed = VxiPack({"list", Path("data.vxi")});
    ASSERT_EQ(Listed.ExitCode, 0) << Listed.Output;
    const std::string Expected = std::to_string(Reader.Entries()[0].Size);
    EXPECT_EQ(Listed.Output.substr(0, Listed.Output.find('\n')), std::string(10 - Expected.size(), ' ') + Expected + "  Navitrex.exe");
    EXPECT_NE(Listed.Output.find("  A\xC3\xA7\xC3\xA3o.dat\n"), std::string::npos);
    EXPECT_LT(Listed.Output.find("Navitrex.exe"), Listed.Output.find("empty.txt"));

    const TResult Extracted = VxiPack({"extract", Path("data.vxi"), Path("out/sub")});
    ASSERT_EQ(Extracted.ExitCode, 0) << Extracted.Output;
    EXPECT_EQ(ReadHostFile(Path("out/sub/Navitrex.exe")), Big);
    EXPECT_EQ(ReadHostFile(Path("out/sub/A\xC3\xA7\xC3\xA3o.dat")), "latin");
    EXPECT_EQ(ReadHostFile(Path("out/sub/empty.txt")), "");
}

TEST_F(VxiPackTool, RefusedCreateLeavesTheOldArchive) {
    ASSERT_EQ(VxiPack({"create", Path("keep.vxi"), Source("a.txt", "a")}).ExitCode, 0);
    const std::string Before = ReadHostFile(Path("keep.vxi"));

    const TResult LongName = VxiPack({"create", Path("keep.vxi"), Source(std::string(128, 'n'), "x")});
    EXPECT_EQ(LongName.ExitCode, 1);
    EXPECT_NE(LongName.Output.find("the name is longer than 127 characters"), std::string::npos) << LongName.Output;
    EXPECT_EQ(VxiPack({"create", Path("keep.vxi"), Source("back\\slash.txt", "x")}).ExitCode, 1);
    EXPECT_EQ(VxiPack({"create", Path("keep.vxi"), Source("snow\xE2\x98\x83.txt", "x")}).ExitCode, 1);
    for (const char* WindowsRefuses : {"what?.txt", "star*.txt", "tab\t.txt", "CON.txt", "dot."}) {
        const TResult Refused = VxiPack({"create", Path("keep.vxi"), Source(WindowsRefuses, "x")});
        EXPECT_EQ(Refused.ExitCode, 1) << WindowsRefuses;
        EXPECT_NE(Refused.Output.find(WindowsRefuses), std::string::npos) << Refused.Output;
    }
    EXPECT_EQ(VxiPack({"create", Path("keep.vxi"), Path("missing.txt")}).ExitCode, 1);

    std::vector<std::string> TooMany = {"create", Path("keep.vxi")};
    for (int I = 0; I < 128; ++I) TooMany.push_back(Source(std::string("f").append(std::to_string(I)), "x"));
    const TResult Full = VxiPack(TooMany);
    EXPECT_EQ(Full.ExitCode, 1);
    EXPECT_NE(Full.Output.find("at most 127"), std::string::npos) << Full.Output;

    EXPECT_EQ(ReadHostFile(Path("keep.vxi")), Before);
    EXPECT_FALSE(fs::exists(Path("keep.vxi.part")));
    TooMany.pop_back();
    EXPECT_EQ(VxiPack(TooMany).ExitCode, 0);
}

TEST_F(VxiPackTool, ExtractSkipsNamesWindowsCannotHoldAndWritesTheRest) {
    const std::vector<std::pair<std::string, std::string>> Entries = {
        {"first.txt", "1"}, {"", "unnamed"}, {"..", "up"}, {"..\\evil", "x"}, {"../evil", "x"}, {"what?.txt", "q"},
        {"last.txt", "2"}};
    WriteHostFile(Path("odd.vxi"), RawArchive(Entries));
    const TResult Result = VxiPack({"extract", Path("odd.vxi"), Path("out")});
    EXPECT_EQ(Result.ExitCode, 1) << "a skipped entry is no success";
    for (int Index = 1; Index <= 5; ++Index) {
        const std::string Named = "entry " + std::to_string(Index) + " (\"" + Entries[Index].first + "\") skipped";
        EXPECT_NE(Result.Output.find(Named), std::string::npos) << Result.Output;
    }
    EXPECT_EQ(ReadHostFile(Path("out/first.txt")), "1");
    EXPECT_EQ(ReadHostFile(Path("out/last.txt")), "2");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 2);
    EXPECT_FALSE(fs::exists(Path("evil")));
}

TEST_F(VxiPackTool, ExtractSaysWhichOfTwoEntriesOfOneNameWins) {
    WriteHostFile(Path("twice.vxi"), RawArchive({{"a.txt", "one"}, {"b.txt", "b"}, {"A.TXT", "two"}}));
    const TResult Result = VxiPack({"extract", Path("twice.vxi"), Path("out")});
    ASSERT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_NE(Result.Output.find("entries 0 and 2 are both named \"A.TXT\": entry 2 is kept"), std::string::npos)
        << Result.Output;
    EXPECT_EQ(ReadHostFile(Path("out/A.TXT")), "two");  // the last wins, as in setup
    EXPECT_FALSE(fs::exists(Path("out/a.txt")));
}

TEST_F(VxiPackTool, ExtractStopsAnEntryThatInflatesPastTheLimit) {
    // Three MiB of zeros pack into a few KiB.
    WriteHostFile(Path("bomb.vxi"), RawArchive({{"small.txt", "ok"}, {"bomb.bin", std::string(3 << 20, '\0')}}));
    const TResult Stopped = VxiPack({"extract", "--max-size", "1", Path("bomb.vxi"), Path("out")});
    EXPECT_EQ(Stopped.ExitCode, 1);
    const std::string Expected =
        "entry 1 (\"bomb.bin\"): it inflates to more than 1 MiB (raise the limit with --max-size)";
    EXPECT_NE(Stopped.Output.find(Expected), std::string::npos)
        << Stopped.Output;
    EXPECT_FALSE(fs::exists(Path("out/bomb.bin")));
    EXPECT_EQ(VxiPack({"extract", "--max-size", "0", Path("bomb.vxi"), Path("out")}).ExitCode, 1);

    const TResult Raised = VxiPack({"extract", "--max-size", "3", Path("bomb.vxi"), Path("out")});
    ASSERT_EQ(Raised.ExitCode, 0) << Raised.Output;
    EXPECT_EQ(fs::file_size(Path("out/bomb.bin")), 3u << 20);
}

TEST_F(VxiPackTool, ReportsBadArchivesAndUsage) {
    WriteHostFile(Path("cut.vxi"), std::string("\x00\x00\x80\x3F\x02", 5));
    const TResult Cut = VxiPack({"list", Path("cut.vxi")});
    EXPECT_EQ(Cut.ExitCode, 1);
    EXPECT_EQ(Cut.Output, "vxipack: Invalid archive: entry 0 is missing\n");

    // A stream that does not inflate: the error names the entry, and the file being written is removed again.
    WriteHostFile(Path("junk.vxi"), std::string("\x00\x00\x80\x3F\x01\x01x\x04\x00\x00\x00\x00\x00\x00\x00junk", 19));
    const TResult Junk = VxiPack({"extract", Path("junk.vxi"), Path("out")});
    EXPECT_EQ(Junk.ExitCode, 1);
    EXPECT_EQ(Junk.Output, "vxipack: entry 0 (\"x\"): its data cannot be inflated\n");
    EXPECT_FALSE(fs::exists(Path("out/x")));

    // An empty file is an empty archive, read without being written.
    WriteHostFile(Path("empty.vxi"), "");
    fs::permissions(Path("empty.vxi"), fs::perms::owner_read);
    const TResult Empty = VxiPack({"list", Path("empty.vxi")});
    EXPECT_EQ(Empty.ExitCode, 0) << Empty.Output;
    EXPECT_EQ(Empty.Output, "");
    EXPECT_EQ(fs::file_size(Path("empty.vxi")), 0u);

    EXPECT_EQ(VxiPack({}).ExitCode, 2);
    EXPECT_EQ(VxiPack({"list"}).ExitCode, 2);
    EXPECT_EQ(VxiPack({"unpack", "a", "b"}).ExitCode, 2);
}

TEST(VxiPackBuild, ArchivesAreMadeAtBuildTime) {
    TFileStream In(SAMPLE_ARCHIVE, fmOpenRead);
    TVxiStream Reader(In);
    ASSERT_EQ(Reader.Count(), 2);
    EXPECT_EQ(Reader.GetFileName(0), "VxiPackTests.cpp");
    EXPECT_EQ(Reader.GetFileName(1), "CMakeLists.txt");
    TMemoryStream Out;
    Reader.ExtractFile(1, Out);
    EXPECT_EQ(std::string(Out.Memory(), static_cast<size_t>(Out.Size())),
              ReadHostFile(fs::path(SAMPLE_SOURCES) / "CMakeLists.txt"));
}
