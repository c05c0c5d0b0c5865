#pragma once
// Users and roles of a customer's database. Two roles exist: "Supervisor",
// allowed everything, and "Operador", who must give the supervisor's control
// password to delete a bill of lading. The first user of a database becomes
// a supervisor, every later one an operator; an administrator changes that
// with the framework's role tables. Database errors raise.
#include <QString>

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

inline constexpr const char* kPapelSupervisor = "Supervisor";
inline constexpr const char* kPapelOperador = "Operador";

// Creates the roles, the application's tables in the permission tables and the operators' levels, when missing.
void EnsureRoles(platform::data::TADOConnection& Connection);

// The user's IdUsuario, creating the user (and the membership) when missing.
int EnsureUser(platform::data::TADOConnection& Connection, const QString& UserName);

}  // namespace navitrex
