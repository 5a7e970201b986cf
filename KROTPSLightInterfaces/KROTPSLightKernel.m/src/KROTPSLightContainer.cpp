// KROTPSLightContainer.cpp
#include "KROTPSLightContainer.h"
#include "KROTPSFramework.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelHandler.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightFake.h"
#include "KROTPSLightLinks.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSLightView.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightContainer, KROTPSFramework, Implementation, "KROTPSLightContainer",
                    nullptr)
KROBaseUnknown* KROTPSLightContainer::CreateItself() { return nullptr; }

KROTPSLightContainer::KROTPSLightContainer() = default;
KROTPSLightContainer::~KROTPSLightContainer() = default;

namespace {
using AddFn = HRESULT (KROITPSLightSet::*)(KROBaseUnknown*);

/// Builds an `Object`, hands the caller its `Itf` in `out`, links it to `set` and gives the
/// creation reference to the set's list through `add`.
template <class Object, class Itf> HRESULT CreateInSet(Itf** out, KROITPSLightSet* set, AddFn add) {
  if (!out || !set) return E_FAIL;
  auto object = KROComPtr<Object>::Attach(new (std::nothrow) Object());
  if (!object) return E_FAIL;
  const HRESULT rc = KROQueryInto(object.Get(), out);
  if (FAILED(rc)) return rc;
  // What the object's KROITPSLight would forward to, without a tie made for the one call.
  object->SetLightSet(set);
  // The set's list takes over the creation reference; a set that does not take the object
  // leaves it to `object`, and the interface in `out` keeps the object alive for the caller.
  if (SUCCEEDED((set->*add)(object.Get()))) object.Detach();
  return rc;
}
} // namespace

HRESULT KROTPSLightContainer::CreateLightModel(KROITPSLightModel** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightTPS>(out, set, &KROITPSLightSet::AddTPS);
}

HRESULT KROTPSLightContainer::CreateLightSet(KROITPSLightSet** out, KROBaseUnknown* handler) {
  if (!out) return E_FAIL;
  // Until it returns, this call holds the creation reference; then the set lives as long as the
  // interface in `out`.
  const auto set = KROComPtr<KROTPSLightSet>::Attach(new (std::nothrow) KROTPSLightSet());
  if (!set) return E_FAIL;
  if (!handler) return KROQueryInto(set.Get(), out);
  KROComPtr<KROITPSLightModelHandler> host;
  if (FAILED(handler->QueryInterface(IID_KROITPSLightModelHandler, host.Put())) || !host)
    return E_FAIL;
  const HRESULT rc = KROQueryInto(set.Get(), out);
  if (FAILED(rc)) return rc;
  if (KROComPtr<KROBaseUnknown> base;
      SUCCEEDED((*out)->QueryInterface(CLSID_KROBaseUnknown, base.Put())) && base)
    host->AttachLightSet(base.Get());
  (*out)->SetRefProduct(host.Get());
  return rc;
}

HRESULT KROTPSLightContainer::CreateLightView(KROITPSLightView** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightView>(out, set, &KROITPSLightSet::AddTPSView);
}

HRESULT KROTPSLightContainer::CreateLightRefFrame(KROITPSLightRefFrame** out,
                                                  KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightRefFrame>(out, set, &KROITPSLightSet::AddRefFrame);
}

HRESULT KROTPSLightContainer::CreateLightTTRS(KROITPSLightTTRS** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightTTRS>(out, set, &KROITPSLightSet::AddTTRS);
}

HRESULT KROTPSLightContainer::CreateLightCapture(KROITPSLightCapture** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightCapture>(out, set, &KROITPSLightSet::AddCapture);
}

HRESULT KROTPSLightContainer::CreateLightCG(KROITPSLightCG** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightCG>(out, set, &KROITPSLightSet::AddCG);
}

HRESULT KROTPSLightContainer::CreateLightFake(KROITPSLightFake** out, KROITPSLightSet* set) {
  return CreateInSet<KROTPSLightFake>(out, set, &KROITPSLightSet::AddFake);
}
