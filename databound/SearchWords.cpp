#include "databound/SearchWords.h"

#include <QRegularExpression>

namespace databound {

namespace {

QString QuotedLiteral(const QString& Text) { return '\'' + QString(Text).replace('\'', "''") + '\''; }

QString EscapeWildcards(const QString& Word, TWildcardEscape Escape) {
    if (Escape == TWildcardEscape::weNone) return Word;
    QString Escaped;
    Escaped.reserve(Word.size() + 8);
    for (QChar C : Word) {
        if (C == '%' || C == '_' || C == '[') Escaped += '[' + QString(C) + ']';
        else Escaped += C;
    }
    return Escaped;
}

}  // namespace

QStringList SearchWords(const QString& Text) {
    static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
    return Text.trimmed().split(kBlanks, Qt::SkipEmptyParts);
}

QString WordPattern(const QString& Word, bool FromWordStart, TWildcardEscape Escape) {
    const QString Trimmed = Word.trimmed();
    QString Pattern;
    if (Trimmed.contains('*')) Pattern = QString(Trimmed).replace('*', '%');
    else if (FromWordStart) Pattern = '%' + EscapeWildcards(Trimmed, Escape) + '%';
    else Pattern = EscapeWildcards(Trimmed, Escape);
    if (QString(Pattern).remove('%').isEmpty()) return QString();
    return Pattern;
}

QString JoinCondition(const QString& Accumulated, const QString& Condition, const QString& Operator) {
    const QString Enclosed = '(' + Condition + ')';
    return Accumulated.isEmpty() ? Enclosed : Accumulated + Operator + Enclosed;
}

QString SearchCondition(const QStringList& Columns, const QString& Text, bool FromWordStart,
                        TWildcardEscape Escape) {
    QStringList Patterns;
    for (const QString& Word : SearchWords(Text)) {
        const QString Pattern = WordPattern(Word, FromWordStart, Escape);
        if (!Pattern.isEmpty()) Patterns << QuotedLiteral(Pattern);
    }
    QString Condition;
    if (Patterns.isEmpty()) return Condition;
    for (const QString& Column : Columns) {
        QString ColumnCondition;
        for (const QString& Pattern : Patterns)
            ColumnCondition = JoinCondition(ColumnCondition, Column + " like " + Pattern, QStringLiteral(" and "));
        Condition = JoinCondition(Condition, ColumnCondition, QStringLiteral(" or "));
    }
    return Condition;
}

}  // namespace databound
