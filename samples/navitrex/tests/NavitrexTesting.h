#pragma once
// The fixture of the application's engine suites: the engine's connection
// with the framework's and the application's tables (the engine fixture's
// own Cliente table makes way for the application's), the application's host
// logged in as the first user, message dialogs answered and recorded, and
// the main window when a test opens it.
#include <QStringList>
#include <memory>

#include "EngineTest.h"
#include "controls/tests/RecordedDialogs.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexHost.h"
#include "samples/navitrex/NavitrexLists.h"
#include "samples/navitrex/NavitrexPrincipal.h"

namespace navitrex {
class TfrmConhecimentos;
}

namespace navitrex::testing {

class NavitrexEngineTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    int Count(const QString& Table);
    // A row of the lookup written directly, with its key, name and the Boolean role columns Papeis set (customers
    // as shippers and consignees, ports of loading and of discharge); answers its key. Without Papeis: every role.
    int AddCadastro(TCadastro Cadastro, const QString& Nome, const QStringList& Papeis);
    int AddCadastro(TCadastro Cadastro, const QString& Nome);
    int AddCliente(const QString& Nome) { return AddCadastro(cdClientes, Nome); }
    // The texts of the recorded dialogs.
    QStringList Messages() const;
    // The server's year as bill numbers end with it, "24".
    static QString Year();
    // A new bill on Screen with its shipper and consignee (0: left empty); false when it was refused (told).
    static bool NewBill(TfrmConhecimentos& Screen, int Shipper, int Consignee);
    // A new main window as the application opens it: the host's main window and module, its divisions open.
    void OpenPrincipal(const TRegrasEquipamento& Regras = {});

    std::unique_ptr<TNavitrexHost> Host;
    std::unique_ptr<TfrmPrincipal> Principal;
    TRecordedDialogs Dialogs;
};

}  // namespace navitrex::testing
