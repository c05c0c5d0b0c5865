#include "platform/data/SqliteFunctions.h"

#include <sqlite3.h>

#include <QDateTime>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/data/DataTypes.h"
#include "platform/os/Text.h"

namespace platform::data {

namespace {

using platform::os::DecodeUtf8;
using platform::os::FoldLower;

std::string_view TextArg(sqlite3_value* V) {
    const auto* Text = reinterpret_cast<const char*>(sqlite3_value_text(V));
    return Text ? std::string_view(Text, sqlite3_value_bytes(V)) : std::string_view();
}

// Matches T-SQL patterns: % any run, _ one character, [abc], [a-z], [^abc];
// letters compare ignoring case, Latin-1 letters included. The pattern is read
// once into elements and matched by walking all of its states together, so a
// match costs at most text length times pattern length.
class TLikeMatcher {
public:
    TLikeMatcher(std::string_view Pattern, char32_t Escape) {
        std::u32string P;
        size_t Pos = 0;
        while (Pos < Pattern.size()) P.push_back(DecodeUtf8(Pattern, Pos));
        for (size_t I = 0; I < P.size();) I = Compile(P, I, Escape);
    }

    bool Match(std::string_view Text) const {
        const size_t M = FElements.size();
        std::vector<char> States(M + 1, 0), Next(M + 1, 0);
        States[0] = 1;
        Close(States);
        size_t Pos = 0;
        while (Pos < Text.size()) {
            const char32_t C = FoldLower(DecodeUtf8(Text, Pos));
            std::fill(Next.begin(), Next.end(), 0);
            for (size_t J = 0; J < M; ++J) {
                if (!States[J]) continue;
                if (FElements[J].Kind == TElement::AnyRun) Next[J] = 1;
                else if (Matches(FElements[J], C)) Next[J + 1] = 1;
            }
            Close(Next);
            States.swap(Next);
        }
        return States[M] != 0;
    }

private:
    struct TElement {
        enum TKind { Char, AnyOne, AnyRun, Class };
        explicit TElement(TKind AKind, char32_t AC = 0) : Kind(AKind), C(AC) {}
        TKind Kind;
        char32_t C;
        bool Negate = false;
        std::vector<std::pair<char32_t, char32_t>> Ranges;
    };

    // Reads the element at I; answers where the next one starts.
    size_t Compile(const std::u32string& P, size_t I, char32_t Escape) {
        const char32_t E = P[I];
        if (Escape && E == Escape && I + 1 < P.size()) {
            FElements.emplace_back(TElement::Char, FoldLower(P[I + 1]));
            return I + 2;
        }
        if (E == '%') {
            const bool AfterRun = !FElements.empty() && FElements.back().Kind == TElement::AnyRun;
            if (!AfterRun) FElements.emplace_back(TElement::AnyRun);  // a run of % matches as one
            return I + 1;
        }
        if (E == '_') {
            FElements.emplace_back(TElement::AnyOne);
            return I + 1;
        }
        if (E == '[') {
            TElement Class(TElement::Class);
            size_t Q = I + 1;
            Class.Negate = Q < P.size() && P[Q] == '^';
            if (Class.Negate) ++Q;
            const size_t Start = Q;
            for (; Q < P.size() && (P[Q] != ']' || Q == Start); ++Q) {
                const char32_t Lo = FoldLower(P[Q]);
                if (Q + 2 < P.size() && P[Q + 1] == '-' && P[Q + 2] != ']') {
                    Class.Ranges.emplace_back(Lo, FoldLower(P[Q + 2]));
                    Q += 2;
                } else {
                    Class.Ranges.emplace_back(Lo, Lo);
                }
            }
            if (Q < P.size()) {
                FElements.push_back(std::move(Class));
                return Q + 1;
            }
        }
        FElements.emplace_back(TElement::Char, FoldLower(E));
        return I + 1;
    }

    static bool Matches(const TElement& E, char32_t C) {
        switch (E.Kind) {
        case TElement::Char: return E.C == C;
        case TElement::Class: {
            bool In = false;
            for (const auto& [Lo, Hi] : E.Ranges) In = In || (C >= Lo && C <= Hi);
            return In != E.Negate;
        }
        default: return true;
        }
    }

    // A run of any characters may also be empty.
    void Close(std::vector<char>& States) const {
        for (size_t J = 0; J < FElements.size(); ++J)
            if (States[J] && FElements[J].Kind == TElement::AnyRun) States[J + 1] = 1;
    }

    std::vector<TElement> FElements;
};

void Like(sqlite3_context* Ctx, int Argc, sqlite3_value** Argv) {
    if (sqlite3_value_type(Argv[0]) == SQLITE_NULL || sqlite3_value_type(Argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(Ctx);
        return;
    }
    char32_t Escape = 0;
    if (Argc == 3) {
        const std::string_view E = TextArg(Argv[2]);
        size_t P = 0;
        if (!E.empty()) Escape = DecodeUtf8(E, P);
    }
    sqlite3_result_int(Ctx, TLikeMatcher(TextArg(Argv[0]), Escape).Match(TextArg(Argv[1])) ? 1 : 0);
}

void ResultText(sqlite3_context* Ctx, const std::string& Text) {
    sqlite3_result_text(Ctx, Text.data(), static_cast<int>(Text.size()), SQLITE_TRANSIENT);
}

void ResultText(sqlite3_context* Ctx, const QString& Text) { ResultText(Ctx, Text.toStdString()); }

void Upper(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    if (sqlite3_value_type(Argv[0]) == SQLITE_NULL) return sqlite3_result_null(Ctx);
    ResultText(Ctx, platform::os::AnsiUpperCase(TextArg(Argv[0])));
}

void Lower(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    if (sqlite3_value_type(Argv[0]) == SQLITE_NULL) return sqlite3_result_null(Ctx);
    ResultText(Ctx, platform::os::AnsiLowerCase(TextArg(Argv[0])));
}

// T-SQL's Len: characters without the trailing blanks.
void Len(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    if (sqlite3_value_type(Argv[0]) == SQLITE_NULL) return sqlite3_result_null(Ctx);
    const QString S = QString::fromUtf8(TextArg(Argv[0]));
    qsizetype N = S.size();
    while (N > 0 && S[N - 1] == ' ') --N;
    sqlite3_result_int64(Ctx, N);
}

QString IsoText(const QDateTime& D) { return D.toString("yyyy-MM-dd HH:mm:ss.zzz"); }

std::optional<QDateTime> DateArg(sqlite3_value* V) {
    QVariant Value;
    switch (sqlite3_value_type(V)) {
    case SQLITE_NULL: return std::nullopt;
    case SQLITE_INTEGER: case SQLITE_FLOAT: Value = sqlite3_value_double(V); break;
    default: Value = QString::fromUtf8(TextArg(V)); break;
    }
    try {
        return ConvertValue(Value, ftDateTime).toDateTime();
    } catch (const EDatabaseError&) {
        return std::nullopt;
    }
}

QString PartArg(sqlite3_value* V) { return QString::fromUtf8(TextArg(V)).trimmed().toLower(); }

void GetDate(sqlite3_context* Ctx, int, sqlite3_value**) { ResultText(Ctx, IsoText(QDateTime::currentDateTime())); }

// Sunday is 1, as with SQL Server's default first day of the week.
int WeekDay(const QDate& D) { return D.dayOfWeek() % 7 + 1; }

std::optional<qint64> DatePartOf(const QString& Part, const QDateTime& D) {
    const QDate Day = D.date();
    if (Part == "year") return Day.year();
    if (Part == "quarter") return (Day.month() - 1) / 3 + 1;
    if (Part == "month") return Day.month();
    if (Part == "dayofyear") return Day.dayOfYear();
    if (Part == "day") return Day.day();
    if (Part == "week") return (Day.dayOfYear() + WeekDay(QDate(Day.year(), 1, 1)) - 2) / 7 + 1;
    if (Part == "weekday") return WeekDay(Day);
    if (Part == "hour") return D.time().hour();
    if (Part == "minute") return D.time().minute();
    if (Part == "second") return D.time().second();
    if (Part == "millisecond") return D.time().msec();
    return std::nullopt;
}

void DatePart(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const auto D = DateArg(Argv[1]);
    if (!D) return sqlite3_result_null(Ctx);
    const auto V = DatePartOf(PartArg(Argv[0]), *D);
    if (!V) return sqlite3_result_error(Ctx, "DatePart: unknown date part", -1);
    sqlite3_result_int64(Ctx, *V);
}

template <const char* Part>
void DatePartFixed(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const auto D = DateArg(Argv[0]);
    if (!D) return sqlite3_result_null(Ctx);
    sqlite3_result_int64(Ctx, *DatePartOf(QLatin1String(Part), *D));
}
constexpr char YearPart[] = "year";
constexpr char MonthPart[] = "month";
constexpr char DayPart[] = "day";

void DateAdd(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const auto D = DateArg(Argv[2]);
    if (!D || sqlite3_value_type(Argv[1]) == SQLITE_NULL) return sqlite3_result_null(Ctx);
    const QString Part = PartArg(Argv[0]);
    const qint64 N = sqlite3_value_int64(Argv[1]);
    QDateTime R;
    if (Part == "year") R = D->addYears(static_cast<int>(N));
    else if (Part == "quarter") R = D->addMonths(static_cast<int>(N * 3));
    else if (Part == "month") R = D->addMonths(static_cast<int>(N));
    else if (Part == "day" || Part == "dayofyear" || Part == "weekday") R = D->addDays(N);
    else if (Part == "week") R = D->addDays(N * 7);
    else if (Part == "hour") R = D->addSecs(N * 3600);
    else if (Part == "minute") R = D->addSecs(N * 60);
    else if (Part == "second") R = D->addSecs(N);
    else if (Part == "millisecond") R = D->addMSecs(N);
    else return sqlite3_result_error(Ctx, "DateAdd: unknown date part", -1);
    ResultText(Ctx, IsoText(R));
}

// Boundaries crossed between the two moments, as SQL Server counts them.
void DateDiff(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const auto A = DateArg(Argv[1]), B = DateArg(Argv[2]);
    if (!A || !B) return sqlite3_result_null(Ctx);
    const QString Part = PartArg(Argv[0]);
    const QDate DA = A->date(), DB = B->date();
    const qint64 Days = DA.daysTo(DB);
    auto Truncated = [&](qint64 UnitMs) {
        auto Floor = [&](const QDateTime& D) {
            const qint64 Ms = QDate(1900, 1, 1).daysTo(D.date()) * 86400000LL + D.time().msecsSinceStartOfDay();
            return Ms >= 0 ? Ms / UnitMs : (Ms - UnitMs + 1) / UnitMs;
        };
        return Floor(*B) - Floor(*A);
    };
    qint64 R;
    if (Part == "year") R = DB.year() - DA.year();
    else if (Part == "quarter") R = (DB.year() - DA.year()) * 4 + (DB.month() - 1) / 3 - (DA.month() - 1) / 3;
    else if (Part == "month") R = (DB.year() - DA.year()) * 12 + DB.month() - DA.month();
    else if (Part == "day" || Part == "dayofyear" || Part == "weekday") R = Days;
    else if (Part == "week") R = (DB.addDays(1 - WeekDay(DB)).toJulianDay() - DA.addDays(1 - WeekDay(DA)).toJulianDay()) / 7;
    else if (Part == "hour") R = Truncated(3600000);
    else if (Part == "minute") R = Truncated(60000);
    else if (Part == "second") R = Truncated(1000);
    else if (Part == "millisecond") R = Truncated(1);
    else return sqlite3_result_error(Ctx, "DateDiff: unknown date part", -1);
    sqlite3_result_int64(Ctx, R);
}

// Text compared as SQL Server's default collation does: ignoring case, Latin-1 letters included.
int CompareNoCase(void*, int LengthA, const void* A, int LengthB, const void* B) {
    const std::string_view SA(static_cast<const char*>(A), LengthA), SB(static_cast<const char*>(B), LengthB);
    size_t PA = 0, PB = 0;
    while (PA < SA.size() && PB < SB.size()) {
        const char32_t CA = FoldLower(DecodeUtf8(SA, PA)), CB = FoldLower(DecodeUtf8(SB, PB));
        if (CA != CB) return CA < CB ? -1 : 1;
    }
    return PA < SA.size() ? 1 : (PB < SB.size() ? -1 : 0);
}

}  // namespace

void RegisterSqliteFunctions(sqlite3* Db) {
    // Columns declared "Collate NoCase" then compare like SQL Server's.
    sqlite3_create_collation_v2(Db, "NOCASE", SQLITE_UTF8, nullptr, CompareNoCase, nullptr);
    const int Pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct TEntry {
        const char* Name;
        int Args;
        int Flags;
        void (*Function)(sqlite3_context*, int, sqlite3_value**);
    };
    const TEntry Entries[] = {
        {"like", 2, Pure, Like},           {"like", 3, Pure, Like},
        {"upper", 1, Pure, Upper},         {"lower", 1, Pure, Lower},
        {"len", 1, Pure, Len},             {"getdate", 0, SQLITE_UTF8, GetDate},
        {"datepart", 2, Pure, DatePart},   {"dateadd", 3, Pure, DateAdd},
        {"datediff", 3, Pure, DateDiff},   {"year", 1, Pure, DatePartFixed<YearPart>},
        {"month", 1, Pure, DatePartFixed<MonthPart>}, {"day", 1, Pure, DatePartFixed<DayPart>},
    };
    for (const TEntry& E : Entries)
        sqlite3_create_function_v2(Db, E.Name, E.Args, E.Flags, nullptr, E.Function, nullptr, nullptr, nullptr);
}

}  // namespace platform::data
