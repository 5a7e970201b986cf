// KROTPSLightTagQueryTest.cpp - annotations by geometry tag: the answer, the kept answers, the tag
// index behind misses and the change counter that retires it.
#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightTTRS.h"
#include "KROSetQueryTestSupport.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSModelGeneration.h"

#include <functional>
#include <map>
#include <random>

namespace tag_query_test {
struct QueryState : KROTPSLightSetExt {
  static KROSysSimpleHashTable* Table(KROTPSLightSetExt* ext) {
    return (ext->*(&QueryState::tagQuery_)).Table();
  }
  static const KROTPSTagIndex& Index(KROTPSLightSetExt* ext) {
    return (ext->*(&QueryState::tagQuery_)).Index();
  }
};

/// An annotation whose link ids change without the model hearing of it.
class DriftingTPS : public KROTPSLightTPS {
public:
  HRESULT GetTTRSLinkIds(KRORawCollint** ids) override {
    if (!ids) return E_FAIL;
    *ids = new KRORawCollint();
    (*ids)->Append(link);
    return S_OK;
  }
  int link = 4;
};
} // namespace tag_query_test

namespace {
using namespace tag_query_test;
using Items = KROItemVector;

/// The query as first written: every path of every TTRS, every link id against every gathered
/// index, each answer kept until an annotation leaves the set.
struct PlainScan {
  std::map<int, Items> kept;

  HRESULT Query(KROITPSLightSet* set, int tag, Items* answer) {
    if (const auto k = kept.find(tag); k != kept.end()) return *answer = k->second, S_OK;
    list<KROBaseUnknown>* ttrsList = nullptr;
    if (FAILED(set->GetTTRSList(&ttrsList))) return E_FAIL;
    std::vector<int> gathered;
    for (KROBaseUnknown* ttrs : KROItemsOf(ttrsList)) {
      KROComPtr<KROITPSLightTTRS> one;
      ttrs->QueryInterface(IID_KROITPSLightTTRS, one.Put());
      KRORawCollPV paths;
      one->GetGeomPathId(&paths);
      for (int p = 1; p <= paths.Size(); ++p) {
        const auto* path = static_cast<const KRORawCollint*>(paths[p]);
        int index = 0;
        if (path->Size() == 0 || (*path)[path->Size()] != tag) continue;
        one.As<KROITPSLight>()->GetIndex(&index);
        gathered.push_back(index);
      }
    }
    if (gathered.empty()) return E_FAIL;
    answer->clear();
    for (KROBaseUnknown* tps : KROItemsOf(set->GetTPSList())) {
      KROComPtr<KROITPSLightModel> model;
      KRORawCollint* ids = nullptr;
      tps->QueryInterface(IID_KROITPSLightModel, model.Put());
      if (FAILED(model->GetTTRSLinkIds(&ids))) continue;
      for (int i = 1; i <= ids->Size(); ++i)
        for (int g : gathered)
          if ((*ids)[i] == g) answer->push_back(tps);
      delete ids;
    }
    kept[tag] = *answer;
    return S_OK;
  }
};

struct Answer {
  HRESULT rc;
  Items items;
  bool listMade;
};

class TagQuery : public KROSetQueryTest {
protected:
  /// Asks for `tag` into a new list, or into a list already holding `mine_`. Every item is
  /// touched, so a destroyed annotation in an answer fails the sanitizer build.
  Answer Query(int tag, bool intoMine = false) {
    list<KROBaseUnknown>* out = intoMine ? new list<KROBaseUnknown> : nullptr;
    if (out) out->Append(mine_);
    const HRESULT rc = services_->GetListOfAnnotationsWithZORTag(tag, &out);
    Answer answer{rc, KROItemsOf(out), out != nullptr};
    delete out;
    for (KROBaseUnknown* item : answer.items)
      item->AddRef(), item->Release();
    return answer;
  }
  bool Kept(int tag) {
    return KROTPSAnnotationsHashTable::Find(QueryState::Table(ext_), tag) != nullptr;
  }
};

TEST_F(TagQuery, OnlyTheLastIdOfAPathCountsAndTheAnswerIsKept) {
  AddTTRS(4, {{7, 12, 30}});
  KROTPSLightTPS* a = AddTPS({4});
  KROTPSLightTPS* b = AddTPS({2});
  EXPECT_EQ(services_->GetListOfAnnotationsWithZORTag(30, nullptr), E_FAIL);
  const Answer first = Query(30);
  EXPECT_EQ(first.rc, S_OK);
  EXPECT_EQ(first.items, Items{a});
  const Answer inner = Query(12);
  EXPECT_EQ(inner.rc, E_FAIL);
  EXPECT_FALSE(inner.listMade);
  EXPECT_TRUE(Kept(30) && !Kept(12));
  b->AddTTRSLinkID(4); // relinking leaves a kept answer as it is
  EXPECT_EQ(Query(30).items, Items{a});
  set_->FlushData();
  EXPECT_FALSE(Kept(30));
  EXPECT_EQ(Query(30).rc, E_FAIL);
}

TEST_F(TagQuery, EveryMatchingPathAndEveryEqualLinkAddsTheAnnotationOnce) {
  AddTTRS(4, {{1, 30}, {2, 30}, {3, 31}});
  AddTTRS(6, {{30}, {}});
  KROTPSLightTPS* a = AddTPS({4});
  KROTPSLightTPS* b = AddTPS({9, 6, 4});
  EXPECT_EQ(Query(30).items, (Items{a, a, b, b, b}));
  EXPECT_EQ(Query(31).items, (Items{a, b}));
}

TEST_F(TagQuery, CallersListsAndEmptyAnswers) {
  AddTTRS(4, {{5, 30}});
  const Answer unknown = Query(99, true);
  EXPECT_EQ(unknown.rc, E_FAIL);
  EXPECT_EQ(unknown.items, Items{mine_});
  EXPECT_EQ(QueryState::Table(ext_)->Count(), 0) << "a missed tag is not kept";
  for (bool intoMine : {false, true}) { // an empty answer is kept, then served
    const Answer none = Query(30, intoMine);
    EXPECT_EQ(none.rc, S_OK);
    EXPECT_EQ(none.items, intoMine ? Items{mine_} : Items{});
    EXPECT_TRUE(none.listMade && Kept(30));
  }
  AddTTRS(8, {{99}});
  KROTPSLightTPS* a = AddTPS({8, 4});
  for (const char* when : {"miss", "hit"}) {
    const Answer answer = Query(99, true);
    EXPECT_EQ(answer.rc, S_OK) << when;
    EXPECT_EQ(answer.items, (Items{mine_, a})) << when;
  }
  EXPECT_EQ(Query(99).items, Items{a}) << "only the answer is kept";
  EXPECT_EQ(Query(30).items, Items{}) << "served as kept";
}

TEST_F(TagQuery, NoAnswerNamesARemovedAnnotation) {
  AddTTRS(4, {{30}, {31}});
  KROTPSLightTPS* a = AddTPS({4});
  KROTPSLightTPS* b = AddTPS({4});
  EXPECT_EQ(Query(30).items, (Items{a, b})); // first miss: a walk for this tag
  EXPECT_EQ(Query(31).items, (Items{a, b})); // second: every tag's answer at once
  EXPECT_TRUE(QueryState::Index(ext_).IsBuiltAt(KROTPSModelGeneration()));
  set_->RemoveTPS(a); // the set held its only reference
  EXPECT_EQ(Query(30).items, Items{b});
  EXPECT_EQ(Query(31).items, Items{b});
  set_->RemoveAllChildren();
  EXPECT_FALSE(Query(30).listMade);
}

TEST_F(TagQuery, EveryChangeThatCanAlterAnAnswerMovesTheGeneration) {
  KROTPSLightTTRS* ttrs = AddTTRS(1, {});
  KROTPSLightTPS* tps = AddTPS({});
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"AddGeomPathId", [&] { AddPath(ttrs, {3}); }},
      {"SetIndex", [&] { ttrs->SetIndex(2); }},
      {"AddTTRSLinkID", [&] { tps->AddTTRSLinkID(2); }},
      {"AddTTRS", [&] { set_->AddTTRS(new KROTPSLightTTRS()); }},
      {"AddTPS", [&] { set_->AddTPS(new KROTPSLightTPS()); }},
      {"RemoveTTRS", [&] { set_->RemoveTTRS(ttrs); }},
      {"RemoveTPS", [&] { set_->RemoveTPS(tps); }},
      {"RemoveAllChildren", [&] { set_->RemoveAllChildren(); }},
      {"FlushData", [&] { set_->FlushData(); }},
  };
  for (const auto& [name, change] : changes) {
    const std::uint64_t before = KROTPSModelGeneration();
    change();
    EXPECT_NE(KROTPSModelGeneration(), before) << name;
  }
}

TEST_F(TagQuery, TheTagIndexServesOnlyListsItCanTrust) {
  AddTTRS(4, {{30}, {31}, {32}, {33}});
  AddTTRS(5, {{34}, {35}});
  KROTPSLightTPS* a = AddTPS({4});
  auto* b = new KROTPSLightTPS();
  b->AddTTRSLinkID(4);
  EXPECT_EQ(Query(30).items, Items{a});
  EXPECT_EQ(Query(31).items, Items{a});
  ASSERT_TRUE(QueryState::Index(ext_).IsBuiltAt(KROTPSModelGeneration()));
  set_->GetTPSList()->Append(b); // written into the set's own list, behind its back
  EXPECT_EQ(Query(32).items, (Items{a, b}));

  auto* drifting = new DriftingTPS();
  set_->AddTPS(drifting);
  EXPECT_EQ(Query(33).items, (Items{a, b, drifting}));
  EXPECT_EQ(Query(34).items, Items{});
  drifting->link = 5;
  EXPECT_EQ(Query(35).items, Items{drifting});

  // One TTRS with many paths that many annotations link to: every answer is cheap, all of them
  // together are not.
  set_->FlushData();
  KROTPSLightTTRS* wide = AddTTRS(1, {});
  for (int tag = 0; tag < 1000; ++tag)
    AddPath(wide, {tag});
  for (int i = 0; i < 200; ++i)
    AddTPS({1});
  for (int tag : {1, 2, 3})
    EXPECT_EQ(Query(tag).items.size(), 200u);
  EXPECT_FALSE(QueryState::Index(ext_).IsBuiltAt(KROTPSModelGeneration()));
}

TEST_F(TagQuery, AnswersMatchAPlainScanWhileTheModelChanges) {
  constexpr int kTags = 24;
  constexpr int kIndexes = 4;
  int servedByIndex = 0;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto pick = [&rng](std::size_t n) { return int(rng() % n); };
    const auto ids = [&](int most, int range) {
      std::vector<int> v(std::size_t(pick(std::size_t(most) + 1)));
      for (int& id : v)
        id = pick(std::size_t(range));
      return v;
    };
    PlainScan plain;
    set_->FlushData();
    for (int step = 0; step < 300; ++step) {
      list<KROBaseUnknown>* ttrsList = nullptr;
      set_->GetTTRSList(&ttrsList);
      const Items ttrs = KROItemsOf(ttrsList);
      const Items tpss = KROItemsOf(set_->GetTPSList());
      auto* anyTTRS =
          ttrs.empty() ? nullptr : static_cast<KROTPSLightTTRS*>(ttrs[pick(ttrs.size())]);
      auto* anyTPS = tpss.empty() ? nullptr : static_cast<KROTPSLightTPS*>(tpss[pick(tpss.size())]);
      switch (pick(9)) {
      case 0:
        if (anyTTRS) AddPath(anyTTRS, ids(3, kTags));
        break;
      case 1:
        if (anyTTRS) anyTTRS->SetIndex(pick(kIndexes));
        break;
      case 2:
        if (anyTPS) anyTPS->AddTTRSLinkID(pick(kIndexes));
        break;
      case 3:
        AddTTRS(pick(kIndexes), {ids(3, kTags), ids(3, kTags)});
        break;
      case 4:
        AddTPS(ids(2, kIndexes));
        break;
      case 5:
        if (anyTPS) anyTPS->AddRef(), set_->AddTPS(anyTPS); // listed twice from here on
        break;
      case 6:
        if (anyTTRS) set_->RemoveTTRS(anyTTRS); // answers kept so far stay kept
        break;
      case 7:
        if (anyTPS) set_->RemoveTPS(anyTPS), plain.kept.clear();
        break;
      default:
        if (pick(6) == 0) set_->RemoveAllChildren(), set_->FlushData(), plain.kept.clear();
      }
      for (int query = pick(6); query > 0; --query) {
        const int tag = pick(kTags);
        const bool intoMine = pick(2) == 0;
        servedByIndex += !Kept(tag) && QueryState::Index(ext_).IsBuiltAt(KROTPSModelGeneration());
        Items expected;
        const HRESULT rc = plain.Query(set_.Get(), tag, &expected);
        const Answer got = Query(tag, intoMine);
        ASSERT_EQ(got.rc, rc) << "step " << step << ", tag " << tag;
        if (intoMine) expected.insert(expected.begin(), mine_);
        ASSERT_EQ(got.items, expected) << "step " << step << ", tag " << tag;
      }
    }
  }
  EXPECT_GT(servedByIndex, 100) << "the tag index must have answered misses";
}
} // namespace
