#pragma once
// The fixture of the table-class suites: the engine fixture with the test host
// on its connection, the framework schema, a table Pedido (key, reference,
// integer and date-time columns) beside Cliente, dialogs answered and recorded,
// and table classes over both tables.
#include <memory>

#include "EngineTest.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/VexClasse.h"
#include "dataaccess/testhost/TestHost.h"

namespace dataaccess::testing {

// Cliente with Indice numbers that differ from the positions (Nome and Cidade swapped).
class TClienteTeste : public TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdCliente = 0, idxCidade = 1, idxNome = 2, idxSaldo = 3 };
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Cliente"; }
    void GetCaption(QString& Caption) override { Caption = "Cliente Especial"; }
    int BeforePostHooks = 0;

protected:
    void DefineFields() override;
    void DoBeforePost() override { ++BeforePostHooks; }
};

class TPedidoTeste : public TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdPedido, idxIdCliente, idxQuantidade, idxEntrega };
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Pedido"; }
    void GetCaption(QString& Caption) override { Caption = "Pedido"; }

protected:
    void DefineFields() override;
};

class TableTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Rows of Pedido as "IdPedido|IdCliente|Quantidade|Entrega", by key.
    QStringList Pedidos();

    std::unique_ptr<TTestHost> Host;
    TRecordedDialogs Dialogs;
};

}  // namespace dataaccess::testing
