// KROTPSModelGeneration.h - a process-wide count of the model changes that can alter which
// annotations a geometry tag reaches.
///
/// Every such change bumps it: a TTRS's paths or index, an annotation's TTRS link ids, an object
/// entering or leaving a set's TTRS or annotation list, and the set's bulk operations. A tag index
/// built at one generation is trusted only while the count still reads that generation.
/// \code
///   const std::uint64_t builtAt = KROTPSModelGeneration();
///   ...                                       // any of the changes above
///   KROTPSModelChanged();
///   assert(KROTPSModelGeneration() != builtAt);
/// \endcode
/// The count is shared by every set, so a change in one set also retires the other sets' indexes:
/// they are rebuilt more often than needed, never trusted when stale.
#pragma once

#include "KROTPSKernelPrivate.h"

#include <cstdint>

std::uint64_t KROTPSModelGeneration() noexcept;
void KROTPSModelChanged() noexcept;
