// KROTPSLightSet.h - the annotation set component the host holds.
///
/// The set has no state of its own: its lists, document, reference product and services live in
/// its data extension `KROTPSLightSetExt`, which the runtime creates on the first query for one of
/// the extension's interfaces.
/// \code
///   auto* set = new KROTPSLightSet();
///   KROComPtr<KROITPSLightSet> itf;
///   set->QueryInterface(IID_KROITPSLightSet, itf.Put()); // creates the extension
///   set->Release();                                      // the interface keeps the set alive
/// \endcode
/// The class operations below are reachable only through a class pointer; they produce nothing.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROClassMacros.h"
#include "KROList.h"

class KROTPSLightSet : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  KROTPSLightSet();
  ~KROTPSLightSet() override;
  KROTPSLightSet(const KROTPSLightSet&) = default;
  KROTPSLightSet& operator=(const KROTPSLightSet&) = default;

  // Each returns S_OK and leaves its out argument as it was.
  virtual HRESULT GetName(KROWChar** name);
  virtual HRESULT GetStdName(KROWChar** name);
  virtual HRESULT GetTTRSList(list<KROBaseUnknown>** ttrs);
  virtual HRESULT GetRefFrameList(list<KROBaseUnknown>** frames);
  virtual HRESULT GetCaptureList(list<KROBaseUnknown>** captures);
  virtual HRESULT GetCGList(list<KROBaseUnknown>** cgs);
  virtual HRESULT GetViewList(list<KROBaseUnknown>** views);
  /// Always null.
  list<KROBaseUnknown>* GetTPSList();
};
