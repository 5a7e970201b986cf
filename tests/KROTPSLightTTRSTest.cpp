// The TTRS: ownership of its geometry paths, its own light-object face (no UUID, no wrapper bag)
// and its weak link to the set.
#include "KROTPSLightTTRS.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KRORep.h"
#include "KROTPSLightSet.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <type_traits>

static_assert(!std::is_copy_constructible_v<KROTPSLightTTRS>, "copies would share owned paths");
static_assert(!std::is_copy_assignable_v<KROTPSLightTTRS>, "copies would share owned paths");

namespace {

KRORawCollint* NewPath(std::initializer_list<int> ids) {
  auto* path = new KRORawCollint();
  for (int id : ids)
    path->Append(id);
  return path;
}

class LightTTRS : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    obj_ = new KROTPSLightTTRS();
    ASSERT_EQ(obj_->QueryInterface(IID_KROITPSLightTTRS, ttrs_.Put()), S_OK);
    light_ = ttrs_.As<KROITPSLight>();
    ASSERT_TRUE(light_);
  }
  void TearDown() override {
    light_.Reset();
    ttrs_.Reset();
    if (obj_) obj_->Release();
    KROTest::TearDown();
  }
  KROTPSLightTTRS* obj_ = nullptr;
  KROComPtr<KROITPSLightTTRS> ttrs_;
  KROComPtr<KROITPSLight> light_;
};

TEST_F(LightTTRS, FreshTTRSAnswersItsDefaultsUnderOneIdentity) {
  KROBaseUnknown* base = nullptr;
  ASSERT_EQ(light_->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base)), S_OK);
  EXPECT_EQ(base, obj_);
  base->Release();
  EXPECT_EQ(light_.As<KROITPSLightTTRS>().Get(), ttrs_.Get());
  EXPECT_STREQ(obj_->IsA(), "KROTPSLightTTRS");
  KROWChar* name = nullptr;
  ASSERT_EQ(light_->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"LightTTRS");
  int index = -1;
  EXPECT_EQ(light_->GetIndex(&index), S_OK);
  EXPECT_EQ(index, 0);
  KRORawCollPV paths;
  EXPECT_EQ(ttrs_->GetGeomPathId(&paths), S_OK);
  EXPECT_EQ(paths.Size(), 0);
  KROITPSLightSet* set = nullptr;
  EXPECT_EQ(light_->GetLightSet(&set), E_FAIL);
}

TEST_F(LightTTRS, PathsComeBackInOrderAndReplaceTheCallersContent) {
  KRORawCollint* p1 = NewPath({7, 12, 30});
  KRORawCollint* p2 = NewPath({30});
  ASSERT_EQ(ttrs_->AddGeomPathId(p1), S_OK);
  ASSERT_EQ(ttrs_->AddGeomPathId(p2), S_OK);
  EXPECT_EQ(ttrs_->AddGeomPathId(nullptr), E_FAIL);

  KRORawCollPV paths;
  int junk = 0;
  paths.Append(&junk);
  paths.Append(&junk);
  paths.Append(&junk);
  ASSERT_EQ(ttrs_->GetGeomPathId(&paths), S_OK);
  ASSERT_EQ(paths.Size(), 2);
  EXPECT_EQ(paths[1], p1);
  EXPECT_EQ(paths[2], p2);
  EXPECT_EQ(static_cast<KRORawCollint*>(paths[1])->operator[](3), 30);
  EXPECT_EQ(ttrs_->GetGeomPathId(nullptr), E_FAIL);
}

TEST_F(LightTTRS, DestructionDeletesEachPathExactlyOnce) {
  // The same collection handed over twice would be deleted twice: only distinct paths are
  // handed over; AddressSanitizer reports a second delete, LeakSanitizer a missing one.
  ttrs_->AddGeomPathId(NewPath({1, 2}));
  ttrs_->AddGeomPathId(NewPath({}));
  ttrs_->AddGeomPathId(NewPath({3}));
  light_.Reset();
  ttrs_.Reset();
  long live = KROBaseUnknown::LiveCount();
  obj_->Release();
  obj_ = nullptr;
  EXPECT_EQ(KROBaseUnknown::LiveCount(), live - 1);
}

TEST_F(LightTTRS, UUIDIsNeitherStoredNorWritten) {
  KROWChar sentinel[] = u"kept";
  KROWChar* uuid = sentinel;
  EXPECT_EQ(light_->GetUUId(&uuid), S_OK);
  EXPECT_EQ(uuid, sentinel);
  EXPECT_EQ(light_->SetUUId(u"{0001}"), S_OK);
  EXPECT_EQ(light_->GetUUId(&uuid), S_OK);
  EXPECT_EQ(uuid, sentinel);
  EXPECT_EQ(light_->GetUUId(nullptr), E_FAIL);
  EXPECT_EQ(light_->SetUUId(nullptr), E_FAIL);
}

TEST_F(LightTTRS, RepIsBorrowedAsItIsWithoutAWrapperBag) {
  long reps = KRORep::LiveCount();
  auto* rep = new (nullptr, nullptr, 0) KRO3DBagRep();
  ASSERT_EQ(light_->SetRep(rep), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 1) << "no group rep may be made around it";
  EXPECT_EQ(rep->HolderCount(), 0);
  KRORep* out = nullptr;
  EXPECT_EQ(light_->GetRep(&out), S_OK);
  EXPECT_EQ(out, rep);
  EXPECT_EQ(light_->SetRep(nullptr), S_OK);
  EXPECT_EQ(light_->GetRep(&out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(light_->GetRep(nullptr), E_FAIL);
  // A TTRS that still points at a rep when it goes leaves the rep to its owner.
  light_->SetRep(rep);
  light_.Reset();
  ttrs_.Reset();
  obj_->Release();
  obj_ = nullptr;
  EXPECT_EQ(KRORep::LiveCount(), reps + 1);
  rep->Destroy();
}

TEST_F(LightTTRS, SetLinkIsWeak) {
  auto* set = new KROTPSLightSet();
  KROComPtr<KROITPSLightSet> setItf;
  ASSERT_EQ(set->QueryInterface(IID_KROITPSLightSet, setItf.Put()), S_OK);
  EXPECT_EQ(light_->SetLightSet(nullptr), E_FAIL);
  ASSERT_EQ(light_->SetLightSet(setItf.Get()), S_OK);
  KROITPSLightSet* got = nullptr;
  ASSERT_EQ(light_->GetLightSet(&got), S_OK);
  EXPECT_EQ(got, setItf.Get());
  got->Release();
  EXPECT_EQ(light_->SetLightSet(nullptr), E_FAIL);
  ASSERT_EQ(light_->GetLightSet(&got), S_OK) << "a null set keeps the link";
  got->Release();

  setItf.Reset();
  set->Release(); // the TTRS held no count: the set is gone
  got = nullptr;
  EXPECT_EQ(light_->GetLightSet(&got), E_FAIL);
  EXPECT_EQ(light_->GetLightSet(nullptr), E_FAIL);
}

} // namespace
