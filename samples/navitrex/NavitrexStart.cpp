#include "samples/navitrex/NavitrexStart.h"

#include "dataaccess/VexModulo.h"
#include "databound/ConfigNumeracaoFra.h"
#include "databound/GridDialogs.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexDatabase.h"
#include "samples/navitrex/NavitrexHost.h"
#include "samples/navitrex/NavitrexLists.h"
#include "samples/navitrex/NavitrexPrincipal.h"

namespace navitrex {

namespace {

const char* const kConfigEntry = "nvocc_cfg.ini";

}  // namespace

TAplicacao::TAplicacao() = default;
TAplicacao::~TAplicacao() = default;

std::unique_ptr<TAplicacao> IniciarAplicacao(const TCustomerView& View, const std::string& AppFolder,
                                            const QString& UserName) {
    databound::RegisterGridDialogs();
    databound::RegisterNumberingDialog();
    auto App = std::make_unique<TAplicacao>();
    App->Connection = OpenNavitrexDatabase(LocateDatabase(AppFolder, View.Package.NVOCC.FileName));
    App->Host = std::make_unique<TNavitrexHost>(*App->Connection);
    App->Host->Login(UserName);

    const TPackageEntries Entries = ReadPackageEntries(View.PackageFile);
    const TImportacao Importacao = ImportPackageLists(*App->Connection, Entries);
    App->Avisos = Importacao.Problemas;
    if (const auto Config = Entries.find(kConfigEntry); Config != Entries.end())
        StoreRegrasEquipamento(*App->Connection, ReadRegrasEquipamento(Config->second));

    App->Principal = std::make_unique<TfrmPrincipal>(QString::fromStdString(View.Customer),
                                                     LoadRegrasEquipamento(*App->Connection));
    App->Host->SetMainWindow(App->Principal.get());
    App->Host->AddModule(App->Principal->Modulo);
    App->Principal->Abrir();
    return App;
}

}  // namespace navitrex
