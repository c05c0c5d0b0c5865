#include "samples/navitrex/NavitrexCabecalho.h"

#include <QLineEdit>

#include "databound/CamposDivisao.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBDataLabel.h"
#include "databound/VexDivisao.h"
#include "platform/data/Field.h"
#include "platform/ui/DBCtrls.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

namespace {

struct TReferencia {
    const char* Chave;  // the bill's key column
    const char* Nome;   // the column showing the referenced name
    TCadastro Cadastro;
    const char* Papel;  // the lookup's Boolean column a row needs set to be offered; nullptr: every row
    bool Obrigatorio;
    QRect Lugar;        // of the edit; its label goes right above it
};

constexpr int kLinha1 = 20, kLinha2 = 64, kAltura = 21;
constexpr int kAlturaCabecalho = kLinha2 + kAltura + 8;
const QRect kLugarFrete{624, kLinha1, 110, kAltura};

const TReferencia kReferencias[] = {
    {"IdCliente_Embarcador", "Embarcador", cdClientes, "Embarcador", true, {8, kLinha1, 300, kAltura}},
    {"IdCliente_Consignatario", "Consignatario", cdClientes, "Consignatario", true, {316, kLinha1, 300, kAltura}},
    {"IdNavio", "Navio", cdNavios, nullptr, false, {8, kLinha2, 200, kAltura}},
    {"IdPorto_Embarque", "Porto_Embarque", cdPortos, "Embarque", false, {216, kLinha2, 200, kAltura}},
    {"IdPorto_Descarga", "Porto_Descarga", cdPortos, "Descarga", false, {424, kLinha2, 200, kAltura}},
};

void Rotular(QWidget* Control, const QRect& Lugar, TFrameDivisao& Conhecimentos, const QString& Campo) {
    Control->setGeometry(Lugar);
    auto* Label = new databound::TVexDBLabel(Control->parentWidget());
    Label->SetDivisao(Conhecimentos.Divisao);
    Label->SetDataSource(Conhecimentos.Source);
    Label->SetField(Conhecimentos.Field(Campo));
    Label->SetControl(Control);
}

}  // namespace

TCabecalhoConhecimento::TCabecalhoConhecimento(TFrameDivisao& Conhecimentos, QWidget* Parent) : QWidget(Parent) {
    setObjectName("pnlCabecalho");
    setMinimumHeight(kAlturaCabecalho);
    databound::TVexDBDivisao& Divisao = *Conhecimentos.Divisao;
    for (const TReferencia& Referencia : kReferencias) {
        ConfigurarReferencia(Conhecimentos, Referencia.Chave, Referencia.Nome, Referencia.Cadastro,
                             Referencia.Obrigatorio, Referencia.Papel ? Referencia.Papel : "");
        Rotular(new platform::ui::TDBEdit(this), Referencia.Lugar, Conhecimentos, Referencia.Nome);
    }
    // The freight terms: the combo stores the letter and shows the term, its items from the field's configuration.
    databound::TConfigCampo* Frete = Divisao.Campos().Config().Add();
    Frete->SetField(Conhecimentos.Field("Frete"));
    Frete->Valor().Items = QStringList{kFretePrepaid, kFreteCollect};
    Frete->Valor().ItemsEx = QStringList{kCaptionPrepaid, kCaptionCollect};
    auto* Combo = new databound::TVexDBComboBox(this);
    Combo->SetImmediatePost(true);
    Rotular(Combo, kLugarFrete, Conhecimentos, "Frete");
}

databound::TVexDBComboBox* TCabecalhoConhecimento::Frete() const {
    return findChild<databound::TVexDBComboBox*>("cbxFrete", Qt::FindDirectChildrenOnly);
}

QLineEdit* TCabecalhoConhecimento::Edit(const QString& Nome) const {
    return findChild<QLineEdit*>("edt" + Nome, Qt::FindDirectChildrenOnly);
}

}  // namespace navitrex
