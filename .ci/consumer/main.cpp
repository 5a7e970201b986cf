// A host that only knows the installed package: build a set with one annotation and tear it down.
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightContainer.h"

#include <cstdio>

int main() {
  long before = KROBaseUnknown::LiveCount();
  auto* container = new KROTPSLightContainer();
  KROITPSLightModelFactory* factory = nullptr;
  container->QueryInterface(IID_KROITPSLightModelFactory, reinterpret_cast<void**>(&factory));
  container->Release();
  if (!factory) return 1;
  KROITPSLightSet* set = nullptr;
  KROITPSLightModel* model = nullptr;
  bool ok = SUCCEEDED(factory->CreateLightSet(&set, nullptr)) &&
            SUCCEEDED(factory->CreateLightModel(&model, set)) && set->GetTPSList() &&
            set->GetTPSList()->Size() == 1;
  if (model) model->Release();
  if (set) set->Release();
  factory->Release();
  ok = ok && KROBaseUnknown::LiveCount() == before;
  std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
