// Conditions injected into statements, and the Latin-1 case conversion.
#include <gtest/gtest.h>

#include "dataaccess/VexSqlText.h"

using namespace dataaccess;

namespace {

struct TInjectCase {
    const char* Sql;
    bool Having;
    bool Parenthesize;
    bool UseAnd;
    const char* Expected;
};

}  // namespace

TEST(InjectConditionTest, AddsTheConditionToTheClauseWhereTheStatementExpectsIt) {
    const TInjectCase Cases[] = {
        {"Select * From T Order By A", false, true, true, "Select * From T Where (B = 1) Order By A"},
        {"Select * From T Where C = 2", false, true, true, "Select * From T Where (B = 1) and C = 2"},
        {"Select * From T", false, true, true, "Select * From T  Where (B = 1)"},
        {"Select A From T /*where*/ Union Select A From U", false, true, true,
         "Select A From T /*where*/ Where (B = 1) Union Select A From U"},
        {"Select A From T /*where*/ Order By A", false, true, true,
         "Select A From T /*where*/ Where (B = 1) Order By A"},
        {"Select A, Count(*) From T Group By A", true, true, true,
         "Select A, Count(*) From T Group By A  Having (B = 1)"},
        {"Select A, Count(*) From T Group By A Order By A", false, true, true,
         "Select A, Count(*) From T Where (B = 1) Group By A Order By A"},
        {"Select\r\n  *\r\nFrom\r\n  T\r\nWhere\r\n  C = 2", false, false, true,
         "Select * From T Where B = 1 and C = 2"},
    };
    for (const TInjectCase& Case : Cases) {
        SCOPED_TRACE(Case.Sql);
        EXPECT_EQ(InjectCondition(Case.Sql, {"B = 1"}, Case.Having, Case.Parenthesize, Case.UseAnd), Case.Expected);
    }
}

TEST(InjectConditionTest, JoinsSeveralConditionsWithAndOrOr) {
    EXPECT_EQ(InjectCondition("Select * From T", {"A = 1", "B = 2"}, false, true, false),
              "Select * From T  Where (A = 1 or B = 2)");
    EXPECT_EQ(InjectCondition("Select * From T Where C = 3", {"A = 1", "B = 2"}),
              "Select * From T Where (A = 1 and B = 2) and C = 3");
}

TEST(InjectConditionTest, ALineCommentNoLongerSwallowsWhatFollowsIt) {
    const QString Sql = "Select A -- the key\r\nFrom T\r\nOrder By A";
    EXPECT_EQ(InjectCondition(Sql, {"B = 1"}), "Select A /* the key */ From T Where (B = 1) Order By A");
}

TEST(InjectConditionTest, LiteralsKeepTheirSpacesAndTheirWordsAreNoClauses) {
    EXPECT_EQ(InjectCondition("Select * From T Where Nome = 'a  b'", {"B = 1"}),
              "Select * From T Where (B = 1) and Nome = 'a  b'");
    EXPECT_EQ(InjectCondition("Select ' where ' As W, [order by] From T", {"B = 1"}),
              "Select ' where ' As W, [order by] From T  Where (B = 1)");
}

TEST(Latin1CaseTest, ChangesTheLettersOfLatin1AndKeepsTheLength) {
    EXPECT_EQ(UpperCaseLatin1(QString::fromUtf8("ação")), QString::fromUtf8("AÇÃO"));
    EXPECT_EQ(LowerCaseLatin1(QString::fromUtf8("AÇÃO")), QString::fromUtf8("ação"));
    EXPECT_EQ(LowerCaseLatin1(QString(QChar(215))), QString(QChar(247)));
    EXPECT_EQ(UpperCaseLatin1(QString(QChar(247))), QString(QChar(215)));
    // Outside Latin-1, and signs and digits, nothing changes.
    const QString Others = QString::fromUtf8("€ 1-ŝ");
    EXPECT_EQ(UpperCaseLatin1(Others), QString::fromUtf8("€ 1-ŝ"));
    EXPECT_EQ(LowerCaseLatin1("ABC xyz"), "abc xyz");
}
