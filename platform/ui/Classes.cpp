#include "platform/ui/Classes.h"

#include <QHash>
#include <algorithm>

namespace platform::ui {

// ---------------------------------------------------------------- collections

void TCollectionItem::SetCollection(TCollection* Value) {
    if (Value == FCollection) return;
    if (!Value) throw platform::os::EListError("An item always belongs to a collection");
    TCollection* Old = FCollection;
    auto It = Old->FItems.begin() + Old->IndexOf(this);
    std::unique_ptr<TCollectionItem> Self = std::move(*It);
    Old->FItems.erase(It);
    FCollection = Value;
    Value->FItems.push_back(std::move(Self));
    Old->Changed(nullptr);
    Value->Changed(nullptr);
}

int TCollectionItem::Index() const { return FCollection->IndexOf(this); }

void TCollectionItem::SetIndex(int Value) {
    const int Current = Index();
    if (Value == Current) return;
    FCollection->CheckIndex(Value, FCollection->Count() - 1);
    auto& Items = FCollection->FItems;
    std::unique_ptr<TCollectionItem> Self = std::move(Items[Current]);
    Items.erase(Items.begin() + Current);
    Items.insert(Items.begin() + Value, std::move(Self));
    FCollection->Changed(nullptr);
}

void TCollectionItem::Changed() { FCollection->Changed(this); }

void TCollection::CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index > Limit) throw platform::os::EListError::IndexOutOfBounds(Index);
}

TCollectionItem* TCollection::Insert(int Index) {
    CheckIndex(Index, Count());
    std::unique_ptr<TCollectionItem> Item = FFactory(this);
    TCollectionItem* Raw = Item.get();
    FItems.insert(FItems.begin() + Index, std::move(Item));
    Changed(nullptr);
    return Raw;
}

void TCollection::Delete(int Index) {
    CheckIndex(Index, Count() - 1);
    // The item leaves the list before it is destroyed, so that its destructor sees the others only.
    std::unique_ptr<TCollectionItem> Item = std::move(FItems[Index]);
    FItems.erase(FItems.begin() + Index);
    Item.reset();
    Changed(nullptr);
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    std::vector<std::unique_ptr<TCollectionItem>> Items = std::move(FItems);
    FItems.clear();
    Items.clear();
    Changed(nullptr);
}

TCollectionItem* TCollection::Items(int Index) const {
    CheckIndex(Index, Count() - 1);
    return FItems[Index].get();
}

int TCollection::IndexOf(const TCollectionItem* Item) const {
    auto It = std::find_if(FItems.begin(), FItems.end(), [&](const auto& P) { return P.get() == Item; });
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

void TCollection::Assign(const TCollection& Source) {
    if (&Source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (const auto& Item : Source.FItems) Add()->Assign(*Item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0 || !FPending) return;
    FPending = false;
    Update(nullptr);
}

void TCollection::Changed(TCollectionItem* Item) {
    if (FUpdateCount > 0) FPending = true;
    else Update(Item);
}

void TCollection::Update(TCollectionItem* Item) {
    if (OnUpdate) OnUpdate(this, Item);
}

// ---------------------------------------------------------------- class registry

namespace {

QHash<QString, TComponentFactory>& Registry() {
    static QHash<QString, TComponentFactory> Classes;
    return Classes;
}

// Latin-1 letters fold as ASCII ones do.
QString KeyOf(const QString& Name) { return Name.toCaseFolded(); }

}  // namespace

void RegisterClass(const QString& Name, TComponentFactory Factory) {
    if (Registry().contains(KeyOf(Name)))
        throw platform::os::EListError("A class named " + Name.toStdString() + " is already registered");
    Registry().insert(KeyOf(Name), std::move(Factory));
}

void UnregisterClass(const QString& Name) { Registry().remove(KeyOf(Name)); }

TComponentFactory GetClass(const QString& Name) { return Registry().value(KeyOf(Name)); }

TComponentFactory FindClass(const QString& Name) {
    TComponentFactory Factory = GetClass(Name);
    if (!Factory) throw EClassNotFound("Class " + Name.toStdString() + " not found");
    return Factory;
}

}  // namespace platform::ui
