// Dates relative to a start date as steps.
#include <gtest/gtest.h>

#include <vector>

#include "dataaccess/VexPeriodo.h"
#include "platform/os/Exceptions.h"

using namespace dataaccess;

namespace {

struct TStep {
    TPartCalc Calc;
    TDatePart Part = dpDay;
    int Value = 1;
};

QDate Computed(const QDate& Start, const std::vector<TStep>& Steps) {
    TCalcDate Calc;
    Calc.SetDate(Start);
    for (const TStep& Step : Steps) {
        TDateCalc* Item = Calc.Calcs().Add();
        Item->SetCalc(Step.Calc);
        Item->SetPart(Step.Part);
        Item->SetValue(Step.Value);
    }
    return Calc.Value();
}

}  // namespace

TEST(CalcDateTest, AppliesTheStepsInOrder) {
    struct TCase {
        QDate Start;
        std::vector<TStep> Steps;
        QDate Expected;
    };
    const TCase Cases[] = {
        {QDate(2024, 5, 20), {{pcFirstDayMonth}, {pcDecValue, dpMonth, 1}}, QDate(2024, 4, 1)},
        {QDate(2024, 5, 20), {{pcFirstDayMonth}, {pcDecValue, dpMonth, 1}, {pcLastDayMonth}}, QDate(2024, 4, 30)},
        {QDate(2024, 3, 31), {{pcDecValue, dpMonth, 1}}, QDate(2024, 2, 29)},
        {QDate(2024, 2, 29), {{pcIncValue, dpYear, 1}}, QDate(2025, 2, 28)},
        {QDate(2024, 5, 10), {{pcLastDayFortnight}}, QDate(2024, 5, 15)},
        {QDate(2024, 5, 20), {{pcLastDayFortnight}}, QDate(2024, 5, 31)},
        {QDate(2024, 5, 15), {{pcFirstDayFortnight}}, QDate(2024, 5, 1)},
        {QDate(2024, 5, 16), {{pcFirstDayFortnight}}, QDate(2024, 5, 16)},
        {QDate(2024, 5, 22), {{pcFirstDayWeek}}, QDate(2024, 5, 20)},   // a Wednesday: Monday before
        {QDate(2024, 5, 26), {{pcFirstDayWeek}}, QDate(2024, 5, 20)},   // a Sunday ends its week
        {QDate(2024, 5, 22), {{pcLastDayWeek}}, QDate(2024, 5, 26)},
        {QDate(2024, 5, 22), {{pcValue, dpDay, 3}, {pcValue, dpMonth, 1}, {pcValue, dpYear, 2020}}, QDate(2020, 1, 3)},
        {QDate(2024, 5, 22), {{pcIncValue, dpDay, 10}}, QDate(2024, 6, 1)},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Start.toString(Qt::ISODate).toStdString() + " -> " +
                     Case.Expected.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(Computed(Case.Start, Case.Steps), Case.Expected);
    }
}

TEST(CalcDateTest, AnImpossibleDateRaisesTheConversionError) {
    EXPECT_THROW(Computed(QDate(2024, 4, 10), {{pcValue, dpDay, 31}}), platform::os::EConvertError);
    EXPECT_THROW(Computed(QDate(2024, 4, 10), {{pcValue, dpMonth, 13}}), platform::os::EConvertError);
}

TEST(CalcDateTest, StartsFromTodayUntilADateIsSet) {
    TCalcDate Calc;
    EXPECT_TRUE(Calc.Current());
    Calc.Calcs().Add()->SetCalc(pcFirstDayMonth);
    const QDate Today = QDate::currentDate();
    EXPECT_EQ(Calc.Value(), QDate(Today.year(), Today.month(), 1));
    Calc.SetDate(QDate(2001, 7, 9));
    EXPECT_FALSE(Calc.Current());
    EXPECT_EQ(Calc.Value(), QDate(2001, 7, 1));
}

TEST(CalcDateTest, AStepStoresValuesBelowOneAsOneAndNamesItself) {
    TCalcDate Calc;
    TDateCalc* Step = Calc.Calcs().Add();
    Step->SetValue(0);
    EXPECT_EQ(Step->Value(), 1);
    Step->SetValue(-5);
    EXPECT_EQ(Step->Value(), 1);
    Step->SetCalc(pcIncValue);
    Step->SetPart(dpMonth);
    Step->SetValue(2);
    EXPECT_EQ(Step->DisplayName(), "Month.IncValue(2)");
    Step->SetCalc(pcFirstDayMonth);
    EXPECT_EQ(Step->DisplayName(), "FirstDayMonth");
}

TEST(CalcDateTest, EveryChangeAndAssignTellsTheOwner) {
    TCalcDate Calc;
    int Told = 0;
    Calc.OnCalcsChanged = [&] { ++Told; };
    Calc.SetCurrent(true);
    Calc.SetDate(QDate(2024, 1, 1));
    Calc.Calcs().Add()->SetCalc(pcLastDayMonth);
    Calc.Calcs().Delete(0);
    EXPECT_EQ(Told, 5);
    Calc.Calcs().Add()->SetCalc(pcLastDayMonth);
    EXPECT_EQ(Told, 7);

    TCalcDate Copy;
    Copy.Assign(Calc);
    EXPECT_EQ(Told, 8);  // the handler came with the copy and was told once
    EXPECT_FALSE(Copy.Current());
    EXPECT_EQ(Copy.Value(), QDate(2024, 1, 31));
    Copy.Calcs().Items(0)->SetCalc(pcFirstDayMonth);
    EXPECT_EQ(Calc.Value(), QDate(2024, 1, 31));  // the steps were copied, not shared
    EXPECT_THROW(Copy.Calcs().Items(1), platform::os::EListError);
}
