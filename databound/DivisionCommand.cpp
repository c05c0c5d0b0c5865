#include "databound/DivisionCommand.h"

#include <vector>

#include "controls/VexMessage.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSqlText.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/Field.h"
#include "platform/data/SqlTokens.h"
#include "platform/os/Exceptions.h"

namespace databound {

namespace {

using platform::data::TToken;

// The indexes of the significant top-level tokens (outside every parenthesis).
std::vector<int> TopLevel(const std::vector<TToken>& Tokens) {
    std::vector<int> Result;
    int Depth = 0;
    for (int I = 0; I < static_cast<int>(Tokens.size()); ++I) {
        const TToken& T = Tokens[I];
        if (T.Kind == platform::data::TKind::RParen) --Depth;
        if (Depth == 0 && platform::data::Significant(T)) Result.push_back(I);
        if (T.Kind == platform::data::TKind::LParen) ++Depth;
    }
    return Result;
}

QString Join(const std::vector<TToken>& Tokens, int From, int To) {
    QString Result;
    for (int I = From; I < To; ++I) Result += Tokens[I].Text;
    return Result.trimmed();
}

qint64 CountRows(platform::data::TADOConnection& Connection, const QString& Text,
                 const platform::data::TParameters& Params) {
    platform::data::TADOQuery Query;
    Query.SetConnection(&Connection);
    Query.SetSQL(Text);
    for (int I = 0; I < Query.Parameters().Count(); ++I) {
        platform::data::TParameter& Target = Query.Parameters()[I];
        if (const platform::data::TParameter* Source = Params.FindParam(Target.Name())) {
            Target.SetDataType(Source->DataType());
            Target.SetValue(Source->Value());
        }
    }
    Query.Open();
    return Query.FieldList().at(0)->AsLargeInt();
}

}  // namespace

QString CommandOnOneLine(const QString& Command) {
    QStringList Lines;
    for (const QString& Line : Command.split('\n')) Lines << Line.trimmed();
    return Lines.join(' ').trimmed();
}

namespace {

// The top-level Order By ends the text of a Select; HasFrom tells whether a top-level From comes before it.
int OrderByStart(const std::vector<TToken>& Tokens, const std::vector<int>& Top, bool& HasFrom) {
    HasFrom = false;
    for (std::size_t I = 0; I < Top.size(); ++I) {
        const TToken& T = Tokens[Top[I]];
        HasFrom = HasFrom || platform::data::Is(T, "from");
        if (platform::data::Is(T, "order") && I + 1 < Top.size() && platform::data::Is(Tokens[Top[I + 1]], "by"))
            return Top[I];
    }
    return static_cast<int>(Tokens.size());
}

}  // namespace

QString WithoutOrderBy(const QString& Command) {
    const std::vector<TToken> Tokens = platform::data::Tokenize(CommandOnOneLine(Command));
    bool HasFrom = false;
    return Join(Tokens, 0, OrderByStart(Tokens, TopLevel(Tokens), HasFrom));
}

QString CountCommandText(const QString& Command) {
    const std::vector<TToken> Tokens = platform::data::Tokenize(CommandOnOneLine(Command));
    const std::vector<int> Top = TopLevel(Tokens);
    if (Top.empty() || !platform::data::Is(Tokens[Top[0]], "select")) return {};
    bool HasFrom = false;
    const int End = OrderByStart(Tokens, Top, HasFrom);
    if (!HasFrom) return {};
    return QString("Select Count(*) From (%1) As Contagem").arg(Join(Tokens, 0, End));
}

QString LimitCommandText(const QString& Command, int Limit) {
    const QString Line = CommandOnOneLine(Command);
    const std::vector<TToken> Tokens = platform::data::Tokenize(Line);
    const std::vector<int> Top = TopLevel(Tokens);
    for (std::size_t I = 0; I < Top.size(); ++I) {
        if (platform::data::Is(Tokens[Top[I]], "from")) break;
        if (!platform::data::Is(Tokens[Top[I]], "select")) continue;
        std::size_t After = I;
        if (After + 1 < Top.size() &&
            (platform::data::Is(Tokens[Top[After + 1]], "distinct") || platform::data::Is(Tokens[Top[After + 1]], "all")))
            ++After;
        const int Cut = Top[After] + 1;
        return QString("%1 Top %2 %3").arg(Join(Tokens, 0, Cut)).arg(Limit).arg(Join(Tokens, Cut, Tokens.size()));
    }
    return Line;
}

QString AddConditions(const QString& Command, const QStringList& Conditions, bool Having) {
    QString Result = Command;
    for (const QString& Condition : Conditions)
        if (!Condition.trimmed().isEmpty()) Result = dataaccess::InjectCondition(Result, {Condition}, Having, false);
    return Result;
}

int CheckRecordLimit(platform::data::TADOConnection& Connection, const QString& Command,
                     const platform::data::TParameters& Params, const QString& Caption, int RecordLimit) {
    if (RecordLimit < 0) return -1;
    const QString Count = CountCommandText(Command);
    if (Count.isEmpty()) return -1;
    controls::TMessageQueue& Messages = dataaccess::SessionMessages();
    Messages.BeginMessages();
    int Result = -1;
    try {
        if (CountRows(Connection, Count, Params) > RecordLimit) {
            Messages.AddMessage(QString(kRecordLimitWarning).arg(RecordLimit).arg(Caption), QString(),
                                controls::dkWarning, controls::ButtonSet({controls::dbOK}), 0, -1);
            Result = RecordLimit;
        }
    } catch (const platform::os::EAbort&) {
        Messages.EndMessages(true);
        throw;
    } catch (const std::exception& E) {
        Messages.AddMessage(kRecordCountError, QString::fromUtf8(E.what()), controls::dkError,
                            controls::ButtonSet({controls::dbOK}), 0, -1);
    }
    Messages.EndMessages(true);
    return Result;
}

}  // namespace databound
