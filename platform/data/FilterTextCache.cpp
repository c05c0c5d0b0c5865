#include "platform/data/FilterTextCache.h"

#include <algorithm>

namespace platform::data {

class TFilterTextCache::TColumn {
public:
    // The row count guards memory, should a change of the rows ever fail to count.
    bool KeptFor(quint64 Generation, size_t Rows) const {
        return FBuilt && FGeneration == Generation && FHasText.size() == Rows;
    }

    // Each value's text as like reads it (a value neither text nor Null as its text), folded when asked.
    void Make(quint64 Generation, const std::vector<const QVariant*>& Values, bool Fold) {
        FText.clear();
        FStarts.assign(1, 0);
        FHasText.assign(Values.size(), false);
        FStarts.reserve(Values.size() + 1);
        for (size_t Row = 0; Row < Values.size(); ++Row) {
            const QVariant* Value = Values[Row];
            const QString* Stored = Value ? StoredString(*Value) : nullptr;
            if (Stored || (Value && !VarIsClear(*Value))) {
                const QString Text = Stored ? QString() : Value->toString();
                const QStringView Units = Stored ? QStringView(*Stored) : QStringView(Text);
                const size_t Start = FText.size();
                FText.resize(Start + static_cast<size_t>(Units.size()));
                if (Fold) TLikePattern::FoldCase(Units, FText.data() + Start);
                else std::copy(Units.utf16(), Units.utf16() + Units.size(), FText.data() + Start);
                FHasText[Row] = true;
            }
            FStarts.push_back(FText.size());
        }
        FGeneration = Generation;
        FBuilt = true;
    }

    void Match(const TLikePattern& Pattern, bool Folded, std::vector<char>& Outcomes) const {
        const char16_t* Text = FText.data();
        for (size_t Row = 0; Row < std::min(FHasText.size(), Outcomes.size()); ++Row) {
            if (!FHasText[Row]) {
                Outcomes[Row] = TFilterExpression::loNoText;
                continue;
            }
            const QStringView Value(Text + FStarts[Row], static_cast<qsizetype>(FStarts[Row + 1] - FStarts[Row]));
            const bool Matched = Folded ? Pattern.MatchesFolded(Value) : Pattern.Matches(Value, false);
            Outcomes[Row] = Matched ? TFilterExpression::loMatch : TFilterExpression::loNoMatch;
        }
    }

private:
    std::vector<char16_t> FText;
    std::vector<size_t> FStarts;  // where each row's text begins, and past the last
    std::vector<char> FHasText;   // false for Null
    quint64 FGeneration = 0;
    bool FBuilt = false;
};

TFilterTextCache::TFilterTextCache() = default;
TFilterTextCache::~TFilterTextCache() = default;

void TFilterTextCache::Clear() { FColumns.clear(); }

void TFilterTextCache::MatchColumn(int Slot, quint64 Generation, const TColumnValues& Values,
                                   const TLikePattern& Pattern, bool CaseInsensitive, std::vector<char>& Outcomes) {
    TColumn& Column = FColumns[{Slot, CaseInsensitive}];
    if (!Column.KeptFor(Generation, Outcomes.size())) Column.Make(Generation, Values(), CaseInsensitive);
    Column.Match(Pattern, CaseInsensitive, Outcomes);
}

}  // namespace platform::data
