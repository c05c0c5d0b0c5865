#include "dataaccess/NumberingHook.h"

#include <utility>

#include "controls/VexMessage.h"

namespace dataaccess {

namespace {

// Inside functions: the upper layer registers from its own static initialisers.
TNumberingService& NumberingService() {
    static TNumberingService Service;
    return Service;
}

TNumberingDialog& NumberingDialog() {
    static TNumberingDialog Dialog;
    return Dialog;
}

}  // namespace

TNumberingService SetNumberingService(TNumberingService Service) {
    return std::exchange(NumberingService(), std::move(Service));
}

TNumberingDialog SetNumberingDialog(TNumberingDialog Dialog) {
    return std::exchange(NumberingDialog(), std::move(Dialog));
}

QString GerarNumeracao(const QString& Chave, const QString& Campo, int IdEmpresa, int Opcao_Zeramento,
                       int Quantidade_Digitos, const QString& Mascara, bool Automatica,
                       platform::data::TADOConnection* Connection, const QDateTime& Data) {
    if (!NumberingService()) throw controls::EDesktopError(kNoNumberingService, Chave + "." + Campo);
    return NumberingService()(Chave, Campo, IdEmpresa, Opcao_Zeramento, Quantidade_Digitos, Mascara, Automatica,
                             Connection, Data);
}

void ConfigurarNumeracao(const QString& Chave, const std::vector<TNumberedField>& Fields) {
    if (!NumberingDialog()) throw controls::EDesktopError(kNoNumberingDialog, Chave);
    NumberingDialog()(Chave, Fields);
}

}  // namespace dataaccess
