// KROTPSHolderHookTest.cpp - the indexes reach a holder only through its hook.
#include "KROClassMacros.h"
#include "KROList.h"
#include "KROTPSEntryIndex.h"
#include "KROTPSHolder.h"
#include "KROTPSHolderIndex.h"
#include "KROTPSLightAdapt.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

namespace hook_test {
/// A holder class the indexes know nothing of: one list, registered under FrameLists.
class TestHolder : public KROTPSLightAdapt, public KROTPSHolder {
  KRO_DECLARE_CLASS
public:
  ~TestHolder() override {
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) index->Detach(*this);
  }
  void IndexHeld(KROTPSHolderIndex& index, bool add) override {
    KROTPSIndexHeld(index, &held, this, KROTPSHeldRole::FrameLists, add);
  }
  bool HoldsAny() const override { return ::HoldsAny({&held}); }

  list<KROBaseUnknown> held; // borrowed items
};
KRO_IMPLEMENT_CLASS(TestHolder, "KROTests", Implementation, "TestHolder", nullptr)
KROBaseUnknown* TestHolder::CreateItself() { return nullptr; }
} // namespace hook_test

namespace {
using hook_test::TestHolder;
constexpr KROTPSHeldRole kRole = KROTPSHeldRole::FrameLists;

std::vector<KROTPSLightAdapt*> Take(KROTPSHolderIndex& index, const KROBaseUnknown* value) {
  std::vector<KROTPSLightAdapt*> out;
  EXPECT_TRUE(index.Take(value, kRole, out));
  return out;
}

class HolderHook : public KROTest {
protected:
  void TearDown() override {
    for (KROBaseUnknown* p : objects_)
      p->Release();
    KROTest::TearDown();
  }
  TestHolder* New() {
    auto* holder = new TestHolder();
    objects_.push_back(holder);
    return holder;
  }
  std::vector<KROBaseUnknown*> objects_;
};

TEST_F(HolderHook, AttachDetachAndTidyRegisterWhatTheHookHolds) {
  KROTPSHolderIndex index, other;
  TestHolder* holder = New();
  TestHolder* a = New();
  TestHolder* b = New();
  holder->held.Append(a);
  holder->held.Append(b);
  index.Attach(*holder, *holder);
  EXPECT_EQ(KROTPSHolderIndex::Of(*holder), &index);
  EXPECT_EQ(index.Size(), 2u);
  EXPECT_EQ(Take(index, a), std::vector<KROTPSLightAdapt*>{holder});
  index.Restore(a, holder, kRole, 1);

  // Stale entries pile up until Tidy asks the hook afresh, which registers b alone.
  holder->held.Remove(a);
  index.Remove(a, holder, kRole);
  for (int i = 0; i < 200; ++i) {
    index.Add(b, holder, kRole);
    index.Remove(b, holder, kRole);
  }
  index.Tidy();
  EXPECT_EQ(index.Size(), 1u);
  EXPECT_EQ(index.Entries(), 1u);
  EXPECT_EQ(Take(index, a), std::vector<KROTPSLightAdapt*>{}) << "a went with the rebuild";
  EXPECT_EQ(Take(index, b), std::vector<KROTPSLightAdapt*>{holder});
  index.Restore(b, holder, kRole, 1);

  other.Attach(*holder, *holder);
  EXPECT_EQ(KROTPSHolderIndex::Of(*holder), &other) << "moved, unregistering from the first";
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(other.Size(), 1u);
  other.Detach(*holder);
  EXPECT_EQ(KROTPSHolderIndex::Of(*holder), nullptr);
  EXPECT_EQ(other.Size(), 0u);
}

TEST_F(HolderHook, TheEntryIndexAttachesCountedHoldersThatHoldSomething) {
  KROTPSHolderIndex holders;
  TestHolder* full = New();
  TestHolder* empty = New();
  TestHolder* item = New();
  full->held.Append(item);
  list<KROBaseUnknown> own;
  own.Append(full);
  own.Append(empty);
  {
    KROTPSEntryIndex entries(own, typeid(TestHolder), &KROTPSHookOfClass<TestHolder>, holders);
    EXPECT_EQ(KROTPSHolderIndex::Of(*full), &holders);
    EXPECT_EQ(KROTPSHolderIndex::Of(*empty), nullptr) << "holds nothing: left out";
    EXPECT_EQ(Take(holders, item), std::vector<KROTPSLightAdapt*>{full});
    own.Append(item);
    EXPECT_EQ(KROTPSHolderIndex::Of(*item), nullptr);
    EXPECT_TRUE(entries.Complete());
    EXPECT_EQ(entries.Tracked(item), item);
  }
  {
    KROTPSHolderIndex unused;
    KROTPSEntryIndex entries(own, typeid(TestHolder), nullptr, unused);
    EXPECT_EQ(unused.Size(), 0u) << "without a hook the class holds nothing";
    EXPECT_EQ(entries.Tracked(full), full);
  }
  holders.Detach(*full);
}
} // namespace
