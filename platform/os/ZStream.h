#pragma once
// zlib (RFC 1950) streams: compression at the best level and inflation in
// bounded chunks, shared by the payload reader and the settings store.
#include <cstdint>
#include <memory>

#include "Streams.h"

namespace platform::os {

// Reads the inflated bytes of one zlib stream from Source, pulling compressed
// input in chunks of at most 64 KiB. Read-only and forward-only. Malformed or
// truncated data raises EDecompressionError, once the bytes inflated before
// the fault have been read.
class TDecompressionStream : public TStream {
public:
    explicit TDecompressionStream(TStream& Source);
    ~TDecompressionStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;

private:
    int64_t Fail(unsigned Room);

    struct TState;
    std::unique_ptr<TState> FState;
    TStream& FSource;
};

// Compresses all of Source (from its start) into Dest at the best level.
void CompressStream(TStream& Source, TStream& Dest);
// Inflates Source from its position into Dest in blocks of a fixed size
// (memory stays flat whatever the output) until a read returns nothing; with
// Rewind, Dest is left at position 0.
void DecompressStream(TStream& Source, TStream& Dest, bool Rewind);

// A read-only window of Length bytes of Base starting at Offset (Base not owned).
class TSubStream : public TStream {
public:
    TSubStream(TStream& Base, int64_t Offset, int64_t Length);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return FLength; }
    void SetSize(int64_t NewSize) override;

private:
    TStream& FBase;
    int64_t FOffset;
    int64_t FLength;
    int64_t FPosition = 0;
};

}  // namespace platform::os
