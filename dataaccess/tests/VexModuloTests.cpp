// Module descriptors: defaults, display names, copies, the lookups over the
// loaded modules and the JSON description.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "dataaccess/ModuleLookup.h"
#include "dataaccess/ModuloDescription.h"
#include "dataaccess/testhost/TestHost.h"

using namespace dataaccess;
using platform::ui::TImageList;

namespace {

class VexModuloTest : public ::testing::Test {
protected:
    // Loads a module whose descriptor declares the windows and which registers the objects.
    QObject& Load(const QStringList& Windows, const QStringList& Objects = {}) {
        QObject& Module = *Modules.emplace_back(std::make_unique<QObject>());
        auto* Modulo = new TVexModulo(&Module);
        for (const QString& Nome : Windows) Modulo->Relacoes().Add()->Nome = Nome;
        for (const QString& Name : Objects) (new QObject(&Module))->setObjectName(Name);
        Host.AddModule(&Module);
        return Module;
    }
    static TVexModulo& Descriptor(QObject& Module) { return *Module.findChild<TVexModulo*>(); }

    dataaccess::testing::TTestHost Host;
    std::vector<std::unique_ptr<QObject>> Modules;
};

TEST_F(VexModuloTest, NewItemsHaveTheirDefaultsAndDisplayNames) {
    TVexModulo Modulo;
    const TRelacaoModulo& Relacao = *Modulo.Relacoes().Add();
    EXPECT_EQ(Relacao.TipoJanela, tjDados);
    EXPECT_EQ(Relacao.ImageIndex, -1);
    EXPECT_EQ(Relacao.Acessos, 1u << arInserir | 1u << arEditar | 1u << arExcluir);
    EXPECT_TRUE(Relacao.Atalho.Enabled);
    EXPECT_TRUE(Relacao.Atalho.ExibirRecentes);
    EXPECT_FALSE(Relacao.ReadOnly);
    EXPECT_TRUE(Relacao.Disponivel);
    EXPECT_EQ(Relacao.Modulo(), &Modulo);

    TRequisitoModulo& Log = *Modulo.Requisitos().Add();
    TRequisitoModulo& Cliente = *Modulo.Requisitos().Add();
    TRequisitoModulo& Empty = *Modulo.Requisitos().Add();
    Log.Tabela = "sys_Log";
    Log.Tipo = trCriaTabela;
    Cliente.Tabela = "Cliente";
    TRequisitoCampo& Campo = *Cliente.Campos().Add();
    TAcaoModulo& Acao = *Modulo.Acoes().Add();
    const struct {
        QString Shown, Expected;
    } Cases[] = {
        {Log.DisplayName(), "[T] sys_Log"},
        {Cliente.DisplayName(), "[C] Cliente"},
        {Empty.DisplayName(), "TRequisitoModulo"},
        {Campo.DisplayName(), "TRequisitoCampo"},
        {Acao.DisplayName(), "TAcaoModulo"},
        {Relacao.DisplayName(), "TRelacaoModulo"},
    };
    for (const auto& Case : Cases) EXPECT_EQ(Case.Shown, Case.Expected);
    EXPECT_EQ(ModuloOf(Cliente.Campos()), &Modulo);
}

TEST_F(VexModuloTest, AHistoryItemShowsItsVersionAndDate) {
    TVexModulo Modulo;
    THistoricoItem& Item = *Modulo.Historico().Add();
    EXPECT_EQ(Item.Data, QDate::currentDate().startOfDay());
    Item.Data = QDateTime(QDate(2024, 3, 3), QTime(15, 20));
    EXPECT_EQ(Item.DisplayName(), "0.0.0.0 - 03/03/2024");
}

TEST_F(VexModuloTest, FreeingAnImageListClearsOnlyThatReference) {
    TImageList Small, Medium, ExtraLarge, Actions;
    auto Large = std::make_unique<TImageList>();
    TVexModulo Modulo;
    Modulo.SetImages({&Small, &Medium, Large.get(), &ExtraLarge, &Actions});
    Large.reset();
    const TModuloImages& Images = Modulo.Images();
    EXPECT_EQ(Images.Large, nullptr);
    EXPECT_EQ(Images.Small, &Small);
    EXPECT_EQ(Images.Medium, &Medium);
    EXPECT_EQ(Images.ExtraLarge, &ExtraLarge);
    EXPECT_EQ(Images.Actions, &Actions);
}

TEST_F(VexModuloTest, SettingACollectionCopiesItIntoTheDescriptor) {
    TVexModulo Source, Target;
    TRelacaoModulo& Original = *Source.Relacoes().Add();
    Original.Nome = "Clientes";
    Original.Divisoes = QStringList{"Main.Divisao[0].Name=Clientes"};
    Original.Atalho.GroupIndex = 3;
    Original.Disponivel = false;
    int Executed = 0;
    Original.Execute = [&Executed](TRelacaoModulo*) { ++Executed; };
    TRequisitoModulo& Requisito = *Source.Requisitos().Add();
    Requisito.Campos().Add()->Nome = "IdCliente";

    Target.SetRelacoes(Source.Relacoes());
    Target.SetRequisitos(Source.Requisitos());
    Original.Nome = "Alterada";
    Original.Divisoes.append("mais");
    Requisito.Campos().Items(0)->Nome = "Outro";

    TRelacaoModulo& Copy = *Target.Relacoes().Items(0);
    EXPECT_EQ(Copy.Nome, "Clientes");
    EXPECT_EQ(Copy.Divisoes, QStringList{"Main.Divisao[0].Name=Clientes"});
    EXPECT_EQ(Copy.Atalho.GroupIndex, 3);
    EXPECT_TRUE(Copy.Disponivel);  // run-time state is not copied
    EXPECT_EQ(Copy.Modulo(), &Target);
    Copy.Execute(&Copy);
    EXPECT_EQ(Executed, 1);
    EXPECT_EQ(Target.Requisitos().Items(0)->Campos().Items(0)->Nome, "IdCliente");
    EXPECT_EQ(ModuloOf(Target.Requisitos().Items(0)->Campos()), &Target);
    EXPECT_THROW(Target.Relacoes().Items(1), platform::os::EListError);
}

TEST_F(VexModuloTest, FindRelationLooksThroughTheLoadedModulesAndCreatesInTheFirst) {
    EXPECT_EQ(FindRelation("Clientes", "", true, "Pesquisar..."), nullptr);  // no module loaded

    TVexModulo& First = Descriptor(Load({"Clientes"}));
    TVexModulo& Second = Descriptor(Load({"Portos", "Navios"}));
    EXPECT_EQ(FindRelation("navios", "", false, ""), Second.Relacoes().Items(1));
    EXPECT_EQ(FindRelation("Agentes", "", false, ""), nullptr);
    EXPECT_EQ(First.Relacoes().Count(), 1);

    const struct {
        QString Name, Division, Caption, ExpectedCaption, ExpectedLine;
    } Cases[] = {
        {"Agentes", " divAgentes ", " Pesquisar... ", "Pesquisar...", "Main.Divisao[0].Name=divAgentes"},
        {"Moedas", "  ", "", "Moedas", "Main.Divisao[0].Name=Moedas"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name.toStdString());
        TRelacaoModulo* Created = FindRelation(Case.Name, Case.Division, true, Case.Caption);
        ASSERT_NE(Created, nullptr);
        EXPECT_EQ(Created->Modulo(), &First);
        EXPECT_EQ(Created->Nome, Case.Name);
        EXPECT_EQ(Created->Caption, Case.ExpectedCaption);
        EXPECT_EQ(Created->ImageIndex, 11);
        EXPECT_FALSE(Created->Atalho.Enabled);
        EXPECT_EQ(Created->Divisoes, QStringList{Case.ExpectedLine});
        EXPECT_EQ(FindRelation(Case.Name, "", true, ""), Created);  // found, not created again
    }
    EXPECT_EQ(First.Relacoes().Count(), 3);
    EXPECT_EQ(Second.Relacoes().Count(), 2);
}

TEST_F(VexModuloTest, FindModuleObjectAnswersTheFirstObjectRegisteredUnderTheName) {
    EXPECT_EQ(FindModuleObject("dmClientes"), nullptr);
    QObject& First = Load({}, {"dmClientes"});
    QObject& Second = Load({}, {"DMCLIENTES", "dmPortos"});
    EXPECT_EQ(FindModuleObject("dmclientes"), First.findChild<QObject*>("dmClientes"));
    EXPECT_EQ(FindModuleObject("dmPortos"), Second.findChild<QObject*>("dmPortos"));
    EXPECT_EQ(FindModuleObject("dmNavios"), nullptr);
}

TEST_F(VexModuloTest, TheDescriptionHoldsOnlyWhatDiffersFromTheDefaults) {
    TVexModulo Modulo;
    Modulo.Relacoes().Add();
    THistoricoItem& Item = *Modulo.Historico().Add();
    Item.Data = QDateTime(QDate(2024, 3, 3), QTime(0, 0));
    Modulo.Requisitos().Add()->Tabela = "Cliente";
    const QJsonObject Defaults = ModuloToJson(Modulo);
    const QJsonObject Expected{
        {"Requisitos", QJsonArray{QJsonObject{{"Tabela", "Cliente"}}}},
        {"Relacoes", QJsonArray{QJsonObject{}}},
        {"Historico", QJsonArray{QJsonObject{{"Data", "2024-03-03T00:00:00.000"}}}},
        {"Acoes", QJsonArray{}},
    };
    EXPECT_EQ(Defaults, Expected) << QJsonDocument(Defaults).toJson().toStdString();
    Modulo.Requisitos().Clear();
    EXPECT_FALSE(ModuloToJson(Modulo).contains("Requisitos"));

    TRelacaoModulo& Relacao = *Modulo.Relacoes().Items(0);
    Relacao.Acessos = 1u << arInserir;
    Relacao.Atalho.Enabled = false;
    Relacao.Atalho.Options = 1u << aoDesktop | 1u << aoRecent;
    Relacao.TipoJanela = tjConsulta;
    const QJsonObject Written = ModuloToJson(Modulo)["Relacoes"].toArray()[0].toObject();
    const QJsonObject ExpectedRelacao{
        {"Acessos", QJsonArray{"arInserir"}},
        {"Atalho", QJsonObject{{"Enabled", false}, {"Options", QJsonArray{"aoDesktop", "aoRecent"}}}},
        {"TipoJanela", "tjConsulta"},
    };
    EXPECT_EQ(Written, ExpectedRelacao);
}

TEST_F(VexModuloTest, ADescriptionReadBackGivesTheSameDescriptor) {
    QObject Form;
    auto* Small = new TImageList(&Form);
    Small->setObjectName("ilsSmall");
    TVexModulo Modulo(&Form);
    Modulo.Images().Small = Small;
    TRequisitoModulo& Requisito = *Modulo.Requisitos().Add();
    Requisito.Tabela = "sys_Log";
    Requisito.Tipo = trCriaTabela;
    Requisito.CreateSql = QStringList{"Create Table sys_Log (", "IdLog Int)"};
    TRequisitoCampo& Campo = *Requisito.Campos().Add();
    Campo.Nome = "IdLog";
    Campo.Tamanho = 4;
    Campo.Tipo = "Int";
    TRelacaoModulo& Relacao = *Modulo.Relacoes().Add();
    Relacao.Nome = "Clientes";
    Relacao.Caption = "Cadastro de clientes";
    Relacao.ImageIndex = 0;
    Relacao.ReadOnly = true;
    Relacao.Acessos = 0;
    Relacao.Atalho = {"Cadastros\\Clientes", 1u << aoCadastros, true, "Clientes", 2, false};
    Relacao.Permissoes = QStringList{"Clientes=1"};
    TAcaoModulo& Acao = *Modulo.Acoes().Add();
    Acao.Caption = "Imprimir";
    Acao.Tabelas = QStringList{"Cliente"};
    THistoricoItem& Item = *Modulo.Historico().Add();
    Item.Versao = "1.2.0.0";
    Item.Detalhes = QStringList{"Primeira versão"};

    TVexModulo Read(&Form);
    LoadModuloDescription(Read, SaveModuloDescription(Modulo));
    EXPECT_EQ(ModuloToJson(Read), ModuloToJson(Modulo));
    EXPECT_EQ(Read.Images().Small, Small);
    EXPECT_EQ(Read.Relacoes().Items(0)->Atalho.MenuPath, "Cadastros\\Clientes");
    EXPECT_EQ(Read.Historico().Items(0)->Data, Item.Data);
    EXPECT_EQ(ModuloOf(Read.Requisitos().Items(0)->Campos()), &Read);
}

TEST_F(VexModuloTest, AMalformedDescriptionRaisesAndChangesNothing) {
    TVexModulo Modulo;
    Modulo.Relacoes().Add()->Nome = "Clientes";
    const QByteArray Cases[] = {
        "[",
        "[]",
        R"({"Relacoes": [{"Nome": "Portos"}, {"TipoJanela": "tjOutra"}]})",
        R"({"Relacoes": [{"Acessos": ["arLer"]}]})",
        R"({"Relacoes": [{"ImageIndex": "um"}]})",
        R"({"Historico": [{"Data": "ontem"}]})",
        R"({"Images": {"Small": "ilsNenhuma"}})",
    };
    for (const QByteArray& Text : Cases) {
        SCOPED_TRACE(Text.toStdString());
        EXPECT_THROW(LoadModuloDescription(Modulo, Text), platform::os::EStreamError);
        ASSERT_EQ(Modulo.Relacoes().Count(), 1);
        EXPECT_EQ(Modulo.Relacoes().Items(0)->Nome, "Clientes");
    }
}

}  // namespace
