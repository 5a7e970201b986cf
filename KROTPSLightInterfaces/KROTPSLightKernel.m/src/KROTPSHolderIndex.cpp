// KROTPSHolderIndex.cpp
#include "KROTPSHolderIndex.h"

#include "KROTPSEntryIndex.h"
#include "KROTPSHolder.h"
#include "KROTPSLightAdapt.h"

#include <new>

namespace {
std::size_t HashOf(const KROBaseUnknown* value) {
  // Pointers share their low bits; Fibonacci hashing spreads the rest into the middle bits.
  return std::size_t((reinterpret_cast<std::uintptr_t>(value) >> 4) * 0x9E3779B97F4A7C15ull);
}
} // namespace

KROTPSHolderIndex::Slot* KROTPSHolderIndex::Find(const KROBaseUnknown* value) {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = HashOf(value) >> 32 & mask;; i = (i + 1) & mask) {
    if (slots_[i].value == value) return &slots_[i];
    if (!slots_[i].value) return nullptr;
  }
}

bool KROTPSHolderIndex::Grow() {
  const std::size_t size = slots_.empty() ? 64 : slots_.size() * 2;
  std::vector<Slot> old;
  try {
    old.assign(size, Slot{});
  } catch (const std::bad_alloc&) {
    return false;
  }
  old.swap(slots_);
  const std::size_t mask = size - 1;
  for (const Slot& slot : old) {
    if (!slot.value) continue;
    std::size_t i = HashOf(slot.value) >> 32 & mask;
    while (slots_[i].value)
      i = (i + 1) & mask;
    slots_[i] = slot;
  }
  return true;
}

KROTPSHolderIndex::Slot* KROTPSHolderIndex::FindOrInsert(const KROBaseUnknown* value) {
  if (Slot* slot = Find(value)) return slot;
  if ((usedSlots_ + 1) * 4 > slots_.size() * 3 && !Grow()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = HashOf(value) >> 32 & mask;
  while (slots_[i].value)
    i = (i + 1) & mask;
  ++usedSlots_;
  slots_[i].value = value;
  slots_[i].head = kNone;
  return &slots_[i];
}

bool KROTPSHolderIndex::Link(const KROBaseUnknown* value, std::uint32_t holderAndRole) {
  Slot* slot = FindOrInsert(value);
  if (!slot) return false;
  std::uint32_t at = freeEntry_;
  if (at != kNone) {
    freeEntry_ = entries_[at].next;
  } else {
    if (entries_.size() >= kNone) return false;
    at = std::uint32_t(entries_.size());
    try {
      entries_.push_back(Entry{});
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  entries_[at] = Entry{holderAndRole, slot->head};
  slot->head = at;
  ++entryCount_;
  return true;
}

std::uint32_t KROTPSHolderIndex::SlotOf(KROTPSLightAdapt& holder) const {
  return holder.Membership().holderSlot;
}

void KROTPSHolderIndex::SetWalkOnly() {
  walkOnly_ = true; // nothing reads the tables any more: let them go
  std::vector<Slot>().swap(slots_);
  std::vector<Entry>().swap(entries_);
  usedSlots_ = entryCount_ = 0;
  freeEntry_ = kNone;
}

void KROTPSHolderIndex::Add(const KROBaseUnknown* value, KROTPSLightAdapt* holder,
                            KROTPSHeldRole role) {
  ++held_;
  // A null item is never removed, so nobody looks it up.
  if (walkOnly_ || !value) return;
  if (!Link(value, SlotOf(*holder) << 3 | std::uint32_t(role))) SetWalkOnly();
}

void KROTPSHolderIndex::Remove(const KROBaseUnknown*, KROTPSLightAdapt*, KROTPSHeldRole) {
  if (held_ > 0) --held_;
}

bool KROTPSHolderIndex::Take(const KROBaseUnknown* value, KROTPSHeldRole role,
                             std::vector<KROTPSLightAdapt*>& out) {
  if (walkOnly_) return false;
  Slot* slot = Find(value);
  if (!slot) return true;
  std::uint32_t* link = &slot->head;
  while (*link != kNone) {
    const std::uint32_t at = *link;
    Entry& entry = entries_[at];
    if ((entry.holderAndRole & 7) != std::uint32_t(role)) {
      link = &entry.next;
      continue;
    }
    if (KROTPSLightAdapt* holder = holders_[entry.holderAndRole >> 3].object) {
      try {
        out.push_back(holder);
      } catch (const std::bad_alloc&) {
        SetWalkOnly();
        return false;
      }
    }
    *link = entry.next;
    entry.next = freeEntry_;
    freeEntry_ = at;
    --entryCount_;
  }
  return true;
}

void KROTPSHolderIndex::Restore(const KROBaseUnknown* value, KROTPSLightAdapt* holder,
                                KROTPSHeldRole role, int n) {
  for (; n > 0 && !walkOnly_; --n)
    if (!Link(value, SlotOf(*holder) << 3 | std::uint32_t(role))) SetWalkOnly();
}

// Stale entries cost memory and make removals ask holders that hold nothing; once they outnumber
// the live ones, every attached holder registers afresh.
void KROTPSHolderIndex::Tidy() {
  if (walkOnly_ || entryCount_ <= 2 * held_ + 64) return;
  for (Slot& slot : slots_)
    slot = Slot{};
  usedSlots_ = entryCount_ = held_ = 0;
  entries_.clear();
  freeEntry_ = kNone;
  for (const Holder& holder : holders_)
    if (holder.object) holder.hook->IndexHeld(*this, true);
}

void KROTPSIndexHeld(KROTPSHolderIndex& index, const list<KROBaseUnknown>* held,
                     KROTPSLightAdapt* holder, KROTPSHeldRole role, bool add) {
  if (!held) return;
  for (int i = 0; i < held->Size(); ++i) {
    if (add)
      index.Add(held->At(i), holder, role);
    else
      index.Remove(held->At(i), holder, role);
  }
  if (add && held->Cursor() > held->Size()) index.SetWalkOnly();
}

KROTPSHolderIndex* KROTPSHolderIndex::Of(const KROTPSLightAdapt& holder) {
  return holder.Membership().heldIn;
}

KROTPSHolderIndex* KROTPSHolderIndex::For(KROTPSLightAdapt& holder, KROTPSHolder& hook,
                                          bool* attached) {
  KROTPSListMembership& m = holder.Membership();
  *attached = false;
  if (m.heldIn || !m.index) return m.heldIn;
  KROTPSHolderIndex& index = m.index->Holders();
  index.Attach(holder, hook);
  *attached = true;
  return &index;
}

bool HoldsAny(std::initializer_list<const list<KROBaseUnknown>*> held) {
  for (const list<KROBaseUnknown>* one : held)
    if (one && (one->Size() > 0 || one->Cursor() > 0)) return true;
  return false;
}

void KROTPSHolderIndex::Attach(KROTPSLightAdapt& holder, KROTPSHolder& hook) {
  KROTPSListMembership& m = holder.Membership();
  if (m.heldIn == this) return;
  if (m.heldIn) m.heldIn->Detach(holder);
  if (walkOnly_) return; // nothing reads what it would register
  std::uint32_t number = 0;
  try {
    if (!freeHolders_.empty()) {
      number = freeHolders_.back();
      freeHolders_.pop_back();
      holders_[number] = Holder{&holder, &hook};
    } else {
      if (holders_.size() >= (kNone >> 3)) throw std::bad_alloc();
      number = std::uint32_t(holders_.size());
      holders_.push_back(Holder{&holder, &hook});
    }
  } catch (const std::bad_alloc&) {
    SetWalkOnly(); // it could not be told to stop reporting here
    return;
  }
  m.heldIn = this;
  m.holderSlot = number;
  hook.IndexHeld(*this, true);
}

void KROTPSHolderIndex::Detach(KROTPSLightAdapt& holder) {
  KROTPSListMembership& m = holder.Membership();
  if (m.heldIn != this) return;
  holders_[m.holderSlot].hook->IndexHeld(*this, false);
  holders_[m.holderSlot] = Holder{nullptr, nullptr};
  m.heldIn = nullptr;
  try {
    freeHolders_.push_back(m.holderSlot);
  } catch (const std::bad_alloc&) {
    // The number is not used again; its entries name nobody.
  }
}

void KROTPSHolderIndex::Forget(KROTPSLightAdapt& holder) {
  KROTPSListMembership& m = holder.Membership();
  if (m.heldIn != this) return;
  holders_[m.holderSlot] = Holder{nullptr, nullptr};
  m.heldIn = nullptr;
}

void KROTPSHolderIndex::Reset() {
  for (const Holder& holder : holders_)
    if (holder.object) holder.object->Membership().heldIn = nullptr;
  std::vector<Holder>().swap(holders_);
  std::vector<std::uint32_t>().swap(freeHolders_);
  std::vector<Slot>().swap(slots_);
  std::vector<Entry>().swap(entries_);
  usedSlots_ = entryCount_ = held_ = 0;
  freeEntry_ = kNone;
  walkOnly_ = false;
}
