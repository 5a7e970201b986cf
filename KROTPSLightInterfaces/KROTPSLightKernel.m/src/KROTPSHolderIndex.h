// KROTPSHolderIndex.h - for each pointer value, the holders whose lists hold it.
///
/// One per set: what the annotation, reference-frame and capture lists of the objects the set
/// counts hold, by role (KROTPSHeldRole). A removal asks it who may hold the leaving object and
/// visits only those. Holders register what they hold through their hook (KROTPSHolder.h) and
/// report each change through the watch on their lists (KROTPSHeldListsWatch.h).
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROList.h"
#include "KROTPSHeldRole.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

class KROBaseUnknown;
class KROTPSHolder;
class KROTPSLightAdapt;

/// Pointer value -> the holders that hold it, by role. Entries are small records in two flat
/// tables: one slot per value (open addressing), whose chain names a holder by its number and
/// role. Unregistering an item only counts it as gone: its entry stays until a removal takes the
/// value's entries, or until stale entries outnumber live ones and the index is built afresh from
/// its holders. So an entry may name a holder that no longer holds the value (or a later holder
/// given the same number), never miss one that does; a removal pass asks each candidate, and a
/// candidate that holds nothing finds nothing.
class KROTPSHolderIndex {
public:
  KROTPSHolderIndex() = default;
  KROTPSHolderIndex(const KROTPSHolderIndex&) = delete;
  KROTPSHolderIndex& operator=(const KROTPSHolderIndex&) = delete;
  ~KROTPSHolderIndex() { Reset(); }

  /// Registers what `holder` (whose hook is `hook`) holds, moving it from the index it reported
  /// to before, if any.
  void Attach(KROTPSLightAdapt& holder, KROTPSHolder& hook);
  /// Unregisters what `holder` holds; a holder calls this before it is destroyed.
  void Detach(KROTPSLightAdapt& holder);
  /// Forgets everything; the holders stop reporting here.
  void Reset();
  /// `holder` stops reporting here, without unregistering what it holds: the set is releasing
  /// every object in bulk and Reset follows.
  void Forget(KROTPSLightAdapt& holder);

  /// The holder index `holder`'s lists report to, or null.
  static KROTPSHolderIndex* Of(const KROTPSLightAdapt& holder);
  /// The same, attaching `holder` first to the holder index of the set that counts it when it
  /// reports nowhere yet: holders that hold nothing are left out until their first item. Sets
  /// `attached` when this call registered what the holder holds, the item just added included.
  static KROTPSHolderIndex* For(KROTPSLightAdapt& holder, KROTPSHolder& hook, bool* attached);

  /// `holder` now holds `value` once more in a list of `role`.
  void Add(const KROBaseUnknown* value, KROTPSLightAdapt* holder, KROTPSHeldRole role);
  /// `holder` holds `value` once less. The entry stays (see the class comment).
  void Remove(const KROBaseUnknown* value, KROTPSLightAdapt* holder, KROTPSHeldRole role);
  /// Takes out every entry of `value` under `role` and appends the live holders they name, a
  /// holder once per entry; false when memory ran out (the index is then walk-only).
  bool Take(const KROBaseUnknown* value, KROTPSHeldRole role, std::vector<KROTPSLightAdapt*>& out);
  /// Puts back `n` entries that Take took out for a holder that still holds the value.
  void Restore(const KROBaseUnknown* value, KROTPSLightAdapt* holder, KROTPSHeldRole role, int n);
  /// Builds the tables afresh from the holders once stale entries outnumber live ones. A holder
  /// calls it when its lists are in a steady state: after it reported a change, never while it
  /// registers a list.
  void Tidy();
  /// Some holder list has its cursor past its end, so a removal that finds nothing in it still
  /// changes it: only the full walk gets that right. Memory running out has the same effect.
  bool WalkOnly() const { return walkOnly_; }
  void SetWalkOnly();
  /// Items registered and not unregistered since.
  std::size_t Size() const { return held_; }
  /// Entries kept, stale ones included.
  std::size_t Entries() const { return entryCount_; }

private:
  static constexpr std::uint32_t kNone = 0xffffffffu;
  struct Slot {
    const KROBaseUnknown* value = nullptr; // null: free
    std::uint32_t head = kNone;            // first entry of the value's chain
  };
  struct Entry {
    std::uint32_t holderAndRole; // holder number * 8 + role
    std::uint32_t next;          // next entry of the same value, or the next free entry
  };
  struct Holder {
    KROTPSLightAdapt* object; // null for a free number
    KROTPSHolder* hook;
  };
  Slot* Find(const KROBaseUnknown* value);
  Slot* FindOrInsert(const KROBaseUnknown* value);
  bool Grow();
  bool Link(const KROBaseUnknown* value, std::uint32_t holderAndRole);
  std::uint32_t SlotOf(KROTPSLightAdapt& holder) const;

  std::vector<Slot> slots_; // size 0 or a power of two, at most 3/4 used
  std::size_t usedSlots_ = 0;
  std::vector<Entry> entries_;
  std::uint32_t freeEntry_ = kNone;
  std::size_t entryCount_ = 0;  // entries in chains
  std::size_t held_ = 0;        // live items registered
  std::vector<Holder> holders_; // by number
  std::vector<std::uint32_t> freeHolders_;
  bool walkOnly_ = false;
};

/// Registers (`add`) or unregisters every item of `held` for `holder` under `role`; on adding, a
/// cursor already past the end makes the set walk.
void KROTPSIndexHeld(KROTPSHolderIndex& index, const list<KROBaseUnknown>* held,
                     KROTPSLightAdapt* holder, KROTPSHeldRole role, bool add);
/// Whether any of the `held` lists (null: nothing) holds an item or has its cursor moved.
bool HoldsAny(std::initializer_list<const list<KROBaseUnknown>*> held);
