// KROTPSLightContainer.h - the model factory: the host's entry point for building a light model.
/// \file
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

/// The factory component. Ask it for KROITPSLightModelFactory; its operations are the ones
/// that interface forwards to.
class KRO_KERNEL_API KROTPSLightContainer : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  /// A new container holds one reference, the caller's.
  KROTPSLightContainer();
  /// Run by the last `Release`.
  ~KROTPSLightContainer() override;
  ///@{
  /// The container has no state: a copy is a new component, as any copy of a component is.
  KROTPSLightContainer(const KROTPSLightContainer&) = default;
  KROTPSLightContainer& operator=(const KROTPSLightContainer&) = default;
  ///@}

  /// \copydoc KROITPSLightModelFactory::CreateLightModel
  virtual HRESULT CreateLightModel(KROITPSLightModel** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightSet
  virtual HRESULT CreateLightSet(KROITPSLightSet** out, KROBaseUnknown* handler);
  /// \copydoc KROITPSLightModelFactory::CreateLightView
  virtual HRESULT CreateLightView(KROITPSLightView** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightRefFrame
  virtual HRESULT CreateLightRefFrame(KROITPSLightRefFrame** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightTTRS
  virtual HRESULT CreateLightTTRS(KROITPSLightTTRS** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightCapture
  virtual HRESULT CreateLightCapture(KROITPSLightCapture** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightCG
  virtual HRESULT CreateLightCG(KROITPSLightCG** out, KROITPSLightSet* set);
  /// \copydoc KROITPSLightModelFactory::CreateLightFake
  virtual HRESULT CreateLightFake(KROITPSLightFake** out, KROITPSLightSet* set);
};
