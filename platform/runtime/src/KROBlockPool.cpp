// KROBlockPool.cpp - size-class free lists with a cache per thread (see KROBlockPool.h).
#include "KROBlockPool.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define KRO_POOL_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KRO_POOL_POISONS 1
#endif
#endif

#ifdef KRO_POOL_POISONS
#include <sanitizer/asan_interface.h>
#define KRO_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KRO_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KRO_POISON(p, n) ((void)(p), (void)(n))
#define KRO_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// A block is an 8-byte header and the object after it. Blocks of a size class are `stride`
// bytes apart from 8 bytes into a 16-aligned slab, so every object is 16-aligned. While a block
// is handed out its header holds its class (0: a heap block of its own); while it waits in a
// free list the header links it to the next one.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kAlign = 16;
constexpr std::size_t kClasses = (kKROPoolLargest + kHeader) / kAlign; // class k: stride 16 k
constexpr std::size_t kSlabBytes = std::size_t(64) << 10;
static_assert((kKROPoolLargest + kHeader) % kAlign == 0);

struct Block {
  Block* next;
};

constexpr std::size_t ClassOf(std::size_t size) { return (size + kHeader + kAlign - 1) / kAlign; }
constexpr std::size_t StrideOf(std::size_t k) { return k * kAlign; }
// Blocks moved between a thread's cache and the shared list at a time: about 8 KiB of them.
constexpr int BatchOf(std::size_t k) {
  const std::size_t n = (std::size_t(8) << 10) / StrideOf(k);
  return n < 4 ? 4 : n > 32 ? 32 : static_cast<int>(n);
}

void* ObjectOf(Block* b) { return reinterpret_cast<char*>(b) + kHeader; }
Block* BlockOf(void* object) {
  return reinterpret_cast<Block*>(static_cast<char*>(object) - kHeader);
}
std::uintptr_t& HeaderOf(Block* b) { return *reinterpret_cast<std::uintptr_t*>(b); }

struct SizeClass {
  std::mutex lock;
  Block* free = nullptr; // given back by caches, or by threads that have ended
  char* carve = nullptr; // the next block never handed out, in the newest slab
  char* end = nullptr;
};

struct Shared {
  SizeClass classes[kClasses + 1];
  std::mutex slabsLock;
  void* slabs = nullptr; // every slab, linked through its first 8 bytes; never freed
  std::size_t slabBytes = 0;
};

// Made on first use and never destroyed: components may be freed during static destruction,
// after any destructor of this file would have run.
Shared& TheShared() {
  static Shared* shared = new Shared();
  return *shared;
}

// Constant-initialised and trivially destructible, so reaching it costs no guard, and it stays
// usable after the thread's cache was given back.
struct ThreadCache {
  Block* head[kClasses + 1];
  int count[kClasses + 1];
  bool armed; // the thread's CacheReturn is registered, to run when the thread ends
  bool ended; // given back at thread end: blocks go straight to the shared lists from now on
};
thread_local ThreadCache tCache{};

void GiveBack(std::size_t k, Block* first, Block* last) {
  SizeClass& c = TheShared().classes[k];
  const std::lock_guard<std::mutex> hold(c.lock);
  last->next = c.free;
  c.free = first;
}

// Gives the thread's cached blocks back when the thread ends.
struct CacheReturn {
  bool inUse = false;
  ~CacheReturn() {
    ThreadCache& t = tCache;
    t.ended = true;
    for (std::size_t k = 1; k <= kClasses; ++k) {
      Block* first = t.head[k];
      if (!first) continue;
      Block* last = first;
      while (last->next)
        last = last->next;
      GiveBack(k, first, last);
      t.head[k] = nullptr;
      t.count[k] = 0;
    }
  }
};
thread_local CacheReturn tCacheReturn;

// Before a thread's cache first holds a block, whether the thread takes blocks or only gives
// them back (one that only releases what others made).
void Arm(ThreadCache& t) {
  tCacheReturn.inUse = true; // its first use registers its destructor for thread end
  t.armed = true;
}

bool NewSlab(SizeClass& c) {
  char* slab = static_cast<char*>(std::malloc(kSlabBytes));
  if (!slab) return false;
  Shared& shared = TheShared();
  {
    const std::lock_guard<std::mutex> hold(shared.slabsLock);
    *reinterpret_cast<void**>(slab) = shared.slabs;
    shared.slabs = slab;
    shared.slabBytes += kSlabBytes;
  }
  KRO_POISON(slab + kHeader, kSlabBytes - kHeader);
  c.carve = slab + kHeader;
  c.end = slab + kSlabBytes;
  return true;
}

// Up to `want` blocks of class k from the shared list, then from the slab, linked; null when
// memory runs out. `got` is how many.
Block* TakeShared(std::size_t k, int want, int& got) {
  SizeClass& c = TheShared().classes[k];
  const std::size_t stride = StrideOf(k);
  const std::lock_guard<std::mutex> hold(c.lock);
  Block* first = nullptr;
  got = 0;
  while (got < want && c.free) {
    Block* b = c.free;
    c.free = b->next;
    b->next = first;
    first = b;
    ++got;
  }
  // Carved blocks are linked in address order, so that the cache hands them out in turn.
  Block* carved = nullptr;
  Block** tail = &carved;
  while (got < want) {
    if (static_cast<std::size_t>(c.end - c.carve) < stride && !NewSlab(c)) break;
    auto* b = reinterpret_cast<Block*>(c.carve);
    c.carve += stride;
    KRO_UNPOISON(b, kHeader);
    *tail = b;
    tail = &b->next;
    ++got;
  }
  *tail = first;
  return carved;
}

void* FromHeap(std::size_t size) {
  if (size > SIZE_MAX - kAlign) return nullptr;
  char* raw = static_cast<char*>(std::malloc(size + kAlign));
  if (!raw) return nullptr;
  auto* b = reinterpret_cast<Block*>(raw + kAlign - kHeader);
  HeaderOf(b) = 0;
  return ObjectOf(b);
}

} // namespace

void* KROPoolAllocate(std::size_t size) noexcept {
  if (size > kKROPoolLargest) return FromHeap(size);
  const std::size_t k = ClassOf(size == 0 ? 1 : size);
  ThreadCache& t = tCache;
  Block* b = t.head[k];
  if (b) {
    t.head[k] = b->next;
    --t.count[k];
  } else {
    int got = 0;
    b = TakeShared(k, t.ended ? 1 : BatchOf(k), got);
    if (!b) return nullptr;
    if (got > 1) {
      if (!t.armed) Arm(t);
      t.head[k] = b->next;
      t.count[k] = got - 1;
    }
  }
  HeaderOf(b) = k;
  void* object = ObjectOf(b);
  KRO_UNPOISON(object, size);
  return object;
}

void KROPoolFree(void* object) noexcept {
  if (!object) return;
  Block* b = BlockOf(object);
  const std::size_t k = HeaderOf(b);
  if (k == 0) {
    std::free(reinterpret_cast<char*>(b) - (kAlign - kHeader));
    return;
  }
  KRO_POISON(object, StrideOf(k) - kHeader);
  ThreadCache& t = tCache;
  if (t.ended) {
    b->next = nullptr;
    GiveBack(k, b, b);
    return;
  }
  if (!t.armed) Arm(t);
  b->next = t.head[k];
  t.head[k] = b;
  // Past two batches, one goes back to the shared list for other threads to take.
  const int batch = BatchOf(k);
  if (++t.count[k] < 2 * batch) return;
  Block* last = b;
  for (int i = 1; i < batch; ++i)
    last = last->next;
  t.head[k] = last->next;
  t.count[k] -= batch;
  GiveBack(k, b, last);
}

std::size_t KROPoolSlabBytes() noexcept {
  Shared& shared = TheShared();
  const std::lock_guard<std::mutex> hold(shared.slabsLock);
  return shared.slabBytes;
}
