// Cost of QueryInterface, AddRef and Release: a query answered by a live tie, a query that
// builds a new tie, and a failed query.
#include "KROClassMacros.h"
#include "KROComPtr.h"
#include "KRODictionary.h"
#include "KROTPSLightTieSupport.h"

#include <benchmark/benchmark.h>

namespace bench_qi {
inline constexpr IID IID_IBenchA = {0x2B2B2B2B, 0x0001, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr IID IID_IBenchMissing = {0x2B2B2B2B, 0x0009, 0x0009, {1, 2, 3, 4, 5, 6, 7, 8}};

class IBenchA : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_IBenchA;
  static constexpr const char* kName = "IBenchA";
  virtual int A() = 0;
};
template <class Impl> class TIEIBenchA : public KROTie<IBenchA> {
public:
  int A() override { return Target<Impl>()->A(); }
};
class BenchWidget : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  int A() { return 1; }
};
KRO_IMPLEMENT_CLASS(BenchWidget, "KROBenchmarks", Implementation, "BenchWidget", nullptr)
KROBaseUnknown* BenchWidget::CreateItself() { return nullptr; }
} // namespace bench_qi

namespace {
using namespace bench_qi;
struct Registrar {
  Registrar() {
    KROFillDictionary(BenchWidget::MetaObject(), KROTieMetaOf<IBenchA, BenchWidget>(),
                      &KROCreateTieOf<TIEIBenchA, IBenchA, BenchWidget>, nullptr, 1);
  }
} gRegistrar;

void BM_QueryLiveTie(benchmark::State& state) {
  auto* w = new BenchWidget();
  KROComPtr<IBenchA> held;
  w->QueryInterface(IID_IBenchA, held.Put());
  for (auto _ : state) {
    IBenchA* a = nullptr;
    w->QueryInterface(IID_IBenchA, reinterpret_cast<void**>(&a));
    benchmark::DoNotOptimize(a);
    a->Release();
  }
  held.Reset();
  w->Release();
}
BENCHMARK(BM_QueryLiveTie);

void BM_QueryNewTie(benchmark::State& state) {
  auto* w = new BenchWidget();
  for (auto _ : state) {
    IBenchA* a = nullptr;
    w->QueryInterface(IID_IBenchA, reinterpret_cast<void**>(&a));
    benchmark::DoNotOptimize(a);
    a->Release(); // last reference on the tie: it goes, so the next query builds a new one
  }
  w->Release();
}
BENCHMARK(BM_QueryNewTie);

void BM_QueryFailed(benchmark::State& state) {
  auto* w = new BenchWidget();
  for (auto _ : state) {
    void* p = nullptr;
    benchmark::DoNotOptimize(w->QueryInterface(IID_IBenchMissing, &p));
  }
  w->Release();
}
BENCHMARK(BM_QueryFailed);

void BM_AddRefRelease(benchmark::State& state) {
  auto* w = new BenchWidget();
  for (auto _ : state) {
    w->AddRef();
    benchmark::DoNotOptimize(w->Release());
  }
  w->Release();
}
BENCHMARK(BM_AddRefRelease);
} // namespace
