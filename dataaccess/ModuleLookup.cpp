#include "dataaccess/ModuleLookup.h"

#include "dataaccess/VexHost.h"
#include "dataaccess/VexSqlText.h"

namespace dataaccess {

namespace {

const QString kDivisionLine = QStringLiteral("Main.Divisao[0].Name=%1");
constexpr int kCreatedImageIndex = 11;

bool SameName(const QString& A, const QString& B) { return LowerCaseLatin1(A) == LowerCaseLatin1(B); }

QList<QObject*> LoadedModules() { return Host() ? Host()->Modules() : QList<QObject*>(); }

TVexModulo* DescriptorOf(QObject* Module) {
    if (auto* Modulo = qobject_cast<TVexModulo*>(Module)) return Modulo;
    return Module->findChild<TVexModulo*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

QObject* FindModuleObject(const QString& Name) {
    for (QObject* Module : LoadedModules())
        for (QObject* Object : Module->children())
            if (SameName(Object->objectName(), Name)) return Object;
    return nullptr;
}

TRelacaoModulo* FindRelation(const QString& Name, const QString& Division, bool Create, const QString& Caption) {
    TVexModulo* First = nullptr;
    for (QObject* Module : LoadedModules()) {
        TVexModulo* Modulo = DescriptorOf(Module);
        if (!Modulo) continue;
        if (!First) First = Modulo;
        const TRelacoesModulo& Relacoes = Modulo->Relacoes();
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
