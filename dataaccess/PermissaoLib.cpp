#include "dataaccess/PermissaoLib.h"

#include <QHash>
#include <optional>

#include "controls/VexMessage.h"
#include "dataaccess/PermissionOperations.h"
#include "dataaccess/SenhaControleDialog.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSession.h"

namespace dataaccess {

using platform::data::TADOConnection;

namespace {

constexpr const char* kNoCurrentUser = "Não há um usuário conectado nesta sessão.";
constexpr const char* kDbo = "dbo";

struct TActionWords {
    const char* Name;
    const char* Verb;
    const char* Preposition;
};
const TActionWords kActionWords[kPermissionActionCount] = {{"Visualizar", "visualizar", "da"},
                                                           {"Inserir", "inserir", "na"},
                                                           {"Atualizar", "alterar", "da"},
                                                           {"Excluir", "excluir", "da"},
                                                           {"Imprimir", "imprimir", "da"}};

// Levels by folded table name, for the whole session.
QHash<QString, TPermissaoObjeto>& Cache() {
    static QHash<QString, TPermissaoObjeto> Objects;
    return Objects;
}

QString CacheKey(const QString& TableName) { return TableName.toUpper(); }

bool IsDbo(const QString& UserName) { return UserName.compare(kDbo, Qt::CaseInsensitive) == 0; }

// The given name, else the session's current user; a session without one cannot be checked.
QString UserOrCurrent(const QString& UserName) {
    const QString Name = UserName.isEmpty() && Host() ? Host()->CurrentUserName() : UserName;
    if (Name.trimmed().isEmpty()) throw controls::EDesktopError(kNoCurrentUser, QString());
    return Name;
}

// "dbo", or a member of the role; for the broader roles also an administrator.
bool MemberOf(const QString& UserName, const char* Role, TADOConnection* Connection, bool OrAdmin) {
    const QString Name = UserOrCurrent(UserName);
    if (IsDbo(Name) || IsInRole(Name, QString(), Role, Connection)) return true;
    return OrAdmin && IsAdmin(Name, Connection);
}

}  // namespace

QString PermissionActionName(TPermissionAction Action) { return kActionWords[Action].Name; }

bool IsInRole(const QString& UserName, const QString& RoleName, const QString& ParentRole, TADOConnection* Connection) {
    return RunRoleQuery(SessionConnection(Connection), UserName, RoleName, ParentRole);
}

bool IsAdmin(const QString& UserName, TADOConnection* Connection) {
    return MemberOf(UserName, "vx_admin", Connection, false);
}

bool IsUser(const QString& UserName, TADOConnection* Connection) {
    return MemberOf(UserName, "vx_user", Connection, true);
}

bool IsDataModerator(const QString& UserName, TADOConnection* Connection) {
    return MemberOf(UserName, "vx_datamoderator", Connection, true);
}

const std::vector<TPapelSistema>& SystemRoles() {
    static const std::vector<TPapelSistema> Roles = {
        {"vx_user", IsUser}, {"vx_admin", IsAdmin}, {"vx_datamoderator", IsDataModerator}};
    return Roles;
}

TListaPermissaoObjeto::TListaPermissaoObjeto(int IdUsuario, TADOConnection* Connection, int IdPapel)
    : FConnection(Connection), FIdPapel(IdPapel), FIdUsuario(IdUsuario) {}

void TListaPermissaoObjeto::Add(const TPermissaoObjeto& Object) { FItems.push_back(Object); }

void TListaPermissaoObjeto::Load() {
    QStringList Wanted;
    for (TPermissaoObjeto& Object : FItems) {
        const auto Cached = FUseCache ? Cache().constFind(CacheKey(Object.TableName)) : Cache().constEnd();
        if (Cached != Cache().constEnd()) {
            Object.Levels = Cached->Levels;
        } else if (!Wanted.contains(Object.TableName, Qt::CaseInsensitive)) {
            Wanted << Object.TableName;
        }
    }
    if (Wanted.isEmpty()) return;
    const auto Rows = RunPermissionQuery(SessionConnection(FConnection), FIdUsuario, FIdPapel, FRecursive, Wanted);
    // Every object of a table takes its levels: a repeated name must not put zeros into the cache.
    for (const TTableLevels& Row : Rows)
        for (TPermissaoObjeto& Object : FItems)
            if (Object.TableName.compare(Row.TableName, Qt::CaseInsensitive) == 0)
                for (int Action = 0; Action < kPermissionActionCount; ++Action)
                    Object.Levels[Action] = static_cast<uint8_t>(Row.Levels[Action]);
    if (!FUseCache) return;
    for (const TPermissaoObjeto& Object : FItems) Cache().insert(CacheKey(Object.TableName), Object);
}

void ClearPermissionCache() { Cache().clear(); }

TPermissaoClasse::TPermissaoClasse(const QString& TableName, TADOConnection* Connection)
    : FTableName(TableName), FConnection(Connection) {}

void TPermissaoClasse::Load() {
    FLevels.fill(kLevelAllowed);
    const int IdUsuario = CurrentUserId();
    // Without a user every table would look allowed; "dbo" may have no row of its own.
    if (IdUsuario == 0 && !IsDbo(UserOrCurrent(QString()))) throw controls::EDesktopError(kNoCurrentUser, QString());
    TListaPermissaoObjeto List(IdUsuario, FConnection, 0);
    TPermissaoObjeto Object;
    Object.TableName = FTableName;
    List.Add(Object);
    List.Load();
    std::optional<bool> Admin;
    for (int Action = 0; Action < kPermissionActionCount; ++Action) {
        FLevels[Action] = List.Items(0).Levels[Action];
        if (FLevels[Action] != kLevelDenied) continue;
        if (!Admin) Admin = IsAdmin(QString(), FConnection);
        if (*Admin) FLevels[Action] = kLevelAllowed;
    }
    FLoaded = true;
}

int TPermissaoClasse::Level(TPermissionAction Action) const { return FLevels.at(Action); }

void CheckPermission(IPermissionTable& Table, TPermissaoClasse& Permissions, TPermissionAction Action) {
    if (!Permissions.Loaded()) Permissions.Load();
    const int Level = Permissions.Level(Action);
    const TActionWords& Words = kActionWords[Action];
    if (Level == kLevelDenied) {
        if (ControlPasswordState().SuppressCount > 0) return;
        QString Caption;
        Table.GetCaption(Caption);
        throw controls::EDesktopError(QString(kDeniedMessage).arg(Words.Verb, Words.Preposition, Caption),
                                      kDeniedHint);
    }
    QString Operation;
    bool Needed = Level == kLevelControlPassword;
    if (Action != paInserir) {
        Needed = Table.MonitorValidate(1, Action, Operation) || Table.RequiresControlPassword(Action, Operation) ||
                 Table.MonitorValidate(2, Action, Operation) || Needed;
    }
    if (!Needed) return;
    if (!Operation.isEmpty()) {
        Operation.replace("%s", QString(Words.Name).toLower());
    } else {
        QString Caption;
        Table.GetCaption(Caption);
        Operation = QString(Words.Name) + ' ' + Caption.toLower();
    }
    Table.SetLastAction(Action);
    const auto Describe = [&Table](QString& Descricao, QString&) { Table.GetOperationDescription(Descricao); };
    if (!RequestControlPassword(Operation, false, Table.Connection(), Table.GetMinReasonLength(Action), Describe,
                                &Table))
        throw ESenhaControle();
}

bool RequestControlPassword(const QString& Operation, bool Force, TADOConnection* Connection, int MinReasonLength,
                            const TDescribeOperation& Describe, IPermissionTable*) {
    TControlPasswordState& State = ControlPasswordState();
    const bool Ask = Force || (State.SuppressCount == 0 && (State.ScopeCount == 0 || !State.ScopeAuthorised));
    if (!Ask) return true;
    TfrmSenhaControle Dialog(SessionConnection(Connection), MinReasonLength, Describe);
    Dialog.SetOperation(Operation);
    if (Dialog.ShowModal() != platform::ui::mrOk) return false;
    // Only a password actually given authorises the rest of the scope.
    State.ScopeAuthorised = State.ScopeCount > 0;
    State.LastReason = Dialog.Reason();
    return true;
}

void BeginSuppress() { ++ControlPasswordState().SuppressCount; }

void EndSuppress() {
    int& Count = ControlPasswordState().SuppressCount;
    if (Count > 0) --Count;
}

void OpenScope() {
    TControlPasswordState& State = ControlPasswordState();
    if (State.ScopeCount++ == 0) State.ScopeAuthorised = false;
}

void CloseScope() {
    TControlPasswordState& State = ControlPasswordState();
    if (State.ScopeCount == 0) return;
    if (--State.ScopeCount == 0) State.ScopeAuthorised = false;
}

}  // namespace dataaccess
