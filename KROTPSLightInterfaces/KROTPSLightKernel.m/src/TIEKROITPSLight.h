// TIEKROITPSLight.h - forwards KROITPSLight to any class with the light-object operations.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLight.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLight : public KROTie<KROITPSLight> {
public:
  HRESULT GetName(KROWChar** a) override { return Target<Impl>()->GetName(a); }
  HRESULT SetName(const KROWChar* a) override { return Target<Impl>()->SetName(a); }
  HRESULT GetType(unsigned short* a) override { return Target<Impl>()->GetType(a); }
  HRESULT SetType(unsigned short a) override { return Target<Impl>()->SetType(a); }
  HRESULT GetRep(KRORep** a) override { return Target<Impl>()->GetRep(a); }
  HRESULT SetRep(KRORep* a) override { return Target<Impl>()->SetRep(a); }
  HRESULT GetIndex(int* a) override { return Target<Impl>()->GetIndex(a); }
  HRESULT SetIndex(int a) override { return Target<Impl>()->SetIndex(a); }
  HRESULT GetLightSet(KROITPSLightSet** a) override { return Target<Impl>()->GetLightSet(a); }
  HRESULT SetLightSet(KROITPSLightSet* a) override { return Target<Impl>()->SetLightSet(a); }
  HRESULT GetStatus(unsigned short* a) override { return Target<Impl>()->GetStatus(a); }
  HRESULT SetStatus(unsigned short a) override { return Target<Impl>()->SetStatus(a); }
  HRESULT GetUUId(KROWChar** a) override { return Target<Impl>()->GetUUId(a); }
  HRESULT SetUUId(const KROWChar* a) override { return Target<Impl>()->SetUUId(a); }
};
