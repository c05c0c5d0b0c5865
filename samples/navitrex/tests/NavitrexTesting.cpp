#include "NavitrexTesting.h"

#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/VexSession.h"
#include "platform/data/ADODB.h"
#include "platform/data/Field.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"
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
    Principal.reset();
    Host.reset();
    EngineTest::TearDown();
}

int NavitrexEngineTest::Count(const QString& Table) {
    return Scalar(QString("Select Count(*) From %1").arg(Table)).toInt();
}

int NavitrexEngineTest::AddCadastro(TCadastro Cadastro, const QString& Nome) {
    const QStringList Papeis[] = {{"Embarcador", "Consignatario"}, {}, {"Embarque", "Descarga"}, {}};
    return AddCadastro(Cadastro, Nome, Papeis[Cadastro]);
}

int NavitrexEngineTest::AddCadastro(TCadastro Cadastro, const QString& Nome, const QStringList& Papeis) {
    const QString Tabela = TabelaCadastro(Cadastro), Chave = ChaveCadastro(Cadastro);
    const int Id = ReserveKeys(*Conn, Tabela, Chave, 1);
    TParameters Params;
    Params.CreateParameter("Id", ftInteger, Id);
    Params.CreateParameter("Nome", ftString, Nome);
    QString Columns = Chave + ", Nome", Values = ":Id, :Nome";
    for (const QString& Papel : Papeis) {
        Params.CreateParameter(Papel, ftBoolean, true);
        Columns += ", " + Papel;
        Values += ", :" + Papel;
    }
    Conn->Execute(QString("Insert Into %1 (%2) Values (%3)").arg(Tabela, Columns, Values), &Params);
    return Id;
}

QStringList NavitrexEngineTest::Messages() const {
    QStringList Out;
    for (const controls::TMessageDialogCall& Call : Dialogs.Calls) Out << Call.Msg;
    return Out;
}

QString NavitrexEngineTest::Year() {
    return QString("%1").arg(dataaccess::ServerNow().date().year() % 100, 2, 10, QChar('0'));
}

bool NavitrexEngineTest::NewBill(TfrmConhecimentos& Screen, int Shipper, int Consignee) {
    if (!Screen.NovoConhecimento()) return false;
    if (Shipper) Screen.Conhecimentos->Field("IdCliente_Embarcador")->SetValue(Shipper);
    if (Consignee) Screen.Conhecimentos->Field("IdCliente_Consignatario")->SetValue(Consignee);
    return true;
}

void NavitrexEngineTest::OpenPrincipal(const TRegrasEquipamento& Regras) {
    Principal.reset();
    Principal = std::make_unique<TfrmPrincipal>("Alfa", Regras);
    Host->SetMainWindow(Principal.get());
    Host->AddModule(Principal->Modulo);
    Principal->Abrir();
}

}  // namespace navitrex::testing
