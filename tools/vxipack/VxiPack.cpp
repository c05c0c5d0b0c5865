// vxipack: builds, lists and unpacks payload archives.
//
//   vxipack create ARCHIVE FILE...   entries named after the files, in argument order
//   vxipack list ARCHIVE             stored size and name of every entry
//   vxipack extract [--max-size MIB] ARCHIVE FOLDER
//                                    every entry into FOLDER (created when missing); an entry
//                                    that inflates beyond MIB mebibytes (default 256) stops
//                                    the extraction, so a hostile archive cannot fill the disk
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "installlib/VxiFormat.h"
#include "installlib/VxiStream.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"

namespace fs = std::filesystem;
using namespace installlib;
using namespace platform::os;

namespace {

class EUsage : public Exception {
public:
    EUsage()
        : Exception("usage: vxipack create ARCHIVE FILE... | list ARCHIVE | extract [--max-size MIB] ARCHIVE FOLDER") {}
};

constexpr int64_t kMiB = 1024 * 1024;
constexpr int64_t kDefaultMaxEntryMiB = 256;

// A destination that refuses to grow past a limit: the inflated size of an
// entry is only known once it has been written.
class TCappedStream : public TStream {
public:
    TCappedStream(TStream& Dest, int64_t Limit) : FDest(Dest), FLimit(Limit) {}

    int64_t Read(void* Buffer, int64_t Count) override { return FDest.Read(Buffer, Count); }
    int64_t Write(const void* Buffer, int64_t Count) override {
        if (Count > FLimit - FDest.Position())
            throw EStreamError(Format("it inflates to more than %lld MiB (raise the limit with --max-size)",
                                     static_cast<long long>(FLimit / kMiB)));
        return FDest.Write(Buffer, Count);
    }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override { return FDest.Seek(Offset, Origin); }
    void SetSize(int64_t NewSize) override { FDest.SetSize(NewSize); }

private:
    TStream& FDest;
    int64_t FLimit;
};

// Every name is checked before anything is written, so a refused list leaves no archive behind.
void CheckSources(const std::vector<fs::path>& Files) {
    if (Files.size() > static_cast<size_t>(kVxiMaxEntries))
        throw Exception(Format("%zu files given; an archive holds at most %d", Files.size(), kVxiMaxEntries));
    for (const fs::path& File : Files) {
        if (!fs::is_regular_file(File)) throw Exception(Format("\"%s\" is not a file", File.c_str()));
        const std::string Name = File.filename().string();
        std::string Problem = CheckEntryName(Name);
        if (Problem.empty()) Problem = FileNameProblem(Name);  // setup writes every entry to a Windows folder
        if (!Problem.empty()) throw Exception(Format("\"%s\": %s", File.c_str(), Problem.c_str()));
    }
}

// Written beside the archive and renamed over it at the end: a failure keeps the old archive.
void Create(const fs::path& Archive, const std::vector<fs::path>& Files) {
    CheckSources(Files);
    const fs::path Temporary = fs::path(Archive).concat(".part");
    try {
        {
            TFileStream Out(Temporary, fmCreate);
            TVxiWriter Writer(Out);
            for (const fs::path& File : Files) {
                TFileStream In(File, fmOpenRead | fmShareDenyWrite);
                Writer.AddFile(File.filename().string(), In);
            }
        }
        fs::rename(Temporary, Archive);
    } catch (...) {
        std::error_code Ignored;
        fs::remove(Temporary, Ignored);
        throw;
    }
}

void List(const fs::path& Archive) {
    TFileStream In(Archive, fmOpenRead | fmShareDenyWrite);
    TVxiStream Reader(In);
    for (const TFileHeader& Entry : Reader.Entries())
        std::printf("%10lld  %s\n", static_cast<long long>(Entry.Size), Entry.Name.c_str());
}

// The entries to write, by index: entries whose names Windows cannot hold are
// skipped, and of several entries of one name (ignoring case, as Windows does)
// the last wins, as it does in setup. Each is reported; Skipped tells whether
// an entry was left out for its name.
std::vector<int> EntriesToWrite(const TVxiStream& Reader, bool& Skipped) {
    std::map<std::string, int> Last;  // folded name -> index
    std::vector<int> Order;
    for (int Index = 0; Index < Reader.Count(); ++Index) {
        const std::string Name = Reader.GetFileName(Index);
        if (const std::string Problem = FileNameProblem(Name); !Problem.empty()) {
            std::fprintf(stderr, "vxipack: entry %d (\"%s\") skipped: %s\n", Index, Name.c_str(), Problem.c_str());
            Skipped = true;
            continue;
        }
        const auto [It, First] = Last.try_emplace(AnsiLowerCase(Name), Index);
        if (!First) {
            std::fprintf(stderr, "vxipack: entries %d and %d are both named \"%s\": entry %d is kept (the last wins)\n",
                         It->second, Index, Name.c_str(), Index);
            std::erase(Order, It->second);
            It->second = Index;
        }
        Order.push_back(Index);
    }
    return Order;
}

// Answers false when an entry was skipped.
bool Extract(const fs::path& Archive, const fs::path& Folder, int64_t MaxEntrySize) {
    TFileStream In(Archive, fmOpenRead | fmShareDenyWrite);
    TVxiStream Reader(In);
    bool Skipped = false;
    const std::vector<int> Entries = EntriesToWrite(Reader, Skipped);
    fs::create_directories(Folder);
    for (const int Index : Entries) {
        const std::string Name = Reader.GetFileName(Index);
        const fs::path Target = Folder / Name;
        try {
            TFileStream Out(Target, fmCreate);
            TCappedStream Capped(Out, MaxEntrySize);
            Reader.ExtractFile(Index, Capped);
        } catch (const std::exception& E) {
            // No half-inflated file is left to pass for a good one.
            std::error_code Ignored;
            fs::remove(Target, Ignored);
            const bool Corrupt = dynamic_cast<const EDecompressionError*>(&E) != nullptr;
            const char* const Reason = Corrupt ? "its data cannot be inflated" : E.what();
            throw Exception(Format("entry %d (\"%s\"): %s", Index, Name.c_str(), Reason));
        }
    }
    return !Skipped;
}

int64_t MaxSizeOption(const std::string& Text) {
    char* End = nullptr;
    const long long MiB = std::strtoll(Text.c_str(), &End, 10);
    if (Text.empty() || *End != '\0' || MiB <= 0 || MiB > kVxiMaxArchiveSize)
        throw Exception(Format("--max-size needs a positive number of MiB, not \"%s\"", Text.c_str()));
    return MiB * kMiB;
}

// Answers the exit code.
int Run(std::vector<std::string> Args) {
    int64_t MaxEntrySize = kDefaultMaxEntryMiB * kMiB;
    if (Args.size() >= 3 && Args[0] == "extract" && Args[1] == "--max-size") {
        MaxEntrySize = MaxSizeOption(Args[2]);
        Args.erase(Args.begin() + 1, Args.begin() + 3);
    }
    if (Args.size() >= 2 && Args[0] == "create") {
        Create(Args[1], std::vector<fs::path>(Args.begin() + 2, Args.end()));
    } else if (Args.size() == 2 && Args[0] == "list") {
        List(Args[1]);
    } else if (Args.size() == 3 && Args[0] == "extract") {
        return Extract(Args[1], Args[2], MaxEntrySize) ? 0 : 1;
    } else {
        throw EUsage();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsage& E) {
        std::fprintf(stderr, "%s\n", E.what());
        return 2;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "vxipack: %s\n", E.what());
        return 1;
    }
}
