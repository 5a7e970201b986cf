// KROBlockPool.h - the blocks components, ties and reps live in. Not installed.
//
// A model of a hundred thousand annotations makes and frees close to a million small objects,
// and a query makes and frees a tie. From the general-purpose heap each costs a search on the
// way in and a coalescing on the way out, the latter touching neighbouring blocks that are long
// out of the cache. Here every block size has a free list of its own: a thread takes and gives
// back blocks from a cache of its own, and only a cache that runs empty or overfull goes to the
// size's shared list, under that size's lock, a batch at a time. Blocks of one size are carved
// from slabs one after the other, so objects made in turn sit side by side.
//
// Memory given back stays with its size, for the next block of that size; slabs are never
// returned to the system. Blocks above kKROPoolLargest bytes come from the heap as they are.
//
// Under AddressSanitizer a block given back is poisoned until it is handed out again, so that
// a use after release is still reported.
#pragma once

#include "KROPlatformInternal.h"

#include "KROPlatformExport.h"

#include <cstddef>

/// Blocks up to this many bytes come from the pool's free lists.
inline constexpr std::size_t kKROPoolLargest = 1016;

/// A block of at least `size` bytes, aligned for any object; null when memory runs out.
KRO_PLATFORM_API void* KROPoolAllocate(std::size_t size) noexcept;

/// Gives back a block from KROPoolAllocate; nothing for null.
KRO_PLATFORM_API void KROPoolFree(void* block) noexcept;

/// Bytes of slab the pool has taken from the heap so far (it never gives them back).
KRO_PLATFORM_API std::size_t KROPoolSlabBytes() noexcept;
