// KROITPSLightTTRS.h - the geometry paths of a TTRS.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightTTRS, answered by a TTRS.
inline constexpr IID IID_KROITPSLightTTRS = {
    0xCF117DD4, 0x0F44, 0x4F63, {0x98, 0x62, 0x93, 0x99, 0xD1, 0x31, 0x1D, 0xC7}};

/// A TTRS: a geometric feature annotations apply to, named by the geometry paths to its faces
/// and referred to by its index (`KROITPSLight::SetIndex`).
class KRO_KERNEL_API KROITPSLightTTRS : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightTTRS;
  static constexpr const char* kName = "KROITPSLightTTRS";
  ///@}

  /// Appends a geometry path; its last id is a face tag (`GetListOfAnnotationsWithZORTag`).
  /// Takes ownership of `path`, which must come from its own `new`; E_FAIL for null.
  virtual HRESULT AddGeomPathId(KRORawCollint* path) = 0;
  /// Replaces the content of `paths` with the TTRS's own path collections, in order; do not
  /// delete them. E_FAIL for null.
  virtual HRESULT GetGeomPathId(KRORawCollPV* paths) = 0;
};
