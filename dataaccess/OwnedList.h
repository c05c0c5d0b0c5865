#pragma once
// An owned collection of one item class that also knows its owner, the
// component that shows it in the designer. An index outside the list raises
// EListError; assigning copies the items one by one.
#include <QObject>

#include "platform/ui/Classes.h"

namespace dataaccess {

template <class TItem>
class TOwnedList : public platform::ui::TOwnedCollection<TItem> {
public:
    explicit TOwnedList(QObject* Owner) : FOwner(Owner) {}
    QObject* Owner() const { return FOwner; }

    // The list that holds Item.
    static const TOwnedList& Of(const TItem& Item) { return *static_cast<const TOwnedList*>(Item.Collection()); }

private:
    QObject* FOwner;
};

}  // namespace dataaccess
