#include "VxiWriter.h"

#include <bit>

#include "VxiFormat.h"
#include "VxiStream.h"
#include "platform/os/Text.h"
#include "platform/os/ZStream.h"

namespace installlib {

using namespace platform::os;

namespace {

void WriteLittleEndian(TStream& Dest, uint64_t Value, int Bytes) {
    unsigned char Raw[8];
    for (int I = 0; I < Bytes; ++I) Raw[I] = static_cast<unsigned char>(Value >> (8 * I));
    Dest.WriteBuffer(Raw, Bytes);
}

}  // namespace

std::string CheckEntryName(const std::string& Name) {
    if (!IsAnsiRepresentable(Name)) return "the name has characters outside code page 1252";
    if (Utf8ToAnsi(Name).size() > static_cast<size_t>(kVxiMaxNameLength))
        return Format("the name is longer than %d characters", kVxiMaxNameLength);
    if (Name.find_first_of("\\/:") != std::string::npos) return "the name holds a path";
    return {};
}

TVxiWriter::TVxiWriter(TStream& Dest) : FDest(Dest) {
    FDest.SetSize(0);
    FDest.SetPosition(0);
    WriteLittleEndian(FDest, std::bit_cast<uint32_t>(kVxiVersion), 4);
    WriteLittleEndian(FDest, 0, 1);
}

void TVxiWriter::AddFile(const std::string& Name, TStream& Content) {
    const auto Refuse = [&](const std::string& Reason) { throw EVxiError(Format("Cannot add \"%s\": %s", Name.c_str(), Reason.c_str())); };
    if (FCount >= kVxiMaxEntries) Refuse(Format("an archive holds at most %d entries", kVxiMaxEntries));
    if (const std::string Problem = CheckEntryName(Name); !Problem.empty()) Refuse(Problem);

    const std::string AnsiName = Utf8ToAnsi(Name);
    const int64_t EntryStart = FDest.Seek(0, TSeekOrigin::soEnd);
    try {
        WriteLittleEndian(FDest, AnsiName.size(), 1);
        FDest.WriteBuffer(AnsiName.data(), static_cast<int64_t>(AnsiName.size()));
        const int64_t SizeField = FDest.Position();
        WriteLittleEndian(FDest, 0, kVxiSizeFieldSize);
        const int64_t DataStart = FDest.Position();
        CompressStream(Content, FDest);
        const int64_t DataEnd = FDest.Position();
        if (DataEnd > kVxiMaxArchiveSize) Refuse("the archive would reach 2 GiB");
        FDest.SetPosition(SizeField);
        WriteLittleEndian(FDest, static_cast<uint64_t>(DataEnd - DataStart), kVxiSizeFieldSize);
        FDest.SetPosition(kVxiHeaderSize - 1);
        WriteLittleEndian(FDest, static_cast<uint64_t>(FCount + 1), 1);
        FDest.SetPosition(DataEnd);
    } catch (...) {
        FDest.SetSize(EntryStart);
        throw;
    }
    ++FCount;
}

}  // namespace installlib
