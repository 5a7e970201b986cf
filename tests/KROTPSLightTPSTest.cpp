// KROTPSLightTPSTest.cpp - the annotation: its lists, basic dimensions read from the attributes,
// reference-frame and view links, super types, 2D rep ownership and order-group ownership.
#include "KROTPSLightTPS.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightView.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightTestSet.h"
#include "KROTPSLightTypeCodes.h"
#include "KROTPSLightView.h"
#include "KROTestSupport.h"

#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The three lists of borrowed annotations.

class AnnotationLists : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    tps = new KROTPSLightTPS();
  }
  void TearDown() override {
    tps->Release();
    KROTest::TearDown();
  }
  KROTPSLightTPS* tps = nullptr;
  // Stand-ins for other annotations: the lists compare pointers and never dereference their
  // entries; an argument is dereferenced only when it is not listed as given.
  KROBaseUnknown* a = reinterpret_cast<KROBaseUnknown*>(0x1000);
  KROBaseUnknown* b = reinterpret_cast<KROBaseUnknown*>(0x2000);
};

TEST_F(AnnotationLists, AssociatedRemovalTakesTheLastOccurrenceOnly) {
  list<KROBaseUnknown>* own = nullptr;
  EXPECT_EQ(tps->GetAssociatedTPS(&own), E_FAIL);
  EXPECT_EQ(tps->RemoveAssociatedTPS(a), E_FAIL);
  EXPECT_EQ(tps->AddAssociatedTPS(nullptr), E_FAIL);
  EXPECT_EQ(tps->GetAssociatedTPS(&own), E_FAIL) << "a null add must not create the list";

  for (KROBaseUnknown* p : {a, b, a, b})
    ASSERT_EQ(tps->AddAssociatedTPS(p), S_OK);
  ASSERT_EQ(tps->RemoveAssociatedTPS(a), S_OK);
  ASSERT_EQ(tps->GetAssociatedTPS(&own), S_OK);
  EXPECT_EQ(KROItems(own), (std::vector<KROBaseUnknown*>{a, b, b}));
  ASSERT_EQ(tps->RemoveAssociatedTPS(b), S_OK);
  EXPECT_EQ(KROItems(own), (std::vector<KROBaseUnknown*>{a, b}));

  // An argument that is not listed is asked for its identity, so it must be a live component.
  auto* stranger = new KROBaseUnknown();
  EXPECT_EQ(tps->RemoveAssociatedTPS(stranger), S_OK);
  stranger->Release();
  EXPECT_EQ(tps->RemoveAssociatedTPS(nullptr), E_FAIL);
  EXPECT_EQ(KROItems(own), (std::vector<KROBaseUnknown*>{a, b}));
}

TEST_F(AnnotationLists, OrderGroupRemovalTakesTheLastOccurrenceOnly) {
  EXPECT_EQ(tps->RemoveOrderGroupTPS(a), E_FAIL);
  auto* group = new list<KROBaseUnknown>;
  for (KROBaseUnknown* p : {b, a, b, a})
    group->Append(p);
  ASSERT_EQ(tps->SetOrderGroup(group), S_OK);
  ASSERT_EQ(tps->RemoveOrderGroupTPS(b), S_OK);
  list<KROBaseUnknown>* own = nullptr;
  ASSERT_EQ(tps->GetOrderGroup(&own), S_OK);
  EXPECT_EQ(own, group);
  EXPECT_EQ(KROItems(own), (std::vector<KROBaseUnknown*>{b, a, a}));
}

// ---------------------------------------------------------------------------------------------
// SetOrderGroup hands the list over; the held list goes when it is replaced.

class AnnotationOrderGroup : public KROTest {};

TEST_F(AnnotationOrderGroup, HandingBackTheHeldListKeepsIt) {
  auto* tps = new KROTPSLightTPS();
  list<KROBaseUnknown>* group = nullptr;
  EXPECT_EQ(tps->GetOrderGroup(&group), S_OK);
  EXPECT_EQ(group, nullptr);

  auto* held = new list<KROBaseUnknown>;
  held->Append(reinterpret_cast<KROBaseUnknown*>(0x10));
  ASSERT_EQ(tps->SetOrderGroup(held), S_OK);
  ASSERT_EQ(tps->SetOrderGroup(held), S_OK);
  ASSERT_EQ(tps->GetOrderGroup(&group), S_OK);
  ASSERT_EQ(group, held);
  // The list must still be alive (the sanitizer reports a freed one) and still hold its item.
  ASSERT_EQ(group->Size(), 1);
  EXPECT_EQ(tps->RemoveOrderGroupTPS(reinterpret_cast<KROBaseUnknown*>(0x10)), S_OK);
  EXPECT_EQ(group->Size(), 0);
  // Its own associated list handed over as order group is refused: it would be freed twice.
  tps->AddAssociatedTPS(reinterpret_cast<KROBaseUnknown*>(0x20));
  list<KROBaseUnknown>* associated = nullptr;
  ASSERT_EQ(tps->GetAssociatedTPS(&associated), S_OK);
  EXPECT_EQ(tps->SetOrderGroup(associated), S_OK);
  EXPECT_EQ(tps->GetOrderGroup(&group), S_OK);
  EXPECT_EQ(group, held);
  tps->Release(); // frees `held` and the associated list once each
}

TEST_F(AnnotationOrderGroup, ReplacingFreesTheOldListAndNullLeavesNone) {
  auto* tps = new KROTPSLightTPS();
  ASSERT_EQ(tps->SetOrderGroup(new list<KROBaseUnknown>), S_OK);
  auto* second = new list<KROBaseUnknown>;
  ASSERT_EQ(tps->SetOrderGroup(second), S_OK); // the leak checker fails the run if the first stays
  list<KROBaseUnknown>* group = nullptr;
  ASSERT_EQ(tps->GetOrderGroup(&group), S_OK);
  EXPECT_EQ(group, second);
  ASSERT_EQ(tps->SetOrderGroup(nullptr), S_OK);
  ASSERT_EQ(tps->GetOrderGroup(&group), S_OK);
  EXPECT_EQ(group, nullptr);
  EXPECT_EQ(tps->RemoveOrderGroupTPS(reinterpret_cast<KROBaseUnknown*>(0x10)), E_FAIL);
  tps->Release();
}

// ---------------------------------------------------------------------------------------------
// Super types at the edges of each range of the type table.

class AnnotationSuperType : public KROTest,
                            public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(AnnotationSuperType, MapsTypeCode) {
  const auto [type, expected] = GetParam();
  auto* tps = new KROTPSLightTPS();
  KROComPtr<KROITPSLightModel> model;
  ASSERT_EQ(tps->QueryInterface(IID_KROITPSLightModel, model.Put()), S_OK);
  auto light = model.As<KROITPSLight>();
  ASSERT_TRUE(light);
  ASSERT_EQ(light->SetType(static_cast<unsigned short>(type)), S_OK);
  constexpr unsigned short kUntouched = 4242;
  unsigned short super = kUntouched;
  EXPECT_EQ(model->GetSuperType(&super), S_OK);
  EXPECT_EQ(super, expected == 0 ? kUntouched : expected) << "type " << type;
  EXPECT_EQ(model->GetSuperType(nullptr), E_FAIL);
  tps->Release();
}

INSTANTIATE_TEST_SUITE_P(TableEdges, AnnotationSuperType,
                         ::testing::Values(std::pair{0, 0}, std::pair{1, 1}, std::pair{4, 1},
                                           std::pair{5, 2}, std::pair{6, 2}, std::pair{7, 7},
                                           std::pair{11, 7}, std::pair{12, 4}, std::pair{16, 4},
                                           std::pair{17, 5}, std::pair{18, 5}, std::pair{19, 6},
                                           std::pair{21, 6}, std::pair{22, 3}, std::pair{28, 3},
                                           std::pair{29, 1}, std::pair{31, 1}, std::pair{32, 2},
                                           std::pair{33, 2}, std::pair{34, 1}, std::pair{36, 1},
                                           std::pair{37, 4}, std::pair{38, 4}, std::pair{39, 0},
                                           std::pair{65535, 0}));

// The shared table (KROTPSLightTypeCodes.h) is the one the annotation answers from.
class AnnotationSuperTypeTable : public KROTest {};

TEST_F(AnnotationSuperTypeTable, AgreesWithTheAnnotationForEveryCodeUpTo64) {
  auto* tps = new KROTPSLightTPS();
  KROComPtr<KROITPSLightModel> model;
  ASSERT_EQ(tps->QueryInterface(IID_KROITPSLightModel, model.Put()), S_OK);
  auto light = model.As<KROITPSLight>();
  for (unsigned short type = 0; type <= 64; ++type) {
    ASSERT_EQ(light->SetType(type), S_OK);
    unsigned short super = KROTPSSuperTypeNone;
    EXPECT_EQ(model->GetSuperType(&super), S_OK);
    EXPECT_EQ(super, KROTPSSuperTypeOf(type)) << "type " << type;
  }
  tps->Release();
}

TEST_F(AnnotationSuperTypeTable, RangesRunInOrderFrom1To38WithoutGapOrOverlap) {
  unsigned short next = 1;
  for (const KROTPSTypeRange& range : KROTPSTypeRanges) {
    EXPECT_EQ(range.first, next);
    EXPECT_LE(range.first, range.last);
    EXPECT_NE(range.superType, KROTPSSuperTypeNone);
    next = static_cast<unsigned short>(range.last + 1);
  }
  EXPECT_EQ(next, 39);
}

TEST_F(AnnotationSuperTypeTable, NamedCodesFallInTheirFamilies) {
  const struct {
    unsigned short super;
    std::vector<unsigned short> codes;
  } families[] = {
      {KROTPSSuperTypeDimension,
       {KROTPSTypeLinearLocation, KROTPSTypeAngularLocation, KROTPSTypeOtherLocation,
        KROTPSTypeDiameter, KROTPSTypeRadius, KROTPSTypeSphericalOrToroidal, KROTPSTypeAngularSize,
        KROTPSTypeOtherSize, KROTPSTypeOtherDimension, KROTPSTypeUnknownDimension}},
      {KROTPSSuperTypeDatum,
       {KROTPSTypeDatumFeature, KROTPSTypeDatumTarget, KROTPSTypeReferenceFrame}},
      {KROTPSSuperTypeGeometricTolerance,
       {KROTPSTypeForm, KROTPSTypeOrientation, KROTPSTypeLocation, KROTPSTypeProfile,
        KROTPSTypeRunout, KROTPSTypeUnknownTolerance}},
      {KROTPSSuperTypeNote, {KROTPSTypeNote}},
      {KROTPSSuperTypeNone, {KROTPSTypeConstructedGeometry}},
  };
  for (const auto& family : families)
    for (unsigned short code : family.codes)
      EXPECT_EQ(KROTPSSuperTypeOf(code), family.super) << "type " << code;
}

// ---------------------------------------------------------------------------------------------
// An annotation in a set whose id broker knows `count` annotations.

class AnnotationInSet : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    set = new KROTestIdSet();
    for (int i = 0; i < 12; ++i)
      others.push_back(new KROTPSLightTPS());
    set->objects[KROTestIdSet::kAnnotations].assign(others.begin(), others.end());
    tps = new KROTPSLightTPS();
    tps->SetLightSet(set);
  }
  void TearDown() override {
    tps->Release();
    for (KROTPSLightTPS* other : others)
      other->Release();
    if (set) set->Release();
    KROTest::TearDown();
  }
  /// The annotations that the 1-based ids name, in order.
  std::vector<KROBaseUnknown*> Ids(std::initializer_list<int> ids) const {
    std::vector<KROBaseUnknown*> named;
    for (int id : ids)
      named.push_back(others[std::size_t(id) - 1]);
    return named;
  }
  /// Basic dimensions that a fresh annotation of the set reads from `attributes`.
  std::vector<KROBaseUnknown*> BasicDimsOf(const KROWChar* attributes, HRESULT* rc) {
    auto* fresh = new KROTPSLightTPS();
    fresh->SetLightSet(set);
    fresh->SetAttributes(attributes);
    list<KROBaseUnknown>* dims = nullptr;
    *rc = fresh->GetBasicDim(&dims);
    std::vector<KROBaseUnknown*> items = KROItems(dims);
    fresh->Release();
    return items;
  }

  KROTestIdSet* set = nullptr;
  std::vector<KROTPSLightTPS*> others;
  KROTPSLightTPS* tps = nullptr;
};

class AnnotationBasicDims : public AnnotationInSet {};

TEST_F(AnnotationBasicDims, ReadsIdsBetweenSeparatorsInTextOrder) {
  struct Case {
    const KROWChar* text;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {u"X:2:0:abc:5", {2}},
      {u"D:3:7:", {3, 7}},
      {u"RF:3::7:", {3, 7}},
      {u"RF:3:7", {3}},
      {u"A:0:x:12:", {12}},
      {u"A:5", {}},
      {u"D:7:3:7:", {7, 3, 7}},
      {u"X::::", {}},
      {u"X: 4:+6:2x:", {4, 6, 2}},
      {u"X:13:-1:99:0:1:", {1}},
      {u"X:1", {}},
      {u"X:", {}},
      {u"header with : one", {}},
      {u"X:12:11:", {12, 11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    HRESULT rc = E_FAIL;
    std::vector<KROBaseUnknown*> named;
    for (int id : c.ids)
      named.push_back(others[std::size_t(id) - 1]);
    EXPECT_EQ(BasicDimsOf(c.text, &rc), named);
    EXPECT_EQ(rc, S_OK);
  }
}

TEST_F(AnnotationBasicDims, NumbersBeyondThirtyTwoBitsAreSkippedNotWrapped) {
  HRESULT rc = E_FAIL;
  // 4294967297 and 4294967298 wrap to 1 and 2 in 32 bits; neither may name an annotation.
  EXPECT_EQ(BasicDimsOf(u"H:4294967297:4294967298:2147483648:-2147483649:"
                        u"99999999999999999999999999:3:",
                        &rc),
            Ids({3}));
  EXPECT_EQ(rc, S_OK);
  EXPECT_EQ(BasicDimsOf(u"H:2147483647:-2147483648:", &rc), Ids({}));
  EXPECT_EQ(rc, S_OK);
}

TEST_F(AnnotationBasicDims, TextWithoutASeparatorAfterTheFirstCharacterBuildsNothing) {
  for (const KROWChar* text : {u"", u"abc", u"123", u":4:", u":", u"::::", u":D:3:"}) {
    auto* fresh = new KROTPSLightTPS();
    fresh->SetLightSet(set);
    fresh->SetAttributes(text);
    list<KROBaseUnknown>* dims = nullptr;
    EXPECT_EQ(fresh->GetBasicDim(&dims), E_FAIL);
    EXPECT_EQ(dims, nullptr);
    EXPECT_EQ(fresh->RemoveBasicDim(others[0]), E_FAIL) << "no list may have been built";
    // The parse runs again once the text has a separator.
    fresh->SetAttributes(u"D:2:");
    ASSERT_EQ(fresh->GetBasicDim(&dims), S_OK);
    EXPECT_EQ(KROItems(dims), Ids({2}));
    fresh->Release();
  }
  EXPECT_EQ(set->lookups, 7) << "the failed parses must not have asked the broker";
}

TEST_F(AnnotationBasicDims, BuiltOnceThenCachedAcrossAttributeChanges) {
  KROComPtr<KROITPSLightModel> model;
  ASSERT_EQ(tps->QueryInterface(IID_KROITPSLightModel, model.Put()), S_OK);
  ASSERT_EQ(model->SetAttributes(u"A:5"), S_OK);
  list<KROBaseUnknown>* first = nullptr;
  ASSERT_EQ(model->GetBasicDim(&first), S_OK);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Size(), 0);

  ASSERT_EQ(model->SetAttributes(u"A:5:"), S_OK);
  list<KROBaseUnknown>* second = nullptr;
  ASSERT_EQ(model->GetBasicDim(&second), S_OK);
  EXPECT_EQ(second, first);
  EXPECT_EQ(second->Size(), 0);
  EXPECT_EQ(model->GetBasicDim(nullptr), E_FAIL);
}

TEST_F(AnnotationBasicDims, ListBorrowsAndRemovalTakesTheLastOccurrence) {
  const ULONG before = KRORefCount(others[2]);
  ASSERT_EQ(tps->SetAttributes(u"D:3:4:3:"), S_OK);
  list<KROBaseUnknown>* dims = nullptr;
  ASSERT_EQ(tps->GetBasicDim(&dims), S_OK);
  EXPECT_EQ(KRORefCount(others[2]), before);
  ASSERT_EQ(tps->RemoveBasicDim(others[2]), S_OK);
  EXPECT_EQ(KROItems(dims), Ids({3, 4}));
  EXPECT_EQ(tps->RemoveBasicDim(others[8]), S_OK);
  EXPECT_EQ(tps->RemoveBasicDim(nullptr), E_FAIL);
  EXPECT_EQ(KROItems(dims), Ids({3, 4}));
}

TEST_F(AnnotationBasicDims, NoReachableBrokerFailsOnceThenGivesTheEmptyList) {
  auto* orphan = new KROTPSLightTPS();
  auto* noBroker = new KROTPSLightTPS();
  auto* setGone = new KROTPSLightTPS();
  set->offersBroker = false;
  noBroker->SetLightSet(set);
  auto* doomed = new KROTestIdSet();
  doomed->objects[KROTestIdSet::kAnnotations].assign(others.begin(), others.end());
  setGone->SetLightSet(doomed);
  doomed->Release();

  for (KROTPSLightTPS* t : {orphan, noBroker, setGone}) {
    ASSERT_EQ(t->SetAttributes(u"D:3:"), S_OK);
    list<KROBaseUnknown>* dims = nullptr;
    EXPECT_EQ(t->GetBasicDim(&dims), E_FAIL);
    EXPECT_EQ(dims, nullptr);
    ASSERT_EQ(t->GetBasicDim(&dims), S_OK);
    ASSERT_NE(dims, nullptr);
    EXPECT_EQ(dims->Size(), 0);
  }
  // Reaching a broker later does not rebuild the cached list.
  set->offersBroker = true;
  orphan->SetLightSet(set);
  list<KROBaseUnknown>* dims = nullptr;
  ASSERT_EQ(orphan->GetBasicDim(&dims), S_OK);
  EXPECT_EQ(dims->Size(), 0);
  EXPECT_EQ(orphan->RemoveBasicDim(others[2]), S_OK);

  for (KROTPSLightTPS* t : {orphan, noBroker, setGone})
    t->Release();
}

// ---------------------------------------------------------------------------------------------
// The reference frame is the one at the link id's position in the set's frame list.

class AnnotationReferenceFrame : public AnnotationInSet {
protected:
  void SetUp() override {
    AnnotationInSet::SetUp();
    for (int i = 0; i < 3; ++i)
      frames.push_back(new KROTPSLightRefFrame());
    set->objects[KROTestIdSet::kRefFrames].assign(frames.begin(), frames.end());
  }
  void TearDown() override {
    for (KROTPSLightRefFrame* frame : frames)
      frame->Release();
    AnnotationInSet::TearDown();
  }
  std::vector<KROTPSLightRefFrame*> frames;
};

TEST_F(AnnotationReferenceFrame, ResolvesThePositionCountedForTheCaller) {
  ASSERT_EQ(tps->SetRefFrameLinkID(2), S_OK);
  const ULONG before = KRORefCount(frames[1]);
  KROBaseUnknown* frame = nullptr;
  ASSERT_EQ(tps->GetReferenceFrame(&frame), S_OK);
  EXPECT_EQ(frame, frames[1]);
  EXPECT_EQ(KRORefCount(frames[1]), before + 1);
  frame->Release();
  EXPECT_EQ(tps->GetReferenceFrame(nullptr), E_FAIL);
}

TEST_F(AnnotationReferenceFrame, FollowsThePositionWhenEarlierFramesLeave) {
  ASSERT_EQ(tps->SetRefFrameLinkID(2), S_OK);
  auto& listed = set->objects[KROTestIdSet::kRefFrames];
  listed.erase(listed.begin()); // frames[1] is now at 1, frames[2] at 2
  KROBaseUnknown* frame = nullptr;
  ASSERT_EQ(tps->GetReferenceFrame(&frame), S_OK);
  EXPECT_EQ(frame, frames[2]);
  frame->Release();

  // The frame the link id used to name no longer matches; the one it names now does.
  ASSERT_EQ(tps->RemoveReferenceFrame(frames[1]), S_OK);
  int link = -1;
  ASSERT_EQ(tps->GetRefFrameLinkID(&link), S_OK);
  EXPECT_EQ(link, 2);
  KROComPtr<KROITPSLight> thirdFace;
  ASSERT_EQ(frames[2]->QueryInterface(IID_KROITPSLight, thirdFace.Put()), S_OK);
  ASSERT_EQ(tps->RemoveReferenceFrame(thirdFace.Get()), S_OK) << "matched by component, not face";
  ASSERT_EQ(tps->GetRefFrameLinkID(&link), S_OK);
  EXPECT_EQ(link, 0);
  frame = nullptr;
  EXPECT_EQ(tps->GetReferenceFrame(&frame), E_FAIL);
  EXPECT_EQ(frame, nullptr);
}

TEST_F(AnnotationReferenceFrame, UnresolvableLinksFailAndRemovalKeepsTheLink) {
  auto* orphan = new KROTPSLightTPS();
  ASSERT_EQ(orphan->SetRefFrameLinkID(1), S_OK);
  struct Case {
    KROTPSLightTPS* annotation;
    int link;
    bool broker;
  };
  for (const Case& c : {Case{tps, 0, true}, Case{tps, 4, true}, Case{tps, -1, true},
                        Case{tps, 1, false}, Case{orphan, 1, true}}) {
    set->offersBroker = c.broker;
    ASSERT_EQ(c.annotation->SetRefFrameLinkID(c.link), S_OK);
    KROBaseUnknown* frame = nullptr;
    EXPECT_EQ(c.annotation->GetReferenceFrame(&frame), E_FAIL) << c.link;
    EXPECT_EQ(frame, nullptr);
    for (KROTPSLightRefFrame* f : frames)
      EXPECT_EQ(c.annotation->RemoveReferenceFrame(f), S_OK);
    EXPECT_EQ(c.annotation->RemoveReferenceFrame(nullptr), E_FAIL);
    int link = 12345;
    c.annotation->GetRefFrameLinkID(&link);
    EXPECT_EQ(link, c.link);
  }
  orphan->Release();
}

// ---------------------------------------------------------------------------------------------
// The view link is weak and compares components.

class AnnotationViewLink : public KROTest {
protected:
  static KROComPtr<KROITPSLightView> NewView() {
    auto* view = new KROTPSLightView();
    KROComPtr<KROITPSLightView> itf;
    view->QueryInterface(IID_KROITPSLightView, itf.Put());
    view->Release();
    return itf;
  }
};

TEST_F(AnnotationViewLink, GivesTheViewCountedWhileItLivesAndNothingAfter) {
  auto* tps = new KROTPSLightTPS();
  KROITPSLightView* out = nullptr;
  EXPECT_EQ(tps->GetLightView(&out), E_FAIL);
  {
    KROComPtr<KROITPSLightView> view = NewView();
    ASSERT_TRUE(view);
    ASSERT_EQ(tps->SetLightView(view.Get()), S_OK);
    ASSERT_EQ(tps->GetLightView(&out), S_OK);
    EXPECT_TRUE(KROComCmp(out, view.Get()));
    out->Release();
    out = nullptr;
    // view goes: the annotation's link must not have kept it
  }
  EXPECT_EQ(tps->GetLightView(&out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(tps->RemoveView(tps), E_FAIL);
  tps->Release();
}

TEST_F(AnnotationViewLink, RemoveViewClearsOnlyTheLinkedView) {
  auto* tps = new KROTPSLightTPS();
  KROComPtr<KROITPSLightView> linked = NewView();
  KROComPtr<KROITPSLightView> other = NewView();
  EXPECT_EQ(tps->RemoveView(linked.Get()), E_FAIL) << "no link yet";
  ASSERT_EQ(tps->SetLightView(linked.Get()), S_OK);
  EXPECT_EQ(tps->SetLightView(nullptr), E_FAIL);
  EXPECT_EQ(tps->RemoveView(nullptr), E_FAIL);

  EXPECT_EQ(tps->RemoveView(other.Get()), S_OK);
  KROComPtr<KROITPSLightView> still;
  ASSERT_EQ(tps->GetLightView(still.PutTyped()), S_OK);
  EXPECT_TRUE(KROComCmp(still.Get(), linked.Get()));

  auto linkedLight = linked.As<KROITPSLight>(); // another face of the same view
  ASSERT_EQ(tps->RemoveView(linkedLight.Get()), S_OK);
  EXPECT_EQ(tps->GetLightView(still.PutTyped()), E_FAIL);
  tps->Release();
}

// ---------------------------------------------------------------------------------------------
// The 2D rep is owned through the annotation's 2D wrapper bag.

class Annotation2DRep : public KROTest {
protected:
  static KRO2DCustomRep* NewRep(const char* label) {
    auto* rep = new (nullptr, nullptr, 0) KRO2DCustomRep();
    if (rep) rep->SetLabel(label);
    return rep;
  }
};

TEST_F(Annotation2DRep, SettingTheSameRepAgainKeepsItAlive) {
  auto* tps = new KROTPSLightTPS();
  KRO2DRep* out = reinterpret_cast<KRO2DRep*>(0x1);
  EXPECT_EQ(tps->Get2DRep(&out), E_FAIL);
  EXPECT_EQ(out, nullptr);

  const long reps = KRORep::LiveCount();
  KRO2DCustomRep* rep = NewRep("same");
  ASSERT_EQ(tps->Set2DRep(rep), S_OK);
  ASSERT_EQ(tps->Set2DRep(rep), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2) << "one rep and one bag";
  EXPECT_EQ(rep->HolderCount(), 1);
  EXPECT_EQ(rep->GetLabel(), "same");
  ASSERT_EQ(tps->Get2DRep(&out), S_OK);
  EXPECT_EQ(out, rep);
  tps->Release(); // destroys bag and rep
}

TEST_F(Annotation2DRep, ReplacingDestroysThePreviousBagAndRep) {
  auto* tps = new KROTPSLightTPS();
  const long reps = KRORep::LiveCount();
  ASSERT_EQ(tps->Set2DRep(NewRep("first")), S_OK);
  KRO2DCustomRep* second = NewRep("second");
  ASSERT_EQ(tps->Set2DRep(second), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2);
  EXPECT_EQ(second->HolderCount(), 1);

  EXPECT_EQ(tps->Set2DRep(nullptr), E_FAIL);
  KRO2DRep* out = nullptr;
  ASSERT_EQ(tps->Get2DRep(&out), S_OK);
  EXPECT_EQ(out, second);
  EXPECT_EQ(tps->Get2DRep(nullptr), E_FAIL);

  // The 3D rep has its own bag.
  auto* rep3D = new (nullptr, nullptr, 0) KRORep();
  ASSERT_EQ(tps->SetRep(rep3D), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 4);
  tps->Release();
}

// ---------------------------------------------------------------------------------------------

class AnnotationInterfaces : public KROTest {};

TEST_F(AnnotationInterfaces, ModelAndLightFacesReachOneAnnotation) {
  auto* tps = new KROTPSLightTPS();
  KROComPtr<KROITPSLightModel> model;
  ASSERT_EQ(tps->QueryInterface(IID_KROITPSLightModel, model.Put()), S_OK);
  tps->Release(); // the interface keeps it alive
  auto light = model.As<KROITPSLight>();
  ASSERT_TRUE(light);
  EXPECT_FALSE(model.As<KROITPSLightView>());
  EXPECT_TRUE(KROComCmp(light.Get(), model.Get()));
  EXPECT_STREQ(model->GetImpl()->IsA(), "KROTPSLightTPS");

  EXPECT_EQ(KROTakeText([&] {
              KROWChar* name = nullptr;
              light->GetName(&name);
              return name;
            }()),
            u"TPSBase");
  KROTPSLightBehaviorType behavior{};
  ASSERT_EQ(model->GetBehaviorType(&behavior), S_OK);
  EXPECT_EQ(behavior, KROTPSLightBehaviorUnset);

  KRORawCollint* ids = nullptr;
  EXPECT_EQ(model->GetTTRSLinkIds(&ids), E_FAIL);
  for (int id : {5, 5, 2})
    ASSERT_EQ(model->AddTTRSLinkID(id), S_OK);
  ASSERT_EQ(model->GetTTRSLinkIds(&ids), S_OK);
  EXPECT_EQ(KROValues(ids), (std::vector<int>{5, 5, 2}));
  delete ids;
  ASSERT_EQ(model->GetTTRSLinkIds(&ids), S_OK);
  EXPECT_EQ(KROValues(ids), (std::vector<int>{5, 5, 2})) << "the caller's copy was its own";
  delete ids;

  ASSERT_EQ(model->SetAttributes(u"D:1:"), S_OK);
  EXPECT_EQ(model->SetAttributes(nullptr), E_FAIL);
  KROWChar* text = nullptr;
  ASSERT_EQ(model->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"D:1:");
}

} // namespace
