#pragma once
// The control-password dialog: names the operation, asks for the password it
// picked (any administrator password also opens it) and a reason, and closes
// with OK only once the password was validated, consumed when single-use and
// logged. Empty passwords, short reasons and wrong passwords are told in a
// message box and keep the dialog open; Cancel closes it with nothing written.
#include <QString>

#include "dataaccess/PermissaoLib.h"
#include "platform/ui/Forms.h"

class QLabel;
class QLineEdit;

namespace controls {
class TVexButton;
class TVexLabel;
}  // namespace controls

namespace dataaccess {

inline constexpr const char* kSenhaControleCaption = "Senha de controle";
inline constexpr const char* kSenhaControleText =
    "Para realizar esta operação é necessário informar a senha de controle.";
inline constexpr const char* kAdministratorPassword = "Administrador";
inline constexpr const char* kPasswordMissing = "É necessário especificar a senha de controle.";
inline constexpr const char* kReasonMissing = "É necessário preencher um motivo%1.";
inline constexpr const char* kReasonMinimum = " (mínimo de %1 caracteres)";
inline constexpr const char* kPasswordInvalid = "Senha de controle inválida.";
inline constexpr int kPasswordMaxLength = 25;
inline constexpr int kReasonMaxLength = 200;

class TfrmSenhaControle : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    // Picks the requested password on Connection at once.
    TfrmSenhaControle(platform::data::TADOConnection& Connection, int MinReasonLength, TDescribeOperation Describe,
                      QWidget* AOwner = nullptr);

    // Shows the operation and places the entry panel 8 pixels below it, then fits the dialog.
    void SetOperation(const QString& Text);
    // The reason typed, trimmed.
    QString Reason() const;
    // 0 when only administrator passwords exist.
    int RequestedId() const { return FRequestedId; }

    QLabel* imgIcone;
    QLabel* lblOperacao;
    QLabel* lblMensagem;
    QLabel* lblSolicitada;
    QLabel* lblSenhaSolicitada;
    QWidget* pnlEntrada;
    QLineEdit* edtSenha;
    controls::TVexLabel* lblSenha;
    QLineEdit* edtMotivo;
    controls::TVexLabel* lblMotivo;
    controls::TVexButton* btnOK;
    controls::TVexButton* btnCancelar;

private:
    void btnOKClick();
    void Warn(const QString& Text);

    platform::data::TADOConnection& FConnection;
    int FMinReasonLength;
    TDescribeOperation FDescribe;
    int FRequestedId = 0;
};

}  // namespace dataaccess
