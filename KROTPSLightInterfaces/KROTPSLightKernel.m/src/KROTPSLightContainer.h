// KROTPSLightContainer.h - the model factory: the host's entry point for building a light model.
///
/// Stateless. Every create operation but `CreateLightSet` builds one model object, links it to the
/// given set and appends it to the set's list for its kind, which keeps the creation reference.
/// \code
///   auto* container = new KROTPSLightContainer();
///   KROComPtr<KROITPSLightModelFactory> factory;
///   container->QueryInterface(IID_KROITPSLightModelFactory, factory.Put());
///   container->Release();
///   KROComPtr<KROITPSLightSet> set;
///   factory->CreateLightSet(set.PutTyped(), nullptr);
///   KROComPtr<KROITPSLightModel> tps;
///   factory->CreateLightModel(tps.PutTyped(), set.Get()); // the set's list holds it too
/// \endcode
#pragma once

#include "KROBaseUnknown.h"
#include "KROClassMacros.h"
#include "KROTPSLightKernelExport.h"

class KROITPSLightModel;
class KROITPSLightSet;
class KROITPSLightView;
class KROITPSLightRefFrame;
class KROITPSLightTTRS;
class KROITPSLightCapture;
class KROITPSLightCG;
class KROITPSLightFake;

class KRO_KERNEL_API KROTPSLightContainer : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  KROTPSLightContainer();
  ~KROTPSLightContainer() override;
  KROTPSLightContainer(const KROTPSLightContainer&) = default;
  KROTPSLightContainer& operator=(const KROTPSLightContainer&) = default;

  virtual HRESULT CreateLightModel(KROITPSLightModel** out, KROITPSLightSet* set);
  /// A handler, when given, must offer KROITPSLightModelHandler: it is told the new set's base
  /// pointer once and becomes the set's reference product.
  virtual HRESULT CreateLightSet(KROITPSLightSet** out, KROBaseUnknown* handler);
  virtual HRESULT CreateLightView(KROITPSLightView** out, KROITPSLightSet* set);
  virtual HRESULT CreateLightRefFrame(KROITPSLightRefFrame** out, KROITPSLightSet* set);
  virtual HRESULT CreateLightTTRS(KROITPSLightTTRS** out, KROITPSLightSet* set);
  virtual HRESULT CreateLightCapture(KROITPSLightCapture** out, KROITPSLightSet* set);
  virtual HRESULT CreateLightCG(KROITPSLightCG** out, KROITPSLightSet* set);
  virtual HRESULT CreateLightFake(KROITPSLightFake** out, KROITPSLightSet* set);
};
