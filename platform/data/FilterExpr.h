#pragma once
// Filter expressions of datasets: comparisons, like with % and _, in, and/or/not,
// parentheses, is [not] null, arithmetic, field names (bare or [bracketed]),
// quoted strings, numbers, dates written as strings and True/False.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QStringView>
#include <memory>
#include <span>
#include <vector>

#include "platform/data/DataTypes.h"

namespace platform::data {

struct TFilterNode;

class TFilterExpression {
public:
    // Raises EDatabaseError naming the fault and its position for invalid text.
    explicit TFilterExpression(const QString& Text);
    ~TFilterExpression();

    // Names referred to, in order of first use; Evaluate takes their values by position.
    const QStringList& FieldNames() const { return FFieldNames; }
    // Types of the referred fields let quoted constants compare as dates or numbers.
    void SetFieldTypes(std::vector<TFieldType> Types) { FFieldTypes = std::move(Types); }
    // The values of one row, one per name, read where they are stored: no copies per row.
    // An invalid variant reads as Null.
    using TRowValues = std::span<const QVariant* const>;
    bool Evaluate(TRowValues Values, TFilterOptions Options) const;

private:
    QStringList FFieldNames;
    std::vector<TFieldType> FFieldTypes;
    std::unique_ptr<TFilterNode> FRoot;
    friend class TFilterParser;
    friend struct TFilterEvaluator;
};

// An SQL-style like pattern, prepared once to match many texts: % any run, _ one
// character. Ignoring case folds every letter (Latin-1 ones too) without building
// new strings. The runs between % are placed leftmost in turn, so matching costs
// at most text length times pattern length, however many % there are.
class TLikePattern {
public:
    explicit TLikePattern(const QString& Pattern);
    bool Matches(QStringView Text, bool CaseInsensitive) const;

private:
    struct TRun {
        qsizetype Start, Size;
    };
    QString FPattern, FFolded;
    std::vector<TRun> FRuns;  // the text between % signs, empty ones left out
    bool FAnchoredStart = true, FAnchoredEnd = true;  // no % at that end
    bool FExact = true;  // no % at all
};

}  // namespace platform::data
