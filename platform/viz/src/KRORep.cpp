// KRORep.cpp - the rep allocator and the ownership rules of group reps.
#include "KRORep.h"

#include "KROBlockPool.h"

#include <atomic>
#include <climits>
#include <new>

namespace {
// Counted by the allocator on every thread; relaxed, as for the live-component count.
std::atomic<long> gLiveReps{0};
} // namespace

void* KRORep::operator new(std::size_t size, void*, void*, int) noexcept {
  void* p = KROPoolAllocate(size);
  if (p) gLiveReps.fetch_add(1, std::memory_order_relaxed);
  return p;
}

void KRORep::operator delete(void* p, void*, void*, int) noexcept { operator delete(p); }

void KRORep::operator delete(void* p) noexcept {
  if (!p) return;
  gLiveReps.fetch_sub(1, std::memory_order_relaxed);
  KROPoolFree(p);
}

long KRORep::LiveCount() { return gLiveReps.load(std::memory_order_relaxed); }

KRORep::~KRORep() = default;

const char* KRORep::ClassName() const { return "KRORep"; }

void KRORep::Destroy() {
  if (holders_ == 0) delete this;
}

KRO2DRep::~KRO2DRep() = default;
const char* KRO2DRep::ClassName() const { return "KRO2DRep"; }

template <class Base> int KROGroupRep<Base>::AddChild(KRORep& child) {
  if (&child == this || child.HolderCount() == INT_MAX) return 0;
  if (!children_.Append(&child)) return 0;
  KRORep::Hold(child);
  return 1;
}

template <class Base> void KROGroupRep<Base>::Destroy() {
  if (destroying_) return;
  destroying_ = true;
  // Taken from the back so that each removal is constant time; the list is the bag's own and
  // nothing else adds to it while it empties.
  while (children_.Size() > 0) {
    KRORep* child = children_[children_.Size() - 1];
    children_.Remove(child);
    if (child && KRORep::Unhold(*child)) child->Destroy();
  }
  destroying_ = false;
  Base::Destroy();
}

template <class Base> KROGroupRep<Base>::~KROGroupRep() = default;

template class KROGroupRep<KRORep>;
template class KROGroupRep<KRO2DRep>;

KRO3DBagRep::~KRO3DBagRep() = default;
const char* KRO3DBagRep::ClassName() const { return kClassName; }

KRO2DBagRep::~KRO2DBagRep() = default;
const char* KRO2DBagRep::ClassName() const { return kClassName; }

KRO2DCustomRep::~KRO2DCustomRep() = default;
const char* KRO2DCustomRep::ClassName() const { return kClassName; }
