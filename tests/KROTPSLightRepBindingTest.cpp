// Binding the document's reps to the model objects: by position in the sequential streams, by
// index in the indexed ones, the classes each accepts, the road to the root container, and who
// ends up owning the reps.
#include "KROITPSLightTTRS.h"
#include "KRORepBindingTestSupport.h"
#include "KROTPSLightContainerNames.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSLightView.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using F = KROITPSLightModelFactory;
using KRORepBinding = KROBindingTest;

/// A view that claims to be a kind of annotation without being one.
class ClaimsToBeAnnotation : public KROTPSLightView {
public:
  int IsAKindOf(const char* name) const override {
    return (name && std::string_view(name) == "KROTPSLightTPS") || KROTPSLightView::IsAKindOf(name);
  }
};

TEST_F(KRORepBinding, SequentialStreamsPairByPositionAndNullItemsKeepTheirSlot) {
  const std::string paths[] = {KROTPSContainers::kAnnotationsPath, KROTPSContainers::kViewsPath,
                               KROTPSContainers::kCGsPath, KROTPSContainers::kCaptureRepsPath};
  const auto make = [this](int kind) {
    return kind == 0   ? Make(&F::CreateLightModel, 0)
           : kind == 1 ? Make(&F::CreateLightView, 0)
           : kind == 2 ? Make(&F::CreateLightCG, 0)
                       : Make(&F::CreateLightCapture, 0);
  };
  list<KROBaseUnknown>* lists[4] = {set_->GetTPSList()};
  set_->GetViewList(&lists[1]);
  set_->GetCGList(&lists[2]);
  set_->GetCaptureList(&lists[3]);
  const long reps = KRORep::LiveCount();
  KRODocumentBuilder doc;
  std::vector<KROTPSLightAdapt*> objects;
  for (int kind = 0; kind < 4; ++kind) {
    objects.push_back(make(kind));
    lists[kind]->Append(nullptr); // keeps its slot: the rep there goes to no one
    objects.push_back(make(kind));
    const std::string& p = paths[kind];
    doc.SetStream(
        p, KROSequential(
               {{"KRO3DBagRep", p + "0"}, {"KRO3DBagRep", p + "1"}, {"KRO3DBagRep", p + "2"}}));
  }
  Use(doc.Build());
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  for (int kind = 0; kind < 4; ++kind) {
    EXPECT_EQ(LabelOf(objects[2 * kind]), paths[kind] + "0");
    EXPECT_EQ(LabelOf(objects[2 * kind + 1]), paths[kind] + "2");
  }
  EXPECT_EQ(KRORep::LiveCount(), reps + 8 * 2) << "8 objects hold bag + rep; the rest is freed";
  set_.Reset();
  services_.Reset();
  EXPECT_EQ(KRORep::LiveCount(), reps) << "the reps go with their objects";
}

TEST_F(KRORepBinding, CountMismatchBindsNothingOfThatKindOnly) {
  KROTPSLightTPS* tps[3] = {Tps(1), Tps(2), Tps(3)};
  for (KROTPSLightTPS* t : tps)
    t->SetRep(new (nullptr, nullptr, 0) KRO3DBagRep());
  KROTPSLightAdapt* view = Make(&F::CreateLightView, 1);
  const long reps = KRORep::LiveCount();
  Use(KRODocumentBuilder() // the second entry is of another class: two reps, three annotations
          .SetStream(KROTPSContainers::kAnnotationsPath,
                     KROSequential({{"KRO3DBagRep", "a"}, {"KRO2DRep"}, {"KRO3DBagRep", "c"}}))
          .SetStream(KROTPSContainers::kViewsPath, KROSequential({{"KRO3DBagRep", "v"}}))
          .Build());
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  for (KROTPSLightTPS* t : tps)
    EXPECT_EQ(LabelOf(t), "") << "keeps its earlier, unlabelled rep";
  EXPECT_EQ(LabelOf(view), "v");
  EXPECT_EQ(KRORep::LiveCount(), reps + 2) << "the two unbound reps are destroyed";
}

TEST_F(KRORepBinding, IndexedStreamsPairByIndexAndAcceptTheirClassesOnly) {
  KROTPSLightTPS *second = Tps(2), *first = Tps(1), *twin = Tps(2), *refused = Tps(3);
  KROTPSLightCapture *cap2 = Capture(2), *cap1 = Capture(1), *capRefused = Capture(3);
  auto* earlier = new (nullptr, nullptr, 0) KRO2DCustomRep();
  earlier->SetLabel("earlier");
  refused->Set2DRep(earlier);
  Use(KRODocumentBuilder()
          .SetStream(KROTPSContainers::kAnnotations2DPath,
                     KROIndexed({{"KRO2DBagRep", "t1"}, {"KRO2DCustomRep", "t2"}, {"KRO3DBagRep"}}))
          .SetStream(KROTPSContainers::kCapturesPath,
                     KROIndexed({{"KRO3DBagRep", "c1"}, {"KRO3DBagRep", "c2"}, {"KRO2DBagRep"}}))
          .Build());
  ASSERT_EQ(services_->GenerateAll2DReps(), S_OK);
  ASSERT_EQ(services_->GenerateAllCapturesReps(), S_OK);
  EXPECT_EQ(Label2DOf(first), "t1");
  EXPECT_EQ(Label2DOf(second), "t2");
  EXPECT_EQ(Label2DOf(twin), "t2");
  EXPECT_EQ(Label2DOf(refused), "earlier") << "KRO3DBagRep is no 2D rep";
  KRO2DRep *a = nullptr, *b = nullptr;
  second->Get2DRep(&a);
  twin->Get2DRep(&b);
  EXPECT_NE(a, b) << "one index, two reads, two reps";
  EXPECT_EQ(LabelOf(cap1), "c1");
  EXPECT_EQ(LabelOf(cap2), "c2");
  EXPECT_EQ(LabelOf(capRefused), "-") << "KRO2DBagRep is no capture rep";
}

TEST_F(KRORepBinding, OnlyAnnotationsGetTwoDRepsFromTheAnnotationList) {
  KROTPSLightAdapt* others[] = {Make(&F::CreateLightView, 1), Capture(1)};
  for (KROTPSLightAdapt* other : others) {
    other->AddRef(); // the annotation list's own reference
    set_->AddTPS(other);
  }
  auto* claimant = new ClaimsToBeAnnotation();
  claimant->SetIndex(1);
  set_->AddTPS(claimant);
  KROTPSLightTPS* tps = Tps(1);
  const long reps = KRORep::LiveCount();
  Use(KRODocumentBuilder()
          .SetStream(KROTPSContainers::kAnnotations2DPath, KROIndexed({{"KRO2DBagRep", "t"}}))
          .Build());
  EXPECT_EQ(services_->GenerateAll2DReps(), S_OK);
  EXPECT_EQ(Label2DOf(tps), "t");
  EXPECT_EQ(KRORep::LiveCount(), reps + 2) << "the views and the capture got nothing";
}

TEST_F(KRORepBinding, CapturesTakeTheRepOfTheLaterCall) {
  KROTPSLightCapture* cap = Capture(1);
  Use(KRODocumentBuilder() // KROTPSContainers::kCaptures without its child
          .SetStream(KROTPSContainers::kCapturesPath, KROIndexed({{"KRO3DBagRep", "indexed"}}))
          .Build());
  EXPECT_EQ(services_->GenerateAllReps(), S_OK);
  EXPECT_EQ(LabelOf(cap), "-");
  Use(KRODocumentBuilder()
          .SetStream(KROTPSContainers::kCapturesPath, KROIndexed({{"KRO3DBagRep", "indexed"}}))
          .SetStream(KROTPSContainers::kCaptureRepsPath,
                     KROSequential({{"KRO3DBagRep", "sequential"}}))
          .Build());
  const long reps = KRORep::LiveCount();
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  ASSERT_EQ(services_->GenerateAllCapturesReps(), S_OK);
  EXPECT_EQ(LabelOf(cap), "indexed");
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  EXPECT_EQ(LabelOf(cap), "sequential");
  EXPECT_EQ(KRORep::LiveCount(), reps + 2) << "each replaced rep is destroyed";
}

TEST_F(KRORepBinding, EachCallNeedsTheRoadToTheRootAndItsOwnChild) {
  KROTPSLightTPS* tps = Tps(1);
  const auto calls = [&] {
    return std::vector<HRESULT>{services_->GenerateAllReps(), services_->GenerateAll2DReps(),
                                services_->GenerateAllCapturesReps()};
  };
  const std::vector<HRESULT> failed = {E_FAIL, E_FAIL, E_FAIL};
  EXPECT_EQ(calls(), failed) << "no document";
  KROTPSLightAdapt* notADocument = Capture(0);
  set_->SetDocument(notADocument);
  EXPECT_EQ(calls(), failed) << "no KROIVZBDocument";
  const KROBytes seq = KROSequential({{"KRO3DBagRep", "x"}});
  Use(KRODocumentBuilder().SetStream("Other/KROTPSTPSCont", seq).Build());
  EXPECT_EQ(calls(), failed) << "no root container";
  Use(KRODocumentBuilder().SetStream("V4V5_FDT/Other", seq).Build());
  EXPECT_EQ(calls(), failed) << "none of the children";
  EXPECT_EQ(LabelOf(tps), "-");

  Use(KRODocumentBuilder()
          .SetStream(KROTPSContainers::kAnnotations2DPath, KROIndexed({{"KRO2DBagRep", "x"}}))
          .Build());
  EXPECT_EQ(calls(), (std::vector<HRESULT>{E_FAIL, S_OK, E_FAIL}));
  // Missing or empty streams still succeed; they bind only lists as empty as they are.
  Use(KRODocumentBuilder()
          .AddContainer(KROTPSContainers::kViewsPath)
          .SetStream(KROTPSContainers::kCGsPath, {})
          .AddContainer(KROTPSContainers::kCapturesPath)
          .Build());
  EXPECT_EQ(calls(), (std::vector<HRESULT>{S_OK, E_FAIL, S_OK}));
}

// A TTRS keeps its rep borrowed, without a wrapper bag. Put into any list that binding walks, it
// must not end up the only keeper of a rep that nothing would ever destroy.
TEST_F(KRORepBinding, ATTRSInABoundListIsLeftWithoutTheRepAndTheRepIsFreed) {
  list<KROBaseUnknown>* lists[4] = {set_->GetTPSList()};
  set_->GetViewList(&lists[1]);
  set_->GetCGList(&lists[2]);
  set_->GetCaptureList(&lists[3]);
  KROTPSLightAdapt* view = Make(&F::CreateLightView, 1); // shares the view list with a TTRS
  auto* hostRep = new (nullptr, nullptr, 0) KRO3DBagRep();
  KROTPSLightTTRS* ttrs[4] = {};
  for (int k = 0; k < 4; ++k) {
    ttrs[k] = Make<KROTPSLightTTRS>(&F::CreateLightTTRS, 1);
    ttrs[k]->SetRep(hostRep); // borrowed from us
    ttrs[k]->AddRef();        // the reference the other list takes over
    lists[k]->Append(ttrs[k]);
  }
  const long reps = KRORep::LiveCount();
  Use(KRODocumentBuilder()
          .SetStream(KROTPSContainers::kAnnotationsPath, KROSequential({{"KRO3DBagRep", "t"}}))
          .SetStream(KROTPSContainers::kViewsPath,
                     KROSequential({{"KRO3DBagRep", "v"}, {"KRO3DBagRep", "x"}}))
          .SetStream(KROTPSContainers::kCGsPath, KROSequential({{"KRO3DBagRep", "g"}}))
          .SetStream(KROTPSContainers::kCapturesPath, KROIndexed({{"KRO3DBagRep", "i"}}))
          .SetStream(KROTPSContainers::kCaptureRepsPath, KROSequential({{"KRO3DBagRep", "c"}}))
          .SetStream(KROTPSContainers::kAnnotations2DPath, KROIndexed({{"KRO2DBagRep", "2d"}}))
          .Build());
  const auto bare = [&] {
    for (KROTPSLightTTRS* t : ttrs) {
      KRORep* rep = hostRep;
      if (t->GetRep(&rep) != E_FAIL || rep) return false;
    }
    return true;
  };
  ASSERT_EQ(services_->GenerateAllReps(), S_OK);
  EXPECT_EQ(LabelOf(view), "v") << "positions still pair";
  EXPECT_EQ(KRORep::LiveCount(), reps + 2) << "only the view's bag and rep stay";
  EXPECT_TRUE(bare()) << "no TTRS points at a freed rep";
  ASSERT_EQ(services_->GenerateAllCapturesReps(), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2);
  ASSERT_EQ(services_->GenerateAll2DReps(), S_OK);
  EXPECT_EQ(KRORep::LiveCount(), reps + 2);
  EXPECT_TRUE(bare());
  hostRep->Destroy();
}

} // namespace
