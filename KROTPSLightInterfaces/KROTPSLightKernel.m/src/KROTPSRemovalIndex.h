// KROTPSRemovalIndex.h - what lets a removal visit only what links the leaving object.
///
/// Two indexes per set, both fed by list watches (KROList.h), so that edits made through the
/// lists the getters hand out are seen as well:
/// - one `KROTPSEntryIndex` per counted set list: how many times each object of the list's own
///   class is listed, and where its last occurrence stands (positions kept by sequence number in
///   a Fenwick tree, so that the shift of a removal moves no record);
/// - one `KROTPSHolderIndex`: for each pointer value, the objects whose own lists hold it
///   (annotation, reference-frame and capture lists). A holder is attached when one of the set's
///   lists counts it and it holds something, or when it gets its first item while counted; it
///   stays attached until it dies or another set counts it. A pass visits only the candidates
///   the set's list counts.
/// \code
///   if (index.Complete() && !holders.WalkOnly()) {
///     holders.Take(x, KROTPSHeldRole::CaptureTpss, candidates);  // who may hold x
///     for (KROTPSLightAdapt* h : candidates) ... if the set's list counts h, h drops x ...
///   }
/// \endcode
/// The holder index may name more objects than hold the value, never fewer: a removal has each
/// candidate the set lists drop every occurrence of the value, which is what the full walk
/// leaves it with, and one that holds nothing finds nothing.
/// Whatever the indexes cannot vouch for - an entry of another class or a tie, an object listed
/// by two sets, a holder list whose cursor was set past its end - sends the removal back to the
/// full walk.
#pragma once

#include "KROBaseUnknown.h"
#include "KROFenwickTree.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

#include <cstdint>
#include <typeinfo>
#include <vector>

class KROTPSEntryIndex;
class KROTPSHolderIndex;
class KROTPSLightAdapt;

/// What the entry index of one set list knows of an object of its class. Kept in the object.
struct KROTPSListMembership {
  KROTPSEntryIndex* index = nullptr; // the set list that counts this object, or null
  /// The holder index this object's lists report to: that of the last set that counted it. It
  /// stays when the object leaves the set's list, so that leaving and coming back cost nothing.
  KROTPSHolderIndex* heldIn = nullptr;
  int count = 0;    // occurrences in that list; -1 once listed by two sets' lists at a time,
                    // after which no list counts the object again
  int lastSeq = -1; // sequence number of the last occurrence; -1 when not known
  std::uint32_t holderSlot = 0; // this object's number in `heldIn`, while that is set
  bool otherSet = false;        // counted while its set link names another set, or none
};

/// The lists of a holder that a removal pass clears.
enum class KROTPSHeldRole : unsigned char {
  AnnotationLists, // an annotation's associated, order-group and basic-dimension lists
  FrameLists,      // a reference frame's datums and basic dimensions
  CaptureTpss,     // a capture's annotations
  CaptureCGs,      // a capture's constructed geometries
  ViewLink,        // an annotation's view link, under the base pointer of the view linked
  RefFrameLink,    // an annotation's reference-frame link id, under KROTPSRefFrameKey(id)
};

/// The key an annotation's reference-frame link id is registered under. Keys are compared, never
/// dereferenced, and each role has its own.
inline const KROBaseUnknown* KROTPSRefFrameKey(int id) {
  return reinterpret_cast<const KROBaseUnknown*>(std::uintptr_t(unsigned(id)));
}

/// Pointer value -> the holders that hold it, by role. Entries are small records in two flat
/// tables: one slot per value (open addressing), whose chain names a holder by its number and
/// role. Unregistering an item only counts it as gone: its entry stays until a removal takes the
/// value's entries, or until stale entries outnumber live ones and the index is built afresh from
/// its holders. So an entry may name a holder that no longer holds the value (or a later holder
/// given the same number), never miss one that does; a removal pass asks each candidate, and a
/// candidate that holds nothing finds nothing.
class KRO_KERNEL_API KROTPSHolderIndex {
public:
  KROTPSHolderIndex() = default;
  KROTPSHolderIndex(const KROTPSHolderIndex&) = delete;
  KROTPSHolderIndex& operator=(const KROTPSHolderIndex&) = delete;
  ~KROTPSHolderIndex() { Reset(); }

  /// Registers what `holder` (an annotation, frame or capture) holds, moving it from the index
  /// it reported to before, if any.
  void Attach(KROTPSLightAdapt& holder);
  /// Unregisters what `holder` holds; a holder calls this before it is destroyed.
  void Detach(KROTPSLightAdapt& holder);
  /// Forgets everything; the holders stop reporting here.
  void Reset();
  /// `holder` stops reporting here, without unregistering what it holds: the set is releasing
  /// every object in bulk and Reset follows.
  void Forget(KROTPSLightAdapt& holder);

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
  Slot* Find(const KROBaseUnknown* value);
  Slot* FindOrInsert(const KROBaseUnknown* value);
  bool Grow();
  bool Link(const KROBaseUnknown* value, std::uint32_t holderAndRole);
  std::uint32_t SlotOf(KROTPSLightAdapt& holder) const;

  std::vector<Slot> slots_; // size 0 or a power of two, at most 3/4 used
  std::size_t usedSlots_ = 0;
  std::vector<Entry> entries_;
  std::uint32_t freeEntry_ = kNone;
  std::size_t entryCount_ = 0;             // entries in chains
  std::size_t held_ = 0;                   // live items registered
  std::vector<KROTPSLightAdapt*> holders_; // by number; null for a free number
  std::vector<std::uint32_t> freeHolders_;
  bool walkOnly_ = false;
};

/// The watch of one of the set's counted lists.
class KRO_KERNEL_API KROTPSEntryIndex final : public KROListWatch<KROBaseUnknown> {
public:
  /// Counts the objects of exactly class `kind` in `own` and registers the held lists of those
  /// that hold any in `holders`; from then on it watches `own`. With an `owner` (the base pointer
  /// of the set), it also counts the objects whose set link names another set.
  KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind,
                   KROTPSHolderIndex& holders, const KROBaseUnknown* owner = nullptr);
  KROTPSEntryIndex(const KROTPSEntryIndex&) = delete;
  KROTPSEntryIndex& operator=(const KROTPSEntryIndex&) = delete;
  ~KROTPSEntryIndex();

  KROTPSHolderIndex& Holders() const { return holders_; }
  /// Every entry is an object of the list's class counted here, and memory never ran out.
  bool Complete() const { return untracked_ == 0 && !lost_; }
  /// The object `p` (live) as counted here, or null when it is not.
  KROTPSLightAdapt* Tracked(KROBaseUnknown* p) const;
  static int CountOf(const KROTPSLightAdapt& object);
  /// Counted objects whose set link does not name the owner: their link ids resolve elsewhere.
  int OtherSetLinks() const { return otherSet_; }
  /// A counted object's set link changed.
  void SetLinkChanged(KROTPSLightAdapt& object);
  /// Index of the last occurrence of `object`, which is counted here.
  int PositionOfLast(KROTPSLightAdapt& object);
  /// Forgets every entry and lets go of the list, before its entries are released in bulk.
  void Detach();
  /// The bulk release of the list, one entry at a time: `item`, an entry about to be released,
  /// stops being counted here and by the holder index. Once every entry went through this,
  /// Abandon lets go of the list without visiting it again.
  void LetGo(KROBaseUnknown* item);
  void Abandon();

  void ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) override;
  void ListRemoved(list<KROBaseUnknown>& items, KROBaseUnknown* item, int at) override;
  void ListCursorAhead(list<KROBaseUnknown>&) override {}
  void ListDisposing(list<KROBaseUnknown>&) override { Detach(); }

private:
  KROTPSLightAdapt* Claim(KROBaseUnknown* item);
  void Join(KROTPSLightAdapt& object);
  void Leave(KROTPSLightAdapt& object);
  bool Push();
  void Renumber();

  list<KROBaseUnknown>* own_;
  const std::type_info& kind_;
  KROTPSHolderIndex& holders_;
  KROFenwickTree seqs_; // by sequence number: 1 while the entry of that number is listed
  const KROBaseUnknown* owner_;
  int otherSet_ = 0;
  int untracked_ = 0;
  bool lost_ = false; // memory ran out: the counts stay right, the positions do not
};

/// Registers (`add`) or unregisters every item of `held` for `holder` under `role`; on adding, a
/// cursor already past the end makes the set walk.
KRO_KERNEL_API void KROTPSIndexHeld(KROTPSHolderIndex& index, const list<KROBaseUnknown>* held,
                                    KROTPSLightAdapt* holder, KROTPSHeldRole role, bool add);

/// The holder index `holder`'s lists report to, or null.
KRO_KERNEL_API KROTPSHolderIndex* KROTPSHolderIndexOf(const KROTPSLightAdapt& holder);
/// The same, attaching `holder` first to the holder index of the set that counts it when it
/// reports nowhere yet: holders that hold nothing are left out until their first item. Sets
/// `attached` when this call registered what the holder holds, the item just added included.
KRO_KERNEL_API KROTPSHolderIndex* KROTPSHolderIndexFor(KROTPSLightAdapt& holder, bool* attached);
/// Whether any list of `held` holds an item or has its cursor moved.
KRO_KERNEL_API bool HoldsAny(const list<KROBaseUnknown>* held);
/// Whether `holder`, of one of the holder classes, holds anything a removal pass would clear.
KRO_KERNEL_API bool HoldsAny(const KROTPSLightAdapt& holder);

/// The watch a holder (annotation, reference frame, capture) keeps on its own lists: it tells the
/// holder index of the set that counts the holder what they hold. `Holder` derives from it and
/// names the role of each of its lists with `RoleOf`.
template <class Holder> class KROTPSHeldListsWatch : public KROListWatch<KROBaseUnknown> {
public:
  /// Starts watching `held` (null: nothing) and registers what it holds.
  void Watch(list<KROBaseUnknown>* held) {
    if (!held) return;
    held->SetWatch(this);
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndexFor(Self(), &attached); index && !attached)
      KROTPSIndexHeld(*index, held, &Self(), Self().RoleOf(*held), true);
  }

protected:
  ~KROTPSHeldListsWatch() = default;

private:
  Holder& Self() { return static_cast<Holder&>(*this); }

  void ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) override {
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndexFor(Self(), &attached); index && !attached)
      index->Add(item, &Self(), Self().RoleOf(items));
  }
  void ListRemoved(list<KROBaseUnknown>& items, KROBaseUnknown* item, int) override {
    if (KROTPSHolderIndex* index = KROTPSHolderIndexOf(Self())) {
      index->Remove(item, &Self(), Self().RoleOf(items));
      index->Tidy();
    }
  }
  void ListCursorAhead(list<KROBaseUnknown>&) override {
    bool attached = false;
    if (KROTPSHolderIndex* index = KROTPSHolderIndexFor(Self(), &attached)) index->SetWalkOnly();
  }
  void ListDisposing(list<KROBaseUnknown>& items) override {
    if (KROTPSHolderIndex* index = KROTPSHolderIndexOf(Self()))
      KROTPSIndexHeld(*index, &items, &Self(), Self().RoleOf(items), false);
  }
};
