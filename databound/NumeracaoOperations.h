#pragma once
// The two numbering programs as named operations: "NextIncrement" (the next
// value of a key counter, or a column's maximum plus 1) and "GerarNumeracao"
// (the next document number of a field with its mask, digits and date). SQL
// Server receives the batches; SQLite and PostgreSQL get statements with the
// same results. Every allocation is atomic: concurrent callers never share a
// number, a missing configuration or counter row is created once, and a
// failure leaves every counter as it was. Table and field names must be plain
// identifiers, or EDatabaseError is raised before anything runs.
#include <QString>

namespace databound {

// The batch texts, with the NextIncrement placeholders %0:s (field), %1:s
// (table), %2:d (1: maximum only) and %3:s (" Where ..." or empty).
extern const char* const kNextIncrementBatch;
extern const char* const kGerarNumeracaoBatch;

// Reset options.
inline constexpr int kZeramentoNunca = 0;
inline constexpr int kZeramentoDiario = 1;
inline constexpr int kZeramentoMensal = 2;
inline constexpr int kZeramentoAnual = 3;

inline constexpr const char* kNextIncrementOperation = "NextIncrement";
inline constexpr const char* kGerarNumeracaoOperation = "GerarNumeracao";

// Letters, digits and underscores, not starting with a digit.
bool IsPlainIdentifier(const QString& Name);

// Adds both operations to the registry; running it again changes nothing.
void RegisterNumeracaoOperations();

}  // namespace databound
