#pragma once
// Field definitions: name, type, size and whether a value is required, as a
// result set or a table declares its columns. Names ignore case.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/data/DataTypes.h"

namespace platform::data {

struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    bool Required = false;
};

class TFieldDefs {
public:
    TFieldDef& Add(const QString& Name, TFieldType DataType, int Size = 0, bool Required = false);
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TFieldDef& operator[](int Index) { return FItems.at(Index); }
    const TFieldDef& operator[](int Index) const { return FItems.at(Index); }
    int IndexOf(const QString& Name) const;  // ignoring case; -1 when absent
    const TFieldDef* Find(const QString& Name) const;
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TFieldDef> FItems;
};

// Splits "A;B; C" into trimmed names (empty items dropped).
QStringList SplitFieldNames(const QString& Names);

}  // namespace platform::data
