// KROBaseUnknown.cpp - reference counting, identity and destruction order of components.
#include "KROBaseUnknown.h"

#include "KROBlockPool.h"
#include "KROComPtr.h"
#include "KRODictionary.h"
#include "KROMetaClass.h"
#include "KRORuntimeInternals.h"
#include "KROWeakRef.h"

#include <atomic>
#include <cassert>
#include <cstdlib>
#include <cstring>

namespace {
// Every constructor and destructor on every thread counts here. Relaxed: the count orders
// nothing, and a reader that must see other threads' components go joins those threads first.
std::atomic<long> gLiveComponents{0};
} // namespace

KROBaseUnknown::KROBaseUnknown() { gLiveComponents.fetch_add(1, std::memory_order_relaxed); }

KROBaseUnknown::KROBaseUnknown(const KROBaseUnknown&) : KROBaseUnknown() {}

KROBaseUnknown::~KROBaseUnknown() {
  // A component deleted without going through Release (for instance a stack object) still
  // invalidates its weak references and frees its extensions here.
  BeginDestruction();
  if (extras_) {
    if (extras_->weak) extras_->weak->Drop();
    delete extras_;
  }
  gLiveComponents.fetch_sub(1, std::memory_order_relaxed);
}

long KROBaseUnknown::LiveCount() { return gLiveComponents.load(std::memory_order_relaxed); }

void* KROBaseUnknown::operator new(std::size_t size) {
  void* p = KROPoolAllocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* KROBaseUnknown::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return KROPoolAllocate(size);
}
void KROBaseUnknown::operator delete(void* p) noexcept { KROPoolFree(p); }
void KROBaseUnknown::operator delete(void* p, const std::nothrow_t&) noexcept { KROPoolFree(p); }

HRESULT KROBaseUnknown::QueryInterface(const IID& iid, void** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  // An extension has no interfaces of its own: its component answers for it, which keeps one
  // identity across the component and all its extensions.
  if (role_ == Role::Extension && impl_) return impl_->QueryInterface(iid, out);
  return KRODictionaryQuery(this, iid, out);
}

HRESULT KROBaseUnknown::QueryInterface(const char* interfaceName, void** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  const IID* iid = KRODictionaryFindInterface(interfaceName);
  return iid ? QueryInterface(*iid, out) : E_NOINTERFACE;
}

ULONG KROBaseUnknown::AddRef() {
  if (role_ == Role::Extension && impl_) return impl_->AddRef();
  return ++count_;
}

ULONG KROBaseUnknown::Release() {
  if (role_ == Role::Extension && impl_) return impl_->Release();
  assert(count_ > 0 && "KROBaseUnknown::Release: the count would go below zero");
  if (--count_ != 0) return count_;
  // Calls made while the component is being torn down may AddRef and Release it; the count
  // stays above zero so they cannot delete it a second time - unless they release more than
  // they take, which would delete it twice.
  assert(!destroying_ && "KROBaseUnknown::Release: released once more than held while destroyed");
  count_ = 1;
  BeginDestruction();
  delete this;
  return 0;
}

void KROBaseUnknown::BeginDestruction() {
  if (destroying_) return;
  destroying_ = true;
  if (!extras_) return;
  if (extras_->weak) extras_->weak->Invalidate();
  // Extensions go while their component is still whole, so their destructors may query it.
  // Each one is taken off the table before it is deleted; no new one is made from here on.
  while (!extras_->extensions.empty()) {
    KROBaseUnknown* ext = extras_->extensions.back().extension;
    extras_->extensions.pop_back();
    delete ext; // still linked: its AddRef/Release go to this (stable) count
  }
}

HRESULT KROBaseUnknown::GetTypeInfoCount(unsigned int* count) {
  if (count) *count = 0;
  return E_FAIL;
}
HRESULT KROBaseUnknown::GetTypeInfo(unsigned int, unsigned long, void** info) {
  if (info) *info = nullptr;
  return E_FAIL;
}
HRESULT KROBaseUnknown::GetIDsOfNames(const IID&, KROWChar**, unsigned int, unsigned long, long*) {
  return E_FAIL;
}
HRESULT KROBaseUnknown::Invoke(long, const IID&, unsigned long, unsigned short, void*, void*, void*,
                               unsigned int*) {
  return E_FAIL;
}

KROMetaClass* KROBaseUnknown::MetaObject() {
  static KROMetaClass* meta =
      fct_RetrieveMetaObject("KROBaseUnknown", Implementation, nullptr, "KROBaseUnknown",
                             "KROPlatform", sizeof(KROBaseUnknown));
  return meta;
}
const char* KROBaseUnknown::ClassName() { return MetaObject()->IsA(); }
KROMetaClass* KROBaseUnknown::GetMetaObject() const { return MetaObject(); }
const char* KROBaseUnknown::IsA() const { return GetMetaObject()->IsA(); }
int KROBaseUnknown::IsAKindOf(const char* className) const {
  return GetMetaObject()->IsAKindOf(className);
}

KROBaseUnknown* KROBaseUnknown::GetImpl(int) const {
  if (role_ == Role::Extension) return impl_;
  return const_cast<KROBaseUnknown*>(this);
}

void KROBaseUnknown::SetImpl(KROBaseUnknown* impl, int) {
  if (!impl || impl == this) return;
  impl_ = impl;
  role_ = Role::Extension;
}

int KROBaseUnknown::IsNull() const { return 0; }

int KROBaseUnknown::IsEqual(const KROBaseUnknown* other) const {
  return KROComCmp(const_cast<KROBaseUnknown*>(this), const_cast<KROBaseUnknown*>(other));
}

HRESULT KROBaseUnknown::ChangeComponentState(int, int) { return S_OK; }

KROWeakControl* KROBaseUnknown::WeakControl() {
  if (!extras_) extras_ = new (std::nothrow) KROComponentExtras();
  if (!extras_) return nullptr;
  if (!extras_->weak)
    extras_->weak = new (std::nothrow) KROWeakControl(destroying_ ? nullptr : this);
  return extras_->weak;
}

KROBaseUnknown* KROBaseUnknown::FindExtension(const KROMetaClass* meta) const {
  if (!extras_) return nullptr;
  for (const KROExtensionSlot& slot : extras_->extensions)
    if (slot.meta == meta) return slot.extension;
  return nullptr;
}

KROBaseUnknown* KROBaseUnknown::FindOrCreateExtension(KROMetaClass* meta,
                                                      KROBaseUnknown* (*createItself)()) {
  if (KROBaseUnknown* ext = FindExtension(meta)) return ext;
  if (destroying_ || !createItself || role_ != Role::Component) return nullptr;
  if (!extras_) extras_ = new (std::nothrow) KROComponentExtras();
  if (!extras_) return nullptr;
  // Room first, so that listing the new extension cannot fail (or throw) once it exists.
  try {
    extras_->extensions.reserve(extras_->extensions.size() + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  KROBaseUnknown* ext = createItself();
  if (!ext) return nullptr;
  ext->SetImpl(this);
  extras_->extensions.push_back({meta, ext});
  return ext;
}

KROBaseUnknown* KROIdentityOf(KROBaseUnknown* p) {
  if (!p) return nullptr;
  KROComPtr<KROBaseUnknown> base;
  if (FAILED(p->QueryInterface(CLSID_KROBaseUnknown, base.Put())) || !base) return p;
  // The caller's reference on p keeps the component, and so its base, alive.
  return base.Get();
}

int KROComCmp(KROBaseUnknown* a, KROBaseUnknown* b) {
  if (!a || !b) return 0;
  if (a == b) return 1;
  KROComPtr<KROBaseUnknown> ba;
  KROComPtr<KROBaseUnknown> bb;
  a->QueryInterface(CLSID_KROBaseUnknown, ba.Put());
  b->QueryInterface(CLSID_KROBaseUnknown, bb.Put());
  return ba && ba.Get() == bb.Get();
}
