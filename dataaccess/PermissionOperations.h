#pragma once
// The database side of roles, permissions and control passwords: four named
// operations whose T-SQL batches go to SQL Server as written and whose native
// versions run on SQLite and PostgreSQL. Superiors are followed until no new
// role appears, so cycles of roles end. Names and passwords are compared
// whole, ignoring case: no character of them acts as a wildcard. Consuming a
// single-use or renewed password is one conditional change, so of two
// sessions giving it at once only one succeeds. Server errors propagate.
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "platform/data/NamedOperation.h"

namespace dataaccess {

inline constexpr const char* kRoleOperation = "IsInRole";
inline constexpr const char* kPermissionOperation = "LoadTablePermissions";
inline constexpr const char* kPickPasswordOperation = "PickControlPassword";
inline constexpr const char* kValidatePasswordOperation = "ValidateControlPassword";

// New instances of the four operations; RegisterPermissionOperations adds them once.
std::vector<std::unique_ptr<platform::data::TNamedOperation>> PermissionOperations();
void RegisterPermissionOperations();

// Whether the user (or, with no user of that name, the role) inherits the role ParentRole.
bool RunRoleQuery(platform::data::TADOConnection& Connection, const QString& UserName, const QString& RoleName,
                  const QString& ParentRole);

// The highest level per action over the roles, for the named tables that have permission rows.
struct TTableLevels {
    QString TableName;
    std::array<int, 5> Levels{};  // by TPermissionAction
};
std::vector<TTableLevels> RunPermissionQuery(platform::data::TADOConnection& Connection, int IdUsuario, int IdPapel,
                                             bool Recursive, const QStringList& Tables);
// The Parametros document of the permission batch: Tabelas with one Item per name.
QString PermissionParameters(const QStringList& Tables);

// The password the dialog asks for; Id 0 when only administrator passwords exist.
struct TRequestedPassword {
    int Id = 0;
    QString Name;
};
TRequestedPassword PickControlPassword(platform::data::TADOConnection& Connection);

struct TPasswordValidation {
    int IdSenhaControle = 0;
    QString Senha;
    int IdUsuario = 0;
    QString Descricao;
    QString Referencia;
    QString Motivo;
};
// True when the password opens the requested row or is an administrator password; consumes a single-use or
// renewed password and writes the log row.
bool ValidateControlPassword(platform::data::TADOConnection& Connection, const TPasswordValidation& Validation);

// The native validation in its two steps, apart so that two sessions can interleave them.
struct TPasswordMatch {
    int Id = 0;  // 0: no row matched
    int Tipo = 0;
    QString Stored;
};
TPasswordMatch FindControlPassword(platform::data::TADOConnection& Connection, int IdSenhaControle,
                                   const QString& Senha);
// Kind 2 gets NewDigits (cut to the stored length), kind 3 is deleted; false when the row changed meanwhile.
bool ConsumeControlPassword(platform::data::TADOConnection& Connection, const TPasswordMatch& Match,
                            const QString& NewDigits);
// Digits from the system's secure generator.
QString RandomDigits(int Count);

}  // namespace dataaccess
