#include "samples/navitrex/NavitrexTables.h"

#include <algorithm>
#include <utility>

#include "dataaccess/VexSession.h"
#include "databound/Numeracao.h"
#include "platform/data/Field.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace dataaccess;
using namespace platform::data;

bool TTabelaNavitrex::GetNumberedFieldCaption(const QString&, QString&) { return false; }

void TTabelaNavitrex::DoNewRecord() {
    for (const TCampoTabela& Campo : Campos())
        if (Campo.Chave)
            SetFieldValue(Campo.Nome, databound::NextIncrement(TableName(), Campo.Nome, false, Connection()));
}

TTabelaCadastro::TTabelaCadastro(QString Tabela, QString Caption, std::vector<TCampoTabela> Campos, QObject* AOwner)
    : TTabelaNavitrex(AOwner), FTabela(std::move(Tabela)), FCaption(std::move(Caption)), FCampos(std::move(Campos)) {}

void TConhecimento::GetTableName(QString& Name) { Name = kTabelaConhecimento; }
void TConhecimento::GetCaption(QString& Caption) { Caption = kCaptionConhecimento; }
void TConhecimento::GetOperationDescription(QString& Text) {
    if (Text.isEmpty()) Text = QString(kOperacaoConhecimento).arg(DataSet()->FieldByName("Numero")->AsString());
    TTabelaNavitrex::GetOperationDescription(Text);
}
bool TConhecimento::GetNumberedFieldCaption(const QString& Name, QString& Caption) {
    return Name.compare("Numero", Qt::CaseInsensitive) == 0 && TClasseTabela::GetNumberedFieldCaption(Name, Caption);
}
void TConhecimento::DefineFields() {
    AddFields({{0, faNenhuma, "IdConhecimento", true, false, ftInteger, 0, 0},
               {1, faNenhuma, "Numero", false, false, ftString, 20, 0},
               {2, faNenhuma, "Data", false, false, ftDateTime, 0, 0},
               {3, faNenhuma, "IdCliente_Embarcador", false, true, ftInteger, 0, 0},
               {4, faNenhuma, "IdCliente_Consignatario", false, true, ftInteger, 0, 0},
               {5, faNenhuma, "IdNavio", false, true, ftInteger, 0, 0},
               {6, faNenhuma, "IdPorto_Embarque", false, true, ftInteger, 0, 0},
               {7, faNenhuma, "IdPorto_Descarga", false, true, ftInteger, 0, 0},
               {8, faNenhuma, "Frete", false, false, ftString, 1, 0},
               {9, faNenhuma, "Situacao", false, false, ftSmallint, 0, 0},
               {10, faNenhuma, "IdUsuario", false, true, ftSmallint, 0, 0}});
}
void TConhecimento::DoNewRecord() {
    TTabelaNavitrex::DoNewRecord();
    SetFieldValue("Data", ServerNow(Connection()));
    SetFieldValue("Situacao", kSituacaoAberto);
    SetFieldValue("Frete", kFretePrepaid);
    if (const int User = CurrentUserId()) SetFieldValue("IdUsuario", User);
}

void TConhecimentoItem::GetTableName(QString& Name) { Name = kTabelaItem; }
void TConhecimentoItem::GetCaption(QString& Caption) { Caption = kCaptionItem; }
void TConhecimentoItem::DefineFields() {
    AddFields({{0, faNenhuma, "IdConhecimento_Item", true, false, ftInteger, 0, 0},
               {1, faNenhuma, "IdConhecimento", false, true, ftInteger, 0, 0},
               {2, faNenhuma, "Sequencia", false, false, ftInteger, 0, 0},
               {3, faNenhuma, "IdEquipamento", false, true, ftInteger, 0, 0},
               {4, faNenhuma, "Conteiner", false, false, ftString, 11, 0},
               {5, faNenhuma, "Lacre", false, false, ftString, 20, 0},
               {6, faNenhuma, "Descricao", false, false, ftString, 200, 0},
               {7, faNenhuma, "Peso", false, false, ftFloat, 0, 0}});
}
void TConhecimentoItem::DoNewRecord() {
    TTabelaNavitrex::DoNewRecord();
    TDataSet* Items = DataSet();
    const QVariant Bill = Conhecimento ? Conhecimento() : QVariant();
    if (!Bill.isValid() || Bill.isNull()) return;
    SetFieldValue("IdConhecimento", Bill);
    // 1, 2, 3 within the bill: one past the highest number among the bill's rows this dataset holds.
    int Highest = 0;
    TField* Owner = Items->FieldByName("IdConhecimento");
    TField* Sequencia = Items->FieldByName("Sequencia");
    for (int Index = 0; Index < Items->DisplayRecordCount(); ++Index) {
        if (Items->DisplayBookmark(Index) == 0) continue;
        Items->ReadDisplayRecord(Index, [&] {
            if (Owner->AsInteger() == Bill.toInt()) Highest = std::max(Highest, Sequencia->AsInteger());
        });
    }
    SetFieldValue("Sequencia", Highest + 1);
}
}  // namespace navitrex
