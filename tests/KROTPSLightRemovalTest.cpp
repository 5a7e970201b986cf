// The set's removals: each cascade reaches every object that may name the leaving one, the set's
// own list releases only an entry it held, and bad input changes nothing.
#include "KROModelTestSupport.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTPS.h"

#include <gtest/gtest.h>

namespace removal_test {
struct CacheOf : KROTPSLightSetExt {
  static KROSysSimpleHashTable* Table(KROBaseUnknown* ext) {
    return (static_cast<KROTPSLightSetExt*>(ext)->*(&CacheOf::tagQuery_)).Table();
  }
};

/// An annotation of a derived class: the removals must still ask it, lists or not.
class WatchingTPS : public KROTPSLightTPS {
public:
  HRESULT RemoveAssociatedTPS(KROBaseUnknown* tps) override {
    ++asked;
    return KROTPSLightTPS::RemoveAssociatedTPS(tps);
  }
  int asked = 0;
};
} // namespace removal_test

namespace {
using namespace removal_test;
using Items = std::vector<KROBaseUnknown*>;
using Removal = KROModelTest;
using K = KROKind;

template <class Itf>
Items ListOf(KROBaseUnknown* obj, HRESULT (Itf::*get)(list<KROBaseUnknown>**)) {
  list<KROBaseUnknown>* l = nullptr;
  (KROAs<Itf>(obj).Get()->*get)(&l);
  return KROItems(l);
}
Items Listed(KROBaseUnknown* view) { return KROItems(KROAs<KROITPSLightView>(view)->GetTPSList()); }

TEST_F(Removal, AnAnnotationLeavesEveryListThatNamesItExceptOtherViews) {
  KROBaseUnknown* a = Make(K::Annotation); // id 1
  KROBaseUnknown *b = Make(K::Annotation), *own = Make(K::View), *other = Make(K::View);
  KROBaseUnknown *frame = Make(K::RefFrame), *capture = Make(K::Capture);
  KROComPtr<KROITPSLightModel> am = KROAs<KROITPSLightModel>(a); // keeps `a` observable
  auto bm = KROAs<KROITPSLightModel>(b);
  auto fm = KROAs<KROITPSLightRefFrame>(frame);
  am->SetLightView(KROAs<KROITPSLightView>(own).Get());
  KROAs<KROITPSLightView>(own)->AddTPS(a);
  KROAs<KROITPSLightView>(other)->AddTPS(a);
  KROAs<KROITPSLightCapture>(capture)->AddTPS(a);
  am->AddAssociatedTPS(a);
  bm->AddAssociatedTPS(a);
  auto* group = new list<KROBaseUnknown>;
  group->Append(a);
  bm->SetOrderGroup(group);
  list<KROBaseUnknown>* dims = nullptr;
  bm->SetAttributes(u"B:1:");
  ASSERT_EQ(bm->GetBasicDim(&dims), S_OK);
  fm->AddDatumSimple(a);
  fm->SetAttributes(u"RF:1:");
  ASSERT_EQ(fm->GetBasicDim(&dims), S_OK);
  ASSERT_EQ(KROItems(dims), Items{a});
  KROSysSimpleHashTable* cache = CacheOf::Table(set_->GetImpl());
  KROTPSAnnotationsHashTable::Insert(cache, 30, set_->GetTPSList());

  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  EXPECT_EQ(KROItems(set_->GetTPSList()), Items{b});
  for (auto get : {&KROITPSLightModel::GetAssociatedTPS, &KROITPSLightModel::GetOrderGroup,
                   &KROITPSLightModel::GetBasicDim})
    EXPECT_EQ(ListOf(b, get), Items{});
  EXPECT_EQ(ListOf(a, &KROITPSLightModel::GetAssociatedTPS), Items{}) << "it is asked too";
  EXPECT_EQ(ListOf(frame, &KROITPSLightRefFrame::GetAllDatumsSimple), Items{});
  EXPECT_EQ(ListOf(frame, &KROITPSLightRefFrame::GetBasicDim), Items{});
  EXPECT_EQ(ListOf(capture, &KROITPSLightCapture::GetTPSs), Items{});
  EXPECT_EQ(Listed(own), Items{});
  EXPECT_EQ(Listed(other), Items{a}) << "not its own view";
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(cache, 30), nullptr) << "cached answers named it";
  EXPECT_EQ(KRORefCount(a), 1u) << "the set's reference went, the host's stays";
}

TEST_F(Removal, OnlyAnEntryOfItsOwnListIsTakenOutAndReleased) {
  KROComPtr<KROITPSLightSet> otherSet;
  ASSERT_EQ(factory_->CreateLightSet(otherSet.PutTyped(), nullptr), S_OK);
  KROBaseUnknown* stranger = Make(K::Annotation, otherSet.Get());
  KROBaseUnknown *a = Make(K::Annotation), *b = Make(K::Annotation), *view = Make(K::View);
  KROBaseUnknown* capture = Make(K::Capture);
  auto cm = KROAs<KROITPSLightCapture>(capture);
  cm->AddTPS(stranger);
  cm->AddTPSView(view);
  cm->SetActiveView(view);
  KROSysSimpleHashTable* cache = CacheOf::Table(set_->GetImpl());
  KROTPSAnnotationsHashTable::Insert(cache, 30, set_->GetTPSList());

  // Not in the set: the passes run, nothing is released.
  ASSERT_EQ(set_->RemoveTPS(stranger), S_OK);
  EXPECT_EQ(ListOf(capture, &KROITPSLightCapture::GetTPSs), Items{});
  EXPECT_EQ(KROItems(otherSet->GetTPSList()), Items{stranger});
  EXPECT_EQ(KRORefCount(stranger), 1u);
  // The wrong kind: every other removal leaves the view where it was.
  for (auto remove :
       {&KROITPSLightSet::RemoveTPS, &KROITPSLightSet::RemoveTTRS, &KROITPSLightSet::RemoveRefFrame,
        &KROITPSLightSet::RemoveCapture, &KROITPSLightSet::RemoveCG})
    EXPECT_EQ((set_.Get()->*remove)(view), S_OK);
  EXPECT_EQ(KRORefCount(view), 1u);
  EXPECT_EQ(List(&KROITPSLightSet::GetViewList), Items{view});
  EXPECT_EQ(ListOf(capture, &KROITPSLightCapture::GetTPSViews), Items{view});
  EXPECT_NE(KROTPSAnnotationsHashTable::Find(cache, 30), nullptr) << "no annotation left";

  // Listed twice: one removal takes out the later entry and one reference; every holder entry
  // is asked, so `b`'s two occurrences of `a` go.
  a->AddRef();
  set_->AddTPS(a);
  b->AddRef();
  set_->AddTPS(b);
  KROAs<KROITPSLightModel>(b)->AddAssociatedTPS(a);
  KROAs<KROITPSLightModel>(b)->AddAssociatedTPS(a);
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  EXPECT_EQ(KROItems(set_->GetTPSList()), (Items{a, b, b}));
  EXPECT_EQ(KRORefCount(a), 1u);
  EXPECT_EQ(ListOf(b, &KROITPSLightModel::GetAssociatedTPS), Items{});
  const long live = KROBaseUnknown::LiveCount();
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  EXPECT_EQ(KROBaseUnknown::LiveCount(), live - 1);
  EXPECT_EQ(KROItems(set_->GetTPSList()), (Items{b, b}));
}

TEST_F(Removal, AViewLeavesAnnotationLinksCaptureListsAndEveryActiveView) {
  KROBaseUnknown *view = Make(K::View), *kept = Make(K::View);
  KROBaseUnknown *a = Make(K::Annotation), *b = Make(K::Annotation);
  KROBaseUnknown *c1 = Make(K::Capture), *c2 = Make(K::Capture);
  KROComPtr<KROITPSLightView> vi = KROAs<KROITPSLightView>(view); // outlives the removal
  KROAs<KROITPSLightModel>(a)->SetLightView(vi.Get());
  KROAs<KROITPSLightModel>(b)->SetLightView(KROAs<KROITPSLightView>(kept).Get());
  KROAs<KROITPSLightCapture>(c1)->SetActiveView(view); // never added to c1's list
  auto c2m = KROAs<KROITPSLightCapture>(c2);
  for (KROBaseUnknown* v : {view, kept, view})
    c2m->AddTPSView(v);
  c2m->SetActiveView(kept);

  ASSERT_EQ(set_->RemoveView(vi.Get()), S_OK) << "any face of the view names it";
  EXPECT_EQ(List(&KROITPSLightSet::GetViewList), Items{kept});
  KROComPtr<KROITPSLightView> linked;
  EXPECT_EQ(KROAs<KROITPSLightModel>(a)->GetLightView(linked.PutTyped()), E_FAIL);
  ASSERT_EQ(KROAs<KROITPSLightModel>(b)->GetLightView(linked.PutTyped()), S_OK);
  EXPECT_EQ(KROBaseOf(linked.Get()), kept);
  KROBaseUnknown* active = nullptr;
  EXPECT_EQ(KROAs<KROITPSLightCapture>(c1)->GetActiveView(&active), E_FAIL);
  ASSERT_EQ(c2m->GetActiveView(&active), S_OK);
  EXPECT_EQ(active, kept);
  active->Release();
  EXPECT_EQ(ListOf(c2, &KROITPSLightCapture::GetTPSViews), Items{kept})
      << "no occurrence is left to dangle once the view is gone";
}

TEST_F(Removal, AGeometryLeavesEveryCaptureAndAFrameItsAnnotationsLinks) {
  KROBaseUnknown *cg = Make(K::CG), *c1 = Make(K::Capture), *c2 = Make(K::Capture);
  KROAs<KROITPSLightCapture>(c1)->AddTPSCG(cg);
  for (int i = 0; i < 2; ++i)
    KROAs<KROITPSLightCapture>(c2)->AddTPSCG(cg);
  ASSERT_EQ(set_->RemoveCG(cg), S_OK);
  EXPECT_EQ(ListOf(c1, &KROITPSLightCapture::GetTPSCGs), Items{});
  EXPECT_EQ(ListOf(c2, &KROITPSLightCapture::GetTPSCGs), Items{});
  EXPECT_EQ(List(&KROITPSLightSet::GetCGList), Items{});

  // Frames: the link to the leaving frame is cleared; other link ids are kept as numbers, so
  // after the ids shift down they name the next frame.
  KROBaseUnknown *f1 = Make(K::RefFrame), *f2 = Make(K::RefFrame), *f3 = Make(K::RefFrame);
  auto a = KROAs<KROITPSLightModel>(Make(K::Annotation));
  auto b = KROAs<KROITPSLightModel>(Make(K::Annotation));
  auto ttrs = Make(K::TTRS);
  a->SetRefFrameLinkID(1);
  b->SetRefFrameLinkID(2);
  b->AddTTRSLinkID(4);
  ASSERT_EQ(set_->RemoveRefFrame(f1), S_OK);
  int id = -2;
  a->GetRefFrameLinkID(&id);
  EXPECT_EQ(id, 0);
  b->GetRefFrameLinkID(&id);
  EXPECT_EQ(id, 2);
  KROBaseUnknown* frame = nullptr;
  ASSERT_EQ(b->GetReferenceFrame(&frame), S_OK);
  EXPECT_EQ(frame, f3);
  frame->Release();
  auto broker = set_.As<KROITPSIdBroker>();
  for (int expected : {0, 1}) {
    broker->GetIdForObject(expected ? f3 : f2, 4, &id);
    EXPECT_EQ(id, expected);
  }
  // A TTRS and a capture leave only their own list.
  ASSERT_EQ(set_->RemoveTTRS(ttrs), S_OK);
  ASSERT_EQ(set_->RemoveCapture(c1), S_OK);
  KRORawCollint* ids = nullptr;
  ASSERT_EQ(b->GetTTRSLinkIds(&ids), S_OK);
  EXPECT_EQ(ids->Size(), 1);
  delete ids;
  EXPECT_EQ(List(&KROITPSLightSet::GetCaptureList), Items{c2});
}

TEST_F(Removal, NullOrAbsentListFailsFirstAndReleasesNothing) {
  using Remove = HRESULT (KROITPSLightSet::*)(KROBaseUnknown*);
  const Remove removals[] = {&KROITPSLightSet::RemoveTTRS,    &KROITPSLightSet::RemoveRefFrame,
                             &KROITPSLightSet::RemoveCapture, &KROITPSLightSet::RemoveCG,
                             &KROITPSLightSet::RemoveTPS,     &KROITPSLightSet::RemoveView};
  KROBaseUnknown* a = Make(K::Annotation);
  for (Remove remove : removals)
    EXPECT_EQ((set_.Get()->*remove)(nullptr), E_FAIL);
  a->AddRef();
  set_->RemoveAllChildren();
  for (Remove remove : removals)
    EXPECT_EQ((set_.Get()->*remove)(a), E_FAIL);
  EXPECT_EQ(KRORefCount(a), 1u);
  a->Release();
}

TEST_F(Removal, AnnotationsOfADerivedClassAreAskedEvenWithoutLists) {
  auto* watching = new WatchingTPS();
  set_->AddTPS(watching);
  KROBaseUnknown* a = Make(K::Annotation);
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  EXPECT_EQ(watching->asked, 1);
}

} // namespace
