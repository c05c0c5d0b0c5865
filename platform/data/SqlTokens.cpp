#include "platform/data/SqlTokens.h"

#include "platform/data/DataTypes.h"

namespace platform::data {

namespace {

bool IsNameStart(QChar C) { return C.isLetter() || C == '_' || C == '#' || C == '@'; }
bool IsNamePart(QChar C) { return C.isLetterOrNumber() || C == '_' || C == '#' || C == '@' || C == '$'; }

// End of a text quoted by Close, where a doubled Close stands for itself.
int QuotedEnd(const QString& S, int J, QChar Close) {
    const int N = S.size();
    for (;;) {
        while (J < N && S[J] != Close) ++J;
        if (J + 1 < N && S[J + 1] == Close) J += 2;
        else return std::min(J + 1, N);
    }
}

// "$$" or "$tag$" opening a PostgreSQL dollar-quoted text; empty when not one.
QString DollarTag(const QString& S, int I) {
    int J = I + 1;
    while (J < S.size() && (S[J].isLetterOrNumber() || S[J] == '_')) ++J;
    if (J < S.size() && S[J] == '$' && (J == I + 1 || !S[I + 1].isDigit())) return S.mid(I, J - I + 1);
    return QString();
}

}  // namespace

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
            Take(TKind::String, QuotedEnd(S, J, '\''));
        } else if (C == '"' || C == '[') {
            Take(TKind::QuotedName, QuotedEnd(S, J, C == '"' ? QChar('"') : QChar(']')));
        } else if (C == '$' && !DollarTag(S, I).isEmpty()) {
            const QString Tag = DollarTag(S, I);
            const int End = S.indexOf(Tag, I + Tag.size());
            Take(TKind::String, End < 0 ? N : End + Tag.size());
        } else if (IsNameStart(C)) {
            while (J < N && IsNamePart(S[J])) ++J;
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

QString UnquotedName(const TToken& T) {
    if (T.Kind != TKind::QuotedName || T.Text.size() < 2) return T.Text;
    const QChar Close = T.Text[0] == '[' ? QChar(']') : QChar('"');
    QString Inner = T.Text.mid(1, T.Text.size() - 2);
    return Inner.replace(QString(2, Close), QString(Close));
}

QString TableNameFromSql(const QString& Sql) {
    std::vector<TToken> Code;
    for (const TToken& T : Tokenize(Sql))
        if (Significant(T)) Code.push_back(T);
    int Depth = 0;
    for (size_t I = 0; I < Code.size(); ++I) {
        if (Code[I].Kind == TKind::LParen) ++Depth;
        else if (Code[I].Kind == TKind::RParen) --Depth;
        if (Depth != 0 || !Is(Code[I], "from")) continue;
        QStringList Parts;
        for (size_t J = I + 1; J < Code.size() && (Code[J].Kind == TKind::Name || Code[J].Kind == TKind::QuotedName); J += 2) {
            Parts << UnquotedName(Code[J]);
            if (J + 1 >= Code.size() || Code[J + 1].Text != ".") break;
        }
        return Parts.join('.');
    }
    return QString();
}

TTableDefinition ParseCreateTable(const QString& Sql) {
    TTableDefinition Table;
    if (!Sql.trimmed().startsWith("create", Qt::CaseInsensitive)) return Table;
    std::vector<TToken> Code;
    for (const TToken& T : Tokenize(Sql))
        if (Significant(T)) Code.push_back(T);
    size_t I = 1;
    while (I < Code.size() && (Is(Code[I], "temp") || Is(Code[I], "temporary"))) ++I;
    if (I >= Code.size() || !Is(Code[I], "table")) return Table;
    ++I;
    if (I + 2 < Code.size() && Is(Code[I], "if") && Is(Code[I + 1], "not") && Is(Code[I + 2], "exists")) I += 3;
    if (I + 1 >= Code.size() || Code[I + 1].Kind != TKind::LParen) return Table;
    Table.Name = UnquotedName(Code[I]);
    static const char* const Constraints[] = {"constraint", "primary", "foreign", "unique", "check", "key", "index"};
    int Depth = 0;
    bool AtColumn = true;
    for (I += 1; I < Code.size(); ++I) {
        const TToken& T = Code[I];
        if (T.Kind == TKind::LParen && ++Depth == 1) continue;
        if (T.Kind == TKind::RParen && --Depth == 0) break;
        if (Depth == 1 && T.Kind == TKind::Comma) {
            AtColumn = true;
        } else if (Depth == 1 && AtColumn) {
            AtColumn = false;
            bool Constraint = false;
            for (const char* Word : Constraints) Constraint = Constraint || Is(T, Word);
            if (!Constraint && (T.Kind == TKind::Name || T.Kind == TKind::QuotedName)) Table.Columns << UnquotedName(T);
        }
    }
    return Table;
}

void CheckSingleStatement(const QString& Sql) {
    const std::vector<TToken> Tokens = Tokenize(Sql);
    std::vector<const TToken*> Code;
    for (const TToken& T : Tokens)
        if (Significant(T)) Code.push_back(&T);
    // A trigger's body holds statements of its own between Begin and End.
    const bool Trigger = Code.size() > 2 && Is(*Code[0], "create") &&
                         (Is(*Code[1], "trigger") || (Code.size() > 3 && Is(*Code[2], "trigger")));
    int Depth = 0;
    for (size_t I = 0; I < Code.size(); ++I) {
        const TToken& T = *Code[I];
        if (Trigger && (Is(T, "begin") || Is(T, "case"))) ++Depth;
        else if (Trigger && Is(T, "end") && Depth > 0) --Depth;
        else if (T.Kind == TKind::Symbol && T.Text == ";" && Depth == 0) {
            for (size_t J = I + 1; J < Code.size(); ++J)
                if (!(Code[J]->Kind == TKind::Symbol && Code[J]->Text == ";"))
                    DatabaseError(QString("A command runs one statement only: %1").arg(Sql.trimmed()));
            return;
        }
    }
}

}  // namespace platform::data
