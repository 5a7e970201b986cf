// Separate sets on separate threads share only process-wide state: the live counts, the model
// generation, the metaclasses, the dictionary and the stream extensions. Each thread here builds,
// binds, queries and tears down sets of its own; under ThreadSanitizer (the tsan preset) any
// unsynchronised shared state shows up as a race, and the live counts must still balance.
#include "KRORepBindingTestSupport.h"

#include "KROITPSIdBroker.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightTTRS.h"
#include "KROTPSLightContainerNames.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using ThreadedSets = KROTest;

struct Checks {
  int made = 0, held = 0;
};

/// One whole life of a set with every kind of object, counting the checks made and those that
/// held, so that the test thread can assert (gtest assertions stay on the main thread).
Checks OneSet(int seed) {
  Checks checks;
  const auto check = [&](bool ok) {
    ++checks.made;
    checks.held += ok ? 1 : 0;
  };
  KROComPtr<KROITPSLightModelFactory> factory;
  auto* container = new KROTPSLightContainer();
  container->QueryInterface(IID_KROITPSLightModelFactory, factory.Put());
  container->Release();
  KROComPtr<KROITPSLightSet> set;
  check(factory->CreateLightSet(set.PutTyped(), nullptr) == S_OK);

  KROComPtr<KROITPSLightModel> tps[2];
  KROComPtr<KROITPSLightView> view;
  KROComPtr<KROITPSLightRefFrame> frame;
  KROComPtr<KROITPSLightTTRS> ttrs;
  KROComPtr<KROITPSLightCapture> capture;
  KROComPtr<KROITPSLightCG> cg;
  KROComPtr<KROITPSLightFake> fake;
  for (auto& t : tps)
    check(factory->CreateLightModel(t.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightView(view.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightRefFrame(frame.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightTTRS(ttrs.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightCapture(capture.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightCG(cg.PutTyped(), set.Get()) == S_OK);
  check(factory->CreateLightFake(fake.PutTyped(), set.Get()) == S_OK);

  const int tag = 100 + seed;
  ttrs.As<KROITPSLight>()->SetIndex(7);
  auto* path = new KRORawCollint();
  path->Append(1);
  path->Append(tag);
  ttrs->AddGeomPathId(path);
  for (int i = 0; i < 2; ++i) {
    tps[i].As<KROITPSLight>()->SetIndex(i + 1);
    tps[i].As<KROITPSLight>()->SetType(static_cast<unsigned short>(i));
    tps[i]->AddTTRSLinkID(7);
    tps[i]->SetLightView(view.Get());
    view->AddTPS(tps[i].Get());
    capture->AddTPS(tps[i].Get());
  }
  tps[0]->AddAssociatedTPS(tps[1].Get());
  frame->AddDatumSimple(tps[1].Get());
  capture->AddTPSView(view.Get());
  capture->SetActiveView(view.Get());
  capture->AddTPSCG(cg.Get());
  capture.As<KROITPSLight>()->SetIndex(1);

  KROVZBDocumentComponent* doc =
      KRODocumentBuilder()
          .SetStream(KROTPSContainers::kAnnotationsPath,
                     KROSequential({{"KRO3DBagRep", "a"}, {"KRO3DBagRep", "b"}}))
          .SetStream(KROTPSContainers::kViewsPath, KROSequential({{"KRO3DBagRep", "v"}}))
          .SetStream(KROTPSContainers::kCGsPath, KROSequential({{"KRO3DBagRep", "g"}}))
          .SetStream(KROTPSContainers::kCapturesPath, KROIndexed({{"KRO3DBagRep", "c"}}))
          .SetStream(KROTPSContainers::kAnnotations2DPath,
                     KROIndexed({{"KRO2DBagRep", "1"}, {"KRO2DCustomRep", "2"}}))
          .Build();
  set->SetDocument(doc);
  auto services = set.As<KROITPSLightSetServices>();
  check(services->GenerateAllReps() == S_OK);
  check(services->GenerateAll2DReps() == S_OK);
  check(services->GenerateAllCapturesReps() == S_OK);
  KRORep* rep = nullptr;
  check(SUCCEEDED(cg.As<KROITPSLight>()->GetRep(&rep)) && rep && rep->GetLabel() == "g");

  for (int twice = 0; twice < 2; ++twice) { // the second answer comes from the cache
    list<KROBaseUnknown>* touching = nullptr;
    check(services->GetListOfAnnotationsWithZORTag(tag, &touching) == S_OK && touching &&
          touching->Size() == 2);
    delete touching;
  }
  list<KROBaseUnknown>* typed = nullptr;
  check(services->RetrieveLightTPSsType(1, &typed) == S_OK && typed && typed->Size() == 1);
  delete typed;
  int id = -1;
  check(set.As<KROITPSIdBroker>()->GetIdForObject(tps[1].Get(), 1, &id) == S_OK && id == 1);

  check(set->RemoveTPS(tps[0].Get()) == S_OK);
  check(set->RemoveView(view.Get()) == S_OK);
  check(set->RemoveCG(cg.Get()) == S_OK);
  check(set->RemoveRefFrame(frame.Get()) == S_OK);
  check(set->FlushData() == S_OK);
  set->SetDocument(doc); // FlushData forgot it; the reps now find no objects and are destroyed
  check(services->GenerateAllReps() == S_OK);
  services.Reset();
  set.Reset();
  doc->Release();
  return checks;
}

TEST_F(ThreadedSets, EachThreadBuildsBindsQueriesAndDestroysItsOwnSets) {
  constexpr int kThreads = 4, kRounds = 25;
  std::vector<Checks> totals(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &totals] {
      for (int round = 0; round < kRounds; ++round) {
        const Checks one = OneSet(t * kRounds + round);
        totals[std::size_t(t)].made += one.made;
        totals[std::size_t(t)].held += one.held;
      }
    });
  for (std::thread& thread : threads)
    thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_GT(totals[std::size_t(t)].made, 0);
    EXPECT_EQ(totals[std::size_t(t)].held, totals[std::size_t(t)].made) << "thread " << t;
  }
}

} // namespace
