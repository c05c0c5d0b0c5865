#include "dataaccess/ClasseTabelaList.h"

#include "controls/VexMessage.h"
#include "platform/ui/Classes.h"

namespace dataaccess {

namespace {

std::vector<TClasseTabelaClass>& Classes() {
    static std::vector<TClasseTabelaClass> gClasses;
    return gClasses;
}

}  // namespace

void RegisterClasseTabela(const TClasseTabelaClass& Class) {
    auto Create = Class.Create;
    platform::ui::RegisterClass(Class.Name, [Create](QObject* Owner) -> QObject* { return Create(Owner); });
    Classes().push_back(Class);
}

void UnregisterClasseTabela(const QString& Name) {
    auto& List = Classes();
    auto It = std::find_if(List.begin(), List.end(), [&Name](const TClasseTabelaClass& Class) {
        return Class.Name.compare(Name, Qt::CaseInsensitive) == 0;
    });
    if (It == List.end()) return;
    platform::ui::UnregisterClass(It->Name);
    List.erase(It);
}

const std::vector<TClasseTabelaClass>& ClasseTabelaList() { return Classes(); }

const TClasseTabelaClass* FindClasseTabela(const QString& Name) {
    for (const TClasseTabelaClass& Class : Classes())
        if (Class.Name.compare(Name, Qt::CaseInsensitive) == 0) return &Class;
    return nullptr;
}

TClasseTabela* CreateClasseTabela(const QString& Name, QObject* Owner) {
    const TClasseTabelaClass* Class = FindClasseTabela(Name);
    if (!Class) throw controls::EDesktopError(QString(kUnknownClasseTabela).arg(Name), QString());
    return Class->Create(Owner);
}

}  // namespace dataaccess
