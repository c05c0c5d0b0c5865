#pragma once
// The two lookups the framework makes over the modules the host has loaded.
// A loaded module is an object of the host's module list: its descriptor is
// the module itself or the TVexModulo it owns, and its registered objects are
// its named children. Without a host, or with no module loaded, every lookup
// answers nullptr and changes nothing.
#include <QObject>
#include <QString>

#include "dataaccess/VexModulo.h"

namespace dataaccess {

// The first object registered under Name (ignoring case) in a loaded module, or nullptr.
QObject* FindModuleObject(const QString& Name);
// The first window named Name (ignoring case) of the loaded modules. With
// Create, a missing window is added to the first module with the caption
// (or Name), image 11, a disabled shortcut and the division line of Division
// (or Name).
TRelacaoModulo* FindRelation(const QString& Name, const QString& Division, bool Create, const QString& Caption);

}  // namespace dataaccess
