// KROTPSLightRefFrameTest.cpp - the reference frame: datums, link ids, its fixed super type and the
// basic dimensions read from its attributes through the set's id broker.
#include "KROTPSLightRefFrame.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTestSet.h"
#include "KROTPSLightTypeCodes.h"
#include "KROTestSupport.h"

#include <vector>

namespace {

KROComPtr<KROITPSLightRefFrame> NewFrame() {
  auto* frame = new KROTPSLightRefFrame();
  KROComPtr<KROITPSLightRefFrame> itf;
  frame->QueryInterface(IID_KROITPSLightRefFrame, itf.Put());
  frame->Release();
  return itf;
}

// ---------------------------------------------------------------------------------------------

class RefFrameDatums : public KROTest {};

TEST_F(RefFrameDatums, RemovalTakesTheLaterDuplicateFirst) {
  KROComPtr<KROITPSLightRefFrame> frame = NewFrame();
  ASSERT_TRUE(frame);
  auto* a = reinterpret_cast<KROBaseUnknown*>(0x100);
  auto* b = reinterpret_cast<KROBaseUnknown*>(0x200);
  list<KROBaseUnknown>* datums = nullptr;
  ASSERT_EQ(frame->GetAllDatumsSimple(&datums), S_OK);
  EXPECT_EQ(datums->Size(), 0);
  for (KROBaseUnknown* d : {a, b, a})
    ASSERT_EQ(frame->AddDatumSimple(d), S_OK);
  EXPECT_EQ(frame->AddDatumSimple(nullptr), E_FAIL);

  ASSERT_EQ(frame->RemoveDatumSimple(a), S_OK);
  EXPECT_EQ(KROItems(datums), (std::vector<KROBaseUnknown*>{a, b}));
  // An argument that is not listed is asked for its identity, so it must be a live component.
  auto* stranger = new KROBaseUnknown();
  ASSERT_EQ(frame->RemoveDatumSimple(stranger), S_OK);
  stranger->Release();
  EXPECT_EQ(frame->RemoveDatumSimple(nullptr), E_FAIL);
  EXPECT_EQ(KROItems(datums), (std::vector<KROBaseUnknown*>{a, b}));
  ASSERT_EQ(frame->RemoveDatumSimple(a), S_OK);
  EXPECT_EQ(KROItems(datums), (std::vector<KROBaseUnknown*>{b}));
  EXPECT_EQ(frame->GetAllDatumsSimple(nullptr), E_FAIL);
}

TEST_F(RefFrameDatums, DatumsAndLinkIdsAreNotCounted) {
  auto* datum = new KROTPSLightTPS();
  KROComPtr<KROITPSLightRefFrame> frame = NewFrame();
  ASSERT_EQ(frame->AddDatumSimple(datum), S_OK);
  ASSERT_EQ(frame->AddDatumSimple(datum), S_OK);
  ASSERT_EQ(frame->RemoveDatumSimple(datum), S_OK);
  EXPECT_EQ(datum->Release(), 0u) << "the frame counted its datum";

  KRORawCollint* ids = nullptr;
  EXPECT_EQ(frame->GetTTRSLinkIds(&ids), E_FAIL);
  EXPECT_EQ(ids, nullptr);
  ASSERT_EQ(frame->AddTTRSLinkID(7), S_OK);
  ASSERT_EQ(frame->AddTTRSLinkID(7), S_OK);
  KRORawCollint* first = nullptr;
  KRORawCollint* second = nullptr;
  ASSERT_EQ(frame->GetTTRSLinkIds(&first), S_OK);
  ASSERT_EQ(frame->GetTTRSLinkIds(&second), S_OK);
  ASSERT_NE(first, second);
  first->Append(9);
  EXPECT_EQ(second->Size(), 2) << "the copies share storage";
  delete first;
  delete second;
  EXPECT_EQ(frame->GetTTRSLinkIds(nullptr), E_FAIL);
}

// ---------------------------------------------------------------------------------------------

class RefFrameIdentity : public KROTest {};

TEST_F(RefFrameIdentity, SuperTypeStaysTwoWhateverTheType) {
  KROComPtr<KROITPSLightRefFrame> frame = NewFrame();
  auto light = frame.As<KROITPSLight>();
  ASSERT_TRUE(light);
  unsigned short type = 0;
  ASSERT_EQ(light->GetType(&type), S_OK);
  EXPECT_EQ(type, KROTPSTypeReferenceFrame);
  EXPECT_EQ(KROTakeText([&] {
              KROWChar* name = nullptr;
              light->GetName(&name);
              return name;
            }()),
            u"Reference Frame");
  for (unsigned short t : {0, 1, 12, 32, 65535}) {
    light->SetType(t);
    unsigned short super = 0;
    ASSERT_EQ(frame->GetSuperType(&super), S_OK);
    EXPECT_EQ(super, KROTPSSuperTypeDatum) << t;
  }
  EXPECT_EQ(frame->GetSuperType(nullptr), E_FAIL);

  ASSERT_EQ(frame->SetAttributes(u"RF:1:"), S_OK);
  EXPECT_EQ(frame->SetAttributes(nullptr), E_FAIL);
  KROWChar* text = nullptr;
  ASSERT_EQ(frame->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"RF:1:");
}

// ---------------------------------------------------------------------------------------------
// Basic dimensions named by the attributes, resolved against a set whose broker knows
// twelve annotations.

class RefFrameBasicDims : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    set = new KROTestIdSet();
    for (int i = 0; i < 12; ++i)
      annotations.push_back(new KROTPSLightTPS());
    set->objects[KROTestIdSet::kAnnotations].assign(annotations.begin(), annotations.end());
  }
  void TearDown() override {
    for (KROTPSLightTPS* a : annotations)
      a->Release();
    set->Release();
    KROTest::TearDown();
  }
  KROComPtr<KROITPSLightRefFrame> FrameInSet(const KROWChar* attributes) {
    KROComPtr<KROITPSLightRefFrame> frame = NewFrame();
    frame.As<KROITPSLight>()->SetLightSet(set);
    frame->SetAttributes(attributes);
    return frame;
  }
  std::vector<KROBaseUnknown*> Ids(std::initializer_list<int> ids) const {
    std::vector<KROBaseUnknown*> named;
    for (int id : ids)
      named.push_back(annotations[std::size_t(id) - 1]);
    return named;
  }

  KROTestIdSet* set = nullptr;
  std::vector<KROTPSLightTPS*> annotations;
};

TEST_F(RefFrameBasicDims, ReadsOnlySeparatorTerminatedFields) {
  struct Case {
    const KROWChar* text;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {u"RF:3::7:", {3, 7}},
      {u"RF:3:7", {3}},
      {u"A:0:x:12:", {12}},
      {u"RF:5:5:1:", {5, 5, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    auto frame = FrameInSet(c.text);
    list<KROBaseUnknown>* dims = nullptr;
    ASSERT_EQ(frame->GetBasicDim(&dims), S_OK);
    std::vector<KROBaseUnknown*> named;
    for (int id : c.ids)
      named.push_back(annotations[std::size_t(id) - 1]);
    EXPECT_EQ(KROItems(dims), named);
  }
}

TEST_F(RefFrameBasicDims, NoSeparatorAfterTheFirstCharacterBuildsNoList) {
  for (const KROWChar* text : {u"", u"RF", u"37", u":3:", u":", u"::"}) {
    auto frame = FrameInSet(text);
    list<KROBaseUnknown>* dims = nullptr;
    EXPECT_EQ(frame->GetBasicDim(&dims), E_FAIL);
    EXPECT_EQ(dims, nullptr);
    EXPECT_EQ(frame->RemoveBasiDim(annotations[2]), E_FAIL);
  }
  EXPECT_EQ(set->lookups, 0);
  auto frame = FrameInSet(u"A:5:");
  EXPECT_EQ(frame->GetBasicDim(nullptr), E_FAIL);
  EXPECT_EQ(frame->RemoveBasiDim(annotations[4]), E_FAIL) << "a null out must not build the list";
}

TEST_F(RefFrameBasicDims, TheFirstListIsKeptWhenTheTextChanges) {
  auto frame = FrameInSet(u"A:5");
  list<KROBaseUnknown>* first = nullptr;
  ASSERT_EQ(frame->GetBasicDim(&first), S_OK);
  EXPECT_EQ(KROItems(first), Ids({}));
  ASSERT_EQ(frame->SetAttributes(u"A:5:"), S_OK);
  list<KROBaseUnknown>* again = nullptr;
  ASSERT_EQ(frame->GetBasicDim(&again), S_OK);
  EXPECT_EQ(again, first);
  EXPECT_EQ(KROItems(again), Ids({}));
}

TEST_F(RefFrameBasicDims, WithoutASetFailsOnceThenAnswersTheEmptyList) {
  KROComPtr<KROITPSLightRefFrame> frame = NewFrame();
  ASSERT_EQ(frame->SetAttributes(u"RF:3:"), S_OK);
  list<KROBaseUnknown>* dims = nullptr;
  EXPECT_EQ(frame->GetBasicDim(&dims), E_FAIL);
  EXPECT_EQ(dims, nullptr);
  frame.As<KROITPSLight>()->SetLightSet(set);
  for (int call = 0; call < 2; ++call) {
    ASSERT_EQ(frame->GetBasicDim(&dims), S_OK);
    ASSERT_NE(dims, nullptr);
    EXPECT_EQ(dims->Size(), 0);
  }
  EXPECT_EQ(frame->RemoveBasiDim(annotations[2]), S_OK);
}

TEST_F(RefFrameBasicDims, RemovalTakesTheLastOccurrence) {
  auto frame = FrameInSet(u"RF:3:4:3:");
  list<KROBaseUnknown>* dims = nullptr;
  ASSERT_EQ(frame->GetBasicDim(&dims), S_OK);
  ASSERT_EQ(frame->RemoveBasiDim(annotations[2]), S_OK);
  EXPECT_EQ(KROItems(dims), Ids({3, 4}));
  EXPECT_EQ(frame->RemoveBasiDim(annotations[0]), S_OK);
  EXPECT_EQ(frame->RemoveBasiDim(nullptr), E_FAIL);
  EXPECT_EQ(KROItems(dims), Ids({3, 4}));
}

// ---------------------------------------------------------------------------------------------
// Through a real set: ids are positions in the set's lists, and they move when objects leave.

class RefFrameInLightSet : public KROTest {};

TEST_F(RefFrameInLightSet, AnnotationsAndFramesResolveByCurrentPosition) {
  auto* component = new KROTPSLightSet();
  KROComPtr<KROITPSLightSet> set;
  ASSERT_EQ(component->QueryInterface(IID_KROITPSLightSet, set.Put()), S_OK);
  component->Release();

  std::vector<KROTPSLightTPS*> annotations;
  for (int i = 0; i < 5; ++i) {
    auto* a = new KROTPSLightTPS();
    a->SetLightSet(set.Get());
    a->AddRef(); // one for the test, the creation reference goes to the set
    ASSERT_EQ(set->AddTPS(a), S_OK);
    annotations.push_back(a);
  }
  std::vector<KROTPSLightRefFrame*> frames;
  for (int i = 0; i < 3; ++i) {
    auto* f = new KROTPSLightRefFrame();
    f->SetLightSet(set.Get());
    f->AddRef();
    ASSERT_EQ(set->AddRefFrame(f), S_OK);
    frames.push_back(f);
  }

  ASSERT_EQ(frames[0]->SetAttributes(u"X:2:0:abc:5"), S_OK);
  list<KROBaseUnknown>* dims = nullptr;
  ASSERT_EQ(frames[0]->GetBasicDim(&dims), S_OK);
  EXPECT_EQ(KROItems(dims), (std::vector<KROBaseUnknown*>{annotations[1]}));

  KROTPSLightTPS* tps = annotations[4];
  ASSERT_EQ(tps->SetRefFrameLinkID(2), S_OK);
  ASSERT_EQ(set->RemoveRefFrame(frames[0]), S_OK); // frames[1] and frames[2] move down by one
  int link = 0;
  tps->GetRefFrameLinkID(&link);
  EXPECT_EQ(link, 2) << "the link named another frame";
  KROBaseUnknown* frame = nullptr;
  ASSERT_EQ(tps->GetReferenceFrame(&frame), S_OK);
  EXPECT_EQ(frame, frames[2]);
  frame->Release();
  ASSERT_EQ(tps->RemoveReferenceFrame(frames[1]), S_OK);
  tps->GetRefFrameLinkID(&link);
  EXPECT_EQ(link, 2) << "frames[1] is no longer at the linked position";
  ASSERT_EQ(tps->RemoveReferenceFrame(frames[2]), S_OK);
  tps->GetRefFrameLinkID(&link);
  EXPECT_EQ(link, 0);

  for (KROTPSLightRefFrame* f : frames)
    f->Release();
  set.Reset(); // releases the annotations still listed
  for (KROTPSLightTPS* a : annotations)
    a->Release();
}

} // namespace
