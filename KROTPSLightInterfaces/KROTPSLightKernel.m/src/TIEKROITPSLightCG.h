// TIEKROITPSLightCG.h - forwards KROITPSLightCG to a constructed-geometry class.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightCG.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightCG : public KROTie<KROITPSLightCG> {
public:
  HRESULT AddTTRSLinkID(int a) override { return Target<Impl>()->AddTTRSLinkID(a); }
  HRESULT GetTTRSLinkIds(KRORawCollint** a) override { return Target<Impl>()->GetTTRSLinkIds(a); }
  HRESULT AddRepresentedTTRSLinkID(int a) override {
    return Target<Impl>()->AddRepresentedTTRSLinkID(a);
  }
  HRESULT GetRepresentedTTRSLinkIds(KRORawCollint** a) override {
    return Target<Impl>()->GetRepresentedTTRSLinkIds(a);
  }
  HRESULT GetAttributes(KROWChar** a) override { return Target<Impl>()->GetAttributes(a); }
  HRESULT SetAttributes(const KROWChar* a) override { return Target<Impl>()->SetAttributes(a); }
};
