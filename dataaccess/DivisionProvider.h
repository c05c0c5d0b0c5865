#pragma once
// What a loaded module offers when another screen's lookup needs one of its
// divisions: the module builds its screen's object and hands out the
// data-bound division in it. A module without this interface is not suitable
// for lookups; the caller then leaves the search alone.
#include <QObject>

namespace dataaccess {

// {2C11CBC8-0F72-41B5-9FA6-F11F397F7768} in the host's module system.
class IDivisionProvider {
public:
    virtual ~IDivisionProvider() = default;
    // Builds the module's object owned by Owner (freed with it) and answers the
    // division in it; nullptr when the module has none.
    virtual QObject* ProvideDivision(QObject* Owner) = 0;
};

}  // namespace dataaccess
