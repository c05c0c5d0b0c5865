#pragma once
// How the table classes reach the numbering service and its configuration
// dialog, which live in the data-bound layer above: that layer registers both
// at start. Calling one that nobody registered raises EDesktopError.
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

inline constexpr const char* kNoNumberingService =
    "O serviço de numeração não está disponível nesta aplicação.";
inline constexpr const char* kNoNumberingDialog =
    "A configuração de numeração não está disponível nesta aplicação.";

// The next document number of one field, formatted through its mask; empty
// when the field has no numbering. IdEmpresa 0: the current company; an
// invalid Data: the server's date; nullptr: the session's connection.
using TNumberingService = std::function<QString(
    const QString& Chave, const QString& Campo, int IdEmpresa, int Opcao_Zeramento, int Quantidade_Digitos,
    const QString& Mascara, bool Automatica, platform::data::TADOConnection* Connection, const QDateTime& Data)>;

// One numbered field of a table, with the defaults its numbering starts from.
struct TNumberedField {
    QString Campo;
    QString Caption;
    int Opcao_Zeramento = 0;
    int Quantidade_Digitos = 0;
    QString Mascara;
    bool Automatica = false;
};
// Edits the numbering of the fields of the table Chave.
using TNumberingDialog = std::function<void(const QString& Chave, const std::vector<TNumberedField>& Fields)>;

// Both answer the one registered before.
TNumberingService SetNumberingService(TNumberingService Service);
TNumberingDialog SetNumberingDialog(TNumberingDialog Dialog);

QString GerarNumeracao(const QString& Chave, const QString& Campo, int IdEmpresa, int Opcao_Zeramento,
                       int Quantidade_Digitos, const QString& Mascara, bool Automatica,
                       platform::data::TADOConnection* Connection = nullptr, const QDateTime& Data = QDateTime());
void ConfigurarNumeracao(const QString& Chave, const std::vector<TNumberedField>& Fields);

}  // namespace dataaccess
