// The lookups on every engine: a row needs its name.
#include <gtest/gtest.h>

#include <memory>

#include "NavitrexTesting.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexMessages.h"

namespace navitrex::testing {
namespace {

using LookupTest = NavitrexEngineTest;
VEX_INSTANTIATE_ENGINE_SUITE(LookupTest);

TEST_P(LookupTest, ARowWithoutANameIsRefusedNamingTheFieldAndNothingIsWritten) {
    for (const TCadastro Cadastro : kCadastros) {
        SCOPED_TRACE(NomeCadastro(Cadastro).toStdString());
        Dialogs.Calls.clear();
        const std::unique_ptr<TFrameDivisao> Frame(CreateCadastro(Cadastro));
        platform::data::TClientDataSet& Rows = *Frame->Client;
        Rows.Open();
        Rows.Append();
        EXPECT_FALSE(Attempt([&] { Rows.Post(); }));
        EXPECT_EQ(Messages(), QStringList("É preciso preencher o campo 'Nome' antes de gravar o registro."));
        EXPECT_EQ(Count(TabelaCadastro(Cadastro)), 0);
        Rows.FieldByName("Nome")->SetAsString("Santos");
        EXPECT_TRUE(Attempt([&] { Rows.Post(); })) << Messages().join("\n").toStdString();
        EXPECT_EQ(Count(TabelaCadastro(Cadastro)), 1);
    }
}

}  // namespace
}  // namespace navitrex::testing
