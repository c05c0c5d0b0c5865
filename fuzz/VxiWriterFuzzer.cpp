// Writes arbitrary names and contents with the archive writer and reads them
// back: whatever the writer accepts, the reader must list and inflate unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "installlib/VxiStream.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Streams.h"

using namespace installlib;
using namespace platform::os;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    FuzzedDataProvider Input(Data, Size);
    TMemoryStream Archive;
    TVxiWriter Writer(Archive);
    std::vector<std::pair<std::string, std::string>> Accepted;
    while (Input.remaining_bytes() > 0) {
        const std::string Name = Input.ConsumeRandomLengthString(200);
        const std::string Content = Input.ConsumeRandomLengthString(4096);
        TMemoryStream Source;
        Source.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
        try {
            Writer.AddFile(Name, Source);
            Accepted.emplace_back(Name, Content);
        } catch (const EVxiError&) {
        }
    }
    TVxiStream Reader(Archive);
    if (Reader.Count() != static_cast<int>(Accepted.size())) std::abort();
    for (int Index = 0; Index < Reader.Count(); ++Index) {
        TMemoryStream Out;
        Reader.ExtractFile(Index, Out);
        const auto& [Name, Content] = Accepted[static_cast<size_t>(Index)];
        // Names travel through code page 1252; any that does not round-trip was refused above.
        if (Reader.GetFileName(Index) != Name) std::abort();
        if (std::string(Out.Memory(), static_cast<size_t>(Out.Size())) != Content) std::abort();
    }
    return 0;
}
