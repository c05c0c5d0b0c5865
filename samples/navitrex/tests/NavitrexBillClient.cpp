// One office of the concurrency test: "navitrex_bill_client CONNECTION SCHEMA USER COUNT" creates COUNT bills
// through the bills screen on the database, as a user at the screen would; SCHEMA may be empty. A bill the
// database refused (a lock held too long by the other office) is made again, as the user would; the messages go
// to the error output. Every number handed out goes to the standard output, one a line, written or not.
// Exits 1 when twice COUNT attempts did not write COUNT bills.
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
    const int Count = QString(argv[4]).toInt();
    int Written = 0;
    for (int Attempt = 0; Attempt < 2 * Count && Written < Count; ++Attempt) {
        if (!Screen.NovoConhecimento()) {
            Screen.Descartar();
            continue;
        }
        std::printf("%s\n", Screen.Conhecimentos->Field("Numero")->AsString().toUtf8().constData());
        Screen.Conhecimentos->Field("IdCliente_Embarcador")->SetValue(Cliente);
        Screen.Conhecimentos->Field("IdCliente_Consignatario")->SetValue(Cliente);
        if (Screen.Gravar()) ++Written;
        else Screen.Descartar();
    }
    return Written == Count ? 0 : 1;
}
