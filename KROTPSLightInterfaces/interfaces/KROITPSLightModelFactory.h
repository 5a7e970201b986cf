// KROITPSLightModelFactory.h - the host's entry point for building a light model.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

class KROITPSLightModel;
class KROITPSLightSet;
class KROITPSLightView;
class KROITPSLightRefFrame;
class KROITPSLightTTRS;
class KROITPSLightCapture;
class KROITPSLightCG;
class KROITPSLightFake;

/// Id of KROITPSLightModelFactory, answered by KROTPSLightContainer.
inline constexpr IID IID_KROITPSLightModelFactory = {
    0x97F1758A, 0xEC9C, 0x442E, {0x96, 0xEA, 0x91, 0x66, 0x46, 0x64, 0x16, 0xFC}};

/// The factory of a light model. Each create operation but `CreateLightSet` links the new object
/// to `set`, puts it into the set's list for its kind (the list keeps the creation reference) and
/// hands the caller a counted interface in `out`; E_FAIL for a null argument. A set whose list
/// is gone (after `RemoveAllChildren`) does not take it: the caller's reference is then the only
/// one.
class KRO_KERNEL_API KROITPSLightModelFactory : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightModelFactory;
  static constexpr const char* kName = "KROITPSLightModelFactory";
  ///@}

  /// A new annotation, in the set's annotation list.
  virtual HRESULT CreateLightModel(KROITPSLightModel** out, KROITPSLightSet* set) = 0;
  /// A new, empty set, counted for the caller; E_FAIL for a null `out`. `handler`, when given,
  /// must offer KROITPSLightModelHandler (else E_FAIL, `out` untouched): it is told the set's
  /// base pointer once and becomes its reference product.
  virtual HRESULT CreateLightSet(KROITPSLightSet** out, KROBaseUnknown* handler) = 0;
  /// A new annotation view, in the set's view list.
  virtual HRESULT CreateLightView(KROITPSLightView** out, KROITPSLightSet* set) = 0;
  /// A new reference frame, in the set's reference-frame list.
  virtual HRESULT CreateLightRefFrame(KROITPSLightRefFrame** out, KROITPSLightSet* set) = 0;
  /// A new TTRS, in the set's TTRS list.
  virtual HRESULT CreateLightTTRS(KROITPSLightTTRS** out, KROITPSLightSet* set) = 0;
  /// A new capture, in the set's capture list.
  virtual HRESULT CreateLightCapture(KROITPSLightCapture** out, KROITPSLightSet* set) = 0;
  /// A new constructed geometry, in the set's constructed-geometry list.
  virtual HRESULT CreateLightCG(KROITPSLightCG** out, KROITPSLightSet* set) = 0;
  /// A new fake, in the set's fake list.
  virtual HRESULT CreateLightFake(KROITPSLightFake** out, KROITPSLightSet* set) = 0;
};
