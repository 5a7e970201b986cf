// Growth, head room, removal and cursor rules of the ordered pointer list.
#include "KROList.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

// Builds the full block a visualization library could hand over: `count` items, no reserve.
struct KROListTestAccess {
  template <class T> static void FillExactly(list<T>& l, const std::vector<T*>& contents) {
    const int n = static_cast<int>(contents.size());
    T** block = list<T>::Allocate(list<T>::BlockBytes(l.headRoom, n, 0));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < n; ++i)
      block[l.headRoom + i] = contents[i];
    l.FreeBlock();
    l.items = block + l.headRoom;
    l.count = n;
    l.reserve = 0;
  }
};

namespace {

int Capacity(const list<int>& l) { return l.Size() + l.Reserve(); }

std::vector<int*> Contents(const list<int>& l) {
  std::vector<int*> out;
  for (int i = 0; i < l.Size(); ++i)
    out.push_back(l[i]);
  return out;
}

class KROListTest : public ::testing::Test {
protected:
  int v[12] = {};
  int* p(int i) { return &v[i]; }
  void Fill(list<int>& l, int n) {
    for (int i = 0; i < n; ++i)
      ASSERT_TRUE(l.Append(p(i)));
  }
};

TEST_F(KROListTest, NewListHasNoBlock) {
  list<int> l;
  EXPECT_EQ(l.Size(), 0);
  EXPECT_EQ(l.HeadRoom(), 0);
  EXPECT_EQ(l.Reserve(), 0);
  EXPECT_EQ(l.Items(), nullptr);
  EXPECT_EQ(l.Cursor(), 0);
  EXPECT_EQ(l[0], nullptr);
}

TEST_F(KROListTest, AppendDoublesCapacityAndKeepsOrder) {
  list<int> l;
  const int expected[] = {1, 2, 4, 4, 8, 8, 8, 8, 16};
  for (int i = 0; i < 9; ++i) {
    ASSERT_TRUE(l.Append(p(i)));
    EXPECT_EQ(Capacity(l), expected[i]) << "after append " << i + 1;
  }
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(l[i], p(i));
}

TEST_F(KROListTest, FourthAppendToFullListOfThreeMakesRoomForSix) {
  list<int> l;
  KROListTestAccess::FillExactly(l, {p(0), p(1), p(2)});
  ASSERT_TRUE(l.Append(p(3)));
  EXPECT_EQ(l.Size(), 4);
  EXPECT_EQ(l.Reserve(), 2);
  EXPECT_EQ(Contents(l), (std::vector<int*>{p(0), p(1), p(2), p(3)}));
}

TEST_F(KROListTest, HeadRoomSurvivesEveryGrowth) {
  list<int> l(3);
  ASSERT_NE(l.Items(), nullptr);
  EXPECT_EQ(l.Size(), 0);
  EXPECT_EQ(l.Reserve(), 0);
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(l.Append(p(i)));
    ASSERT_EQ(l.HeadRoom(), 3);
    // The slots in front of item 0 belong to the block: the sanitizer flags them otherwise.
    for (int h = 1; h <= 3; ++h)
      l.Items()[-h] = nullptr;
  }
  EXPECT_EQ(Capacity(l), 16);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(l[i], p(i));
}

TEST_F(KROListTest, HeadRoomHonouredWhenBlockHandedOverFull) {
  list<int> l(2);
  KROListTestAccess::FillExactly(l, {p(0), p(1), p(2)});
  ASSERT_TRUE(l.Append(p(3)));
  EXPECT_EQ(l.HeadRoom(), 2);
  EXPECT_EQ(Capacity(l), 6);
  l.Items()[-2] = l.Items()[-1] = nullptr;
  EXPECT_EQ(Contents(l), (std::vector<int*>{p(0), p(1), p(2), p(3)}));
}

TEST_F(KROListTest, RemoveTakesOnlyTheLaterOccurrence) {
  list<int> l;
  for (int* item : {p(0), p(1), p(0), p(2)})
    ASSERT_TRUE(l.Append(item));
  const int reserve = l.Reserve();
  EXPECT_TRUE(l.Remove(p(0)));
  EXPECT_EQ(Contents(l), (std::vector<int*>{p(0), p(1), p(2)}));
  EXPECT_EQ(l.Reserve(), reserve + 1);
  EXPECT_EQ(l.Locate(p(0)), 0);
}

TEST_F(KROListTest, RemoveOfAbsentItemChangesNothing) {
  list<int> l;
  Fill(l, 5);
  l.SetCursor(2);
  int** items = l.Items();
  const int reserve = l.Reserve();
  EXPECT_FALSE(l.Remove(p(9)));
  EXPECT_EQ(l.Items(), items);
  EXPECT_EQ(l.Size(), 5);
  EXPECT_EQ(l.Reserve(), reserve);
  EXPECT_EQ(l.Cursor(), 2);
  EXPECT_EQ(Contents(l), (std::vector<int*>{p(0), p(1), p(2), p(3), p(4)}));
}

TEST_F(KROListTest, RemoveNeverShrinksTheBlock) {
  list<int> l;
  Fill(l, 8);
  int** items = l.Items();
  for (int i = 7; i >= 0; --i)
    ASSERT_TRUE(l.Remove(p(i)));
  EXPECT_EQ(l.Items(), items);
  EXPECT_EQ(l.Reserve(), 8);
  ASSERT_TRUE(l.Append(p(0)));
  EXPECT_EQ(l.Items(), items);
}

TEST_F(KROListTest, CursorMovesBackOnlyForRemovalsBeforeIt) {
  list<int> l;
  Fill(l, 10);
  l.SetCursor(5);
  ASSERT_TRUE(l.Remove(p(2)));
  EXPECT_EQ(l.Cursor(), 4);

  l.SetCursor(5);
  ASSERT_EQ(l.Locate(p(8)), 7);
  ASSERT_TRUE(l.Remove(p(8)));
  EXPECT_EQ(l.Cursor(), 5);

  ASSERT_EQ(l.Locate(p(6)), 5);
  ASSERT_TRUE(l.Remove(p(6)));
  EXPECT_EQ(l.Cursor(), 5) << "removal at the cursor itself leaves it";
}

TEST_F(KROListTest, MissCountsAsRemovalAtTheCount) {
  list<int> l;
  Fill(l, 3);
  l.SetCursor(5);
  EXPECT_FALSE(l.Remove(p(9)));
  EXPECT_EQ(l.Cursor(), 4);
}

TEST_F(KROListTest, AccessOutsideTheItemsYieldsNull) {
  list<int> l;
  Fill(l, 3);
  ASSERT_EQ(l.Reserve(), 1);
  EXPECT_EQ(l[3], nullptr);
  EXPECT_EQ(l.At(3), nullptr);
  EXPECT_EQ(l[-1], nullptr);
  EXPECT_EQ(l.At(INT_MAX), nullptr);
}

TEST_F(KROListTest, LocateFindsTheLastOccurrenceAndToleratesNullItems) {
  list<int> l;
  for (int* item : {p(0), static_cast<int*>(nullptr), p(1), p(0)})
    ASSERT_TRUE(l.Append(item));
  EXPECT_EQ(l.Locate(p(0)), 3);
  EXPECT_EQ(l.Locate(nullptr), 1);
  EXPECT_EQ(l.Locate(p(5)), -1);
  EXPECT_TRUE(l.Remove(nullptr));
  EXPECT_EQ(Contents(l), (std::vector<int*>{p(0), p(1), p(0)}));
}

TEST(KROListGrowth, DoublesButNeverTakesTheItemCountPastIntMax) {
  EXPECT_EQ(list<int>::GrowthReserve(0), 1);
  EXPECT_EQ(list<int>::GrowthReserve(3), 3);
  for (int count : {INT_MAX / 2 - 1, INT_MAX / 2, INT_MAX / 2 + 1, INT_MAX - 1}) {
    const int reserve = list<int>::GrowthReserve(count);
    EXPECT_GE(reserve, 1) << count;
    EXPECT_LE(static_cast<long long>(count) + reserve, INT_MAX) << count;
  }
}

TEST(KROListBlockBytes, SaturatesInsteadOfWrapping) {
  constexpr std::size_t kMax = SIZE_MAX;
  EXPECT_EQ(list<int>::BlockBytes(2, 3, 4), 9 * sizeof(int*));
  EXPECT_EQ(list<int>::BlockBytes(INT_MAX, INT_MAX, INT_MAX),
            static_cast<std::size_t>(3ull * INT_MAX * sizeof(int*)));
  EXPECT_EQ(list<int>::BlockBytes(LLONG_MAX, LLONG_MAX, LLONG_MAX), kMax);
  EXPECT_EQ(list<int>::BlockBytes(LLONG_MAX / 4, LLONG_MAX / 4, 0), kMax);
  EXPECT_EQ(list<int>::BlockBytes(-1, 0, 0), kMax);
  EXPECT_EQ(list<int>::BlockBytes(0, 0, -1), kMax);
}

} // namespace
