// The customer package's lists and equipment settings: reading, importing
// once and whole, and the container-number check.
#include <gtest/gtest.h>

#include "NavitrexTesting.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexLists.h"

namespace navitrex::testing {
namespace {

QStringList Items(const TListaLida& Lista) {
    QStringList Out;
    for (const TListaItem& Item : Lista.Items) Out << Item.Codigo + "|" + Item.Nome;
    return Out;
}

TEST(NavitrexLists, LinesAreCodeAndNameOrNameInCodePage1252) {
    const TListaLida Lista = ReadLista("BRSSZ;Santos\r\n\r\n BRPNG ; Paranagu\xE1 \r\nIta\xEDm\n", 10, 60);
    EXPECT_EQ(Lista.Problem, "");
    EXPECT_EQ(Items(Lista), QStringList({"BRSSZ|Santos", "BRPNG|Paranaguá", "|Itaím"}));
}

TEST(NavitrexLists, ACorruptListNamesItsLineAndYieldsNothing) {
    const struct {
        std::string Text;
        QString Problem;
    } Cases[] = {
        {std::string("20DC;Dry\r\n40DC;\0\x01\x02", 18), "linha 2, caractere inválido."},
        {"20DC;Dry;Box\r\n", "linha 1, mais de um ';' na linha."},
        {"20DC;Dry\r\n;Reefer\r\n", "linha 2, código vazio."},
        {"20DC; \r\n", "linha 1, nome vazio."},
        {"ABCDEFGHIJK;Longo\r\n", "linha 1, código com mais de 10 caracteres."},
        {std::string(61, 'x') + "\r\n", "linha 1, nome com mais de 60 caracteres."},
        {"20DC;Dry\r\n20dc;Outro\r\n", "linha 2, item repetido."},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Problem.toStdString());
        const TListaLida Lista = ReadLista(Case.Text, 10, 60);
        EXPECT_EQ(Lista.Problem, Case.Problem);
        EXPECT_TRUE(Lista.Items.empty());
    }
}

TEST(NavitrexLists, EquipmentSettingsComeFromTheConfigSection) {
    const struct {
        const char* Ini;
        bool Obrigatorio;
        int Regra;
    } Cases[] = {
        {"[Config]\r\nEquipment_Not_Null=1\r\nEquipment_Rule=2\r\n", true, 2},
        {"[Config]\r\nEquipment_Not_Null=0\r\nEquipment_Rule=7\r\n", false, 0},
        {"[Outra]\r\nEquipment_Not_Null=1\r\n", false, 0},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Ini);
        const TRegrasEquipamento Regras = ReadRegrasEquipamento(Case.Ini);
        EXPECT_EQ(Regras.Obrigatorio, Case.Obrigatorio);
        EXPECT_EQ(Regras.Regra, Case.Regra);
    }
}

TEST(NavitrexLists, ContainerNumbersCarryTheirCheckDigit) {
    for (const char* Valid : {"CSQU3054383", "MSKU9070323", "TGHU1234567"})
        EXPECT_TRUE(IsValidContainerNumber(Valid)) << Valid;
    for (const char* Invalid : {"CSQU3054384", "CSQA3054383", "CSQU305438", "CSQU30543833", "C5QU3054383", ""})
        EXPECT_FALSE(IsValidContainerNumber(Invalid)) << Invalid;
}

class ListImportTest : public NavitrexEngineTest {
protected:
    TPackageEntries Entries{
        {"equipment.dat", "20DC;20' Dry Container\r\n40HC;40' High Cube\r\n"},
        {"ocean_vessel.dat", "Estrela do Sul\r\nBoreal Express\r\n"},
        {"port_of_loading.dat", "BRSSZ;Santos\r\nBRPNG;Paranagu\xE1\r\n"},
        {"port_of_discharge.dat", "NLRTM;Rotterdam\r\nBRSSZ;Santos\r\n"},
        {"report.rpt", "not a list"},
    };
};
VEX_INSTANTIATE_ENGINE_SUITE(ListImportTest);

TEST_P(ListImportTest, ListsAreImportedOnceAndPortsOfBothListsMerge) {
    const TImportacao First = ImportPackageLists(*Conn, Entries);
    EXPECT_EQ(First.Problemas, QStringList());
    EXPECT_EQ(First.Importadas.size(), 4);
    EXPECT_EQ(SelectRows("Select Codigo, Nome From Equipamento Order By Codigo"),
              QStringList({"20DC|20' Dry Container", "40HC|40' High Cube"}));
    EXPECT_EQ(SelectRows("Select Codigo, Nome From Navio Order By Nome"),
              QStringList({"|Boreal Express", "|Estrela do Sul"}));
    EXPECT_EQ(SelectRows("Select Codigo, Nome, Embarque, Descarga From Porto Order By Codigo"),
              QStringList({"BRPNG|Paranaguá|True|", "BRSSZ|Santos|True|True", "NLRTM|Rotterdam||True"}));
    const TImportacao Second = ImportPackageLists(*Conn, Entries);
    EXPECT_EQ(Second.Importadas, QStringList());
    EXPECT_EQ(Count("Porto"), 3);
}

TEST_P(ListImportTest, ACorruptListIsReportedSkippedAndTriedAgainLater) {
    Entries["port_of_discharge.dat"] = "NLRTM;Rotterdam\r\nDEHAM;Hamburg;DE\r\n";
    const TImportacao First = ImportPackageLists(*Conn, Entries);
    EXPECT_EQ(First.Problemas,
              QStringList({"A lista 'port_of_discharge.dat' do pacote do cliente está corrompida e não foi importada: "
                           "linha 2, mais de um ';' na linha."}));
    EXPECT_EQ(First.Importadas.size(), 3);
    EXPECT_EQ(Scalar("Select Count(*) From Porto Where Codigo = 'NLRTM'").toInt(), 0) << "nothing half imported";

    Entries["port_of_discharge.dat"] = "NLRTM;Rotterdam\r\nDEHAM;Hamburg\r\n";
    EXPECT_EQ(ImportPackageLists(*Conn, Entries).Importadas, QStringList({"port_of_discharge.dat"}));
    EXPECT_EQ(Count("Porto"), 4);
}

TEST_P(ListImportTest, EquipmentSettingsAreKeptInTheDatabase) {
    EXPECT_FALSE(LoadRegrasEquipamento(*Conn).Obrigatorio);
    StoreRegrasEquipamento(*Conn, {true, kRegraCadastrado});
    StoreRegrasEquipamento(*Conn, {true, kRegraConteinerValido});
    const TRegrasEquipamento Regras = LoadRegrasEquipamento(*Conn);
    EXPECT_TRUE(Regras.Obrigatorio);
    EXPECT_EQ(Regras.Regra, kRegraConteinerValido);
}

}  // namespace
}  // namespace navitrex::testing
