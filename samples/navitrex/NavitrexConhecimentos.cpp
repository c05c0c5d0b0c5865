#include "samples/navitrex/NavitrexConhecimentos.h"

#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "dataaccess/VexClasse.h"
#include "dataaccess/VexSession.h"
#include "controls/VexMessage.h"
#include "databound/CamposDivisao.h"
#include "databound/DivisionFieldRules.h"
#include "databound/FiltroDivisao.h"
#include "databound/ValoresPossiveis.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBGrids.h"
#include "samples/navitrex/NavitrexCabecalho.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexMessages.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTables.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::data;
using databound::TFiltroDivisao;
using databound::TFiltroValue;

namespace {

TDefinicaoDivisao DefinicaoConhecimentos() {
    return {"Conhecimento",
            kCaptionConhecimentos,
            kTabelaConhecimento,
            "Select c.IdConhecimento, c.Numero, c.Data, c.IdCliente_Embarcador, e.Nome As Embarcador, "
            "c.IdCliente_Consignatario, g.Nome As Consignatario, c.IdNavio, n.Nome As Navio, c.IdPorto_Embarque, "
            "pe.Nome As Porto_Embarque, c.IdPorto_Descarga, pd.Nome As Porto_Descarga, c.Frete, c.Situacao, "
            "c.IdUsuario, u.Nome As Usuario From Conhecimento c "
            "Left Join Cliente e On e.IdCliente = c.IdCliente_Embarcador "
            "Left Join Cliente g On g.IdCliente = c.IdCliente_Consignatario "
            "Left Join Navio n On n.IdNavio = c.IdNavio "
            "Left Join Porto pe On pe.IdPorto = c.IdPorto_Embarque "
            "Left Join Porto pd On pd.IdPorto = c.IdPorto_Descarga "
            "Left Join sys_Usuario u On u.IdUsuario = c.IdUsuario",
            {{"IdConhecimento", ftInteger, 0, "c.IdConhecimento", "", true, true},
             {"Numero", ftString, 20, "c.Numero", kCaptionNumero},
             {"Data", ftDateTime, 0, "c.Data", kCaptionData},
             {"IdCliente_Embarcador", ftInteger, 0, "c.IdCliente_Embarcador"},
             {"Embarcador", ftString, 60, "e.Nome", kCaptionEmbarcador, false},
             {"IdCliente_Consignatario", ftInteger, 0, "c.IdCliente_Consignatario"},
             {"Consignatario", ftString, 60, "g.Nome", kCaptionConsignatario, false},
             {"IdNavio", ftInteger, 0, "c.IdNavio"},
             {"Navio", ftString, 60, "n.Nome", kCaptionNavio, false},
             {"IdPorto_Embarque", ftInteger, 0, "c.IdPorto_Embarque"},
             {"Porto_Embarque", ftString, 60, "pe.Nome", kCaptionPortoEmbarque, false},
             {"IdPorto_Descarga", ftInteger, 0, "c.IdPorto_Descarga"},
             {"Porto_Descarga", ftString, 60, "pd.Nome", kCaptionPortoDescarga, false},
             {"Frete", ftString, 1, "c.Frete", kCaptionFrete},
             {"Situacao", ftSmallint, 0, "c.Situacao", kCaptionSituacao},
             {"IdUsuario", ftSmallint, 0, "c.IdUsuario"},
             {"Usuario", ftString, 25, "u.Nome", kCaptionUsuario, false}},
            "Numero"};
}

TDefinicaoDivisao DefinicaoItens() {
    return {"Conhecimento_Item",
            kCaptionItens,
            kTabelaItem,
            "Select i.IdConhecimento_Item, i.IdConhecimento, i.Sequencia, i.IdEquipamento, q.Codigo As Equipamento, "
            "i.Conteiner, i.Lacre, i.Descricao, i.Peso From Conhecimento_Item i "
            "Left Join Equipamento q On q.IdEquipamento = i.IdEquipamento",
            {{"IdConhecimento_Item", ftInteger, 0, "i.IdConhecimento_Item", "", true, true},
             {"IdConhecimento", ftInteger, 0, "i.IdConhecimento"},
             {"Sequencia", ftInteger, 0, "i.Sequencia", kCaptionSequencia},
             {"IdEquipamento", ftInteger, 0, "i.IdEquipamento"},
             {"Equipamento", ftString, 10, "q.Codigo", kCaptionEquipamento, false},
             {"Conteiner", ftString, 11, "i.Conteiner", kCaptionConteiner},
             {"Lacre", ftString, 20, "i.Lacre", kCaptionLacre},
             {"Descricao", ftString, 200, "i.Descricao", kCaptionDescricao},
             {"Peso", ftFloat, 0, "i.Peso", kCaptionPeso}},
            "IdConhecimento;Sequencia"};
}

TFiltroDivisao* AddFiltro(TFrameDivisao& Frame, const QString& Campo, databound::TEstiloFiltro Estilo) {
    TFiltroDivisao* Filtro = Frame.Divisao->Filtros().Add();
    Filtro->SetField(Frame.Field(Campo));
    Filtro->SetEstilo(Estilo);
    return Filtro;
}

// The grid shows Texts for the stored Values of a column.
void ShowAs(TFrameDivisao& Frame, const QString& Campo, const QStringList& Values, const QStringList& Texts) {
    databound::TVexDBGridColumn* Column = Frame.Grid->Column(Frame.Grid->Columns().IndexOfField(Campo));
    Column->SetPickList(Values);
    Column->SetPickListEx(Texts);
}

void AddSituacao(TFiltroDivisao& Filtro, const char* Caption, int Situacao, bool Active) {
    TFiltroValue* Value = Filtro.Values().Add();
    Value->SetCaption(Caption);
    Value->SetValue(Situacao);
    Value->SetActive(Active);
}

// The items' field rules, and the check digit of the container number when the customer's rule asks for it.
class TRegrasItens : public databound::TDivisionFieldRules {
public:
    TRegrasItens(databound::TVexDBDivisao& Divisao, int Regra) : TDivisionFieldRules(Divisao), FRegra(Regra) {}

    void BeforePost(TDataSet& DataSet) override {
        TDivisionFieldRules::BeforePost(DataSet);
        if (FRegra < kRegraConteinerValido) return;
        const QString Number = DataSet.FieldByName("Conteiner")->AsString().trimmed().toUpper();
        if (!IsValidContainerNumber(Number))
            throw controls::EDesktopError(QString(kConteinerInvalido).arg(Number), "");
    }

private:
    int FRegra;
};

void AddAcao(platform::ui::TActionList& Lista, const char* Nome, const char* Caption, QKeyCombination Tecla,
             std::function<void()> Acao) {
    platform::ui::TAction* Action = Lista.Add(Nome);
    Action->SetCaption(Caption);
    Action->SetShortCut(QKeySequence(Tecla));
    Action->OnExecute = [Acao = std::move(Acao)](QObject*) { Acao(); };
}

}  // namespace

TfrmConhecimentos::TfrmConhecimentos(const TRegrasEquipamento& Regras, QWidget* Parent)
    : QWidget(Parent), FConhecimento(dataaccess::CreateClasseTabela<TConhecimento>()),
      FItem(dataaccess::CreateClasseTabela<TConhecimentoItem>()) {
    setObjectName("frmConhecimentos");
    Conhecimentos = new TFrameDivisao(DefinicaoConhecimentos(), FConhecimento, this);
    Itens = new TFrameDivisao(DefinicaoItens(), FItem, this);
    // Both are written by Gravar, together.
    FConhecimento->SetManualApply(true);
    FItem->SetManualApply(true);
    FItem->Conhecimento = [this] { return Conhecimentos->Field("IdConhecimento")->Value(); };

    ShowAs(*Conhecimentos, "Frete", {kFretePrepaid, kFreteCollect}, {kCaptionPrepaid, kCaptionCollect});
    ShowAs(*Conhecimentos, "Situacao",
           {QString::number(kSituacaoAberto), QString::number(kSituacaoEmitido), QString::number(kSituacaoCancelado)},
           {kCaptionAberto, kCaptionEmitido, kCaptionCancelado});

    databound::TVexDBDivisao& Master = *Conhecimentos->Divisao;
    Cabecalho = new TCabecalhoConhecimento(*Conhecimentos, this);
    Master.RecordLimit = kLimiteConhecimentos;
    // Names shown from the lookups follow their changes.
    Master.TabelasRefresh = {kTabelaCliente, kTabelaNavio, kTabelaPorto};
    FiltroPeriodo = AddFiltro(*Conhecimentos, "Data", databound::efPeriodo);
    TFiltroValue& MesAtual = *FiltroPeriodo->Values().Add();
    MesAtual.SetCaption(kCaptionMesAtual);
    MesAtual.SetOperator(databound::foBetween);
    MesAtual.DataInicial().Calcs().Add()->SetCalc(dataaccess::pcFirstDayMonth);
    MesAtual.DataFinal().Calcs().Add()->SetCalc(dataaccess::pcLastDayMonth);
    FiltroSituacao = AddFiltro(*Conhecimentos, "Situacao", databound::efCheck);
    FiltroSituacao->SetLogicaValues(databound::tlOr);
    AddSituacao(*FiltroSituacao, kCaptionAberto, kSituacaoAberto, true);
    AddSituacao(*FiltroSituacao, kCaptionEmitido, kSituacaoEmitido, true);
    AddSituacao(*FiltroSituacao, kCaptionCancelado, kSituacaoCancelado, false);
    FiltroUsuario = AddFiltro(*Conhecimentos, "Usuario", databound::efCheck);
    TFiltroValue& Logado = *FiltroUsuario->Values().Add();
    Logado.SetCaption(databound::kUsuarioLogadoCaption);
    Logado.SetIdentificacao(databound::kUsuarioLogadoId);
    FiltroUsuario->SetActive(false);

    // A bill's items go before the bill itself, in the same apply.
    Conhecimentos->Provider->BeforeUpdateRecord = [this](QObject*, TDataSet*, TClientDataSet* Delta, TUpdateKind Kind,
                                                         bool&) {
        if (Kind != ukDelete) return;
        TParameters Params;
        Params.CreateParameter("Id", ftInteger, Delta->FieldByName("IdConhecimento")->Value());
        dataaccess::SessionConnection().Execute("Delete From Conhecimento_Item Where IdConhecimento = :Id", &Params);
    };
    Conhecimentos->Loaded();

    Itens->Divisao->SetMaster(&Master);
    Itens->Divisao->MasterFields = "IdConhecimento";
    Itens->Divisao->DetailFields = "IdConhecimento";
    Itens->Client->SetMasterSource(Conhecimentos->Source);
    Itens->Client->SetMasterFields("IdConhecimento");
    // Containers are typed in their grid.
    Itens->Grid->SetOptions(Itens->Grid->Options() | platform::ui::dgEditing);
    // Equipment from the list, required as the customer's settings say.
    ConfigurarReferencia(*Itens, "IdEquipamento", "Equipamento", cdEquipamentos, Regras.Obrigatorio);
    FRegrasItens = std::make_unique<TRegrasItens>(*Itens->Divisao, Regras.Regra);
    Itens->Divisao->SetRules(FRegrasItens.get());
    Itens->Loaded();

    actConhecimentos = new platform::ui::TActionList(this);
    AddAcao(*actConhecimentos, "actNovoConhecimento", kMenuNovoConhecimento, Qt::CTRL | Qt::Key_N, [this] {
        if (NovoConhecimento()) Cabecalho->Edit("Embarcador")->setFocus();
    });
    AddAcao(*actConhecimentos, "actNovoItem", kMenuNovoItem, Qt::CTRL | Qt::Key_I, [this] {
        if (!NovoItem()) return;
        Itens->Grid->setFocus();
        Itens->Grid->SetSelectedIndex(Itens->Grid->Columns().IndexOfField("Conteiner"));
    });
    AddAcao(*actConhecimentos, "actGravar", kMenuGravar, Qt::CTRL | Qt::Key_S, [this] { Gravar(); });

    auto* Split = new QSplitter(Qt::Vertical, this);
    Split->addWidget(Conhecimentos);
    Split->addWidget(Cabecalho);
    Split->setCollapsible(1, false);
    Split->addWidget(Itens);
    // The grids share the room the header leaves.
    for (const int Grade : {0, 2}) Split->setStretchFactor(Grade, 1);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Split);
}

TfrmConhecimentos::~TfrmConhecimentos() { Itens->Divisao->SetRules(nullptr); }

void TfrmConhecimentos::Abrir() {
    Conhecimentos->Client->Open();
    Itens->Client->Open();
}

bool TfrmConhecimentos::NovoConhecimento() {
    return Attempt([this] {
        Itens->Client->CheckBrowseMode();
        Conhecimentos->Client->Append();
    });
}

bool TfrmConhecimentos::NovoItem() {
    return Attempt([this] {
        Conhecimentos->Client->CheckBrowseMode();
        Itens->Client->Append();
    });
}

bool TfrmConhecimentos::Gravar() {
    return Attempt([this] {
        Conhecimentos->Client->CheckBrowseMode();
        Itens->Client->CheckBrowseMode();
        dataaccess::BeginTransaction();
        try {
            if (FConhecimento->ApplyUpdates() == 0 || FItem->ApplyUpdates() == 0) throw platform::os::EAbort();
            dataaccess::CommitTransaction();
        } catch (...) {
            dataaccess::RollbackTransaction();
            // What was applied before the failure is gone with the rollback: show the tables as they are.
            FConhecimento->CancelUpdates();
            FItem->CancelUpdates();
            Conhecimentos->Divisao->RefreshAll(false);
            throw;
        }
        // Columns the server fills through joins (the user's name) are read back for the written bill.
        if (!Conhecimentos->Client->IsEmpty())
            Conhecimentos->Divisao->RefreshRecord({"IdConhecimento"},
                                                  {Conhecimentos->Client->FieldByName("IdConhecimento")->Value()}, false);
        Conhecimentos->Gravado();
    });
}

void TfrmConhecimentos::Descartar() {
    Conhecimentos->Client->Cancel();
    Itens->Client->Cancel();
    FConhecimento->CancelUpdates();
    FItem->CancelUpdates();
}

bool TfrmConhecimentos::ExcluirConhecimento() {
    if (!Attempt([this] {
            Itens->Client->CheckBrowseMode();
            Conhecimentos->Client->Delete();
        }))
        return false;
    const bool Done = Gravar();
    if (Done) Itens->Divisao->RefreshAll(false);
    return Done;
}

}  // namespace navitrex
