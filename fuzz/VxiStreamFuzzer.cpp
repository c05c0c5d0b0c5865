// Opens arbitrary bytes as a payload archive and extracts every entry. The
// reader may refuse the archive or an entry's data, but must never read past
// the archive, crash, leak or hang.
#include <cstdint>
#include <cstdlib>

#include "installlib/VxiStream.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

using namespace installlib;
using namespace platform::os;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TMemoryStream Archive;
    Archive.WriteBuffer(Data, static_cast<int64_t>(Size));
    try {
        TVxiStream Reader(Archive);
        for (int Index = 0; Index < Reader.Count(); ++Index) {
            const TFileHeader& Entry = Reader.Entries()[static_cast<size_t>(Index)];
            if (Entry.Position < 0 || Entry.Size < 0 || Entry.Position + Entry.Size > Archive.Size()) std::abort();
            TMemoryStream Out;
            try {
                Reader.ExtractFile(Index, Out);
            } catch (const EDecompressionError&) {
                continue;
            }
            if (Out.Position() != 0) std::abort();
        }
    } catch (const EVxiError&) {
    }
    return 0;
}
