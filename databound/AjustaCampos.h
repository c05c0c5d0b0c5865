#pragma once
// The field adjustment, a design aid: it names a division's field components
// after the table alias, aligns them, gives decimal fields their formats,
// hides binary ones, labels fields from the development team's word
// dictionary ("Dicionário.txt" in the folder RECURSOS_DESENV names), fills
// empty origins and configures key and reference fields, then shows what it
// changed. A missing folder or dictionary raises; a division not ready for it
// is told in an information box and answers false.
#include <QString>
#include <QStringList>

namespace databound {

class TVexDBDivisao;

inline constexpr const char* kDictionaryFile = "Dicionário.txt";
inline constexpr const char* kDictionaryMissing =
    "O arquivo de dicionário '%1' não foi encontrado para renomeação das palavras.";
inline constexpr const char* kAdjustNoDataSet = "É preciso ajustar a propriedade 'DataSource' ou 'DataSource.DataSet'.";
inline constexpr const char* kAdjustNoFields = "Não existe nenhum campo no dataset para ajustar.";
inline constexpr const char* kAdjustNoTabela = "É preciso ajustar a propriedade 'Tabela'.";
inline constexpr const char* kAdjustNoPrefixo = "É preciso ajustar a propriedade 'Prefixo'.";
inline constexpr const char* kAdjustedFields = "Campos ajustados no DataSet:\r\n\r\n%1";
inline constexpr const char* kNothingAdjusted = "Nenhum campo foi ajustado.";

// The label of a field name: "IdCliente" gives "Id. cliente", "Nome_Fantasia" "Nome fantasia". Each dictionary
// line (word=replacement) replaces the first occurrence of its word.
QString DictionaryLabel(const QString& FieldName, const QStringList& Dictionary);

// The lines of the dictionary file; raises when the folder or the file is missing.
QStringList LoadDictionary();

// Runs the adjustment on the division's dataset; true when it ran.
bool AdjustFields(TVexDBDivisao& Division);

}  // namespace databound
