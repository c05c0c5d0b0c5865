#pragma once
// Reader of the payload archives: lists the entries of an archive held in any
// seekable stream and inflates one entry at a time into a destination stream.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

namespace installlib {

// An archive that the format cannot describe: truncated, or with counts,
// name lengths or sizes out of range. Raised when the archive is opened.
class EVxiError : public platform::os::EStreamError {
public:
    using EStreamError::EStreamError;
};

// One directory entry, in stored order.
struct TFileHeader {
    std::string Name;       // UTF-8, converted from code page 1252
    int64_t Position = 0;   // offset of the entry's zlib stream in the archive
    int64_t Size = 0;       // stored (compressed) size
};

class TVxiStream {
public:
    // The stream is not owned and must outlive the reader.
    explicit TVxiStream(platform::os::TStream& Stream);
    virtual ~TVxiStream() = default;
    TVxiStream(const TVxiStream&) = delete;
    TVxiStream& operator=(const TVxiStream&) = delete;

    // (Re)reads the directory; never writes to Stream. An empty stream is an
    // empty archive. A malformed archive raises EVxiError and leaves no entries.
    void LoadFromStream(platform::os::TStream& Stream);

    int8_t Count() const { return static_cast<int8_t>(FEntries.size()); }
    std::string GetFileName(int Index) const;
    // Inflates entry Index from Dest's position on; Dest is left at position 0.
    void ExtractFile(int Index, platform::os::TStream& Dest);

    float Version() const { return FVersion; }
    const std::vector<TFileHeader>& Entries() const { return FEntries; }

private:
    const TFileHeader& Entry(int Index) const;

    platform::os::TStream* FStream;
    std::vector<TFileHeader> FEntries;
    float FVersion = 1.0f;
};

}  // namespace installlib
