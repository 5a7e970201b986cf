// KROTPSLightLists.h - the objects' own lists: handed out as they are, added to, removed from.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTypes.h"

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

/// KROListRemove, then again while the list still holds `item` or its base pointer, so that no
/// occurrence is left; only the first removal may find nothing (and move a cursor past the end).
inline HRESULT KROListRemoveEvery(list<KROBaseUnknown>* own, KROBaseUnknown* item) {
  const HRESULT rc = KROListRemove(own, item);
  if (SUCCEEDED(rc))
    for (int at; (at = KROLocateComponent(*own, item)) >= 0;)
      own->RemoveAt(at);
  return rc;
}
