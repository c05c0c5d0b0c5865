// Companion tables written with the provider's rows on every engine: the
// batch text SQL Server receives, upserts and deletes, commit and rollback with
// the main row, and rows whose only changes lie outside the main table's update set.
#include <gtest/gtest.h>

#include "PedidoDivision.h"
#include "databound/Especializacao.h"
#include "platform/data/ADODB.h"
#include "platform/data/Field.h"
#include "platform/data/NamedOperation.h"
#include "platform/data/Provider.h"

namespace databound {
namespace {

using platform::data::TField;

TEST(EspecializacaoText, StatementsAreTheUpsertAndDeleteSqlServerReceives) {
    const TCompanionStatement Upsert{false, "Pedido_Extra", "Observacao = :update_Pedido_Extra_Nome_Fantasia",
                                     "IdPedido, Observacao",
                                     ":insert_Pedido_Extra_IdPedido, :insert_Pedido_Extra_Nome_Fantasia",
                                     "IdPedido = :where_ins_Pedido_Extra_IdPedido",
                                     "IdPedido = :where_upd_Pedido_Extra_IdPedido"};
    EXPECT_EQ(CompanionStatementText(Upsert),
              "If Exists(Select Cast(0 as Bit) From Pedido_Extra Where IdPedido = :where_ins_Pedido_Extra_IdPedido)\r\n"
              "  Update Pedido_Extra Set Observacao = :update_Pedido_Extra_Nome_Fantasia Where IdPedido = "
              ":where_upd_Pedido_Extra_IdPedido\r\n"
              "Else\r\n"
              "  Insert Pedido_Extra (IdPedido, Observacao) Values (:insert_Pedido_Extra_IdPedido, "
              ":insert_Pedido_Extra_Nome_Fantasia)");
    TCompanionStatement Delete = Upsert;
    Delete.Delete = true;
    EXPECT_EQ(CompanionStatementText(Delete), "Delete Pedido_Extra Where IdPedido = :where_upd_Pedido_Extra_IdPedido");
    EXPECT_EQ(platform::data::FindOperation(kEspecializacaoOperation).Batch(), QString(kUpsertTemplate));
}

class EspecializacaoTest : public testing::PedidoDivisionTest {
protected:
    void SetUp() override {
        PedidoDivisionTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Create Table Pedido_Extra (IdPedido Integer Not Null Primary Key, Observacao VarChar(40))");
        Companion = Pedido.Divisao->Especializacao().Add();
        Companion->SetTabela("Pedido_Extra ");
        for (const auto& [Name, Origem, Key] : {std::tuple{"IdPedido", "IdPedido", true},
                                                std::tuple{"Nome_Fantasia", "Observacao", false}}) {
            TEspecializacaoCampo& Mapping = *Companion->Campos().Add();
            Mapping.SetCampo(Field(Name));
            Mapping.SetOrigem(Origem);
            Mapping.SetPrimaryKey(Key);
        }
    }
    QStringList Extra() { return SelectRows("Select IdPedido, Observacao From Pedido_Extra Order By IdPedido"); }
    QStringList Main() { return SelectRows("Select IdPedido, Nome_Fantasia From Pedido Order By IdPedido"); }

    TEspecializacaoItem* Companion = nullptr;
};

TEST_P(EspecializacaoTest, TheCompanionRowIsInsertedThenUpdatedWithTheMainRow) {
    for (const bool MainFirst : {false, true}) {
        SCOPED_TRACE(MainFirst);
        Companion->SetUpdateLocalPrimeiro(MainFirst);
        Conn->Execute("Delete From Pedido_Extra");
        Pedido.Client->Insert();
        const int Id = Field("IdPedido")->AsInteger();
        Field("Nome_Fantasia")->SetAsString("D'Ávila");
        ASSERT_EQ(PostAndApply(), 0);
        EXPECT_EQ(Extra(), QStringList({QString("%1|D'Ávila").arg(Id)}));
        Pedido.Client->Edit();
        Field("Nome_Fantasia")->SetAsString("Lima");
        ASSERT_EQ(PostAndApply(), 0);
        EXPECT_EQ(Extra(), QStringList({QString("%1|Lima").arg(Id)}));
        EXPECT_EQ(Scalar(QString("Select Nome_Fantasia From Pedido Where IdPedido = %1").arg(Id)).toString(), "Lima");
    }
}

TEST_P(EspecializacaoTest, TheCompanionRowIsRolledBackWhenTheMainRowFails) {
    Pedido.Client->Insert();
    Field("IdPedido")->SetAsInteger(1);  // taken: the main insert fails after the companion was written
    Field("Nome_Fantasia")->SetAsString("Duplicado");
    Pedido.Client->Post();
    EXPECT_EQ(Pedido.Client->ApplyUpdates(0), 1);
    EXPECT_TRUE(Extra().isEmpty());
    EXPECT_EQ(Main(), QStringList({"1|O'Brien", "2|Acme"}));
}

TEST_P(EspecializacaoTest, AChangeOutsideTheUpdateSetWritesOnlyTheCompanionTable) {
    Pedido.Query->FieldByName("Nome_Fantasia")->SetProviderFlags(platform::data::pfInWhere);
    Pedido.Provider->SetUpdateMode(platform::data::upWhereKeyOnly);  // the main row's column differs from ours now
    ASSERT_TRUE(Pedido.Divisao->LocateValues({"IdPedido=2"}));
    Pedido.Client->Edit();
    Field("Nome_Fantasia")->SetAsString("Só no complemento");
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_EQ(Extra(), QStringList({"2|Só no complemento"}));
    EXPECT_EQ(Main(), QStringList({"1|O'Brien", "2|Acme"}));
    Pedido.Client->Edit();
    Field("Idade")->SetAsInteger(41);
    Field("Nome_Fantasia")->SetAsString("Com o principal");
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_EQ(Scalar("Select Idade From Pedido Where IdPedido = 2").toInt(), 41);
    EXPECT_EQ(Extra(), QStringList({"2|Com o principal"}));
}

TEST_P(EspecializacaoTest, DeletingFollowsTheCompanionsDeleteSetting) {
    Conn->Execute("Insert Into Pedido_Extra Values (1, 'Um')");
    Conn->Execute("Insert Into Pedido_Extra Values (2, 'Dois')");
    const struct {
        TExcluirTipo Excluir;
        int Id;
        QStringList Left;
    } Cases[] = {{etNaoExcluir, 1, {"1|Um", "2|Dois"}}, {etLocalDepois, 1, {"2|Dois"}}, {etLocalPrimeiro, 2, {}}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Excluir);
        Companion->SetExcluir(C.Excluir);
        if (C.Excluir != etNaoExcluir) {
            ASSERT_TRUE(Pedido.Divisao->LocateValues({QString("IdPedido=%1").arg(C.Id)}));
            Pedido.Client->Delete();
            ASSERT_EQ(Pedido.Client->ApplyUpdates(0), 0);
        } else {
            // Put the row back afterwards: only the companion setting is under test here.
            ASSERT_TRUE(Pedido.Divisao->LocateValues({"IdPedido=1"}));
            Pedido.Client->Delete();
            ASSERT_EQ(Pedido.Client->ApplyUpdates(0), 0);
            Conn->Execute("Insert Into Pedido Values (1, 1, 30, 'O''Brien')");
            Pedido.Divisao->RefreshAll(false);
        }
        EXPECT_EQ(Extra(), C.Left);
    }
}

TEST_P(EspecializacaoTest, SuspendedUpdatesWriteNothingAtAll) {
    Pedido.Divisao->SuspendSpecializationUpdates = true;
    Pedido.Client->Insert();
    Field("Nome_Fantasia")->SetAsString("Nada");
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_TRUE(Extra().isEmpty());
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 2);
}

TEST_P(EspecializacaoTest, ACompanionWithoutColumnsToSetWritesNoStatement) {
    Companion->Campos().Delete(1);
    Pedido.Client->Insert();
    ASSERT_EQ(PostAndApply(), 0);
    EXPECT_TRUE(Extra().isEmpty());
    EXPECT_EQ(Scalar("Select Count(*) From Pedido").toInt(), 3);
}

VEX_INSTANTIATE_ENGINE_SUITE(EspecializacaoTest);

}  // namespace
}  // namespace databound
