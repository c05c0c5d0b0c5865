#pragma once
// The framework's own tables as table classes: users, companies and control
// passwords. They check no permissions (the permission checks read them).
// A user named "dbo" (ignoring case and blanks around it) would pass every role
// check, so the user table refuses to write one with kReservedUserName and
// nothing reaches the database.
#include "dataaccess/VexClasse.h"

namespace dataaccess {

inline constexpr const char* kReservedUserName = "O nome de usuário '%1' é reservado e não pode ser usado.";
inline constexpr const char* kReservedUserNameHint = "Escolha outro nome para o usuário.";

class TUsuario : public TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdUsuario, idxNome, idxDataCriacao, idxSenha, idxAtivo };
    explicit TUsuario(QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

protected:
    void DefineFields() override;
    void DoBeforePost() override;
};

class TEmpresaSistema : public TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdEmpresaSistema = 0, idxNome = 1, idxAtivo = 3 };
    explicit TEmpresaSistema(QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

protected:
    void DefineFields() override;
};

class TSenhaControle : public TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdSenhaControle, idxNome, idxSenha, idxTipo };
    explicit TSenhaControle(QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

protected:
    void DefineFields() override;
};

}  // namespace dataaccess
