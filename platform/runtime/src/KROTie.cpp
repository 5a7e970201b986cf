// KROTie.cpp - the runtime side of ties: linking, counting, destruction.
#include "KROTie.h"

#include "KRORuntimeInternals.h"

#include <cassert>

#include <new>

KROBaseUnknown* Tie_StackCtx::Run(Tie_StackCtx* ctx, KROBaseUnknown* impl) {
  return ctx ? ctx->Resolve(impl) : impl;
}

KROBaseUnknown* Tie_Link(KROBaseUnknown* impl, KROBaseUnknown*, const IID& iid) {
  KROComponentExtras* extras = impl ? KRORuntimeAccess::Extras(*impl) : nullptr;
  if (!extras) return nullptr;
  KROBaseUnknown* live = extras->ties.Find(iid);
  if (live) live->AddRef();
  return live;
}

HRESULT Tie_Construct(KROBaseUnknown* tie, KROTieState& state, KROBaseUnknown* component,
                      KROMetaClass* tieMeta, int, int kind, KROBaseUnknown* (*createItself)()) {
  if (!tie || !component || !tieMeta || !tieMeta->GetIID()) return E_FAIL;
  if (KRORuntimeAccess::IsBeingDestroyed(*component)) return E_FAIL;
  KROBaseUnknown* impl = component;
  if (kind == DataExtension) {
    impl = KRORuntimeAccess::FindOrCreateExtension(*component, tieMeta->GetParent(), createItself);
    if (!impl) return E_FAIL;
  }
  KROComponentExtras*& extras = KRORuntimeAccess::Extras(*component);
  if (!extras) extras = new (std::nothrow) KROComponentExtras();
  if (!extras) return E_FAIL;
  if (!extras->ties.Add({*tieMeta->GetIID(), tie})) return E_FAIL;
  state.impl = impl;
  state.home = component;
  state.tieMeta = tieMeta;
  impl->AddRef();
  KRORuntimeAccess::Count(*tie) = 1;
  return S_OK;
}

HRESULT Tie_Query(KROTieState& state, const IID& iid, void** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  return state.impl ? state.impl->QueryInterface(iid, out) : E_NOINTERFACE;
}

ULONG Tie_AddRef(KROBaseUnknown* tie) { return ++KRORuntimeAccess::Count(*tie); }

ULONG Tie_Release(KROBaseUnknown* tie, KROTieState& state) {
  ULONG& count = KRORuntimeAccess::Count(*tie);
  assert(count > 0 && "Tie_Release: the count would go below zero");
  if (--count != 0) return count;
  Tie_Destruct(tie, state);
  return 0;
}

void Tie_Destruct(KROBaseUnknown* tie, KROTieState& state) {
  KRORuntimeAccess::Count(*tie) = 1;
  KROComponentExtras* extras = state.home ? KRORuntimeAccess::Extras(*state.home) : nullptr;
  if (extras) extras->ties.Remove(tie);
  KROBaseUnknown* impl = state.impl;
  state = KROTieState{};
  delete tie;
  // Last: releasing the implementation may destroy the component that listed this tie.
  if (impl) impl->Release();
}
