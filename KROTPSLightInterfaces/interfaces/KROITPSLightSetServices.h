// KROITPSLightSetServices.h - rep binding, selection by type and the geometry-tag query.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSLightSetServices = {
    0xED79C2A9, 0x0611, 0x4345, {0xA3, 0xFE, 0xC1, 0x41, 0xCC, 0x05, 0x43, 0x4E}};

/// Result lists belong to the caller (pass a null list to get a new one); their items carry no
/// reference.
class KRO_KERNEL_API KROITPSLightSetServices : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightSetServices;
  static constexpr const char* kName = "KROITPSLightSetServices";

  virtual HRESULT GenerateAllReps() = 0;
  virtual HRESULT GenerateAll2DReps() = 0;
  virtual HRESULT GenerateAllCapturesReps() = 0;
  virtual HRESULT RetrieveLightTPSsType(unsigned short type, list<KROBaseUnknown>** tpss) = 0;
  virtual HRESULT RetrieveLightTPSsSuperType(unsigned short superType,
                                             list<KROBaseUnknown>** tpss) = 0;
  virtual HRESULT GetListOfAnnotationsWithZORTag(int tag, list<KROBaseUnknown>** tpss) = 0;
};
