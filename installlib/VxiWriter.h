#pragma once
// Writer of payload archives, for the tools that build the payloads. It refuses
// whatever the reader would reject, so every archive it finishes can be read.
#include <string>

#include "platform/os/Streams.h"

namespace installlib {

class TVxiWriter {
public:
    // Empties Dest and writes the header of an empty archive; Dest is not owned.
    explicit TVxiWriter(platform::os::TStream& Dest);

    // Appends the whole of Content (from its start) as the next entry, compressed
    // at the best level. Name is UTF-8 and becomes code page 1252 in the archive.
    // A refused entry raises EVxiError and leaves the archive as it was.
    void AddFile(const std::string& Name, platform::os::TStream& Content);

    int Count() const { return FCount; }

private:
    platform::os::TStream& FDest;
    int FCount = 0;
};

// The reason Name cannot be an entry name, or the empty string when it can.
std::string CheckEntryName(const std::string& Name);

}  // namespace installlib
