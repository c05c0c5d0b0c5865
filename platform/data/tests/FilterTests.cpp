// Filter expressions: syntax errors and evaluation rules on their own, like
// patterns against the plain rule, and filters over the rows each engine returns.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "EngineTest.h"
#include "platform/data/FilterExpr.h"
#include "platform/data/FilterTextCache.h"

using namespace platform::data;
using namespace platform::data::testing;

namespace {

bool Eval(const QString& Text, const QVariantList& Values, TFilterOptions Options = 0) {
    TFilterExpression E(Text);
    std::vector<const QVariant*> Row;
    for (const QVariant& Value : Values) Row.push_back(&Value);
    return E.Evaluate(Row, Options);
}

// The like rule as defined, tried every way: % any run, _ one unit, other units equal (folded when ignoring case).
bool LikeByDefinition(QStringView Text, QStringView Pattern, bool CaseInsensitive) {
    if (Pattern.isEmpty()) return Text.isEmpty();
    if (Pattern[0] == '%')
        return LikeByDefinition(Text, Pattern.mid(1), CaseInsensitive) ||
               (!Text.isEmpty() && LikeByDefinition(Text.mid(1), Pattern, CaseInsensitive));
    if (Text.isEmpty()) return false;
    const bool Same = Pattern[0] == '_' || (CaseInsensitive ? Pattern[0].toCaseFolded() == Text[0].toCaseFolded()
                                                            : Pattern[0] == Text[0]);
    return Same && LikeByDefinition(Text.mid(1), Pattern.mid(1), CaseInsensitive);
}

// Every text of up to MaxSize units drawn from Units.
QStringList AllTexts(const QString& Units, int MaxSize) {
    QStringList Texts{QString()};
    for (qsizetype From = 0; Texts.last().size() < MaxSize;) {
        const qsizetype To = Texts.size();
        for (qsizetype I = From; I < To; ++I)
            for (QChar Unit : Units) Texts << Texts[I] + Unit;
        From = To;
    }
    return Texts;
}

// Each row's verdict, decided a column at a time over the kept text; fields A, B, C are columns 0, 1, 2.
std::vector<char> DecideByColumns(const TFilterExpression& E, TFilterTextCache& Cache,
                                  const std::vector<QVariantList>& Rows, TFilterOptions Options) {
    return E.DecideColumns(Rows.size(), [&](int Ref, const TLikePattern& Pattern, std::vector<char>& Outcomes) {
        const int Column = E.FieldNames()[Ref][0].unicode() - 'A';
        const auto Values = [&] {
            std::vector<const QVariant*> Out;
            for (const QVariantList& Row : Rows) Out.push_back(Column < Row.size() ? &Row[Column] : nullptr);
            return Out;
        };
        Cache.MatchColumn(Column, 1, Values, Pattern, Options & foCaseInsensitive, Outcomes);
    });
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

TEST(FilterExpressionTest, NullsCaseWildcardsQuotesAndPrecedence) {
    struct TCase {
        const char* Filter;
        QVariantList Row;
        TFilterOptions Options;
        bool Accepted;
    } const Cases[] = {
        {"A like '%SIL%'", {"ana silva"}, foCaseInsensitive, true},
        {"A like '%SIL%'", {"ana silva"}, 0, false},
        {"A like '%ÇÃO'", {"Ação"}, foCaseInsensitive, true},
        {"A like '%ÇÃO'", {"Ação"}, 0, false},
        {"A like 'a_a%'", {"ANA lima"}, foCaseInsensitive, true},
        {"A like '%'", {""}, 0, true},
        {"A like ''", {""}, 0, true},
        {"A like ''", {"a"}, 0, false},
        {"A like '%a%'", {Null()}, foCaseInsensitive, false},
        {"A not like '%a%'", {Null()}, foCaseInsensitive, false},  // null is neither like nor unlike
        {"A like null", {"a"}, 0, false},
        {"A like B", {"Ana Lima", "%lim%"}, foCaseInsensitive, true},
        {"A like B", {"Ana Lima", Null()}, foCaseInsensitive, false},
        {"A like '1%5'", {100.5}, 0, true},  // numbers match as their text
        {"A like '%d''ávila%'", {"Rui D'Ávila"}, foCaseInsensitive, true},
        {"A like '%d''ávila%'", {"Rui Dávila"}, foCaseInsensitive, false},
        {"A = 'SÃO*'", {"são paulo"}, foCaseInsensitive, true},
        {"A = 'SÃO*'", {"são paulo"}, foCaseInsensitive | foNoPartialCompare, false},
        {"A like 'x' or A like 'a%' and B like 'z'", {"abc", "y"}, 0, false},  // and binds tighter
        {"(A like 'x' or A like 'a%') and B like 'y'", {"abc", "y"}, 0, true},
        {"not A like 'a%' or B like 'y'", {"abc", "y"}, 0, true},    // not binds tighter than or
        {"not (A like 'a%' or B like 'y')", {"abc", "y"}, 0, false},
        {"A like '%b%' and B is null", {"abc"}, 0, true},  // a value not given reads as null
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Filter);
        EXPECT_EQ(Eval(Case.Filter, Case.Row, Case.Options), Case.Accepted);
    }
}

TEST(FilterExpressionTest, LikePatternsMatchAsTheRuleDefines) {
    // Letters of both cases, a Latin-1 pair, and the two wildcards: every pattern against every text.
    const QStringList Texts = AllTexts(QStringLiteral("aAbç"), 4);
    const QStringList Patterns = AllTexts(QStringLiteral("aBÇ%_"), 4);
    int Mismatches = 0;
    for (const QString& Pattern : Patterns) {
        const TLikePattern Prepared(Pattern);
        for (const QString& Text : Texts)
            for (const bool CaseInsensitive : {false, true})
                if (Prepared.Matches(Text, CaseInsensitive) != LikeByDefinition(Text, Pattern, CaseInsensitive) &&
                    ++Mismatches <= 5)
                    ADD_FAILURE() << qPrintable(Text) << " like " << qPrintable(Pattern)
                                  << (CaseInsensitive ? " ignoring case" : "");
    }
    EXPECT_EQ(Mismatches, 0);
}

TEST(FilterExpressionTest, ManyWildcardsOverALongTextAreDecidedWithoutTryingEveryWay) {
    // Tried every way, this pattern would take longer than the test run; placed leftmost it takes a moment.
    const QString Text = QString(20000, 'a');
    EXPECT_FALSE(TLikePattern(QString("%a").repeated(40) + "%b%").Matches(Text, true));
    EXPECT_TRUE(TLikePattern(QString("%a").repeated(40) + "%").Matches(Text, false));
}

TEST(FilterExpressionTest, TextSearchesDecidedByColumnsAgreeWithRowByRow) {
    const QString Raw = QStringLiteral("RAW Lima");
    const std::vector<QVariantList> Rows = {
        {"Ana Lima", "São Paulo"},  {"JOÃO SILVA", "Rio"}, {Null(), "Lima"},   {"", Null()},
        {QString(), "ação"},        {125, 12.5},           {"d'Ávila", QVariant()}, {"ana"},
        {QString::fromRawData(Raw.constData(), Raw.size()), "µ"},
    };
    const char* const Filters[] = {
        "A like '%lima%'",
        "A like '%LIMA%' or B like '%lima%'",
        "A not like '%a%'",
        "not (A like '%a%')",
        "A like '%a%' and not B like 'rio'",
        "(A like '%a%' or B like '%ÇÃO') and A not like 'ana'",
        "A like '' or B like '%'",
        "A like '1_5' or B like '12.%'",
        "A like '%D''ÁV%'",
        "B like 'Μ'",
        "A like '%' and C like '%'",  // a column no row has reads as Null
    };
    TFilterTextCache Cache;
    for (const char* Filter : Filters)
        for (const TFilterOptions Options : {TFilterOptions(0), TFilterOptions(foCaseInsensitive)}) {
            SCOPED_TRACE(QString("%1 %2").arg(Filter).arg(Options).toStdString());
            const TFilterExpression E(Filter);
            ASSERT_TRUE(E.IsTextSearch());
            const std::vector<char> Verdicts = DecideByColumns(E, Cache, Rows, Options);
            ASSERT_EQ(Verdicts.size(), Rows.size());
            for (size_t I = 0; I < Rows.size(); ++I) {
                QVariantList ByName;  // the row's values in the order the filter names its fields
                for (const QString& Name : E.FieldNames())
                    ByName << Rows[I].value(Name[0].unicode() - 'A', Null());
                EXPECT_EQ(bool(Verdicts[I]), Eval(Filter, ByName, Options)) << I;
            }
        }
    // Tests other than a field's like against a constant pattern are left to the row-by-row evaluation.
    for (const char* Filter : {"A = 'x'", "A like B", "A like null", "A + 'x' like 'y'", "A like '%x%' or B is null",
                               "A like '%x%' and C = 1"})
        EXPECT_FALSE(TFilterExpression(Filter).IsTextSearch()) << Filter;
}

TEST(FilterExpressionTest, KeptTextIsMadeOncePerGenerationOfTheRows) {
    // Values replaced, turned Null or numbers, rows dropped and added; each round is a new generation.
    std::mt19937 Random(26);
    const QStringList Words{"Lima", "SILVA", "ação", "Ávila", "costa", "LIMÃO"};
    const auto Word = [&] { return Words[static_cast<qsizetype>(Random() % Words.size())]; };
    std::vector<QVariant> Values;
    for (int I = 0; I < 200; ++I) Values.emplace_back(QString("%1 %2 %3").arg(Word(), Word()).arg(I));
    const TLikePattern Pattern("%LI%");
    TFilterTextCache Cache;
    int Made = 0;
    const auto Column = [&] {
        ++Made;
        std::vector<const QVariant*> Out;
        for (const QVariant& Value : Values) Out.push_back(&Value);
        return Out;
    };
    for (quint64 Generation = 1; Generation <= 20; ++Generation) {
        for (const bool CaseInsensitive : {true, false}) {
            SCOPED_TRACE(QString("generation %1, %2").arg(Generation).arg(CaseInsensitive).toStdString());
            for (int Pass = 0; Pass < 2; ++Pass) {
                std::vector<char> Outcomes(Values.size());
                Cache.MatchColumn(0, Generation, Column, Pattern, CaseInsensitive, Outcomes);
                int Wrong = 0;
                for (size_t I = 0; I < Values.size(); ++I) {
                    const QVariant& V = Values[I];
                    const char Expected = VarIsClear(V) ? TFilterExpression::loNoText
                                          : Pattern.Matches(V.toString(), CaseInsensitive) ? TFilterExpression::loMatch
                                                                                            : TFilterExpression::loNoMatch;
                    if (Outcomes[I] != Expected && ++Wrong <= 3) ADD_FAILURE() << I << ": " << qPrintable(V.toString());
                }
            }
        }
        EXPECT_EQ(Made, 2 * static_cast<int>(Generation));  // once per generation and folding, not per pass
        for (int Change = 0; Change < 20; ++Change) {
            QVariant& V = Values[Random() % Values.size()];
            switch (Random() % 4) {
            case 0: V = Null(); break;
            case 1: V = 1000 + Change; break;
            default: V = Word() + QString::number(Change);
            }
        }
        if (Generation % 5 == 3) Values.resize(Values.size() - 30);
        if (Generation % 5 == 4) Values.insert(Values.begin(), 40, QVariant(Word()));
    }
}

TEST_P(EngineTest, FiltersReadTheValuesEachEngineReturns) {
    TParameters P;
    P.CreateParameter("Nome", ftString, QString("Rui D'Ávila"));
    Conn->Execute("Insert Into Cliente (IdCliente, Nome) Values (4, :Nome)", &P);
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente, Nome, Cidade, Saldo From Cliente Order By IdCliente");
    Q.Open();
    const auto Ids = [&] {
        QList<int> Out;
        for (Q.First(); !Q.Eof(); Q.Next()) Out << Q.FieldByName("IdCliente")->AsInteger();
        return Out;
    };
    struct TCase {
        const char* Filter;
        TFilterOptions Options;
        QList<int> Ids;
    } const Cases[] = {
        {"Nome like '%SILVA%'", foCaseInsensitive, {1}},
        {"Nome like '%SILVA%'", 0, {}},
        {"Nome like '%JOÃO%' or Nome like '%d''ávila'", foCaseInsensitive, {1, 4}},
        {"Cidade like '%paulo' and Nome like '%a%'", foCaseInsensitive, {1, 3}},
        {"Cidade not like 'rio'", foCaseInsensitive, {1, 3}},  // no city: neither like nor unlike
        {"Cidade = 'SÃO*'", foCaseInsensitive, {1, 3}},
        {"Saldo like '10%'", 0, {1}},
        {"Saldo is null and not (Cidade is null)", 0, {3}},
        {"Nome like '%l%' or Cidade like 'rio' and Saldo > 60", foCaseInsensitive, {1, 3, 4}},
        {"(Nome like '%l%' or Cidade like 'rio') and Saldo > 60", foCaseInsensitive, {1}},
        {"IdCliente in (2, 4) and [Nome] like '%a'", 0, {2, 4}},
    };
    Q.SetFiltered(true);
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Filter);
        Q.SetFilterOptions(Case.Options);
        Q.SetFilter(Case.Filter);
        EXPECT_EQ(Ids(), Case.Ids);
    }
}

TEST_P(EngineTest, AFilterSeesTheRowsAfterEveryKindOfChange) {
    TADOQuery Query;
    TDataSetProvider Provider;
    TClientDataSet Client;
    Link(Query, Provider, Client);
    Client.SetFilterOptions(foCaseInsensitive);
    Client.SetFiltered(true);
    const auto Shown = [&](const QString& Filter) {
        Client.SetFilter(QString());
        Client.SetFilter(Filter);
        QList<int> Out;
        for (Client.First(); !Client.Eof(); Client.Next()) Out << Client.FieldByName("IdCliente")->AsInteger();
        return Out;
    };
    const auto SetName = [&](int Id, const QString& Name) {
        Client.SetFilter(QString());
        ASSERT_TRUE(Client.Locate("IdCliente", Id));
        Client.Edit();
        Client.FieldByName("Nome")->SetAsString(Name);
    };
    struct TStep {
        const char* Change;
        std::function<void()> Make;
        QList<int> Lima, LimaOrRio;
    } const Steps[] = {
        {"opened", [] {}, {3}, {1, 2, 3}},
        {"edited",
         [&] {
             SetName(1, "Rui Lima");
             Client.Post();
         },
         {1, 3}, {1, 2, 3}},
        {"edit cancelled",
         [&] {
             SetName(3, "Ana Costa");
             Client.Cancel();
         },
         {1, 3}, {1, 2, 3}},
        {"edited again",
         [&] {
             SetName(1, "Rui Costa Lima");
             Client.Post();
             SetName(1, "Rui Costa");
             Client.Post();
         },
         {3}, {2, 3}},
        {"row reverted",
         [&] {
             Client.SetFilter(QString());
             ASSERT_TRUE(Client.Locate("IdCliente", 1));
             Client.RevertRecord();
         },
         {3}, {1, 2, 3}},
        {"inserted",
         [&] {
             Client.Append();
             Client.FieldByName("IdCliente")->SetAsInteger(5);
             Client.FieldByName("Nome")->SetAsString("Eva LIMA");
             Client.Post();
         },
         {3, 5}, {1, 2, 3, 5}},
        {"deleted",
         [&] {
             ASSERT_TRUE(Client.Locate("IdCliente", 3));
             Client.Delete();
         },
         {5}, {1, 2, 5}},
        {"changes cancelled", [&] { Client.CancelUpdates(); }, {3}, {1, 2, 3}},
        {"applied",
         [&] {
             SetName(2, "Bia Lima");
             Client.Post();
             ASSERT_EQ(Client.ApplyUpdates(0), 0);
         },
         {2, 3}, {1, 2, 3}},
        {"refreshed",
         [&] {
             Conn->Execute("Update Cliente Set Nome = 'Lia Silva' Where IdCliente = 3");
             Client.Refresh();
         },
         {2}, {1, 2, 3}},
        {"row refreshed",
         [&] {
             Conn->Execute("Update Cliente Set Nome = 'Ana Lima' Where IdCliente = 3");
             ASSERT_TRUE(Client.Locate("IdCliente", 3));
             Client.RefreshRecord();
         },
         {2, 3}, {1, 2, 3}},
        {"edited unlogged",
         [&] {
             Client.SetLogChanges(false);
             SetName(2, "Bia Souza");
             Client.Post();
         },
         {3}, {1, 2, 3}},
        {"deleted unlogged",
         [&] {
             ASSERT_TRUE(Client.Locate("IdCliente", 3));
             Client.Delete();
         },
         {}, {1, 2}},
    };
    for (const TStep& Step : Steps) {
        SCOPED_TRACE(Step.Change);
        Step.Make();
        EXPECT_EQ(Shown("Nome like '%lima%'"), Step.Lima);
        EXPECT_EQ(Shown("Nome like '%lima%' or Cidade like 'RIO' or Nome like '%SILVA%'"), Step.LimaOrRio);
    }
}
