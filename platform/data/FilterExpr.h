#pragma once
// Filter expressions of datasets: comparisons, like with % and _, in, and/or/not,
// parentheses, is [not] null, arithmetic, field names (bare or [bracketed]),
// quoted strings, numbers, dates written as strings and True/False.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "platform/data/DataTypes.h"

namespace platform::data {

struct TFilterNode;

class TFilterExpression {
public:
    // Raises EDatabaseError naming the fault and its position for invalid text.
    explicit TFilterExpression(const QString& Text);
    ~TFilterExpression();

    // Names referred to, in order of first use; Evaluate asks for them by position.
    const QStringList& FieldNames() const { return FFieldNames; }
    using TFieldReader = std::function<QVariant(int Ref)>;
    // Types of the referred fields let quoted constants compare as dates or numbers.
    void SetFieldTypes(std::vector<TFieldType> Types) { FFieldTypes = std::move(Types); }
    bool Evaluate(const TFieldReader& Reader, TFilterOptions Options) const;

private:
    QStringList FFieldNames;
    std::vector<TFieldType> FFieldTypes;
    std::unique_ptr<TFilterNode> FRoot;
    friend class TFilterParser;
    friend struct TFilterEvaluator;
};

// SQL-style pattern match: % any run, _ one character.
bool MatchLike(const QString& Text, const QString& Pattern, bool CaseInsensitive);

}  // namespace platform::data
