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

bool Truthy(const QVariant& V) {
    if (VarIsClear(V)) return false;
    if (V.typeId() == QMetaType::QString) {
        const QString S = V.toString();
        return S.compare("true", Qt::CaseInsensitive) == 0 || S == "1";
    }
    return V.toBool();
}

}  // namespace

bool MatchLike(const QString& Text, const QString& Pattern, bool CaseInsensitive) {
    const Qt::CaseSensitivity Cs = CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    // Iterative matching with backtracking to the last '%'.
    qsizetype T = 0, P = 0, StarP = -1, StarT = 0;
    while (T < Text.size()) {
        if (P < Pattern.size() && Pattern[P] == '%') {
            StarP = P++;
            StarT = T;
        } else if (P < Pattern.size() &&
                   (Pattern[P] == '_' || QStringView(Pattern).mid(P, 1).compare(QStringView(Text).mid(T, 1), Cs) == 0)) {
            ++P;
            ++T;
        } else if (StarP >= 0) {
            P = StarP + 1;
            T = ++StarT;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == '%') ++P;
    return P == Pattern.size();
}

struct TFilterEvaluator {
    const TFilterExpression& Expr;
    const TFilterExpression::TFieldReader& Reader;
    TFilterOptions Options;

    TFieldType TypeOf(const TFilterNode& Node) const {
        if (Node.Kind == TNodeKind::Field && Node.Ref < static_cast<int>(Expr.FFieldTypes.size()))
            return Expr.FFieldTypes[Node.Ref];
        return ftUnknown;
    }

    QVariant Value(const TFilterNode& Node) const {
        switch (Node.Kind) {
        case TNodeKind::Const: return Node.Value;
        case TNodeKind::Field: return Reader(Node.Ref);
        case TNodeKind::Negate: {
            const QVariant V = Value(*Node.Args[0]);
            return VarIsClear(V) ? Null() : QVariant(-V.toDouble());
        }
        case TNodeKind::Arith: return Arith(Node);
        default: return Test(Node);
        }
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

    bool Test(const TFilterNode& Node) const {
        switch (Node.Kind) {
        case TNodeKind::Not: return !Test(*Node.Args[0]);
        case TNodeKind::And: return Test(*Node.Args[0]) && Test(*Node.Args[1]);
        case TNodeKind::Or: return Test(*Node.Args[0]) || Test(*Node.Args[1]);
        case TNodeKind::Compare: return Compare(Node);
        case TNodeKind::IsNull: return VarIsClear(Value(*Node.Args[0])) != Node.Negated;
        case TNodeKind::Like: {
            const QVariant L = Value(*Node.Args[0]), R = Value(*Node.Args[1]);
            if (VarIsClear(L) || VarIsClear(R)) return false;
            return MatchLike(L.toString(), R.toString(), Options & foCaseInsensitive) != Node.Negated;
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
        default: return Truthy(Value(Node));
        }
    }
};

bool TFilterExpression::Evaluate(const TFieldReader& Reader, TFilterOptions Options) const {
    return TFilterEvaluator{*this, Reader, Options}.Test(*FRoot);
}

}  // namespace platform::data
