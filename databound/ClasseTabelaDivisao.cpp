#include "databound/ClasseTabelaDivisao.h"

#include "databound/CamposDivisao.h"
#include "databound/VexDivisao.h"
#include "platform/data/DB.h"

namespace databound {

TClasseTabelaDivisao::TClasseTabelaDivisao(TVexDBDivisao* Division, QObject* AOwner)
    : TClasseTabela(AOwner), FDivision(Division) {}

void TClasseTabelaDivisao::GetTableName(QString& Name) { Name = FDivision ? FDivision->Campos().Tabela() : QString(); }

void TClasseTabelaDivisao::GetCaption(QString& Caption) {
    if (!FDivision) return;
    Caption = FDivision->BaseCaption().isEmpty() ? FDivision->Caption() : FDivision->BaseCaption();
}

void TClasseTabelaDivisao::DefineFields() {
    platform::data::TDataSet* DataSet = FDivision ? FDivision->GetDataSet() : nullptr;
    if (!DataSet) return;
    for (platform::data::TField* Field : DataSet->FieldList()) {
        const TConfigCampo* Item = FDivision->Campos().Config().FindByField(Field);
        dataaccess::TCampoTabela Campo;
        Campo.Indice = Field->Index();
        Campo.Nome = Field->FieldName();
        Campo.Chave = Item && Item->PrimaryKey();
        Campo.Referencia = Item && Item->Is(tfSearch);
        Campo.TipoDado = Field->DataType();
        Campo.Tamanho = Field->Size();
        AddField(Campo);
    }
}

TClasseTabelaDivisao* CreateClasseTabelaDivisao(TVexDBDivisao& Division, QObject* Owner) {
    auto* Table = new TClasseTabelaDivisao(&Division, Owner);
    Table->SetValidatesFields(dataaccess::TValidateFieldProbe<TClasseTabelaDivisao>::Overridden);
    Table->AfterConstruction();
    return Table;
}

}  // namespace databound
