// KROTPSHeldListsWatch.h - the watch a holder keeps on its own lists.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROList.h"
#include "KROTPSHeldRole.h"
#include "KROTPSHolderIndex.h"

/// The watch a holder (annotation, reference frame, capture) keeps on its own lists: it tells the
/// holder index of the set that counts the holder what they hold. `Holder` derives from it and
/// from KROTPSHolder, and names the role of each of its lists with `RoleOf`.
template <class Holder> class KROTPSHeldListsWatch : public KROListWatch<KROBaseUnknown> {
public:
  /// Starts watching `held` (null: nothing) and registers what it holds.
  void Watch(list<KROBaseUnknown>* held) {
    if (!held) return;
    held->SetWatch(this);
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::For(Self(), Self(), &attached);
        index && !attached)
      KROTPSIndexHeld(*index, held, &Self(), Self().RoleOf(*held), true);
  }

protected:
  ~KROTPSHeldListsWatch() = default;

private:
  Holder& Self() { return static_cast<Holder&>(*this); }

  void ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) override {
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::For(Self(), Self(), &attached);
        index && !attached)
      index->Add(item, &Self(), Self().RoleOf(items));
  }
  void ListRemoved(list<KROBaseUnknown>& items, KROBaseUnknown* item, int) override {
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(Self())) {
      index->Remove(item, &Self(), Self().RoleOf(items));
      index->Tidy();
    }
  }
  void ListCursorAhead(list<KROBaseUnknown>&) override {
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::For(Self(), Self(), &attached))
      index->SetWalkOnly();
  }
  void ListDisposing(list<KROBaseUnknown>& items) override {
    if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(Self()))
      KROTPSIndexHeld(*index, &items, &Self(), Self().RoleOf(items), false);
  }
};
