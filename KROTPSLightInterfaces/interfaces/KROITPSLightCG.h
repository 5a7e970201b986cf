// KROITPSLightCG.h - a constructed geometry.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightCG, answered by a constructed geometry.
inline constexpr IID IID_KROITPSLightCG = {
    0x677BC327, 0xE7A8, 0x4E02, {0x8B, 0x76, 0xBC, 0x6F, 0xAB, 0x2C, 0xFE, 0x15}};

/// A constructed geometry. The two link-id pairs are two names for one collection.
class KRO_KERNEL_API KROITPSLightCG : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightCG;
  static constexpr const char* kName = "KROITPSLightCG";
  ///@}

  ///@{
  /// The indexes of the TTRS the geometry represents. Each add appends (no check, duplicates
  /// kept); each get hands out a new copy, in order, which the caller deletes (E_FAIL before
  /// the first add).
  virtual HRESULT AddTTRSLinkID(int id) = 0;
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  virtual HRESULT AddRepresentedTTRSLinkID(int id) = 0;
  virtual HRESULT GetRepresentedTTRSLinkIds(KRORawCollint** ids) = 0;
  ///@}
  /// The attributes text, as a new text the caller frees; E_FAIL for a null out-pointer.
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  /// Copies `text`; E_FAIL for null.
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
};
