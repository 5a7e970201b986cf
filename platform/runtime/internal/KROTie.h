// KROTie.h - ties: the objects that present one interface of a component.
///
/// A tie derives from its interface, forwards every method to the implementation and delegates
/// its reference counting to the runtime calls below. A tie holds one reference on its
/// implementation (for an extension that is a reference on the extended component), and the
/// component remembers its live ties so that a second query returns the same tie.
///
/// One template per interface generates the forwarding methods:
/// \code
///   template <class Impl> class TIEKROITPSLightFake : public KROTie<KROITPSLightFake> {
///   public:
///     HRESULT SetFakeType(int t) override { return Target<Impl>()->SetFakeType(t); }
///   };
/// \endcode
#pragma once

#include "KROPlatformInternal.h"

#include "KROBaseUnknown.h"
#include "KROMetaClass.h"
#include "KRORuntimeAccess.h"

struct Tie_StackCtx;

struct KROTieState {
  KROBaseUnknown* impl = nullptr; ///< receives the forwarded calls; one reference held
  KROBaseUnknown* home = nullptr; ///< the component that lists this tie among its live ties
  KROMetaClass* tieMeta = nullptr;
  Tie_StackCtx* ctx = nullptr; ///< optional context resolving the implementation per call
};

/// Resolves the implementation a tie forwards to. Without a context it is the tie's own.
struct KRO_PLATFORM_API Tie_StackCtx {
  virtual ~Tie_StackCtx() = default;
  virtual KROBaseUnknown* Resolve(KROBaseUnknown* impl) { return impl; }
  static KROBaseUnknown* Run(Tie_StackCtx* ctx, KROBaseUnknown* impl);
};

/// The live tie of `iid` on `impl`, with a reference added for the caller, or null.
KRO_PLATFORM_API KROBaseUnknown* Tie_Link(KROBaseUnknown* impl, KROBaseUnknown* other,
                                          const IID& iid);
/// Binds a new tie (count 1, for the caller) to `component` - or, when `kind` is DataExtension,
/// to the component's extension, created with `createItself` on first need.
KRO_PLATFORM_API HRESULT Tie_Construct(KROBaseUnknown* tie, KROTieState& state,
                                       KROBaseUnknown* component, KROMetaClass* tieMeta,
                                       int classId, int kind, KROBaseUnknown* (*createItself)());
KRO_PLATFORM_API HRESULT Tie_Query(KROTieState& state, const IID& iid, void** out);
KRO_PLATFORM_API ULONG Tie_AddRef(KROBaseUnknown* tie);
KRO_PLATFORM_API ULONG Tie_Release(KROBaseUnknown* tie, KROTieState& state);
/// Unlists the tie, drops its reference on the implementation and frees it.
KRO_PLATFORM_API void Tie_Destruct(KROBaseUnknown* tie, KROTieState& state);

/// Common part of every tie: reference counting and identity go to the runtime.
template <class Itf> class KROTie : public Itf {
public:
  KROTie() { KRORuntimeAccess::MarkTie(*this); }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return Tie_Query(state_, iid, out);
  }
  HRESULT QueryInterface(const char* name, void** out) override {
    return state_.impl ? state_.impl->QueryInterface(name, out) : E_FAIL;
  }
  ULONG AddRef() override { return Tie_AddRef(this); }
  ULONG Release() override { return Tie_Release(this, state_); }
  KROBaseUnknown* GetImpl(int = 0) const override { return state_.impl; }
  KROMetaClass* GetMetaObject() const override { return state_.tieMeta; }
  const char* IsA() const override { return state_.tieMeta ? state_.tieMeta->IsA() : ""; }
  int IsAKindOf(const char* name) const override {
    return state_.impl ? state_.impl->IsAKindOf(name) : 0;
  }

  KROTieState state_;

protected:
  template <class Impl> Impl* Target() const {
    return static_cast<Impl*>(Tie_StackCtx::Run(state_.ctx, state_.impl));
  }
};

/// The tie-creation function of one (tie template, class) pair: the live tie if there is one,
/// else a new one. `TieMeta` returns the pair's tie metaclass.
template <class Tie, class Impl>
KROBaseUnknown* KROCreateTie(KROBaseUnknown* impl, KROBaseUnknown* other, KROMetaClass* tieMeta) {
  if (!impl || !tieMeta || !tieMeta->GetIID()) return nullptr;
  if (KROBaseUnknown* live = Tie_Link(impl, other, *tieMeta->GetIID())) return live;
  Tie* tie = new (std::nothrow) Tie();
  if (!tie) return nullptr;
  KROMetaClass* cls = Impl::MetaObject();
  if (FAILED(Tie_Construct(tie, tie->state_, impl, tieMeta, cls->GetClassId(),
                           cls->GetTypeOfClass(), &Impl::CreateItself))) {
    delete tie;
    return nullptr;
  }
  return tie;
}
