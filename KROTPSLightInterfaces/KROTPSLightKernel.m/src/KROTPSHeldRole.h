// KROTPSHeldRole.h - which of a holder's lists an entry of the holder index stands for.
#pragma once

#include "KROTPSKernelPrivate.h"

#include <cstdint>

class KROBaseUnknown;

/// The lists of a holder that a removal pass clears.
enum class KROTPSHeldRole : unsigned char {
  AnnotationLists, // an annotation's associated, order-group and basic-dimension lists
  FrameLists,      // a reference frame's datums and basic dimensions
  CaptureTpss,     // a capture's annotations
  CaptureCGs,      // a capture's constructed geometries
  ViewLink,        // an annotation's view link, under the base pointer of the view linked
  RefFrameLink,    // an annotation's reference-frame link id, under KROTPSRefFrameKey(id)
};

/// The key an annotation's reference-frame link id is registered under. Keys are compared, never
/// dereferenced, and each role has its own.
inline const KROBaseUnknown* KROTPSRefFrameKey(int id) {
  return reinterpret_cast<const KROBaseUnknown*>(std::uintptr_t(unsigned(id)));
}
