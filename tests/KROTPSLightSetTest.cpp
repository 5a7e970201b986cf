// The annotation set: its extension's lifecycle and identity, the accessors, the add operations,
// the bulk operations RemoveAllChildren and FlushData, and a fill-flush-refill stress run.
#include "KROTPSLightSet.h"
#include "KROClassMacros.h"
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightModelHandler.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KRORuntimeAccess.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTTRS.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <utility>

namespace set_test {
// The result-set type the extension also extends; in the host it comes from another library.
class KROTPSResultSet : public KROBaseUnknown {
  KRO_DECLARE_CLASS
};
KRO_IMPLEMENT_CLASS(KROTPSResultSet, "KROTests", Implementation, "KROTPSResultSet", nullptr)
KROBaseUnknown* KROTPSResultSet::CreateItself() { return nullptr; }

using TestHandler = KROTestHandler;

/// A handler that, while it is destroyed, reads the set's reference product and sets it again.
class CallingBackHandler : public TestHandler {
public:
  CallingBackHandler(KROITPSLightSet* set, KROITPSLightModelHandler** seen)
      : set_(set), seen_(seen) {}
  ~CallingBackHandler() override {
    *seen_ = nullptr;
    if (SUCCEEDED(set_->GetRefProduct(seen_))) (*seen_)->Release();
    set_->SetRefProduct(*seen_);
  }

private:
  KROITPSLightSet* set_;
  KROITPSLightModelHandler** seen_;
};

/// A model object that counts its destructions.
class Counted : public KROBaseUnknown {
public:
  ~Counted() override { ++destroyed; }
  static inline int destroyed = 0;
};

/// Reaches the set's protected state without a downcast.
struct SetState : KROTPSLightSetExt {
  static KROSysSimpleHashTable* Table(KROTPSLightSetExt* ext) {
    return (ext->*(&SetState::tagQuery_)).Table();
  }
};
} // namespace set_test

namespace {
using namespace set_test;

int Size(KROITPSLightSet* set, HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**)) {
  list<KROBaseUnknown>* l = nullptr;
  return SUCCEEDED((set->*get)(&l)) ? l->Size() : -1;
}

// The six counted lists' getters and adders, in one table.
struct CountedList {
  const char* name;
  HRESULT (KROITPSLightSet::*add)(KROBaseUnknown*);
  HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**);
};
const CountedList kCountedLists[] = {
    {"TTRS", &KROITPSLightSet::AddTTRS, &KROITPSLightSet::GetTTRSList},
    {"RefFrame", &KROITPSLightSet::AddRefFrame, &KROITPSLightSet::GetRefFrameList},
    {"Capture", &KROITPSLightSet::AddCapture, &KROITPSLightSet::GetCaptureList},
    {"CG", &KROITPSLightSet::AddCG, &KROITPSLightSet::GetCGList},
    {"View", &KROITPSLightSet::AddTPSView, &KROITPSLightSet::GetViewList},
};

class LightSet : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    component_ = new KROTPSLightSet();
    ASSERT_EQ(component_->QueryInterface(IID_KROITPSLightSet, set_.Put()), S_OK);
    ext_ = static_cast<KROTPSLightSetExt*>(set_->GetImpl());
    destroyedBefore_ = Counted::destroyed;
  }
  void TearDown() override {
    set_.Reset();
    if (component_) component_->Release();
    KROTest::TearDown();
  }
  int Destroyed() const { return Counted::destroyed - destroyedBefore_; }
  list<KROBaseUnknown>* Tps() { return set_->GetTPSList(); }

  KROTPSLightSet* component_ = nullptr;
  KROComPtr<KROITPSLightSet> set_;
  KROTPSLightSetExt* ext_ = nullptr;
  int destroyedBefore_ = 0;
};

// --- extension lifecycle and identity -------------------------------------------------------

TEST_F(LightSet, ExtensionIsMadeOnFirstQueryAndGoesWithItsComponent) {
  for (bool resultSet : {false, true}) {
    SCOPED_TRACE(resultSet ? "KROTPSResultSet" : "KROTPSLightSet");
    long live = KROBaseUnknown::LiveCount();
    KROBaseUnknown* c = resultSet ? static_cast<KROBaseUnknown*>(new KROTPSResultSet())
                                  : static_cast<KROBaseUnknown*>(new KROTPSLightSet());
    EXPECT_EQ(KRORuntimeAccess::FindExtension(*c, KROTPSLightSetExt::MetaObject()), nullptr);
    KROComPtr<KROITPSIdBroker> broker;
    ASSERT_EQ(c->QueryInterface(IID_KROITPSIdBroker, broker.Put()), S_OK);
    KROBaseUnknown* ext = KRORuntimeAccess::FindExtension(*c, KROTPSLightSetExt::MetaObject());
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(broker->GetImpl(), ext);
    KROComPtr<KROITPSLightSet> again;
    ASSERT_EQ(c->QueryInterface(IID_KROITPSLightSet, again.Put()), S_OK);
    EXPECT_EQ(again->GetImpl(), ext) << "one extension per component";
    EXPECT_NE(ext, ext_) << "each component has its own";
    EXPECT_EQ(KROBaseUnknown::LiveCount(), live + 4); // component, extension, two ties

    c->Release(); // the ties keep the component and its extension alive
    EXPECT_EQ(again->AddTPS(new Counted()), S_OK);
    broker.Reset();
    again.Reset();
    EXPECT_EQ(KROBaseUnknown::LiveCount(), live);
  }
}

TEST_F(LightSet, AllFourInterfacesAreOneIdentityWithTheSet) {
  auto idBroker = set_.As<KROITPSIdBroker>();
  auto light = idBroker.As<KROITPSLight>();
  auto services = light.As<KROITPSLightSetServices>();
  ASSERT_TRUE(idBroker && light && services);
  EXPECT_EQ(services.As<KROITPSLightSet>().Get(), set_.Get());
  EXPECT_EQ(services.As<KROITPSIdBroker>().Get(), idBroker.Get());
  EXPECT_EQ(set_.As<KROITPSLight>().Get(), light.Get());
  EXPECT_EQ(idBroker.As<KROITPSLightSetServices>().Get(), services.Get());
  for (KROBaseUnknown* itf : std::initializer_list<KROBaseUnknown*>{set_.Get(), idBroker.Get(),
                                                                    light.Get(), services.Get()})
    EXPECT_EQ(KROBaseOf(itf), component_);
  EXPECT_EQ(light->GetImpl(), ext_);
  EXPECT_EQ(services->GetImpl(), ext_);
  EXPECT_EQ(ext_->GetImpl(), component_);
  EXPECT_TRUE(KROComCmp(ext_, services.Get()));
}

TEST_F(LightSet, LightFaceNamesTheSetAndAnswersItsOwnSetInterface) {
  auto light = set_.As<KROITPSLight>();
  KROWChar* name = nullptr;
  ASSERT_EQ(light->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"Annotation Set");
  KROITPSLightSet* own = nullptr;
  ASSERT_EQ(light->GetLightSet(&own), S_OK);
  EXPECT_EQ(own, set_.Get());
  own->Release();
  EXPECT_EQ(light->GetLightSet(nullptr), E_FAIL);
  EXPECT_EQ(light->SetLightSet(set_.Get()), E_FAIL);
  EXPECT_EQ(light->SetLightSet(nullptr), E_FAIL);
}

TEST_F(LightSet, BareSetProducesNothing) {
  KROWChar* text = reinterpret_cast<KROWChar*>(0x10);
  list<KROBaseUnknown>* l = reinterpret_cast<list<KROBaseUnknown>*>(0x20);
  EXPECT_EQ(component_->GetName(&text), S_OK);
  EXPECT_EQ(component_->GetStdName(&text), S_OK);
  EXPECT_EQ(text, reinterpret_cast<KROWChar*>(0x10));
  for (auto get :
       {&KROTPSLightSet::GetTTRSList, &KROTPSLightSet::GetRefFrameList,
        &KROTPSLightSet::GetCaptureList, &KROTPSLightSet::GetCGList, &KROTPSLightSet::GetViewList})
    EXPECT_EQ((component_->*get)(&l), S_OK);
  EXPECT_EQ(l, reinterpret_cast<list<KROBaseUnknown>*>(0x20));
  EXPECT_EQ(component_->GetTPSList(), nullptr);
  EXPECT_STREQ(component_->IsA(), "KROTPSLightSet");
  EXPECT_EQ(KROTPSLightSet::CreateItself(), nullptr);
  KROBaseUnknown* made = KROTPSLightSetExt::CreateItself();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsAKindOf("KROTPSLightSetExt"));
  made->Release();
}

// --- accessors and add operations -----------------------------------------------------------

TEST_F(LightSet, FreshSetIsEmptyAndRejectsNullOuts) {
  KROWChar* std = nullptr;
  ASSERT_EQ(set_->GetStdName(&std), S_OK);
  EXPECT_EQ(KROTakeText(std), u"");
  for (const CountedList& l : kCountedLists)
    EXPECT_EQ(Size(set_.Get(), l.get), 0) << l.name;
  EXPECT_EQ(Size(set_.Get(), &KROITPSLightSet::GetFakeList), 0);
  ASSERT_NE(Tps(), nullptr);
  EXPECT_EQ(Tps()->Size(), 0);
  EXPECT_EQ(set_->GetDocument(), nullptr);
  KROITPSLightModelHandler* handler = reinterpret_cast<KROITPSLightModelHandler*>(0x30);
  EXPECT_EQ(set_->GetRefProduct(&handler), E_FAIL);
  EXPECT_EQ(handler, nullptr);

  EXPECT_EQ(set_->GetStdName(nullptr), E_FAIL);
  EXPECT_EQ(set_->SetStdName(nullptr), E_FAIL);
  EXPECT_EQ(set_->GetRefProduct(nullptr), E_FAIL);
  EXPECT_EQ(set_->GetFakeList(nullptr), E_FAIL);
  for (const CountedList& l : kCountedLists)
    EXPECT_EQ((set_.Get()->*l.get)(nullptr), E_FAIL) << l.name;
  ASSERT_NE(SetState::Table(ext_), nullptr);
  EXPECT_EQ(SetState::Table(ext_)->Count(), 0);
}

TEST_F(LightSet, AddAppendsToItsOwnListWithoutAReferenceOrACheck) {
  auto* obj = new Counted();
  auto* ttrs = new KROTPSLightTTRS();
  for (const CountedList& l : kCountedLists) {
    SCOPED_TRACE(l.name);
    list<KROBaseUnknown>* first = nullptr;
    ASSERT_EQ((set_.Get()->*l.get)(&first), S_OK);
    EXPECT_EQ((set_.Get()->*l.add)(nullptr), E_FAIL);
    obj->AddRef(); // one reference handed over per entry
    obj->AddRef();
    EXPECT_EQ((set_.Get()->*l.add)(obj), S_OK);
    EXPECT_EQ((set_.Get()->*l.add)(obj), S_OK);
    list<KROBaseUnknown>* second = nullptr;
    ASSERT_EQ((set_.Get()->*l.get)(&second), S_OK);
    EXPECT_EQ(second, first) << "the set's own list, not a copy";
    ASSERT_EQ(first->Size(), 2);
    EXPECT_EQ(first->At(1), obj);
  }
  EXPECT_EQ(set_->AddTPS(nullptr), E_FAIL);
  EXPECT_EQ(set_->AddFake(nullptr), E_FAIL);
  ASSERT_EQ(set_->AddTPS(ttrs), S_OK); // no type check
  EXPECT_EQ(Tps()->At(0), ttrs);
  EXPECT_EQ(KRORefCount(obj), 11u);
  EXPECT_EQ(KRORefCount(ttrs), 1u);
  // Adding does not link the object to the set.
  KROITPSLightSet* linked = nullptr;
  EXPECT_EQ(ttrs->GetLightSet(&linked), E_FAIL);
  obj->Release();
}

TEST_F(LightSet, DocumentIsNotCountedAndANullOneIsRefused) {
  auto* doc = new KROBaseUnknown();
  ASSERT_EQ(set_->SetDocument(doc), S_OK);
  EXPECT_EQ(KRORefCount(doc), 1u);
  EXPECT_EQ(set_->SetDocument(nullptr), E_FAIL);
  EXPECT_EQ(set_->GetDocument(), doc);
  doc->Release();
}

TEST_F(LightSet, ReferenceProductHoldsExactlyOneReference) {
  auto* handler = new TestHandler();
  auto* next = new TestHandler();
  ASSERT_EQ(set_->SetRefProduct(handler), S_OK);
  EXPECT_EQ(KRORefCount(handler), 2u);
  handler->Release(); // the set's reference is the only one left
  ASSERT_EQ(set_->SetRefProduct(handler), S_OK);
  EXPECT_EQ(KRORefCount(handler), 1u) << "setting the held handler again keeps it held once";
  handler->AddRef();
  KROITPSLightModelHandler* got = nullptr;
  ASSERT_EQ(set_->GetRefProduct(&got), S_OK);
  EXPECT_EQ(got, handler);
  EXPECT_EQ(KRORefCount(handler), 3u);
  got->Release();

  ASSERT_EQ(set_->SetRefProduct(next), S_OK);
  EXPECT_EQ(KRORefCount(handler), 1u);
  EXPECT_EQ(KRORefCount(next), 2u);
  ASSERT_EQ(set_->SetRefProduct(nullptr), S_OK);
  EXPECT_EQ(KRORefCount(next), 1u);
  EXPECT_EQ(set_->GetRefProduct(&got), E_FAIL);
  EXPECT_EQ(got, nullptr);

  // The set's destruction gives its reference back.
  set_->SetRefProduct(next);
  set_.Reset();
  component_->Release();
  component_ = nullptr;
  EXPECT_EQ(KRORefCount(next), 1u);
  handler->Release();
  next->Release();
}

TEST_F(LightSet, AHandlerCallingBackWhileDestroyedFindsWhatReplacedIt) {
  auto* next = new TestHandler();
  const std::pair<const char*, std::function<void()>> leaves[] = {
      {"replaced", [&] { set_->SetRefProduct(next); }},
      {"cleared", [&] { set_->SetRefProduct(nullptr); }},
      {"flushed", [&] { set_->FlushData(); }},
  };
  for (const auto& [how, leave] : leaves) {
    KROITPSLightModelHandler* seen = nullptr;
    auto* handler = new CallingBackHandler(set_.Get(), &seen);
    set_->SetRefProduct(handler);
    handler->Release(); // the set holds the only reference
    leave();
    EXPECT_EQ(seen, std::string_view(how) == "replaced" ? next : nullptr) << how;
  }
  EXPECT_EQ(KRORefCount(next), 1u);
  next->Release();
}

// --- bulk operations ------------------------------------------------------------------------

TEST_F(LightSet, RemoveAllChildrenReleasesEveryCountedEntryOnceAndLeavesTheListsAbsent) {
  for (const CountedList& l : kCountedLists)
    (set_.Get()->*l.add)(new Counted());
  set_->AddTPS(new Counted());
  auto* twice = new Counted(); // in two lists, with a reference for each entry
  twice->AddRef();
  set_->AddTPS(twice);
  set_->AddCG(twice);
  auto* survivor = new Counted(); // someone else still holds it
  survivor->AddRef();
  set_->AddTTRS(survivor);
  auto* fake = new Counted();
  set_->AddFake(fake);
  list<KROBaseUnknown>* fakes = nullptr;
  set_->GetFakeList(&fakes);

  auto* handler = new TestHandler();
  auto* doc = new KROBaseUnknown();
  set_->SetRefProduct(handler);
  set_->SetDocument(doc);
  set_->SetStdName(u"kept");

  ASSERT_EQ(set_->RemoveAllChildren(), S_OK);
  EXPECT_EQ(Destroyed(), 7);
  EXPECT_EQ(KRORefCount(survivor), 1u);
  EXPECT_EQ(KRORefCount(fake), 1u) << "the fake list and its fakes are left alone";

  EXPECT_EQ(Tps(), nullptr);
  EXPECT_EQ(set_->AddTPS(survivor), E_FAIL);
  for (const CountedList& l : kCountedLists) {
    EXPECT_EQ((set_.Get()->*l.add)(survivor), E_FAIL) << l.name;
    EXPECT_EQ(Size(set_.Get(), l.get), -1) << l.name;
  }
  list<KROBaseUnknown>* fakesAfter = nullptr;
  ASSERT_EQ(set_->GetFakeList(&fakesAfter), S_OK);
  EXPECT_EQ(fakesAfter, fakes);
  EXPECT_EQ(fakesAfter->Size(), 1);
  survivor->AddRef();
  EXPECT_EQ(set_->AddFake(survivor), S_OK);

  EXPECT_EQ(set_->GetDocument(), doc);
  EXPECT_EQ(KRORefCount(handler), 2u);
  KROWChar* std = nullptr;
  set_->GetStdName(&std);
  EXPECT_EQ(KROTakeText(std), u"kept");
  ASSERT_EQ(set_->RemoveAllChildren(), S_OK) << "a second call finds nothing to do";
  EXPECT_EQ(Destroyed(), 7);
  ASSERT_EQ(set_->FlushData(), S_OK); // brings every list back; releases both fakes
  EXPECT_EQ(Destroyed(), 8);
  for (const CountedList& l : kCountedLists)
    EXPECT_EQ(Size(set_.Get(), l.get), 0) << l.name;
  EXPECT_NE(Tps(), nullptr);

  EXPECT_EQ(KRORefCount(survivor), 1u);
  survivor->Release();
  handler->Release();
  doc->Release();
}

TEST_F(LightSet, RemoveAllChildrenEmptiesTheAnnotationCacheButKeepsTheTable) {
  auto* annotation = new Counted();
  set_->AddTPS(annotation);
  KROSysSimpleHashTable* table = SetState::Table(ext_);
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(KROTPSAnnotationsHashTable::Insert(table, 30, Tps()), 1);
  ASSERT_EQ(set_->RemoveAllChildren(), S_OK);
  EXPECT_EQ(Destroyed(), 1);
  EXPECT_EQ(SetState::Table(ext_), table);
  EXPECT_EQ(table->Count(), 0) << "a cached answer would name a destroyed annotation";
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(table, 30), nullptr);
}

TEST_F(LightSet, FlushDataReturnsToANewSetKeepingTheNameFields) {
  auto light = set_.As<KROITPSLight>();
  light->SetIndex(7);
  set_->SetStdName(u"ASME Y14.5");
  auto* handler = new TestHandler();
  auto* doc = new KROBaseUnknown();
  set_->SetRefProduct(handler);
  set_->SetDocument(doc);
  set_->AddTPS(new Counted());
  set_->AddTPSView(new Counted());
  auto* fake = new Counted();
  auto* sharedFake = new Counted();
  sharedFake->AddRef();
  set_->AddFake(fake);
  set_->AddFake(sharedFake);
  KROTPSAnnotationsHashTable::Insert(SetState::Table(ext_), 4, Tps());

  ASSERT_EQ(set_->FlushData(), S_OK);
  EXPECT_EQ(Destroyed(), 3) << "counted entries and the fake list's own references go";
  EXPECT_EQ(KRORefCount(sharedFake), 1u) << "each fake entry is released exactly once";
  EXPECT_EQ(KRORefCount(handler), 1u);
  EXPECT_EQ(set_->GetDocument(), nullptr);
  KROITPSLightModelHandler* got = nullptr;
  EXPECT_EQ(set_->GetRefProduct(&got), E_FAIL);

  for (const CountedList& l : kCountedLists)
    EXPECT_EQ(Size(set_.Get(), l.get), 0) << l.name;
  EXPECT_EQ(Size(set_.Get(), &KROITPSLightSet::GetFakeList), 0);
  ASSERT_NE(Tps(), nullptr);
  EXPECT_EQ(Tps()->Size(), 0);
  ASSERT_NE(SetState::Table(ext_), nullptr);
  EXPECT_EQ(SetState::Table(ext_)->Count(), 0);
  EXPECT_EQ(SetState::Table(ext_)->Size(), 100);

  KROWChar* text = nullptr;
  set_->GetStdName(&text);
  EXPECT_EQ(KROTakeText(text), u"ASME Y14.5");
  light->GetName(&text);
  EXPECT_EQ(KROTakeText(text), u"Annotation Set");
  int index = 0;
  light->GetIndex(&index);
  EXPECT_EQ(index, 7);

  auto* again = new Counted();
  EXPECT_EQ(set_->AddTPS(again), S_OK);
  EXPECT_EQ(Tps()->At(0), again);
  sharedFake->Release();
  handler->Release();
  doc->Release();
}

TEST_F(LightSet, DestructionReleasesEveryListEntryOnce) {
  for (const CountedList& l : kCountedLists)
    (set_.Get()->*l.add)(new Counted());
  set_->AddTPS(new Counted());
  set_->AddFake(new Counted());
  set_.Reset();
  component_->Release();
  component_ = nullptr;
  EXPECT_EQ(Destroyed(), 7);
}

// --- removal: the list step and the release --------------------------------------------------

TEST_F(LightSet, RemovalReleasesOnlyAnEntryItFound) {
  auto* obj = new Counted();
  obj->AddRef();
  obj->AddRef();
  set_->AddTTRS(obj);
  set_->AddTTRS(obj);
  EXPECT_EQ(set_->RemoveTTRS(nullptr), E_FAIL);
  ASSERT_EQ(set_->RemoveTTRS(obj), S_OK);
  EXPECT_EQ(Size(set_.Get(), &KROITPSLightSet::GetTTRSList), 1);
  EXPECT_EQ(KRORefCount(obj), 2u);
  // Not in this list: no reference of someone else's may be dropped.
  EXPECT_EQ(set_->RemoveCapture(obj), S_OK);
  EXPECT_EQ(set_->RemoveTPS(obj), S_OK);
  EXPECT_EQ(KRORefCount(obj), 2u);
  set_->RemoveAllChildren();
  EXPECT_EQ(set_->RemoveTTRS(obj), E_FAIL) << "absent list";
  EXPECT_EQ(set_->RemoveView(obj), E_FAIL);
  EXPECT_EQ(KRORefCount(obj), 1u);
  obj->Release();
  EXPECT_EQ(Destroyed(), 1);
}

TEST_F(LightSet, RemovingAnAnnotationDropsCachedAnswersNamingIt) {
  auto* a = new Counted();
  set_->AddTPS(a);
  KROSysSimpleHashTable* table = SetState::Table(ext_);
  KROTPSAnnotationsHashTable::Insert(table, 30, Tps());
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  EXPECT_EQ(Destroyed(), 1);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(table, 30), nullptr);
}

// --- stress -----------------------------------------------------------------------------------

TEST_F(LightSet, HundredThousandObjectsFillFlushRefillAndDestroy) {
  constexpr int kObjects = 100000;
  HRESULT(KROITPSLightSet::*adds[])
  (KROBaseUnknown*) = {&KROITPSLightSet::AddTPS,     &KROITPSLightSet::AddTPSView,
                       &KROITPSLightSet::AddTTRS,    &KROITPSLightSet::AddRefFrame,
                       &KROITPSLightSet::AddCapture, &KROITPSLightSet::AddCG,
                       &KROITPSLightSet::AddFake};
  const long start = KROBaseUnknown::LiveCount();
  auto fill = [&] {
    for (int i = 0; i < kObjects; ++i) {
      KROBaseUnknown* obj = i % 2 ? static_cast<KROBaseUnknown*>(new KROTPSLightTTRS())
                                  : static_cast<KROBaseUnknown*>(new Counted());
      ASSERT_EQ((set_.Get()->*adds[i % 7])(obj), S_OK);
    }
  };
  fill();
  EXPECT_EQ(KROBaseUnknown::LiveCount(), start + kObjects);
  EXPECT_EQ(Tps()->Size(), (kObjects + 6) / 7);
  ASSERT_EQ(set_->FlushData(), S_OK);
  EXPECT_EQ(KROBaseUnknown::LiveCount(), start);
  fill();
  EXPECT_EQ(Size(set_.Get(), &KROITPSLightSet::GetFakeList), kObjects / 7);
  set_.Reset();
  component_->Release();
  component_ = nullptr;
  EXPECT_EQ(KROBaseUnknown::LiveCount(), start - 3); // set, extension and tie are gone too
}

} // namespace
