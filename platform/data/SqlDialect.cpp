#include "platform/data/SqlDialect.h"

#include <QDateTime>
#include <QRegularExpression>

#include "platform/data/ADODB.h"

namespace platform::data {

const char* const SessionVariablesBatch =
    "Create Table #Global_Var (\r\n  Variavel VarChar(50) Not Null Primary Key,\r\n  Valor SQL_VARIANT\r\n)\r\n\r\n"
    "Select\r\n  Variavel,\r\n  Valor\r\nFrom\r\n  #Global_Var";

QVariant TSqlDialect::BindValue(const QVariant& Value, TFieldType DataType) const {
    if (!VarIsClear(Value)) return Value;
    // A typed null, so that servers that type parameters accept it.
    switch (DataType) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return QVariant(QMetaType::fromType<int>());
    case ftLargeint: return QVariant(QMetaType::fromType<qlonglong>());
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: return QVariant(QMetaType::fromType<double>());
    case ftBoolean: return QVariant(QMetaType::fromType<bool>());
    case ftBlob: case ftGraphic: case ftBytes: case ftVarBytes: return QVariant(QMetaType::fromType<QByteArray>());
    default: return QVariant(QMetaType::fromType<QString>());
    }
}

namespace {

// ------------------------------------------------------------ tokens

enum class TKind { Space, Comment, String, QuotedName, Name, Number, Param, Symbol, LParen, RParen, Comma };

struct TToken {
    TKind Kind;
    QString Text;
};

std::vector<TToken> Tokenize(const QString& S) {
    std::vector<TToken> Out;
    int I = 0;
    const int N = S.size();
    auto Take = [&](TKind Kind, int End) {
        Out.push_back(TToken{Kind, S.mid(I, End - I)});
        I = End;
    };
    while (I < N) {
        const QChar C = S[I];
        int J = I + 1;
        if (C.isSpace()) {
            while (J < N && S[J].isSpace()) ++J;
            Take(TKind::Space, J);
        } else if (C == '-' && J < N && S[J] == '-') {
            while (J < N && S[J] != '\n') ++J;
            Take(TKind::Comment, J);
        } else if (C == '/' && J < N && S[J] == '*') {
            const int End = S.indexOf("*/", J + 1);
            Take(TKind::Comment, End < 0 ? N : End + 2);
        } else if (C == '\'') {
            for (;;) {
                while (J < N && S[J] != '\'') ++J;
                if (J + 1 < N && S[J + 1] == '\'') J += 2;
                else break;
            }
            Take(TKind::String, std::min(J + 1, N));
        } else if (C == '"' || C == '[') {
            const QChar Close = C == '"' ? QChar('"') : QChar(']');
            while (J < N && S[J] != Close) ++J;
            Take(TKind::QuotedName, std::min(J + 1, N));
        } else if (C.isLetter() || C == '_' || C == '#' || C == '@') {
            while (J < N && (S[J].isLetterOrNumber() || S[J] == '_' || S[J] == '#' || S[J] == '@' || S[J] == '$')) ++J;
            Take(TKind::Name, J);
        } else if (C.isDigit()) {
            while (J < N && (S[J].isDigit() || S[J] == '.' || S[J] == 'e' || S[J] == 'E')) ++J;
            Take(TKind::Number, J);
        } else if (C == '?') {
            Take(TKind::Param, J);
        } else if (C == '(') {
            Take(TKind::LParen, J);
        } else if (C == ')') {
            Take(TKind::RParen, J);
        } else if (C == ',') {
            Take(TKind::Comma, J);
        } else if (C == ':' && J < N && (S[J].isLetterOrNumber() || S[J] == '_')) {
            while (J < N && (S[J].isLetterOrNumber() || S[J] == '_')) ++J;
            Take(TKind::Param, J);
        } else {
            if (J < N && QString("<>!=:|").contains(C) && QString("=>|:").contains(S[J])) ++J;
            Take(TKind::Symbol, J);
        }
    }
    return Out;
}

bool Is(const TToken& T, const char* Word) {
    return T.Kind == TKind::Name && T.Text.compare(QLatin1String(Word), Qt::CaseInsensitive) == 0;
}

bool Significant(const TToken& T) { return T.Kind != TKind::Space && T.Kind != TKind::Comment; }

// ------------------------------------------------------------ translator

class TTranslator {
public:
    TTranslator(TEngine Engine, const QString& Sql) : FEngine(Engine), FTokens(Tokenize(Sql)) {}

    QString Run() {
        int End = static_cast<int>(FTokens.size());
        // A trailing ";" would end the statement before an appended limit.
        int Last = PrevSignificant(End);
        if (Last >= 0 && FTokens[Last].Kind == TKind::Symbol && FTokens[Last].Text == ";") End = Last;
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
        QString Text = T.Text;
        if (T.Kind == TKind::QuotedName) Text = Text.mid(1, Text.size() - 2);
        if (Text.startsWith('#')) Text = Text.mid(1);  // temporary tables live in the session's temp schema
        if (T.Kind == TKind::Name && !T.Text.startsWith('#')) return T.Text;
        if (FEngine == egPostgreSQL) return '"' + Text.toLower() + '"';
        return T.Kind == TKind::QuotedName ? '"' + Text + '"' : Text;
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

    // Literals have no type of their own in PostgreSQL: the date functions get a timestamp.
    static QString PgTimestamp(const QString& Expr) { return QString("CAST(%1 AS TIMESTAMP)").arg(Expr); }

    QString PgDatePart(const QString& Part, const QString& Value) const {
        const QString Expr = PgTimestamp(Value);
        if (Part == "weekday") return QString("(CAST(EXTRACT(DOW FROM %1) AS INTEGER) + 1)").arg(Expr);
        if (Part == "dayofyear") return QString("CAST(EXTRACT(DOY FROM %1) AS INTEGER)").arg(Expr);
        if (Part == "millisecond") return QString("(CAST(EXTRACT(MILLISECONDS FROM %1) AS INTEGER) % 1000)").arg(Expr);
        return QString("CAST(EXTRACT(%1 FROM %2) AS INTEGER)").arg(Part.toUpper(), Expr);
    }

    QString PgDateDiff(const QString& Part, const QString& From, const QString& To) const {
        const QString A = PgTimestamp(From), B = PgTimestamp(To);
        if (Part == "year") return QString("(CAST(EXTRACT(YEAR FROM %2) AS INTEGER) - CAST(EXTRACT(YEAR FROM %1) AS INTEGER))").arg(A, B);
        if (Part == "quarter" || Part == "month") {
            const QString Months = QString("((CAST(EXTRACT(YEAR FROM %2) AS INTEGER) - CAST(EXTRACT(YEAR FROM %1) AS INTEGER)) * 12 + "
                                           "CAST(EXTRACT(MONTH FROM %2) AS INTEGER) - CAST(EXTRACT(MONTH FROM %1) AS INTEGER))").arg(A, B);
            return Part == "month" ? Months
                                   : QString("((CAST(EXTRACT(YEAR FROM %2) AS INTEGER) - CAST(EXTRACT(YEAR FROM %1) AS INTEGER)) * 4 + "
                                             "CAST(EXTRACT(QUARTER FROM %2) AS INTEGER) - CAST(EXTRACT(QUARTER FROM %1) AS INTEGER))").arg(A, B);
        }
        if (Part == "day" || Part == "dayofyear") return QString("(CAST(%2 AS DATE) - CAST(%1 AS DATE))").arg(A, B);
        if (Part == "week")
            return QString("((CAST(%2 AS DATE) - CAST(EXTRACT(DOW FROM %2) AS INTEGER)) - (CAST(%1 AS DATE) - CAST(EXTRACT(DOW FROM %1) AS INTEGER))) / 7").arg(A, B);
        const int Seconds = Part == "hour" ? 3600 : Part == "minute" ? 60 : 1;
        const QString Unit = Part == "millisecond" ? "milliseconds" : Part;
        if (Part == "millisecond")
            return QString("CAST(FLOOR(EXTRACT(EPOCH FROM (%2 - %1)) * 1000) AS BIGINT)").arg(A, B);
        return QString("CAST(EXTRACT(EPOCH FROM (date_trunc('%3', %2) - date_trunc('%3', %1))) / %4 AS BIGINT)")
            .arg(A, B, Unit)
            .arg(Seconds);
    }

    QString PgType(const QString& Type) const {
        static const char* const Map[][2] = {
            {"bit", "boolean"}, {"datetime", "timestamp"}, {"smalldatetime", "timestamp"}, {"tinyint", "smallint"},
            {"nvarchar", "varchar"}, {"nchar", "char"}, {"ntext", "text"}, {"money", "numeric(19,4)"},
            {"image", "bytea"}, {"varbinary", "bytea"}, {"sql_variant", "text"}, {"float", "double precision"}};
        const QString Head = Type.section('(', 0, 0).trimmed().toLower();
        for (const auto& Pair : Map)
            if (Head == QLatin1String(Pair[0])) return QLatin1String(Pair[1]) + (Head.endsWith("char") ? Type.mid(Type.indexOf('(')) : QString());
        return Type;
    }

    // A call the engine lacks, or nothing when the name is left alone.
    bool Call(const QString& Function, int Open, int Close, QString& Out) {
        const auto Args = Arguments(Open, Close);
        auto Arg = [&](size_t I) { return I < Args.size() ? Range(Args[I].first, Args[I].second).trimmed() : QString(); };
        const QString F = Function.toLower();
        const bool Pg = FEngine == egPostgreSQL;
        if (F == "getdate" && Args.empty()) {
            Out = Pg ? "LOCALTIMESTAMP" : "getdate()";
            return true;
        }
        if (F == "isnull" && Args.size() == 2) {
            Out = QString("coalesce(%1, %2)").arg(Arg(0), Arg(1));
            return true;
        }
        if (F == "len" && Args.size() == 1) {
            Out = Pg ? QString("length(rtrim(%1))").arg(Arg(0)) : QString("len(%1)").arg(Arg(0));
            return true;
        }
        if (F == "substring" && !Pg) {
            Out = QString("substr(%1, %2, %3)").arg(Arg(0), Arg(1), Arg(2));
            return true;
        }
        if (F == "scope_identity" && Args.empty()) {
            Out = Pg ? "lastval()" : "last_insert_rowid()";
            return true;
        }
        if ((F == "datepart" && Args.size() == 2) || (F == "dateadd" && Args.size() == 3) ||
            (F == "datediff" && Args.size() == 3)) {
            const QString Part = DatePartName(Raw(Args[0].first, Args[0].second));
            if (!Pg) {
                QString Rest;
                for (size_t I = 1; I < Args.size(); ++I) Rest += ", " + Arg(I);
                Out = QString("%1('%2'%3)").arg(F, Part, Rest);
            } else if (F == "datepart") {
                Out = PgDatePart(Part, Arg(1));
            } else if (F == "dateadd") {
                const bool Quarter = Part == "quarter", Week = Part == "week";
                const QString Unit = Quarter ? "month" : Week ? "day" : Part == "dayofyear" || Part == "weekday" ? "day" : Part;
                const QString Count = Quarter ? QString("(%1) * 3").arg(Arg(1)) : Week ? QString("(%1) * 7").arg(Arg(1)) : QString("(%1)").arg(Arg(1));
                Out = QString("(CAST(%1 AS TIMESTAMP) + %2 * INTERVAL '1 %3')").arg(Arg(2), Count, Unit);
            } else {
                Out = PgDateDiff(Part, Arg(1), Arg(2));
            }
            return true;
        }
        if ((F == "year" || F == "month" || F == "day") && Args.size() == 1 && Pg) {
            Out = PgDatePart(F, Arg(0));
            return true;
        }
        if (F == "cast" && Args.size() == 1 && Pg) {
            // The last top-level "as" separates the value from the type.
            int As = -1, Depth = 0;
            for (int I = Args[0].first; I < Args[0].second; ++I) {
                if (FTokens[I].Kind == TKind::LParen) ++Depth;
                else if (FTokens[I].Kind == TKind::RParen) --Depth;
                else if (Depth == 0 && Is(FTokens[I], "as")) As = I;
            }
            if (As < 0) return false;
            Out = QString("CAST(%1 AS %2)").arg(Range(Args[0].first, As).trimmed(), PgType(Raw(As + 1, Args[0].second)));
            return true;
        }
        return false;
    }

    // Translates tokens [Begin, End); a "Top n" of this level becomes a limit at its end.
    QString Range(int Begin, int End) {
        QString Out, Limit;
        for (int I = Begin; I < End; ++I) {
            const TToken& T = FTokens[I];
            if (T.Kind == TKind::Name && (T.Text == "N" || T.Text == "n") && I + 1 < End && FTokens[I + 1].Kind == TKind::String)
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
                if (FEngine == egPostgreSQL && Is(T, "like")) {
                    Out += "ILIKE";
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
        if (!Limit.isEmpty()) Out = Out.trimmed() + " LIMIT " + Limit;
        return Out;
    }

    TEngine FEngine;
    std::vector<TToken> FTokens;
};

// ------------------------------------------------------------ dialects

// SQLite and PostgreSQL: translation, and the session variable table in the
// engine's own statements. Values keep their type in a column of their own.
class TTranslatingDialect : public TSqlDialect {
public:
    QString Translate(const QString& Sql) const override { return TTranslator(Engine(), Sql).Run(); }

    void SetSessionVariable(TADOConnection& Connection, const QString& Name, const QVariant& Value) const override {
        CheckName(Name);
        const bool IsNull = VarIsClear(Value);
        const QVariant Text = IsNull ? Null() : QVariant(ValueText(Value));
        const QVariant Type = IsNull ? QVariant(0) : QVariant(Value.typeId());
        TParameters Params;
        Params.CreateParameter("Valor", ftMemo, Text);
        Params.CreateParameter("Tipo", ftInteger, Type);
        Params.CreateParameter("Variavel", ftString, Name);
        const int Rows = Connection.Execute("Update #Global_Var Set Valor = :Valor, Tipo = :Tipo Where Upper(Variavel) = Upper(:Variavel)", &Params);
        if (Rows == 0)
            Connection.Execute("Insert Into #Global_Var (Valor, Tipo, Variavel) Values (:Valor, :Tipo, :Variavel)", &Params);
    }

    QVariant GetSessionVariable(TADOConnection& Connection, const QString& Name) const override {
        CheckName(Name);
        TParameters Params;
        Params.CreateParameter("Variavel", ftString, Name);
        const QVariantList Row = Connection.SelectRow("Select Valor, Tipo From #Global_Var Where Upper(Variavel) = Upper(:Variavel)", &Params);
        if (Row.isEmpty()) return QVariant();
        if (VarIsClear(Row[0])) return Null();
        const QMetaType Type(Row[1].toInt());
        if (Type.id() == QMetaType::QByteArray) return QByteArray::fromBase64(Row[0].toString().toLatin1());
        QVariant V = Row[0].toString();
        if (Type.isValid() && !V.convert(Type)) return Row[0];
        return V;
    }

private:
    static void CheckName(const QString& Name) {
        if (Name.trimmed().isEmpty()) DatabaseError("Empty names for global variables is not permitted.");
    }
    static QString ValueText(const QVariant& V) {
        switch (V.typeId()) {
        case QMetaType::QByteArray: return QString::fromLatin1(V.toByteArray().toBase64());
        case QMetaType::QDateTime: return V.toDateTime().toString("yyyy-MM-ddTHH:mm:ss.zzz");
        case QMetaType::Double: return QString::number(V.toDouble(), 'g', 17);
        default: return V.toString();
        }
    }
};

QString IsoText(const QVariant& Value, TFieldType DataType) {
    if (DataType == ftDate || Value.typeId() == QMetaType::QDate) return Value.toDate().toString("yyyy-MM-dd");
    if (DataType == ftTime || Value.typeId() == QMetaType::QTime) return Value.toTime().toString("HH:mm:ss.zzz");
    return Value.toDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz");
}

bool IsDateVariant(const QVariant& V) {
    return V.typeId() == QMetaType::QDateTime || V.typeId() == QMetaType::QDate || V.typeId() == QMetaType::QTime;
}

class TSqliteDialect : public TTranslatingDialect {
public:
    TEngine Engine() const override { return egSQLite; }
    // Dates travel as ISO text, the form the registered date functions read and write.
    QVariant BindValue(const QVariant& Value, TFieldType DataType) const override {
        if (VarIsClear(Value)) return TSqlDialect::BindValue(Value, DataType);
        if (IsDateVariant(Value)) return IsoText(Value, DataType);
        if (Value.typeId() == QMetaType::Bool) return Value.toBool() ? 1 : 0;
        return Value;
    }
    QString SessionVariablesSql() const override {
        return "Create Temp Table If Not Exists Global_Var (\r\n  Variavel VarChar(50) Not Null Primary Key,\r\n"
               "  Valor Text,\r\n  Tipo Integer\r\n)";
    }
    // Several processes share one file: readers never wait for the writer, and
    // keys are enforced as the server engines enforce them.
    QStringList SessionSetupSql() const override { return {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL"}; }
    // The write lock from the start: a read-then-update cannot interleave with another writer.
    QString BeginTransactionSql() const override { return "BEGIN IMMEDIATE"; }
};

class TPostgresDialect : public TTranslatingDialect {
public:
    TEngine Engine() const override { return egPostgreSQL; }
    bool NeedsStatementSavepoints() const override { return true; }
    QStringList SessionSetupSql() const override {
        return {"SET DateStyle TO ISO", "SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ COMMITTED"};
    }
    QString ForUpdate(const QString& Select) const override { return Select + " For Update"; }
    QVariant BindValue(const QVariant& Value, TFieldType DataType) const override {
        if (VarIsClear(Value)) return TSqlDialect::BindValue(Value, DataType);
        // Zone-free text: the column's own type decides, as with the other engines.
        if (IsDateVariant(Value)) return IsoText(Value, DataType);
        return Value;
    }
    QString SessionVariablesSql() const override {
        return "Create Temp Table If Not Exists Global_Var (\r\n  Variavel VarChar(50) Not Null Primary Key,\r\n"
               "  Valor Text,\r\n  Tipo Integer\r\n)";
    }
};

// SQL Server: the text goes out as written, batches included.
class TTSqlDialect : public TSqlDialect {
public:
    TEngine Engine() const override { return egTSQL; }
    QString Translate(const QString& Sql) const override { return Sql; }
    QString SavepointSql(const QString& Name) const override { return "Save Transaction " + Name; }
    QString RollbackToSavepointSql(const QString& Name) const override { return "Rollback Transaction " + Name; }
    QString ReleaseSavepointSql(const QString&) const override { return QString(); }
    QString SessionVariablesSql() const override { return QString::fromLatin1(SessionVariablesBatch); }
    void SetSessionVariable(TADOConnection& Connection, const QString& Name, const QVariant& Value) const override {
        TParameters Params;
        Params.CreateParameter("Variavel", ftString, Name);
        Params.CreateParameter("Valor", ftVariant, Value);
        Connection.Execute(
            "If Exists(Select Variavel From #Global_Var Where Variavel = :Variavel)\r\n"
            "  Update #Global_Var Set Valor = :Valor Where Variavel = :Variavel\r\n"
            "Else\r\n"
            "  Insert #Global_Var (Variavel, Valor) Values (:Variavel, :Valor)",
            &Params);
    }
    QVariant GetSessionVariable(TADOConnection& Connection, const QString& Name) const override {
        TParameters Params;
        Params.CreateParameter("Variavel", ftString, Name);
        const QVariantList Row = Connection.SelectRow("Select Valor From #Global_Var Where Variavel = :Variavel", &Params);
        return Row.isEmpty() ? QVariant() : Row[0];
    }
};

}  // namespace

void TSqlDialect::CreateSessionVariables(TADOConnection& Connection) const {
    Connection.Execute(SessionVariablesSql());
}

std::unique_ptr<TSqlDialect> CreateDialect(TEngine Engine) {
    switch (Engine) {
    case egSQLite: return std::make_unique<TSqliteDialect>();
    case egPostgreSQL: return std::make_unique<TPostgresDialect>();
    default: return std::make_unique<TTSqlDialect>();
    }
}

}  // namespace platform::data
