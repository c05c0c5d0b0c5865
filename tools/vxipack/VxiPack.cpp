// vxipack: builds, lists and unpacks payload archives.
//
//   vxipack create ARCHIVE FILE...   entries named after the files, in argument order
//   vxipack list ARCHIVE             stored size and name of every entry
//   vxipack extract ARCHIVE FOLDER   every entry into FOLDER (created when missing)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "installlib/VxiFormat.h"
#include "installlib/VxiStream.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"

namespace fs = std::filesystem;
using namespace installlib;
using namespace platform::os;

namespace {

class EUsage : public Exception {
public:
    EUsage() : Exception("usage: vxipack create ARCHIVE FILE... | list ARCHIVE | extract ARCHIVE FOLDER") {}
};

// Every name is checked before anything is written, so a refused list leaves no archive behind.
void CheckSources(const std::vector<fs::path>& Files) {
    if (Files.size() > static_cast<size_t>(kVxiMaxEntries))
        throw Exception(Format("%zu files given; an archive holds at most %d", Files.size(), kVxiMaxEntries));
    for (const fs::path& File : Files) {
        if (!fs::is_regular_file(File)) throw Exception(Format("\"%s\" is not a file", File.c_str()));
        if (const std::string Problem = CheckEntryName(File.filename().string()); !Problem.empty())
            throw Exception(Format("\"%s\": %s", File.c_str(), Problem.c_str()));
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

// Entry names come from the archive: only plain file names may reach the file system.
bool IsSafeFileName(const std::string& Name) {
    return !Name.empty() && Name != "." && Name != ".." && Name.find('\0') == std::string::npos && CheckEntryName(Name).empty();
}

void Extract(const fs::path& Archive, const fs::path& Folder) {
    TFileStream In(Archive, fmOpenRead | fmShareDenyWrite);
    TVxiStream Reader(In);
    for (int Index = 0; Index < Reader.Count(); ++Index) {
        const std::string Name = Reader.GetFileName(Index);
        if (!IsSafeFileName(Name)) throw Exception(Format("entry %d has the name \"%s\", which is no file name", Index, Name.c_str()));
    }
    fs::create_directories(Folder);
    for (int Index = 0; Index < Reader.Count(); ++Index) {
        const fs::path Target = Folder / Reader.GetFileName(Index);
        try {
            TFileStream Out(Target, fmCreate);
            Reader.ExtractFile(Index, Out);
        } catch (...) {
            // No half-inflated file is left to pass for a good one.
            std::error_code Ignored;
            fs::remove(Target, Ignored);
            throw;
        }
    }
}

void Run(const std::vector<std::string>& Args) {
    if (Args.size() >= 2 && Args[0] == "create") {
        Create(Args[1], std::vector<fs::path>(Args.begin() + 2, Args.end()));
    } else if (Args.size() == 2 && Args[0] == "list") {
        List(Args[1]);
    } else if (Args.size() == 3 && Args[0] == "extract") {
        Extract(Args[1], Args[2]);
    } else {
        throw EUsage();
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Run(std::vector<std::string>(argv + 1, argv + argc));
        return 0;
    } catch (const EUsage& E) {
        std::fprintf(stderr, "%s\n", E.what());
        return 2;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "vxipack: %s\n", E.what());
        return 1;
    }
}
