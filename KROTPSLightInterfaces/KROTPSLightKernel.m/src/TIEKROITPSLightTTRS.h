// TIEKROITPSLightTTRS.h - forwards KROITPSLightTTRS to the TTRS class.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightTTRS.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightTTRS : public KROTie<KROITPSLightTTRS> {
public:
  HRESULT AddGeomPathId(KRORawCollint* a) override { return Target<Impl>()->AddGeomPathId(a); }
  HRESULT GetGeomPathId(KRORawCollPV* a) override { return Target<Impl>()->GetGeomPathId(a); }
};
