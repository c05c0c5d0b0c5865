#pragma once
// The texts the data-aware controls show, in one table.
#include <QString>

namespace platform::ui {

inline const QString kSDeleteRecordQuestion = QStringLiteral("Excluir registro?");
inline const QString kSDeleteMultipleRecordsQuestion = QStringLiteral("Excluir todos os registros selecionados?");

// The navigator's hints, in the order of its buttons.
inline const QString kSFirstRecord = QStringLiteral("Primeiro registro");
inline const QString kSPriorRecord = QStringLiteral("Registro anterior");
inline const QString kSNextRecord = QStringLiteral("Próximo registro");
inline const QString kSLastRecord = QStringLiteral("Último registro");
inline const QString kSInsertRecord = QStringLiteral("Inserir registro");
inline const QString kSDeleteRecord = QStringLiteral("Excluir registro");
inline const QString kSEditRecord = QStringLiteral("Editar registro");
inline const QString kSPostEdit = QStringLiteral("Gravar alterações");
inline const QString kSCancelEdit = QStringLiteral("Cancelar alterações");
inline const QString kSRefreshRecord = QStringLiteral("Atualizar dados");

}  // namespace platform::ui
