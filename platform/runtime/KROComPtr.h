// KROComPtr.h - a small owning interface pointer, for the library's own code, tests and hosts.
/// \file
///
/// Keep a KROComPtr when you keep the object, a raw pointer when you only use it.
/// \code
///   KROComPtr<KROITPSLight> light;
///   if (SUCCEEDED(obj->QueryInterface(IID_KROITPSLight, light.Put()))) light->SetIndex(3);
///   auto model = light.As<KROITPSLightModel>();   // empty when the query fails
///   KROForEachAs<KROITPSLightView>(views, [&](const KROComPtr<KROITPSLightView>& view, int i) {
///     ...  // each item of the list that answers the interface, with its index
///   });
/// \endcode
#pragma once

#include "KROBaseUnknown.h"

/// An interface pointer that owns one reference, released when it lets go.
template <class T> class KROComPtr {
public:
  ///@{
  /// An empty pointer.
  KROComPtr() = default;
  KROComPtr(std::nullptr_t) {}
  ///@}
  /// Shares `o`'s object, adding a reference.
  KROComPtr(const KROComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  /// Takes `o`'s reference over, leaving `o` empty.
  KROComPtr(KROComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  /// Holds what `o` held, releasing what this one held.
  KROComPtr& operator=(KROComPtr o) noexcept {
    T* t = p_;
    p_ = o.p_;
    o.p_ = t;
    return *this;
  }
  ~KROComPtr() { Reset(); }

  /// Takes over a reference the caller already owns.
  static KROComPtr Attach(T* p) {
    KROComPtr r;
    r.p_ = p;
    return r;
  }
  /// Gives up the reference without releasing it.
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  /// Releases what is held and returns the slot for an out argument.
  void** Put() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  /// As `Put`, typed, for out arguments such as `CreateLightSet(set.PutTyped(), ...)`.
  T** PutTyped() {
    Reset();
    return &p_;
  }
  /// Releases what is held, leaving the pointer empty.
  void Reset() {
    if (T* p = p_) {
      p_ = nullptr;
      p->Release();
    }
  }
  /// The object's interface `J` (through `J::kIID`), counted; empty when the query fails.
  template <class J> KROComPtr<J> As() const {
    KROComPtr<J> r;
    if (p_) p_->QueryInterface(J::kIID, r.Put());
    return r;
  }

  ///@{
  /// The held pointer, uncounted; null when empty.
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  ///@}
  /// True when a pointer is held.
  explicit operator bool() const { return p_ != nullptr; }

private:
  T* p_ = nullptr;
};

template <class T> class list;

/// Calls `visit(face, i)` for each item `i` of `items`, in order, that answers interface `I`
/// (through `I::kIID`); `face` holds the item's `I` for the call and may be copied to keep it.
/// Null items and items that do not answer are passed over; a null list visits nothing.
template <class I, class T, class Visit> void KROForEachAs(const list<T>* items, Visit&& visit) {
  for (int i = 0; items && i < items->Size(); ++i) {
    KROComPtr<I> face;
    T* item = items->At(i);
    if (item && SUCCEEDED(item->QueryInterface(I::kIID, face.Put())) && face) visit(face, i);
  }
}
