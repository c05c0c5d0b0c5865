#include "platform/data/Formats.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

namespace platform::data {

TFormatSettings& FormatSettings() {
    static TFormatSettings Settings;
    return Settings;
}

QString FormatFloat(const QString& Format, double Value) {
    const TFormatSettings& Fs = FormatSettings();
    QString Section = Format;
    const QStringList Sections = Format.split(';');
    bool Negative = Value < 0;
    if (Sections.size() >= 2 && Negative) {
        Section = Sections[1];
        Value = -Value;
        Negative = false;
    } else if (Sections.size() >= 3 && Value == 0) {
        Section = Sections[2];
    } else {
        Section = Sections[0];
    }
    if (Section.isEmpty()) {
        QString S = QString::number(Value, 'g', 15);
        return S.replace('.', Fs.DecimalSeparator);
    }
    // Literal text before and after the digit placeholders.
    int First = -1, Last = -1;
    bool Quoted = false;
    for (int I = 0; I < Section.size(); ++I) {
        if (Section[I] == '"' || Section[I] == '\'') Quoted = !Quoted;
        else if (!Quoted && QString("0#.,").contains(Section[I])) {
            if (First < 0) First = I;
            Last = I;
        }
    }
    auto Unquote = [](QString S) { return S.remove('"').remove('\''); };
    if (First < 0) return Unquote(Section);
    const QString Core = Section.mid(First, Last - First + 1);
    const int Dot = Core.indexOf('.');
    const QString IntPart = Dot < 0 ? Core : Core.left(Dot), DecPart = Dot < 0 ? QString() : Core.mid(Dot + 1);
    const int MinDec = DecPart.count('0'), MaxDec = MinDec + DecPart.count('#');
    const int MinInt = IntPart.count('0');
    const bool Thousands = IntPart.contains(',');
    QString Digits = QString::number(std::fabs(Value), 'f', MaxDec);
    QString IntDigits = Digits.section('.', 0, 0), DecDigits = Digits.section('.', 1);
    while (DecDigits.size() > MinDec && DecDigits.endsWith('0')) DecDigits.chop(1);
    if (IntDigits == "0" && MinInt == 0) IntDigits.clear();
    while (IntDigits.size() < MinInt) IntDigits.prepend('0');
    if (Thousands)
        for (int I = IntDigits.size() - 3; I > 0; I -= 3) IntDigits.insert(I, Fs.ThousandSeparator);
    QString Number = IntDigits;
    if (!DecDigits.isEmpty()) Number += Fs.DecimalSeparator + DecDigits;
    const bool AllZero = !QString(Digits).remove('0').remove('.').size();
    if (Negative && !AllZero) Number.prepend('-');
    return Unquote(Section.left(First)) + Number + Unquote(Section.mid(Last + 1));
}

QString FormatDateTime(const QString& Format, const QDateTime& Value) {
    const QLocale Locale(QLocale::Portuguese, QLocale::Brazil);
    const TFormatSettings& Fs = FormatSettings();
    QString Fmt = Format.isEmpty() ? QStringLiteral("c") : Format;
    QString Out;
    bool AfterHour = false;
    for (int I = 0; I < Fmt.size();) {
        const QChar C = Fmt[I];
        if (C == '"' || C == '\'') {
            const int End = Fmt.indexOf(C, I + 1);
            Out += Fmt.mid(I + 1, (End < 0 ? Fmt.size() : End) - I - 1);
            I = End < 0 ? Fmt.size() : End + 1;
            continue;
        }
        const QChar L = C.toLower();
        int Run = 1;
        while (I + Run < Fmt.size() && Fmt[I + Run].toLower() == L) ++Run;
        auto Pad = [](int V, int W) { return QString::number(V).rightJustified(W, '0'); };
        const QDate D = Value.date();
        const QTime T = Value.time();
        if (L == 'c' && Run == 1) {
            Out += FormatDateTime(Fs.ShortDateFormat, Value);
            if (T != QTime(0, 0)) Out += ' ' + FormatDateTime(Fs.LongTimeFormat, Value);
        } else if (L == 'y') {
            Out += Run <= 2 ? Pad(D.year() % 100, 2) : Pad(D.year(), 4);
        } else if (L == 'm' && !AfterHour) {
            Out += Run == 1 ? QString::number(D.month()) : Run == 2 ? Pad(D.month(), 2)
                 : Run == 3 ? Locale.monthName(D.month(), QLocale::ShortFormat) : Locale.monthName(D.month());
        } else if (L == 'm' || L == 'n') {
            Out += Run == 1 ? QString::number(T.minute()) : Pad(T.minute(), 2);
        } else if (L == 'd') {
            Out += Run == 1 ? QString::number(D.day()) : Run == 2 ? Pad(D.day(), 2)
                 : Run == 3 ? Locale.dayName(D.dayOfWeek(), QLocale::ShortFormat) : Locale.dayName(D.dayOfWeek());
        } else if (L == 'h') {
            Out += Run == 1 ? QString::number(T.hour()) : Pad(T.hour(), 2);
        } else if (L == 's') {
            Out += Run == 1 ? QString::number(T.second()) : Pad(T.second(), 2);
        } else if (L == 'z') {
            Out += Run == 1 ? QString::number(T.msec()) : Pad(T.msec(), 3);
        } else {
            Out += Fmt.mid(I, Run);
        }
        if (L.isLetter()) AfterHour = L == 'h';
        I += Run;
    }
    return Out;
}

}  // namespace platform::data
