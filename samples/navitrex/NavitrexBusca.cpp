#include "samples/navitrex/NavitrexBusca.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "controls/VexButton.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

namespace {

controls::TVexButton* AddButton(QWidget* Parent, const char* Name, const QString& Caption) {
    auto* Button = new controls::TVexButton(Parent);
    Button->setObjectName(Name);
    Button->SetCaption(Caption);
    Button->setFixedSize(80, 23);
    return Button;
}

}  // namespace

TfrmBusca::TfrmBusca(TCadastro Cadastro, const QString& Caption, QWidget* AOwner)
    : TCustomForm(AOwner), Lista(CreateCadastro(Cadastro, this)), btnOK(AddButton(this, "btnOK", kCaptionOK)),
      btnCancelar(AddButton(this, "btnCancelar", kCaptionCancelar)) {
    setObjectName("frmBusca");
    SetCaption(Caption.isEmpty() ? CaptionCadastro(Cadastro) : Caption);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(platform::ui::mrOk);
    btnCancelar->SetCancel(true);
    btnCancelar->SetModalResult(platform::ui::mrCancel);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancelar);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Lista);
    Layout->addLayout(Buttons);
    SetClientSize(520, 360);
    Lista->Client->Open();
}

QStringList TfrmBusca::Resultado() const {
    QStringList Values;
    if (Lista->Client->IsEmpty()) return Values;
    for (platform::data::TField* Field : Lista->Client->FieldList())
        Values << Field->FieldName() + "=" + Field->AsString();
    return Values;
}

}  // namespace navitrex
