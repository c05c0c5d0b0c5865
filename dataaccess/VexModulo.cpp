#include "dataaccess/VexModulo.h"

namespace dataaccess {

namespace {

const QString kRequisitoDisplay = QStringLiteral("[%1] %2");
const QString kHistoricoDisplay = QStringLiteral("%1 - %2");
const QString kHistoricoDate = QStringLiteral("dd/MM/yyyy");

QString OrClassName(const QString& Name, const char* ClassName) {
    return Name.isEmpty() ? QString::fromLatin1(ClassName) : Name;
}

}  // namespace

void TRequisitoCampo::Assign(const TCollectionItem& Item) {
    const auto* Source = dynamic_cast<const TRequisitoCampo*>(&Item);
    if (!Source) return;
    Nome = Source->Nome;
    Tamanho = Source->Tamanho;
    Tipo = Source->Tipo;
}

QString TRequisitoCampo::DisplayName() const { return OrClassName(Nome, "TRequisitoCampo"); }

TRequisitoModulo::TRequisitoModulo(platform::ui::TCollection* Collection)
    : TCollectionItem(Collection), FCampos(static_cast<TRequisitosModulo*>(Collection)->Owner()) {}

void TRequisitoModulo::Assign(const TCollectionItem& Item) {
    const auto* Source = dynamic_cast<const TRequisitoModulo*>(&Item);
    if (!Source) return;
    Tabela = Source->Tabela;
    CreateSql = Source->CreateSql;
    Tipo = Source->Tipo;
    FCampos.Assign(Source->FCampos);
}

QString TRequisitoModulo::DisplayName() const {
    if (Tabela.isEmpty()) return QStringLiteral("TRequisitoModulo");
    return kRequisitoDisplay.arg(Tipo == trCriaTabela ? "T" : "C", Tabela);
}

void TRelacaoModulo::Assign(const TCollectionItem& Item) {
    const auto* Source = dynamic_cast<const TRelacaoModulo*>(&Item);
    if (!Source) return;
    Nome = Source->Nome;
    Divisoes = Source->Divisoes;
    Disposicao = Source->Disposicao;
    TipoJanela = Source->TipoJanela;
    Caption = Source->Caption;
    ImageIndex = Source->ImageIndex;
    Atalho = Source->Atalho;
    ReadOnly = Source->ReadOnly;
    Acessos = Source->Acessos;
    Permissoes = Source->Permissoes;
    OnAjustaForm = Source->OnAjustaForm;
    Execute = Source->Execute;
}

QString TRelacaoModulo::DisplayName() const { return OrClassName(Nome, "TRelacaoModulo"); }

void TAcaoModulo::Assign(const TCollectionItem& Item) {
    const auto* Source = dynamic_cast<const TAcaoModulo*>(&Item);
    if (!Source) return;
    Caption = Source->Caption;
    Category = Source->Category;
    ImageIndex = Source->ImageIndex;
    Tabelas = Source->Tabelas;
    Divisoes = Source->Divisoes;
    Relacoes = Source->Relacoes;
    OnVerificaRelacao = Source->OnVerificaRelacao;
    OnVerificaDivisao = Source->OnVerificaDivisao;
    OnExecutaAcaoModulo = Source->OnExecutaAcaoModulo;
}

QString TAcaoModulo::DisplayName() const { return OrClassName(Caption, "TAcaoModulo"); }

THistoricoItem::THistoricoItem(platform::ui::TCollection* Collection)
    : TCollectionItem(Collection), Data(QDate::currentDate().startOfDay()) {}

void THistoricoItem::Assign(const TCollectionItem& Item) {
    const auto* Source = dynamic_cast<const THistoricoItem*>(&Item);
    if (!Source) return;
    Versao = Source->Versao;
    Data = Source->Data;
    Detalhes = Source->Detalhes;
}

QString THistoricoItem::DisplayName() const { return kHistoricoDisplay.arg(Versao, Data.toString(kHistoricoDate)); }

TVexModulo::TVexModulo(QObject* AOwner)
    : QObject(AOwner), FRequisitos(this), FRelacoes(this), FAcoes(this), FHistorico(this) {}

TVexModulo::~TVexModulo() = default;

}  // namespace dataaccess
