#include "samples/navitrex/NavitrexDivisao.h"

#include <QVBoxLayout>

#include "dataaccess/VexClasse.h"
#include "dataaccess/VexDbIni.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"

namespace navitrex {

using namespace platform::data;

namespace {

TField* AddField(TDataSet* DataSet, const TColuna& Coluna) {
    auto* Field = new TField(DataSet, Coluna.Nome, Coluna.Tipo, Coluna.Tamanho);
    Field->SetOrigin(Coluna.Origem);
    Field->SetDisplayLabel(Coluna.Titulo.isEmpty() ? Coluna.Nome : Coluna.Titulo);
    TProviderFlags Flags = 0;
    if (Coluna.Gravavel) Flags = pfInUpdate;
    if (Coluna.Chave) Flags = pfInUpdate | pfInKey;
    Field->SetProviderFlags(Flags);
    if (!Coluna.Gravavel) Field->SetReadOnly(true);
    return Field;
}

// Where a division's grid keeps the width of a column in the settings of its screen.
QString SecaoGrade(const databound::TVexDBDivisao& Divisao) { return "Grade_" + Divisao.Nome(); }
QString ChaveLargura(const QString& Campo) { return QString("Coluna_Grade[%1].Width").arg(Campo); }

}  // namespace

TFrameDivisao::TFrameDivisao(const TDefinicaoDivisao& Definicao, dataaccess::TClasseTabela* ATabela, QWidget* Parent)
    : QWidget(Parent), Query(new TADOQuery(this)), Provider(new TDataSetProvider(this)),
      Client(new TClientDataSet(this)), Source(new TDataSource(this)), Divisao(new databound::TVexDBDivisao(this)),
      Tabela(ATabela), Grid(new databound::TVexDBGrid(this)) {
    Tabela->setParent(this);
    Query->SetSQL(Definicao.Sql);
    // The division finds the provider through the client's provider name, then names both after itself.
    Provider->setObjectName("prv" + Definicao.Nome);
    Client->SetProviderName(Provider->objectName());
    Provider->SetDataSet(Query);
    Provider->SetUpdateMode(upWhereKeyOnly);
    for (const TColuna& Coluna : Definicao.Colunas) {
        AddField(Query, Coluna);
        // Data labels name their controls after the field's component name.
        AddField(Client, Coluna)->setObjectName("fld" + Coluna.Nome);
    }
    Provider->OnGetTableName = [Table = Definicao.Tabela](QObject*, TDataSet*, QString& Name) { Name = Table; };
    if (!Definicao.Ordem.isEmpty()) Client->SetIndexFieldNames(Definicao.Ordem);
    Source->SetDataSet(Client);
    Divisao->SetDataSource(Source);
    Divisao->SetTabela(Definicao.Tabela);
    Divisao->SetCaption(Definicao.Caption);
    Divisao->SetNome(Definicao.Nome);

    // Set before the table binds, so it runs after the table has applied the change.
    Client->AfterPost = Client->AfterDelete = [this](TDataSet*) {
        if (!Tabela->ManualApply()) Gravado();
    };

    Grid->SetDataSource(Source);
    // A search combo over this division shows the grid's columns.
    Divisao->SetGrid(Grid);
    // And the grid searches on the division's references.
    Grid->SetDivisao(Divisao);
    for (const TColuna& Coluna : Definicao.Colunas) {
        if (Coluna.Titulo.isEmpty()) continue;
        platform::ui::TColumn* Column = Grid->Columns().Add();
        Column->SetFieldName(Coluna.Nome);
        Column->Title().SetCaption(Coluna.Titulo);
    }
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Grid);
    // The widths the user gives the columns are kept with the screen's settings.
    Divisao->OnCreate = [this](databound::TDivisao*, dataaccess::TVexDBIni* Ini) {
        if (Ini) LerLarguras(*Ini);
    };
    Divisao->OnDestroy = [this](databound::TDivisao*, dataaccess::TVexDBIni* Ini) {
        if (Ini) GuardarLarguras(*Ini);
    };
}

TFrameDivisao::~TFrameDivisao() {
    // The table lets go of the dataset before the dataset goes.
    Tabela->BindDataSet(nullptr);
}

void TFrameDivisao::Loaded() {
    Tabela->AttachDataSet(Client);
    Divisao->Loaded();
}

void TFrameDivisao::Gravado() {
    if (OnGravado) OnGravado(this);
}

void TFrameDivisao::LerLarguras(const dataaccess::TVexDBIni& Ini) {
    const QString Secao = SecaoGrade(*Divisao);
    for (int I = 0; I < Grid->Columns().Count(); ++I) {
        platform::ui::TColumn* Column = Grid->Columns()[I];
        Column->SetWidth(Ini.ReadInteger(Secao, ChaveLargura(Column->FieldName()), Column->Width()));
    }
}

void TFrameDivisao::GuardarLarguras(dataaccess::TVexDBIni& Ini) const {
    const QString Secao = SecaoGrade(*Divisao);
    for (int I = 0; I < Grid->Columns().Count(); ++I) {
        const platform::ui::TColumn* Column = Grid->Columns()[I];
        Ini.WriteInteger(Secao, ChaveLargura(Column->FieldName()), Column->Width());
    }
}

TField* TFrameDivisao::Field(const QString& Nome) const { return Client->FieldByName(Nome); }

}  // namespace navitrex
