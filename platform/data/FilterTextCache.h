#pragma once
// The text of a dataset's columns as a filter's like tests match it, kept between
// filters: typing a search over many rows then scans contiguous text, folded once when
// ignoring case, instead of reaching into each row's stored value on every keystroke.
// A column is kept for one generation of the rows: the dataset counts every change of
// its rows, and a column made for an older count is made again before it is matched.
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <vector>

#include "platform/data/FilterExpr.h"

namespace platform::data {

class TFilterTextCache {
public:
    TFilterTextCache();
    ~TFilterTextCache();

    // The values of one column, one per row in row order; nullptr reads as Null.
    using TColumnValues = std::function<std::vector<const QVariant*>()>;
    // Matches Pattern against column Slot of every row, writing a TFilterExpression::TLikeOutcome
    // per row into Outcomes. The column's text is made from Values when it is not kept for Generation.
    void MatchColumn(int Slot, quint64 Generation, const TColumnValues& Values, const TLikePattern& Pattern,
                     bool CaseInsensitive, std::vector<char>& Outcomes);
    // Lets go of every kept column.
    void Clear();

private:
    class TColumn;
    std::map<std::pair<int, bool>, TColumn> FColumns;  // by slot and folding
};

}  // namespace platform::data
