// The annotation view: its borrowed annotation list and capture link, its coordinate triples,
// points, thumbnail copies and the hatch rep it owns through its hatch bag.
#include "KROTPSLightView.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightView.h"
#include "KROLightObjectTestSupport.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

class LightView : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    impl_ = new KROTPSLightView();
    ASSERT_EQ(impl_->QueryInterface(IID_KROITPSLightView, view_.Put()), S_OK);
    impl_->Release(); // the tie keeps the view alive
  }
  void TearDown() override {
    view_.Reset();
    KROTest::TearDown();
  }

  std::vector<KROBaseUnknown*> Annotations() {
    std::vector<KROBaseUnknown*> out;
    list<KROBaseUnknown>* l = view_->GetTPSList();
    for (int i = 0; l && i < l->Size(); ++i)
      out.push_back((*l)[i]);
    return out;
  }

  KROTPSLightView* impl_ = nullptr;
  KROComPtr<KROITPSLightView> view_;
};

using Coordinates = HRESULT (KROITPSLightView::*)(double*, double*, double*);
using SetCoordinates = HRESULT (KROITPSLightView::*)(double, double, double);
struct Triple {
  const char* name;
  Coordinates get;
  SetCoordinates set;
};
const Triple kTriples[] = {
    {"plane origin", &KROITPSLightView::GetPlaneOrigin, &KROITPSLightView::SetPlaneOrigin},
    {"first plane direction", &KROITPSLightView::GetFirstPlaneDirect,
     &KROITPSLightView::SetFirstPlaneDirect},
    {"second plane direction", &KROITPSLightView::GetSecondPlaneDirect,
     &KROITPSLightView::SetSecondPlaneDirect},
    {"sketch origin", &KROITPSLightView::GetSketchOrigin, &KROITPSLightView::SetSketchOrigin},
    {"sketch normal", &KROITPSLightView::GetSketchNormal, &KROITPSLightView::SetSketchNormal},
};

// --- annotation list ---------------------------------------------------------------------------

TEST_F(LightView, RemoveTPSTakesTheLastOccurrenceAndKeepsEarlierOnesInPlace) {
  KROBaseUnknown a, b;
  ASSERT_EQ(view_->AddTPS(&a), S_OK);
  ASSERT_EQ(view_->AddTPS(&b), S_OK);
  ASSERT_EQ(view_->AddTPS(&a), S_OK);
  EXPECT_EQ(view_->RemoveTPS(&a), S_OK);
  EXPECT_EQ(Annotations(), (std::vector<KROBaseUnknown*>{&a, &b}));
  EXPECT_EQ(view_->RemoveTPS(&a), S_OK);
  EXPECT_EQ(Annotations(), (std::vector<KROBaseUnknown*>{&b}));
}

TEST_F(LightView, RemovingAnAbsentOrNullAnnotationLeavesTheListAsItWas) {
  KROBaseUnknown a, stranger;
  ASSERT_EQ(view_->AddTPS(&a), S_OK);
  EXPECT_EQ(view_->RemoveTPS(&stranger), S_OK);
  EXPECT_EQ(view_->RemoveTPS(nullptr), E_FAIL);
  EXPECT_EQ(view_->AddTPS(nullptr), E_FAIL);
  EXPECT_EQ(Annotations(), (std::vector<KROBaseUnknown*>{&a}));
}

TEST_F(LightView, AnnotationsAndCaptureAreBorrowedNeitherCountedNorReleased) {
  auto* annotation = new KROBaseUnknown();
  auto* capture = new KROBaseUnknown();
  ASSERT_EQ(view_->AddTPS(annotation), S_OK);
  ASSERT_EQ(view_->AddTPS(annotation), S_OK);
  ASSERT_EQ(view_->SetCapture(capture), S_OK);
  EXPECT_EQ(KRORefCount(annotation), 1u);
  EXPECT_EQ(KRORefCount(capture), 1u);
  KROBaseUnknown* got = nullptr;
  EXPECT_EQ(view_->GetCapture(&got), S_OK);
  EXPECT_EQ(got, capture);
  EXPECT_EQ(KRORefCount(capture), 1u);

  view_.Reset(); // destroys the view; its items must survive it
  EXPECT_EQ(KRORefCount(annotation), 1u);
  EXPECT_EQ(KRORefCount(capture), 1u);
  annotation->Release();
  capture->Release();
}

TEST_F(LightView, CaptureLinkCannotBeClearedWithNull) {
  KROBaseUnknown* got = reinterpret_cast<KROBaseUnknown*>(0x1);
  EXPECT_EQ(view_->GetCapture(&got), E_FAIL);
  KROBaseUnknown capture;
  EXPECT_EQ(view_->SetCapture(nullptr), E_FAIL);
  ASSERT_EQ(view_->SetCapture(&capture), S_OK);
  EXPECT_EQ(view_->SetCapture(nullptr), E_FAIL);
  EXPECT_EQ(view_->GetCapture(&got), S_OK);
  EXPECT_EQ(got, &capture);
}

// --- coordinates and points ----------------------------------------------------------------------

TEST_F(LightView, EachCoordinateTripleKeepsItsOwnValuesBitForBit) {
  for (const Triple& t : kTriples) {
    double v[3] = {1, 1, 1};
    EXPECT_EQ((view_.Get()->*t.get)(&v[0], &v[1], &v[2]), S_OK) << t.name;
    EXPECT_EQ(v[0], 0.0) << t.name;
    EXPECT_EQ(v[1], 0.0) << t.name;
    EXPECT_EQ(v[2], 0.0) << t.name;
  }
  // Member pointers are taken out of the table before the call: GCC 12's bounds sanitizer
  // misreports `(p->*table[i].member)(...)`.
  for (int i = 0; i < int(std::size(kTriples)); ++i) {
    const Triple& t = kTriples[i];
    const KROTriple in = KROTriple::For(i);
    EXPECT_EQ((view_.Get()->*t.set)(in.v[0], in.v[1], in.v[2]), S_OK);
  }
  for (int i = 0; i < int(std::size(kTriples)); ++i) {
    const Triple& t = kTriples[i];
    const KROTriple in = KROTriple::For(i);
    double out[3] = {};
    ASSERT_EQ((view_.Get()->*t.get)(&out[0], &out[1], &out[2]), S_OK);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(KROBits(out[k]), KROBits(in.v[k])) << t.name << " entry " << k;
  }
}

TEST_F(LightView, ACoordinateGetterWithAnyNullOutWritesNothing) {
  for (const Triple& t : kTriples) {
    ASSERT_EQ((view_.Get()->*t.set)(7, 8, 9), S_OK);
    for (int missing = 0; missing < 3; ++missing) {
      double out[3] = {-1, -1, -1};
      double* p[3] = {&out[0], &out[1], &out[2]};
      p[missing] = nullptr;
      EXPECT_EQ((view_.Get()->*t.get)(p[0], p[1], p[2]), E_FAIL) << t.name << " " << missing;
      EXPECT_EQ(out[0] + out[1] + out[2], -3.0) << t.name << " " << missing;
    }
  }
}

TEST_F(LightView, PointsAreAppendedAsThreeEntriesEachInOrder) {
  const KROTriple odd = KROTriple::For(3);
  ASSERT_EQ(view_->AddPoints(1, 2, 3), S_OK);
  ASSERT_EQ(view_->AddPoints(odd.v[0], odd.v[1], odd.v[2]), S_OK);
  ASSERT_EQ(view_->AddPoints(4, 5, 6), S_OK);
  KRORawColldouble* points = view_->GetPoints();
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points, impl_->GetPoints()); // the view's own collection
  const double expected[] = {1, 2, 3, odd.v[0], odd.v[1], odd.v[2], 4, 5, 6};
  ASSERT_EQ(points->Size(), 9);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(KROBits((*points)[i + 1]), KROBits(expected[i])) << "entry " << i + 1;
}

TEST_F(LightView, ThumbnailIsCopiedInAndOutIndependently) {
  _SEQUENCE_octet mine{1, 2, 3};
  ASSERT_EQ(view_->SetThumbnailData(mine), S_OK);
  mine = _SEQUENCE_octet{9};
  _SEQUENCE_octet first{7, 7, 7, 7};
  ASSERT_EQ(view_->GetThumbnailData(first), S_OK);
  EXPECT_EQ(first, (_SEQUENCE_octet{1, 2, 3}));
  first = _SEQUENCE_octet{};
  _SEQUENCE_octet second;
  ASSERT_EQ(view_->GetThumbnailData(second), S_OK);
  EXPECT_EQ(second, (_SEQUENCE_octet{1, 2, 3}));
}

// --- hatch rep
// -------------------------------------------------------------------------------------

TEST_F(LightView, HatchRepIsOwnedThroughItsBagAndReplacingItDestroysTheOldOne) {
  const long reps = KRORep::LiveCount();
  KRORep* got = reinterpret_cast<KRORep*>(0x1);
  EXPECT_EQ(view_->GetHatchRep(&got), E_FAIL);
  EXPECT_EQ(got, nullptr);

  KRORep* a = KRONewLeafRep();
  KRORep* b = KRONewLeafRep();
  ASSERT_EQ(view_->SetHatchRep(a), S_OK);
  EXPECT_EQ(a->HolderCount(), 1);
  EXPECT_EQ(KRORep::LiveCount(), reps + 3); // a, b and the hatch bag
  ASSERT_EQ(view_->SetHatchRep(b), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2); // a went with the first bag: b and its bag remain
  EXPECT_EQ(view_->GetHatchRep(&got), S_OK);
  EXPECT_EQ(got, b);
  EXPECT_EQ(view_->SetHatchRep(nullptr), E_FAIL);
  EXPECT_EQ(view_->GetHatchRep(&got), S_OK);
  EXPECT_EQ(got, b);
  view_.Reset();
  EXPECT_EQ(KRORep::LiveCount(), reps);
}

TEST_F(LightView, SettingTheSameHatchRepAgainKeepsItAlive) {
  KRORep* a = KRONewLeafRep();
  ASSERT_EQ(view_->SetHatchRep(a), S_OK);
  const long reps = KRORep::LiveCount();
  ASSERT_EQ(view_->SetHatchRep(a), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps); // a new bag in, the old one out
  EXPECT_EQ(a->HolderCount(), 1);
  KRORep* got = nullptr;
  EXPECT_EQ(view_->GetHatchRep(&got), S_OK);
  EXPECT_EQ(got, a);
}

TEST_F(LightView, HatchRepAndThreeDRepLiveInSeparateBags) {
  KROComPtr<KROITPSLight> light = view_.As<KROITPSLight>();
  ASSERT_TRUE(light);
  KRORep* shared = KRONewLeafRep();
  ASSERT_EQ(light->SetRep(shared), S_OK);
  ASSERT_EQ(view_->SetHatchRep(shared), S_OK);
  EXPECT_EQ(shared->HolderCount(), 2);
  KRORep* other = KRONewLeafRep();
  ASSERT_EQ(view_->SetHatchRep(other), S_OK); // the hatch bag lets go; the 3D bag still holds it
  EXPECT_EQ(shared->HolderCount(), 1);
  KRORep* got = nullptr;
  EXPECT_EQ(light->GetRep(&got), S_OK);
  EXPECT_EQ(got, shared);
}

// --- identity
// --------------------------------------------------------------------------------------

TEST_F(LightView, BothFacesReachOneViewNamedView) {
  KROComPtr<KROITPSLight> light = view_.As<KROITPSLight>();
  ASSERT_TRUE(light);
  EXPECT_TRUE(KROComCmp(light.Get(), view_.Get()));
  KROWChar* name = nullptr;
  ASSERT_EQ(light->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"View");
  EXPECT_EQ(view_->GetTPSList(), impl_->GetTPSList());
  EXPECT_EQ(view_->GetTPSList()->Size(), 0);
  EXPECT_EQ(view_->GetPoints()->Size(), 0);
}

} // namespace
