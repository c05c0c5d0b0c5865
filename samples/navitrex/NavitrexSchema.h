#pragma once
// The application's own tables beside the framework's: customers (shippers
// and consignees), vessels, ports, equipment, bills of lading with their
// container items, and the customer's settings carried from the package.
// Keys and references follow Id<Table>[_<role>] so the field rules of the
// divisions recognise them. CreateNavitrexSchema creates what is missing and
// never drops or alters anything, so it runs at every start.
#include <QStringList>

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

inline constexpr const char* kTabelaCliente = "Cliente";
inline constexpr const char* kTabelaNavio = "Navio";
inline constexpr const char* kTabelaPorto = "Porto";
inline constexpr const char* kTabelaEquipamento = "Equipamento";
inline constexpr const char* kTabelaConhecimento = "Conhecimento";
inline constexpr const char* kTabelaItem = "Conhecimento_Item";
inline constexpr const char* kTabelaConfiguracao = "Navitrex_Configuracao";

// Bill states, as stored in Conhecimento.Situacao.
inline constexpr int kSituacaoAberto = 0;
inline constexpr int kSituacaoEmitido = 1;
inline constexpr int kSituacaoCancelado = 2;

// The application's tables in creation order (referenced tables first).
QStringList NavitrexTables();

// Creates the missing tables and indexes; answers how many tables it created.
int CreateNavitrexSchema(platform::data::TADOConnection& Connection);

}  // namespace navitrex
