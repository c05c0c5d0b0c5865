#pragma once
// The fixture of the numbering suites: the engine fixture with the test host
// on its connection, the framework schema, two companies, a user who passes
// every permission check, and message dialogs answered and recorded.
#include <memory>

#include "EngineTest.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/testhost/TestHost.h"

namespace databound::testing {

class NumberingDialogTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        Host = std::make_unique<dataaccess::testing::TTestHost>(Conn.get());
        dataaccess::CreateSchema(*Conn);
        Conn->Execute("Insert Into sys_Empresa_Sistema (IdEmpresa_Sistema, Nome) Values (3, 'Filial')");
        Conn->Execute("Insert Into sys_Empresa_Sistema (IdEmpresa_Sistema, Nome) Values (5, 'Matriz')");
        Host->Login("dbo", 1, 3);
    }
    void TearDown() override {
        Host.reset();
        EngineTest::TearDown();
    }
    int Count(const QString& Table) { return Scalar("Select Count(*) From " + Table).toInt(); }
    // A configuration row of Pedido; company 0 stands for all companies.
    void Configure(int Id, int Empresa, const QString& Campo, int Opcao, const QString& Mascara, int Digitos) {
        platform::data::TParameters P;
        P.CreateParameter("Id", platform::data::ftInteger, Id);
        P.CreateParameter("Empresa", platform::data::ftSmallint, Empresa ? QVariant(Empresa) : platform::data::Null());
        P.CreateParameter("Campo", platform::data::ftString, Campo);
        P.CreateParameter("Opcao", platform::data::ftInteger, Opcao);
        P.CreateParameter("Mascara", platform::data::ftString, Mascara);
        P.CreateParameter("Digitos", platform::data::ftInteger, Digitos);
        Conn->Execute("Insert Into sys_Numeracao (IdNumeracao, IdEmpresa_Sistema, Chave, Campo, Opcao_Zeramento, "
                      "Mascara, Quantidade_Digitos) Values (:Id, :Empresa, 'Pedido', :Campo, :Opcao, :Mascara, "
                      ":Digitos)", &P);
    }
    // "IdNumeracao|IdEmpresa_Sistema|Chave|Campo|Opcao_Zeramento|Mascara|Quantidade_Digitos" per row, by key.
    QStringList Configs() {
        return SelectRows("Select IdNumeracao, IdEmpresa_Sistema, Chave, Campo, Opcao_Zeramento, Mascara, "
                          "Quantidade_Digitos From sys_Numeracao Order By IdNumeracao");
    }
    // "IdNumeracao_Item|IdNumeracao|Numero|Dia|Mes|Ano" per row, by key.
    QStringList Counters() {
        return SelectRows(
            "Select IdNumeracao_Item, IdNumeracao, Numero, Dia, Mes, Ano From sys_Numeracao_Item Order By 1");
    }
    QStringList Messages() const {
        QStringList Out;
        for (const auto& Call : Dialogs.Calls) Out << Call.Msg;
        return Out;
    }

    std::unique_ptr<dataaccess::testing::TTestHost> Host;
    TRecordedDialogs Dialogs;
};

}  // namespace databound::testing
