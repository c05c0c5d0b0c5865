// Filter expressions on their own: syntax errors and evaluation rules.
#include <gtest/gtest.h>

#include "platform/data/FilterExpr.h"

using namespace platform::data;

namespace {

bool Eval(const QString& Text, const QVariantList& Values, TFilterOptions Options = 0) {
    TFilterExpression E(Text);
    return E.Evaluate([&](int Ref) { return Values.value(Ref); }, Options);
}

QString ErrorOf(const QString& Text) {
    try {
        TFilterExpression E(Text);
    } catch (const EDatabaseError& E) {
        return E.Text();
    }
    return QString();
}

}  // namespace

TEST(FilterExpressionTest, RefusesInvalidTextNamingThePlace) {
    EXPECT_EQ(ErrorOf("Nome = 'abc"), "Invalid filter expression \"Nome = 'abc\": unterminated string at position 8");
    EXPECT_EQ(ErrorOf("(A = 1"), "Invalid filter expression \"(A = 1\": ')' expected at position 7");
    EXPECT_EQ(ErrorOf("A = = 1"), "Invalid filter expression \"A = = 1\": unexpected '=' at position 5");
    EXPECT_EQ(ErrorOf("A is 1"), "Invalid filter expression \"A is 1\": 'null' expected at position 6");
    EXPECT_EQ(ErrorOf("A ~ 1"), "Invalid filter expression \"A ~ 1\": unexpected character '~' at position 3");
    EXPECT_EQ(ErrorOf("A = 1 B = 2"), "Invalid filter expression \"A = 1 B = 2\": unexpected 'B' at position 7");
    EXPECT_TRUE(ErrorOf("not (A = 1 or B like 'x%') and C is not null").isEmpty());
}

TEST(FilterExpressionTest, EvaluatesWithNullsAndPrecedence) {
    TFilterExpression E("A = 1 or B = 2 and C = 3");
    EXPECT_EQ(E.FieldNames(), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(Eval("A = 1 or B = 2 and C = 3", {1, 0, 0}));    // and binds tighter
    EXPECT_FALSE(Eval("(A = 1 or B = 2) and C = 3", {1, 0, 0}));
    EXPECT_FALSE(Eval("A = 1", {Null()}));
    EXPECT_FALSE(Eval("A <> 1", {Null()}));  // null compares to nothing
    EXPECT_TRUE(Eval("A = null", {Null()}));
    EXPECT_TRUE(Eval("A is null and not (B is null)", {Null(), 5}));
    EXPECT_TRUE(Eval("A = 'it''s'", {"it's"}));
    EXPECT_TRUE(Eval("A + B = 'ab'", {"a", "b"}));
    EXPECT_TRUE(Eval("-A < 0 and A / 2 = 1.5", {3}));
    EXPECT_TRUE(Eval("A not like '%x%' and A not in ('b', 'c')", {"abc"}));
}

TEST(FilterExpressionTest, LikePatterns) {
    EXPECT_TRUE(MatchLike("joão da silva", "%da%silva", false));
    EXPECT_TRUE(MatchLike("JOÃO", "jo_o", true));
    EXPECT_FALSE(MatchLike("JOÃO", "jo_o", false));
    EXPECT_TRUE(MatchLike("ação", "AÇÃO", true));
    EXPECT_FALSE(MatchLike("abc", "ab", false));
    EXPECT_TRUE(MatchLike("", "%", false));
    EXPECT_TRUE(MatchLike("aXbXc", "%X%X%", false));
}
