// KROITPSLightRefFrame.h - a reference frame of the set.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

inline constexpr IID IID_KROITPSLightRefFrame = {
    0x98FC1100, 0x1F48, 0x4787, {0x94, 0xCC, 0x7A, 0x4B, 0x7C, 0xA3, 0xFE, 0xD6}};

class KRO_KERNEL_API KROITPSLightRefFrame : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightRefFrame;
  static constexpr const char* kName = "KROITPSLightRefFrame";

  virtual HRESULT GetAllDatumsSimple(list<KROBaseUnknown>** datums) = 0;
  virtual HRESULT AddDatumSimple(KROBaseUnknown* datum) = 0;
  virtual HRESULT RemoveDatumSimple(KROBaseUnknown* datum) = 0;
  virtual HRESULT AddTTRSLinkID(int id) = 0;
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  virtual HRESULT GetSuperType(unsigned short* superType) = 0;
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims) = 0;
  virtual HRESULT RemoveBasiDim(KROBaseUnknown* dim) = 0;
};
