// KROLinkIds.h - the TTRS link ids an object holds; handed out as copies the caller deletes.
#pragma once

#include "KRORawColl.h"
#include "KROTypes.h"

#include <new>

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
