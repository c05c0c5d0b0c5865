#pragma once
// The program's raw-data resources, compiled in as Qt resources under
// ":/rcdata" and found by name without regard to letter case.
#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

namespace platform::ui {

class EResNotFound : public platform::os::Exception {
public:
    explicit EResNotFound(const QString& Name);
};

std::optional<QByteArray> FindResourceData(const QString& Name);
// Raises EResNotFound "Resource %s not found" when there is none.
QByteArray LoadResourceData(const QString& Name);

// A memory stream holding a copy of one resource.
class TResourceStream : public platform::os::TMemoryStream {
public:
    explicit TResourceStream(const QString& Name);
};

}  // namespace platform::ui
