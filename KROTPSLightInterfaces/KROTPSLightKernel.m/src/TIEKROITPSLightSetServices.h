// TIEKROITPSLightSetServices.h - forwards KROITPSLightSetServices to the set extension.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightSetServices.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightSetServices : public KROTie<KROITPSLightSetServices> {
public:
  HRESULT GenerateAllReps() override { return Target<Impl>()->GenerateAllReps(); }
  HRESULT GenerateAll2DReps() override { return Target<Impl>()->GenerateAll2DReps(); }
  HRESULT GenerateAllCapturesReps() override { return Target<Impl>()->GenerateAllCapturesReps(); }
  HRESULT RetrieveLightTPSsType(unsigned short a, list<KROBaseUnknown>** b) override {
    return Target<Impl>()->RetrieveLightTPSsType(a, b);
  }
  HRESULT RetrieveLightTPSsSuperType(unsigned short a, list<KROBaseUnknown>** b) override {
    return Target<Impl>()->RetrieveLightTPSsSuperType(a, b);
  }
  HRESULT GetListOfAnnotationsWithZORTag(int a, list<KROBaseUnknown>** b) override {
    return Target<Impl>()->GetListOfAnnotationsWithZORTag(a, b);
  }
};
