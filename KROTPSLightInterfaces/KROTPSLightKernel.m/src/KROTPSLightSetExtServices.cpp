// KROTPSLightSetExtServices.cpp - rep binding, selection by type and the geometry-tag query.
#include "KROTPSLightSetExt.h"

// Implemented with rep binding.
HRESULT KROTPSLightSetExt::GenerateAllReps() { return E_FAIL; }

// Implemented with rep binding.
HRESULT KROTPSLightSetExt::GenerateAll2DReps() { return E_FAIL; }

// Implemented with rep binding.
HRESULT KROTPSLightSetExt::GenerateAllCapturesReps() { return E_FAIL; }

// Implemented with retrieval by type.
HRESULT KROTPSLightSetExt::RetrieveLightTPSsType(unsigned short, list<KROBaseUnknown>**) {
  return E_FAIL;
}

// Selection by super type is not offered.
HRESULT KROTPSLightSetExt::RetrieveLightTPSsSuperType(unsigned short, list<KROBaseUnknown>**) {
  return E_FAIL;
}

// Implemented with the geometry-tag query.
HRESULT KROTPSLightSetExt::GetListOfAnnotationsWithZORTag(int, list<KROBaseUnknown>**) const {
  return E_FAIL;
}
