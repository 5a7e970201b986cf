// KROITPSLightFake.h - a placeholder object with a thumbnail and a fake type.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightFake, answered by a fake.
inline constexpr IID IID_KROITPSLightFake = {
    0x1A20DF0C, 0xFBC4, 0x4E09, {0x8A, 0x91, 0xF0, 0x5B, 0x78, 0x42, 0xF5, 0x89}};

/// A placeholder object. Every operation succeeds.
class KRO_KERNEL_API KROITPSLightFake : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightFake;
  static constexpr const char* kName = "KROITPSLightFake";
  ///@}

  ///@{
  /// The thumbnail image, copied out and in.
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  ///@}
  ///@{
  /// The fake type, stored unchanged.
  virtual HRESULT GetFakeType(int& type) = 0;
  virtual HRESULT SetFakeType(int type) = 0;
  ///@}
};
