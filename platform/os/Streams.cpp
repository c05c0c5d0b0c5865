#include "Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Exceptions.h"
#include "WinError.h"

namespace platform::os {

int64_t TStream::Size() {
    const int64_t Saved = Position();
    const int64_t End = Seek(0, TSeekOrigin::soEnd);
    Seek(Saved, TSeekOrigin::soBeginning);
    return End;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError();
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError();
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    constexpr int64_t kChunk = 64 * 1024;
    std::vector<char> Buffer(static_cast<size_t>(std::min(Count, kChunk)));
    int64_t Left = Count;
    while (Left > 0) {
        const int64_t Part = std::min(Left, kChunk);
        Source.ReadBuffer(Buffer.data(), Part);
        WriteBuffer(Buffer.data(), Part);
        Left -= Part;
    }
    return Count;
}

// --- TMemoryStream ---

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    if (Count <= 0 || FPosition >= Size()) return 0;
    const int64_t Part = std::min(Count, Size() - FPosition);
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(Part));
    FPosition += Part;
    return Part;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0 || FPosition < 0) return 0;
    const int64_t End = FPosition + Count;
    if (End > Size()) FData.resize(static_cast<size_t>(End));
    std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = End;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    switch (Origin) {
        case TSeekOrigin::soBeginning: FPosition = Offset; break;
        case TSeekOrigin::soCurrent: FPosition += Offset; break;
        case TSeekOrigin::soEnd: FPosition = Size() + Offset; break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
    FData.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
    if (FPosition > Size()) FPosition = Size();
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
    Source.SetPosition(0);
    const int64_t Count = Source.Size();
    SetSize(Count);
    if (Count != 0) Source.ReadBuffer(FData.data(), Count);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Dest) { Dest.WriteBuffer(FData.data(), Size()); }

void TMemoryStream::LoadFromFile(const std::filesystem::path& HostPath) {
    TFileStream File(HostPath, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(File);
}

void TMemoryStream::SaveToFile(const std::filesystem::path& HostPath) {
    TFileStream File(HostPath, fmCreate);
    SaveToStream(File);
}

// --- TFileStream ---

TFileStream::TFileStream(const std::filesystem::path& HostPath, uint32_t Mode) : FFileName(HostPath) {
    const bool Create = (Mode & fmCreate) == fmCreate;
    const uint32_t Access = Create ? fmOpenReadWrite : (Mode & 0x3);
    const uint32_t Share = Create ? fmShareExclusive : (Mode & 0xF0);
    int Flags = O_CLOEXEC;
    Flags |= Access == fmOpenWrite ? O_WRONLY : Access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    if (Create) Flags |= O_CREAT;
    FHandle = ::open(HostPath.c_str(), Flags, 0644);
    if (FHandle < 0) throw EFOpenError(HostPath.string(), WinErrorFromErrno(errno));
    struct stat Info {};
    if (::fstat(FHandle, &Info) == 0 && S_ISDIR(Info.st_mode)) {
        ::close(FHandle);
        throw EFOpenError(HostPath.string(), ERROR_ACCESS_DENIED);
    }
    // Writers hold the file exclusively; deny-write readers share it with one
    // another but keep writers out. Other processes see these locks.
    const bool Writes = Access != fmOpenRead || Share == fmShareExclusive;
    const bool Locks = Writes || Share == fmShareDenyWrite;
    if (Locks && ::flock(FHandle, (Writes ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int Error = errno;
        ::close(FHandle);
        throw EFOpenError(HostPath.string(), Error == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : WinErrorFromErrno(Error));
    }
    // Truncate only once the lock is ours, so a held file is never emptied.
    if (Create && ::ftruncate(FHandle, 0) != 0) {
        const int Error = errno;
        ::close(FHandle);
        throw EFOpenError(HostPath.string(), WinErrorFromErrno(Error));
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
    int64_t Done = 0;
    while (Done < Count) {
        const ssize_t Part = ::read(FHandle, static_cast<char*>(Buffer) + Done, static_cast<size_t>(Count - Done));
        if (Part < 0 && errno == EINTR) continue;
        if (Part <= 0) break;
        Done += Part;
    }
    return Done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
    int64_t Done = 0;
    while (Done < Count) {
        const ssize_t Part = ::write(FHandle, static_cast<const char*>(Buffer) + Done, static_cast<size_t>(Count - Done));
        if (Part < 0 && errno == EINTR) continue;
        if (Part <= 0) {
            SetLastError(WinErrorFromErrno(errno));
            break;
        }
        Done += Part;
    }
    return Done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    const int Whence = Origin == TSeekOrigin::soBeginning ? SEEK_SET : Origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    const off_t Result = ::lseek(FHandle, Offset, Whence);
    if (Result < 0) throw EStreamError("Stream seek error");
    return Result;
}

void TFileStream::SetSize(int64_t NewSize) {
    if (::ftruncate(FHandle, NewSize) != 0) throw EWriteError();
    if (Position() > NewSize) Seek(NewSize, TSeekOrigin::soBeginning);
}

std::string ReadHostFile(const std::filesystem::path& HostPath) {
    TFileStream File(HostPath, fmOpenRead);
    std::string Content(static_cast<size_t>(File.Size()), '\0');
    File.ReadBuffer(Content.data(), static_cast<int64_t>(Content.size()));
    return Content;
}

void WriteHostFile(const std::filesystem::path& HostPath, std::string_view Content) {
    TFileStream File(HostPath, fmCreate);
    File.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
}

}  // namespace platform::os
