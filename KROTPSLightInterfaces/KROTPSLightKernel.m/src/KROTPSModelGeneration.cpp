// KROTPSModelGeneration.cpp
#include "KROTPSModelGeneration.h"

#include <atomic>

namespace {
// Relaxed is enough: a set is used from one thread at a time, so its own changes are already
// ordered before its next query; changes made to other sets on other threads may only retire an
// index early. Starts above 0 so that a never-built index never matches.
std::atomic<std::uint64_t> gGeneration{1};
} // namespace

std::uint64_t KROTPSModelGeneration() noexcept {
  return gGeneration.load(std::memory_order_relaxed);
}

void KROTPSModelChanged() noexcept { gGeneration.fetch_add(1, std::memory_order_relaxed); }
