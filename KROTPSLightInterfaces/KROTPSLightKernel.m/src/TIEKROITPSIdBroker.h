// TIEKROITPSIdBroker.h - forwards KROITPSIdBroker to the set extension.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSIdBroker.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSIdBroker : public KROTie<KROITPSIdBroker> {
public:
  HRESULT GetIdForObject(KROBaseUnknown* a, int b, int* c) override {
    return Target<Impl>()->GetIdForObject(a, b, c);
  }
  HRESULT GetObjectFromId(int a, int b, KROBaseUnknown** c) override {
    return Target<Impl>()->GetObjectFromId(a, b, c);
  }
};
