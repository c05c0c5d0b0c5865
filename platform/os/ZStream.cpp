#include "ZStream.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "Exceptions.h"

namespace platform::os {

namespace {
constexpr size_t kInputChunk = 64 * 1024;
constexpr size_t kOutputBlock = 256 * 1024;
}

struct TDecompressionStream::TState {
    z_stream Z{};
    std::vector<unsigned char> Input = std::vector<unsigned char>(kInputChunk);
    bool Finished = false;
    bool Failed = false;
};

TDecompressionStream::TDecompressionStream(TStream& Source) : FState(std::make_unique<TState>()), FSource(Source) {
    if (inflateInit(&FState->Z) != Z_OK) throw EDecompressionError();
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FState->Z); }

int64_t TDecompressionStream::Read(void* Buffer, int64_t Count) {
    z_stream& Z = FState->Z;
    if (FState->Failed) throw EDecompressionError();
    if (FState->Finished || Count <= 0) return 0;
    Z.next_out = static_cast<unsigned char*>(Buffer);
    Z.avail_out = static_cast<uInt>(std::min<int64_t>(Count, 1 << 30));
    const uInt Room = Z.avail_out;
    while (Z.avail_out > 0) {
        if (Z.avail_in == 0) {
            const int64_t Got = FSource.Read(FState->Input.data(), static_cast<int64_t>(FState->Input.size()));
            // Input that ends before the stream does is corrupt, not a short file.
            if (Got <= 0) return Fail(Room);
            Z.next_in = FState->Input.data();
            Z.avail_in = static_cast<uInt>(Got);
        }
        const int Status = inflate(&Z, Z_NO_FLUSH);
        if (Status == Z_STREAM_END) {
            FState->Finished = true;
            break;
        }
        if (Status != Z_OK) return Fail(Room);
    }
    return Room - Z.avail_out;
}

int64_t TDecompressionStream::Fail(uInt Room) {
    // What inflated before the fault is handed out first; the error comes with the next read.
    FState->Failed = true;
    if (Room == FState->Z.avail_out) throw EDecompressionError();
    return Room - FState->Z.avail_out;
}

int64_t TDecompressionStream::Write(const void*, int64_t) { throw EStreamError("Invalid stream operation"); }

int64_t TDecompressionStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    if (Offset == 0 && Origin == TSeekOrigin::soCurrent) return static_cast<int64_t>(FState->Z.total_out);
    throw EStreamError("Invalid stream operation");
}

void TDecompressionStream::SetSize(int64_t) { throw EStreamError("Invalid stream operation"); }

void CompressStream(TStream& Source, TStream& Dest) {
    z_stream Z{};
    if (deflateInit(&Z, Z_BEST_COMPRESSION) != Z_OK) throw ECompressionError();
    std::vector<unsigned char> Input(kInputChunk), Output(kInputChunk);
    Source.SetPosition(0);
    int Flush = Z_NO_FLUSH;
    try {
        do {
            const int64_t Got = Source.Read(Input.data(), static_cast<int64_t>(Input.size()));
            Z.next_in = Input.data();
            Z.avail_in = static_cast<uInt>(Got);
            Flush = Got <= 0 ? Z_FINISH : Z_NO_FLUSH;
            do {
                Z.next_out = Output.data();
                Z.avail_out = static_cast<uInt>(Output.size());
                if (deflate(&Z, Flush) == Z_STREAM_ERROR) throw ECompressionError();
                Dest.WriteBuffer(Output.data(), static_cast<int64_t>(Output.size() - Z.avail_out));
            } while (Z.avail_out == 0);
        } while (Flush != Z_FINISH);
    } catch (...) {
        deflateEnd(&Z);
        throw;
    }
    deflateEnd(&Z);
}

void DecompressStream(TStream& Source, TStream& Dest, bool Rewind) {
    TDecompressionStream Inflater(Source);
    // Large blocks: a file destination then costs one write per block, while memory stays flat.
    std::vector<char> Block(kOutputBlock);
    for (;;) {
        const int64_t Got = Inflater.Read(Block.data(), static_cast<int64_t>(Block.size()));
        if (Got <= 0) break;
        Dest.WriteBuffer(Block.data(), Got);
    }
    if (Rewind) Dest.SetPosition(0);
}

// --- TSubStream ---

TSubStream::TSubStream(TStream& Base, int64_t Offset, int64_t Length) : FBase(Base), FOffset(Offset), FLength(Length) {}

int64_t TSubStream::Read(void* Buffer, int64_t Count) {
    const int64_t Part = std::min(Count, FLength - FPosition);
    if (Part <= 0) return 0;
    FBase.SetPosition(FOffset + FPosition);
    const int64_t Got = FBase.Read(Buffer, Part);
    FPosition += std::max<int64_t>(Got, 0);
    return Got;
}

int64_t TSubStream::Write(const void*, int64_t) { throw EStreamError("Invalid stream operation"); }

int64_t TSubStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    switch (Origin) {
        case TSeekOrigin::soBeginning: FPosition = Offset; break;
        case TSeekOrigin::soCurrent: FPosition += Offset; break;
        case TSeekOrigin::soEnd: FPosition = FLength + Offset; break;
    }
    return FPosition;
}

void TSubStream::SetSize(int64_t) { throw EStreamError("Invalid stream operation"); }

}  // namespace platform::os
