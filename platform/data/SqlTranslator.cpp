#include "platform/data/SqlTranslator.h"

#include <map>
#include <vector>

#include "platform/data/DataTypes.h"
#include "platform/data/SqlDialect.h"
#include "platform/data/SqlTokens.h"

namespace platform::data {

const char* const PgLikeFunctionSql =
    "CREATE OR REPLACE FUNCTION pg_temp.vex_like_regex(p text, esc text DEFAULT '') RETURNS text\n"
    "LANGUAGE plpgsql IMMUTABLE AS $vex$\n"
    "DECLARE r text := '^'; i int := 1; n int := length(p); c text; j int; k int;\n"
    "BEGIN\n"
    "  IF p IS NULL THEN RETURN NULL; END IF;\n"
    "  WHILE i <= n LOOP\n"
    "    c := substr(p, i, 1);\n"
    "    IF esc <> '' AND c = esc AND i < n THEN\n"
    "      c := substr(p, i + 1, 1);\n"
    "      r := r || CASE WHEN strpos('\\.*+?(){}|$^[]-', c) > 0 THEN '\\' || c ELSE c END;\n"
    "      i := i + 2;\n"
    "      CONTINUE;\n"
    "    END IF;\n"
    "    j := CASE WHEN c = '[' THEN strpos(substr(p, i + 2), ']') ELSE 0 END;\n"
    "    IF c = '%' THEN r := r || '.*';\n"
    "    ELSIF c = '_' THEN r := r || '.';\n"
    "    ELSIF j > 0 THEN\n"
    "      r := r || '[';\n"
    "      k := i + 1;\n"
    "      IF substr(p, k, 1) = '^' THEN r := r || '^'; k := k + 1; END IF;\n"
    "      WHILE k <= i + j LOOP\n"
    "        c := substr(p, k, 1);\n"
    "        r := r || CASE WHEN c = '-' AND k > i + 1 AND k < i + j THEN '-'\n"
    "                       WHEN strpos('\\^[]-', c) > 0 THEN '\\' || c ELSE c END;\n"
    "        k := k + 1;\n"
    "      END LOOP;\n"
    "      r := r || ']';\n"
    "      i := i + j + 1;\n"
    "    ELSIF strpos('\\.*+?(){}|$^[]', c) > 0 THEN r := r || '\\' || c;\n"
    "    ELSE r := r || c;\n"
    "    END IF;\n"
    "    i := i + 1;\n"
    "  END LOOP;\n"
    "  RETURN r || '$';\n"
    "END $vex$";

namespace {

// Words that end the pattern of a Like.
bool EndsOperand(const TToken& T) {
    static const char* const Words[] = {"and", "or", "then", "when", "else", "end", "escape", "order", "group",
                                        "having", "union", "except", "intersect", "from", "where", "as"};
    for (const char* W : Words)
        if (Is(T, W)) return true;
    return T.Kind == TKind::Comma || T.Kind == TKind::RParen || (T.Kind == TKind::Symbol && T.Text == ";");
}

// The N of N'text'.
bool IsUnicodePrefix(const TToken& T) { return T.Kind == TKind::Name && (T.Text == "N" || T.Text == "n"); }

bool IsSetOperator(const TToken& T) { return Is(T, "union") || Is(T, "except") || Is(T, "intersect"); }

// Functions whose result is text, so that "+" next to them joins texts.
bool IsTextFunction(const QString& Name) {
    static const char* const Names[] = {"upper", "lower", "ltrim", "rtrim", "substring", "left", "right",
                                        "replace", "replicate", "space", "char", "nchar", "str"};
    for (const char* N : Names)
        if (Name.compare(QLatin1String(N), Qt::CaseInsensitive) == 0) return true;
    return false;
}

class TTranslator {
public:
    TTranslator(TEngine Engine, const QString& Sql) : FPg(Engine == egPostgreSQL), FTokens(Tokenize(Sql)) {}

    QString Run() {
        int End = static_cast<int>(FTokens.size());
        // A trailing ";" would end the statement before an appended limit.
        const int Last = PrevSignificant(End);
        if (Last >= 0 && FTokens[Last].Kind == TKind::Symbol && FTokens[Last].Text == ";") End = Last;
        const int First = NextSignificant(0, End);
        // "Insert T" and "Delete T" leave out the Into and From the engines need.
        if (First < End && (Is(FTokens[First], "insert") || Is(FTokens[First], "delete"))) {
            const int Next = NextSignificant(First + 1, End);
            const char* Word = Is(FTokens[First], "insert") ? "into" : "from";
            if (Next < End && !Is(FTokens[Next], Word) && FTokens[Next].Kind != TKind::LParen) {
                return (FTokens[First].Text + ' ' + QLatin1String(Word) + ' ' + Range(Next, End)).trimmed();
            }
        }
        return Range(0, End).trimmed();
    }

private:
    int NextSignificant(int I, int End) const {
        while (I < End && !Significant(FTokens[I])) ++I;
        return I;
    }
    int PrevSignificant(int I) const {
        for (--I; I >= 0; --I)
            if (Significant(FTokens[I])) return I;
        return -1;
    }
    int MatchingParen(int Open, int End) const {
        int Depth = 0;
        for (int I = Open; I < End; ++I) {
            if (FTokens[I].Kind == TKind::LParen) ++Depth;
            else if (FTokens[I].Kind == TKind::RParen && --Depth == 0) return I;
        }
        DatabaseError("Unbalanced parentheses in SQL statement");
    }
    int MatchingOpen(int Close) const {
        int Depth = 0;
        for (int I = Close; I >= 0; --I) {
            if (FTokens[I].Kind == TKind::RParen) ++Depth;
            else if (FTokens[I].Kind == TKind::LParen && --Depth == 0) return I;
        }
        DatabaseError("Unbalanced parentheses in SQL statement");
    }
    // Arguments of a call as token ranges.
    std::vector<std::pair<int, int>> Arguments(int Open, int Close) const {
        std::vector<std::pair<int, int>> Args;
        int Start = Open + 1, Depth = 0;
        for (int I = Open + 1; I < Close; ++I) {
            if (FTokens[I].Kind == TKind::LParen) ++Depth;
            else if (FTokens[I].Kind == TKind::RParen) --Depth;
            else if (FTokens[I].Kind == TKind::Comma && Depth == 0) {
                Args.emplace_back(Start, I);
                Start = I + 1;
            }
        }
        if (Close > Open + 1) Args.emplace_back(Start, Close);
        return Args;
    }
    QString Raw(int Begin, int End) const {
        QString Out;
        for (int I = Begin; I < End; ++I) Out += FTokens[I].Text;
        return Out.trimmed();
    }

    QString Name(const TToken& T) const {
        if (T.Kind == TKind::Name && !T.Text.startsWith('#')) return T.Text;
        QString Text = UnquotedName(T);
        if (Text.startsWith('#')) Text = Text.mid(1);  // temporary tables live in the session's temp schema
        if (T.Kind == TKind::Name && !FPg) return Text;
        // PostgreSQL keeps unquoted names in lower case.
        if (FPg) Text = Text.toLower();
        return '"' + Text.replace('"', "\"\"") + '"';
    }

    static QString DatePartName(const QString& Part) {
        static const char* const Names[][2] = {
            {"yy", "year"}, {"yyyy", "year"}, {"qq", "quarter"}, {"q", "quarter"}, {"mm", "month"}, {"m", "month"},
            {"dy", "dayofyear"}, {"y", "dayofyear"}, {"dd", "day"}, {"d", "day"}, {"wk", "week"}, {"ww", "week"},
            {"dw", "weekday"}, {"hh", "hour"}, {"mi", "minute"}, {"n", "minute"}, {"ss", "second"}, {"s", "second"},
            {"ms", "millisecond"}};
        const QString P = Part.trimmed().toLower().remove('\'');
        for (const auto& Pair : Names)
            if (P == QLatin1String(Pair[0])) return QLatin1String(Pair[1]);
        return P;
    }

    // Literals and parameters have no type of their own in PostgreSQL: the date functions get a timestamp.
    static QString PgTimestamp(const QString& Expr) { return QString("CAST(%1 AS TIMESTAMP)").arg(Expr); }
    static QString PgInt(const QString& Expr) { return QString("CAST(%1 AS INTEGER)").arg(Expr); }
    static QString PgExtract(const QString& Field, const QString& Expr) {
        return PgInt(QString("EXTRACT(%1 FROM %2)").arg(Field, Expr));
    }

    QString PgDatePart(const QString& Part, const QString& Value) const {
        const QString Expr = PgTimestamp(Value);
        if (Part == "weekday") return QString("(%1 + 1)").arg(PgExtract("DOW", Expr));
        if (Part == "dayofyear") return PgExtract("DOY", Expr);
        if (Part == "millisecond") return QString("(%1 % 1000)").arg(PgExtract("MILLISECONDS", Expr));
        return PgExtract(Part.toUpper(), Expr);
    }

    QString PgDateDiff(const QString& Part, const QString& From, const QString& To) const {
        const QString A = PgTimestamp(From), B = PgTimestamp(To);
        const QString Years = QString("(%1 - %2)").arg(PgExtract("YEAR", B), PgExtract("YEAR", A));
        if (Part == "year") return Years;
        if (Part == "month")
            return QString("(%1 * 12 + %2 - %3)").arg(Years, PgExtract("MONTH", B), PgExtract("MONTH", A));
        if (Part == "quarter")
            return QString("(%1 * 4 + %2 - %3)").arg(Years, PgExtract("QUARTER", B), PgExtract("QUARTER", A));
        if (Part == "day" || Part == "dayofyear" || Part == "weekday")
            return QString("(CAST(%2 AS DATE) - CAST(%1 AS DATE))").arg(A, B);
        if (Part == "week")  // Sundays crossed
            return QString("(((CAST(%2 AS DATE) - %4) - (CAST(%1 AS DATE) - %3)) / 7)")
                .arg(A, B, PgExtract("DOW", A), PgExtract("DOW", B));
        if (Part == "millisecond")
            return QString("CAST(FLOOR(EXTRACT(EPOCH FROM (%2 - %1)) * 1000) AS BIGINT)").arg(A, B);
        const int Seconds = Part == "hour" ? 3600 : Part == "minute" ? 60 : 1;
        return QString("CAST(EXTRACT(EPOCH FROM (date_trunc('%3', %2) - date_trunc('%3', %1))) / %4 AS BIGINT)")
            .arg(A, B, Part)
            .arg(Seconds);
    }

    QString PgDateAdd(const QString& Part, const QString& Count, const QString& Value) const {
        const int Factor = Part == "quarter" ? 3 : Part == "week" ? 7 : 1;
        const QString Unit = Part == "quarter" ? "month"
                             : Part == "week" || Part == "dayofyear" || Part == "weekday" ? "day"
                                                                                          : Part;
        const QString Times = Factor == 1 ? PgInt(Count) : QString("%1 * %2").arg(PgInt(Count)).arg(Factor);
        return QString("(%1 + %2 * INTERVAL '1 %3')").arg(PgTimestamp(Value), Times, Unit);
    }

    QString PgType(const QString& Type) const {
        static const char* const Map[][2] = {
            {"bit", "boolean"}, {"datetime", "timestamp"}, {"smalldatetime", "timestamp"}, {"tinyint", "smallint"},
            {"nvarchar", "varchar"}, {"nchar", "char"}, {"ntext", "text"}, {"money", "numeric(19,4)"},
            {"image", "bytea"}, {"varbinary", "bytea"}, {"sql_variant", "text"}, {"float", "double precision"}};
        const QString Head = Type.section('(', 0, 0).trimmed().toLower();
        for (const auto& Pair : Map)
            if (Head == QLatin1String(Pair[0]))
                return QLatin1String(Pair[1]) + (Head.endsWith("char") ? Type.mid(Type.indexOf('(')) : QString());
        return Type;
    }

    // The top-level "as" of a Cast's argument, or -1.
    int CastAs(int Begin, int End) const {
        int As = -1, Depth = 0;
        for (int I = Begin; I < End; ++I) {
            if (FTokens[I].Kind == TKind::LParen) ++Depth;
            else if (FTokens[I].Kind == TKind::RParen) --Depth;
            else if (Depth == 0 && Is(FTokens[I], "as")) As = I;
        }
        return As;
    }

    // A call the engine lacks, or nothing when the name is left alone.
    bool Call(const QString& Function, int Open, int Close, QString& Out) {
        const auto Args = Arguments(Open, Close);
        auto Arg = [&](size_t I) {
            return I < Args.size() ? Range(Args[I].first, Args[I].second).trimmed() : QString();
        };
        const QString F = Function.toLower();
        if (F == "getdate" && Args.empty()) {
            Out = FPg ? "LOCALTIMESTAMP" : "getdate()";
            return true;
        }
        if (F == "isnull" && Args.size() == 2) {
            Out = QString("coalesce(%1, %2)").arg(Arg(0), Arg(1));
            return true;
        }
        if (F == "len" && Args.size() == 1) {
            Out = FPg ? QString("length(rtrim(%1))").arg(Arg(0)) : QString("len(%1)").arg(Arg(0));
            return true;
        }
        if (F == "substring" && !FPg) {
            Out = QString("substr(%1, %2, %3)").arg(Arg(0), Arg(1), Arg(2));
            return true;
        }
        if (F == "scope_identity" && Args.empty()) {
            Out = FPg ? "lastval()" : "last_insert_rowid()";
            return true;
        }
        if ((F == "datepart" && Args.size() == 2) || (F == "dateadd" && Args.size() == 3) ||
            (F == "datediff" && Args.size() == 3)) {
            const QString Part = DatePartName(Raw(Args[0].first, Args[0].second));
            if (!FPg) {
                QString Rest;
                for (size_t I = 1; I < Args.size(); ++I) Rest += ", " + Arg(I);
                Out = QString("%1('%2'%3)").arg(F, Part, Rest);
            } else if (F == "datepart") {
                Out = PgDatePart(Part, Arg(1));
            } else if (F == "dateadd") {
                Out = PgDateAdd(Part, Arg(1), Arg(2));
            } else {
                Out = PgDateDiff(Part, Arg(1), Arg(2));
            }
            return true;
        }
        if ((F == "year" || F == "month" || F == "day") && Args.size() == 1 && FPg) {
            Out = PgDatePart(F, Arg(0));
            return true;
        }
        if (F == "cast" && Args.size() == 1 && FPg) {
            const int As = CastAs(Args[0].first, Args[0].second);
            if (As < 0) return false;
            const QString Value = Range(Args[0].first, As).trimmed();
            Out = QString("CAST(%1 AS %2)").arg(Value, PgType(Raw(As + 1, Args[0].second)));
            return true;
        }
        return false;
    }

    // ------------------------------------------------ "+" between texts

    // Whether the operand ending at token Last (inclusive) is text; First gets its first token.
    bool OperandBefore(int Last, int& First) const {
        First = Last;
        const TToken& T = FTokens[Last];
        if (T.Kind == TKind::RParen) {
            First = MatchingOpen(Last);
            const int Fn = PrevSignificant(First);
            if (Fn >= 0 && FTokens[Fn].Kind == TKind::Name) {
                First = Fn;
                return IsTextCall(Fn, Last);
            }
            return false;
        }
        const int Prev = PrevSignificant(Last);
        if (T.Kind == TKind::String && Prev >= 0 && IsUnicodePrefix(FTokens[Prev])) First = Prev;
        return T.Kind == TKind::String;
    }
    bool OperandAfter(int First, int& Last) const {
        Last = First;
        const int End = static_cast<int>(FTokens.size());
        const TToken& T = FTokens[First];
        if (T.Kind == TKind::LParen) {
            Last = MatchingParen(First, End);
            return false;
        }
        const int Next = NextSignificant(First + 1, End);
        if (T.Kind == TKind::Name && Next < End && FTokens[Next].Kind == TKind::LParen) {
            Last = MatchingParen(Next, End);
            return IsTextCall(First, Last);
        }
        if (IsUnicodePrefix(T) && Next < End && FTokens[Next].Kind == TKind::String) {
            Last = Next;
            return true;
        }
        return T.Kind == TKind::String;
    }
    bool IsTextCall(int Fn, int Close) const {
        const QString F = FTokens[Fn].Text;
        if (F.compare("cast", Qt::CaseInsensitive) == 0 || F.compare("convert", Qt::CaseInsensitive) == 0) {
            const QString Whole = Raw(Fn, Close + 1).toLower();
            return Whole.contains("char") || Whole.contains("text");
        }
        return IsTextFunction(F);
    }
    static bool IsPlus(const TToken& T) { return T.Kind == TKind::Symbol && T.Text == "+"; }

    // A chain of operands joined by "+" joins texts when any of them is text.
    bool JoinsText(int Plus) {
        if (auto It = FJoins.find(Plus); It != FJoins.end()) return It->second;
        std::vector<int> Pluses{Plus};
        bool Text = false;
        int I = Plus;
        for (;;) {  // leftwards
            const int Last = PrevSignificant(I);
            if (Last < 0) break;
            int First = Last;
            Text = OperandBefore(Last, First) || Text;
            const int Before = PrevSignificant(First);
            if (Before < 0 || !IsPlus(FTokens[Before])) break;
            Pluses.push_back(Before);
            I = Before;
        }
        const int End = static_cast<int>(FTokens.size());
        for (I = Plus;;) {  // rightwards
            const int First = NextSignificant(I + 1, End);
            if (First >= End) break;
            int Last = First;
            Text = OperandAfter(First, Last) || Text;
            const int After = NextSignificant(Last + 1, End);
            if (After >= End || !IsPlus(FTokens[After])) break;
            Pluses.push_back(After);
            I = After;
        }
        for (int P : Pluses) FJoins[P] = Text;
        return Text;
    }

    // ------------------------------------------------ statement parts

    // Translates tokens [Begin, End); each branch of a Union keeps its own Top.
    QString Range(int Begin, int End) {
        std::vector<std::pair<int, int>> Branches;
        int Start = Begin, Depth = 0;
        for (int I = Begin; I < End; ++I) {
            if (FTokens[I].Kind == TKind::LParen) ++Depth;
            else if (FTokens[I].Kind == TKind::RParen) --Depth;
            else if (Depth == 0 && IsSetOperator(FTokens[I])) {
                Branches.emplace_back(Start, I);
                Start = I;
            }
        }
        if (Branches.empty()) return Branch(Begin, End, false);
        Branches.emplace_back(Start, End);
        QStringList Parts;
        for (const auto& [First, Last] : Branches) {
            int Select = First;
            if (IsSetOperator(FTokens[First])) {
                Select = NextSignificant(First + 1, Last);
                if (Select < Last && Is(FTokens[Select], "all")) Select = NextSignificant(Select + 1, Last);
                Parts << Raw(First, Select);
            }
            Parts << Branch(Select, Last, true).trimmed();
        }
        return Parts.join(' ');
    }

    // One Select (or any other part); a "Top n" of this level becomes a limit at its end,
    // and inside a Union a limited branch becomes a query of its own.
    QString Branch(int Begin, int End, bool InUnion) {
        QString Out, Limit;
        bool NegatedLike = false;
        for (int I = Begin; I < End; ++I) {
            const TToken& T = FTokens[I];
            if (IsUnicodePrefix(T) && I + 1 < End && FTokens[I + 1].Kind == TKind::String)
                continue;  // N'text': every engine here stores Unicode already
            if (T.Kind == TKind::LParen) {
                const int Close = MatchingParen(I, End);
                Out += '(' + Range(I + 1, Close) + ')';
                I = Close;
                continue;
            }
            if (Is(T, "select")) {
                Out += T.Text;
                int J = NextSignificant(I + 1, End);
                if (J < End && (Is(FTokens[J], "distinct") || Is(FTokens[J], "all"))) {
                    Out += Raw(I + 1, J + 1).prepend(' ');
                    I = J;
                    J = NextSignificant(I + 1, End);
                }
                if (J < End && Is(FTokens[J], "top")) {
                    int K = NextSignificant(J + 1, End);
                    if (K >= End) DatabaseError("Top without a row count");
                    if (FTokens[K].Kind == TKind::LParen) {
                        const int Close = MatchingParen(K, End);
                        Limit = Range(K + 1, Close).trimmed();
                        K = Close;
                    } else {
                        Limit = FTokens[K].Text;
                    }
                    const int After = NextSignificant(K + 1, End);
                    if (After < End && (Is(FTokens[After], "percent") || Is(FTokens[After], "with")))
                        DatabaseError("Top with Percent or With Ties is not supported by this engine");
                    I = K;
                }
                continue;
            }
            if (IsPlus(T) && JoinsText(I)) {
                Out += "||";
                continue;
            }
            if (FPg && T.Kind == TKind::Number && (T.Text == "0" || T.Text == "1") && ComparedToColumn(I)) {
                Out += '\'' + T.Text + '\'';  // the column's type decides: a bit column is Boolean here
                continue;
            }
            if (T.Kind == TKind::Name || T.Kind == TKind::QuotedName) {
                const int Next = NextSignificant(I + 1, End);
                if (T.Kind == TKind::Name && Next < End && FTokens[Next].Kind == TKind::LParen) {
                    const int Close = MatchingParen(Next, End);
                    QString Replaced;
                    if (Call(T.Text, Next, Close, Replaced)) {
                        Out += Replaced;
                        I = Close;
                        continue;
                    }
                }
                if (FPg && Is(T, "not") && Next < End && Is(FTokens[Next], "like")) {
                    NegatedLike = true;
                    I = Next - 1;
                    continue;
                }
                if (FPg && Is(T, "like")) {
                    I = PgLike(I, End, NegatedLike, Out);
                    NegatedLike = false;
                    continue;
                }
                if (FPg && Is(T, "values") && Next < End && FTokens[Next].Kind == TKind::LParen) {
                    Out += T.Text + ' ';
                    I = PgValues(Next, End, Out);
                    continue;
                }
                if (Is(T, "table") && Next < End && FTokens[Next].Text.startsWith('#')) {
                    // "Create Table #X": a table of the session.
                    const int Prev = PrevSignificant(I);
                    if (Prev >= 0 && Is(FTokens[Prev], "create")) {
                        Out += "TEMP " + T.Text;
                        continue;
                    }
                }
                Out += Name(T);
                continue;
            }
            Out += T.Text;
        }
        if (Limit.isEmpty()) return Out;
        Out = Out.trimmed() + " LIMIT " + Limit;
        return InUnion ? QString("SELECT * FROM (%1) AS vex_branch%2").arg(Out).arg(++FBranches) : Out;
    }

    // "Column = 1": a literal PostgreSQL gives the column's type, Boolean included.
    bool ComparedToColumn(int I) const {
        const int Op = PrevSignificant(I);
        if (Op < 0 || FTokens[Op].Kind != TKind::Symbol) return false;
        if (FTokens[Op].Text != "=" && FTokens[Op].Text != "<>" && FTokens[Op].Text != "!=") return false;
        const int Column = PrevSignificant(Op);
        return Column >= 0 && (FTokens[Column].Kind == TKind::Name || FTokens[Column].Kind == TKind::QuotedName);
    }

    // Like with SQL Server's patterns and case rule, as a regular expression match.
    int PgLike(int Like, int End, bool Negated, QString& Out) {
        const int First = NextSignificant(Like + 1, End);
        int Stop = First, Depth = 0;
        for (; Stop < End; ++Stop) {
            if (FTokens[Stop].Kind == TKind::LParen) ++Depth;
            else if (FTokens[Stop].Kind == TKind::RParen && Depth > 0) --Depth;
            else if (Depth == 0 && EndsOperand(FTokens[Stop])) break;
        }
        // Like compares any value as text, as SQL Server converts it.
        while (!Out.isEmpty() && Out.back().isSpace()) Out.chop(1);
        Out += "::text ";
        QString Escape;
        int Last = PrevSignificant(Stop);
        const QString Pattern = Range(First, Last + 1).trimmed();
        if (Stop < End && Is(FTokens[Stop], "escape")) {
            Last = NextSignificant(Stop + 1, End);
            if (Last >= End) DatabaseError("Escape without a character");
            Escape = ", " + Range(Last, Last + 1);
        }
        Out += QString("%1 pg_temp.vex_like_regex(%2%3)").arg(Negated ? "!~*" : "~*", Pattern, Escape);
        return Last;
    }

    // Values lists: a bare 0 or 1 takes the column's type, Boolean included.
    int PgValues(int Open, int End, QString& Out) {
        int I = Open;
        for (;;) {
            const int Close = MatchingParen(I, End);
            QStringList Items;
            for (const auto& [First, Last] : Arguments(I, Close)) {
                const QString Item = Raw(First, Last);
                Items << (Item == "0" || Item == "1" ? '\'' + Item + '\'' : Range(First, Last).trimmed());
            }
            Out += '(' + Items.join(", ") + ')';
            const int Comma = NextSignificant(Close + 1, End);
            const int Next = NextSignificant(Comma + 1, End);
            if (Comma >= End || FTokens[Comma].Kind != TKind::Comma) return Close;
            if (Next >= End || FTokens[Next].Kind != TKind::LParen) return Close;
            Out += ", ";
            I = Next;
        }
    }

    bool FPg;
    std::vector<TToken> FTokens;
    std::map<int, bool> FJoins;  // "+" token -> joins texts
    int FBranches = 0;
};

}  // namespace

QString TranslateStatement(TEngine Engine, const QString& Sql) { return TTranslator(Engine, Sql).Run(); }

}  // namespace platform::data
