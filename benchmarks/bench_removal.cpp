// Cost of one removal of each kind from a set of n annotations, of which a given share (0, 10 or
// 100 percent) hold lists: associated annotations, an order group and basic dimensions, and a
// view link. Eight reference frames, captures, views, constructed geometries and TTRS hold
// theirs in every model: each frame has datums, each capture annotations, views and geometries.
// The object removed is put back, and linked again where it was linked, after each call, so that
// every call finds the same links; annotations are removed in turn, each from the front of the
// list, the worst place for the list's shift.
//
// BM_Build times building the model and tearing it down, and reports the heap it keeps per
// annotation before and after its first removal, and how long that removal takes.
#include "KROComPtr.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KROTPSLightContainer.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<long long> gLiveBytes{0};
} // namespace

// Every allocation of the process, the kernel's included, goes through these.
void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  gLiveBytes += static_cast<long long>(malloc_usable_size(p));
  return p;
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  void* p = std::malloc(n ? n : 1);
  if (p) gLiveBytes += static_cast<long long>(malloc_usable_size(p));
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept {
  if (!p) return;
  gLiveBytes -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {
using Ptr = KROBaseUnknown*;
using List = list<KROBaseUnknown>;
constexpr int kFew = 8;

template <class Itf> KROComPtr<Itf> As(Ptr p) {
  KROComPtr<Itf> itf;
  p->QueryInterface(Itf::kIID, itf.Put());
  return itf;
}

/// A set built through the factory; the vectors hold its list items, each with an extra
/// reference held here so that a removal never destroys it. `holders[t]` are the lists that
/// list annotation t.
struct Model {
  KROComPtr<KROITPSLightModelFactory> factory;
  KROComPtr<KROITPSLightSet> set;
  std::vector<Ptr> annotations, views, frames, captures, cgs, ttrs;
  std::vector<std::vector<List*>> holders;

  template <class Itf>
  Ptr Create(HRESULT (KROITPSLightModelFactory::*create)(Itf**, KROITPSLightSet*)) {
    KROComPtr<Itf> itf;
    (factory.Get()->*create)(itf.PutTyped(), set.Get());
    Ptr base = nullptr;
    itf->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base));
    return base; // the reference stays with the model
  }

  Model(int n, int percent) {
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory.Put());
    container->Release();
    factory->CreateLightSet(set.PutTyped(), nullptr);
    using F = KROITPSLightModelFactory;
    for (int i = 0; i < kFew; ++i) {
      views.push_back(Create(&F::CreateLightView));
      frames.push_back(Create(&F::CreateLightRefFrame));
      captures.push_back(Create(&F::CreateLightCapture));
      cgs.push_back(Create(&F::CreateLightCG));
      ttrs.push_back(Create(&F::CreateLightTTRS));
    }
    for (int i = 0; i < n; ++i)
      annotations.push_back(Create(&F::CreateLightModel));
    holders.resize(std::size_t(n));
    const auto link = [&](List* l, int t) {
      l->Append(annotations[std::size_t(t % n)]);
      holders[std::size_t(t % n)].push_back(l);
    };
    const int every = percent ? 100 / percent : 0;
    for (int i = 0; every && i < n; i += every) {
      auto model = As<KROITPSLightModel>(annotations[std::size_t(i)]);
      List* l = nullptr;
      model->AddAssociatedTPS(annotations[std::size_t((i + 1) % n)]);
      model->GetAssociatedTPS(&l);
      holders[std::size_t((i + 1) % n)].push_back(l);
      model->SetOrderGroup(new List);
      model->GetOrderGroup(&l);
      link(l, i + 2);
      model->SetAttributes(u"D:0:"); // an empty list of basic dimensions, filled below
      model->GetBasicDim(&l);
      link(l, i + 3);
      model->SetLightView(As<KROITPSLightView>(views[1 + std::size_t(i) % (kFew - 1)]).Get());
    }
    for (int t = 5; t < n; t += 10) {
      List* l = nullptr;
      As<KROITPSLightRefFrame>(frames[std::size_t(t / 10 % kFew)])->GetAllDatumsSimple(&l);
      link(l, t);
      As<KROITPSLightCapture>(captures[std::size_t(t / 10 % kFew)])->GetTPSs(&l);
      link(l, t);
    }
    for (Ptr c : captures) {
      As<KROITPSLightCapture>(c)->AddTPSView(views[0]);
      As<KROITPSLightCapture>(c)->AddTPSCG(cgs[0]);
    }
  }
  ~Model() {
    for (auto* items : {&annotations, &views, &frames, &captures, &cgs, &ttrs})
      for (Ptr p : *items)
        p->Release();
  }
};

enum Kind { kTPS, kView, kRefFrame, kCG, kCapture, kTTRS };

void BM_Remove(benchmark::State& state) {
  const int n = int(state.range(0));
  Model model(n, int(state.range(1)));
  KROITPSLightSet* set = model.set.Get();
  std::size_t next = 0;
  for (auto _ : state) {
    switch (Kind(state.range(2))) {
    case kTPS: {
      const std::size_t t = next++ % model.annotations.size();
      Ptr tps = model.annotations[t];
      set->RemoveTPS(tps);
      tps->AddRef();
      set->AddTPS(tps);
      for (List* l : model.holders[t])
        l->Append(tps);
      break;
    }
    case kView:
      set->RemoveView(model.views[0]);
      model.views[0]->AddRef();
      set->AddTPSView(model.views[0]);
      for (Ptr c : model.captures)
        As<KROITPSLightCapture>(c)->AddTPSView(model.views[0]);
      break;
    case kRefFrame:
      set->RemoveRefFrame(model.frames[0]);
      model.frames[0]->AddRef();
      set->AddRefFrame(model.frames[0]);
      break;
    case kCG:
      set->RemoveCG(model.cgs[0]);
      model.cgs[0]->AddRef();
      set->AddCG(model.cgs[0]);
      for (Ptr c : model.captures)
        As<KROITPSLightCapture>(c)->AddTPSCG(model.cgs[0]);
      break;
    case kCapture:
      set->RemoveCapture(model.captures[0]);
      model.captures[0]->AddRef();
      set->AddCapture(model.captures[0]);
      break;
    case kTTRS:
      set->RemoveTTRS(model.ttrs[0]);
      model.ttrs[0]->AddRef();
      set->AddTTRS(model.ttrs[0]);
      break;
    }
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int kind : {kTPS, kView, kRefFrame, kCG, kCapture, kTTRS})
    for (int percent : {0, 10, 100})
      for (int n : {1000, 10000, 100000})
        b->Args({n, percent, kind});
  b->ArgNames({"n", "pct", "kind"});
}
BENCHMARK(BM_Remove)->Apply(Sizes);

void BM_Build(benchmark::State& state) {
  const int n = int(state.range(0));
  long long bytes = 0, indexedBytes = 0;
  double firstRemoval = 0;
  for (auto _ : state) {
    const long long before = gLiveBytes;
    Model model(n, int(state.range(1)));
    bytes = gLiveBytes - before;
    // The first removal of a model pays for what later removals skip: time it, and the heap
    // kept after it. The removal changes nothing (a TTRS is no geometry), the teardown is timed.
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    model.set->RemoveCG(model.ttrs[0]);
    firstRemoval =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    indexedBytes = gLiveBytes - before;
    state.ResumeTiming();
  }
  state.counters["bytes_per_annotation"] = double(bytes) / n;
  state.counters["indexed_bytes_per_annotation"] = double(indexedBytes) / n;
  state.counters["first_removal_us"] = firstRemoval;
}
BENCHMARK(BM_Build)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 10, 100}})
    ->ArgNames({"n", "pct"})
    ->Unit(benchmark::kMillisecond);

} // namespace
