#pragma once
// The component model's helpers that Qt does not give in this shape: an
// ordered collection that owns its items (items know their collection and
// their index), and the registry that finds component classes by name,
// ignoring case. A bad index raises EListError; an unknown class name raises
// EClassNotFound from FindClass and answers an empty factory from GetClass.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/os/Exceptions.h"

namespace platform::ui {

class TCollection;

class TCollectionItem {
public:
    explicit TCollectionItem(TCollection* Collection) : FCollection(Collection) {}
    virtual ~TCollectionItem() = default;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection, which takes it over; nullptr is refused.
    void SetCollection(TCollection* Value);
    int Index() const;
    // Moves the item within its collection.
    void SetIndex(int Value);
    // Copies the values of an item of the same kind; the base copies nothing.
    virtual void Assign(const TCollectionItem& Source) { (void)Source; }
    // Tells the collection that the item changed.
    void Changed();

private:
    friend class TCollection;
    TCollection* FCollection;
};

class TCollection {
public:
    using TItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection* Collection)>;
    explicit TCollection(TItemFactory Factory) : FFactory(std::move(Factory)) {}
    virtual ~TCollection() = default;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    TCollectionItem* Add() { return Insert(Count()); }
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int Index) const;
    int IndexOf(const TCollectionItem* Item) const;  // -1 when not an item of this collection
    // As many items as Source, each assigned from the item at the same index.
    void Assign(const TCollection& Source);

    // Changes between BeginUpdate and the last EndUpdate are told once, at the end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // Told after a change: the changed item, or nullptr when items came, went or moved.
    std::function<void(TCollection* Sender, TCollectionItem* Item)> OnUpdate;

protected:
    virtual void Update(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    void CheckIndex(int Index, int Limit) const;
    void Changed(TCollectionItem* Item);

    TItemFactory FFactory;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
    int FUpdateCount = 0;
    bool FPending = false;
};

// A collection of one item class: Add and Items answer that class.
template <class TItem>
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection() : TCollection([](TCollection* C) { return std::make_unique<TItem>(C); }) {}
    TItem* Add() { return static_cast<TItem*>(TCollection::Add()); }
    TItem* Insert(int Index) { return static_cast<TItem*>(TCollection::Insert(Index)); }
    TItem* Items(int Index) const { return static_cast<TItem*>(TCollection::Items(Index)); }
};

class EClassNotFound : public platform::os::Exception {
public:
    using Exception::Exception;
};

// Creates a component of the class with the given owner.
using TComponentFactory = std::function<QObject*(QObject* Owner)>;

// A name registered twice raises EListError.
void RegisterClass(const QString& Name, TComponentFactory Factory);
void UnregisterClass(const QString& Name);
TComponentFactory GetClass(const QString& Name);
TComponentFactory FindClass(const QString& Name);

}  // namespace platform::ui
