// TIEKROITPSLightRefFrame.h - forwards KROITPSLightRefFrame to the reference frame.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightRefFrame.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightRefFrame : public KROTie<KROITPSLightRefFrame> {
public:
  HRESULT GetAllDatumsSimple(list<KROBaseUnknown>** a) override {
    return Target<Impl>()->GetAllDatumsSimple(a);
  }
  HRESULT AddDatumSimple(KROBaseUnknown* a) override { return Target<Impl>()->AddDatumSimple(a); }
  HRESULT RemoveDatumSimple(KROBaseUnknown* a) override {
    return Target<Impl>()->RemoveDatumSimple(a);
  }
  HRESULT AddTTRSLinkID(int a) override { return Target<Impl>()->AddTTRSLinkID(a); }
  HRESULT GetTTRSLinkIds(KRORawCollint** a) override { return Target<Impl>()->GetTTRSLinkIds(a); }
  HRESULT GetAttributes(KROWChar** a) override { return Target<Impl>()->GetAttributes(a); }
  HRESULT SetAttributes(const KROWChar* a) override { return Target<Impl>()->SetAttributes(a); }
  HRESULT GetSuperType(unsigned short* a) override { return Target<Impl>()->GetSuperType(a); }
  HRESULT GetBasicDim(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetBasicDim(a); }
  HRESULT RemoveBasiDim(KROBaseUnknown* a) override { return Target<Impl>()->RemoveBasiDim(a); }
};
