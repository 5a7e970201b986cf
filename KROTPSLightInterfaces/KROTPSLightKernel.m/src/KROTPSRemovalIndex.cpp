// KROTPSRemovalIndex.cpp
#include "KROTPSRemovalIndex.h"

#include "KROTPSLightCapture.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightTPS.h"

#include <new>

void KROTPSHolderIndex::Add(const KROBaseUnknown* value, KROTPSLightAdapt* holder,
                            KROTPSHeldRole role) {
  if (walkOnly_) return; // nothing reads the index any more
  try {
    refs_.emplace(value, Ref{holder, role});
  } catch (const std::bad_alloc&) {
    walkOnly_ = true; // it would miss this holder
  }
}

void KROTPSHolderIndex::Remove(const KROBaseUnknown* value, KROTPSLightAdapt* holder,
                               KROTPSHeldRole role) {
  auto [from, to] = refs_.equal_range(value);
  for (; from != to; ++from)
    if (from->second.holder == holder && from->second.role == role) {
      refs_.erase(from);
      return;
    }
}

bool KROTPSHolderIndex::Collect(const KROBaseUnknown* value, KROTPSHeldRole role,
                                std::vector<KROTPSLightAdapt*>& out) const {
  try {
    auto [from, to] = refs_.equal_range(value);
    for (; from != to; ++from)
      if (from->second.role == role) out.push_back(from->second.holder);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
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

namespace {
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
  try {
    attached_.insert(&holder);
  } catch (const std::bad_alloc&) {
    walkOnly_ = true; // it could not be told to stop reporting here
    return;
  }
  m.heldIn = this;
  IndexHeldOf(*this, holder, true);
}

void KROTPSHolderIndex::Detach(KROTPSLightAdapt& holder) {
  if (holder.listMembership_.heldIn != this) return;
  IndexHeldOf(*this, holder, false);
  attached_.erase(&holder);
  holder.listMembership_.heldIn = nullptr;
}

void KROTPSHolderIndex::Reset() {
  for (KROTPSLightAdapt* holder : attached_)
    holder->listMembership_.heldIn = nullptr;
  attached_.clear();
  refs_.clear();
  walkOnly_ = false;
}

KROTPSEntryIndex::KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind,
                                   KROTPSHolderIndex& holders)
    : own_(&own), kind_(kind), holders_(holders) {
  own.SetWatch(this);
}

KROTPSEntryIndex::~KROTPSEntryIndex() { Detach(); }

KROTPSLightAdapt* KROTPSEntryIndex::Tracked(KROBaseUnknown* p) const {
  if (!p || typeid(*p) != kind_) return nullptr;
  auto* object = static_cast<KROTPSLightAdapt*>(p);
  return object->listMembership_.index == this ? object : nullptr;
}

int KROTPSEntryIndex::CountOf(const KROTPSLightAdapt& object) {
  return object.listMembership_.count;
}

int KROTPSEntryIndex::PositionOfLast(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.listMembership_;
  if (m.lastSeq >= 0 && !lost_) {
    const int at = Prefix(m.lastSeq);
    if (own_->At(at) == &object) return at;
  }
  // The last occurrence went while earlier ones stay: find the new last once.
  const int at = own_->Locate(&object);
  m.lastSeq = at >= 0 && !lost_ ? SeqAt(at) : -1;
  return at;
}

void KROTPSEntryIndex::Detach() {
  if (!own_) return;
  for (int i = 0; i < own_->Size(); ++i)
    if (KROTPSLightAdapt* object = Tracked(own_->At(i))) Leave(*object);
  own_->SetWatch(nullptr);
  own_ = nullptr;
  tree_.clear();
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
  if (IsHolder(kind_) && HoldsAny(object)) holders_.Attach(object);
}

// What the object's lists hold stays registered (KROTPSListMembership::heldIn).
void KROTPSEntryIndex::Leave(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.listMembership_;
  m.index = nullptr;
  m.count = 0;
  m.lastSeq = -1;
}

void KROTPSEntryIndex::ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) {
  KROTPSLightAdapt* object = Claim(item);
  // Numbers are never reused; once they run to twice what is listed, number the list afresh.
  if (tree_.size() >= 64 && tree_.size() >= 2 * std::size_t(items.Size())) {
    Renumber();
    return;
  }
  if (!Push()) return;
  if (object) object->listMembership_.lastSeq = int(tree_.size()) - 1;
}

void KROTPSEntryIndex::ListRemoved(list<KROBaseUnknown>&, KROBaseUnknown* item, int at) {
  const int seq = lost_ ? -1 : SeqAt(at);
  for (int i = seq + 1; seq >= 0 && i <= int(tree_.size()); i += i & -i)
    --tree_[std::size_t(i - 1)];
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

// Entries listed among the first n sequence numbers.
int KROTPSEntryIndex::Prefix(int n) const {
  int sum = 0;
  for (int i = n; i > 0; i -= i & -i)
    sum += tree_[std::size_t(i - 1)];
  return sum;
}

// A new number, for an entry at the end: its node covers (i - lowbit(i), i].
bool KROTPSEntryIndex::Push() {
  if (lost_) return false;
  const int i = int(tree_.size()) + 1;
  int covered = 1; // the new entry, and those of the nodes below it
  for (int j = i - 1; j > i - (i & -i); j -= j & -j)
    covered += tree_[std::size_t(j - 1)];
  try {
    tree_.push_back(covered);
    return true;
  } catch (const std::bad_alloc&) {
    lost_ = true; // positions are unknown from here on
    return false;
  }
}

// The number of the entry at `position`: the smallest n with Prefix(n + 1) == position + 1.
int KROTPSEntryIndex::SeqAt(int position) const {
  const int size = int(tree_.size());
  int step = 1;
  while (step * 2 <= size)
    step *= 2;
  int at = 0, rest = position + 1;
  for (; step > 0; step /= 2)
    if (at + step <= size && tree_[std::size_t(at + step - 1)] < rest) {
      at += step;
      rest -= tree_[std::size_t(at - 1)];
    }
  return at;
}

void KROTPSEntryIndex::Renumber() {
  const int count = own_->Size();
  try {
    tree_.assign(std::size_t(count), 0);
  } catch (const std::bad_alloc&) {
    lost_ = true;
    return;
  }
  for (int i = 1; i <= count; ++i)
    tree_[std::size_t(i - 1)] = i & -i;
  for (int i = 0; i < count; ++i)
    if (KROTPSLightAdapt* object = Tracked(own_->At(i))) object->listMembership_.lastSeq = i;
}
