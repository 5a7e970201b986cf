// KROITPSIdBroker.h - objects of the set to ids and back.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSIdBroker, answered by a set.
inline constexpr IID IID_KROITPSIdBroker = {
    0x9A4E2E13, 0x5BB2, 0x427C, {0xBC, 0xAA, 0x44, 0x87, 0xAB, 0xF7, 0xFD, 0x1E}};

/// Id kinds: 1 annotations, 2 views, 3 TTRS, 4 reference frames, 5 constructed geometries.
/// `GetIdForObject` answers the 0-based position; `GetObjectFromId` takes the 1-based one.
class KRO_KERNEL_API KROITPSIdBroker : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSIdBroker;
  static constexpr const char* kName = "KROITPSIdBroker";
  ///@}

  /// The 0-based position of `object` (any of its interfaces) in the list of id kind `kind`:
  /// -1 when it is not there, `*id` untouched for an unknown kind; E_FAIL for a null argument.
  virtual HRESULT GetIdForObject(KROBaseUnknown* object, int kind, int* id) = 0;
  /// The object at 1-based position `id` of the list of id kind `kind`, counted for the caller;
  /// E_FAIL, nothing written, for an id of 0, below 0 or past the list.
  virtual HRESULT GetObjectFromId(int id, int kind, KROBaseUnknown** object) = 0;
};
