#include "platform/data/FilterExpr.h"

#include <cmath>

namespace platform::data {

enum class TNodeKind { Const, Field, Not, And, Or, Compare, Like, IsNull, In, Arith, Negate };
enum class TCompareOp { Eq, Ne, Lt, Le, Gt, Ge };

struct TFilterNode {
    TNodeKind Kind;
    QVariant Value;  // constant
    int Ref = -1;    // field reference
    TCompareOp Op = TCompareOp::Eq;
    QChar ArithOp;
    bool Negated = false;  // not like, is not null, not in
    std::vector<std::unique_ptr<TFilterNode>> Args;
    std::unique_ptr<TLikePattern> Pattern;  // like against a constant: prepared once
};

namespace {

enum class TTok { End, Name, String, Number, Op, LParen, RParen, Comma };

struct TToken {
    TTok Kind = TTok::End;
    QString Text;
    int Pos = 0;
};

std::unique_ptr<TFilterNode> MakeNode(TNodeKind Kind) {
    auto Node = std::make_unique<TFilterNode>();
    Node->Kind = Kind;
    return Node;
}

}  // namespace

class TFilterParser {
public:
    TFilterParser(const QString& Text, TFilterExpression& Expr) : FText(Text), FExpr(Expr) { Advance(); }

    std::unique_ptr<TFilterNode> Parse() {
        auto Node = ParseOr();
        if (FTok.Kind != TTok::End) Fail(QString("unexpected '%1'").arg(FTok.Text));
        return Node;
    }

private:
    [[noreturn]] void Fail(const QString& What) const {
        DatabaseError(QString("Invalid filter expression \"%1\": %2 at position %3").arg(FText, What).arg(FTok.Pos + 1));
    }

    bool IsKeyword(const char* Word) const {
        return FTok.Kind == TTok::Name && !FQuotedName && FTok.Text.compare(QLatin1String(Word), Qt::CaseInsensitive) == 0;
    }

    void Advance() {
        int I = FPos;
        while (I < FText.size() && FText[I].isSpace()) ++I;
        FTok = TToken{TTok::End, QString(), I};
        FQuotedName = false;
        if (I >= FText.size()) {
            FPos = I;
            return;
        }
        const QChar C = FText[I];
        if (C == '\'' || C == '"') {
            QString S;
            int J = I + 1;
            for (;;) {
                if (J >= FText.size()) {
                    FTok.Pos = I;
                    Fail("unterminated string");
                }
                if (FText[J] == C) {
                    if (J + 1 < FText.size() && FText[J + 1] == C) {
                        S += C;
                        J += 2;
                        continue;
                    }
                    break;
                }
                S += FText[J++];
            }
            FTok.Kind = TTok::String;
            FTok.Text = S;
            FPos = J + 1;
            return;
        }
        if (C == '[') {
            const int Close = FText.indexOf(']', I);
            if (Close < 0) Fail("unterminated field name");
            FTok.Kind = TTok::Name;
            FTok.Text = FText.mid(I + 1, Close - I - 1);
            FQuotedName = true;
            FPos = Close + 1;
            return;
        }
        if (C.isDigit() || (C == '.' && I + 1 < FText.size() && FText[I + 1].isDigit())) {
            int J = I;
            while (J < FText.size() && (FText[J].isDigit() || FText[J] == '.')) ++J;
            FTok.Kind = TTok::Number;
            FTok.Text = FText.mid(I, J - I);
            FPos = J;
            return;
        }
        if (C.isLetter() || C == '_') {
            int J = I;
            while (J < FText.size() && (FText[J].isLetterOrNumber() || FText[J] == '_')) ++J;
            FTok.Kind = TTok::Name;
            FTok.Text = FText.mid(I, J - I);
            FPos = J;
            return;
        }
        static const char* const TwoChar[] = {"<>", "<=", ">=", "!="};
        for (const char* Op : TwoChar) {
            if (FText.mid(I, 2) == QLatin1String(Op)) {
                FTok.Kind = TTok::Op;
                FTok.Text = QLatin1String(Op);
                FPos = I + 2;
                return;
            }
        }
        FPos = I + 1;
        FTok.Text = QString(C);
        if (C == '(') FTok.Kind = TTok::LParen;
        else if (C == ')') FTok.Kind = TTok::RParen;
        else if (C == ',') FTok.Kind = TTok::Comma;
        else if (QString("=<>+-*/").contains(C)) FTok.Kind = TTok::Op;
        else Fail(QString("unexpected character '%1'").arg(C));
    }

    std::unique_ptr<TFilterNode> Binary(TNodeKind Kind, std::unique_ptr<TFilterNode> L, std::unique_ptr<TFilterNode> R) {
        auto Node = MakeNode(Kind);
        Node->Args.push_back(std::move(L));
        Node->Args.push_back(std::move(R));
        return Node;
    }

    std::unique_ptr<TFilterNode> ParseOr() {
        auto Left = ParseAnd();
        while (IsKeyword("or")) {
            Advance();
            Left = Binary(TNodeKind::Or, std::move(Left), ParseAnd());
        }
        return Left;
    }

    std::unique_ptr<TFilterNode> ParseAnd() {
        auto Left = ParseNot();
        while (IsKeyword("and")) {
            Advance();
            Left = Binary(TNodeKind::And, std::move(Left), ParseNot());
        }
        return Left;
    }

    std::unique_ptr<TFilterNode> ParseNot() {
        if (IsKeyword("not")) {
            Advance();
            auto Node = MakeNode(TNodeKind::Not);
            Node->Args.push_back(ParseNot());
            return Node;
        }
        return ParseComparison();
    }

    std::unique_ptr<TFilterNode> ParseComparison() {
        auto Left = ParseSum();
        bool Negated = false;
        if (IsKeyword("not")) {
            Advance();
            Negated = true;
            if (!IsKeyword("like") && !IsKeyword("in")) Fail("'like' or 'in' expected after 'not'");
        }
        if (IsKeyword("like")) {
            Advance();
            auto Node = Binary(TNodeKind::Like, std::move(Left), ParseSum());
            Node->Negated = Negated;
            const TFilterNode& Right = *Node->Args[1];
            if (Right.Kind == TNodeKind::Const && !VarIsClear(Right.Value))
                Node->Pattern = std::make_unique<TLikePattern>(Right.Value.toString());
            return Node;
        }
        if (IsKeyword("in")) {
            Advance();
            auto Node = MakeNode(TNodeKind::In);
            Node->Negated = Negated;
            Node->Args.push_back(std::move(Left));
            if (FTok.Kind != TTok::LParen) Fail("'(' expected");
            do {
                Advance();
                Node->Args.push_back(ParseSum());
            } while (FTok.Kind == TTok::Comma);
            if (FTok.Kind != TTok::RParen) Fail("')' expected");
            Advance();
            return Node;
        }
        if (IsKeyword("is")) {
            Advance();
            auto Node = MakeNode(TNodeKind::IsNull);
            if (IsKeyword("not")) {
                Node->Negated = true;
                Advance();
            }
            if (!IsKeyword("null")) Fail("'null' expected");
            Advance();
            Node->Args.push_back(std::move(Left));
            return Node;
        }
        if (FTok.Kind == TTok::Op && QString("= <> != < <= > >=").split(' ').contains(FTok.Text)) {
            const QString Op = FTok.Text;
            Advance();
            auto Node = Binary(TNodeKind::Compare, std::move(Left), ParseSum());
            Node->Op = Op == "=" ? TCompareOp::Eq
                     : (Op == "<>" || Op == "!=") ? TCompareOp::Ne
                     : Op == "<" ? TCompareOp::Lt
                     : Op == "<=" ? TCompareOp::Le
                     : Op == ">" ? TCompareOp::Gt
                                 : TCompareOp::Ge;
            return Node;
        }
        return Left;
    }

    std::unique_ptr<TFilterNode> ParseArith(bool Product) {
        auto Left = Product ? ParseUnary() : ParseArith(true);
        const QString Ops = Product ? "*/" : "+-";
        while (FTok.Kind == TTok::Op && FTok.Text.size() == 1 && Ops.contains(FTok.Text[0])) {
            const QChar Op = FTok.Text[0];
            Advance();
            auto Node = Binary(TNodeKind::Arith, std::move(Left), Product ? ParseUnary() : ParseArith(true));
            Node->ArithOp = Op;
            Left = std::move(Node);
        }
        return Left;
    }
    std::unique_ptr<TFilterNode> ParseSum() { return ParseArith(false); }

    std::unique_ptr<TFilterNode> ParseUnary() {
        if (FTok.Kind == TTok::Op && FTok.Text == "-") {
            Advance();
            auto Node = MakeNode(TNodeKind::Negate);
            Node->Args.push_back(ParseUnary());
            return Node;
        }
        return ParsePrimary();
    }

    std::unique_ptr<TFilterNode> ParsePrimary() {
        switch (FTok.Kind) {
        case TTok::LParen: {
            Advance();
            auto Node = ParseOr();
            if (FTok.Kind != TTok::RParen) Fail("')' expected");
            Advance();
            return Node;
        }
        case TTok::String: {
            auto Node = MakeNode(TNodeKind::Const);
            Node->Value = FTok.Text;
            Advance();
            return Node;
        }
        case TTok::Number: {
            auto Node = MakeNode(TNodeKind::Const);
            bool Ok = false;
            if (FTok.Text.contains('.')) Node->Value = FTok.Text.toDouble(&Ok);
            else Node->Value = FTok.Text.toLongLong(&Ok);
            if (!Ok) Fail(QString("invalid number '%1'").arg(FTok.Text));
            Advance();
            return Node;
        }
        case TTok::Name: {
            auto Node = MakeNode(TNodeKind::Const);
            if (IsKeyword("true") || IsKeyword("false")) {
                Node->Value = IsKeyword("true");
            } else if (IsKeyword("null")) {
                Node->Value = Null();
            } else if (!FQuotedName && QString("and or not like is in").split(' ').contains(FTok.Text.toLower())) {
                Fail(QString("unexpected '%1'").arg(FTok.Text));
            } else {
                Node->Kind = TNodeKind::Field;
                int Ref = -1;
                for (int I = 0; I < FExpr.FFieldNames.size(); ++I)
                    if (FExpr.FFieldNames[I].compare(FTok.Text, Qt::CaseInsensitive) == 0) Ref = I;
                if (Ref < 0) {
                    Ref = FExpr.FFieldNames.size();
                    FExpr.FFieldNames << FTok.Text;
                }
                Node->Ref = Ref;
            }
            Advance();
            return Node;
        }
        case TTok::End: Fail("unexpected end");
        default: Fail(QString("unexpected '%1'").arg(FTok.Text));
        }
    }

    const QString& FText;
    TFilterExpression& FExpr;
    int FPos = 0;
    TToken FTok;
    bool FQuotedName = false;
};

TFilterExpression::TFilterExpression(const QString& Text) {
    TFilterParser Parser(Text, *this);
    FRoot = Parser.Parse();
}

TFilterExpression::~TFilterExpression() = default;

namespace {

// Folds as Qt's case-insensitive comparison folds one UTF-16 unit; Latin-1 from a table.
struct TFoldTable {
    char16_t Units[256];
    TFoldTable() {
        for (char32_t C = 0; C < 256; ++C) Units[C] = static_cast<char16_t>(QChar::toCaseFolded(C));
    }
};
const TFoldTable gFold;

inline char16_t Folded(char16_t C) {
    return C < 256 ? gFold.Units[C] : static_cast<char16_t>(QChar::toCaseFolded(char32_t(C)));
}

// Whether the run of Size pattern units matches Text there; "_" takes any unit.
template <bool Fold>
bool RunAt(const char16_t* Run, qsizetype Size, const char16_t* Text) {
    for (qsizetype I = 0; I < Size; ++I)
        if (Run[I] != u'_' && Run[I] != (Fold ? Folded(Text[I]) : Text[I])) return false;
    return true;
}

// The leftmost place from From where the run matches and ends by Limit; -1 when none.
template <bool Fold>
qsizetype FindRun(const char16_t* Run, qsizetype Size, const char16_t* Text, qsizetype From, qsizetype Limit) {
    for (qsizetype At = From; At + Size <= Limit; ++At) {
        if (Run[0] != u'_' && Run[0] != (Fold ? Folded(Text[At]) : Text[At])) continue;
        if (RunAt<Fold>(Run, Size, Text + At)) return At;
    }
    return -1;
}

}  // namespace

void TLikePattern::FoldCase(QStringView Text, char16_t* Out) {
    const char16_t* From = Text.utf16();
    for (qsizetype I = 0; I < Text.size(); ++I) Out[I] = Folded(From[I]);
}

TLikePattern::TLikePattern(const QString& Pattern) : FPattern(Pattern), FFolded(Pattern.size(), Qt::Uninitialized) {
    FoldCase(Pattern, reinterpret_cast<char16_t*>(FFolded.data()));
    FAnchoredStart = !Pattern.startsWith('%');
    FAnchoredEnd = !Pattern.endsWith('%');
    qsizetype Start = 0;
    for (;;) {
        const qsizetype Sign = Pattern.indexOf('%', Start);
        const qsizetype End = Sign < 0 ? Pattern.size() : Sign;
        if (End > Start) FRuns.push_back({Start, End - Start});
        if (Sign < 0) break;
        Start = Sign + 1;
    }
    FExact = !Pattern.contains('%');
}

bool TLikePattern::Matches(QStringView Text, bool CaseInsensitive) const {
    return CaseInsensitive ? Match<true>(FFolded, Text) : Match<false>(FPattern, Text);
}

bool TLikePattern::MatchesFolded(QStringView FoldedText) const { return Match<false>(FFolded, FoldedText); }

template <bool Fold>
bool TLikePattern::Match(const QString& PatternText, QStringView Text) const {
    const char16_t* Pattern = reinterpret_cast<const char16_t*>(PatternText.constData());
    const char16_t* T = Text.utf16();
    const auto Run = [&](size_t I) { return Pattern + FRuns[I].Start; };
    if (FExact) return Text.size() == FPattern.size() && RunAt<Fold>(Pattern, FPattern.size(), T);
    size_t First = 0, Last = FRuns.size();
    qsizetype Pos = 0, Limit = Text.size();
    if (FAnchoredStart) {
        if (FRuns[0].Size > Text.size() || !RunAt<Fold>(Run(0), FRuns[0].Size, T)) return false;
        Pos = FRuns[First++].Size;
    }
    if (FAnchoredEnd) {
        Limit -= FRuns[--Last].Size;
        if (Limit < Pos || !RunAt<Fold>(Run(Last), FRuns[Last].Size, T + Limit)) return false;
    }
    // Placing each run at its leftmost place leaves the most room for the runs after it.
    for (size_t I = First; I < Last; ++I) {
        const qsizetype At = FindRun<Fold>(Run(I), FRuns[I].Size, T, Pos, Limit);
        if (At < 0) return false;
        Pos = At + FRuns[I].Size;
    }
    return true;
}

namespace {

const QVariant gNull = Null();

bool Truthy(const QVariant& V) {
    if (VarIsClear(V)) return false;
    if (V.typeId() == QMetaType::QString) {
        const QString S = V.toString();
        return S.compare("true", Qt::CaseInsensitive) == 0 || S == "1";
    }
    return V.toBool();
}

}  // namespace

struct TFilterEvaluator {
    const TFilterExpression& Expr;
    TFilterExpression::TRowValues Values;
    TFilterOptions Options;

    TFieldType TypeOf(const TFilterNode& Node) const {
        if (Node.Kind == TNodeKind::Field && Node.Ref < static_cast<int>(Expr.FFieldTypes.size()))
            return Expr.FFieldTypes[Node.Ref];
        return ftUnknown;
    }

    const QVariant& FieldValue(const TFilterNode& Node) const {
        const QVariant* V = static_cast<size_t>(Node.Ref) < Values.size() ? Values[Node.Ref] : nullptr;
        return V ? *V : gNull;
    }

    // Constants and field values by reference; computed values in Scratch.
    const QVariant& Read(const TFilterNode& Node, QVariant& Scratch) const {
        switch (Node.Kind) {
        case TNodeKind::Const: return Node.Value;
        case TNodeKind::Field: return FieldValue(Node);
        case TNodeKind::Negate: {
            const QVariant V = Value(*Node.Args[0]);
            Scratch = VarIsClear(V) ? Null() : QVariant(-V.toDouble());
            return Scratch;
        }
        case TNodeKind::Arith: return Scratch = Arith(Node);
        default: return Scratch = Test(Node);
        }
    }
    QVariant Value(const TFilterNode& Node) const {
        QVariant Scratch;
        return Read(Node, Scratch);
    }

    QVariant Arith(const TFilterNode& Node) const {
        const QVariant A = Value(*Node.Args[0]), B = Value(*Node.Args[1]);
        if (VarIsClear(A) || VarIsClear(B)) return Null();
        if (Node.ArithOp == '+' && (A.typeId() == QMetaType::QString || B.typeId() == QMetaType::QString))
            return A.toString() + B.toString();
        const double X = A.toDouble(), Y = B.toDouble();
        switch (Node.ArithOp.unicode()) {
        case '+': return X + Y;
        case '-': return X - Y;
        case '*': return X * Y;
        default: return Y == 0 ? Null() : QVariant(X / Y);
        }
    }

    // A constant compared with a field takes the field's type.
    void Coerce(const TFilterNode& LNode, const TFilterNode& RNode, QVariant& L, QVariant& R) const {
        const TFieldType LT = TypeOf(LNode), RT = TypeOf(RNode);
        try {
            if (LT != ftUnknown && RT == ftUnknown) R = ConvertValue(R, LT);
            else if (RT != ftUnknown && LT == ftUnknown) L = ConvertValue(L, RT);
        } catch (const EDatabaseError&) {
            // An unconvertible constant compares as given.
        }
    }

    bool Compare(const TFilterNode& Node) const {
        QVariant L = Value(*Node.Args[0]), R = Value(*Node.Args[1]);
        if (VarIsClear(L) || VarIsClear(R)) {
            // Only "= null" and "<> null" tell anything about nulls.
            if (Node.Args[1]->Kind == TNodeKind::Const && VarIsNull(Node.Args[1]->Value))
                return (Node.Op == TCompareOp::Eq) == VarIsClear(L);
            return false;
        }
        Coerce(*Node.Args[0], *Node.Args[1], L, R);
        const bool CaseIns = Options & foCaseInsensitive;
        if (Node.Op == TCompareOp::Eq || Node.Op == TCompareOp::Ne) {
            bool Equal;
            const QString Pattern = R.typeId() == QMetaType::QString ? R.toString() : QString();
            if (!(Options & foNoPartialCompare) && Pattern.endsWith('*') && L.typeId() == QMetaType::QString)
                Equal = L.toString().startsWith(Pattern.left(Pattern.size() - 1), CaseIns ? Qt::CaseInsensitive : Qt::CaseSensitive);
            else
                Equal = CompareValues(L, R, CaseIns) == 0;
            return (Node.Op == TCompareOp::Eq) == Equal;
        }
        const int C = CompareValues(L, R, CaseIns);
        switch (Node.Op) {
        case TCompareOp::Lt: return C < 0;
        case TCompareOp::Le: return C <= 0;
        case TCompareOp::Gt: return C > 0;
        default: return C >= 0;
        }
    }

    // The connectives and a field's like against a prepared pattern, as a search builds them, stay
    // in this small function; the rest is evaluated apart, so the common path keeps a small frame.
    bool Test(const TFilterNode& Node) const {
        switch (Node.Kind) {
        case TNodeKind::Not: return !Test(*Node.Args[0]);
        case TNodeKind::And: return Test(*Node.Args[0]) && Test(*Node.Args[1]);
        case TNodeKind::Or: return Test(*Node.Args[0]) || Test(*Node.Args[1]);
        case TNodeKind::Like:
            if (Node.Pattern && Node.Args[0]->Kind == TNodeKind::Field)
                if (const QString* Text = StoredString(FieldValue(*Node.Args[0])))
                    return Node.Pattern->Matches(*Text, Options & foCaseInsensitive) != Node.Negated;
            return TestOther(Node);
        default: return TestOther(Node);
        }
    }

    [[gnu::noinline]] bool TestOther(const TFilterNode& Node) const {
        switch (Node.Kind) {
        case TNodeKind::Compare: return Compare(Node);
        case TNodeKind::IsNull: {
            QVariant Scratch;
            return VarIsClear(Read(*Node.Args[0], Scratch)) != Node.Negated;
        }
        case TNodeKind::Like: {
            QVariant Scratch;
            const QVariant& Value = Read(*Node.Args[0], Scratch);
            if (const QString* Text = StoredString(Value)) return LikeText(Node, *Text);
            return !VarIsClear(Value) && LikeText(Node, Value.toString());
        }
        case TNodeKind::In: {
            QVariant L = Value(*Node.Args[0]);
            if (VarIsClear(L)) return false;
            for (size_t I = 1; I < Node.Args.size(); ++I) {
                QVariant R = Value(*Node.Args[I]), LL = L;
                Coerce(*Node.Args[0], *Node.Args[I], LL, R);
                if (!VarIsClear(R) && CompareValues(LL, R, Options & foCaseInsensitive) == 0) return !Node.Negated;
            }
            return Node.Negated;
        }
        default: {
            QVariant Scratch;
            return Truthy(Read(Node, Scratch));
        }
        }
    }

    bool LikeText(const TFilterNode& Node, QStringView Text) const {
        const bool CaseInsensitive = Options & foCaseInsensitive;
        if (Node.Pattern) return Node.Pattern->Matches(Text, CaseInsensitive) != Node.Negated;
        QVariant Scratch;
        const QVariant& Pattern = Read(*Node.Args[1], Scratch);
        return !VarIsClear(Pattern) && TLikePattern(Pattern.toString()).Matches(Text, CaseInsensitive) != Node.Negated;
    }
};

bool TFilterExpression::Evaluate(TRowValues Values, TFilterOptions Options) const {
    return TFilterEvaluator{*this, Values, Options}.Test(*FRoot);
}

namespace {

bool IsTextTest(const TFilterNode& Node) {
    switch (Node.Kind) {
    case TNodeKind::Not: return IsTextTest(*Node.Args[0]);
    case TNodeKind::And:
    case TNodeKind::Or: return IsTextTest(*Node.Args[0]) && IsTextTest(*Node.Args[1]);
    case TNodeKind::Like: return Node.Pattern && Node.Args[0]->Kind == TNodeKind::Field;
    default: return false;
    }
}

// The verdicts of a node of a text search for every row: tests are pure, so no row needs short-circuiting.
std::vector<char> DecideNode(const TFilterNode& Node, size_t Rows, const TFilterExpression::TLikeColumn& Column) {
    switch (Node.Kind) {
    case TNodeKind::Not: {
        std::vector<char> Verdicts = DecideNode(*Node.Args[0], Rows, Column);
        for (char& Verdict : Verdicts) Verdict = !Verdict;
        return Verdicts;
    }
    case TNodeKind::And:
    case TNodeKind::Or: {
        std::vector<char> Left = DecideNode(*Node.Args[0], Rows, Column);
        const std::vector<char> Right = DecideNode(*Node.Args[1], Rows, Column);
        const bool And = Node.Kind == TNodeKind::And;
        for (size_t I = 0; I < Rows; ++I) Left[I] = And ? (Left[I] & Right[I]) : (Left[I] | Right[I]);
        return Left;
    }
    default: {
        std::vector<char> Outcomes(Rows, TFilterExpression::loNoText);
        Column(Node.Args[0]->Ref, *Node.Pattern, Outcomes);
        // A value with no text fails "like" and "not like" alike.
        for (char& Outcome : Outcomes)
            Outcome = Outcome != TFilterExpression::loNoText && (Outcome == TFilterExpression::loMatch) != Node.Negated;
        return Outcomes;
    }
    }
}

}  // namespace

bool TFilterExpression::IsTextSearch() const { return IsTextTest(*FRoot); }

std::vector<char> TFilterExpression::DecideColumns(size_t Rows, const TLikeColumn& Column) const {
    return DecideNode(*FRoot, Rows, Column);
}

}  // namespace platform::data
