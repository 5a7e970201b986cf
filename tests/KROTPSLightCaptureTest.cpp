// The capture: its three borrowed lists, the active-view identity rule, the part-instance
// collections it owns, the contour rep it owns through its bag, and its copied values.
#include "KROTPSLightCapture.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightView.h"
#include "KROLightObjectTestSupport.h"
#include "KROTPSLightView.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

class LightCapture : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    auto* impl = new KROTPSLightCapture();
    ASSERT_EQ(impl->QueryInterface(IID_KROITPSLightCapture, capture_.Put()), S_OK);
    impl->Release();
  }
  void TearDown() override {
    capture_.Reset();
    KROTest::TearDown();
  }

  KROBaseUnknown* ActiveView() {
    KROBaseUnknown* view = nullptr;
    if (capture_->GetActiveView(&view) == S_OK) view->Release();
    return view;
  }

  KROComPtr<KROITPSLightCapture> capture_;
};

struct ListOps {
  const char* name;
  HRESULT (KROITPSLightCapture::*get)(list<KROBaseUnknown>**);
  HRESULT (KROITPSLightCapture::*add)(KROBaseUnknown*);
  HRESULT (KROITPSLightCapture::*remove)(KROBaseUnknown*);
};
const ListOps kLists[] = {
    {"annotations", &KROITPSLightCapture::GetTPSs, &KROITPSLightCapture::AddTPS,
     &KROITPSLightCapture::RemoveTPS},
    {"views", &KROITPSLightCapture::GetTPSViews, &KROITPSLightCapture::AddTPSView,
     &KROITPSLightCapture::RemoveTPSView},
    {"constructed geometries", &KROITPSLightCapture::GetTPSCGs, &KROITPSLightCapture::AddTPSCG,
     &KROITPSLightCapture::RemoveTPSCG},
};

std::vector<KROBaseUnknown*> Items(KROITPSLightCapture* c, const ListOps& ops) {
  list<KROBaseUnknown>* l = nullptr;
  std::vector<KROBaseUnknown*> out;
  if ((c->*ops.get)(&l) != S_OK) return out;
  for (int i = 0; i < l->Size(); ++i)
    out.push_back((*l)[i]);
  return out;
}

// --- the three lists ---------------------------------------------------------------------------

TEST_F(LightCapture, EachListRemovesTheLastOccurrenceAndIgnoresStrangers) {
  KROBaseUnknown a, b, stranger;
  KROITPSLightCapture* c = capture_.Get();
  for (const ListOps& ops : kLists) {
    ASSERT_EQ((c->*ops.add)(&a), S_OK) << ops.name;
    ASSERT_EQ((c->*ops.add)(&b), S_OK) << ops.name;
    ASSERT_EQ((c->*ops.add)(&a), S_OK) << ops.name;
    EXPECT_EQ((c->*ops.remove)(&stranger), S_OK) << ops.name;
    EXPECT_EQ((c->*ops.remove)(nullptr), E_FAIL) << ops.name;
    EXPECT_EQ((c->*ops.add)(nullptr), E_FAIL) << ops.name;
    EXPECT_EQ(Items(c, ops), (std::vector<KROBaseUnknown*>{&a, &b, &a})) << ops.name;
    EXPECT_EQ((c->*ops.remove)(&a), S_OK) << ops.name;
    EXPECT_EQ(Items(c, ops), (std::vector<KROBaseUnknown*>{&a, &b})) << ops.name;
  }
}

TEST_F(LightCapture, TheListsAreDistinctAndHandedOutAsTheCapturesOwn) {
  KROBaseUnknown item;
  KROITPSLightCapture* c = capture_.Get();
  list<KROBaseUnknown>* handed[3] = {};
  for (int i = 0; i < 3; ++i) {
    const ListOps& ops = kLists[i];
    ASSERT_EQ((c->*ops.get)(&handed[i]), S_OK);
    EXPECT_EQ((c->*ops.get)(nullptr), E_FAIL);
  }
  EXPECT_NE(handed[0], handed[1]);
  EXPECT_NE(handed[1], handed[2]);
  EXPECT_NE(handed[0], handed[2]);
  ASSERT_EQ(c->AddTPSView(&item), S_OK);
  EXPECT_EQ(handed[0]->Size(), 0);
  EXPECT_EQ(handed[1]->Size(), 1); // the same list object sees the change
  EXPECT_EQ(handed[2]->Size(), 0);
}

TEST_F(LightCapture, ListItemsAreNeitherCountedNorReleased) {
  auto* item = new KROBaseUnknown();
  KROITPSLightCapture* c = capture_.Get();
  for (const ListOps& ops : kLists)
    ASSERT_EQ((c->*ops.add)(item), S_OK);
  ASSERT_EQ(c->SetActiveView(item), S_OK);
  EXPECT_EQ(KRORefCount(item), 1u);
  capture_.Reset();
  EXPECT_EQ(KRORefCount(item), 1u);
  item->Release();
}

// --- active view -------------------------------------------------------------------------------

TEST_F(LightCapture, RemovingAnotherFaceOfTheActiveViewClearsIt) {
  auto* viewImpl = new KROTPSLightView();
  KROComPtr<KROITPSLightView> view;
  ASSERT_EQ(viewImpl->QueryInterface(IID_KROITPSLightView, view.Put()), S_OK);
  viewImpl->Release();
  KROComPtr<KROITPSLight> light = view.As<KROITPSLight>();
  ASSERT_TRUE(light);
  ASSERT_NE(static_cast<KROBaseUnknown*>(light.Get()), static_cast<KROBaseUnknown*>(view.Get()));

  ASSERT_EQ(capture_->AddTPSView(view.Get()), S_OK);
  ASSERT_EQ(capture_->SetActiveView(view.Get()), S_OK);
  EXPECT_EQ(capture_->RemoveTPSView(light.Get()), S_OK);
  EXPECT_EQ(ActiveView(), nullptr);
  // Removal from the list itself goes by pointer: another face is not the stored pointer.
  list<KROBaseUnknown>* views = nullptr;
  ASSERT_EQ(capture_->GetTPSViews(&views), S_OK);
  EXPECT_EQ(views->Size(), 1);
}

TEST_F(LightCapture, RemovingAnotherViewKeepsTheActiveOne) {
  auto* active = new KROTPSLightView();
  auto* other = new KROTPSLightView();
  ASSERT_EQ(capture_->AddTPSView(active), S_OK);
  ASSERT_EQ(capture_->AddTPSView(other), S_OK);
  ASSERT_EQ(capture_->SetActiveView(active), S_OK);
  EXPECT_EQ(capture_->RemoveTPSView(other), S_OK);
  EXPECT_EQ(ActiveView(), active);
  EXPECT_EQ(capture_->RemoveTPSView(nullptr), E_FAIL);
  EXPECT_EQ(ActiveView(), active);
  active->Release();
  other->Release();
}

TEST_F(LightCapture, TheActiveViewIsClearedEvenWhenItWasNeverInTheList) {
  auto* active = new KROTPSLightView();
  KROBaseUnknown listed;
  ASSERT_EQ(capture_->AddTPSView(&listed), S_OK);
  ASSERT_EQ(capture_->SetActiveView(active), S_OK);
  EXPECT_EQ(capture_->RemoveTPSView(active), S_OK);
  EXPECT_EQ(ActiveView(), nullptr);
  list<KROBaseUnknown>* views = nullptr;
  ASSERT_EQ(capture_->GetTPSViews(&views), S_OK);
  EXPECT_EQ(views->Size(), 1);
  active->Release();
}

TEST_F(LightCapture, GetActiveViewCountsForTheCallerAndFailsWithNullWhenNoneIsActive) {
  auto* view = new KROTPSLightView();
  ASSERT_EQ(capture_->SetActiveView(view), S_OK);
  EXPECT_EQ(KRORefCount(view), 1u);
  KROBaseUnknown* got = nullptr;
  ASSERT_EQ(capture_->GetActiveView(&got), S_OK);
  EXPECT_EQ(got, view);
  EXPECT_EQ(KRORefCount(view), 2u);
  got->Release();

  ASSERT_EQ(capture_->SetActiveView(nullptr), S_OK);
  got = reinterpret_cast<KROBaseUnknown*>(0x1);
  EXPECT_EQ(capture_->GetActiveView(&got), E_FAIL);
  EXPECT_EQ(got, nullptr);
  view->Release();
}

// --- part instances and bodies -------------------------------------------------------------------

struct PartOps {
  const char* name;
  HRESULT (KROITPSLightCapture::*add)(KRORawCollint*);
  HRESULT (KROITPSLightCapture::*get)(KRORawCollPV*);
};
const PartOps kParts[] = {
    {"hidden", &KROITPSLightCapture::AddHiddenPartInstAndBody,
     &KROITPSLightCapture::GetHiddenPartInstAndBody},
    {"visible", &KROITPSLightCapture::AddVisiblePartInstAndBody,
     &KROITPSLightCapture::GetVisiblePartInstAndBody},
};

// Deleting each collection exactly once is checked by the sanitizers: a double delete aborts,
// a missed one is reported as a leak.
TEST_F(LightCapture, PartInstancesAreHandedOutAsTheVeryPointersAddedInOrder) {
  KROITPSLightCapture* c = capture_.Get();
  KRORawCollint* added[2][3] = {};
  for (int p = 0; p < 2; ++p) {
    const PartOps& ops = kParts[p];
    for (int i = 0; i < 3; ++i) {
      added[p][i] = new KRORawCollint();
      added[p][i]->Append(p * 10 + i);
      ASSERT_EQ((c->*ops.add)(added[p][i]), S_OK);
    }
    EXPECT_EQ((c->*ops.add)(nullptr), E_FAIL);
  }

  for (int p = 0; p < 2; ++p) {
    const PartOps& ops = kParts[p];
    KRORawCollPV out;
    int junk = 0;
    for (int i = 0; i < 5; ++i)
      out.Append(&junk); // replaced, not appended to
    ASSERT_EQ((c->*ops.get)(&out), S_OK) << ops.name;
    ASSERT_EQ(out.Size(), 3) << ops.name;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(out[i + 1], added[p][i]) << ops.name << " " << i;
      EXPECT_EQ((*static_cast<KRORawCollint*>(out[i + 1]))[1], p * 10 + i);
    }
    EXPECT_EQ((c->*ops.get)(nullptr), E_FAIL);
  }
}

TEST_F(LightCapture, ASecondGetReplacesTheFirstsContentRatherThanAddingToIt) {
  auto* ids = new KRORawCollint();
  ASSERT_EQ(capture_->AddHiddenPartInstAndBody(ids), S_OK);
  KRORawCollPV out;
  ASSERT_EQ(capture_->GetHiddenPartInstAndBody(&out), S_OK);
  ASSERT_EQ(capture_->GetHiddenPartInstAndBody(&out), S_OK);
  ASSERT_EQ(out.Size(), 1);
  EXPECT_EQ(out[1], ids);
  KRORawCollPV visible;
  visible.Append(ids);
  ASSERT_EQ(capture_->GetVisiblePartInstAndBody(&visible), S_OK);
  EXPECT_EQ(visible.Size(), 0); // replaced by the empty visible collection
}

// --- contour rep --------------------------------------------------------------------------------

TEST_F(LightCapture, ContourRepIsOwnedThroughItsBagAndReplacingItDestroysTheOldOne) {
  const long reps = KRORep::LiveCount();
  KRORep* got = reinterpret_cast<KRORep*>(0x1);
  EXPECT_EQ(capture_->GetContourRep(&got), E_FAIL);
  EXPECT_EQ(got, nullptr);

  KRORep* a = KRONewLeafRep();
  ASSERT_EQ(capture_->SetContourRep(a), S_OK);
  ASSERT_EQ(capture_->SetContourRep(a), S_OK); // set twice: survives the first bag
  EXPECT_EQ(KRORep::LiveCount(), reps + 2);
  EXPECT_EQ(a->HolderCount(), 1);
  EXPECT_EQ(capture_->SetContourRep(nullptr), E_FAIL);
  EXPECT_EQ(capture_->GetContourRep(&got), S_OK);
  EXPECT_EQ(got, a);

  KRORep* b = KRONewLeafRep();
  ASSERT_EQ(capture_->SetContourRep(b), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2); // a and its bag gone, b and its bag in
  EXPECT_EQ(capture_->GetContourRep(&got), S_OK);
  EXPECT_EQ(got, b);
  capture_.Reset();
  EXPECT_EQ(KRORep::LiveCount(), reps);
}

TEST_F(LightCapture, ContourBagIsIndependentOfTheThreeDWrapper) {
  KROComPtr<KROITPSLight> light = capture_.As<KROITPSLight>();
  ASSERT_TRUE(light);
  KRORep* rep = KRONewLeafRep();
  ASSERT_EQ(light->SetRep(rep), S_OK);
  ASSERT_EQ(capture_->SetContourRep(rep), S_OK);
  EXPECT_EQ(rep->HolderCount(), 2);
  ASSERT_EQ(light->SetRep(KRONewLeafRep()), S_OK);
  KRORep* got = nullptr;
  EXPECT_EQ(capture_->GetContourRep(&got), S_OK);
  EXPECT_EQ(got, rep);
  EXPECT_EQ(rep->HolderCount(), 1);
}

// --- values ------------------------------------------------------------------------------------

TEST_F(LightCapture, CameraTriplesKeepTheirOwnValuesBitForBitAndRefuseNullOuts) {
  struct Camera {
    const char* name;
    HRESULT (KROITPSLightCapture::*get)(double*, double*, double*);
    HRESULT (KROITPSLightCapture::*set)(double, double, double);
  };
  const Camera triples[] = {
      {"origin", &KROITPSLightCapture::GetOrigin, &KROITPSLightCapture::SetOrigin},
      {"direction", &KROITPSLightCapture::GetDirection, &KROITPSLightCapture::SetDirection},
      {"zenith", &KROITPSLightCapture::GetZenith, &KROITPSLightCapture::SetZenith},
      {"target", &KROITPSLightCapture::GetTarget, &KROITPSLightCapture::SetTarget},
  };
  KROITPSLightCapture* c = capture_.Get();
  // Member pointers are taken out of the table before the call: GCC 12's bounds sanitizer
  // misreports `(p->*table[i].member)(...)`.
  for (int i = 0; i < int(std::size(triples)); ++i) {
    const Camera& t = triples[i];
    const KROTriple in = KROTriple::For(i);
    ASSERT_EQ((c->*t.set)(in.v[0], in.v[1], in.v[2]), S_OK);
  }
  for (int i = 0; i < int(std::size(triples)); ++i) {
    const Camera& t = triples[i];
    const KROTriple in = KROTriple::For(i);
    double out[3] = {};
    ASSERT_EQ((c->*t.get)(&out[0], &out[1], &out[2]), S_OK);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(KROBits(out[k]), KROBits(in.v[k])) << t.name << " " << k;
    for (int missing = 0; missing < 3; ++missing) {
      double kept[3] = {-1, -1, -1};
      double* p[3] = {&kept[0], &kept[1], &kept[2]};
      p[missing] = nullptr;
      EXPECT_EQ((c->*t.get)(p[0], p[1], p[2]), E_FAIL) << t.name;
      EXPECT_EQ(kept[0] + kept[1] + kept[2], -3.0) << t.name << " " << missing;
    }
  }
}

TEST_F(LightCapture, ThumbnailAndAttributesAreCopiedInAndOutIndependently) {
  _SEQUENCE_octet mine{4, 5, 6};
  ASSERT_EQ(capture_->SetThumbnailData(mine), S_OK);
  mine = _SEQUENCE_octet{};
  _SEQUENCE_octet out{1};
  ASSERT_EQ(capture_->GetThumbnailData(out), S_OK);
  EXPECT_EQ(out, (_SEQUENCE_octet{4, 5, 6}));
  out = _SEQUENCE_octet{8};
  _SEQUENCE_octet again;
  ASSERT_EQ(capture_->GetThumbnailData(again), S_OK);
  EXPECT_EQ(again, (_SEQUENCE_octet{4, 5, 6}));

  KROWChar* text = nullptr;
  ASSERT_EQ(capture_->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"");
  KROWChar attributes[] = u"D:3:";
  ASSERT_EQ(capture_->SetAttributes(attributes), S_OK);
  attributes[0] = u'X';
  EXPECT_EQ(capture_->SetAttributes(nullptr), E_FAIL);
  ASSERT_EQ(capture_->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"D:3:");
}

TEST_F(LightCapture, ANewCaptureIsNamedCaptureWithNothingActive) {
  KROComPtr<KROITPSLight> light = capture_.As<KROITPSLight>();
  ASSERT_TRUE(light);
  KROWChar* name = nullptr;
  ASSERT_EQ(light->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"Capture");
  unsigned short type = 1;
  ASSERT_EQ(light->GetType(&type), S_OK);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(ActiveView(), nullptr);
  for (const ListOps& ops : kLists)
    EXPECT_TRUE(Items(capture_.Get(), ops).empty()) << ops.name;
}

} // namespace
