#pragma once
// Index definitions of a dataset: the fields of an order, which of them
// descend or ignore case. A repeated name raises EDatabaseError.
#include <QString>
#include <vector>

#include "platform/data/DataTypes.h"

namespace platform::data {

// Index options as the original set: descending and case-insensitive apply to
// every field unless DescFields/CaseInsFields name some.
enum TIndexOption : unsigned {
    ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8, ixExpression = 16, ixNonMaintained = 32
};
using TIndexOptions = unsigned;

struct TIndexDef {
    QString Name;
    QString Fields;
    QString DescFields;
    QString CaseInsFields;
    TIndexOptions Options = 0;
    int GroupingLevel = 0;
};

class TIndexDefs {
public:
    TIndexDef& Add(const QString& Name, const QString& Fields, TIndexOptions Options = 0);
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TIndexDef& operator[](int Index) { return FItems.at(Index); }
    const TIndexDef& operator[](int Index) const { return FItems.at(Index); }
    int IndexOf(const QString& Name) const;
    const TIndexDef* Find(const QString& Name) const;  // nullptr when absent
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }

private:
    std::vector<TIndexDef> FItems;
};

}  // namespace platform::data
