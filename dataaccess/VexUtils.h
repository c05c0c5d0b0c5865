#pragma once
// Small helpers of the framework: joining texts, telling key columns by name,
// the developer's resource folder, freeing object lists, and the zlib
// (RFC 1950, best level) streams of the settings blobs.
#include <QList>
#include <QObject>
#include <QString>

#include "platform/os/Streams.h"

namespace dataaccess {

inline constexpr const char* kDevResourcesVariable = "RECURSOS_DESENV";

// First, then Separator and Second when Second is not empty (the separator only when First is not empty).
QString JoinWith(const QString& First, const QString& Second, const QString& Separator);
// "IdUsuario" yes, "Idade" no: "Id" and then a capital letter or another character that has no lower case.
bool IsIdField(const QString& Name);
// The folder named by RECURSOS_DESENV; raises when it is not set or does not exist.
QString GetDevResourcesPath();
// Frees the objects from the last to the first and empties the list.
void FreeObjectList(QList<QObject*>& List);

// All of Source, from its start, as one zlib stream into Dest; with Rewind Dest goes back to 0.
void CompressStream(platform::os::TStream& Source, platform::os::TStream& Dest, bool Rewind);
// Source from its start inflated into Dest; with Rewind Dest goes back to 0. Bad data raises EDecompressionError.
void DecompressStream(platform::os::TStream& Source, platform::os::TStream& Dest, bool Rewind);

}  // namespace dataaccess
