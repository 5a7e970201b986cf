// KROLinkIds.h - the TTRS link ids an object holds; handed out as copies the caller deletes.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KRORawColl.h"
#include "KROTypes.h"

#include <new>

/// The TTRS link ids of an object, present from the first add on; handed out as copies. An
/// annotation usually has two: up to two are held in place, more in a collection of their own.
class KROLinkIds {
public:
  KROLinkIds() = default;
  KROLinkIds(const KROLinkIds&) = delete;
  KROLinkIds& operator=(const KROLinkIds&) = delete;

  HRESULT Add(int id) {
    present_ = true;
    if (spilled_) return more_.Append(id) ? S_OK : E_FAIL;
    if (inPlaceCount_ < kInPlace) {
      inPlace_[inPlaceCount_++] = id;
      return S_OK;
    }
    // A third id: all of them move to the collection, or none does.
    bool moved = true;
    for (int i = 0; moved && i < inPlaceCount_; ++i)
      moved = more_.Append(inPlace_[i]);
    if (!moved || !more_.Append(id)) {
      more_ = KRORawCollint();
      return E_FAIL;
    }
    spilled_ = true;
    return S_OK;
  }
  /// E_FAIL with `out` untouched when no id was ever added; E_FAIL with null when the copy
  /// cannot be made.
  HRESULT CopyOut(KRORawCollint** out) const {
    if (!out || !present_) return E_FAIL;
    *out = new (std::nothrow) KRORawCollint(spilled_ ? more_ : KRORawCollint());
    for (int i = 0; *out && !spilled_ && i < inPlaceCount_; ++i)
      if (!(*out)->Append(inPlace_[i])) break;
    if (*out && (*out)->Size() != Size()) {
      delete *out;
      *out = nullptr;
    }
    return *out ? S_OK : E_FAIL;
  }
  /// Number of ids held (0 before the first add).
  int Size() const { return spilled_ ? more_.Size() : inPlaceCount_; }
  /// The id at 0-based `i` < Size().
  int At(int i) const { return spilled_ ? more_[i + 1] : inPlace_[i]; }
  /// Frees the collection now (destructors that must free it before other members).
  void Clear() {
    more_ = KRORawCollint();
    inPlaceCount_ = 0;
    spilled_ = false;
    present_ = false;
  }

private:
  static constexpr int kInPlace = 2;
  int inPlace_[kInPlace] = {};
  int inPlaceCount_ = 0;
  bool spilled_ = false; // the ids are in more_
  bool present_ = false;
  KRORawCollint more_;
};
