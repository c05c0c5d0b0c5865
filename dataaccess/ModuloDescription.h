#pragma once
// A module descriptor written to and read from a JSON description, so that a
// module can also be described in a file. As in a form's stored description,
// a property is written only when it differs from its default, and reading
// gives every absent property its default. Events are not described; image
// lists are written by name and found by name among the descriptor's owner's
// children. A malformed description raises EStreamError and changes nothing.
#include <QByteArray>
#include <QJsonObject>

#include "dataaccess/VexModulo.h"

namespace dataaccess {

QJsonObject ModuloToJson(const TVexModulo& Modulo);
void ModuloFromJson(TVexModulo& Modulo, const QJsonObject& Json);
QByteArray SaveModuloDescription(const TVexModulo& Modulo);
void LoadModuloDescription(TVexModulo& Modulo, const QByteArray& Text);

}  // namespace dataaccess
