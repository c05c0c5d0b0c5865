#pragma once
// Filter expressions of datasets: comparisons, like with % and _, in, and/or/not,
// parentheses, is [not] null, arithmetic, field names (bare or [bracketed]),
// quoted strings, numbers, dates written as strings and True/False.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QStringView>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/data/DataTypes.h"

namespace platform::data {

struct TFilterNode;
class TLikePattern;

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

    // How one field's value stands against a like pattern, row by row.
    enum TLikeOutcome : char { loNoMatch, loMatch, loNoText };
    // Outcome of the pattern against field Ref for every row, in row order; a value that is
    // neither text nor Null is matched as its text.
    using TLikeColumn = std::function<void(int Ref, const TLikePattern& Pattern, std::vector<char>& Outcomes)>;
    // Whether every test is a field's like against a constant pattern, joined by and/or/not:
    // such a filter is decided a column at a time.
    bool IsTextSearch() const;
    // Every row's verdict, 1 shown, 0 hidden, from the outcomes of each like test; only for a text search.
    std::vector<char> DecideColumns(size_t Rows, const TLikeColumn& Column) const;

private:
    QStringList FFieldNames;
    std::vector<TFieldType> FFieldTypes;
    std::unique_ptr<TFilterNode> FRoot;
    friend class TFilterParser;
    friend struct TFilterEvaluator;
};

// The string a variant holds, read in place; nullptr for other values. The type is read
// without calling into the library: this runs for every row of a refilter.
inline const QString* StoredString(const QVariant& Value) {
    return Value.data_ptr().type().id() == QMetaType::QString ? static_cast<const QString*>(Value.constData())
                                                                : nullptr;
}

// An SQL-style like pattern, prepared once to match many texts: % any run, _ one
// character. Ignoring case folds every letter (Latin-1 ones too) without building
// new strings. The runs between % are placed leftmost in turn, so matching costs
// at most text length times pattern length, however many % there are.
class TLikePattern {
public:
    explicit TLikePattern(const QString& Pattern);
    bool Matches(QStringView Text, bool CaseInsensitive) const;
    // Ignoring case, for a text already folded by FoldCase: no unit is folded again.
    bool MatchesFolded(QStringView FoldedText) const;
    // Writes every unit of Text to Out folded as matching ignoring case folds it: as many units.
    static void FoldCase(QStringView Text, char16_t* Out);

private:
    template <bool Fold>
    bool Match(const QString& PatternText, QStringView Text) const;

    struct TRun {
        qsizetype Start, Size;
    };
    QString FPattern, FFolded;
    std::vector<TRun> FRuns;  // the text between % signs, empty ones left out
    bool FAnchoredStart = true, FAnchoredEnd = true;  // no % at that end
    bool FExact = true;  // no % at all
};

}  // namespace platform::data
