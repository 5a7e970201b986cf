// Cost of the geometry-tag query on a model of 100,000 annotations and 20,000 TTRS: a first
// query (one walk over the model), a kept answer, selection by type, and a query for every face
// tag of the model, to be read against the first query.
#include "KROComPtr.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSModelGeneration.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace bench_tag {
/// Empties the set's kept answers, so that the next query of any tag misses.
struct Forget : KROTPSLightSetExt {
  static void Answers(KROTPSLightSetExt* ext) { (ext->*(&Forget::ClearAnnotationCache))(); }
};
} // namespace bench_tag

namespace {
constexpr int kTTRS = 20000;
constexpr int kAnnotations = 100000;
constexpr int kFirstFace = 1000000;

/// TTRS i (index i + 1) reaches faces i and i + 1 (mod 20,000) through two paths, so each face is
/// reached by two TTRS; annotation j links to one or two TTRS spread over the model.
struct Model {
  KROComPtr<KROITPSLightSet> set;
  KROComPtr<KROITPSLightSetServices> services;
  KROTPSLightSetExt* ext = nullptr;

  Model() {
    auto* component = new KROTPSLightSet();
    component->QueryInterface(IID_KROITPSLightSet, set.Put());
    component->QueryInterface(IID_KROITPSLightSetServices, services.Put());
    component->Release();
    ext = static_cast<KROTPSLightSetExt*>(set->GetImpl());
    for (int i = 0; i < kTTRS; ++i) {
      auto* ttrs = new KROTPSLightTTRS();
      ttrs->SetIndex(i + 1);
      for (int face : {i, (i + 1) % kTTRS}) {
        auto* path = new KRORawCollint();
        path->Append(1);
        path->Append(100 + i / 8);
        path->Append(kFirstFace + face);
        ttrs->AddGeomPathId(path);
      }
      set->AddTTRS(ttrs);
    }
    for (int j = 0; j < kAnnotations; ++j) {
      auto* tps = new KROTPSLightTPS();
      tps->SetType(static_cast<unsigned short>(1 + j % 38));
      tps->AddTTRSLinkID(1 + (j * 7919) % kTTRS);
      if (j % 2 == 0) tps->AddTTRSLinkID(1 + (j * 104729 + 13) % kTTRS);
      set->AddTPS(tps);
    }
  }
  ~Model() { set->FlushData(); }

  /// Drops the kept answers and retires the tag index: the next query walks the model.
  void Forget() const {
    bench_tag::Forget::Answers(ext);
    KROTPSModelChanged();
  }
  int Query(int tag) const {
    list<KROBaseUnknown>* out = nullptr;
    services->GetListOfAnnotationsWithZORTag(tag, &out);
    const int size = out ? out->Size() : -1;
    delete out;
    return size;
  }
  std::vector<KROBaseUnknown*> Answer(int tag) const {
    list<KROBaseUnknown>* out = nullptr;
    services->GetListOfAnnotationsWithZORTag(tag, &out);
    std::vector<KROBaseUnknown*> items(out ? out->Items() : nullptr,
                                       out ? out->Items() + out->Size() : nullptr);
    delete out;
    return items;
  }
};

void BM_TagQueryFirst(benchmark::State& state) {
  const Model model;
  int tag = 0;
  for (auto _ : state) {
    state.PauseTiming();
    model.Forget();
    state.ResumeTiming();
    benchmark::DoNotOptimize(model.Query(kFirstFace + tag++ % kTTRS));
  }
}
BENCHMARK(BM_TagQueryFirst)->Unit(benchmark::kMillisecond);

void BM_TagQueryKept(benchmark::State& state) {
  const Model model;
  model.Query(kFirstFace + 7);
  for (auto _ : state)
    benchmark::DoNotOptimize(model.Query(kFirstFace + 7));
}
BENCHMARK(BM_TagQueryKept);

void BM_RetrieveLightTPSsType(benchmark::State& state) {
  const Model model;
  for (auto _ : state) {
    list<KROBaseUnknown>* out = nullptr;
    model.services->RetrieveLightTPSsType(5, &out);
    benchmark::DoNotOptimize(out->Size());
    delete out;
  }
}
BENCHMARK(BM_RetrieveLightTPSsType)->Unit(benchmark::kMillisecond);

// Every face tag once, starting with nothing kept. Before timing, a sample of answers is checked
// against answers that each came from a walk for that tag alone.
void BM_TagQueryEveryFace(benchmark::State& state) {
  const Model model;
  std::vector<std::vector<KROBaseUnknown*>> walked;
  for (int face = 0; face < kTTRS; face += 997) {
    model.Forget();
    walked.push_back(model.Answer(kFirstFace + face));
  }
  model.Forget();
  for (int face = 0; face < kTTRS; ++face) {
    if (face % 997 == 0 && model.Answer(kFirstFace + face) != walked[std::size_t(face / 997)]) {
      state.SkipWithError("an indexed answer differs from the walked one");
      return;
    }
  }
  for (auto _ : state) {
    state.PauseTiming();
    model.Forget();
    state.ResumeTiming();
    for (int face = 0; face < kTTRS; ++face)
      benchmark::DoNotOptimize(model.Query(kFirstFace + face));
  }
}
BENCHMARK(BM_TagQueryEveryFace)->Unit(benchmark::kMillisecond);
} // namespace
