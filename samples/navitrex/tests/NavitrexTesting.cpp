#include "NavitrexTesting.h"

#include "dataaccess/VexSchema.h"
#include "dataaccess/VexSession.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexSeed.h"

namespace navitrex::testing {

using namespace platform::data;

void NavitrexEngineTest::SetUp() {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    Conn->Execute("Drop Table Cliente");
    dataaccess::CreateSchema(*Conn);
    CreateNavitrexSchema(*Conn);
    dataaccess::ResetSession();
    Host = std::make_unique<TNavitrexHost>(*Conn);
    Host->Login("ana");
}

void NavitrexEngineTest::TearDown() {
    Host.reset();
    EngineTest::TearDown();
}

int NavitrexEngineTest::Count(const QString& Table) {
    return Scalar(QString("Select Count(*) From %1").arg(Table)).toInt();
}

int NavitrexEngineTest::AddCadastro(TCadastro Cadastro, const QString& Nome) {
    const QString Tabela = TabelaCadastro(Cadastro), Chave = ChaveCadastro(Cadastro);
    const int Id = ReserveKeys(*Conn, Tabela, Chave, 1);
    TParameters Params;
    Params.CreateParameter("Id", ftInteger, Id);
    Params.CreateParameter("Nome", ftString, Nome);
    Conn->Execute(QString("Insert Into %1 (%2, Nome) Values (:Id, :Nome)").arg(Tabela, Chave), &Params);
    return Id;
}

QStringList NavitrexEngineTest::Messages() const {
    QStringList Out;
    for (const controls::TMessageDialogCall& Call : Dialogs.Calls) Out << Call.Msg;
    return Out;
}

}  // namespace navitrex::testing
