#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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
    for (const std::string& Arg : Args) Command += " " + Quote(Arg);
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
    EXPECT_EQ(VxiPack({"create", Path("keep.vxi"), Path("missing.txt")}).ExitCode, 1);

    std::vector<std::string> TooMany = {"create", Path("keep.vxi")};
    for (int I = 0; I < 128; ++I) TooMany.push_back(Source("f" + std::to_string(I), "x"));
    const TResult Full = VxiPack(TooMany);
    EXPECT_EQ(Full.ExitCode, 1);
    EXPECT_NE(Full.Output.find("at most 127"), std::string::npos) << Full.Output;

    EXPECT_EQ(ReadHostFile(Path("keep.vxi")), Before);
    EXPECT_FALSE(fs::exists(Path("keep.vxi.part")));
    TooMany.pop_back();
    EXPECT_EQ(VxiPack(TooMany).ExitCode, 0);
}

TEST_F(VxiPackTool, ExtractRefusesNamesThatLeaveTheFolder) {
    // Written by hand: the writer itself never stores such a name.
    const std::string Stored("\x78\xDA\x03\x00\x00\x00\x00\x01", 8);  // zlib stream of nothing
    for (const std::string& Name : {std::string(".."), std::string("..\\evil"), std::string("../evil"), std::string()}) {
        std::string Archive = std::string("\x00\x00\x80\x3F\x01", 5) + static_cast<char>(Name.size()) + Name +
                              std::string("\x08\x00\x00\x00\x00\x00\x00\x00", 8) + Stored;
        WriteHostFile(Path("bad.vxi"), Archive);
        const TResult Result = VxiPack({"extract", Path("bad.vxi"), Path("out")});
        EXPECT_EQ(Result.ExitCode, 1) << Name;
        EXPECT_NE(Result.Output.find("which is no file name"), std::string::npos) << Result.Output;
        EXPECT_FALSE(fs::exists(Path("out")));
        EXPECT_FALSE(fs::exists(Path("evil")));
    }
}

TEST_F(VxiPackTool, ReportsBadArchivesAndUsage) {
    WriteHostFile(Path("cut.vxi"), std::string("\x00\x00\x80\x3F\x02", 5));
    const TResult Cut = VxiPack({"list", Path("cut.vxi")});
    EXPECT_EQ(Cut.ExitCode, 1);
    EXPECT_EQ(Cut.Output, "vxipack: Invalid archive: entry 0 is missing\n");

    // A stream that does not inflate: the file being written is removed again.
    WriteHostFile(Path("junk.vxi"), std::string("\x00\x00\x80\x3F\x01\x01x\x04\x00\x00\x00\x00\x00\x00\x00junk", 19));
    EXPECT_EQ(VxiPack({"extract", Path("junk.vxi"), Path("out")}).ExitCode, 1);
    EXPECT_FALSE(fs::exists(Path("out/x")));

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
