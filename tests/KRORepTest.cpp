// KRORepTest.cpp - who frees a rep: the allocator's count and the holding rules of group reps.
#include "KROTestSupport.h"

#include "KRORep.h"

#include <type_traits>

namespace {

template <class Rep> Rep* MakeRep(const char* label = "") {
  Rep* rep = new (nullptr, nullptr, 0) Rep();
  if (rep) rep->SetLabel(label);
  return rep;
}

class KRORepOwnershipTest : public KROTest {};

TEST_F(KRORepOwnershipTest, AllocatorCountsEveryRepUntilDestroyed) {
  const long before = KRORep::LiveCount();
  KRORep* plain = MakeRep<KRORep>();
  KRO2DCustomRep* custom = MakeRep<KRO2DCustomRep>();
  ASSERT_TRUE(plain && custom);
  EXPECT_EQ(KRORep::LiveCount(), before + 2);
  plain->Destroy();
  custom->Destroy();
  EXPECT_EQ(KRORep::LiveCount(), before);
}

TEST_F(KRORepOwnershipTest, BagDestroyFreesTheWholeUnsharedTree) {
  auto* top = MakeRep<KRO3DBagRep>("top");
  auto* inner = MakeRep<KRO2DBagRep>("inner");
  auto* leaf = MakeRep<KRO2DCustomRep>("leaf");
  ASSERT_EQ(inner->AddChild(*leaf), 1);
  ASSERT_EQ(top->AddChild(*inner), 1);
  EXPECT_EQ(leaf->HolderCount(), 1);
  EXPECT_EQ(top->GetChildren()->Size(), 1);
  EXPECT_EQ((*top->GetChildren())[0], inner);
  top->Destroy(); // the fixture fails the test if any of the three survives
}

TEST_F(KRORepOwnershipTest, ChildHeldByTwoBagsSurvivesTheFirstDestroy) {
  auto* first = MakeRep<KRO3DBagRep>();
  auto* second = MakeRep<KRO3DBagRep>();
  auto* shared = MakeRep<KRO2DCustomRep>("shared");
  first->AddChild(*shared);
  second->AddChild(*shared);
  EXPECT_EQ(shared->HolderCount(), 2);

  const long before = KRORep::LiveCount();
  first->Destroy();
  EXPECT_EQ(KRORep::LiveCount(), before - 1);
  EXPECT_EQ(shared->HolderCount(), 1);
  EXPECT_EQ(shared->GetLabel(), "shared");
  second->Destroy();
}

TEST_F(KRORepOwnershipTest, DestroyOnAHeldRepWaitsForItsBag) {
  auto* bag = MakeRep<KRO3DBagRep>();
  auto* held = MakeRep<KRORep>();
  auto* heldBag = MakeRep<KRO2DBagRep>();
  auto* grandChild = MakeRep<KRO2DCustomRep>();
  bag->AddChild(*held);
  bag->AddChild(*heldBag);
  heldBag->AddChild(*grandChild);

  const long before = KRORep::LiveCount();
  held->Destroy();
  heldBag->Destroy(); // empties the held bag (its child goes) but keeps it for its holder
  EXPECT_EQ(KRORep::LiveCount(), before - 1);
  EXPECT_EQ(heldBag->GetChildren()->Size(), 0);
  EXPECT_EQ(bag->GetChildren()->Size(), 2);
  bag->Destroy();
}

TEST_F(KRORepOwnershipTest, ChildAddedTwiceToOneBagIsFreedOnce) {
  auto* bag = MakeRep<KRO2DBagRep>();
  auto* child = MakeRep<KRO2DCustomRep>();
  bag->AddChild(*child);
  bag->AddChild(*child);
  EXPECT_EQ(child->HolderCount(), 2);
  bag->Destroy();
}

TEST_F(KRORepOwnershipTest, BagToleratesNullSlotsAndRefusesItself) {
  auto* bag = MakeRep<KRO3DBagRep>();
  bag->GetChildren()->Append(nullptr);
  EXPECT_EQ(bag->AddChild(*bag), 0);
  EXPECT_EQ(bag->HolderCount(), 0);
  EXPECT_EQ(bag->GetChildren()->Size(), 1);
  bag->Destroy();
}

TEST_F(KRORepOwnershipTest, CycleOfBagsIsFreedOnceEach) {
  auto* a = MakeRep<KRO3DBagRep>("a");
  auto* b = MakeRep<KRO3DBagRep>("b");
  a->AddChild(*b);
  b->AddChild(*a);
  a->Destroy(); // a re-entered through b must neither recurse forever nor be freed twice
}

TEST_F(KRORepOwnershipTest, ClassNamesAndKinds) {
  static_assert(std::is_base_of_v<KRO2DRep, KRO2DBagRep>);
  static_assert(std::is_base_of_v<KRO2DRep, KRO2DCustomRep>);
  static_assert(!std::is_base_of_v<KRO2DRep, KRO3DBagRep>);
  KRORep* reps[] = {MakeRep<KRORep>(), MakeRep<KRO2DRep>(), MakeRep<KRO3DBagRep>(),
                    MakeRep<KRO2DBagRep>(), MakeRep<KRO2DCustomRep>()};
  const char* names[] = {"KRORep", "KRO2DRep", "KRO3DBagRep", "KRO2DBagRep", "KRO2DCustomRep"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(reps[i]->ClassName(), names[i]);
    EXPECT_EQ(reps[i]->GetChildren() != nullptr, i == 2 || i == 3) << names[i];
    reps[i]->Destroy();
  }
}

} // namespace
