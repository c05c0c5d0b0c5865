#include <gtest/gtest.h>

#include <QMap>
#include <memory>

#include "EngineTest.h"
#include "dataaccess/VexSqlText.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/ConditionParameters.h"
#include "databound/DataSetParametros.h"
#include "databound/FiltroDivisao.h"
#include "databound/ValoresPossiveis.h"
#include "platform/data/ADODB.h"
#include "platform/data/Field.h"

namespace databound {
namespace {

using platform::data::TField;
using platform::data::TFieldType;

// Plays the division: its name, the count of rebuild requests and the search targets of its join fields.
class TOwnerDouble : public TConditionOwner {
public:
    QString Nome() const override { return "D"; }
    void SetParamsChanged() override { ++Changes; }
    TSearchTarget SearchTarget(const TField& Field) const override { return Targets.value(Field.FieldName()); }

    int Changes = 0;
    QMap<QString, TSearchTarget> Targets;
};

class ConditionTest : public ::testing::Test {
protected:
    TField& MakeField(const QString& Name, TFieldType Type, const QString& Origin = QString()) {
        Fields.push_back(std::make_unique<TField>(nullptr, Name, Type));
        Fields.back()->SetOrigin(Origin.isEmpty() ? Name : Origin);
        return *Fields.back();
    }
    TFiltroDivisao& AddFilter(TField* Field, std::initializer_list<QVariant> Equals = {}) {
        TFiltroDivisao& F = *Filtros.Add();
        F.SetField(Field);
        for (const QVariant& V : Equals) F.Values().Add()->SetValue(V);
        return F;
    }
    TDataSetParametro& AddParam(TField* Field, const QString& Nome, int Group, TTipoLogica Logica = tlAnd) {
        TDataSetParametro& P = *Parametros.Add();
        P.SetField(Field);
        P.SetNome(Nome);
        P.SetGroupIndex(Group);
        P.SetLogica(Logica);
        return P;
    }

    std::vector<std::unique_ptr<TField>> Fields;
    TOwnerDouble Owner;
    TFiltrosDivisao Filtros{&Owner};
    TDataSetParametros Parametros{&Owner};
};

TEST_F(ConditionTest, ValuesOfOneFilterAreJoinedAndANegationWrapsExactlyThatCondition) {
    TField& Id = MakeField("IdCliente", platform::data::ftInteger, "C.IdCliente");
    TFiltroDivisao& F = AddFilter(&Id, {1, 2});
    F.SetLogicaValues(tlOr);
    const QString Shown = "(C.IdCliente = :D_f1_IdCliente1_Value1) or (C.IdCliente = :D_f1_IdCliente2_Value1)";
    EXPECT_EQ(F.BuildCondition(), Shown);
    EXPECT_EQ(Filtros.BuildCondition(), "(" + Shown + ")");
    F.SetNegate(true);
    EXPECT_EQ(F.BuildCondition(), "not (" + Shown + ")");
    F.Values().Items(1)->SetActive(false);
    EXPECT_EQ(F.BuildCondition(), "not (C.IdCliente = :D_f1_IdCliente1_Value1)");
    F.Values().Items(0)->SetActive(false);
    EXPECT_EQ(F.BuildCondition(), "");
    EXPECT_EQ(Filtros.BuildCondition(), "");
}

TEST_F(ConditionTest, EachOperatorGivesItsTextWithAndWithoutParameters) {
    TField& Nome = MakeField("Nome", platform::data::ftString);
    TField& Saldo = MakeField("Saldo", platform::data::ftFloat);
    struct TCase {
        TField* Field;
        TFiltroOperator Operator;
        QString WithParams, Display;
    };
    const TCase Cases[] = {
        {&Saldo, foEquals, "Saldo = :D_f1_Saldo1_Value1", "Saldo = 5"},
        {&Saldo, foLessThan, "Saldo < :D_f1_Saldo1_Value1", "Saldo < 5"},
        {&Saldo, foLessThanOrEqualTo, "Saldo <= :D_f1_Saldo1_Value1", "Saldo <= 5"},
        {&Saldo, foGreaterThan, "Saldo > :D_f1_Saldo1_Value1", "Saldo > 5"},
        {&Saldo, foGreaterThanOrEqualTo, "Saldo >= :D_f1_Saldo1_Value1", "Saldo >= 5"},
        {&Saldo, foLike, "Saldo Like :D_f1_Saldo1_Value1", "Saldo Like 5"},
        {&Saldo, foBetween, "Saldo Between :D_f1_Saldo1_Value1 and :D_f1_Saldo1_Value2", "Saldo Between 5 and 9"},
        {&Saldo, foIsNull, "Saldo Is Null", "Saldo Is Null"},
        {&Nome, foIsNull, "Nome Is Null or Nome Like ''", "Nome Is Null or Nome Like ''"},
    };
    TFiltroDivisao& F = AddFilter(nullptr);
    TFiltroValue& V = *F.Values().Add();
    V.SetValue(5);
    V.SetValue2(9);
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.WithParams.toStdString());
        F.SetField(C.Field);
        V.SetOperator(C.Operator);
        EXPECT_EQ(V.BuildCondition(true), C.WithParams);
        EXPECT_EQ(V.BuildCondition(false), C.Display);
    }
}

TEST_F(ConditionTest, FiltersAreGroupedInGroupOrderAndJoinedByTheirOwnLogica) {
    TField& A = MakeField("A", platform::data::ftInteger);
    TField& B = MakeField("B", platform::data::ftInteger);
    TField& C = MakeField("C", platform::data::ftInteger);
    AddFilter(&C, {3}).SetGroupIndex(2);
    AddFilter(&A, {1}).SetLogica(tlOr);
    AddFilter(&B, {2}).SetLogica(tlOr);
    AddFilter(nullptr, {4});  // no field: nothing
    TFiltroDivisao& Inactive = AddFilter(&A, {5});
    Inactive.SetActive(false);
    EXPECT_EQ(Filtros.BuildCondition(),
              "((A = :D_f2_A1_Value1) or (B = :D_f3_B1_Value1)) or (C = :D_f1_C1_Value1)");
    EXPECT_EQ(Filtros.Items(1)->Values().Items(0)->DisplayName(), "A = 1");
}

TEST_F(ConditionTest, ParameterItemsFormGroupsJoinedByAndWithALeadingBlank) {
    TField& A = MakeField("A", platform::data::ftInteger);
    TField& B = MakeField("B", platform::data::ftInteger);
    TField& C = MakeField("C", platform::data::ftInteger);
    AddParam(&C, "c", 1);
    AddParam(&A, "a", 0, tlOr);
    AddParam(&B, "b", 0);
    AddParam(nullptr, "x", 0);
    AddParam(&A, " ", 0);
    AddParam(&A, "y", 0).SetSinal("");
    const QString Condition = Parametros.BuildCondition();
    EXPECT_EQ(Condition, " ((A = :D_a) or (B = :D_b)) and (C = :D_c)");
    EXPECT_EQ(Parametros.Items(1)->DisplayName(), "0 (A = :a) or");
    EXPECT_EQ(Parametros.Items(3)->DisplayName(), "");
    EXPECT_EQ(Parametros.FindByParamName("d_B", true), Parametros.Items(2));
    EXPECT_EQ(Parametros.FindByParamName("B", false), Parametros.Items(2));
    EXPECT_EQ(Parametros.FindByParamName("D_B", false), nullptr);
}

TEST_F(ConditionTest, AFieldThatGoesAwayLeavesItsFilterAndParameterWithoutAField) {
    auto Field = std::make_unique<TField>(nullptr, "A", platform::data::ftInteger);
    Field->SetOrigin("A");
    AddFilter(Field.get(), {1});
    AddParam(Field.get(), "a", 0);
    Field.reset();
    EXPECT_EQ(Filtros.Items(0)->Field(), nullptr);
    EXPECT_EQ(Filtros.BuildCondition(), "");
    EXPECT_EQ(Parametros.BuildCondition(), "");
}

TEST_F(ConditionTest, EveryChangeOfAFilterAValueOrAParameterAsksForARebuild) {
    TField& A = MakeField("A", platform::data::ftInteger);
    TFiltroDivisao& F = AddFilter(&A, {1});
    TDataSetParametro& P = AddParam(&A, "a", 0);
    const std::vector<std::pair<const char*, std::function<void()>>> Changes = {
        {"filter", [&] { F.SetNegate(true); }},
        {"value", [&] { F.Values().Items(0)->SetValue(7); }},
        {"value added", [&] { F.Values().Add(); }},
        {"period date", [&] { F.Values().Items(0)->DataInicial().SetCurrent(false); }},
        {"parameter", [&] { P.SetValor(3); }},
    };
    for (const auto& [Name, Change] : Changes) {
        SCOPED_TRACE(Name);
        const int Before = Owner.Changes;
        Change();
        EXPECT_GT(Owner.Changes, Before);
    }
}

TEST_F(ConditionTest, PeriodValuesAreTheComputedDatesWithTheFilterTimesOfDay) {
    TField& Data = MakeField("Criado", platform::data::ftDateTime);
    TFiltroDivisao& F = AddFilter(&Data);
    F.SetEstilo(efPeriodo);
    TFiltroValue& V = *F.Values().Add();
    V.SetOperator(foBetween);
    V.DataInicial().SetDate(QDate(2024, 3, 17));
    V.DataInicial().Calcs().Add()->SetCalc(dataaccess::pcFirstDayMonth);
    V.DataFinal().SetDate(QDate(2024, 3, 17));
    V.DataFinal().Calcs().Add()->SetCalc(dataaccess::pcLastDayMonth);
    EXPECT_EQ(V.ReadValue(1).toDateTime(), QDateTime(QDate(2024, 3, 1), QTime(0, 0, 0)));
    EXPECT_EQ(V.ReadValue(2).toDateTime(), QDateTime(QDate(2024, 3, 31), QTime(23, 59, 59)));
    V.SetPeriodoEspecifico(true);
    V.SetValue(QDate(2020, 1, 1));
    EXPECT_EQ(V.ReadValue(1), QVariant(QDate(2020, 1, 1)));
}

TEST_F(ConditionTest, SessionProvidersOfferTheirEntryForTheirJoinFieldsAndSupplyTheSessionTexts) {
    dataaccess::testing::TTestHost Host;
    Host.Login("maria", 7, 1);
    SetEmpresaAtual("Matriz");
    TField& Usuario = MakeField("IdUsuarioCriou", platform::data::ftInteger);
    TField& Empresa = MakeField("IdEmpresa", platform::data::ftInteger);
    TField& Outro = MakeField("IdCliente", platform::data::ftInteger);
    Owner.Targets["IdUsuarioCriou"] = {"SYS_USUARIO", "idusuario"};
    Owner.Targets["IdEmpresa"] = {"sys_Empresa_Sistema", "IdEmpresa_Sistema"};
    Owner.Targets["IdCliente"] = {"sys_Usuario", "IdCliente"};
    struct TCase {
        TField* Field;
        QString Caption, Identificacao, Value;
    };
    const TCase Cases[] = {{&Usuario, kUsuarioLogadoCaption, kUsuarioLogadoId, "maria"},
                           {&Empresa, kEmpresaAtualCaption, kEmpresaAtualId, "Matriz"}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Identificacao.toStdString());
        TValoresPossiveisFiltro Lista;
        GetValoresPossiveis(&Owner, *C.Field, Lista);
        ASSERT_EQ(Lista.Count(), 1);
        EXPECT_EQ(Lista.Items(0).Caption, C.Caption);
        EXPECT_EQ(Lista.Items(0).Tag, -1);
        TFiltroDivisao& F = AddFilter(C.Field, {99});
        F.Values().Items(0)->SetIdentificacao(Lista.Items(0).Identificacao);
        EXPECT_EQ(F.Values().Items(0)->ReadValue(1), QVariant(C.Value));
        EXPECT_TRUE(platform::data::VarIsNull(F.Values().Items(0)->ReadValue(2)));
    }
    TValoresPossiveisFiltro None;
    GetValoresPossiveis(&Owner, Outro, None);
    EXPECT_EQ(None.Count(), 0);
    TFiltroDivisao& Unknown = AddFilter(&Outro, {99});
    Unknown.Values().Items(0)->SetIdentificacao("usuario_logado");
    EXPECT_EQ(Unknown.Values().Items(0)->ReadValue(1), QVariant(99));
    SetEmpresaAtual(QString());
}

// A provider the application registers answers after the built-in ones and is gone once unregistered.
class TFixedProvider : public TValoresPossiveis {
public:
    void GetValoresPossiveis(TConditionOwner*, const TField&, TValoresPossiveisFiltro& Lista) override {
        Lista.Add({"(Fixo)", "", "Fixo", 0});
    }
    bool GetValor(TConditionOwner*, const TField&, const QString& Identificacao, QVariant& Value,
                  QVariant& Value2) override {
        Value = 1;
        Value2 = 2;
        return Identificacao == "Fixo";
    }
};

TEST_F(ConditionTest, ARegisteredProviderAnswersUntilItIsUnregistered) {
    auto Owned = std::make_unique<TFixedProvider>();
    TValoresPossiveis* Provider = Owned.get();
    RegisterValoresPossiveis(std::move(Owned));
    TField& A = MakeField("A", platform::data::ftInteger);
    QVariant V1, V2;
    EXPECT_TRUE(GetValorPossivel(&Owner, A, "Fixo", V1, V2));
    EXPECT_EQ(V2, QVariant(2));
    UnregisterValoresPossiveis(Provider);
    EXPECT_FALSE(GetValorPossivel(&Owner, A, "Fixo", V1, V2));
}

// The conditions run on every engine over the customers table.
class ConditionEngineTest : public platform::data::testing::EngineTest {
protected:
    QStringList Rows(const QList<TParametroMaster>& Master = {}) {
        QString Sql = "Select IdCliente From Cliente Order By IdCliente";
        for (const QString& Condition : {Filtros.BuildCondition(), Parametros.BuildCondition()})
            if (!Condition.isEmpty()) Sql = dataaccess::InjectCondition(Sql, {Condition});
        platform::data::TADOQuery Q;
        Q.SetConnection(Conn.get());
        Q.SetSQL(Sql);
        BindConditionParameters(Q.Parameters(), Master, Parametros, Filtros);
        Q.Open();
        QStringList Out;
        for (; !Q.Eof(); Q.Next()) Out << Q.FieldList().at(0)->AsString();
        return Out;
    }
    TField& MakeField(const QString& Name, TFieldType Type) {
        Fields.push_back(std::make_unique<TField>(nullptr, Name, Type));
        Fields.back()->SetOrigin(Name);
        return *Fields.back();
    }

    std::vector<std::unique_ptr<TField>> Fields;
    TOwnerDouble Owner;
    TFiltrosDivisao Filtros{&Owner};
    TDataSetParametros Parametros{&Owner};
};

TEST_P(ConditionEngineTest, ANegatedPairReturnsExactlyTheOtherRows) {
    TFiltroDivisao& F = *Filtros.Add();
    F.SetField(&MakeField("IdCliente", platform::data::ftInteger));
    F.SetLogicaValues(tlOr);
    F.Values().Add()->SetValue(1);
    F.Values().Add()->SetValue(2);
    EXPECT_EQ(Rows(), QStringList({"1", "2"}));
    F.SetNegate(true);
    EXPECT_EQ(Rows(), QStringList({"3"}));
}

TEST_P(ConditionEngineTest, LikeBetweenAndNullValuesBindAsTheirOperatorsNeed) {
    TFiltroDivisao& F = *Filtros.Add();
    F.SetField(&MakeField("Nome", platform::data::ftString));
    TFiltroValue& Like = *F.Values().Add();
    Like.SetOperator(foLike);
    Like.SetValue("Silva");
    EXPECT_EQ(Rows(), QStringList({"1"}));
    Like.SetOperator(foIsNull);
    EXPECT_EQ(Rows(), QStringList());
    F.SetField(&MakeField("Saldo", platform::data::ftFloat));
    EXPECT_EQ(Rows(), QStringList({"3"}));
    Like.SetOperator(foBetween);
    Like.SetValue(40);
    Like.SetValue2(60);
    EXPECT_EQ(Rows(), QStringList({"2"}));
}

TEST_P(ConditionEngineTest, APeriodFilterSelectsTheRowsOfItsMonth) {
    TFiltroDivisao& F = *Filtros.Add();
    F.SetField(&MakeField("Criado", platform::data::ftDateTime));
    F.SetEstilo(efPeriodo);
    TFiltroValue& V = *F.Values().Add();
    V.SetOperator(foBetween);
    for (dataaccess::TCalcDate* Date : {&V.DataInicial(), &V.DataFinal()}) Date->SetDate(QDate(2024, 1, 20));
    V.DataInicial().Calcs().Add()->SetCalc(dataaccess::pcFirstDayMonth);
    V.DataFinal().Calcs().Add()->SetCalc(dataaccess::pcLastDayMonth);
    EXPECT_EQ(Rows(), QStringList({"1"}));
    // The last customer was created at 23:59:59.5 on 25 December: a day ending at 23:59:59 misses it.
    for (dataaccess::TCalcDate* Date : {&V.DataInicial(), &V.DataFinal()}) Date->SetDate(QDate(2023, 12, 25));
    V.DataInicial().Calcs().Clear();
    V.DataFinal().Calcs().Clear();
    EXPECT_EQ(Rows(), QStringList());
    F.SetHoraFinal(QTime(23, 59, 59, 999));
    EXPECT_EQ(Rows(), QStringList({"3"}));
}

TEST_P(ConditionEngineTest, ParameterItemsAndMasterParametersBindTheirValuesByName) {
    TField& Cidade = MakeField("Cidade", platform::data::ftString);
    TDataSetParametro& P = *Parametros.Add();
    P.SetField(&Cidade);
    P.SetNome("Cidade");
    P.SetValor("São Paulo");
    EXPECT_EQ(Rows(), QStringList({"1", "3"}));
    TDataSetParametro& Q = *Parametros.Add();
    Q.SetField(&MakeField("IdCliente", platform::data::ftInteger));
    Q.SetNome("Id");
    Q.SetSinal(">");
    Q.SetValor(9);
    EXPECT_EQ(Rows({{"d_id", platform::data::ftInteger, 1}}), QStringList({"3"}));
}

TEST_P(ConditionEngineTest, AFilterValueWithoutItsParameterInTheCommandRaises) {
    TFiltroDivisao& F = *Filtros.Add();
    F.SetField(&MakeField("IdCliente", platform::data::ftInteger));
    F.Values().Add()->SetValue(1);
    platform::data::TParameters None;
    EXPECT_THROW(BindConditionParameters(None, {}, Parametros, Filtros), platform::data::EDatabaseError);
}

VEX_INSTANTIATE_ENGINE_SUITE(ConditionEngineTest);

}  // namespace
}  // namespace databound
