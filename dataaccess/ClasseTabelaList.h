#pragma once
// The registry of table classes: every class a unit registers can be found
// and created by its name, ignoring case. Registering a name twice raises
// EListError; creating by an unknown name raises EDesktopError with
// kUnknownClasseTabela. Units register in their initialisation and unregister
// in reverse order at the end.
#include <QString>
#include <functional>
#include <vector>

#include "dataaccess/VexClasse.h"

namespace dataaccess {

inline constexpr const char* kUnknownClasseTabela = "A classe de tabela '%1' não está registrada.";

struct TClasseTabelaClass {
    QString Name;  // the class name without namespace, "TUsuario"
    const QMetaObject* MetaObject;
    std::function<TClasseTabela*(QObject* Owner)> Create;  // finished, as CreateClasseTabela makes them
};

void RegisterClasseTabela(const TClasseTabelaClass& Class);
void UnregisterClasseTabela(const QString& Name);

template <class T>
void RegisterClasseTabela() {
    const QString Name = QString::fromLatin1(T::staticMetaObject.className()).section(':', -1);
    RegisterClasseTabela({Name, &T::staticMetaObject, [](QObject* Owner) -> TClasseTabela* {
                              return CreateClasseTabela<T>(Owner);
                          }});
}
template <class T>
void UnregisterClasseTabela() {
    UnregisterClasseTabela(QString::fromLatin1(T::staticMetaObject.className()).section(':', -1));
}

// The registered classes in registration order.
const std::vector<TClasseTabelaClass>& ClasseTabelaList();
// nullptr when no class of that name is registered.
const TClasseTabelaClass* FindClasseTabela(const QString& Name);
TClasseTabela* CreateClasseTabela(const QString& Name, QObject* Owner = nullptr);

}  // namespace dataaccess
