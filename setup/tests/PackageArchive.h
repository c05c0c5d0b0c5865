#pragma once
// Customer packages built in memory, entry by entry, for the tests that read
// or install them.
#include <QBuffer>
#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "installlib/VxiWriter.h"
#include "platform/os/Streams.h"

namespace packagearchive {

using platform::os::TMemoryStream;

inline TMemoryStream Bytes(const std::string& Text) {
    TMemoryStream Stream;
    Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    return Stream;
}

inline std::string BitmapBytes() {
    QImage Image(4, 3, QImage::Format_RGB888);
    Image.fill(Qt::red);
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "BMP");
    return Data.toStdString();
}

// A package archive with the given entries, in order.
inline TMemoryStream Package(const std::vector<std::pair<std::string, std::string>>& Entries) {
    TMemoryStream Archive;
    installlib::TVxiWriter Writer(Archive);
    for (const auto& [Name, Content] : Entries) {
        TMemoryStream Entry = Bytes(Content);
        Writer.AddFile(Name, Entry);
    }
    return Archive;
}

}  // namespace packagearchive
