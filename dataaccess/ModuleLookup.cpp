#include "dataaccess/ModuleLookup.h"

namespace dataaccess {

namespace {

const QString kDivisionLine = QStringLiteral("Main.Divisao[0].Name=%1");
constexpr int kCreatedImageIndex = 11;

bool SameName(const QString& A, const QString& B) { return A.compare(B, Qt::CaseInsensitive) == 0; }

}  // namespace

std::vector<TLoadedModule>& LoadedModules() {
    static std::vector<TLoadedModule> Modules;
    return Modules;
}

QObject* FindModuleObject(const QString& Name) {
    for (const TLoadedModule& Module : LoadedModules())
        for (const auto& [ObjectName, Object] : Module.Objects)
            if (SameName(ObjectName, Name)) return Object.data();
    return nullptr;
}

TRelacaoModulo* FindRelation(const QString& Name, const QString& Division, bool Create, const QString& Caption) {
    TVexModulo* First = nullptr;
    for (const TLoadedModule& Module : LoadedModules()) {
        if (!Module.Modulo) continue;
        if (!First) First = Module.Modulo;
        const TRelacoesModulo& Relacoes = Module.Modulo->Relacoes();
        for (int I = 0; I < Relacoes.Count(); ++I)
            if (SameName(Relacoes.Items(I)->Nome, Name)) return Relacoes.Items(I);
    }
    // Without a loaded module there is nowhere to add the window.
    if (!Create || !First) return nullptr;
    TRelacaoModulo* Relacao = First->Relacoes().Add();
    Relacao->ImageIndex = kCreatedImageIndex;
    Relacao->Caption = Caption.trimmed().isEmpty() ? Name : Caption.trimmed();
    Relacao->Atalho.Enabled = false;
    Relacao->Nome = Name;
    Relacao->Divisoes.append(kDivisionLine.arg(Division.trimmed().isEmpty() ? Name : Division.trimmed()));
    return Relacao;
}

}  // namespace dataaccess
