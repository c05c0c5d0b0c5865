#pragma once
// The fixture of the application's engine suites: the engine's connection
// with the framework's and the application's tables (the engine fixture's
// own Cliente table makes way for the application's), the application's host
// logged in as the first user, and message dialogs answered and recorded.
#include <QStringList>
#include <memory>

#include "EngineTest.h"
#include "controls/tests/RecordedDialogs.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexHost.h"

namespace navitrex::testing {

class NavitrexEngineTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    int Count(const QString& Table);
    // A row of the lookup written directly, with only its key and name; answers its key.
    int AddCadastro(TCadastro Cadastro, const QString& Nome);
    int AddCliente(const QString& Nome) { return AddCadastro(cdClientes, Nome); }
    // The texts of the recorded dialogs.
    QStringList Messages() const;

    std::unique_ptr<TNavitrexHost> Host;
    TRecordedDialogs Dialogs;
};

}  // namespace navitrex::testing
