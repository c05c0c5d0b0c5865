#pragma once
// Dates relative to today (or to a fixed date) as a list of steps, such as the
// first day of the month followed by one month back, so that stored period
// filters keep meaning "last month" whenever they are evaluated. A step that
// sets a day, month or year to an impossible value raises EConvertError.
#include <QDate>
#include <QObject>
#include <QString>
#include <functional>

#include "platform/ui/Classes.h"

namespace dataaccess {

enum TDatePart { dpDay, dpMonth, dpYear };

enum TPartCalc {
    pcValue,
    pcIncValue,
    pcDecValue,
    pcFirstDayMonth,
    pcLastDayMonth,
    pcFirstDayWeek,  // weeks start on Monday
    pcLastDayWeek,
    pcFirstDayFortnight,
    pcLastDayFortnight
};

// One step; every change is told to its collection.
class TDateCalc : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;

    TPartCalc Calc() const { return FCalc; }
    void SetCalc(TPartCalc Value);
    TDatePart Part() const { return FPart; }
    void SetPart(TDatePart Value);
    int Value() const { return FValue; }
    void SetValue(int Value);  // 0 or less is stored as 1
    // "Month.IncValue(2)" for the steps that take a value, else "FirstDayMonth".
    QString DisplayName() const;
    // The date after this step.
    QDate Apply(const QDate& Date) const;
    void Assign(const platform::ui::TCollectionItem& Source) override;

private:
    TPartCalc FCalc = pcValue;
    TDatePart FPart = dpDay;
    int FValue = 1;
};

// The ordered steps of a TCalcDate, owned; a change of a step or of the list tells the TCalcDate.
using TDateCalcs = platform::ui::TOwnedCollection<TDateCalc>;

class TCalcDate : public QObject {
    Q_OBJECT
public:
    explicit TCalcDate(QObject* AOwner = nullptr);
    ~TCalcDate() override;

    QDate Date() const { return FDate; }
    void SetDate(const QDate& Value);  // also ends Current
    bool Current() const { return FCurrent; }
    void SetCurrent(bool Value);
    TDateCalcs& Calcs() { return FCalcs; }
    const TDateCalcs& Calcs() const { return FCalcs; }

    // The start date (today when Current) after every step in order.
    QDate Value() const;
    // Copies Current, Date, the steps and OnCalcsChanged.
    void Assign(const TCalcDate& Source);

    std::function<void()> OnCalcsChanged;

private:
    void CalcsChanged();

    QDate FDate;
    bool FCurrent = true;
    TDateCalcs FCalcs;
};

}  // namespace dataaccess
