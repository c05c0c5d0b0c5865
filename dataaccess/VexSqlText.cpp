#include "dataaccess/VexSqlText.h"

#include "platform/data/SqlTokens.h"

namespace dataaccess {

using platform::data::TKind;
using platform::data::TToken;

namespace {

constexpr const char* kWhereMarker = "/*where*/";
constexpr QChar kHidden = u'_';

bool IsLineComment(const TToken& T) { return T.Kind == TKind::Comment && T.Text.startsWith("--"); }

// One line, runs of blanks as one space; literals stay as written.
QString OneLine(const QString& Sql) {
    QString Out;
    for (const TToken& T : platform::data::Tokenize(Sql)) {
        if (T.Kind == TKind::Space) {
            if (!Out.endsWith(' ')) Out += ' ';
        } else if (IsLineComment(T)) {
            Out += "/* " + T.Text.mid(2).trimmed().replace("*/", "* /") + " */";
        } else if (T.Kind == TKind::Comment) {
            Out += QString(T.Text).replace('\r', ' ').replace('\n', ' ');
        } else {
            Out += T.Text;
        }
    }
    return Out.trimmed();
}

// The lower-case text with literals and comments (but the marker) hidden, same length.
QString SearchCopy(const QString& Line) {
    QString Out;
    for (const TToken& T : platform::data::Tokenize(LowerCaseLatin1(Line))) {
        const bool Hide = T.Kind == TKind::String || T.Kind == TKind::QuotedName ||
                          (T.Kind == TKind::Comment && T.Text != QLatin1String(kWhereMarker));
        Out += Hide ? QString(T.Text.size(), kHidden) : T.Text;
    }
    return Out;
}

QString ChangeCase(const QString& Text, ushort From, ushort To, int Delta, ushort AlsoFrom, ushort AlsoTo) {
    QString Out = Text;
    for (QChar& C : Out) {
        const ushort U = C.unicode();
        if ((U >= From && U <= To) || (U >= AlsoFrom && U <= AlsoTo)) C = QChar(static_cast<ushort>(U + Delta));
    }
    return Out;
}

}  // namespace

QString InjectCondition(const QString& Sql, const QStringList& Conditions, bool Having, bool Parenthesize,
                        bool UseAnd) {
    const QString Keyword = Having ? "Having" : "Where";
    QString Line = OneLine(Sql);
    const QString Search = SearchCopy(Line);
    const int Marker = Search.indexOf(QLatin1String(kWhereMarker));
    const int From = std::max(Marker, 0);
    const bool InnerSelect = Marker >= 0 && Search.indexOf("select ", Marker) >= 0;
    QString Leading, Trailing;
    const int Existing = InnerSelect ? -1 : Search.indexOf(' ' + Keyword.toLower() + ' ', From);
    if (Existing >= 0) {
        const int After = Existing + 1 + Keyword.size();
        Leading = Line.left(After);
        Trailing = "and " + Line.mid(After).trimmed();
    } else {
        int At = -1;
        if (!Having && !InnerSelect) At = Search.indexOf(" group by", From);
        if (At < 0 && !InnerSelect) At = Search.indexOf(" order by", From);
        if (At < 0 && Marker >= 0) At = Marker + static_cast<int>(qstrlen(kWhereMarker));
        if (At < 0) {
            // The keyword then follows two spaces: the one appended and its own.
            Line += ' ';
            At = Line.size();
        }
        Leading = Line.left(At) + ' ' + Keyword;
        Trailing = Line.mid(At).trimmed();
    }
    const QString Joined = Conditions.join(UseAnd ? " and " : " or ").trimmed();
    const QString Added = Parenthesize ? '(' + Joined + ')' : Joined;
    QString Result = Leading.trimmed() + ' ' + Added + ' ' + Trailing;
    while (Result.endsWith(' ')) Result.chop(1);
    return Result;
}

QString UpperCaseLatin1(const QString& Text) { return ChangeCase(Text, 97, 122, -32, 224, 255); }

QString LowerCaseLatin1(const QString& Text) { return ChangeCase(Text, 65, 90, 32, 192, 221); }

}  // namespace dataaccess
