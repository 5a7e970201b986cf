// KROTPSHolder.h - what a holder class offers the holder index.
///
/// Annotations, reference frames and captures hold lists (and links) that a removal pass clears.
/// Each of those classes derives from KROTPSHolder, so that the holder index can have one
/// register what it holds, or ask whether it holds anything, without knowing its class.
/// \code
///   class KROTPSLightCapture : public KROTPSLightAdapt, public KROTPSHolder, ... {
///     void IndexHeld(KROTPSHolderIndex& index, bool add) override; // tpss_ and cgs_
///     bool HoldsAny() const override;
///   };
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

class KROTPSHolderIndex;
class KROTPSLightAdapt;

class KROTPSHolder {
public:
  /// Registers (`add`) or unregisters in `index` every item this object's cleared lists hold,
  /// and its links, each under its role.
  virtual void IndexHeld(KROTPSHolderIndex& index, bool add) = 0;
  /// Whether any of them holds an item or has its cursor moved, or a link is set.
  virtual bool HoldsAny() const = 0;

protected:
  KROTPSHolder() = default;
  KROTPSHolder(const KROTPSHolder&) = default;
  KROTPSHolder& operator=(const KROTPSHolder&) = default;
  ~KROTPSHolder() = default;
};

/// How an entry index reaches the hook of an object of its list's class.
using KROTPSHookOf = KROTPSHolder* (*)(KROTPSLightAdapt& object);

/// The hook of `object`, which is of class `C` (a holder class).
template <class C> KROTPSHolder* KROTPSHookOfClass(KROTPSLightAdapt& object) {
  return &static_cast<C&>(object);
}
