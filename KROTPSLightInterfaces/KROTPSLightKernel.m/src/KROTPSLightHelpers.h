// KROTPSLightHelpers.h - the shapes every light object's operations share.
///
/// Getters: a null out pointer gives E_FAIL and nothing is written. Lists handed out are the
/// owner's own; link-id collections handed out are copies the caller deletes.
#pragma once

#include "KROBaseUnknown.h"
#include "KROComPtr.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KRORuntimeAccess.h"
#include "KROTypes.h"
#include "KROUnicodeString.h"
#include "KROWeakRef.h"

#include <new>
#include <typeinfo>

/// `item` as an object of exactly the library's class `C` that is not being destroyed, else null.
/// The library's own loops over its lists read such objects directly: querying them would build
/// a tie only to forward the one call to these very members and free it again. Anything else -
/// a derived class, a host's own component - may answer differently and is still asked through
/// its interfaces.
template <class C> C* KROExactly(KROBaseUnknown* item) {
  if (!item || typeid(*item) != typeid(C) || KRORuntimeAccess::IsBeingDestroyed(*item))
    return nullptr;
  return static_cast<C*>(item);
}

/// Hands out a copy of `text` as a new[] array the caller frees with delete[].
inline HRESULT KROCopyTextOut(const KROUnicodeString& text, KROWChar** out) {
  if (!out) return E_FAIL;
  KROWChar* copy = text.NewWCharArray();
  if (!copy) return E_FAIL;
  *out = copy;
  return S_OK;
}

/// Replaces `text` with a copy of `value`; a null value changes nothing.
inline HRESULT KROSetText(KROUnicodeString& text, const KROWChar* value) {
  if (!value) return E_FAIL;
  text.BuildFromWChar(value);
  return S_OK;
}

template <class T> HRESULT KROWriteOut(T* out, const T& value) {
  if (!out) return E_FAIL;
  *out = value;
  return S_OK;
}

inline HRESULT KROWriteOut3(double* x, double* y, double* z, const double (&v)[3]) {
  if (!x || !y || !z) return E_FAIL;
  *x = v[0];
  *y = v[1];
  *z = v[2];
  return S_OK;
}

/// Writes a bound rep, which may be null, uncounted; S_OK only when there is one.
template <class Rep> HRESULT KROWriteRepOut(Rep* held, Rep** out) {
  if (!out) return E_FAIL;
  *out = held;
  return held ? S_OK : E_FAIL;
}

/// Destroys an owned group rep, if any, and forgets it.
template <class Bag> void KRODestroyBag(Bag*& bag) {
  if (bag) bag->Destroy();
  bag = nullptr;
}

/// The owner's own list, uncounted; E_FAIL while the list is absent.
template <class T> HRESULT KROListGet(list<T>* own, list<T>** out) {
  if (!out || !own) return E_FAIL;
  *out = own;
  return S_OK;
}

/// Appends without a reference and without a duplicate check.
template <class T> HRESULT KROListAdd(list<T>* own, T* item) {
  if (!item || !own) return E_FAIL;
  return own->Append(item) ? S_OK : E_FAIL;
}

/// Index of the last entry that is `item`, or else of the last that is the base pointer of its
/// component (what the factory lists), or -1. Only `item` is queried, and only when it is not
/// itself listed: entries of the objects' own lists are borrowed and may name objects that are
/// gone, so they are compared by value and never dereferenced.
inline int KROLocateComponent(const list<KROBaseUnknown>& items, KROBaseUnknown* item) {
  const int at = items.Locate(item);
  if (at >= 0 || items.Size() == 0) return at;
  KROBaseUnknown* const identity = KROIdentityOf(item);
  return identity == item ? -1 : items.Locate(identity);
}

/// Removes the last entry that is `item` or its component's base pointer, so that any interface
/// pointer of an object removes the object; absent items are not an error. An `item` that is not
/// listed as given must be a live component.
inline HRESULT KROListRemove(list<KROBaseUnknown>* own, KROBaseUnknown* item) {
  if (!item || !own) return E_FAIL;
  const int at = KROLocateComponent(*own, item);
  // The entry found is the last one with that pointer value, so Remove takes out exactly it.
  own->Remove(at >= 0 ? own->At(at) : item);
  return S_OK;
}

/// A collection of TTRS link ids, present from the first add on; handed out as copies. Held in
/// place: an annotation has one, usually of two ids.
class KROLinkIds {
public:
  KROLinkIds() = default;
  KROLinkIds(const KROLinkIds&) = delete;
  KROLinkIds& operator=(const KROLinkIds&) = delete;

  HRESULT Add(int id) {
    present_ = true;
    return ids_.Append(id) ? S_OK : E_FAIL;
  }
  /// E_FAIL with `out` untouched when no id was ever added; E_FAIL with null when the copy
  /// cannot be made.
  HRESULT CopyOut(KRORawCollint** out) const {
    if (!out || !present_) return E_FAIL;
    *out = new (std::nothrow) KRORawCollint(ids_);
    if (*out && (*out)->Size() != ids_.Size()) {
      delete *out;
      *out = nullptr;
    }
    return *out ? S_OK : E_FAIL;
  }
  const KRORawCollint* Get() const { return present_ ? &ids_ : nullptr; }
  /// Frees the collection now (destructors that must free it before other members).
  void Clear() {
    ids_ = KRORawCollint();
    present_ = false;
  }

private:
  KRORawCollint ids_;
  bool present_ = false;
};

/// Binds `rep` inside a new group rep of type Bag that the caller owns, then destroys the previous
/// bag. Building the new bag first keeps a rep that is set again alive: the old bag lets go of it
/// while the new one still holds it.
template <class Bag, class Rep> void KROReplaceWrappedRep(Rep* rep, Rep*& heldRep, Bag*& heldBag) {
  Bag* bag = nullptr;
  if (rep) {
    bag = new (nullptr, nullptr, 0) Bag();
    if (bag && !bag->AddChild(*rep)) {
      bag->Destroy(); // empty: frees only the bag
      bag = nullptr;
    }
  }
  Bag* old = heldBag;
  heldRep = rep;
  // Without a new bag holding the rep, an old bag that holds this very rep is kept: destroying
  // it would destroy the rep that is being bound.
  if (rep && !bag && old && old->GetChildren() && old->GetChildren()->Locate(rep) >= 0) return;
  heldBag = bag;
  if (old) old->Destroy();
}

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
