#pragma once
// Text routines over T-SQL statements and single-byte names: injecting
// conditions into the Where or Having clause of an existing Select, and the
// Latin-1 case conversion the framework compares names with.
#include <QString>
#include <QStringList>

namespace dataaccess {

// The statement on one line with Conditions added to its Where clause (or its
// Having clause): after an existing keyword as "Where (C) and ...", else
// before Group By or Order By, or after a "/*where*/" marker, or at the end.
// String literals keep their text; a "--" comment becomes a block comment so
// that it cannot swallow what follows. Words inside literals and comments are
// never taken for clauses.
QString InjectCondition(const QString& Sql, const QStringList& Conditions, bool Having = false,
                        bool Parenthesize = true, bool UseAnd = true);

// Letters of code points up to 255 only; every other character and the length stay.
QString UpperCaseLatin1(const QString& Text);
QString LowerCaseLatin1(const QString& Text);

}  // namespace dataaccess
