// KROTPSRemovalIndex.cpp
#include "KROTPSRemovalIndex.h"

#include "KROTPSLightCapture.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightTPS.h"

#include <new>

namespace {
std::size_t HashOf(const KROBaseUnknown* value) {
  // Pointers share their low bits; Fibonacci hashing spreads the rest into the middle bits.
  return std::size_t((reinterpret_cast<std::uintptr_t>(value) >> 4) * 0x9E3779B97F4A7C15ull);
}
/// Whether objects of exactly this class hold lists a removal pass clears.
bool IsHolder(const std::type_info& kind) {
  return kind == typeid(KROTPSLightTPS) || kind == typeid(KROTPSLightRefFrame) ||
         kind == typeid(KROTPSLightCapture);
}

void IndexHeldOf(KROTPSHolderIndex& index, KROTPSLightAdapt& holder, bool add) {
  const std::type_info& kind = typeid(holder);
  if (kind == typeid(KROTPSLightTPS))
    static_cast<KROTPSLightTPS&>(holder).IndexHeld(index, add);
  else if (kind == typeid(KROTPSLightRefFrame))
    static_cast<KROTPSLightRefFrame&>(holder).IndexHeld(index, add);
  else if (kind == typeid(KROTPSLightCapture))
    static_cast<KROTPSLightCapture&>(holder).IndexHeld(index, add);
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
  return holder.listMembership_.holderSlot;
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
    if (KROTPSLightAdapt* holder = holders_[entry.holderAndRole >> 3]) {
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
  for (KROTPSLightAdapt* holder : holders_)
    if (holder) IndexHeldOf(*this, *holder, true);
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

KROTPSHolderIndex* KROTPSHolderIndexOf(const KROTPSLightAdapt& holder) {
  return holder.listMembership_.heldIn;
}

KROTPSHolderIndex* KROTPSHolderIndexFor(KROTPSLightAdapt& holder, bool* attached) {
  KROTPSListMembership& m = holder.listMembership_;
  *attached = false;
  if (m.heldIn || !m.index) return m.heldIn;
  KROTPSHolderIndex& index = m.index->Holders();
  index.Attach(holder);
  *attached = true;
  return &index;
}

bool HoldsAny(const list<KROBaseUnknown>* held) {
  return held && (held->Size() > 0 || held->Cursor() > 0);
}

bool HoldsAny(const KROTPSLightAdapt& holder) {
  const std::type_info& kind = typeid(holder);
  if (kind == typeid(KROTPSLightTPS)) return static_cast<const KROTPSLightTPS&>(holder).HoldsAny();
  if (kind == typeid(KROTPSLightRefFrame))
    return static_cast<const KROTPSLightRefFrame&>(holder).HoldsAny();
  if (kind == typeid(KROTPSLightCapture))
    return static_cast<const KROTPSLightCapture&>(holder).HoldsAny();
  return false;
}

void KROTPSHolderIndex::Attach(KROTPSLightAdapt& holder) {
  KROTPSListMembership& m = holder.listMembership_;
  if (m.heldIn == this) return;
  if (m.heldIn) m.heldIn->Detach(holder);
  if (walkOnly_) return; // nothing reads what it would register
  std::uint32_t number = 0;
  try {
    if (!freeHolders_.empty()) {
      number = freeHolders_.back();
      freeHolders_.pop_back();
      holders_[number] = &holder;
    } else {
      if (holders_.size() >= (kNone >> 3)) throw std::bad_alloc();
      number = std::uint32_t(holders_.size());
      holders_.push_back(&holder);
    }
  } catch (const std::bad_alloc&) {
    SetWalkOnly(); // it could not be told to stop reporting here
    return;
  }
  m.heldIn = this;
  m.holderSlot = number;
  IndexHeldOf(*this, holder, true);
}

void KROTPSHolderIndex::Detach(KROTPSLightAdapt& holder) {
  KROTPSListMembership& m = holder.listMembership_;
  if (m.heldIn != this) return;
  IndexHeldOf(*this, holder, false);
  holders_[m.holderSlot] = nullptr;
  m.heldIn = nullptr;
  try {
    freeHolders_.push_back(m.holderSlot);
  } catch (const std::bad_alloc&) {
    // The number is not used again; its entries name nobody.
  }
}

void KROTPSHolderIndex::Forget(KROTPSLightAdapt& holder) {
  KROTPSListMembership& m = holder.listMembership_;
  if (m.heldIn != this) return;
  holders_[m.holderSlot] = nullptr;
  m.heldIn = nullptr;
}

void KROTPSHolderIndex::Reset() {
  for (KROTPSLightAdapt* holder : holders_)
    if (holder) holder->listMembership_.heldIn = nullptr;
  std::vector<KROTPSLightAdapt*>().swap(holders_);
  std::vector<std::uint32_t>().swap(freeHolders_);
  std::vector<Slot>().swap(slots_);
  std::vector<Entry>().swap(entries_);
  usedSlots_ = entryCount_ = held_ = 0;
  freeEntry_ = kNone;
  walkOnly_ = false;
}

KROTPSEntryIndex::KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind,
                                   KROTPSHolderIndex& holders, const KROBaseUnknown* owner)
    : own_(&own), kind_(kind), holders_(holders), owner_(owner) {
  own.SetWatch(this);
  for (int i = 0; i < own.Size(); ++i)
    ListAppended(own, own.At(i));
}

KROTPSEntryIndex::~KROTPSEntryIndex() { Detach(); }

KROTPSLightAdapt* KROTPSEntryIndex::Tracked(KROBaseUnknown* p) const {
  if (!p || typeid(*p) != kind_) return nullptr;
  auto* object = static_cast<KROTPSLightAdapt*>(p);
  return object->listMembership_.index == this ? object : nullptr;
}

void KROTPSEntryIndex::SetLinkChanged(KROTPSLightAdapt& object) {
  if (!owner_) return;
  KROTPSListMembership& m = object.listMembership_;
  otherSet_ -= m.otherSet;
  m.otherSet = !object.LinksToSet(owner_);
  otherSet_ += m.otherSet;
}

int KROTPSEntryIndex::CountOf(const KROTPSLightAdapt& object) {
  return object.listMembership_.count;
}

int KROTPSEntryIndex::PositionOfLast(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.listMembership_;
  if (m.lastSeq >= 0 && !lost_) {
    const int at = seqs_.Prefix(m.lastSeq);
    if (own_->At(at) == &object) return at;
  }
  // The last occurrence went while earlier ones stay: find the new last once.
  const int at = own_->Locate(&object);
  m.lastSeq = at >= 0 && !lost_ ? seqs_.NumberAt(at) : -1;
  return at;
}

void KROTPSEntryIndex::Detach() {
  if (!own_) return;
  for (int i = 0; i < own_->Size(); ++i)
    if (KROTPSLightAdapt* object = Tracked(own_->At(i))) Leave(*object);
  own_->SetWatch(nullptr);
  own_ = nullptr;
  seqs_.Clear();
  untracked_ = 0;
}

void KROTPSEntryIndex::LetGo(KROBaseUnknown* item) {
  KROTPSLightAdapt* object = Tracked(item);
  if (!object) return;
  holders_.Forget(*object);
  Leave(*object);
}

void KROTPSEntryIndex::Abandon() {
  if (!own_) return;
  if (own_->Watch() == this) own_->SetWatch(nullptr);
  own_ = nullptr;
  seqs_.Clear();
  untracked_ = 0;
}

// Counts `item` when it is an object of the list's class that no other set list counts.
KROTPSLightAdapt* KROTPSEntryIndex::Claim(KROBaseUnknown* item) {
  if (!item || typeid(*item) != kind_) {
    ++untracked_;
    return nullptr;
  }
  auto* object = static_cast<KROTPSLightAdapt*>(item);
  KROTPSListMembership& m = object->listMembership_;
  if (m.index == this) {
    ++m.count;
    return object;
  }
  if (m.count >= 0 && !m.index) {
    m.index = this;
    m.count = 1;
    Join(*object);
    return object;
  }
  if (KROTPSEntryIndex* other = m.index) {
    other->untracked_ += m.count;
    other->Leave(*object);
    m.count = -1;
  }
  ++untracked_;
  return nullptr;
}

// A holder that holds nothing is attached by its first item (KROTPSHolderIndexFor).
void KROTPSEntryIndex::Join(KROTPSLightAdapt& object) {
  if (owner_) {
    object.listMembership_.otherSet = !object.LinksToSet(owner_);
    otherSet_ += object.listMembership_.otherSet;
  }
  if (IsHolder(kind_) && HoldsAny(object)) holders_.Attach(object);
}

// What the object's lists hold stays registered (KROTPSListMembership::heldIn).
void KROTPSEntryIndex::Leave(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.listMembership_;
  otherSet_ -= m.otherSet;
  m.otherSet = false;
  m.index = nullptr;
  m.count = 0;
  m.lastSeq = -1;
}

void KROTPSEntryIndex::ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) {
  KROTPSLightAdapt* object = Claim(item);
  // Numbers are never reused; once they run to twice what is listed, number the list afresh.
  if (seqs_.Size() >= 64 && seqs_.Size() >= 2 * items.Size()) {
    Renumber();
    return;
  }
  if (!Push()) return;
  if (object) object->listMembership_.lastSeq = seqs_.Size() - 1;
}

void KROTPSEntryIndex::ListRemoved(list<KROBaseUnknown>&, KROBaseUnknown* item, int at) {
  const int seq = lost_ ? -1 : seqs_.NumberAt(at);
  if (seq >= 0) seqs_.Add(seq, -1);
  KROTPSLightAdapt* object = Tracked(item);
  if (!object) {
    --untracked_;
    return;
  }
  KROTPSListMembership& m = object->listMembership_;
  if (--m.count == 0)
    Leave(*object);
  else if (m.lastSeq == seq)
    m.lastSeq = -1;
}

bool KROTPSEntryIndex::Push() {
  if (lost_) return false;
  if (seqs_.Push()) return true;
  lost_ = true; // positions are unknown from here on
  return false;
}

void KROTPSEntryIndex::Renumber() {
  const int count = own_->Size();
  if (!seqs_.Reset(count)) {
    lost_ = true;
    return;
  }
  for (int i = 0; i < count; ++i)
    if (KROTPSLightAdapt* object = Tracked(own_->At(i))) object->listMembership_.lastSeq = i;
}
