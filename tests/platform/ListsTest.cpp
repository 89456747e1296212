// String lists, pointer lists, collections and sets.
#include <gtest/gtest.h>

#include "platform/Classes.h"

using namespace platform;

TEST(StringList, SortFoldsLettersAndBreaksTiesByBytes) {
    TStringList List{"beta", "Alpha", "alpha", "ALPHA", "_x", "Zed", "1"};
    List.Sort();
    // Folded to upper case, "_" (0x5F) sorts after the letters; ties go by byte order.
    std::vector<String> Expected{"1", "ALPHA", "Alpha", "alpha", "beta", "Zed", "_x"};
    ASSERT_EQ(List.Count(), static_cast<int>(Expected.size()));
    for (int I = 0; I < List.Count(); ++I)
        EXPECT_EQ(List[I], Expected[I]) << I;
}

TEST(StringList, TextRoundTripAndChangeEvents) {
    TStringList List;
    int Changes = 0;
    List.OnChange = [&](TObject*) { ++Changes; };
    List.SetText("a\r\nb\n\nc");
    EXPECT_EQ(Changes, 1);  // one notice for the whole update
    ASSERT_EQ(List.Count(), 4);
    EXPECT_EQ(List[2], "");
    EXPECT_EQ(List.GetText(), "a\nb\n\nc\n");
    EXPECT_EQ(List.IndexOf("c"), 3);
    EXPECT_EQ(List.IndexOf("C"), -1);
    List.Delete(0);
    EXPECT_EQ(Changes, 2);
    EXPECT_THROW(List.Get(3), EListError);
    EXPECT_THROW(List.Insert(5, "x"), EListError);
}

TEST(PointerList, RemoveAndBounds) {
    int A = 1, B = 2;
    TList<int> List;
    List.Add(&A);
    List.Add(&B);
    List.Add(&A);
    EXPECT_EQ(List.Remove(&A), 0);
    EXPECT_EQ(List.Count(), 2);
    EXPECT_EQ(List[1], &A);
    EXPECT_THROW(List.Items(2), EListError);
}

namespace {
class TNamedItem : public TCollectionItem {
  public:
    using TCollectionItem::TCollectionItem;
    String Text;
};

class TCountingCollection : public TCollection {
  public:
    TCountingCollection() : TCollection([](TCollection* C) { return new TNamedItem(C); }) {}
    int Updates = 0;

  protected:
    void Update(TCollectionItem*) override { ++Updates; }
};
}  // namespace

TEST(Collection, IdsAreUniqueAndNeverReused) {
    TCountingCollection Items;
    auto* First = static_cast<TNamedItem*>(Items.Add());
    auto* Second = static_cast<TNamedItem*>(Items.Add());
    EXPECT_NE(First->GetID(), Second->GetID());
    int SecondID = Second->GetID();
    Items.Delete(1);
    auto* Third = Items.Add();
    EXPECT_NE(Third->GetID(), SecondID);
    EXPECT_EQ(Items.FindItemID(SecondID), nullptr);
    EXPECT_EQ(Items.FindItemID(First->GetID()), First);
    EXPECT_EQ(Third->GetIndex(), 1);
}

TEST(Collection, ItemDestroyedOnItsOwnLeavesTheCollection) {
    TCountingCollection Items;
    Items.Add();
    TCollectionItem* Item = Items.Add();
    int UpdatesBefore = Items.Updates;
    delete Item;
    EXPECT_EQ(Items.Count(), 1);
    EXPECT_GT(Items.Updates, UpdatesBefore);
    Items.Items(0)->SetIndex(0);
    EXPECT_THROW(Items.Items(1), EListError);
}

namespace {
enum TColourFlag : uint8_t { cfRed, cfGreen, cfBlue, cfBit10 = 10 };
using TColourFlags = TSet<TColourFlag, uint16_t>;
}  // namespace

TEST(Set, BitNStandsForOrdinalN) {
    TColourFlags S{cfGreen, cfBit10};
    EXPECT_EQ(S.Bits(), (1u << 1) | (1u << 10));
    EXPECT_TRUE(S.Contains(cfGreen));
    EXPECT_FALSE(S.Contains(cfRed));
    EXPECT_EQ((S | TColourFlags{cfRed}).Bits(), 0x0403);
    EXPECT_EQ((S & TColourFlags{cfGreen, cfBlue}), TColourFlags{cfGreen});
    EXPECT_EQ((S - TColourFlags{cfGreen}), TColourFlags{cfBit10});
    S.Exclude(cfBit10).Include(cfBlue);
    EXPECT_EQ(S.Bits(), 0x0006);
}

TEST(TextRoutines, ByteRules) {
    EXPECT_EQ(Trim(String("\x01 a b\t\x20", 6)), "a b");
    EXPECT_EQ(Trim(String("\0x\0", 3)), "x");
    EXPECT_EQ(UpperCase("abz\xE8\x9E{}"), "ABZ\xE8\x9E{}");
    EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
    EXPECT_THROW(Assert(false, "broken"), EAssertionFailed);
    try {
        Assert(false, "broken");
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "broken");
    }
}
