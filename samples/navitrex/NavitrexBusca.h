#pragma once
// The search window the main window opens for a search request: the rows of
// one lookup in its grid; OK (or Enter) chooses the current row, whose
// values, "Field=Value" per field, become the request's results.
#include <QStringList>

#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexCadastros.h"

namespace controls {
class TVexButton;
}

namespace navitrex {

class TfrmBusca : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    // Opens the lookup's rows at once.
    explicit TfrmBusca(TCadastro Cadastro, const QString& Caption, QWidget* AOwner = nullptr);

    // The current row's values.
    QStringList Resultado() const;

    TFrameDivisao* Lista;
    controls::TVexButton* btnOK;
    controls::TVexButton* btnCancelar;
};

}  // namespace navitrex
