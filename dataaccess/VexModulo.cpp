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

void TRequisitoCampo::Assign(const TRequisitoCampo& Source) {
    Nome = Source.Nome;
    Tamanho = Source.Tamanho;
    Tipo = Source.Tipo;
}

QString TRequisitoCampo::DisplayName() const { return OrClassName(Nome, "TRequisitoCampo"); }

TRequisitoModulo::TRequisitoModulo(TOwnedList<TRequisitoModulo>* Collection) : FCampos(Collection->Owner()) {}

void TRequisitoModulo::Assign(const TRequisitoModulo& Source) {
    Tabela = Source.Tabela;
    CreateSql = Source.CreateSql;
    Tipo = Source.Tipo;
    FCampos.Assign(Source.FCampos);
}

QString TRequisitoModulo::DisplayName() const {
    if (Tabela.isEmpty()) return QStringLiteral("TRequisitoModulo");
    return kRequisitoDisplay.arg(Tipo == trCriaTabela ? "T" : "C", Tabela);
}

void TRelacaoModulo::Assign(const TRelacaoModulo& Source) {
    Nome = Source.Nome;
    Divisoes = Source.Divisoes;
    Disposicao = Source.Disposicao;
    TipoJanela = Source.TipoJanela;
    Caption = Source.Caption;
    ImageIndex = Source.ImageIndex;
    Atalho = Source.Atalho;
    ReadOnly = Source.ReadOnly;
    Acessos = Source.Acessos;
    Permissoes = Source.Permissoes;
    OnAjustaForm = Source.OnAjustaForm;
    Execute = Source.Execute;
}

QString TRelacaoModulo::DisplayName() const { return OrClassName(Nome, "TRelacaoModulo"); }

void TAcaoModulo::Assign(const TAcaoModulo& Source) {
    Caption = Source.Caption;
    Category = Source.Category;
    ImageIndex = Source.ImageIndex;
    Tabelas = Source.Tabelas;
    Divisoes = Source.Divisoes;
    Relacoes = Source.Relacoes;
    OnVerificaRelacao = Source.OnVerificaRelacao;
    OnVerificaDivisao = Source.OnVerificaDivisao;
    OnExecutaAcaoModulo = Source.OnExecutaAcaoModulo;
}

QString TAcaoModulo::DisplayName() const { return OrClassName(Caption, "TAcaoModulo"); }

THistoricoItem::THistoricoItem(TOwnedList<THistoricoItem>*) : Data(QDate::currentDate().startOfDay()) {}

void THistoricoItem::Assign(const THistoricoItem& Source) {
    Versao = Source.Versao;
    Data = Source.Data;
    Detalhes = Source.Detalhes;
}

QString THistoricoItem::DisplayName() const { return kHistoricoDisplay.arg(Versao, Data.toString(kHistoricoDate)); }

TVexModulo::TVexModulo(QObject* AOwner)
    : QObject(AOwner), FRequisitos(this), FRelacoes(this), FAcoes(this), FHistorico(this) {}

TVexModulo::~TVexModulo() = default;

}  // namespace dataaccess
