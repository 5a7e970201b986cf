// KROITPSLightModelFactory.h - the host's entry point for building a light model.
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

inline constexpr IID IID_KROITPSLightModelFactory = {
    0x97F1758A, 0xEC9C, 0x442E, {0x96, 0xEA, 0x91, 0x66, 0x46, 0x64, 0x16, 0xFC}};

/// Each create operation puts the new object into `set`'s list for its kind (the list keeps the
/// creation reference) and hands the caller a counted interface in `out`.
class KRO_KERNEL_API KROITPSLightModelFactory : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightModelFactory;
  static constexpr const char* kName = "KROITPSLightModelFactory";

  virtual HRESULT CreateLightModel(KROITPSLightModel** out, KROITPSLightSet* set) = 0;
  /// `handler`, when given, must offer KROITPSLightModelHandler; it becomes the reference product.
  virtual HRESULT CreateLightSet(KROITPSLightSet** out, KROBaseUnknown* handler) = 0;
  virtual HRESULT CreateLightView(KROITPSLightView** out, KROITPSLightSet* set) = 0;
  virtual HRESULT CreateLightRefFrame(KROITPSLightRefFrame** out, KROITPSLightSet* set) = 0;
  virtual HRESULT CreateLightTTRS(KROITPSLightTTRS** out, KROITPSLightSet* set) = 0;
  virtual HRESULT CreateLightCapture(KROITPSLightCapture** out, KROITPSLightSet* set) = 0;
  virtual HRESULT CreateLightCG(KROITPSLightCG** out, KROITPSLightSet* set) = 0;
  virtual HRESULT CreateLightFake(KROITPSLightFake** out, KROITPSLightSet* set) = 0;
};
