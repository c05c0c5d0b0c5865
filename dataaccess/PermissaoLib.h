#pragma once
// Roles, table permissions and control passwords. A user's level for an
// action on a table is the highest level over every role the user inherits:
// 0 allowed, 1 allowed after a supervisor's control password, 2 denied.
// Administrators are never denied, and the user "dbo" passes every role
// check. Levels are cached by table name for the whole session. Database
// errors of the role and permission queries propagate to the caller; a denied
// action raises EDesktopError, a control password not given ESenhaControle
// (silent).
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os/Exceptions.h"

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

enum TPermissionAction { paVisualizar, paInserir, paAtualizar, paExcluir, paImprimir };
inline constexpr int kPermissionActionCount = 5;

// Levels of an action.
inline constexpr int kLevelAllowed = 0;
inline constexpr int kLevelControlPassword = 1;
inline constexpr int kLevelDenied = 2;

inline constexpr const char* kDeniedMessage = "Seu usuário não possui permissão para %1 registros %2 tabela '%3'.";
inline constexpr const char* kDeniedHint =
    "Contacte o usuário administrador do sistema para gerenciar as suas permissões de acesso.";
inline constexpr const char* kControlPasswordNotGiven = "A validação da senha de controle não foi efetuada.";

// "Visualizar", "Inserir", "Atualizar", "Excluir", "Imprimir".
QString PermissionActionName(TPermissionAction Action);

// A control password that was not given: the operation ends without another message.
class ESenhaControle : public platform::os::EAbort {
public:
    ESenhaControle() { SetMessage(kControlPasswordNotGiven); }
};

// What CheckPermission asks of the table it guards. TClasseTabela implements it with its own virtuals of the same
// names and signatures (so subclasses override them as usual).
class IPermissionTable {
public:
    virtual ~IPermissionTable() = default;
    virtual void GetCaption(QString& Caption) = 0;
    virtual bool MonitorValidate(int Kind, TPermissionAction Action, QString& Operation) = 0;
    virtual bool RequiresControlPassword(TPermissionAction Action, QString& Operation) = 0;
    virtual int GetMinReasonLength(TPermissionAction Action) = 0;
    virtual void GetOperationDescription(QString& Text) = 0;
    virtual void SetLastAction(TPermissionAction Action) = 0;
    virtual platform::data::TADOConnection* Connection() const = 0;  // nullptr: the session default
};

// Role checks. An empty user name means the session's current user; "dbo" (any case) passes IsAdmin, IsUser and
// IsDataModerator. Names are matched exactly, ignoring case.
bool IsInRole(const QString& UserName, const QString& RoleName, const QString& ParentRole,
              platform::data::TADOConnection* Connection = nullptr);
bool IsAdmin(const QString& UserName = QString(), platform::data::TADOConnection* Connection = nullptr);
bool IsUser(const QString& UserName = QString(), platform::data::TADOConnection* Connection = nullptr);
bool IsDataModerator(const QString& UserName = QString(), platform::data::TADOConnection* Connection = nullptr);

// The framework's own roles and the check that answers for each.
struct TPapelSistema {
    QString Name;
    std::function<bool(const QString& UserName, platform::data::TADOConnection* Connection)> Check;
};
const std::vector<TPapelSistema>& SystemRoles();

// One table's levels, indexed by TPermissionAction.
struct TPermissaoObjeto {
    int Tag = 0;
    QString TableName;
    std::array<uint8_t, kPermissionActionCount> Levels{};
};

// Loads the levels of several tables for a user (or, with IdUsuario 0, for a role) in one query; tables already
// in the session's cache are not asked again.
class TListaPermissaoObjeto {
public:
    TListaPermissaoObjeto(int IdUsuario, platform::data::TADOConnection* Connection, int IdPapel);

    void Add(const TPermissaoObjeto& Object);
    int Count() const { return static_cast<int>(FItems.size()); }
    TPermissaoObjeto& Items(int Index) { return FItems.at(Index); }
    bool Recursive() const { return FRecursive; }
    void SetRecursive(bool Value) { FRecursive = Value; }
    bool UseCache() const { return FUseCache; }
    void SetUseCache(bool Value) { FUseCache = Value; }

    // Tables without any permission row keep level 0 for every action.
    void Load();

private:
    platform::data::TADOConnection* FConnection;
    int FIdPapel;
    int FIdUsuario;
    std::vector<TPermissaoObjeto> FItems;
    bool FRecursive = true;
    bool FUseCache = true;
};

// Forgets every cached level: for a host that starts a new session in the same process.
void ClearPermissionCache();

// One table's levels for the current user; loads on first need, then keeps them.
class TPermissaoClasse {
public:
    TPermissaoClasse(const QString& TableName, platform::data::TADOConnection* Connection);
    void Load();
    bool Loaded() const { return FLoaded; }
    int Level(TPermissionAction Action) const;  // 0 allowed, 1 control password, 2 denied
    QString TableName() const { return FTableName; }
    platform::data::TADOConnection* Connection() const { return FConnection; }
    void SetConnection(platform::data::TADOConnection* Value) { FConnection = Value; }

private:
    QString FTableName;
    platform::data::TADOConnection* FConnection;
    std::array<int, kPermissionActionCount> FLevels{};
    bool FLoaded = false;
};

// The whole check of the table class's CheckPermission (loads the levels when not loaded yet).
void CheckPermission(IPermissionTable& Table, TPermissaoClasse& Permissions, TPermissionAction Action);

// Fills the log's Descricao and Referencia of a validated password.
using TDescribeOperation = std::function<void(QString& Descricao, QString& Referencia)>;

// Asks for a control password unless prompts are suppressed or the open scope is already authorised (Force asks
// anyway). True when the password was accepted or not asked for.
bool RequestControlPassword(const QString& Operation, bool Force, platform::data::TADOConnection* Connection,
                            int MinReasonLength, const TDescribeOperation& Describe, IPermissionTable* Table);

// Prompt suppression and scopes; neither count goes below 0.
void BeginSuppress();
void EndSuppress();
void OpenScope();
void CloseScope();

}  // namespace dataaccess
