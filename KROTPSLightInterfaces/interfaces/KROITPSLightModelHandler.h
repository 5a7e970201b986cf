// KROITPSLightModelHandler.h - implemented by the host; the set keeps it as its reference product.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightModelHandler, which a host's handler answers.
inline constexpr IID IID_KROITPSLightModelHandler = {
    0x521F72BF, 0xCF73, 0x4052, {0xAB, 0x99, 0xC4, 0xD8, 0xAD, 0x97, 0xED, 0x7C}};

/// The host's handler of a set, given to `KROITPSLightModelFactory::CreateLightSet`. The set
/// holds a reference on it as its reference product.
class KRO_KERNEL_API KROITPSLightModelHandler : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightModelHandler;
  static constexpr const char* kName = "KROITPSLightModelHandler";
  ///@}

  /// Called once when a set is created for this handler, with the set's base pointer. A handler
  /// that keeps the set takes its own reference.
  virtual HRESULT AttachLightSet(KROBaseUnknown* set) = 0;
};
