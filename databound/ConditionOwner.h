#pragma once
// What the filter and parameter collections need from the division that owns
// them: the name their parameters are prefixed with, a way to say that the
// command must be rebuilt, and the search target of a join field (the table and
// key column a field looks up), which the field rules fill in. Without an owner
// the prefix is empty and changes go unreported.
#include <QString>

#include "platform/ui/Classes.h"

namespace platform::data {
class TField;
}

namespace databound {

// The table and column a join field searches; both empty for a plain field.
struct TSearchTarget {
    QString Tabela;
    QString FieldName;
};

class TConditionOwner {
public:
    virtual ~TConditionOwner() = default;
    virtual QString Nome() const = 0;
    // Every change of a filter, filter value or parameter item ends here.
    virtual void SetParamsChanged() = 0;
    virtual TSearchTarget SearchTarget(const platform::data::TField& Field) const {
        (void)Field;
        return {};
    }
};

// Sets a property of a collection item and tells the collection when the value really changed.
template <class T>
void SetAndNotify(platform::ui::TCollectionItem& Item, T& Member, const T& Value) {
    if (Member == Value) return;
    Member = Value;
    Item.Changed();
}

}  // namespace databound
