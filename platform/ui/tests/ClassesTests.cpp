// Owned collections and the class registry of the component model.
#include <gtest/gtest.h>

#include <QStringList>

#include "platform/ui/Classes.h"

using namespace platform::ui;
using platform::os::EListError;

namespace {

class TNamedItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    void Assign(const TCollectionItem& Source) override { Name = static_cast<const TNamedItem&>(Source).Name; }
    QString Name;
};

using TNamedItems = TOwnedCollection<TNamedItem>;

QStringList Names(const TNamedItems& Items) {
    QStringList Out;
    for (int I = 0; I < Items.Count(); ++I) Out << Items.Items(I)->Name;
    return Out;
}

}  // namespace

TEST(Collections, ItemsKnowTheirCollectionAndIndexThroughInsertsMovesAndDeletes) {
    TNamedItems Items;
    int Updates = 0;
    Items.OnUpdate = [&](TCollection*, TCollectionItem*) { ++Updates; };
    Items.Add()->Name = "b";
    Items.Insert(0)->Name = "a";
    Items.Add()->Name = "c";
    EXPECT_EQ(Names(Items), (QStringList{"a", "b", "c"}));
    TNamedItem* B = Items.Items(1);
    EXPECT_EQ(B->Collection(), &Items);
    EXPECT_EQ(B->Index(), 1);
    B->SetIndex(2);
    EXPECT_EQ(Names(Items), (QStringList{"a", "c", "b"}));
    Items.Delete(0);
    EXPECT_EQ(Names(Items), (QStringList{"c", "b"}));
    EXPECT_EQ(B->Index(), 1);
    EXPECT_THROW(Items.Delete(2), EListError);
    EXPECT_THROW(Items.Items(-1), EListError);
    EXPECT_THROW(Items.Insert(3), EListError);
    EXPECT_THROW(B->SetIndex(2), EListError);
    TNamedItems Other;
    B->SetCollection(&Other);
    EXPECT_EQ(Names(Items), QStringList{"c"});
    EXPECT_EQ(Names(Other), QStringList{"b"});
    EXPECT_EQ(B->Collection(), &Other);
    EXPECT_EQ(Items.IndexOf(B), -1);
    EXPECT_EQ(Updates, 6);  // three inserts, the move, the delete and the item that left
    Items.Items(0)->Changed();
    EXPECT_EQ(Updates, 7);
}

TEST(Collections, AssignCopiesEveryItemAndTellsOnce) {
    TNamedItems Source, Target;
    Source.Add()->Name = "x";
    Source.Add()->Name = "y";
    for (int I = 0; I < 3; ++I) Target.Add()->Name = "old";
    int Updates = 0;
    Target.OnUpdate = [&](TCollection*, TCollectionItem* Item) {
        ++Updates;
        EXPECT_EQ(Item, nullptr);
    };
    Target.Assign(Source);
    EXPECT_EQ(Names(Target), (QStringList{"x", "y"}));
    EXPECT_NE(Target.Items(0), Source.Items(0));
    EXPECT_EQ(Target.Items(1)->Collection(), &Target);
    EXPECT_EQ(Updates, 1);
    Target.Assign(Target);
    EXPECT_EQ(Names(Target), (QStringList{"x", "y"}));
}

TEST(ClassRegistry, FindsClassesByNameIgnoringCase) {
    RegisterClass("TCadastroAção", [](QObject* Owner) { return new QObject(Owner); });
    QObject Owner;
    QObject* Created = FindClass("tcadastroAÇÃO")(&Owner);
    EXPECT_EQ(Created->parent(), &Owner);
    EXPECT_TRUE(GetClass("TCADASTROAÇÃO"));
    EXPECT_THROW(RegisterClass("tcadastroação", [](QObject* Owner) { return new QObject(Owner); }), EListError);
    UnregisterClass("TCADASTROação");
    EXPECT_FALSE(GetClass("TCadastroAção"));
    EXPECT_THROW(FindClass("TCadastroAção"), EClassNotFound);
}
