// KROOwnObjectShortcutsTest.cpp - the set's loops read its own objects directly; anything else in
// its lists (a host's subclass, a host's own component) must still be asked through interfaces,
// and the answers the tag index gives in place of the table must be the table's.
#include "KROITPSLight.h"
#include "KRORepBindingTestSupport.h"
#include "KROSetQueryTestSupport.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSLightContainerNames.h"
#include "KROTPSModelGeneration.h"

#include <string>

namespace own_object_test {
struct CacheAccess : KROTPSLightSetExt {
  static KROSysSimpleHashTable* Table(KROTPSLightSetExt* ext) {
    return (ext->*(&CacheAccess::tagQuery_)).Table();
  }
  static void Clear(KROTPSLightSetExt* ext) { (ext->*(&CacheAccess::ClearAnnotationCache))(); }
};

/// A host's annotation class: reports its own type and keeps count of the reps it is given.
class HostTPS : public KROTPSLightTPS {
public:
  HRESULT GetType(unsigned short* type) override {
    if (!type) return E_FAIL;
    *type = reported;
    return S_OK;
  }
  HRESULT SetRep(KRORep* rep) override {
    ++repsGiven;
    return KROTPSLightTPS::SetRep(rep);
  }
  unsigned short reported = 7;
  int repsGiven = 0;
};

/// A host's own component answering KROITPSLight only; it borrows the reps it is given.
class ForeignLight : public KROITPSLight {
public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (!out) return E_FAIL;
    *out = nullptr;
    if (!(iid == CLSID_KROBaseUnknown || iid == IID_KROITPSLight)) return E_NOINTERFACE;
    *out = static_cast<KROITPSLight*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT GetName(KROWChar**) override { return E_FAIL; }
  HRESULT SetName(const KROWChar*) override { return E_FAIL; }
  HRESULT GetType(unsigned short* t) override { return t ? (*t = type, S_OK) : E_FAIL; }
  HRESULT SetType(unsigned short t) override { return type = t, S_OK; }
  HRESULT GetRep(KRORep** r) override { return r ? (*r = rep, S_OK) : E_FAIL; }
  HRESULT SetRep(KRORep* r) override {
    ++repsGiven;
    rep = r;
    return S_OK;
  }
  HRESULT GetIndex(int* i) override { return i ? (*i = index, S_OK) : E_FAIL; }
  HRESULT SetIndex(int i) override { return index = i, S_OK; }
  HRESULT GetLightSet(KROITPSLightSet**) override { return E_FAIL; }
  HRESULT SetLightSet(KROITPSLightSet*) override { return E_FAIL; }
  HRESULT GetStatus(unsigned short*) override { return E_FAIL; }
  HRESULT SetStatus(unsigned short) override { return E_FAIL; }
  HRESULT GetUUId(KROWChar**) override { return E_FAIL; }
  HRESULT SetUUId(const KROWChar*) override { return E_FAIL; }

  unsigned short type = 0;
  int index = 0;
  KRORep* rep = nullptr;
  int repsGiven = 0;
};
} // namespace own_object_test

namespace {
using namespace own_object_test;
using Items = KROItemVector;

// ---- the list's bulk append ---------------------------------------------------------------------

struct ListShape {
  Items items;
  int size, reserve, headRoom;
  bool operator==(const ListShape&) const = default;
};
ListShape ShapeOf(const list<KROBaseUnknown>& l) {
  return {KROItemsOf(&l), l.Size(), l.Reserve(), l.HeadRoom()};
}

TEST(ListAppendNonNull, EndsAsAppendingOneByOneWouldInItemsAndBlockSize) {
  KROBaseUnknown* const a = reinterpret_cast<KROBaseUnknown*>(0x10);
  KROBaseUnknown* const b = reinterpret_cast<KROBaseUnknown*>(0x20);
  const std::vector<std::vector<KROBaseUnknown*>> sources = {
      {}, {nullptr}, {a}, {a, nullptr, b}, {b, b, a, nullptr, a, b, a, a, b, nullptr, a}};
  for (int headRoom : {0, 3}) {
    for (int already : {0, 1, 2, 5, 8}) {
      for (const auto& source : sources) {
        SCOPED_TRACE(testing::Message() << headRoom << " " << already << " " << source.size());
        list<KROBaseUnknown> bulk(headRoom), single(headRoom);
        for (int i = 0; i < already; ++i)
          bulk.Append(a), single.Append(a);
        ASSERT_TRUE(bulk.AppendNonNull(source.data(), static_cast<int>(source.size())));
        for (KROBaseUnknown* item : source)
          if (item) single.Append(item);
        EXPECT_EQ(ShapeOf(bulk), ShapeOf(single));
      }
    }
  }
}

// ---- selection and binding of objects that are not exactly the library's ------------------------

class ForeignItems : public KROBindingTest {};

TEST_F(ForeignItems, SelectionAsksEveryOtherClassForItsType) {
  KROTPSLightTPS* own = Tps(1);
  own->SetType(7);
  auto* host = new HostTPS(); // reports 7 although its own field says 3
  host->SetType(3);
  auto* foreign = new ForeignLight();
  foreign->type = 7;
  set_->AddTPS(host);
  set_->AddTPS(foreign);
  const long live = KROBaseUnknown::LiveCount();
  for (unsigned short type : {3, 7}) {
    list<KROBaseUnknown>* out = nullptr;
    ASSERT_EQ(services_->RetrieveLightTPSsType(type, &out), S_OK);
    EXPECT_EQ(KROItemsOf(out), type == 7 ? (Items{own, host, foreign}) : Items{});
    delete out;
  }
  EXPECT_EQ(KROBaseUnknown::LiveCount(), live) << "no tie outlives the call";
  own->SetType(3);
  list<KROBaseUnknown>* out = nullptr;
  services_->RetrieveLightTPSsType(3, &out);
  EXPECT_EQ(KROItemsOf(out), Items{own}) << "a type set later is seen";
  delete out;
}

TEST_F(ForeignItems, BindingGoesThroughTheInterfacesOfEveryOtherClass) {
  KROTPSLightTPS* own = Tps(1);
  auto* host = new HostTPS();
  host->SetIndex(2);
  auto* foreign = new ForeignLight();
  foreign->index = 3;
  set_->AddTPS(host);
  set_->AddTPS(foreign);
  const long reps = KRORep::LiveCount();
  Use(KRODocumentBuilder()
          .SetStream(
              KROTPSContainers::kAnnotationsPath,
              KROSequential({{"KRO3DBagRep", "a"}, {"KRO3DBagRep", "b"}, {"KRO3DBagRep", "c"}}))
          .SetStream(
              KROTPSContainers::kAnnotations2DPath,
              KROIndexed({{"KRO2DBagRep", "1"}, {"KRO2DCustomRep", "2"}, {"KRO2DBagRep", "3"}}))
          .Build());
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  ASSERT_EQ(services_->GenerateAll2DReps(), S_OK);
  EXPECT_EQ(LabelOf(own), "a");
  EXPECT_EQ(LabelOf(host), "b");
  EXPECT_EQ(host->repsGiven, 1) << "the host's override is called";
  EXPECT_EQ(Label2DOf(own), "1");
  EXPECT_EQ(Label2DOf(host), "2") << "a subclass of the annotation gets its 2D rep";
  // The foreign object only borrows: it is given its rep, then cleared, and the rep destroyed.
  EXPECT_EQ(foreign->repsGiven, 2);
  EXPECT_EQ(foreign->rep, nullptr);
  // Two reps and their bags for each of own and host, 2D included.
  EXPECT_EQ(KRORep::LiveCount(), reps + 8);
}

TEST_F(ForeignItems, ClassNamesOfAnyLengthAreReadAndSkipped) {
  // Names are read in place up to 63 bytes and into an array beyond: both sides of the edge.
  for (std::size_t length : {std::size_t(63), std::size_t(64), std::size_t(300)}) {
    SCOPED_TRACE(length);
    set_->FlushData();
    KROTPSLightTPS* own = Tps(2);
    const std::string unknown(length, 'Q');
    Use(KRODocumentBuilder()
            .SetStream(KROTPSContainers::kAnnotationsPath,
                       KROSequential({{unknown}, {"KRO3DBagRep", "a"}, {unknown}}))
            .SetStream(KROTPSContainers::kAnnotations2DPath,
                       KROIndexed({{"KRO2DBagRep", "1"}, {unknown}}))
            .Build());
    ASSERT_EQ(services_->GenerateAllReps(), S_OK);
    ASSERT_EQ(services_->GenerateAll2DReps(), S_OK);
    EXPECT_EQ(LabelOf(own), "a");
    EXPECT_EQ(Label2DOf(own), "-") << "entry 2 is of no 2D class";
    own->SetIndex(1);
    ASSERT_EQ(services_->GenerateAll2DReps(), S_OK);
    EXPECT_EQ(Label2DOf(own), "1");
  }
}

// ---- answers read from the tag index in place of the table ---------------------------------------

class IndexedAnswers : public KROSetQueryTest {
protected:
  Items Query(int tag, HRESULT expected = S_OK) {
    list<KROBaseUnknown>* out = nullptr;
    EXPECT_EQ(services_->GetListOfAnnotationsWithZORTag(tag, &out), expected) << tag;
    Items items = KROItemsOf(out);
    delete out;
    return items;
  }
  bool Kept(int tag) {
    return KROTPSAnnotationsHashTable::Find(CacheAccess::Table(ext_), tag) != nullptr;
  }
};

TEST_F(IndexedAnswers, AreTheTablesAnswersAlsoAfterTheModelMoves) {
  AddTTRS(1, {{10}, {11}});
  AddTTRS(2, {{12}});
  KROTPSLightTPS* a = AddTPS({1});
  KROTPSLightTPS* b = AddTPS({2, 1});
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Query(10), (Items{a, b}));
    EXPECT_EQ(Query(11), (Items{a, b}));
    EXPECT_EQ(Query(12), Items{b});
    EXPECT_EQ(Query(13, E_FAIL), Items{});
  }
  for (int tag : {10, 11, 12})
    EXPECT_TRUE(Kept(tag)) << tag;
  // Relinking moves the model; kept answers stay as they were, a new tag sees the new links.
  a->AddTTRSLinkID(2);
  AddTTRS(3, {{14}});
  EXPECT_EQ(Query(12), Items{b});
  EXPECT_EQ(Query(11), (Items{a, b}));
  EXPECT_EQ(Query(14), Items{});
}

TEST_F(IndexedAnswers, AnEmptiedTableIsFilledAgainBeforeItsAnswersAreReused) {
  AddTTRS(1, {{10}, {11}, {12}});
  KROTPSLightTPS* a = AddTPS({1});
  for (int tag : {10, 11, 12})
    EXPECT_EQ(Query(tag), Items{a});
  const std::uint64_t generation = KROTPSModelGeneration();
  CacheAccess::Clear(ext_); // the table alone, the model as it was
  ASSERT_EQ(KROTPSModelGeneration(), generation);
  for (int tag : {10, 11, 12})
    EXPECT_FALSE(Kept(tag));
  for (int round = 0; round < 2; ++round)
    for (int tag : {10, 11, 12})
      EXPECT_EQ(Query(tag), Items{a});
  for (int tag : {10, 11, 12})
    EXPECT_TRUE(Kept(tag)) << tag;

  // A new annotation leaves the kept answers as they were; removing one empties the table, and
  // no answer may name it afterwards.
  KROTPSLightTPS* b = AddTPS({1});
  EXPECT_EQ(Query(10), Items{a});
  EXPECT_EQ(Query(11), Items{a});
  set_->RemoveTPS(a);
  for (int tag : {10, 11, 12})
    EXPECT_EQ(Query(tag), Items{b});
  set_->FlushData();
  EXPECT_EQ(Query(10, E_FAIL), Items{});
}

} // namespace
