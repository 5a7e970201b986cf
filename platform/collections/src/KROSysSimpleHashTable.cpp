// KROSysSimpleHashTable.cpp - the runtime's open-addressing table of untyped entries.
#include "KROSysSimpleHashTable.h"

#include <climits>
#include <new>

namespace {

constexpr int kMinSlots = 8;

void** NewSlots(int size) {
  void** slots = new (std::nothrow) void*[static_cast<unsigned>(size)];
  if (slots)
    for (int i = 0; i < size; ++i)
      slots[i] = nullptr;
  return slots;
}

} // namespace

KROSysSimpleHashTable::KROSysSimpleHashTable(int size, PFHash hash, PFCompare compare) noexcept
    : hash_(hash), compare_(compare) {
  if (size <= 0) return;
  slots_ = NewSlots(size);
  if (slots_) size_ = size;
}

KROSysSimpleHashTable::~KROSysSimpleHashTable() { delete[] slots_; }

int KROSysSimpleHashTable::Home(void* entry, int size) const noexcept {
  return static_cast<int>(hash_(entry) % static_cast<unsigned>(size));
}

// Linear probing relies on at least one empty slot; keeping the load at or below one half
// guarantees it and keeps probe runs short.
int KROSysSimpleHashTable::Insert(void* entry) noexcept {
  if (!entry || !hash_ || !compare_) return 0;
  if (Locate(entry)) return 0;
  if ((static_cast<long long>(count_) + 1) * 2 > size_ && !Grow()) return 0;
  int pos = Home(entry, size_);
  while (slots_[pos])
    pos = (pos + 1) % size_;
  slots_[pos] = entry;
  ++count_;
  return 1;
}

void* KROSysSimpleHashTable::Locate(void* probe) const noexcept {
  if (!probe || !hash_ || !compare_ || size_ == 0) return nullptr;
  int pos = Home(probe, size_);
  for (int steps = 0; steps < size_ && slots_[pos]; ++steps) {
    if (compare_(slots_[pos], probe)) return slots_[pos];
    pos = (pos + 1) % size_;
  }
  return nullptr;
}

void KROSysSimpleHashTable::RemoveAll() noexcept {
  for (int i = 0; i < size_; ++i)
    slots_[i] = nullptr;
  count_ = 0;
}

bool KROSysSimpleHashTable::Grow() noexcept {
  if (size_ > INT_MAX / 2) return false;
  const int grown = size_ < kMinSlots ? kMinSlots : size_ * 2;
  void** slots = NewSlots(grown);
  if (!slots) return false;
  for (int i = 0; i < size_; ++i) {
    if (!slots_[i]) continue;
    int pos = Home(slots_[i], grown);
    while (slots[pos])
      pos = (pos + 1) % grown;
    slots[pos] = slots_[i];
  }
  delete[] slots_;
  slots_ = slots;
  size_ = grown;
  return true;
}
