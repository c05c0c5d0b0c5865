// Roles, permission levels and control passwords over every engine: the
// highest level wins, administrators are never denied, role cycles end,
// names and passwords match whole, single-use passwords work once even when
// two sessions give them at once, and the permission query runs once per
// table for the session.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>

#include "PermissionTesting.h"
#include "TableTest.h"
#include "controls/VexButton.h"
#include "controls/VexMessage.h"
#include "controls/tests/MessageBoxTesting.h"
#include "dataaccess/PermissionOperations.h"
#include "dataaccess/SenhaControleDialog.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/VexSession.h"
#include "platform/data/ADODB.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

constexpr int kAna = 1;
constexpr int kRoleA = 1, kRoleB = 2, kRoleAdmin = 3, kRoleC = 4, kRoleLookAlike = 5;
constexpr int kCliente = 1;
constexpr int kAdministratorKind = 1, kRenewedKind = 2, kSingleUseKind = 3;

class PermissaoTest : public PermissionTest {
protected:
    void SetUp() override {
        PermissionTest::SetUp();
        if (IsSkipped()) return;
        AddUser(kAna, "ana");
        for (const auto& [Id, Name] : std::initializer_list<std::pair<int, const char*>>{
                 {kRoleA, "A"}, {kRoleB, "B"}, {kRoleAdmin, "vx_admin"}, {kRoleC, "C"}, {kRoleLookAlike, "vxXadmin"}})
            AddRole(Id, Name);
        AddTable(kCliente, "Cliente");
        Host->Login("ana", kAna, 1);
    }

    // The message of the exception Run raises; empty when it raises none.
    template <class TError>
    QString ErrorOf(const std::function<void()>& Run) {
        try {
            Run();
        } catch (const TError& E) {
            return QString::fromStdString(E.what());
        }
        return QString();
    }

    TPasswordValidation Given(int Requested, const QString& Senha) {
        TPasswordValidation V;
        V.IdSenhaControle = Requested;
        V.Senha = Senha;
        V.IdUsuario = kAna;
        V.Descricao = "Excluir - Cliente";
        V.Motivo = "conferência";
        return V;
    }
};

VEX_INSTANTIATE_ENGINE_SUITE(PermissaoTest);

}  // namespace

TEST_P(PermissaoTest, TheHighestLevelOverTheRolesDeniesWithTheExactMessage) {
    AddMember(kRoleA, kAna, 0);
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleA, {0, 0, 0, 0, 0});
    Grant(kCliente, kRoleB, {0, 2, 1, 2, 0});
    TRecordingTable Table("Cliente");
    TPermissaoClasse Permissions("cliente", nullptr);
    const struct {
        TPermissionAction Action;
        const char* Message;
    } Cases[] = {{paExcluir, "Seu usuário não possui permissão para excluir registros da tabela 'Cliente'."},
                 {paInserir, "Seu usuário não possui permissão para inserir registros na tabela 'Cliente'."}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Message);
        try {
            CheckPermission(Table, Permissions, Case.Action);
            ADD_FAILURE() << "not denied";
        } catch (const controls::EDesktopError& E) {
            EXPECT_EQ(QString::fromStdString(E.what()), Case.Message);
            EXPECT_EQ(E.Details(), kDeniedHint);
        }
    }
    EXPECT_EQ(Permissions.Level(paVisualizar), kLevelAllowed);
    EXPECT_EQ(Permissions.Level(paAtualizar), kLevelControlPassword);
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paVisualizar));
}

TEST_P(PermissaoTest, TheTableClassDeniesDeleteWithTheExactMessage) {
    AddMember(kRoleA, kAna, 0);
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleA, {0, 0, 0, 0, 0});
    Grant(kCliente, kRoleB, {0, 0, 0, 2, 0});
    const std::unique_ptr<TClienteTeste> Tabela(CreateClasseTabela<TClienteTeste>());
    EXPECT_TRUE(Tabela->Load({"IdCliente"}, {1}));
    EXPECT_EQ(ErrorOf<controls::EDesktopError>([&] { Tabela->CheckPermission(paExcluir); }),
              "Seu usuário não possui permissão para excluir registros da tabela 'Cliente Especial'.");
    EXPECT_THROW(Tabela->DataSet()->Delete(), controls::EDesktopError);
    EXPECT_EQ(Scalar("Select Count(*) From Cliente").toInt(), 3);
}

TEST_P(PermissaoTest, ADeniedActionPassesSilentlyWhilePromptsAreSuppressed) {
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleB, {0, 0, 1, 2, 0});
    TRecordingTable Table("Cliente");
    TPermissaoClasse Permissions("Cliente", nullptr);
    BeginSuppress();
    BeginSuppress();
    EndSuppress();
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paExcluir));
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paAtualizar));  // level 1: not asked either
    EndSuppress();
    EndSuppress();  // never below 0
    EXPECT_EQ(ControlPasswordState().SuppressCount, 0);
    EXPECT_THROW(CheckPermission(Table, Permissions, paExcluir), controls::EDesktopError);
}

TEST_P(PermissaoTest, AnAdministratorPassesADenyButIsStillAskedAtLevelOne) {
    AddMember(kRoleAdmin, kAna, 0);
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleB, {0, 0, 1, 2, 0});
    TRecordingTable Table("Cliente");
    TPermissaoClasse Permissions("Cliente", nullptr);
    Permissions.Load();
    EXPECT_EQ(Permissions.Level(paExcluir), kLevelAllowed);
    EXPECT_EQ(Permissions.Level(paAtualizar), kLevelControlPassword);
    QString Operation;
    WhenShows<TfrmSenhaControle>([&](TfrmSenhaControle& Dialog) {
        Operation = Dialog.lblOperacao->text();
        Dialog.btnCancelar->Click();
    });
    EXPECT_THROW(CheckPermission(Table, Permissions, paAtualizar), ESenhaControle);
    EXPECT_EQ(Operation, "Atualizar cliente");
    EXPECT_EQ(Table.LastAction, paAtualizar);
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paExcluir));
}

TEST_P(PermissaoTest, MonitorsAndTheTableAskForAPasswordInTheirOrderExceptOnInsert) {
    TRecordingTable Table("Cliente");
    TPermissaoClasse Permissions("Cliente", nullptr);
    Table.DemandingMonitor = 2;
    Table.SuppliedOperation = "Conferir e %s o pedido";
    AddPassword(1, "Gerente", "1234", kAdministratorKind);
    QString Operation;
    WhenShows<TfrmSenhaControle>([&](TfrmSenhaControle& Dialog) {
        Operation = Dialog.lblOperacao->text();
        QTest::keyClicks(Dialog.edtSenha, "1234");
        QTest::keyClicks(Dialog.edtMotivo, "ok");
        Dialog.btnOK->Click();
    });
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paExcluir));
    EXPECT_EQ(Table.Asked, QStringList({"monitor 1", "table", "monitor 2"}));
    EXPECT_EQ(Operation, "Conferir e excluir o pedido");
    EXPECT_EQ(LogRows(), QStringList({"Excluir - Cliente|<null>|ok|1"}));
    EXPECT_EQ(ControlPasswordState().LastReason, "ok");

    Table.Asked.clear();
    EXPECT_NO_THROW(CheckPermission(Table, Permissions, paInserir));
    EXPECT_TRUE(Table.Asked.isEmpty());
}

TEST_P(PermissaoTest, RoleCyclesEnd) {
    AddMember(kRoleA, kAna, 0);
    AddMember(kRoleC, 0, kRoleA);  // A is a member of C
    AddMember(kRoleA, 0, kRoleC);  // and C of A
    AddMember(kRoleB, 0, kRoleC);
    Grant(kCliente, kRoleB, {0, 0, 0, 2, 0});
    EXPECT_TRUE(IsInRole("ana", QString(), "B"));
    EXPECT_TRUE(IsInRole(QString(), "C", "A"));
    EXPECT_FALSE(IsInRole("ana", QString(), "vx_admin"));
    TPermissaoClasse Permissions("Cliente", nullptr);
    Permissions.Load();
    EXPECT_EQ(Permissions.Level(paExcluir), kLevelDenied);
    TListaPermissaoObjeto ForRole(0, nullptr, kRoleC);
    ForRole.SetUseCache(false);
    ForRole.Add({0, "Cliente", {}});
    ForRole.Load();
    EXPECT_EQ(ForRole.Items(0).Levels[paExcluir], kLevelDenied);
    ForRole.SetRecursive(false);
    ForRole.Load();  // C and its direct superiors A and B
    EXPECT_EQ(ForRole.Items(0).Levels[paExcluir], kLevelDenied);
}

TEST_P(PermissaoTest, ATableWithoutRowsIsFullyAllowed) {
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleB, {2, 2, 2, 2, 2});
    TPermissaoClasse Permissions("Fornecedor", nullptr);
    Permissions.Load();
    for (int Action = 0; Action < kPermissionActionCount; ++Action)
        EXPECT_EQ(Permissions.Level(static_cast<TPermissionAction>(Action)), kLevelAllowed) << Action;
}

TEST_P(PermissaoTest, NamesMatchWholeIgnoringCase) {
    AddUser(2, "an_");
    AddMember(kRoleLookAlike, kAna, 0);
    AddMember(kRoleA, 2, 0);
    AddMember(kRoleAdmin, 0, kRoleA);
    AddTable(2, "Cliente_Y");
    AddTable(3, "ClienteXY");
    Grant(3, kRoleLookAlike, {2, 2, 2, 2, 2});
    EXPECT_FALSE(IsAdmin("ana"));  // a member of vxXadmin only
    EXPECT_TRUE(IsAdmin("AN_"));
    EXPECT_FALSE(IsInRole("ana", QString(), "vx_%"));
    EXPECT_TRUE(IsInRole("ANA", QString(), "VXXADMIN"));
    TPermissaoClasse Permissions("Cliente_Y", nullptr);
    Permissions.Load();
    EXPECT_EQ(Permissions.Level(paExcluir), kLevelAllowed);  // the rows of ClienteXY do not apply
}

TEST_P(PermissaoTest, DboPassesEveryRoleCheckAndTheSystemRolesAreListed) {
    Host->Login("Dbo", 0, 1);
    for (const TPapelSistema& Role : SystemRoles()) {
        SCOPED_TRACE(Role.Name.toStdString());
        EXPECT_TRUE(Role.Check(QString(), nullptr));
        EXPECT_FALSE(Role.Check("ana", nullptr));
    }
    QStringList Names;
    for (const TPapelSistema& Role : SystemRoles()) Names << Role.Name;
    EXPECT_EQ(Names, QStringList({"vx_user", "vx_admin", "vx_datamoderator"}));
    AddMember(kRoleAdmin, kAna, 0);
    EXPECT_TRUE(IsUser("ana"));
    EXPECT_TRUE(IsDataModerator("ana"));
    TPermissaoClasse Permissions("Cliente", nullptr);
    EXPECT_NO_THROW(Permissions.Load());
}

TEST_P(PermissaoTest, ASessionWithoutAUserIsNotChecked) {
    Host->Login(QString(), 0, 1);
    TPermissaoClasse Permissions("Cliente", nullptr);
    EXPECT_THROW(Permissions.Load(), controls::EDesktopError);
    EXPECT_FALSE(Permissions.Loaded());
    EXPECT_THROW(IsAdmin(), controls::EDesktopError);
}

TEST_P(PermissaoTest, TwoObjectsOfOneTableRunOnePermissionQueryForTheSession) {
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleB, {0, 0, 0, 2, 0});
    TOperationCounter Queries(kPermissionOperation);
    TPermissaoClasse First("Cliente", nullptr), Second("CLIENTE", nullptr);
    First.Load();
    Second.Load();
    EXPECT_EQ(Queries.Runs(), 1);
    EXPECT_EQ(Second.Level(paExcluir), kLevelDenied);

    // Table objects of a table already asked run no query.
    const std::unique_ptr<TClienteTeste> Tabela(CreateClasseTabela<TClienteTeste>());
    const std::unique_ptr<TClienteTeste> Outra(CreateClasseTabela<TClienteTeste>());
    Tabela->Load({"IdCliente"}, {1});
    Outra->Load({"IdCliente"}, {2});
    EXPECT_EQ(Queries.Runs(), 1);
    EXPECT_EQ(Outra->Permissions().Level(paExcluir), kLevelDenied);

    // One list: a repeated name asks once and every object of it takes the levels.
    TListaPermissaoObjeto List(kAna, nullptr, 0);
    List.Add({0, "Outra", {}});
    List.Add({0, "cliente", {}});
    List.Add({0, "Outra", {}});
    List.Load();
    EXPECT_EQ(Queries.Runs(), 2);
    List.Load();
    EXPECT_EQ(Queries.Runs(), 2);
    EXPECT_EQ(List.Items(1).Levels[paExcluir], kLevelDenied);
}

TEST_P(PermissaoTest, ARepeatedTableInOneListKeepsItsLevelsInTheCache) {
    AddMember(kRoleB, kAna, 0);
    Grant(kCliente, kRoleB, {0, 0, 0, 2, 0});
    TListaPermissaoObjeto List(kAna, nullptr, 0);
    List.Add({0, "Cliente", {}});
    List.Add({0, "cliente", {}});
    List.Load();
    EXPECT_EQ(List.Items(1).Levels[paExcluir], kLevelDenied);
    TPermissaoClasse FromCache("Cliente", nullptr);
    FromCache.Load();
    EXPECT_EQ(FromCache.Level(paExcluir), kLevelDenied);
}

TEST_P(PermissaoTest, PasswordsOfEachKind) {
    AddPassword(1, "Admin", "Mestre", kAdministratorKind);
    AddPassword(2, "Gerente", "4821", kRenewedKind);
    AddPassword(3, "Avulsa", "7777", kSingleUseKind);

    // Kind 3 works once.
    EXPECT_TRUE(ValidateControlPassword(*Conn, Given(3, "7777")));
    EXPECT_EQ(StoredPassword(3), "<deleted>");
    EXPECT_FALSE(ValidateControlPassword(*Conn, Given(3, "7777")));

    // Kind 2 works once, then holds other digits of the same length.
    EXPECT_TRUE(ValidateControlPassword(*Conn, Given(2, "4821")));
    const QString Renewed = StoredPassword(2);
    EXPECT_EQ(Renewed.size(), 4);
    EXPECT_TRUE(std::all_of(Renewed.begin(), Renewed.end(), [](QChar C) { return C.isDigit(); })) << Renewed.toStdString();
    if (Renewed != "4821") {
        EXPECT_FALSE(ValidateControlPassword(*Conn, Given(2, "4821")));
    }
    EXPECT_TRUE(ValidateControlPassword(*Conn, Given(2, Renewed)));

    // Kind 1 always works, also when another password was requested, and is kept; the case is ignored.
    for (int Requested : {2, 0, 2}) EXPECT_TRUE(ValidateControlPassword(*Conn, Given(Requested, "mESTRE")));
    EXPECT_EQ(StoredPassword(1), "Mestre");
    EXPECT_FALSE(ValidateControlPassword(*Conn, Given(1, "Mestr")));
    EXPECT_EQ(LogRows().size(), 6);
    EXPECT_EQ(LogRows().front(), "Excluir - Cliente|<null>|conferência|1");
}

TEST_P(PermissaoTest, WildcardsAreRefusedUnlessTheyAreThePassword) {
    AddPassword(1, "Admin", "9173", kAdministratorKind);
    AddPassword(2, "Gerente", "A", kRenewedKind);
    for (const char* Typed : {"%", "_", "[A]", "[9]173", "9%", "____"}) {
        SCOPED_TRACE(Typed);
        EXPECT_FALSE(ValidateControlPassword(*Conn, Given(2, Typed)));
    }
    EXPECT_EQ(StoredPassword(2), "A");
    EXPECT_TRUE(LogRows().isEmpty());
    AddPassword(3, "Curinga", "%_[", kSingleUseKind);
    EXPECT_TRUE(ValidateControlPassword(*Conn, Given(3, "%_[")));
}

TEST_P(PermissaoTest, OfTwoSessionsGivingOnePasswordAtOnceOnlyOneSucceeds) {
    QTemporaryDir Folder;
    std::unique_ptr<TADOConnection> First, Second;
    if (GetParam() == egSQLite) {
        First = OpenEmbeddedDatabase(Folder.filePath("senhas.db"));
        Second = OpenEmbeddedDatabase(Folder.filePath("senhas.db"));
    } else {
        Second = platform::data::testing::OpenSecondConnection(*Conn);
    }
    TADOConnection& One = First ? *First : *Conn;
    AddPassword(One, 2, "Gerente", "4821", kRenewedKind);
    AddPassword(One, 3, "Avulsa", "7777", kSingleUseKind);
    for (const auto& [Id, Senha] : std::initializer_list<std::pair<int, const char*>>{{2, "4821"}, {3, "7777"}}) {
        SCOPED_TRACE(Senha);
        const TPasswordMatch SeenByOne = FindControlPassword(One, Id, Senha);
        const TPasswordMatch SeenByTwo = FindControlPassword(*Second, Id, Senha);
        ASSERT_EQ(SeenByTwo.Id, Id);
        EXPECT_TRUE(ConsumeControlPassword(One, SeenByOne, RandomDigits(10)));
        EXPECT_FALSE(ConsumeControlPassword(*Second, SeenByTwo, RandomDigits(10)));
    }
    EXPECT_FALSE(ValidateControlPassword(*Second, Given(3, "7777")));
    if (First) First->Close();
    Second->Close();
}

TEST_P(PermissaoTest, WithoutOrdinaryPasswordsTheDialogAsksForTheAdministrator) {
    AddPassword(1, "Admin", "9173", kAdministratorKind);
    EXPECT_EQ(PickControlPassword(*Conn).Id, 0);
    {
        TfrmSenhaControle Dialog(*Conn, 1, nullptr);
        EXPECT_EQ(Dialog.lblSenhaSolicitada->text(), kAdministratorPassword);
    }
    AddPassword(2, "Gerente", "4821", kRenewedKind);
    AddPassword(3, "Avulsa", "7777", kSingleUseKind);
    QSet<int> Picked;
    for (int I = 0; I < 64 && Picked.size() < 2; ++I) Picked << PickControlPassword(*Conn).Id;
    EXPECT_EQ(Picked, QSet<int>({2, 3}));
    TfrmSenhaControle Dialog(*Conn, 1, nullptr);
    EXPECT_EQ(Dialog.lblSenhaSolicitada->text(), Dialog.RequestedId() == 2 ? "Gerente" : "Avulsa");
}

TEST_P(PermissaoTest, AScopeIsAuthorisedOnlyByAPasswordGiven) {
    AddPassword(1, "Admin", "9173", kAdministratorKind);
    int Shown = 0;
    const auto Answer = [&](bool Give) {
        WhenShows<TfrmSenhaControle>([&Shown, Give](TfrmSenhaControle& Dialog) {
            ++Shown;
            if (!Give) return Dialog.btnCancelar->Click();
            QTest::keyClicks(Dialog.edtSenha, "9173");
            QTest::keyClicks(Dialog.edtMotivo, "lote");
            Dialog.btnOK->Click();
        });
    };
    OpenScope();
    Answer(false);
    EXPECT_FALSE(RequestControlPassword("Excluir cliente", false, nullptr, 1, nullptr, nullptr));
    EXPECT_FALSE(ControlPasswordState().ScopeAuthorised);
    Answer(true);
    EXPECT_TRUE(RequestControlPassword("Excluir cliente", false, nullptr, 1, nullptr, nullptr));
    EXPECT_EQ(Shown, 2);
    EXPECT_TRUE(RequestControlPassword("Excluir cliente", false, nullptr, 1, nullptr, nullptr));  // not asked
    EXPECT_EQ(Shown, 2);
    Answer(false);
    EXPECT_FALSE(RequestControlPassword("Excluir cliente", true, nullptr, 1, nullptr, nullptr));  // forced
    EXPECT_EQ(Shown, 3);
    OpenScope();
    CloseScope();
    EXPECT_TRUE(ControlPasswordState().ScopeAuthorised);
    CloseScope();
    CloseScope();  // never below 0
    EXPECT_EQ(ControlPasswordState().ScopeCount, 0);
    EXPECT_FALSE(ControlPasswordState().ScopeAuthorised);
    EXPECT_EQ(ControlPasswordState().LastReason, "lote");
}
