#pragma once
// The stand-in application's texts.

namespace navitrex {

inline constexpr const char* kCaption = "Navitrex";
inline constexpr const char* kHeading = "Emissão de BL's para:";
inline constexpr const char* kNameLabel = "Nome:";
inline constexpr const char* kEmailLabel = "E-mail:";
inline constexpr const char* kSiteLabel = "Site:";
inline constexpr const char* kFileLabel = "Arquivo:";
inline constexpr const char* kNoCustomer =
    "O Navitrex deve ser iniciado pelo atalho do cliente (\"NVOCC=<nome do cliente>\").";
inline constexpr const char* kPackageMissing = "O pacote de configuração do cliente %s não foi encontrado em '%s'.";
inline constexpr const char* kPackageUnreadable = "Não foi possível ler o pacote de configuração '%s'.\r\n%s";
inline constexpr const char* kNomeArquivoInvalido = "O nome de arquivo '%s' do pacote do cliente não é válido.";

// Reference lists of the customer package.
inline constexpr const char* kListaCorrompida =
    "A lista '%1' do pacote do cliente está corrompida e não foi importada: %2";
inline constexpr const char* kListaLinha = "linha %1, %2.";
inline constexpr const char* kListaCaracterInvalido = "caractere inválido";
inline constexpr const char* kListaSeparadores = "mais de um ';' na linha";
inline constexpr const char* kListaSemCodigo = "código vazio";
inline constexpr const char* kListaSemNome = "nome vazio";
inline constexpr const char* kListaCodigoLongo = "código com mais de %1 caracteres";
inline constexpr const char* kListaNomeLongo = "nome com mais de %1 caracteres";
inline constexpr const char* kListaRepetida = "item repetido";

// Tables, fields and checks.
inline constexpr const char* kCaptionCliente = "Cliente";
inline constexpr const char* kCaptionClientes = "Clientes";
inline constexpr const char* kCaptionNavio = "Navio";
inline constexpr const char* kCaptionNavios = "Navios";
inline constexpr const char* kCaptionPorto = "Porto";
inline constexpr const char* kCaptionPortos = "Portos";
inline constexpr const char* kCaptionEquipamento = "Equipamento";
inline constexpr const char* kCaptionEquipamentos = "Equipamentos";
inline constexpr const char* kCaptionConhecimento = "Conhecimento de embarque";
inline constexpr const char* kCaptionConhecimentos = "Conhecimentos de embarque";
inline constexpr const char* kCaptionItem = "Item do conhecimento";
inline constexpr const char* kCaptionItens = "Contêineres";
inline constexpr const char* kCaptionNome = "Nome";
inline constexpr const char* kCaptionCodigo = "Código";
inline constexpr const char* kCaptionDocumento = "CNPJ/CPF";
inline constexpr const char* kCaptionCidade = "Cidade";
inline constexpr const char* kCaptionNumero = "Número";
inline constexpr const char* kCaptionData = "Data";
inline constexpr const char* kCaptionEmbarcador = "Embarcador";
inline constexpr const char* kCaptionConsignatario = "Consignatário";
inline constexpr const char* kCaptionPortoEmbarque = "Porto de embarque";
inline constexpr const char* kCaptionPortoDescarga = "Porto de descarga";
inline constexpr const char* kCaptionFrete = "Frete";
inline constexpr const char* kCaptionSituacao = "Situação";
inline constexpr const char* kCaptionUsuario = "Usuário";
inline constexpr const char* kCaptionSequencia = "Item";
inline constexpr const char* kCaptionConteiner = "Contêiner";
inline constexpr const char* kCaptionLacre = "Lacre";
inline constexpr const char* kCaptionDescricao = "Descrição";
inline constexpr const char* kCaptionPeso = "Peso (kg)";
inline constexpr const char* kCaptionEmbarque = "Embarque";
inline constexpr const char* kCaptionDescarga = "Descarga";
inline constexpr const char* kFretePrepaid = "P";
inline constexpr const char* kFreteCollect = "C";
inline constexpr const char* kCaptionPrepaid = "Prepaid";
inline constexpr const char* kCaptionCollect = "Collect";
inline constexpr const char* kCaptionAberto = "Aberto";
inline constexpr const char* kCaptionEmitido = "Emitido";
inline constexpr const char* kCaptionCancelado = "Cancelado";
inline constexpr const char* kCaptionPeriodo = "Período";
inline constexpr const char* kCaptionMesAtual = "Mês atual";
inline constexpr const char* kConteinerInvalido = "O número do contêiner '%1' não é válido.";
inline constexpr const char* kOperacaoConhecimento = "Conhecimento de embarque %1";

// The main window, its menus and the search window.
inline constexpr const char* kCaptionOK = "OK";
inline constexpr const char* kCaptionCancelar = "Cancelar";
inline constexpr const char* kMenuCadastros = "Cadastros";
inline constexpr const char* kMenuMovimentacao = "Movimentação";
inline constexpr const char* kMenuFerramentas = "Ferramentas";
inline constexpr const char* kMenuNovoConhecimento = "Novo conhecimento";
inline constexpr const char* kMenuNovoItem = "Novo contêiner";
inline constexpr const char* kMenuGravar = "Gravar";
inline constexpr const char* kMenuDescartar = "Descartar alterações";
inline constexpr const char* kMenuExcluir = "Excluir conhecimento";
inline constexpr const char* kMenuNumeracao = "Numeração dos conhecimentos...";
inline constexpr const char* kModulo = "Navitrex";

}  // namespace navitrex
