// KROITPSLightCG.h - a constructed geometry.
#pragma once

#include "KROBaseUnknown.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSLightCG = {
    0x677BC327, 0xE7A8, 0x4E02, {0x8B, 0x76, 0xBC, 0x6F, 0xAB, 0x2C, 0xFE, 0x15}};

/// The two link-id pairs are two names for one collection.
class KRO_KERNEL_API KROITPSLightCG : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightCG;
  static constexpr const char* kName = "KROITPSLightCG";

  virtual HRESULT AddTTRSLinkID(int id) = 0;
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  virtual HRESULT AddRepresentedTTRSLinkID(int id) = 0;
  virtual HRESULT GetRepresentedTTRSLinkIds(KRORawCollint** ids) = 0;
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
};
