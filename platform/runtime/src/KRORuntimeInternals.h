// KRORuntimeInternals.h - state a component keeps only once it needs it.
#pragma once

#include "KROBaseUnknown.h"
#include "KROBlockPool.h"
#include "KROMetaClass.h"
#include "KROWeakRef.h"

#include <new>
#include <vector>

struct KROLiveTie {
  IID iid;
  KROBaseUnknown* tie; // no reference: the tie unlists itself when it goes
};

/// The live ties of one component. Most components have one or two ties at a time, so the
/// first two are held in place; further ones go to a block of their own. A component has at
/// most one live tie per interface, so their order means nothing.
class KROLiveTies {
public:
  /// The live tie of `iid`, or null.
  KROBaseUnknown* Find(const IID& iid) const {
    for (int i = 0; i < inFirst_; ++i)
      if (first_[i].iid == iid) return first_[i].tie;
    for (const KROLiveTie& live : more_)
      if (live.iid == iid) return live.tie;
    return nullptr;
  }
  /// False, with nothing listed, when memory runs out.
  bool Add(const KROLiveTie& live) noexcept {
    if (inFirst_ < kInPlace) {
      first_[inFirst_++] = live;
      return true;
    }
    try {
      more_.push_back(live);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  /// Unlists `tie`; nothing when it is not listed.
  void Remove(const KROBaseUnknown* tie) noexcept {
    for (int i = 0; i < inFirst_; ++i) {
      if (first_[i].tie != tie) continue;
      // The last tie listed takes the freed place, so the ones in place stay contiguous.
      if (!more_.empty()) {
        first_[i] = more_.back();
        more_.pop_back();
      } else {
        first_[i] = first_[--inFirst_];
      }
      return;
    }
    for (auto it = more_.begin(); it != more_.end(); ++it) {
      if (it->tie == tie) {
        *it = more_.back();
        more_.pop_back();
        return;
      }
    }
  }
  int Size() const { return inFirst_ + static_cast<int>(more_.size()); }

private:
  static constexpr int kInPlace = 2;
  KROLiveTie first_[kInPlace]{};
  int inFirst_ = 0;
  std::vector<KROLiveTie> more_;
};

struct KROExtensionSlot {
  const KROMetaClass* meta;
  KROBaseUnknown* extension; // owned; destroyed with the component
};

struct KROComponentExtras {
  // Most components get one on their first query: from the block pool, as the component.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return KROPoolAllocate(size);
  }
  static void operator delete(void* p) noexcept { KROPoolFree(p); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept { KROPoolFree(p); }

  KROLiveTies ties;
  std::vector<KROExtensionSlot> extensions;
  KROWeakControl* weak = nullptr; // one use held by the component
};
