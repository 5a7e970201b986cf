// KROTPSLightLinks.h - typed queries and weak links between objects.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROComPtr.h"
#include "KROTypes.h"
#include "KROWeakRef.h"

/// Asks `component` for `Itf` into a typed out pointer, which carries a reference on success and
/// is null on failure.
template <class Itf> HRESULT KROQueryInto(KROBaseUnknown* component, Itf** out) {
  return component->QueryInterface(Itf::kIID, reinterpret_cast<void**>(out));
}

/// Points a weak link at the base face of `target` (no count held). E_FAIL for null; when the
/// query fails the link keeps its previous value.
inline HRESULT KROLinkWeakly(KROBaseUnknown_WR& link, KROBaseUnknown* target) {
  if (!target) return E_FAIL;
  KROComPtr<KROBaseUnknown> base;
  if (SUCCEEDED(target->QueryInterface(CLSID_KROBaseUnknown, base.Put())) && base)
    link = base.Get();
  return S_OK;
}

/// Asks the component behind a weak link for `Itf`; E_FAIL when the link is empty or its
/// component is gone. On success `out` carries a reference for the caller.
template <class Itf> HRESULT KROQueryWeakLink(const KROBaseUnknown_WR& link, Itf** out) {
  if (!out || !link) return E_FAIL;
  const auto component = KROComPtr<KROBaseUnknown>::Attach(link.GetComponent());
  if (!component) return E_FAIL;
  return KROQueryInto(component.Get(), out);
}
