#include "dataaccess/TabelasSistema.h"

#include "controls/VexMessage.h"
#include "dataaccess/ClasseTabelaList.h"

namespace dataaccess {

using namespace platform::data;

namespace {

const QString kDbo = QStringLiteral("dbo");

// Registered while the program runs, removed in reverse order at its end.
struct TRegistration {
    TRegistration() {
        RegisterClasseTabela<TUsuario>();
        RegisterClasseTabela<TEmpresaSistema>();
        RegisterClasseTabela<TSenhaControle>();
    }
    ~TRegistration() {
        UnregisterClasseTabela<TSenhaControle>();
        UnregisterClasseTabela<TEmpresaSistema>();
        UnregisterClasseTabela<TUsuario>();
    }
} gRegistration;

}  // namespace

TUsuario::TUsuario(QObject* AOwner) : TClasseTabela(AOwner) { SetCheckPermissions(false); }
void TUsuario::GetTableName(QString& Name) { Name = QStringLiteral("sys_Usuario"); }
void TUsuario::GetCaption(QString& Caption) { Caption = QStringLiteral("Usuário"); }

void TUsuario::DefineFields() {
    AddFields({{idxIdUsuario, faNenhuma, "IdUsuario", true, false, ftSmallint, 0, 0},
               {idxNome, faNenhuma, "Nome", false, false, ftString, 25, 0},
               {idxDataCriacao, faNenhuma, "Data_Criacao", false, false, ftDateTime, 0, 0},
               {idxSenha, faNenhuma, "Senha", false, false, ftString, 50, 0},
               {idxAtivo, faNenhuma, "Ativo", false, false, ftBoolean, 0, 0}});
}

void TUsuario::DoBeforePost() {
    TField* Nome = BoundDataSet() ? BoundDataSet()->FindField("Nome") : nullptr;
    auto IsDbo = [](const QString& Name) { return Name.trimmed().compare(kDbo, Qt::CaseInsensitive) == 0; };
    if (!Nome || !IsDbo(Nome->AsString())) return;
    // A row that already holds the name (made outside the framework) may still be edited.
    if (StateAtPost() == dsEdit && IsDbo(SavedFieldValue("Nome").toString())) return;
    throw controls::EDesktopError(QString(kReservedUserName).arg(Nome->AsString().trimmed()),
                                      kReservedUserNameHint);
}

TEmpresaSistema::TEmpresaSistema(QObject* AOwner) : TClasseTabela(AOwner) { SetCheckPermissions(false); }
void TEmpresaSistema::GetTableName(QString& Name) { Name = QStringLiteral("sys_Empresa_Sistema"); }
void TEmpresaSistema::GetCaption(QString& Caption) { Caption = QStringLiteral("Empresa do sistema"); }

void TEmpresaSistema::DefineFields() {
    AddFields({{idxIdEmpresaSistema, faNenhuma, "IdEmpresa_Sistema", true, false, ftSmallint, 0, 0},
               {idxNome, faNenhuma, "Nome", false, false, ftString, 50, 0},
               {idxAtivo, faNenhuma, "Ativo", false, false, ftBoolean, 0, 0}});
}

TSenhaControle::TSenhaControle(QObject* AOwner) : TClasseTabela(AOwner) { SetCheckPermissions(false); }
void TSenhaControle::GetTableName(QString& Name) { Name = QStringLiteral("sys_Senha_Controle"); }
void TSenhaControle::GetCaption(QString& Caption) { Caption = QStringLiteral("Senha de controle"); }

void TSenhaControle::DefineFields() {
    AddFields({{idxIdSenhaControle, faNenhuma, "IdSenha_Controle", true, false, ftSmallint, 0, 0},
               {idxNome, faNenhuma, "Nome", false, false, ftString, 25, 0},
               {idxSenha, faNenhuma, "Senha", false, false, ftString, 10, 0},
               {idxTipo, faNenhuma, "Tipo", false, false, ftWord, 0, 0}});
}

}  // namespace dataaccess
