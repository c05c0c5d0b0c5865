#include "samples/navitrex/NavitrexCadastros.h"

#include "dataaccess/VexClasse.h"
#include "databound/CamposDivisao.h"
#include "databound/VexDivisao.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTables.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::data;

namespace {

struct TCadastroDef {
    const char* Nome;
    const char* Caption;
    TDefinicaoDivisao Definicao;
    int Limite;
    const char* CaptionTabela;
};

// The table class of a lookup: the columns its division writes.
dataaccess::TClasseTabela* CreateTable(const TCadastroDef& D) {
    std::vector<dataaccess::TCampoTabela> Campos;
    for (const TColuna& Coluna : D.Definicao.Colunas)
        if (Coluna.Gravavel)
            Campos.push_back({static_cast<int>(Campos.size()), dataaccess::faNenhuma, Coluna.Nome, Coluna.Chave, false,
                              Coluna.Tipo, Coluna.Tamanho, 0});
    auto* Table = new TTabelaCadastro(D.Definicao.Tabela, D.CaptionTabela, std::move(Campos));
    Table->SetValidatesFields(dataaccess::TValidateFieldProbe<TTabelaCadastro>::Overridden);
    Table->AfterConstruction();
    return Table;
}

const TCadastroDef& Def(TCadastro Cadastro) {
    static const TCadastroDef kDefs[] = {
        {"Clientes", kCaptionClientes,
         {"Cliente", kCaptionClientes, kTabelaCliente,
          "Select IdCliente, Nome, Documento, Cidade, Embarcador, Consignatario From Cliente",
          {{"IdCliente", ftInteger, 0, "Cliente.IdCliente", "", true, true},
           {"Nome", ftString, 60, "Cliente.Nome", kCaptionNome},
           {"Documento", ftString, 20, "Cliente.Documento", kCaptionDocumento},
           {"Cidade", ftString, 40, "Cliente.Cidade", kCaptionCidade},
           {"Embarcador", ftBoolean, 0, "Cliente.Embarcador", kCaptionEmbarcador},
           {"Consignatario", ftBoolean, 0, "Cliente.Consignatario", kCaptionConsignatario}},
          "Nome"},
         kLimiteClientes, kCaptionCliente},
        {"Navios", kCaptionNavios,
         {"Navio", kCaptionNavios, kTabelaNavio, "Select IdNavio, Codigo, Nome From Navio",
          {{"IdNavio", ftInteger, 0, "Navio.IdNavio", "", true, true},
           {"Codigo", ftString, 20, "Navio.Codigo", kCaptionCodigo},
           {"Nome", ftString, 60, "Navio.Nome", kCaptionNome}},
          "Nome"},
         -1, kCaptionNavio},
        {"Portos", kCaptionPortos,
         {"Porto", kCaptionPortos, kTabelaPorto, "Select IdPorto, Codigo, Nome, Embarque, Descarga From Porto",
          {{"IdPorto", ftInteger, 0, "Porto.IdPorto", "", true, true},
           {"Codigo", ftString, 10, "Porto.Codigo", kCaptionCodigo},
           {"Nome", ftString, 60, "Porto.Nome", kCaptionNome},
           {"Embarque", ftBoolean, 0, "Porto.Embarque", kCaptionEmbarque},
           {"Descarga", ftBoolean, 0, "Porto.Descarga", kCaptionDescarga}},
          "Nome"},
         -1, kCaptionPorto},
        {"Equipamentos", kCaptionEquipamentos,
         {"Equipamento", kCaptionEquipamentos, kTabelaEquipamento,
          "Select IdEquipamento, Codigo, Nome From Equipamento",
          {{"IdEquipamento", ftInteger, 0, "Equipamento.IdEquipamento", "", true, true},
           {"Codigo", ftString, 10, "Equipamento.Codigo", kCaptionCodigo},
           {"Nome", ftString, 60, "Equipamento.Nome", kCaptionNome}},
          "Codigo"},
         -1, kCaptionEquipamento},
    };
    return kDefs[Cadastro];
}

}  // namespace

TFrameDivisao* CreateCadastro(TCadastro Cadastro, QWidget* Parent) {
    const TCadastroDef& D = Def(Cadastro);
    auto* Frame = new TFrameDivisao(D.Definicao, CreateTable(D), Parent);
    Frame->Divisao->RecordLimit = D.Limite;
    // A row needs its name: the division's field rules tell the user.
    databound::TConfigCampo* Nome = Frame->Divisao->Campos().Config().Add();
    Nome->SetField(Frame->Field("Nome"));
    Nome->Valor().SetObrigatorio(true);
    Frame->Loaded();
    return Frame;
}

QString NomeCadastro(TCadastro Cadastro) { return Def(Cadastro).Nome; }

TModuloCadastro::TModuloCadastro(TCadastro Cadastro, QObject* Parent) : QObject(Parent), FCadastro(Cadastro) {
    setObjectName(NomeCadastro(Cadastro));
}

QObject* TModuloCadastro::ProvideDivision(QObject* Owner) {
    TFrameDivisao* Frame = CreateCadastro(FCadastro, qobject_cast<QWidget*>(Owner));
    Frame->hide();
    Frame->Divisao->ComboModoAbertoComoPadrao = Def(FCadastro).Limite < 0;
    return Frame->Divisao;
}
QString CaptionCadastro(TCadastro Cadastro) { return Def(Cadastro).Caption; }
QString TabelaCadastro(TCadastro Cadastro) { return Def(Cadastro).Definicao.Tabela; }
QString ChaveCadastro(TCadastro Cadastro) { return Def(Cadastro).Definicao.Colunas.front().Nome; }

void ConfigurarReferencia(TFrameDivisao& Frame, const QString& Chave, const QString& Nome, TCadastro Cadastro,
                          bool Obrigatorio, const QString& Papel) {
    databound::TConfigCampos& Config = Frame.Divisao->Campos().Config();
    platform::data::TField* Key = Frame.Field(Chave);
    databound::TConfigCampo* Search = Config.Add();
    Search->SetField(Key);
    Search->SetTipos(databound::tfSearch);
    Search->SearchField().SetDivisao(NomeCadastro(Cadastro));
    Search->SearchField().SetTabela(TabelaCadastro(Cadastro));
    Search->SearchField().SetFieldName(ChaveCadastro(Cadastro));
    Search->Valor().SetObrigatorio(Obrigatorio);
    // [Papel] stands for the lookup's column in the search combo's condition.
    if (!Papel.isEmpty()) Search->SearchField().MasterFilter().SetWhere(QString("[%1] = 1").arg(Papel));
    databound::TConfigCampo* Join = Config.Add();
    Join->SetField(Frame.Field(Nome));
    Join->SetTipos(databound::tfJoin);
    Join->JoinField().SetSearchField(Key);
    // The lookup's rows are known by the column they are ordered by.
    Join->JoinField().SetResultField(Def(Cadastro).Definicao.Ordem);
}

}  // namespace navitrex
