#pragma once
// The stand-in application's window: the customer it was started for, the
// package it read (logo, name, e-mail, site, file) or why there is none.
#include <QLabel>

#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexCustomer.h"

namespace navitrex {

class TfrmNavitrex : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmNavitrex(const TCustomerView& View, QWidget* AOwner = nullptr);

    QLabel* imgLogo;
    QLabel* lblCliente;
    QLabel* lblNome;
    QLabel* lblEmail;
    QLabel* lblSite;
    QLabel* lblArquivo;
    QLabel* lblProblema;
};

}  // namespace navitrex
