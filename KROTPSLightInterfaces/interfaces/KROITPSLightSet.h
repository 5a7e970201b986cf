// KROITPSLightSet.h - the annotation set: lists of model objects, document, reference product.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

class KROITPSLightModelHandler;

inline constexpr IID IID_KROITPSLightSet = {
    0x66664499, 0x6EA0, 0x41CF, {0x95, 0x82, 0x10, 0xE1, 0x1D, 0xE9, 0x53, 0x51}};

/// The lists handed out are the set's own and carry no reference; each entry holds the reference
/// its adder handed over (the factory hands over the creation reference).
class KRO_KERNEL_API KROITPSLightSet : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightSet;
  static constexpr const char* kName = "KROITPSLightSet";

  virtual HRESULT GetStdName(KROWChar** name) = 0;
  virtual HRESULT SetStdName(const KROWChar* name) = 0;
  virtual HRESULT GetTTRSList(list<KROBaseUnknown>** ttrs) = 0;
  virtual HRESULT AddTTRS(KROBaseUnknown* ttrs) = 0;
  virtual HRESULT RemoveTTRS(KROBaseUnknown* ttrs) = 0;
  virtual HRESULT GetRefFrameList(list<KROBaseUnknown>** frames) = 0;
  virtual HRESULT AddRefFrame(KROBaseUnknown* frame) = 0;
  virtual HRESULT RemoveRefFrame(KROBaseUnknown* frame) = 0;
  virtual HRESULT GetCaptureList(list<KROBaseUnknown>** captures) = 0;
  virtual HRESULT AddCapture(KROBaseUnknown* capture) = 0;
  virtual HRESULT RemoveCapture(KROBaseUnknown* capture) = 0;
  virtual HRESULT GetCGList(list<KROBaseUnknown>** cgs) = 0;
  virtual HRESULT AddCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT RemoveCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT GetFakeList(list<KROBaseUnknown>** fakes) = 0;
  virtual HRESULT AddFake(KROBaseUnknown* fake) = 0;
  /// The document, uncounted; the caller keeps it alive while the set uses it.
  virtual KROBaseUnknown* GetDocument() = 0;
  virtual HRESULT SetDocument(KROBaseUnknown* document) = 0;
  virtual list<KROBaseUnknown>* GetTPSList() = 0;
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT GetViewList(list<KROBaseUnknown>** views) = 0;
  virtual HRESULT AddTPSView(KROBaseUnknown* view) = 0;
  virtual HRESULT RemoveView(KROBaseUnknown* view) = 0;
  virtual HRESULT GetRefProduct(KROITPSLightModelHandler** handler) = 0;
  virtual HRESULT SetRefProduct(KROITPSLightModelHandler* handler) = 0;
  virtual HRESULT RemoveAllChildren() = 0;
  virtual HRESULT FlushData() = 0;
};
