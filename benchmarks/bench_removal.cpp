// Cost of one removal from a set of n annotations, a tenth of which hold lists (associated
// annotations and an order group) and a view link. Each removal walks the annotation list, so the
// time per call grows with n; the object removed is put back after each call.
#include "KROComPtr.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightView.h"
#include "KROTPSLightContainer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

/// A set built through the factory; `annotations` and `views` are its list items, each with an
/// extra reference held here so that a removal never destroys it.
struct Model {
  KROComPtr<KROITPSLightModelFactory> factory;
  KROComPtr<KROITPSLightSet> set;
  std::vector<KROBaseUnknown*> annotations;
  std::vector<KROBaseUnknown*> views;

  explicit Model(int n) {
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory.Put());
    container->Release();
    factory->CreateLightSet(set.PutTyped(), nullptr);
    for (int i = 0; i < 8; ++i) {
      KROComPtr<KROITPSLightView> view;
      factory->CreateLightView(view.PutTyped(), set.Get());
      views.push_back(Item(view.Get()));
    }
    std::vector<KROComPtr<KROITPSLightModel>> models(static_cast<std::size_t>(n));
    for (auto& model : models) {
      factory->CreateLightModel(model.PutTyped(), set.Get());
      annotations.push_back(Item(model.Get()));
    }
    for (int i = 0; i < n; i += 10) {
      KROITPSLightModel* model = models[std::size_t(i)].Get();
      model->AddAssociatedTPS(annotations[std::size_t((i + 1) % n)]);
      auto* group = new list<KROBaseUnknown>;
      group->Append(annotations[std::size_t((i + 2) % n)]);
      model->SetOrderGroup(group);
      KROComPtr<KROITPSLightView> view;
      views[1 + std::size_t(i / 10) % (views.size() - 1)]->QueryInterface(IID_KROITPSLightView,
                                                                          view.Put());
      model->SetLightView(view.Get());
    }
  }
  ~Model() {
    for (KROBaseUnknown* p : annotations)
      p->Release();
    for (KROBaseUnknown* p : views)
      p->Release();
  }
  static KROBaseUnknown* Item(KROBaseUnknown* itf) {
    KROBaseUnknown* base = nullptr;
    itf->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base));
    return base; // the reference stays with the model
  }
};

void BM_RemoveTPS(benchmark::State& state) {
  Model model(int(state.range(0)));
  std::size_t next = 0;
  for (auto _ : state) {
    KROBaseUnknown* tps = model.annotations[next++ % model.annotations.size()];
    model.set->RemoveTPS(tps);
    tps->AddRef();
    model.set->AddTPS(tps);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RemoveTPS)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN);

// The view removed is one that no annotation links to; the linked ones stay.
void BM_RemoveView(benchmark::State& state) {
  Model model(int(state.range(0)));
  for (auto _ : state) {
    KROBaseUnknown* view = model.views[0];
    model.set->RemoveView(view);
    view->AddRef();
    model.set->AddTPSView(view);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RemoveView)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN);

} // namespace
