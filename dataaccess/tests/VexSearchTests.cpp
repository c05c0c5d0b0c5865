// The search request travels to the host's main window with the window item
// and both lists, and its answer comes back.
#include <gtest/gtest.h>

#include "dataaccess/VexSearch.h"
#include "dataaccess/testhost/TestHost.h"

using namespace dataaccess;
using namespace platform::ui;

namespace {

TEST(VexSearch, WithoutAHostMainWindowTheAnswerIsZeroAndNothingIsAdded) {
    QStringList Result, Filter;
    ASSERT_EQ(Host(), nullptr);
    EXPECT_EQ(OpenSearch("Clientes", Result, Filter, "divClientes"), 0);
    EXPECT_TRUE(Result.isEmpty());
}

TEST(VexSearch, TheRequestReachesTheMainWindowWithBothListsAndItsAnswerComesBack) {
    dataaccess::testing::TTestHost TestHost;
    QObject Module;
    auto* Modulo = new TVexModulo(&Module);
    Modulo->Relacoes().Add()->Nome = "Portos";
    TestHost.AddModule(&Module);
    std::vector<TSearchRequest> Seen;
    QStringList FiltersSeen;
    TestHost.Window().OnSearch = [&](TMessage& Message) -> LRESULT {
        const auto& Request = *reinterpret_cast<TSearchRequest*>(Message.WParam);
        Seen.push_back(Request);
        FiltersSeen = *Request.FilterList;
        *Request.ResultList = QStringList{"IdCliente=7"};
        return Request.Relacao->Nome == "Portos" ? 0 : 1;
    };

    QStringList Result, Filter{"Ativo=1"};
    EXPECT_EQ(OpenSearch("Clientes", Result, Filter, "divClientes"), 1);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(TestHost.Window().Received().back().Msg, WM_SEARCHREQUEST);
    EXPECT_EQ(Seen[0].ResultList, &Result);
    EXPECT_EQ(Seen[0].FilterList, &Filter);
    EXPECT_EQ(FiltersSeen, QStringList{"Ativo=1"});
    EXPECT_EQ(Result, QStringList{"IdCliente=7"});
    // A window no module declares is made for the search.
    EXPECT_EQ(Seen[0].Relacao, Modulo->Relacoes().Items(1));
    EXPECT_EQ(Seen[0].Relacao->Caption, "Pesquisar...");
    EXPECT_EQ(Seen[0].Relacao->Divisoes, QStringList{"Main.Divisao[0].Name=divClientes"});

    EXPECT_EQ(OpenSearch("portos", Result, Filter, ""), 0);
    ASSERT_EQ(Seen.size(), 2u);
    EXPECT_EQ(Seen[1].Relacao, Modulo->Relacoes().Items(0));
    EXPECT_EQ(Modulo->Relacoes().Count(), 2);
}

}  // namespace
