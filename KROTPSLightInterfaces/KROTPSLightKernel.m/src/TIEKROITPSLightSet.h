// TIEKROITPSLightSet.h - forwards KROITPSLightSet to the set extension.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightSet.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightSet : public KROTie<KROITPSLightSet> {
public:
  HRESULT GetStdName(KROWChar** a) override { return Target<Impl>()->GetStdName(a); }
  HRESULT SetStdName(const KROWChar* a) override { return Target<Impl>()->SetStdName(a); }
  HRESULT GetTTRSList(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetTTRSList(a); }
  HRESULT AddTTRS(KROBaseUnknown* a) override { return Target<Impl>()->AddTTRS(a); }
  HRESULT RemoveTTRS(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTTRS(a); }
  HRESULT GetRefFrameList(list<KROBaseUnknown>** a) override {
    return Target<Impl>()->GetRefFrameList(a);
  }
  HRESULT AddRefFrame(KROBaseUnknown* a) override { return Target<Impl>()->AddRefFrame(a); }
  HRESULT RemoveRefFrame(KROBaseUnknown* a) override { return Target<Impl>()->RemoveRefFrame(a); }
  HRESULT GetCaptureList(list<KROBaseUnknown>** a) override {
    return Target<Impl>()->GetCaptureList(a);
  }
  HRESULT AddCapture(KROBaseUnknown* a) override { return Target<Impl>()->AddCapture(a); }
  HRESULT RemoveCapture(KROBaseUnknown* a) override { return Target<Impl>()->RemoveCapture(a); }
  HRESULT GetCGList(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetCGList(a); }
  HRESULT AddCG(KROBaseUnknown* a) override { return Target<Impl>()->AddCG(a); }
  HRESULT RemoveCG(KROBaseUnknown* a) override { return Target<Impl>()->RemoveCG(a); }
  HRESULT GetFakeList(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetFakeList(a); }
  HRESULT AddFake(KROBaseUnknown* a) override { return Target<Impl>()->AddFake(a); }
  KROBaseUnknown* GetDocument() override { return Target<Impl>()->GetDocument(); }
  HRESULT SetDocument(KROBaseUnknown* a) override { return Target<Impl>()->SetDocument(a); }
  list<KROBaseUnknown>* GetTPSList() override { return Target<Impl>()->GetTPSList(); }
  HRESULT AddTPS(KROBaseUnknown* a) override { return Target<Impl>()->AddTPS(a); }
  HRESULT RemoveTPS(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTPS(a); }
  HRESULT GetViewList(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetViewList(a); }
  HRESULT AddTPSView(KROBaseUnknown* a) override { return Target<Impl>()->AddTPSView(a); }
  HRESULT RemoveView(KROBaseUnknown* a) override { return Target<Impl>()->RemoveView(a); }
  HRESULT GetRefProduct(KROITPSLightModelHandler** a) override {
    return Target<Impl>()->GetRefProduct(a);
  }
  HRESULT SetRefProduct(KROITPSLightModelHandler* a) override {
    return Target<Impl>()->SetRefProduct(a);
  }
  HRESULT RemoveAllChildren() override { return Target<Impl>()->RemoveAllChildren(); }
  HRESULT FlushData() override { return Target<Impl>()->FlushData(); }
};
