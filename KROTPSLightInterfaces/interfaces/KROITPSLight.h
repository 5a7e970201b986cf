// KROITPSLight.h - the face every light object, TTRS and the set extension share.
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

class KRORep;
class KROITPSLightSet;

inline constexpr IID IID_KROITPSLight = {
    0xE0C56DEF, 0x9204, 0x4DD2, {0x8E, 0x71, 0x54, 0xFA, 0xB0, 0xEE, 0x91, 0xE3}};

/// Texts come back as new arrays the caller frees with delete[]; reps are never counted.
class KRO_KERNEL_API KROITPSLight : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLight;
  static constexpr const char* kName = "KROITPSLight";

  virtual HRESULT GetName(KROWChar** name) = 0;
  virtual HRESULT SetName(const KROWChar* name) = 0;
  virtual HRESULT GetType(unsigned short* type) = 0;
  virtual HRESULT SetType(unsigned short type) = 0;
  virtual HRESULT GetRep(KRORep** rep) = 0;
  virtual HRESULT SetRep(KRORep* rep) = 0;
  virtual HRESULT GetIndex(int* index) = 0;
  virtual HRESULT SetIndex(int index) = 0;
  /// The owning set, counted for the caller.
  virtual HRESULT GetLightSet(KROITPSLightSet** set) = 0;
  /// Links the object to a set without counting it.
  virtual HRESULT SetLightSet(KROITPSLightSet* set) = 0;
  virtual HRESULT GetStatus(unsigned short* status) = 0;
  virtual HRESULT SetStatus(unsigned short status) = 0;
  virtual HRESULT GetUUId(KROWChar** uuid) = 0;
  virtual HRESULT SetUUId(const KROWChar* uuid) = 0;
};
