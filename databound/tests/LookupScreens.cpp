#include "LookupScreens.h"

#include <QWidget>

#include "dataaccess/VexSchema.h"
#include "databound/CustomCombo.h"
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

void FreightLookupFixture::SetUp() {
    DivisionFixture::SetUp();
    if (IsSkipped()) return;
    dataaccess::CreateSchema(*Conn);
    Conn->Execute("Create Table Pessoa (IdPessoa Integer Not Null Primary Key, Nome VarChar(60) Not Null, "
                  "Cidade VarChar(40), Codigo VarChar(10), Ativo Bit Not Null)");
    for (int I = 0; I < FPeople.size(); ++I) {
        TParameters Person;
        Person.CreateParameter("Id", ftInteger, I + 1);
        Person.CreateParameter("Nome", ftString, FPeople[I]);
        Person.CreateParameter("Codigo", ftString, QString("C%1").arg(I + 1));
        Conn->Execute("Insert Into Pessoa Values (:Id, :Nome, 'Santos', :Codigo, 1)", &Person);
    }
    Conn->Execute("Create Table Frete (IdFrete Integer Not Null Primary Key, IdPessoa Integer, NomePessoa VarChar(60))");
    TParameters Second;
    Second.CreateParameter("Nome", ftString, FPeople.value(1));
    Conn->Execute("Insert Into Frete Values (1, 2, :Nome)", &Second);
    StartHost();
    Host->Login("ana", 7, 1);
    Host->AddModule(&Module);
    Freight = Make("Frete", "Select Frete.IdFrete, Frete.IdPessoa, Frete.NomePessoa From Frete",
                   {{"IdFrete", ftInteger}, {"IdPessoa", ftInteger}, {"NomePessoa", ftString}});
    Freight.Client->Open();
    TField* Key = Freight.Client->FieldByName("IdPessoa");
    TField* Name = Freight.Client->FieldByName("NomePessoa");
    TConfigCampos& Config = Freight.Divisao->Campos().Config();
    Config.Add()->SetField(Key);
    TConfigCampo* Join = Config.Add();
    Join->SetField(Name);
    Join->SetTipos(tfJoin);
    Join->JoinField().SetSearchField(Key);
    Name->SetReadOnly(true);
}

void FreightLookupFixture::TearDown() {
    delete TfrmCustomCombo::Current();
    DivisionFixture::TearDown();
}

}  // namespace databound::testing
