// Insertion, lookup, growth and slot walking of the runtime's simple hash table.
#include "KROSysSimpleHashTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

struct Entry {
  int tag;
};

// Few buckets on purpose, so that probe runs collide and wrap.
unsigned int HashByTagMod3(void* e) {
  return static_cast<unsigned>(static_cast<Entry*>(e)->tag) % 3u;
}

int SameTag(void* a, void* b) { return static_cast<Entry*>(a)->tag == static_cast<Entry*>(b)->tag; }

class KROSysSimpleHashTableTest : public ::testing::Test {
protected:
  Entry* Make(int tag) {
    entries.push_back(std::make_unique<Entry>(Entry{tag}));
    return entries.back().get();
  }
  std::set<void*> Walk(const KROSysSimpleHashTable& table) {
    std::set<void*> seen;
    for (int i = 0; i < table.Size(); ++i)
      if (void* e = table.Get(i)) {
        EXPECT_TRUE(seen.insert(e).second) << "entry held twice";
      }
    return seen;
  }
  // The table never owns entries; the fixture does.
  std::vector<std::unique_ptr<Entry>> entries;
};

TEST_F(KROSysSimpleHashTableTest, LocateReturnsTheStoredEntryNotTheProbe) {
  KROSysSimpleHashTable table(100, HashByTagMod3, SameTag);
  Entry* seven = Make(7);
  Entry* minus = Make(-4);
  ASSERT_EQ(table.Insert(seven), 1);
  ASSERT_EQ(table.Insert(minus), 1);
  Entry probe{7};
  EXPECT_EQ(table.Locate(&probe), seven);
  probe.tag = -4;
  EXPECT_EQ(table.Locate(&probe), minus);
  probe.tag = 10; // same bucket as 7, never inserted
  EXPECT_EQ(table.Locate(&probe), nullptr);
  EXPECT_EQ(table.Locate(nullptr), nullptr);
  EXPECT_EQ(table.Count(), 2);
}

TEST_F(KROSysSimpleHashTableTest, RefusesNullAndEqualEntries) {
  KROSysSimpleHashTable table(100, HashByTagMod3, SameTag);
  Entry* first = Make(5);
  ASSERT_EQ(table.Insert(first), 1);
  EXPECT_EQ(table.Insert(Make(5)), 0);
  EXPECT_EQ(table.Insert(first), 0);
  EXPECT_EQ(table.Insert(nullptr), 0);
  EXPECT_EQ(table.Count(), 1);
  Entry probe{5};
  EXPECT_EQ(table.Locate(&probe), first);
}

TEST_F(KROSysSimpleHashTableTest, GrowsOnlyPastHalfFullAndKeepsEveryEntry) {
  KROSysSimpleHashTable table(100, HashByTagMod3, SameTag);
  for (int tag = 0; tag < 50; ++tag)
    ASSERT_EQ(table.Insert(Make(tag)), 1);
  EXPECT_EQ(table.Size(), 100);
  for (int tag = 50; tag < 300; ++tag)
    ASSERT_EQ(table.Insert(Make(tag)), 1);
  EXPECT_EQ(table.Count(), 300);
  EXPECT_GE(table.Size(), 2 * table.Count());
  for (const auto& e : entries) {
    Entry probe{e->tag};
    EXPECT_EQ(table.Locate(&probe), e.get()) << e->tag;
  }
}

TEST_F(KROSysSimpleHashTableTest, WalkBySlotVisitsEachEntryOnce) {
  KROSysSimpleHashTable table(4, HashByTagMod3, SameTag);
  std::set<void*> inserted;
  for (int tag = 0; tag < 20; ++tag) {
    Entry* e = Make(tag * 3); // every entry lands in bucket 0
    ASSERT_EQ(table.Insert(e), 1);
    inserted.insert(e);
  }
  EXPECT_EQ(Walk(table), inserted);
  EXPECT_EQ(table.Get(-1), nullptr);
  EXPECT_EQ(table.Get(table.Size()), nullptr);
}

TEST_F(KROSysSimpleHashTableTest, RemoveAllForgetsEntriesWithoutFreeingThem) {
  KROSysSimpleHashTable table(8, HashByTagMod3, SameTag);
  for (int tag = 0; tag < 6; ++tag)
    ASSERT_EQ(table.Insert(Make(tag)), 1);
  const int size = table.Size();
  table.RemoveAll();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Size(), size);
  EXPECT_TRUE(Walk(table).empty());
  Entry probe{3};
  EXPECT_EQ(table.Locate(&probe), nullptr);
  // The entries are still alive and can go back in.
  EXPECT_EQ(table.Insert(entries[3].get()), 1);
  EXPECT_EQ(table.Locate(&probe), entries[3].get());
}

TEST_F(KROSysSimpleHashTableTest, TableWithoutSlotsGrowsOnFirstInsert) {
  for (int size : {0, -5, 1}) {
    KROSysSimpleHashTable table(size, HashByTagMod3, SameTag);
    Entry probe{1};
    EXPECT_EQ(table.Locate(&probe), nullptr);
    ASSERT_EQ(table.Insert(Make(1)), 1) << size;
    EXPECT_EQ(table.Locate(&probe), entries.back().get());
    EXPECT_GE(table.Size(), 2);
  }
}

} // namespace
