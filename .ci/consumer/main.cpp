// A host that only knows the installed package: build a set with one annotation and tear it down.
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightKernelVersion.h"

#include <cstdio>
#include <cstring>

int KROConsumerBothLists();

// The headers' version is the package's, and the loaded library is the same version.
static_assert(KRO_TPS_LIGHT_KERNEL_VERSION_AT_LEAST(1, 0, 0));
constexpr bool SameText(const char* a, const char* b) {
  return *a == *b && (*a == 0 || SameText(a + 1, b + 1));
}
static_assert(SameText(KRO_TPS_LIGHT_KERNEL_VERSION_STRING, KRO_EXPECTED_VERSION),
              "the version macros disagree with the package version");

int main() {
  if (std::strcmp(KROTPSLightKernelVersionString(), KRO_TPS_LIGHT_KERNEL_VERSION_STRING) != 0 ||
      KROTPSLightKernelVersionNumber() != KRO_TPS_LIGHT_KERNEL_VERSION) {
    std::printf("consumer: loaded library %s, headers %s\n", KROTPSLightKernelVersionString(),
                KRO_TPS_LIGHT_KERNEL_VERSION_STRING);
    return 1;
  }
  if (KROConsumerBothLists() != 4) return 1;
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
  std::printf("consumer %s: %s\n", KROTPSLightKernelVersionString(), ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
