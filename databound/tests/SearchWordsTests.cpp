#include <gtest/gtest.h>

#include "databound/SearchWords.h"
#include "platform/data/FilterExpr.h"

using namespace databound;

namespace {

TEST(SearchWords, TextSplitsAtAnyRunOfBlanks) {
    EXPECT_EQ(SearchWords("  ana \t sil  "), QStringList({"ana", "sil"}));
    EXPECT_TRUE(SearchWords("   ").isEmpty());
}

TEST(SearchWords, WordsBecomePatternsByTheOptionAndTheirAsterisks) {
    struct TCase {
        const char* Word;
        bool FromWordStart;
        TWildcardEscape Escape;
        const char* Pattern;
    } const Cases[] = {
        {"ana", true, TWildcardEscape::weBrackets, "%ana%"},
        {"ana", false, TWildcardEscape::weBrackets, "ana"},
        {"sil*", true, TWildcardEscape::weBrackets, "sil%"},
        {"sil*", false, TWildcardEscape::weBrackets, "sil%"},
        {"a*b*c", true, TWildcardEscape::weBrackets, "a%b%c"},
        {"50%", true, TWildcardEscape::weBrackets, "%50[%]%"},
        {"a_b[c]", false, TWildcardEscape::weBrackets, "a[_]b[[]c]"},
        {"50%", true, TWildcardEscape::weNone, "%50%%"},
        {"5_%*", true, TWildcardEscape::weBrackets, "5_%%"},
        {"*", true, TWildcardEscape::weBrackets, ""},
        {"**", false, TWildcardEscape::weBrackets, ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Word);
        EXPECT_EQ(WordPattern(Case.Word, Case.FromWordStart, Case.Escape), QString(Case.Pattern));
    }
}

TEST(SearchWords, WordsOfAColumnAreAndedAndColumnsAreOred) {
    EXPECT_EQ(SearchCondition({"c.Nome", "c.Cidade"}, "ana sil*", true, TWildcardEscape::weBrackets),
              "((c.Nome like '%ana%') and (c.Nome like 'sil%')) or ((c.Cidade like '%ana%') and (c.Cidade like 'sil%'))");
    EXPECT_EQ(SearchCondition({"Nome"}, "* ana", false, TWildcardEscape::weNone), "((Nome like 'ana'))");
    EXPECT_TRUE(SearchCondition({"Nome"}, " * ", true, TWildcardEscape::weNone).isEmpty());
    EXPECT_TRUE(SearchCondition({}, "ana", true, TWildcardEscape::weNone).isEmpty());
}

TEST(SearchWords, QuotesInAWordStayInsideTheLiteral) {
    const QString Condition = SearchCondition({"Nome"}, "d'ávila' or 1=1 --", true, TWildcardEscape::weNone);
    EXPECT_EQ(Condition, "((Nome like '%d''ávila''%') and (Nome like '%or%') and (Nome like '%1=1%') and "
                         "(Nome like '%--%'))");
    // The client filter reads it back as one comparison per word.
    platform::data::TFilterExpression Filter(Condition);
    const auto Accepts = [&](const QString& Name) {
        const QVariant Value(Name);
        const QVariant* Row[] = {&Value};
        return Filter.Evaluate(Row, platform::data::foCaseInsensitive);
    };
    EXPECT_TRUE(Accepts("Or d'Ávila' 1=1 --"));
    EXPECT_FALSE(Accepts("d'ávila 1=1 --"));
}

}  // namespace
