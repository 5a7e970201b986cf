// KROITPSIdBroker.h - objects of the set to ids and back.
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSIdBroker = {
    0x9A4E2E13, 0x5BB2, 0x427C, {0xBC, 0xAA, 0x44, 0x87, 0xAB, 0xF7, 0xFD, 0x1E}};

/// Id kinds: 1 annotations, 2 views, 3 TTRS, 4 reference frames, 5 constructed geometries.
/// `GetIdForObject` answers the 0-based position; `GetObjectFromId` takes the 1-based one.
class KRO_KERNEL_API KROITPSIdBroker : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSIdBroker;
  static constexpr const char* kName = "KROITPSIdBroker";

  virtual HRESULT GetIdForObject(KROBaseUnknown* object, int kind, int* id) = 0;
  /// Pass `object` holding null; on success it carries a reference for the caller.
  virtual HRESULT GetObjectFromId(int id, int kind, KROBaseUnknown** object) = 0;
};
