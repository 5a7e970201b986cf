// KROITPSLightTTRS.h - the geometry paths of a TTRS.
#pragma once

#include "KROBaseUnknown.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSLightTTRS = {
    0xCF117DD4, 0x0F44, 0x4F63, {0x98, 0x62, 0x93, 0x99, 0xD1, 0x31, 0x1D, 0xC7}};

class KRO_KERNEL_API KROITPSLightTTRS : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightTTRS;
  static constexpr const char* kName = "KROITPSLightTTRS";

  /// Takes ownership of `path`, which must come from its own `new`; its last id is a geometry tag.
  virtual HRESULT AddGeomPathId(KRORawCollint* path) = 0;
  /// Replaces the content of `paths` with the TTRS's own path collections; do not delete them.
  virtual HRESULT GetGeomPathId(KRORawCollPV* paths) = 0;
};
