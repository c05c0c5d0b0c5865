// The stand-in application on a fresh emulated prefix: packages written as
// the installation writes them, registered in the package list.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "installlib/InstaladorDefs.h"
#include "installlib/VxiWriter.h"
#include "installlib/tests/RegistryHelpers.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Files.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "samples/navitrex/NavitrexCustomer.h"
#include "samples/navitrex/NavitrexDatabase.h"
#include "samples/navitrex/NavitrexForm.h"
#include "samples/navitrex/NavitrexLists.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexHost.h"
#include "samples/navitrex/NavitrexPrincipal.h"
#include "samples/navitrex/NavitrexStart.h"
#include "dataaccess/VexHost.h"
#include "platform/data/DBClient.h"
#include "platform/data/ADODB.h"
#include "platform/os/Environment.h"
#include "platform/os/WinEnv.h"

using namespace installlib;
using namespace navitrex;
using namespace platform::os;

namespace {

const std::string kAppFolder = "C:\\Program Files\\Ostrevan\\Navitrex\\";

std::string LogoBytes() {
    QImage Image(6, 4, QImage::Format_RGB888);
    Image.fill(Qt::blue);
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "BMP");
    return Data.toStdString();
}

void WritePackage(const std::string& FileName, const std::string& Name, bool WithLogo = true,
                  const std::vector<std::pair<std::string, std::string>>& Lists = {}) {
    std::vector<std::pair<std::string, std::string>> Entries = {
        {"nvocc_cfg.ini", "[Config]\r\nIdNVOCC=1\r\nName=" + Utf8ToAnsi(Name) +
                              "\r\nEmail=bl@" + FileName + ".com\r\nSite=www." + FileName + ".com\r\nFileName=" +
                              FileName + "\r\nEquipment_Not_Null=1\r\nEquipment_Rule=1\r\n"}};
    if (WithLogo) Entries.push_back({"image.bmp", LogoBytes()});
    Entries.insert(Entries.end(), Lists.begin(), Lists.end());
    ForceDirectories(kAppFolder + "Data");
    const auto File = OpenFileStream(kAppFolder + "Data\\" + FileName + ".nvo", fmCreate);
    TVxiWriter Writer(*File);
    for (const auto& [Entry, Content] : Entries) {
        TMemoryStream Stream;
        Stream.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
        Writer.AddFile(Entry, Stream);
    }
}

class NavitrexTest : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        WritePackage("alfa", "Alfa Cargo");
        WritePackage("maritima", "Marítima Cargas Ltda", false);
        RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, kPackageListValue, "alfa, maritima");
    }
};

}  // namespace

TEST_F(NavitrexTest, FindsTheCustomersPackageAmongTheRegisteredOnes) {
    const TCustomerView View = LoadCustomerView({"NVOCC=MARÍTIMA cargas ltda"}, kAppFolder);
    EXPECT_EQ(View.Problem, "");
    EXPECT_EQ(View.PackageFile, kAppFolder + "Data\\maritima.nvo");
    EXPECT_EQ(View.Package.NVOCC.Name, "Marítima Cargas Ltda");
    EXPECT_EQ(View.Package.NVOCC.Email, "bl@maritima.com");
    EXPECT_TRUE(View.Package.Logo.empty());

    const TCustomerView Alfa = LoadCustomerView({"NVOCC=Alfa", "Cargo"}, kAppFolder);
    EXPECT_EQ(Alfa.Package.NVOCC.Site, "www.alfa.com");
    EXPECT_FALSE(Alfa.Package.Logo.empty());
}

TEST_F(NavitrexTest, MissingOrUnreadablePackageIsExplained) {
    EXPECT_EQ(LoadCustomerView({}, kAppFolder).Problem,
              "O Navitrex deve ser iniciado pelo atalho do cliente (\"NVOCC=<nome do cliente>\").");
    const TCustomerView Gama = LoadCustomerView({"NVOCC=Gama"}, kAppFolder);
    EXPECT_EQ(Gama.Problem, "O pacote de configuração do cliente Gama não foi encontrado em '" + kAppFolder + "Data\\'.");
    EXPECT_EQ(Gama.Package.NVOCC.Name, "") << "another customer's package is not shown";

    DeleteFile(kAppFolder + "Data\\alfa.nvo");
    EXPECT_NE(LoadCustomerView({"NVOCC=Alfa Cargo"}, kAppFolder).Problem.find("não foi encontrado"), std::string::npos);

    WriteHostFile(HostPath(kAppFolder + "Data\\alfa.nvo"), "not an archive");
    const TCustomerView Broken = LoadCustomerView({"NVOCC=Alfa Cargo"}, kAppFolder);
    EXPECT_EQ(Broken.Problem.rfind("Não foi possível ler o pacote de configuração '" + kAppFolder + "Data\\alfa.nvo'.\r\n", 0),
              0u)
        << Broken.Problem;
}

TEST_F(NavitrexTest, WindowShowsThePackageOrTheProblem) {
    TfrmNavitrex Form(LoadCustomerView({"NVOCC=Alfa Cargo"}, kAppFolder));
    EXPECT_EQ(Form.Caption(), "Navitrex - Alfa Cargo");
    EXPECT_EQ(Form.lblNome->text(), "Alfa Cargo");
    EXPECT_EQ(Form.lblEmail->text(), "bl@alfa.com");
    EXPECT_EQ(Form.lblSite->text(), "www.alfa.com");
    EXPECT_EQ(Form.lblArquivo->text(), "alfa.nvo");
    EXPECT_EQ(Form.imgLogo->pixmap().size(), QSize(6, 4));
    EXPECT_EQ(Form.imgLogo->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
    Form.Show();
    EXPECT_TRUE(Form.lblNome->isVisible());
    EXPECT_FALSE(Form.lblProblema->isVisible());

    TfrmNavitrex Missing(LoadCustomerView({"NVOCC=Gama"}, kAppFolder));
    Missing.Show();
    EXPECT_TRUE(Missing.lblProblema->isVisible());
    EXPECT_NE(Missing.lblProblema->text().indexOf("Gama"), -1);
    EXPECT_FALSE(Missing.lblNome->isVisible());
    EXPECT_FALSE(Missing.imgLogo->isVisible());
}

TEST_F(NavitrexTest, EveryEntryOfThePackageIsRead) {
    WritePackage("gama", "Gama", true, {{"Equipment.DAT", "20DC;Dry\r\n"}, {"ocean_vessel.dat", "Estrela do Sul\r\n"}});
    const TPackageEntries Entries = ReadPackageEntries(kAppFolder + "Data\\gama.nvo");
    EXPECT_EQ(Entries.size(), 4u);
    EXPECT_EQ(Entries.at("equipment.dat"), "20DC;Dry\r\n") << "names in lower case, after the logo too";
    EXPECT_EQ(Entries.at("ocean_vessel.dat"), "Estrela do Sul\r\n");
    WriteHostFile(HostPath(kAppFolder + "Data\\gama.nvo"), "not an archive");
    EXPECT_THROW(ReadPackageEntries(kAppFolder + "Data\\gama.nvo"), Exception);
}

TEST_F(NavitrexTest, TheDatabaseIsTheCustomersFileUnlessAServerIsConfigured) {
    const TDatabaseLocation Embedded = LocateDatabase(kAppFolder, "alfa");
    EXPECT_TRUE(Embedded.Embedded);
    EXPECT_EQ(Embedded.FileName, kAppFolder + "Data\\alfa.db");
    EXPECT_EQ(Embedded.ConnectionString,
              "Provider=SQLite;Data Source=" + QString::fromStdString(HostPath(Embedded.FileName).string()));

    WriteHostFile(HostPath(kAppFolder + "Data\\alfa.ini"),
                  "[Banco]\r\nConexao = Provider=PostgreSQL;Host=srv;Database=alfa\r\n");
    const TDatabaseLocation FromFile = LocateDatabase(kAppFolder, "alfa");
    EXPECT_FALSE(FromFile.Embedded);
    EXPECT_EQ(FromFile.ConnectionString, "Provider=PostgreSQL;Host=srv;Database=alfa");
    EXPECT_EQ(LocateDatabase(kAppFolder, "maritima").ConnectionString,
              QString(Embedded.ConnectionString).replace("alfa", "maritima"))
        << "another customer keeps its own file";

    for (const char* Crafted : {"..\\..\\windows\\x", "a\\b", "CON", ""}) {
        SCOPED_TRACE(Crafted);
        EXPECT_THROW(LocateDatabase(kAppFolder, Crafted), Exception);
    }

    SetEnvironmentVariable(kDsnVariable, "Provider=PostgreSQL;Host=central;Database=bl");
    EXPECT_EQ(LocateDatabase(kAppFolder, "alfa").ConnectionString, "Provider=PostgreSQL;Host=central;Database=bl");
    RemoveEnvironmentVariable(kDsnVariable);
}

TEST_F(NavitrexTest, TheEmbeddedDatabaseIsCreatedWithItsTablesAndKeptAtTheNextStart) {
    const TDatabaseLocation Location = LocateDatabase(kAppFolder, "alfa");
    {
        const auto Connection = OpenNavitrexDatabase(Location);
        Connection->Execute("Insert Into Navio (IdNavio, Nome) Values (1, 'Estrela do Sul')");
    }
    EXPECT_TRUE(FileExists(Location.FileName));
    const auto Again = OpenNavitrexDatabase(Location);
    EXPECT_EQ(Again->SelectRow("Select Nome From Navio").value(0).toString(), "Estrela do Sul");
    EXPECT_GT(Again->SelectRow("Select Count(*) From sys_Usuario").size(), 0);
}

TEST_F(NavitrexTest, TheFirstStartCreatesTheDatabaseLoadsTheListsAndOpensTheMainWindow) {
    WritePackage("alfa", "Alfa Cargo", true,
                 {{"equipment.dat", "20DC;Dry\r\n"}, {"ocean_vessel.dat", "Estrela do Sul\r\n"},
                  {"port_of_loading.dat", "BRSSZ;Santos;BR\r\n"}});
    const TCustomerView View = LoadCustomerView({"NVOCC=Alfa Cargo"}, kAppFolder);
    const QString PortProblem = "A lista 'port_of_loading.dat' do pacote do cliente está corrompida e não foi "
                                "importada: linha 1, mais de um ';' na linha.";
    for (int Start = 1; Start <= 2; ++Start) {
        SCOPED_TRACE(Start);
        const std::unique_ptr<TAplicacao> App = IniciarAplicacao(View, kAppFolder, "ana");
        EXPECT_TRUE(FileExists(kAppFolder + "Data\\alfa.db"));
        EXPECT_EQ(App->Avisos, QStringList({PortProblem})) << "a corrupt list is tried again at each start";
        EXPECT_EQ(App->Principal->Cadastros[cdEquipamentos]->Client->RecordCount(), 1);
        EXPECT_EQ(App->Principal->Cadastros[cdNavios]->Client->RecordCount(), 1);
        EXPECT_EQ(App->Principal->Caption(), "Navitrex - Alfa Cargo");
        EXPECT_EQ(dataaccess::Host()->MainWindow(), App->Principal.get());
        EXPECT_EQ(dataaccess::Host()->CurrentUserName(), "ana");
        const TRegrasEquipamento Regras = LoadRegrasEquipamento(*App->Connection);
        EXPECT_TRUE(Regras.Obrigatorio);
        EXPECT_EQ(Regras.Regra, kRegraCadastrado);
    }
    EXPECT_EQ(dataaccess::Host(), nullptr);
}
