// Named operations: the batch texts SQL Server receives, and every operation's
// scenarios with the same outcome on every engine.
#include <gtest/gtest.h>

#include "EngineTest.h"
#include "platform/data/NamedOperation.h"

using namespace platform::data;
using namespace platform::data::testing;

namespace {

// An operation registered from outside the library, as upper modules add theirs.
class TDoubleOperation : public TNamedOperation {
public:
    QString Name() const override { return "TestDouble"; }
    QString Batch() const override { return "Declare @N Int\r\nSet @N = :N\r\nSelect @N * 2 As Dobro"; }
    std::vector<TOperationParam> Params() const override { return {{"N", ftInteger}}; }

protected:
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Params) const override {
        return ExecuteStatement(Connection, "Select :N * 2 As Dobro", &Params);
    }
};

const bool gRegistered = [] {
    RegisterOperation(std::make_unique<TDoubleOperation>());
    return true;
}();

// The batch of every operation, exactly as SQL Server must receive it.
const std::map<QString, QString> kGoldenBatches = {
    {"CreateSessionVariables",
     "Create Table #Global_Var (\r\n  Variavel VarChar(50) Not Null Primary Key,\r\n  Valor SQL_VARIANT\r\n)\r\n\r\n"
     "Select\r\n  Variavel,\r\n  Valor\r\nFrom\r\n  #Global_Var"},
    {"SetSessionVariable",
     "If Exists(Select Variavel From #Global_Var Where Variavel = :Variavel)\r\n"
     "  Update #Global_Var Set Valor = :Valor Where Variavel = :Variavel\r\n"
     "Else\r\n"
     "  Insert #Global_Var (Variavel, Valor) Values (:Variavel, :Valor)"},
    {"GetSessionVariable", "Select Valor From #Global_Var Where Variavel = :Variavel"},
    {"TestDouble", "Declare @N Int\r\nSet @N = :N\r\nSelect @N * 2 As Dobro"},
};

struct TStep {
    const char* Operation;
    std::vector<std::pair<const char*, QVariant>> Params;
    QStringList Rows;        // "a|b" per row, "null" for Null
    int RowsAffected = -1;   // not checked when -1
    const char* Error = "";  // a part of the message when the step must fail
};

struct TScenario {
    const char* Name;
    std::vector<TStep> Steps;
};

const TScenario kScenarios[] = {
    {"the store opens again and keeps its rows",
     {{"CreateSessionVariables", {}, {}},
      {"SetSessionVariable", {{"Variavel", "IdUsuario"}, {"Valor", 7}}, {}, 1},
      {"CreateSessionVariables", {}, {"IdUsuario|7"}}}},
    {"a name set again ignoring case replaces the value",
     {{"CreateSessionVariables", {}, {}},
      {"SetSessionVariable", {{"Variavel", "IdEmpresa_Sistema"}, {"Valor", 1}}, {}, 1},
      {"SetSessionVariable", {{"Variavel", "idempresa_sistema"}, {"Valor", 2}}, {}, 1},
      {"GetSessionVariable", {{"Variavel", "IDEMPRESA_SISTEMA"}}, {"2"}},
      {"SetSessionVariable", {{"Variavel", "Vazio"}, {"Valor", Null()}}, {}, 1},
      {"GetSessionVariable", {{"Variavel", "Vazio"}}, {"null"}},
      {"GetSessionVariable", {{"Variavel", "Outra"}}, {}}}},
    {"names and parameters are checked before anything runs",
     {{"CreateSessionVariables", {}, {}},
      {"SetSessionVariable", {{"Variavel", " "}, {"Valor", 1}}, {}, -1,
       "Empty names for global variables is not permitted."},
      {"GetSessionVariable", {{"Variavel", ""}}, {}, -1, "Empty names for global variables is not permitted."},
      {"SetSessionVariable", {{"Variavel", "A"}}, {}, -1,
       "Operation 'SetSessionVariable': parameter 'Valor' is missing"},
      {"CreateSessionVariables", {}, {}}}},
    {"an operation added from outside runs alike",
     {{"TestDouble", {{"N", 21}}, {"42"}},
      {"TestDouble", {{"N", "abc"}}, {}, -1,
       "Operation 'TestDouble': parameter 'N': 'abc' is not a valid integer value"},
      {"Nada", {}, {}, -1, "Unknown operation 'Nada'"}}},
};

QStringList Rendered(const TOperationResult& Result) {
    QStringList Rows;
    for (const QVariantList& Row : Result.Rows) {
        QStringList Values;
        for (const QVariant& V : Row) Values << (VarIsClear(V) ? QString("null") : V.toString());
        Rows << Values.join('|');
    }
    return Rows;
}

}  // namespace

TEST(OperationTest, EveryOperationSendsItsExactBatchToSqlServer) {
    ASSERT_TRUE(gRegistered);
    for (const TNamedOperation* Operation : RegisteredOperations()) {
        SCOPED_TRACE(Operation->Name().toStdString());
        const auto Golden = kGoldenBatches.find(Operation->Name());
        ASSERT_NE(Golden, kGoldenBatches.end()) << "a new operation needs its batch here";
        EXPECT_EQ(Operation->Batch(), Golden->second);
        EXPECT_EQ(&FindOperation(Operation->Name().toLower()), Operation);  // names ignore case
    }
    EXPECT_EQ(RegisteredOperations().size(), kGoldenBatches.size());
}

TEST(OperationTest, EveryOperationHasScenarios) {
    for (const TNamedOperation* Operation : RegisteredOperations()) {
        SCOPED_TRACE(Operation->Name().toStdString());
        bool Covered = false;
        for (const TScenario& Scenario : kScenarios)
            for (const TStep& Step : Scenario.Steps) Covered = Covered || Operation->Name() == Step.Operation;
        EXPECT_TRUE(Covered) << "a new operation needs its scenarios here";
    }
}

TEST_P(EngineTest, NamedOperationsBehaveAlike) {
    for (const TScenario& Scenario : kScenarios) {
        SCOPED_TRACE(Scenario.Name);
        auto Session = OpenTestConnection(GetParam());  // a session table of its own
        for (const TStep& Step : Scenario.Steps) {
            SCOPED_TRACE(Step.Operation);
            TParameters Params;
            for (const auto& [Name, Value] : Step.Params) Params.CreateParameter(Name, ftUnknown, Value);
            if (*Step.Error) {
                try {
                    RunOperation(*Session, Step.Operation, Params);
                    ADD_FAILURE() << "the step should have failed";
                } catch (const EDatabaseError& E) {
                    EXPECT_TRUE(E.Text().contains(QString::fromUtf8(Step.Error))) << E.Text().toStdString();
                }
                continue;
            }
            const TOperationResult Result = RunOperation(*Session, Step.Operation, Params);
            EXPECT_EQ(Rendered(Result), Step.Rows);
            if (Step.RowsAffected >= 0) {
                EXPECT_EQ(Result.RowsAffected, Step.RowsAffected);
            }
        }
        DropTestConnection(Session);
    }
}
