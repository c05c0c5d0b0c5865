#include "dataaccess/SenhaControleDialog.h"

#include <QLabel>
#include <QLineEdit>

#include "controls/VexButton.h"
#include "controls/VexDataLabel.h"
#include "controls/VexMessage.h"
#include "dataaccess/PermissionOperations.h"
#include "dataaccess/VexSession.h"
#include "platform/ui/Fonts.h"

namespace dataaccess {

using namespace controls;
using platform::ui::mrCancel;
using platform::ui::mrOk;

namespace {

constexpr int kClientWidth = 360;
constexpr int kTextLeft = 56;
constexpr int kTextWidth = kClientWidth - kTextLeft - 12;
constexpr int kEntryGap = 8;

QLabel* AddText(QWidget* Parent, const char* Name, const QString& Text, bool Bold) {
    auto* Label = new QLabel(Text, Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->setWordWrap(true);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label->setFont(platform::ui::MakeFont(QStringLiteral("Tahoma"), 8, Bold));
    return Label;
}

QLineEdit* AddEdit(QWidget* Parent, const char* Name, int Top, int Width, int MaxLength, int TabOrder) {
    auto* Edit = new QLineEdit(Parent);
    Edit->setObjectName(QString::fromLatin1(Name));
    Edit->setGeometry(kTextLeft, Top, Width, 21);
    Edit->setMaxLength(MaxLength);
    platform::ui::SetTabOrder(Edit, TabOrder);
    return Edit;
}

TVexLabel* AddCaption(QWidget* Parent, const char* Name, const QString& Caption, QLineEdit* Control) {
    auto* Label = new TVexLabel(Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->SetCaption(Caption);
    Label->SetControl(Control);
    Label->SetColor(Qt::white);
    return Label;
}

TVexButton* AddButton(QWidget* Parent, const char* Name, const QString& Caption, int Left, int TabOrder) {
    auto* Button = new TVexButton(Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->SetCaption(Caption);
    Button->SetBounds(Left, 150, 80, 23);
    Button->SetTabOrder(TabOrder);
    return Button;
}

}  // namespace

TfrmSenhaControle::TfrmSenhaControle(platform::data::TADOConnection& Connection, int MinReasonLength,
                                     TDescribeOperation Describe, QWidget* AOwner)
    : TCustomForm(AOwner), FConnection(Connection), FMinReasonLength(MinReasonLength), FDescribe(std::move(Describe)) {
    setObjectName(QStringLiteral("frmSenhaControle"));
    SetCaption(kSenhaControleCaption);
    SetFont(platform::ui::TFont(platform::ui::DefaultFont()));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    SetColor(Qt::white);

    imgIcone = new QLabel(this);
    imgIcone->setObjectName(QStringLiteral("imgIcone"));
    imgIcone->setPixmap(DialogKindIcon(dkWarning, 32));
    imgIcone->setGeometry(12, 12, 32, 32);
    lblOperacao = AddText(this, "lblOperacao", QString(), true);
    lblOperacao->setGeometry(kTextLeft, 12, kTextWidth, 14);

    pnlEntrada = new QWidget(this);
    pnlEntrada->setObjectName(QStringLiteral("pnlEntrada"));
    pnlEntrada->resize(kClientWidth, 185);
    lblMensagem = AddText(pnlEntrada, "lblMensagem", kSenhaControleText, false);
    lblMensagem->setGeometry(kTextLeft, 0, kTextWidth, 28);
    lblSolicitada = AddText(pnlEntrada, "lblSolicitada", QStringLiteral("Senha solicitada:"), false);
    const int CaptionWidth = lblSolicitada->fontMetrics().horizontalAdvance(lblSolicitada->text()) + 4;
    lblSolicitada->setGeometry(kTextLeft, 36, CaptionWidth, 14);
    lblSenhaSolicitada = AddText(pnlEntrada, "lblSenhaSolicitada", QString(), true);
    lblSenhaSolicitada->setGeometry(kTextLeft + CaptionWidth, 36, kTextWidth - CaptionWidth, 14);

    edtSenha = AddEdit(pnlEntrada, "edtSenha", 76, 140, kPasswordMaxLength, 0);
    edtSenha->setEchoMode(QLineEdit::Password);
    lblSenha = AddCaption(pnlEntrada, "lblSenha", QStringLiteral("Senha"), edtSenha);
    edtMotivo = AddEdit(pnlEntrada, "edtMotivo", 116, kTextWidth, kReasonMaxLength, 1);
    const QString Minimum = MinReasonLength > 1 ? QString(kReasonMinimum).arg(MinReasonLength) : QString();
    lblMotivo = AddCaption(pnlEntrada, "lblMotivo", QStringLiteral("Motivo") + Minimum, edtMotivo);

    btnOK = AddButton(pnlEntrada, "btnOK", QStringLiteral("OK"), kClientWidth - 12 - 80 - 6 - 80, 2);
    btnOK->SetDefault(true);
    btnOK->OnClick = [this](QObject*) { btnOKClick(); };
    btnCancelar = AddButton(pnlEntrada, "btnCancelar", QStringLiteral("Cancelar"), kClientWidth - 12 - 80, 3);
    btnCancelar->SetCancel(true);
    btnCancelar->SetModalResult(mrCancel);

    const TRequestedPassword Requested = PickControlPassword(FConnection);
    FRequestedId = Requested.Id;
    lblSenhaSolicitada->setText(Requested.Id != 0 ? Requested.Name : QString(kAdministratorPassword));
    SetActiveControl(edtSenha);
    SetOperation(QString());
}

void TfrmSenhaControle::SetOperation(const QString& Text) {
    lblOperacao->setText(Text);
    lblOperacao->resize(kTextWidth, lblOperacao->heightForWidth(kTextWidth));
    pnlEntrada->move(0, std::max(lblOperacao->geometry().bottom() + 1 + kEntryGap, imgIcone->geometry().bottom() + 1));
    SetClientSize(kClientWidth, pnlEntrada->geometry().bottom() + 1);
}

QString TfrmSenhaControle::Reason() const { return edtMotivo->text().trimmed(); }

void TfrmSenhaControle::Warn(const QString& Text) {
    ShowMessageDialog(Text, QString(), dkWarning, ButtonSet({dbOK}), 0, 0, AutoCancelResult);
}

void TfrmSenhaControle::btnOKClick() {
    if (edtSenha->text().trimmed().isEmpty()) {
        Warn(kPasswordMissing);
        edtSenha->setFocus();
        return;
    }
    if (Reason().size() < FMinReasonLength) {
        // Enter in the password box moves on to the reason before anything is said.
        if (edtSenha->hasFocus()) {
            edtMotivo->setFocus();
            return;
        }
        const QString Minimum = FMinReasonLength > 1 ? QString(kReasonMinimum).arg(FMinReasonLength) : QString();
        Warn(QString(kReasonMissing).arg(Minimum));
        edtMotivo->setFocus();
        return;
    }
    TPasswordValidation Validation;
    Validation.IdSenhaControle = FRequestedId;
    Validation.Senha = edtSenha->text();
    Validation.IdUsuario = CurrentUserId();
    if (FDescribe) FDescribe(Validation.Descricao, Validation.Referencia);
    Validation.Motivo = Reason();
    if (!ValidateControlPassword(FConnection, Validation)) {
        Warn(kPasswordInvalid);
        edtSenha->setFocus();
        edtSenha->selectAll();
        return;
    }
    SetModalResult(mrOk);
}

}  // namespace dataaccess
