#pragma once
// The modules the host has loaded, as its module controller lists them, and
// the two lookups the framework makes over them. With no module loaded every
// lookup answers nullptr and changes nothing.
#include <QObject>
#include <QPointer>
#include <QString>
#include <utility>
#include <vector>

#include "dataaccess/VexModulo.h"

namespace dataaccess {

struct TLoadedModule {
    QPointer<TVexModulo> Modulo;
    std::vector<std::pair<QString, QPointer<QObject>>> Objects;  // registered under a name
};

// The host's list, in load order.
std::vector<TLoadedModule>& LoadedModules();

// The first object registered under Name (ignoring case), or nullptr.
QObject* FindModuleObject(const QString& Name);
// The first window named Name (ignoring case) of the loaded modules. With
// Create, a missing window is added to the first module with the caption
// (or Name), image 11, a disabled shortcut and the division line of Division
// (or Name).
TRelacaoModulo* FindRelation(const QString& Name, const QString& Division, bool Create, const QString& Caption);

}  // namespace dataaccess
