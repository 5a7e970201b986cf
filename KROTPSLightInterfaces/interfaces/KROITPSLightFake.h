// KROITPSLightFake.h - a placeholder object with a thumbnail and a fake type.
#pragma once

#include "KROBaseUnknown.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSLightFake = {
    0x1A20DF0C, 0xFBC4, 0x4E09, {0x8A, 0x91, 0xF0, 0x5B, 0x78, 0x42, 0xF5, 0x89}};

class KRO_KERNEL_API KROITPSLightFake : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightFake;
  static constexpr const char* kName = "KROITPSLightFake";

  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  virtual HRESULT GetFakeType(int& type) = 0;
  virtual HRESULT SetFakeType(int type) = 0;
};
