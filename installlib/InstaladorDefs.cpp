#include "InstaladorDefs.h"

namespace installlib {

namespace {

struct TResString {
    int Id;
    const char* Text;
};

constexpr TResString kStrings[] = {
    {SUninstConfirm, "Deseja realmente remover o Navitrex configurado para %s e todos os seus componentes?"},
    {SUninstDone, "O Navitrex configurado para %s foi removido do seu computador."},
    {SUninstNoCustomer, "Informe o cliente a ser removido: Uninst.exe \"NVOCC=<nome do cliente>\"."},
    {SUninstUnknownCustomer, "O Navitrex não está instalado para %s neste computador."},
    {SUninstLogMissing, "O arquivo de log da instalação '%s' não foi encontrado.\r\nO Navitrex não pode ser removido."},
    {SUninstLogUnreadable, "Não foi possível ler o arquivo de log da instalação '%s'.\r\n%s"},
    {SUninstLogForeign, "O arquivo '%s' não é um log de instalação do Navitrex para %s.\r\nNada foi removido."},
    {SUninstFailed, "Ocorreu algum erro no processo de desinstalação."},
    {SUninstDatabaseKept,
     "Os conhecimentos de embarque deste cliente foram mantidos no arquivo '%s'.\r\n"
     "Ao instalar o Navitrex novamente para este cliente, ele voltará a utilizá-los."},
    {SInvalidInstallFolder, "O diretório informado não é válido."},
    {SFinishCaption, "Concluir"},
    {SNextCaption, "&Avançar >"},
    {SSelectInstallFolder, "Selecione o diretório de instalação:"},
    {SFirstInstallation, "O Navitrex será instalado pela primeira vez neste computador."},
    {SPreviousInstallation, "O Navitrex já foi previamente instalado neste computador."},
    {SReviewFolder, "Local da instalação:\r\n%s"},
    {SReviewShortcuts, "Atalhos que serão configurados:\r\n- Desktop\r\n- Menu Programas\\Ostrevan\\Navitrex"},
    {SReviewCustomer, "Emissão de BL's para:\r\n\r\nNome:\t%s\r\nE-mail:\t%s\r\nSite:\t%s\r\nArquivo:\tData\\%s.nvo"},
    {SInterruptedInstallation,
     "Foi encontrada uma instalação do Navitrex que não chegou ao fim.\r\n"
     "As alterações que ela fez no seu computador serão desfeitas agora."},
    {SPackageUnreadable, "Não foi possível ler o pacote de configuração do cliente."},
    {SInvalidCustomer,
     "O pacote de configuração do cliente não pode ser instalado: o nome e o arquivo do cliente "
     "não podem estar vazios, terminar em ponto ou espaço, ser nomes reservados do sistema nem conter "
     "os caracteres \\ / : * ? \" < > |.\r\n\r\nNome:\t%s\r\nArquivo:\t%s"},
    {SConfirmCancel, "Tem certeza que deseja cancelar a instalação so Navitrex?"},
    {SRegistryUpdateFailed, "Não foi possível atualizar as chaves de registro."},
    {SLogHeader,
     "// Este é um arquivo de log para a instalação de %s\r\n"
     "// Não edite nem remova este arquivo para evitar\r\n"
     "// problemas na instalação do software posteriormente.\r\n"},
    {SCannotCreateFolder, "Não foi possível criar o diretório da instalação.\r\n%s"},
    {SErrorCode, "(Error code %d) %s"},
    {SInstallFileNotFound, "O arquivo de instalação '%s' não foi encontrado."},
    {SCannotWriteFile, "%s\r\n\r\nFeche todos os programas e clique no botão Retry."},
    {SOldVersionFound,
     "Foi detectado uma versão mais antiga do Navitrex instalada em seu computador.\r\n"
     "Para prosseguir é necessário que esta versão mais antiga seja desinstalada do sistema.\r\n\r\n"
     "Deseja realmente desinstalar a versão antiga e prosseguir com a instalação?"},
    {SInstallationFailed, "Ocorreu algum erro no processo de instalação."},
};

}  // namespace

std::string LoadResString(int Id) {
    for (const TResString& Entry : kStrings)
        if (Entry.Id == Id) return Entry.Text;
    return {};
}

}  // namespace installlib
