#pragma once
// Starting the application for a customer whose package was found: the
// database opened (created on the first start), the host installed and the
// user logged in, the package's lists imported and its equipment settings
// stored, then the main window built and opened. Problems with single lists
// do not stop the start; they are kept for the user. Database errors raise,
// with everything made so far freed again.
#include <QStringList>
#include <memory>
#include <string>

#include "samples/navitrex/NavitrexCustomer.h"

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

class TNavitrexHost;
class TfrmPrincipal;

struct TAplicacao {
    TAplicacao();
    ~TAplicacao();
    // Members go in reverse order: the window before the host before the connection.
    std::unique_ptr<platform::data::TADOConnection> Connection;
    std::unique_ptr<TNavitrexHost> Host;
    std::unique_ptr<TfrmPrincipal> Principal;
    QStringList Avisos;
};

std::unique_ptr<TAplicacao> IniciarAplicacao(const TCustomerView& View, const std::string& AppFolder,
                                            const QString& UserName);

}  // namespace navitrex
