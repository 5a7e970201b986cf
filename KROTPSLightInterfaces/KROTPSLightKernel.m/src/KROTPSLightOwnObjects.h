// KROTPSLightOwnObjects.h - the library's own objects read directly by its own loops.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KRORuntimeAccess.h"

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
