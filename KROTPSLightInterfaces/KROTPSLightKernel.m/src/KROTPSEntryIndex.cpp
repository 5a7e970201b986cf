// KROTPSEntryIndex.cpp
#include "KROTPSEntryIndex.h"

#include "KROTPSHolderIndex.h"
#include "KROTPSLightAdapt.h"

KROTPSEntryIndex::KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind,
                                   KROTPSHookOf hookOf, KROTPSHolderIndex& holders,
                                   const KROBaseUnknown* owner)
    : own_(&own), kind_(kind), hookOf_(hookOf), holders_(holders), owner_(owner) {
  own.SetWatch(this);
  for (int i = 0; i < own.Size(); ++i)
    ListAppended(own, own.At(i));
}

KROTPSEntryIndex::~KROTPSEntryIndex() { Detach(); }

KROTPSLightAdapt* KROTPSEntryIndex::Tracked(KROBaseUnknown* p) const {
  if (!p || typeid(*p) != kind_) return nullptr;
  auto* object = static_cast<KROTPSLightAdapt*>(p);
  return object->Membership().index == this ? object : nullptr;
}

void KROTPSEntryIndex::SetLinkChanged(KROTPSLightAdapt& object) {
  if (!owner_) return;
  KROTPSListMembership& m = object.Membership();
  otherSet_ -= m.otherSet;
  m.otherSet = !object.LinksToSet(owner_);
  otherSet_ += m.otherSet;
}

int KROTPSEntryIndex::CountOf(const KROTPSLightAdapt& object) { return object.Membership().count; }

int KROTPSEntryIndex::PositionOfLast(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.Membership();
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
  KROTPSListMembership& m = object->Membership();
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

// A holder that holds nothing is attached by its first item (KROTPSHolderIndex::For).
void KROTPSEntryIndex::Join(KROTPSLightAdapt& object) {
  if (owner_) {
    object.Membership().otherSet = !object.LinksToSet(owner_);
    otherSet_ += object.Membership().otherSet;
  }
  if (hookOf_)
    if (KROTPSHolder* hook = hookOf_(object); hook->HoldsAny()) holders_.Attach(object, *hook);
}

// What the object's lists hold stays registered (KROTPSListMembership::heldIn).
void KROTPSEntryIndex::Leave(KROTPSLightAdapt& object) {
  KROTPSListMembership& m = object.Membership();
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
  if (object) object->Membership().lastSeq = seqs_.Size() - 1;
}

void KROTPSEntryIndex::ListRemoved(list<KROBaseUnknown>&, KROBaseUnknown* item, int at) {
  const int seq = lost_ ? -1 : seqs_.NumberAt(at);
  if (seq >= 0) seqs_.Add(seq, -1);
  KROTPSLightAdapt* object = Tracked(item);
  if (!object) {
    --untracked_;
    return;
  }
  KROTPSListMembership& m = object->Membership();
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
    if (KROTPSLightAdapt* object = Tracked(own_->At(i))) object->Membership().lastSeq = i;
}
