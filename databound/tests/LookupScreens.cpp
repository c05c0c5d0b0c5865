#include "LookupScreens.h"

#include <QWidget>

#include "databound/VexDBGrid.h"
#include "platform/data/Field.h"

namespace databound::testing {

using namespace platform::data;

TDivisionParts::TDivisionParts(QObject* Owner, const QString& Nome, const QString& Sql,
                               const std::vector<std::pair<QString, TFieldType>>& Fields)
    : Query(new TADOQuery(Owner)), Provider(new TDataSetProvider(Owner)), Client(new TClientDataSet(Owner)),
      Source(new TDataSource(Owner)), Divisao(new TVexDBDivisao(Owner)) {
    Query->SetSQL(Sql);
    Provider->setObjectName("prv" + Nome);
    Provider->SetDataSet(Query);
    Client->SetProviderName(Provider->objectName());
    for (TDataSet* DataSet : {static_cast<TDataSet*>(Client), static_cast<TDataSet*>(Query)}) {
        for (const auto& [Name, Type] : Fields) {
            auto* Field = new TField(DataSet, Name, Type, Type == ftString ? 60 : 0);
            Field->SetOrigin(Nome.left(1).toLower() + "." + Name);
        }
        DataSet->FieldList().front()->SetProviderFlags(pfInUpdate | pfInKey);
    }
    Source->SetDataSet(Client);
    Divisao->SetDataSource(Source);
    Divisao->SetTabela(Nome);
    Divisao->SetCaption(Nome + "s");
    Divisao->SetNome(Nome);
    Divisao->Loaded();
}

TPessoaModule::TPessoaModule(const QString& Table) : FTable(Table) { setObjectName("Pessoa"); }

QObject* TPessoaModule::ProvideDivision(QObject* Owner) {
    auto* Screen = new QWidget(qobject_cast<QWidget*>(Owner));
    Screen->hide();
    TDivisionParts Parts(Screen, "Pessoa",
                         QString("Select p.IdPessoa, p.Nome, p.Cidade, p.Codigo, p.Ativo From %1 p").arg(FTable),
                         {{"IdPessoa", ftInteger}, {"Nome", ftString}, {"Cidade", ftString}, {"Codigo", ftString},
                          {"Ativo", ftBoolean}});
    Parts.Divisao->ComboModoAbertoComoPadrao = OpenByDefault;
    auto* Grid = new TVexDBGrid(Screen);
    Grid->SetDataSource(Parts.Source);
    for (const auto& [Name, Width] : {std::pair{"Nome", 150}, {"Cidade", 90}, {"Codigo", 60}}) {
        TColumn* Column = Grid->Columns().Add();
        Column->SetFieldName(Name);
        Column->SetWidth(Width);
        Column->SetVisible(false);
    }
    Parts.Divisao->SetGrid(Grid);
    return Parts.Divisao;
}

}  // namespace databound::testing
