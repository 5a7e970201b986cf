// TIEKROITPSLightFake.h - forwards KROITPSLightFake to a fake class.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightFake.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightFake : public KROTie<KROITPSLightFake> {
public:
  HRESULT GetThumbnailData(_SEQUENCE_octet& a) override {
    return Target<Impl>()->GetThumbnailData(a);
  }
  HRESULT SetThumbnailData(const _SEQUENCE_octet& a) override {
    return Target<Impl>()->SetThumbnailData(a);
  }
  HRESULT GetFakeType(int& a) override { return Target<Impl>()->GetFakeType(a); }
  HRESULT SetFakeType(int a) override { return Target<Impl>()->SetFakeType(a); }
};
