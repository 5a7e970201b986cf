// KROTPSLightRetrievalTest.cpp - selecting a set's annotations by type code.
#include "KROSetQueryTestSupport.h"

namespace {
using Retrieval = KROSetQueryTest;

TEST_F(Retrieval, ANewListHoldsTheMatchesInListOrder) {
  KROBaseUnknown* a = AddTPS({}, 5);
  KROBaseUnknown* b = AddTPS({}, 7);
  KROBaseUnknown* c = AddTPS({}, 5);
  KROBaseUnknown* zero = AddTPS({}, 0);
  set_->AddTPS(new KROBaseUnknown()); // not a light object: left out
  c->AddRef();
  set_->AddTPS(c); // listed twice, selected twice
  const std::pair<unsigned short, KROItemVector> cases[] = {
      {5, {a, c, c}}, {7, {b}}, {0, {zero}}, {9, {}}, {0x8005, {}}};
  for (const auto& [type, expected] : cases) {
    list<KROBaseUnknown>* out = nullptr;
    EXPECT_EQ(services_->RetrieveLightTPSsType(type, &out), S_OK) << type;
    EXPECT_EQ(KROItemsOf(out), expected) << type;
    delete out;
  }
  EXPECT_EQ(services_->RetrieveLightTPSsType(5, nullptr), E_FAIL);
}

TEST_F(Retrieval, ACallersListIsAppendedToAndTheCallFails) {
  KROBaseUnknown* a = AddTPS({}, 5);
  KROBaseUnknown* b = AddTPS({}, 5);
  auto* out = new list<KROBaseUnknown>;
  out->Append(mine_);
  EXPECT_EQ(services_->RetrieveLightTPSsType(5, &out), E_FAIL);
  EXPECT_EQ(KROItemsOf(out), (KROItemVector{mine_, a, b}));
  set_->RemoveAllChildren(); // no annotation list: still a list, and the same results
  EXPECT_EQ(services_->RetrieveLightTPSsType(5, &out), E_FAIL);
  EXPECT_EQ(out->Size(), 3);
  delete out;
  out = nullptr;
  EXPECT_EQ(services_->RetrieveLightTPSsType(5, &out), S_OK);
  EXPECT_EQ(KROItemsOf(out), KROItemVector{});
  delete out;
}

TEST_F(Retrieval, SuperTypeAlwaysFailsAndTouchesNothing) {
  AddTPS({}, 5);
  list<KROBaseUnknown>* out = nullptr;
  EXPECT_EQ(services_->RetrieveLightTPSsSuperType(2, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  out = new list<KROBaseUnknown>;
  EXPECT_EQ(services_->RetrieveLightTPSsSuperType(2, &out), E_FAIL);
  EXPECT_EQ(out->Size(), 0);
  delete out;
  EXPECT_EQ(services_->RetrieveLightTPSsSuperType(2, nullptr), E_FAIL);
}
} // namespace
