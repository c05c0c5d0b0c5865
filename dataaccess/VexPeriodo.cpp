#include "dataaccess/VexPeriodo.h"

#include "platform/os/Exceptions.h"

namespace dataaccess {

namespace {

constexpr const char* kDateEncodeError = "Invalid argument to date encode";
constexpr int kDaysInWeek = 7;
constexpr int kFortnightDay = 15;

const char* const kPartNames[] = {"Day", "Month", "Year"};
const char* const kCalcNames[] = {"Value",          "IncValue",      "DecValue",
                                  "FirstDayMonth",  "LastDayMonth",  "FirstDayWeek",
                                  "LastDayWeek",    "FirstDayFortnight", "LastDayFortnight"};

QDate Encoded(int Year, int Month, int Day) {
    const QDate Date(Year, Month, Day);
    if (!Date.isValid()) throw platform::os::EConvertError(kDateEncodeError);
    return Date;
}

QDate WithPart(const QDate& Date, TDatePart Part, int Value) {
    switch (Part) {
    case dpDay: return Encoded(Date.year(), Date.month(), Value);
    case dpMonth: return Encoded(Date.year(), Value, Date.day());
    default: return Encoded(Value, Date.month(), Date.day());
    }
}

// Months and years keep the day when the target month has it, else take its last day.
QDate Moved(const QDate& Date, TDatePart Part, int Amount) {
    switch (Part) {
    case dpDay: return Date.addDays(Amount);
    case dpMonth: return Date.addMonths(Amount);
    default: return Date.addYears(Amount);
    }
}

QDate LastDayOfMonth(const QDate& Date) { return QDate(Date.year(), Date.month(), Date.daysInMonth()); }

}  // namespace

void TDateCalc::SetCalc(TPartCalc Value) {
    FCalc = Value;
    Changed();
}

void TDateCalc::SetPart(TDatePart Value) {
    FPart = Value;
    Changed();
}

void TDateCalc::SetValue(int Value) {
    FValue = Value <= 0 ? 1 : Value;
    Changed();
}

QString TDateCalc::DisplayName() const {
    if (FCalc == pcValue || FCalc == pcIncValue || FCalc == pcDecValue)
        return QString("%1.%2(%3)").arg(kPartNames[FPart], kCalcNames[FCalc]).arg(FValue);
    return kCalcNames[FCalc];
}

QDate TDateCalc::Apply(const QDate& Date) const {
    switch (FCalc) {
    case pcValue: return WithPart(Date, FPart, FValue);
    case pcIncValue: return Moved(Date, FPart, FValue);
    case pcDecValue: return Moved(Date, FPart, -FValue);
    case pcFirstDayMonth: return QDate(Date.year(), Date.month(), 1);
    case pcLastDayMonth: return LastDayOfMonth(Date);
    case pcFirstDayWeek: return Date.addDays(1 - Date.dayOfWeek());
    case pcLastDayWeek: return Date.addDays(kDaysInWeek - Date.dayOfWeek());
    case pcFirstDayFortnight:
        return QDate(Date.year(), Date.month(), Date.day() <= kFortnightDay ? 1 : kFortnightDay + 1);
    case pcLastDayFortnight:
        return Date.day() <= kFortnightDay ? QDate(Date.year(), Date.month(), kFortnightDay) : LastDayOfMonth(Date);
    }
    return Date;
}

void TDateCalc::Assign(const platform::ui::TCollectionItem& Source) {
    const auto& Step = static_cast<const TDateCalc&>(Source);
    FCalc = Step.FCalc;
    FPart = Step.FPart;
    FValue = Step.FValue;
    Changed();
}

TCalcDate::TCalcDate(QObject* AOwner) : QObject(AOwner) {
    FCalcs.OnUpdate = [this](platform::ui::TCollection*, platform::ui::TCollectionItem*) { CalcsChanged(); };
}

TCalcDate::~TCalcDate() = default;

void TCalcDate::SetDate(const QDate& Value) {
    FDate = Value;
    FCurrent = false;
    CalcsChanged();
}

void TCalcDate::SetCurrent(bool Value) {
    FCurrent = Value;
    CalcsChanged();
}

QDate TCalcDate::Value() const {
    QDate Result = FCurrent ? QDate::currentDate() : FDate;
    for (int I = 0; I < FCalcs.Count(); ++I) Result = FCalcs.Items(I)->Apply(Result);
    return Result;
}

void TCalcDate::Assign(const TCalcDate& Source) {
    FCurrent = Source.FCurrent;
    FDate = Source.FDate;
    OnCalcsChanged = Source.OnCalcsChanged;
    // One notification for the whole copy.
    auto Handler = std::exchange(OnCalcsChanged, nullptr);
    FCalcs.Assign(Source.FCalcs);
    OnCalcsChanged = std::move(Handler);
    CalcsChanged();
}

void TCalcDate::CalcsChanged() {
    if (OnCalcsChanged) OnCalcsChanged();
}

}  // namespace dataaccess
