// The search request travels to the main window with the window item and
// both lists, and its answer comes back.
#include <gtest/gtest.h>

#include "dataaccess/ModuleLookup.h"
#include "dataaccess/VexSearch.h"
#include "platform/ui/Forms.h"

using namespace dataaccess;
using namespace platform::ui;

namespace {

class VexSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedModules().clear();
        Modulo.Relacoes().Add()->Nome = "Portos";
        LoadedModules().push_back({&Modulo, {}});
    }
    void TearDown() override {
        SetMainForm(nullptr);
        LoadedModules().clear();
    }

    TVexModulo Modulo;
};

TEST_F(VexSearchTest, WithoutAMainWindowTheAnswerIsZeroAndNothingIsAdded) {
    QStringList Result, Filter;
    EXPECT_EQ(OpenSearch("Clientes", Result, Filter, "divClientes"), 0);
    EXPECT_EQ(Modulo.Relacoes().Count(), 1);
}

TEST_F(VexSearchTest, TheRequestReachesTheMainWindowWithBothListsAndItsAnswerComesBack) {
    TCustomForm Main;
    SetMainForm(&Main);
    std::vector<TSearchRequest> Seen;
    QStringList FiltersSeen;
    Main.SetMessageHandler(WM_SEARCHREQUEST, [&](TMessage& Message) {
        const auto& Request = *reinterpret_cast<TSearchRequest*>(Message.WParam);
        Seen.push_back(Request);
        FiltersSeen = *Request.FilterList;
        *Request.ResultList = QStringList{"IdCliente=7"};
        Message.Result = Request.Relacao->Nome == "Portos" ? 0 : 1;
    });
    QStringList Result, Filter{"Ativo=1"};
    EXPECT_EQ(OpenSearch("Clientes", Result, Filter, "divClientes"), 1);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0].ResultList, &Result);
    EXPECT_EQ(Seen[0].FilterList, &Filter);
    EXPECT_EQ(FiltersSeen, QStringList{"Ativo=1"});
    EXPECT_EQ(Result, QStringList{"IdCliente=7"});
    // A window no module declares is made for the search.
    EXPECT_EQ(Seen[0].Relacao, Modulo.Relacoes().Items(1));
    EXPECT_EQ(Seen[0].Relacao->Caption, "Pesquisar...");
    EXPECT_EQ(Seen[0].Relacao->Divisoes, QStringList{"Main.Divisao[0].Name=divClientes"});

    EXPECT_EQ(OpenSearch("portos", Result, Filter, ""), 0);
    EXPECT_EQ(Seen[1].Relacao, Modulo.Relacoes().Items(0));
    EXPECT_EQ(Modulo.Relacoes().Count(), 2);
}

}  // namespace
