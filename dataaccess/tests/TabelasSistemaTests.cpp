// The system tables and the registry of table classes.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "controls/VexMessage.h"
#include "dataaccess/ClasseTabelaList.h"
#include "dataaccess/TabelasSistema.h"
#include "platform/ui/Classes.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

class TabelasSistemaTest : public TableTest {};
VEX_INSTANTIATE_ENGINE_SUITE(TabelasSistemaTest);

int Position(const QString& Name) {
    const auto& List = ClasseTabelaList();
    for (size_t I = 0; I < List.size(); ++I)
        if (List[I].Name == Name) return static_cast<int>(I);
    return -1;
}

TEST(ClasseTabelaListTest, SystemTablesAreRegisteredInOrderAndFoundIgnoringCase) {
    ASSERT_GE(Position("TUsuario"), 0);
    EXPECT_EQ(Position("TEmpresaSistema"), Position("TUsuario") + 1);
    EXPECT_EQ(Position("TSenhaControle"), Position("TUsuario") + 2);

    const struct {
        const char* Name;
        const char* Table;
        const char* Caption;
    } Cases[] = {{"tusuario", "sys_Usuario", "Usuário"},
                 {"TEMPRESASISTEMA", "sys_Empresa_Sistema", "Empresa do sistema"},
                 {"TSenhaControle", "sys_Senha_Controle", "Senha de controle"}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::unique_ptr<TClasseTabela> Table(CreateClasseTabela(Case.Name));
        EXPECT_EQ(Table->TableName(), Case.Table);
        EXPECT_EQ(Table->Caption(), Case.Caption);
        EXPECT_FALSE(Table->CheckPermissions());
        EXPECT_EQ(Table->GetProviderName(), "prv" + FindClasseTabela(Case.Name)->Name + "Prodiver");
    }
    EXPECT_EQ(FindClasseTabela("TUsuarioX"), nullptr);
    try {
        CreateClasseTabela("TDesconhecida");
        ADD_FAILURE() << "an unknown class was created";
    } catch (const controls::EDesktopError& E) {
        EXPECT_STREQ(E.what(), "A classe de tabela 'TDesconhecida' não está registrada.");
    }
}

TEST(ClasseTabelaListTest, AClassLeavesTheRegistryWhenUnregistered) {
    RegisterClasseTabela<TClienteTeste>();
    EXPECT_THROW(RegisterClasseTabela<TClienteTeste>(), platform::os::EListError);
    EXPECT_EQ(ClasseTabelaList().back().Name, "TClienteTeste");
    std::unique_ptr<TClasseTabela> Table(CreateClasseTabela("tclienteteste"));
    EXPECT_EQ(Table->GetProviderName(), "prvTClienteTesteProdiver");
    UnregisterClasseTabela<TClienteTeste>();
    EXPECT_EQ(FindClasseTabela("TClienteTeste"), nullptr);
    EXPECT_FALSE(platform::ui::GetClass("TClienteTeste"));
}

TEST(ClasseTabelaListTest, TheCompanyActiveColumnHasIndexThree) {
    std::unique_ptr<TEmpresaSistema> Empresa(CreateClasseTabela<TEmpresaSistema>());
    ASSERT_NE(Empresa->FindCampo(3), nullptr);
    EXPECT_EQ(Empresa->FindCampo(3)->Nome, "Ativo");
    EXPECT_EQ(Empresa->FindCampo(2), nullptr);
}

TEST(ClasseTabelaListTest, ATableMadeWithoutItsSecondStepRaisesInsteadOfCheckingNothing) {
    TUsuario Bare;
    try {
        Bare.CheckPermission(paExcluir);
        ADD_FAILURE() << "no exception";
    } catch (const platform::os::Exception& E) {
        EXPECT_NE(E.Message().find("TUsuario"), std::string::npos) << E.Message();
    }
}

TEST_P(TabelasSistemaTest, AUserNamedDboIsNeverWritten) {
    std::unique_ptr<TUsuario> Usuario(CreateClasseTabela<TUsuario>());
    Usuario->DataSet()->Append();
    Usuario->SetFieldValues({"IdUsuario", "Nome"}, {7, " DBO "});
    try {
        Usuario->DataSet()->Post();
        ADD_FAILURE() << "the user was posted";
    } catch (const controls::EDesktopError& E) {
        EXPECT_STREQ(E.what(), "O nome de usuário 'DBO' é reservado e não pode ser usado.");
        EXPECT_EQ(E.Details(), kReservedUserNameHint);
    }
    EXPECT_EQ(Scalar("Select Count(*) From sys_Usuario").toInt(), 0);

    // Another name goes through, and cannot be renamed to the reserved one.
    Usuario->SetAsString(TUsuario::idxNome, "maria");
    Usuario->DataSet()->Post();
    EXPECT_EQ(Scalar("Select Nome From sys_Usuario Where IdUsuario = 7").toString(), "maria");
    Usuario->SetAsString(TUsuario::idxNome, "dbo");
    EXPECT_THROW(Usuario->DataSet()->Post(), controls::EDesktopError);
    Usuario->DataSet()->Cancel();
    EXPECT_EQ(Scalar("Select Nome From sys_Usuario Where IdUsuario = 7").toString(), "maria");
}

}  // namespace
