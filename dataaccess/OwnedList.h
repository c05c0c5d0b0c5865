#pragma once
// An ordered collection that owns its items and knows its owner, the
// component that shows it in the designer. Items are made by the list, each
// told which list holds it; assigning copies the items one by one.
// An index outside the list raises EListError.
#include <QObject>
#include <memory>
#include <vector>

#include "platform/os/Exceptions.h"

namespace dataaccess {

template <class TItem>
class TOwnedList {
public:
    explicit TOwnedList(QObject* Owner) : FOwner(Owner) {}
    TOwnedList(const TOwnedList&) = delete;
    TOwnedList& operator=(const TOwnedList&) = delete;

    QObject* Owner() const { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TItem* Items(int Index) const { return FItems.at(Checked(Index, Count() - 1)).get(); }
    TItem* Add() { return Insert(Count()); }
    TItem* Insert(int Index) {
        auto& Slot = *FItems.insert(FItems.begin() + Checked(Index, Count()), std::make_unique<TItem>(this));
        return Slot.get();
    }
    void Delete(int Index) { FItems.erase(FItems.begin() + Checked(Index, Count() - 1)); }
    void Clear() { FItems.clear(); }
    // -1 when the item is not in this list.
    int IndexOf(const TItem* Item) const {
        for (int I = 0; I < Count(); ++I)
            if (FItems[I].get() == Item) return I;
        return -1;
    }
    void Assign(const TOwnedList& Source) {
        if (&Source == this) return;
        Clear();
        for (int I = 0; I < Source.Count(); ++I) Add()->Assign(*Source.Items(I));
    }

private:
    static int Checked(int Index, int Last) {
        if (Index < 0 || Index > Last) throw platform::os::EListError::IndexOutOfBounds(Index);
        return Index;
    }

    QObject* FOwner;
    std::vector<std::unique_ptr<TItem>> FItems;
};

}  // namespace dataaccess
