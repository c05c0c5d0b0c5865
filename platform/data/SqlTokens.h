#pragma once
// The tokens of one SQL text, as the dialects and the command checks see it:
// strings ('it''s'), quoted names ([a]]b], "a""b"), PostgreSQL dollar quotes
// and comments are single tokens, so nothing inside them counts as code.
#include <QString>
#include <QStringList>
#include <vector>

namespace platform::data {

enum class TKind { Space, Comment, String, QuotedName, Name, Number, Param, Symbol, LParen, RParen, Comma };

struct TToken {
    TKind Kind;
    QString Text;
};

std::vector<TToken> Tokenize(const QString& Sql);

// Whether the token is the given key word, ignoring case.
bool Is(const TToken& Token, const char* Word);
// Neither blank nor comment.
bool Significant(const TToken& Token);
// The name a quoted name stands for: "[a]]b]" is "a]b".
QString UnquotedName(const TToken& Token);

// The first table named after From in a Select, without quotes; empty when there is none.
QString TableNameFromSql(const QString& Sql);

// The names a "Create Table" statement writes, without quotes; empty for any other statement.
struct TTableDefinition {
    QString Name;
    QStringList Columns;
};
TTableDefinition ParseCreateTable(const QString& Sql);

// EDatabaseError naming the text when it holds more than one statement: a
// command runs exactly one. A trailing ";" is allowed, and so are the ";" of a
// trigger's Begin ... End body.
void CheckSingleStatement(const QString& Sql);

}  // namespace platform::data
