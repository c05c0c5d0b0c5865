// One office of the concurrency test: "navitrex_bill_client CONNECTION SCHEMA USER COUNT" creates COUNT bills
// through the bills screen on the database, as a user at the screen would; SCHEMA may be empty. Exits 1 at the
// first bill that could not be written, with the messages on the error output.
#include <QApplication>
#include <cstdio>

#include "controls/VexMessage.h"
#include "platform/data/ADODB.h"
#include "platform/data/Field.h"
#include "platform/data/DBClient.h"
#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexHost.h"

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s CONNECTION SCHEMA USER COUNT\n", argv[0]);
        return 2;
    }
    platform::ui::InitApplication();
    controls::SetMessageDialogResponder([](const controls::TMessageDialogCall& Call) {
        std::fprintf(stderr, "%s\n", Call.Msg.toUtf8().constData());
        return 1;
    });
    platform::data::TADOConnection Connection;
    Connection.SetConnectionString(QString::fromLocal8Bit(argv[1]));
    Connection.SetLoginPrompt(false);
    Connection.Open();
    if (const QString Schema = QString::fromLocal8Bit(argv[2]); !Schema.isEmpty())
        Connection.Execute("Set search_path To " + Schema);
    const QVariant Cliente = Connection.SelectRow("Select Min(IdCliente) From Cliente").value(0);
    navitrex::TNavitrexHost Host(Connection);
    Host.Login(QString::fromLocal8Bit(argv[3]));
    navitrex::TfrmConhecimentos Screen({});
    Screen.Abrir();
    for (int Index = 0; Index < QString(argv[4]).toInt(); ++Index) {
        if (!Screen.NovoConhecimento()) return 1;
        Screen.Conhecimentos->Field("IdCliente_Embarcador")->SetValue(Cliente);
        Screen.Conhecimentos->Field("IdCliente_Consignatario")->SetValue(Cliente);
        if (!Screen.Gravar()) return 1;
    }
    return 0;
}
