// Extraction of payload entries against plain zlib inflate of the same stream,
// and the memory an extraction needs as entries grow.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "installlib/VxiStream.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

namespace fs = std::filesystem;
using namespace installlib;
using namespace platform::os;

namespace {

constexpr int64_t kMiB = 1024 * 1024;

// Deterministic content of any length, produced on the fly so that building a
// large entry holds none of it in memory. Text-like content compresses about
// as an application does; noise does not compress at all.
class TPatternStream : public TStream {
public:
    enum TKind { pkText, pkNoise };
    TPatternStream(int64_t Length, TKind Kind) : FLength(Length), FKind(Kind) {}

    int64_t Read(void* Buffer, int64_t Count) override {
        auto* Out = static_cast<unsigned char*>(Buffer);
        const int64_t Part = std::min(Count, FLength - FPosition);
        for (int64_t I = 0; I < Part; ++I) Out[I] = NextByte();
        FPosition += std::max<int64_t>(Part, 0);
        return std::max<int64_t>(Part, 0);
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
        if (Origin == TSeekOrigin::soBeginning && Offset == 0) *this = TPatternStream(FLength, FKind);
        return Origin == TSeekOrigin::soEnd ? FLength : FPosition;
    }
    void SetSize(int64_t) override {}

private:
    uint64_t Random() {
        FState ^= FState << 13;
        FState ^= FState >> 7;
        FState ^= FState << 17;
        return FState;
    }
    unsigned char NextByte() {
        if (FKind == pkNoise) return static_cast<unsigned char>(Random() >> 24);
        static const char* const kWords[] = {"bill ", "lading ", "vessel ", "port ", "0x4C8B ", "\x8B\x45\x08 ", "mov ",
                                             "call ", "\0\0\0\0 ", "container ", "NVOCC ", "ret\n"};
        if (*FWord == '\0') FWord = kWords[Random() % 12];
        if (FWord[0] == '\0' && FWord[1] == '\0') {  // the zero run stands for padding in an executable
            FWord += 1;
            return 0;
        }
        return static_cast<unsigned char>(*FWord++);
    }

    int64_t FLength;
    TKind FKind;
    int64_t FPosition = 0;
    uint64_t FState = 0x9E3779B97F4A7C15ULL;
    const char* FWord = "";
};

fs::path BenchFolder() {
    static const fs::path Folder = [] {
        fs::path Path = fs::temp_directory_path() / ("vxi-bench-" + std::to_string(::getpid()));
        fs::create_directories(Path);
        return Path;
    }();
    return Folder;
}

// One archive holding one entry of Length bytes, in a memory stream.
struct TArchive {
    TMemoryStream Bytes;
    std::unique_ptr<TVxiStream> Reader;
    int64_t Length = 0;
};

TArchive& ThroughputArchive() {
    static TArchive Archive = [] {
        TArchive Built;
        Built.Length = 64 * kMiB;
        TPatternStream Content(Built.Length, TPatternStream::pkText);
        TVxiWriter(Built.Bytes).AddFile("Navitrex.exe", Content);
        return Built;
    }();
    if (!Archive.Reader) Archive.Reader = std::make_unique<TVxiStream>(Archive.Bytes);
    return Archive;
}

// Plain inflate of the entry's zlib stream, 64 KiB of output at a time, each
// chunk handed to Sink.
template <typename TSink>
void PlainInflate(const TArchive& Archive, TSink&& Sink) {
    const TFileHeader& Entry = Archive.Reader->Entries()[0];
    z_stream Z{};
    inflateInit(&Z);
    Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Archive.Bytes.Memory() + Entry.Position));
    Z.avail_in = static_cast<uInt>(Entry.Size);
    std::vector<unsigned char> Chunk(64 * 1024);
    int Status = Z_OK;
    while (Status == Z_OK) {
        Z.next_out = Chunk.data();
        Z.avail_out = static_cast<uInt>(Chunk.size());
        Status = inflate(&Z, Z_NO_FLUSH);
        Sink(Chunk.data(), Chunk.size() - Z.avail_out);
    }
    inflateEnd(&Z);
    if (Status != Z_STREAM_END) throw EDecompressionError();
}

void SetBytes(benchmark::State& State, int64_t Length) { State.SetBytesProcessed(State.iterations() * Length); }

// Inflate alone: into one buffer allocated and touched before the clock runs.
void PlainInflateToBuffer(benchmark::State& State) {
    TArchive& Archive = ThroughputArchive();
    std::vector<unsigned char> Out(static_cast<size_t>(Archive.Length), 1);
    for (auto _ : State) {
        size_t Filled = 0;
        PlainInflate(Archive, [&](const unsigned char* Data, size_t Count) {
            std::copy(Data, Data + Count, Out.begin() + static_cast<std::ptrdiff_t>(Filled));
            Filled += Count;
        });
        benchmark::DoNotOptimize(Out.data());
    }
    SetBytes(State, Archive.Length);
}

// Into memory that grows as the output arrives, as a memory stream does.
void PlainInflateToMemory(benchmark::State& State) {
    TArchive& Archive = ThroughputArchive();
    for (auto _ : State) {
        std::vector<unsigned char> Out;
        PlainInflate(Archive, [&](const unsigned char* Data, size_t Count) { Out.insert(Out.end(), Data, Data + Count); });
        benchmark::DoNotOptimize(Out.data());
    }
    SetBytes(State, Archive.Length);
}

void ExtractToMemory(benchmark::State& State) {
    TArchive& Archive = ThroughputArchive();
    for (auto _ : State) {
        TMemoryStream Out;
        Archive.Reader->ExtractFile(0, Out);
        benchmark::DoNotOptimize(Out.Memory());
    }
    SetBytes(State, Archive.Length);
}

// Into a file, 64 KiB a write.
void PlainInflateToFile(benchmark::State& State) {
    TArchive& Archive = ThroughputArchive();
    const fs::path Target = BenchFolder() / "plain.out";
    for (auto _ : State) {
        const int Handle = ::open(Target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        PlainInflate(Archive, [&](const unsigned char* Data, size_t Count) {
            if (::write(Handle, Data, Count) != static_cast<ssize_t>(Count)) throw EWriteError();
        });
        ::close(Handle);
    }
    SetBytes(State, Archive.Length);
}

void ExtractToFile(benchmark::State& State) {
    TArchive& Archive = ThroughputArchive();
    const fs::path Target = BenchFolder() / "extract.out";
    for (auto _ : State) {
        TFileStream Out(Target, fmCreate);
        Archive.Reader->ExtractFile(0, Out);
    }
    SetBytes(State, Archive.Length);
}

int64_t ProcStatusKiB(const char* Field) {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind(Field, 0) == 0) return std::stoll(Line.substr(Line.find(':') + 1));
    return -1;
}

// Peak resident memory an extraction adds, for an entry that does not
// compress (stored size close to the entry size), read from an archive file
// and written to a file.
void ExtractPeakMemory(benchmark::State& State) {
    const int64_t Length = State.range(0) * kMiB;
    const fs::path ArchivePath = BenchFolder() / ("peak-" + std::to_string(State.range(0)) + ".vxi");
    {
        TFileStream Out(ArchivePath, fmCreate);
        TPatternStream Content(Length, TPatternStream::pkNoise);
        TVxiWriter(Out).AddFile("noise.bin", Content);
    }
    int64_t Growth = 0;
    for (auto _ : State) {
        TFileStream In(ArchivePath, fmOpenRead);
        TVxiStream Reader(In);
        TFileStream Out(BenchFolder() / "peak.out", fmCreate);
        std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak at the current size
        const int64_t Before = ProcStatusKiB("VmRSS");
        Reader.ExtractFile(0, Out);
        Growth = ProcStatusKiB("VmHWM") - Before;
        State.counters["stored_MiB"] = static_cast<double>(Reader.Entries()[0].Size) / kMiB;
    }
    State.counters["peak_rss_growth_KiB"] = static_cast<double>(Growth);
    SetBytes(State, Length);
    fs::remove(ArchivePath);
}

BENCHMARK(PlainInflateToBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainInflateToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExtractToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainInflateToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExtractToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExtractPeakMemory)->Arg(1)->Arg(256)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const int Result = RunWithRatios(argc, argv,
                                     {{"ExtractToMemory/real_time", "PlainInflateToMemory/real_time"},
                                      {"ExtractToFile/real_time", "PlainInflateToFile/real_time"},
                                      {"ExtractToMemory/real_time", "PlainInflateToBuffer/real_time"},
                                      {"ExtractToFile/real_time", "PlainInflateToBuffer/real_time"}});
    fs::remove_all(BenchFolder());
    return Result;
}
