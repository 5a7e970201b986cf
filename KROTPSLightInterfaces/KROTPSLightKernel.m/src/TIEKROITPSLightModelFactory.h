// TIEKROITPSLightModelFactory.h - forwards KROITPSLightModelFactory to the container.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightModelFactory.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightModelFactory : public KROTie<KROITPSLightModelFactory> {
public:
  HRESULT CreateLightModel(KROITPSLightModel** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightModel(a, b);
  }
  HRESULT CreateLightSet(KROITPSLightSet** a, KROBaseUnknown* b) override {
    return Target<Impl>()->CreateLightSet(a, b);
  }
  HRESULT CreateLightView(KROITPSLightView** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightView(a, b);
  }
  HRESULT CreateLightRefFrame(KROITPSLightRefFrame** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightRefFrame(a, b);
  }
  HRESULT CreateLightTTRS(KROITPSLightTTRS** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightTTRS(a, b);
  }
  HRESULT CreateLightCapture(KROITPSLightCapture** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightCapture(a, b);
  }
  HRESULT CreateLightCG(KROITPSLightCG** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightCG(a, b);
  }
  HRESULT CreateLightFake(KROITPSLightFake** a, KROITPSLightSet* b) override {
    return Target<Impl>()->CreateLightFake(a, b);
  }
};
