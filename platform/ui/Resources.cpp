#include "platform/ui/Resources.h"

#include <QDir>
#include <QFile>

#include "platform/os/Text.h"

namespace platform::ui {

namespace {

const QString ResourceFolder = QStringLiteral(":/rcdata");

QString ResourcePath(const QString& Name) {
    const QString Exact = ResourceFolder + u'/' + Name;
    if (QFile::exists(Exact)) return Exact;
    const std::string Wanted = Name.toStdString();
    for (const QString& Entry : QDir(ResourceFolder).entryList(QDir::Files))
        if (platform::os::SameText(Entry.toStdString(), Wanted)) return ResourceFolder + u'/' + Entry;
    return QString();
}

}  // namespace

EResNotFound::EResNotFound(const QString& Name)
    : Exception(platform::os::Format("Resource %s not found", Name.toStdString().c_str())) {}

std::optional<QByteArray> FindResourceData(const QString& Name) {
    if (Name.isEmpty() || Name.contains(u'/')) return std::nullopt;
    const QString Path = ResourcePath(Name);
    if (Path.isEmpty()) return std::nullopt;
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) return std::nullopt;
    return File.readAll();
}

QByteArray LoadResourceData(const QString& Name) {
    std::optional<QByteArray> Data = FindResourceData(Name);
    if (!Data) throw EResNotFound(Name);
    return *Data;
}

TResourceStream::TResourceStream(const QString& Name) {
    const QByteArray Data = LoadResourceData(Name);
    WriteBuffer(Data.constData(), Data.size());
    SetPosition(0);
}

}  // namespace platform::ui
