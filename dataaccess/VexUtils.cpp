#include "dataaccess/VexUtils.h"

#include "dataaccess/VexSqlText.h"
#include "platform/os/Environment.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/ZStream.h"

namespace dataaccess {

namespace {
constexpr const char* kMissingDevResources =
    "A variável '%1' não foi definida no 'Environment Variables' ou o caminho não existe.";
}

QString JoinWith(const QString& First, const QString& Second, const QString& Separator) {
    if (Second.isEmpty()) return First;
    return First.isEmpty() ? Second : First + Separator + Second;
}

bool IsIdField(const QString& Name) {
    return Name.size() > 2 && Name.startsWith("Id") && UpperCaseLatin1(Name.mid(2, 1)) == Name.mid(2, 1);
}

QString GetDevResourcesPath() {
    const std::string Path = platform::os::GetEnvironmentVariable(kDevResourcesVariable);
    if (Path.empty() || !platform::os::DirectoryExists(Path))
        throw platform::os::Exception(QString(kMissingDevResources).arg(kDevResourcesVariable).toStdString());
    return QString::fromStdString(Path);
}

void FreeObjectList(QList<QObject*>& List) {
    while (!List.isEmpty()) delete List.takeLast();
}

void CompressStream(platform::os::TStream& Source, platform::os::TStream& Dest, bool Rewind) {
    platform::os::CompressStream(Source, Dest);
    if (Rewind) Dest.SetPosition(0);
}

void DecompressStream(platform::os::TStream& Source, platform::os::TStream& Dest, bool Rewind) {
    Source.SetPosition(0);
    platform::os::DecompressStream(Source, Dest, Rewind);
}

}  // namespace dataaccess
