#include <gtest/gtest.h>

#include "EngineTest.h"
#include "controls/tests/RecordedDialogs.h"
#include "databound/DivisionCommand.h"
#include "databound/RefreshSettings.h"
#include "platform/data/ADODB.h"

namespace databound {
namespace {

TEST(DivisionCommandTest, TheCountCommandWrapsTheCommandWithoutItsTopLevelOrderBy) {
    const struct {
        QString Command, Count;
    } Cases[] = {
        {"Select A, B\n  From T\n Order By A", "Select Count(*) From (Select A, B From T) As Contagem"},
        {"Select Distinct A From T Where B In (Select B From U Order By B) Order By A",
         "Select Count(*) From (Select Distinct A From T Where B In (Select B From U Order By B)) As Contagem"},
        {"Select A, Count(*) From T Group By A", "Select Count(*) From (Select A, Count(*) From T Group By A) As Contagem"},
        {"Select 'Order By' As X From T", "Select Count(*) From (Select 'Order By' As X From T) As Contagem"},
        {"Select 1", ""},
        {"Exec Relatorio", ""},
        {"", ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Command.toStdString());
        EXPECT_EQ(CountCommandText(C.Command), C.Count);
    }
}

TEST(DivisionCommandTest, TheLimitFollowsSelectAndDistinct) {
    const struct {
        QString Command, Limited;
    } Cases[] = {
        {"Select A From T", "Select Top 100 A From T"},
        {"Select Distinct A From T", "Select Distinct Top 100 A From T"},
        {"Select A From T Where B In (Select Distinct B From U)",
         "Select Top 100 A From T Where B In (Select Distinct B From U)"},
        {"Exec Relatorio", "Exec Relatorio"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Command.toStdString());
        EXPECT_EQ(LimitCommandText(C.Command, 100), C.Limited);
    }
}

TEST(DivisionCommandTest, ConditionsAreAddedWithoutExtraParenthesesAndEmptyOnesAreSkipped) {
    EXPECT_EQ(AddConditions("Select A From T Order By A", {"(B = 1)", "", " (C = :D_c)"}, false),
              "Select A From T Where (C = :D_c) and (B = 1) Order By A");
    EXPECT_EQ(AddConditions("Select A, Count(*) From T Group By A", {"(Count(*) > 1)"}, true),
              "Select A, Count(*) From T Group By A  Having (Count(*) > 1)");
}

TEST(RefreshSettingsTest, RequestsAreKeptOnceAndAWholeTableRequestReplacesThemAll) {
    const QStringList Tables = {"Conhecimento", "Item"};
    TRefreshSettingsList List;
    EXPECT_FALSE(List.Add({"Cliente", {{"Id", 1}}}, Tables));
    EXPECT_TRUE(List.Add({"CONHECIMENTO", {{"Id", 1}}}, Tables));
    EXPECT_FALSE(List.Add({"Conhecimento", {{"Id", 1}}}, Tables));
    EXPECT_TRUE(List.Add({"Conhecimento", {{"ID", 1}}}, Tables));  // field names compare exactly
    EXPECT_TRUE(List.Add({"Item", {{"Id", 1}, {"Linha", 2}}}, Tables));
    EXPECT_TRUE(List.Add({"Item", {{"Id", 1}, {"Linha", 3}}}, Tables));
    EXPECT_EQ(List.Count(), 4);
    EXPECT_TRUE(List.Add({"item", {}}, Tables));
    ASSERT_EQ(List.Count(), 1);
    EXPECT_TRUE(List.Items()[0].Fields.isEmpty());
    EXPECT_FALSE(List.Add({"Conhecimento", {{"Id", 9}}}, Tables));
    EXPECT_FALSE(List.Add({"Conhecimento", {}}, Tables));
    EXPECT_EQ(List.Count(), 1);
}

// Bills of lading: 150 rows over 3 ports of loading.
class RecordLimitTest : public platform::data::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Create Table Conhecimento (IdConhecimento Integer Not Null Primary Key, "
                      "Numero VarChar(20) Not Null, Porto VarChar(20) Not Null)");
        for (int I = 1; I <= 150; ++I)
            Conn->Execute(QString("Insert Into Conhecimento Values (%1, 'BL%1', 'P%2')").arg(I).arg(I % 3));
        Batch.BeginMessages();
    }
    void TearDown() override {
        // The collected messages are dropped, not shown.
        TRecordedDialogs Dialogs;
        const controls::TMessageListPresenter Previous =
            controls::SetMessageListPresenter([](const std::vector<controls::TMessageItem>&) { return 0; });
        Batch.EndMessages(true);
        controls::SetMessageListPresenter(Previous);
        EngineTest::TearDown();
    }
    int Limit(const QString& Command, int RecordLimit) {
        return CheckRecordLimit(*Conn, Command, Params, "Conhecimentos", RecordLimit);
    }

    controls::TMessageQueue& Batch = controls::MessageQueue();
    platform::data::TParameters Params;
};

TEST_P(RecordLimitTest, MoreRowsThanTheLimitGiveTheLimitAndOneWarning) {
    const QString Commands[] = {
        "Select IdConhecimento, Numero From Conhecimento",
        "Select IdConhecimento, Numero From Conhecimento Order By Numero Desc",
        "Select Distinct Numero From Conhecimento",
        "Select Numero, Count(*) As N From Conhecimento Group By Numero",
    };
    for (const QString& Command : Commands) {
        SCOPED_TRACE(Command.toStdString());
        const std::size_t Before = Batch.Items().size();
        EXPECT_EQ(Limit(Command, 100), 100);
        ASSERT_EQ(Batch.Items().size(), Before + 1);
        EXPECT_EQ(Batch.Items().back().Msg, "O sistema limitou em 100 a quantidade de registros para 'Conhecimentos'.");
        EXPECT_EQ(Batch.Items().back().Kind, controls::dkWarning);
        EXPECT_EQ(SelectRows(LimitCommandText(Command, 100)).size(), 100);
    }
}

TEST_P(RecordLimitTest, TheLimitIsNotAppliedUpToItsCountOrWhenTheCountCannotBeFormed) {
    Params.CreateParameter("Porto", platform::data::ftString, "P1");
    const struct {
        QString Command;
        int RecordLimit;
    } Cases[] = {
        {"Select IdConhecimento From Conhecimento Where IdConhecimento <= 100 Order By IdConhecimento", 100},
        {"Select Distinct Porto From Conhecimento", 3},
        {"Select Numero From Conhecimento Where Porto = :Porto", 50},
        {"Select IdConhecimento From Conhecimento", -1},
        {"Select 1", 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Command.toStdString());
        EXPECT_EQ(Limit(C.Command, C.RecordLimit), -1);
    }
    EXPECT_TRUE(Batch.Items().empty());
}

TEST_P(RecordLimitTest, AFailedCountIsReportedAndLeavesTheCommandUnlimited) {
    EXPECT_EQ(Limit("Select Numero From Conhecimento Where Sem_Coluna = 1", 10), -1);
    ASSERT_EQ(Batch.Items().size(), 1u);
    EXPECT_EQ(Batch.Items()[0].Msg, kRecordCountError);
    EXPECT_EQ(Batch.Items()[0].Kind, controls::dkError);
    EXPECT_FALSE(Batch.Items()[0].Details.isEmpty());
}

VEX_INSTANTIATE_ENGINE_SUITE(RecordLimitTest);

}  // namespace
}  // namespace databound
