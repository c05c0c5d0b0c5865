#pragma once
// Seekable byte streams: the interface every reader and writer of the system
// takes, with memory and host-file implementations. Failures raise EStreamError.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::os {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Read and Write move at most Count bytes and answer how many moved.
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }

    // Exactly Count bytes or EReadError / EWriteError.
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t NewSize) override;

    const char* Memory() const { return FData.data(); }
    const std::vector<char>& Data() const { return FData; }
    void Clear();
    void LoadFromStream(TStream& Source);
    void SaveToStream(TStream& Dest);
    void LoadFromFile(const std::filesystem::path& HostPath);
    void SaveToFile(const std::filesystem::path& HostPath);

private:
    std::vector<char> FData;
    int64_t FPosition = 0;
};

// Open modes of a file stream, as the platform combines them: an access mode
// or'ed with a share mode. fmCreate creates or truncates and denies writers.
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

// A file stream over a host path. Opening for writing (or with a share mode
// that denies writers) takes an exclusive lock that other processes see: a
// file held elsewhere fails with ERROR_SHARING_VIOLATION, as on the platform.
class TFileStream : public TStream {
public:
    TFileStream(const std::filesystem::path& HostPath, uint32_t Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;

    const std::filesystem::path& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

private:
    std::filesystem::path FFileName;
    int FHandle = -1;
};

// Whole-file helpers over host paths.
std::string ReadHostFile(const std::filesystem::path& HostPath);
void WriteHostFile(const std::filesystem::path& HostPath, std::string_view Content);

}  // namespace platform::os
