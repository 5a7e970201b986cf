// KROTie.cpp - the runtime side of ties: linking, counting, destruction.
#include "KROTie.h"

#include "KRORuntimeInternals.h"

#include <new>

KROBaseUnknown* Tie_StackCtx::Run(Tie_StackCtx* ctx, KROBaseUnknown* impl) {
  return ctx ? ctx->Resolve(impl) : impl;
}

KROBaseUnknown* Tie_Link(KROBaseUnknown* impl, KROBaseUnknown*, const IID& iid) {
  if (!impl || !impl->extras_) return nullptr;
  for (const KROLiveTie& live : impl->extras_->ties) {
    if (live.iid == iid) {
      live.tie->AddRef();
      return live.tie;
    }
  }
  return nullptr;
}

HRESULT Tie_Construct(KROBaseUnknown* tie, KROTieState& state, KROBaseUnknown* component,
                      KROMetaClass* tieMeta, int, int kind, KROBaseUnknown* (*createItself)()) {
  if (!tie || !component || !tieMeta || !tieMeta->GetIID()) return E_FAIL;
  if (component->IsBeingDestroyed()) return E_FAIL;
  KROBaseUnknown* impl = component;
  if (kind == DataExtension) {
    impl = component->FindOrCreateExtension(tieMeta->GetParent(), createItself);
    if (!impl) return E_FAIL;
  }
  if (!component->extras_) component->extras_ = new (std::nothrow) KROComponentExtras();
  if (!component->extras_) return E_FAIL;
  try {
    component->extras_->ties.push_back({*tieMeta->GetIID(), tie});
  } catch (const std::bad_alloc&) {
    return E_FAIL;
  }
  state.impl = impl;
  state.home = component;
  state.tieMeta = tieMeta;
  impl->AddRef();
  tie->count_ = 1;
  return S_OK;
}

HRESULT Tie_Query(KROTieState& state, const IID& iid, void** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  return state.impl ? state.impl->QueryInterface(iid, out) : E_NOINTERFACE;
}

ULONG Tie_AddRef(KROBaseUnknown* tie) { return ++tie->count_; }

ULONG Tie_Release(KROBaseUnknown* tie, KROTieState& state) {
  if (--tie->count_ != 0) return tie->count_;
  Tie_Destruct(tie, state);
  return 0;
}

void Tie_Destruct(KROBaseUnknown* tie, KROTieState& state) {
  tie->count_ = 1;
  if (KROBaseUnknown* home = state.home; home && home->extras_) {
    auto& ties = home->extras_->ties;
    for (auto it = ties.begin(); it != ties.end(); ++it) {
      if (it->tie == tie) {
        ties.erase(it);
        break;
      }
    }
  }
  KROBaseUnknown* impl = state.impl;
  state = KROTieState{};
  delete tie;
  // Last: releasing the implementation may destroy the component that listed this tie.
  if (impl) impl->Release();
}
