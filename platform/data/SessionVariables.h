#pragma once
// The session's global variables: one value per name and connection, kept in
// the session table #Global_Var; names ignore case. The first users of named
// operations: creating the table (only when missing, so opening the store
// again works), setting and reading one variable.
#include <QVariant>
#include <memory>
#include <vector>

#include "platform/data/NamedOperation.h"

namespace platform::data {

// The T-SQL batch that creates the session variable table and reads it.
extern const char* const SessionVariablesBatch;

std::vector<std::unique_ptr<TNamedOperation>> SessionVariableOperations();

// Creates the table when missing; answers its rows (Variavel, Valor).
TOperationResult CreateSessionVariables(TADOConnection& Connection);
// EDatabaseError for a name that is empty after trimming.
void SetSessionVariable(TADOConnection& Connection, const QString& Name, const QVariant& Value);
// Unassigned when the name is missing.
QVariant GetSessionVariable(TADOConnection& Connection, const QString& Name);

}  // namespace platform::data
