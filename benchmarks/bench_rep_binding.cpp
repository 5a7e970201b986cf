// Cost of binding the document's reps: GenerateAllReps (sequential streams of annotations, views,
// constructed geometries and captures), GenerateAll2DReps and GenerateAllCapturesReps (indexed
// streams), for 1,000 to 100,000 objects of each kind. "per_object" is the time per object bound
// and should stay flat as the count grows.
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightView.h"
#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

template <class Rep> void WriteRep(KROStreamWriter& w, const std::string& label) {
  Rep* rep = new (nullptr, nullptr, 0) Rep();
  rep->SetLabel(label);
  w.WriteRep(*rep);
  rep->Destroy();
}

template <class Rep> Bytes Sequential(int n) {
  KROStreamWriter w;
  w.WriteInt(n);
  for (int i = 0; i < n; ++i)
    WriteRep<Rep>(w, std::to_string(i));
  return w.TakeBytes();
}

template <class Rep> Bytes Indexed(int n) {
  KROIndexedStreamWriter w(n);
  for (int k = 1; k <= n; ++k) {
    w.BeginEntry(k);
    WriteRep<Rep>(w.Writer(), std::to_string(k));
  }
  return w.TakeBytes();
}

/// A set with `n` annotations, views, captures and constructed geometries (indexes 1..n), made
/// through the factory, and a document holding a rep for each of them in every stream.
class Model {
public:
  explicit Model(int n) {
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory_.Put());
    container->Release();
    factory_->CreateLightSet(set_.PutTyped(), nullptr);
    services_ = set_.As<KROITPSLightSetServices>();
    for (int i = 1; i <= n; ++i) {
      Make(&KROITPSLightModelFactory::CreateLightModel, i);
      Make(&KROITPSLightModelFactory::CreateLightView, i);
      Make(&KROITPSLightModelFactory::CreateLightCapture, i);
      Make(&KROITPSLightModelFactory::CreateLightCG, i);
    }
    const Bytes bags = Sequential<KRO3DBagRep>(n);
    doc_ = KRODocumentBuilder()
               .SetStream(KROTPSContainers::kAnnotationsPath, bags)
               .SetStream(KROTPSContainers::kViewsPath, bags)
               .SetStream(KROTPSContainers::kCGsPath, bags)
               .SetStream(KROTPSContainers::kCapturesPath, Indexed<KRO3DBagRep>(n))
               .SetStream(KROTPSContainers::kCaptureRepsPath, bags)
               .SetStream(KROTPSContainers::kAnnotations2DPath, Indexed<KRO2DBagRep>(n))
               .Build();
    set_->SetDocument(doc_);
  }
  ~Model() {
    services_.Reset();
    set_.Reset();
    factory_.Reset();
    doc_->Release();
  }
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  KROITPSLightSetServices* Services() const { return services_.Get(); }

private:
  template <class Itf>
  void Make(HRESULT (KROITPSLightModelFactory::*create)(Itf**, KROITPSLightSet*), int index) {
    KROComPtr<Itf> itf;
    (factory_.Get()->*create)(itf.PutTyped(), set_.Get());
    itf.template As<KROITPSLight>()->SetIndex(index);
  }

  KROComPtr<KROITPSLightModelFactory> factory_;
  KROComPtr<KROITPSLightSet> set_;
  KROComPtr<KROITPSLightSetServices> services_;
  KROVZBDocumentComponent* doc_ = nullptr;
};

void PerObject(benchmark::State& state, long objects) {
  state.counters["objects"] = static_cast<double>(objects);
  state.counters["per_object"] = benchmark::Counter(static_cast<double>(objects),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void BM_GenerateAllReps(benchmark::State& state) {
  Model model(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(model.Services()->GenerateAllReps());
  PerObject(state, 4 * state.range(0)); // annotations, views, geometries, captures
}

void BM_GenerateAll2DReps(benchmark::State& state) {
  Model model(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(model.Services()->GenerateAll2DReps());
  PerObject(state, state.range(0));
}

void BM_GenerateAllCapturesReps(benchmark::State& state) {
  Model model(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(model.Services()->GenerateAllCapturesReps());
  PerObject(state, state.range(0));
}

void BM_AllThreeCalls(benchmark::State& state) {
  Model model(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.Services()->GenerateAllReps());
    benchmark::DoNotOptimize(model.Services()->GenerateAll2DReps());
    benchmark::DoNotOptimize(model.Services()->GenerateAllCapturesReps());
  }
  PerObject(state, 4 * state.range(0));
}

} // namespace

BENCHMARK(BM_GenerateAllReps)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateAll2DReps)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateAllCapturesReps)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllThreeCalls)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
