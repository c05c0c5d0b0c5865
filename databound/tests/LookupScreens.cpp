#include "LookupScreens.h"

#include <QWidget>

#include "databound/VexDBGrid.h"
#include "platform/data/Field.h"

namespace databound::testing {

using namespace platform::data;

TPessoaModule::TPessoaModule(const QString& Table) : FTable(Table) { setObjectName("Pessoa"); }

QObject* TPessoaModule::ProvideDivision(QObject* Owner) {
    auto* Screen = new QWidget(qobject_cast<QWidget*>(Owner));
    Screen->hide();
    const TDivisionParts Parts = MakeDivision(
        *Screen, "Pessoa",
        QString("Select Pessoa.IdPessoa, Pessoa.Nome, Pessoa.Cidade, Pessoa.Codigo, Pessoa.Ativo From %1 Pessoa")
            .arg(FTable),
        {{"IdPessoa", ftInteger}, {"Nome", ftString}, {"Cidade", ftString}, {"Codigo", ftString}, {"Ativo", ftBoolean}},
        [this](TDivisionParts& P) {
            P.Divisao->SetTabela("Pessoa");
            P.Divisao->ComboModoAbertoComoPadrao = OpenByDefault;
        });
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
