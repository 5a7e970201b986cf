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
///     holders.Collect(x, KROTPSHeldRole::CaptureTpss, candidates);  // who may drop x
///     for (KROTPSLightAdapt* h : candidates) ... index.CountOf(*h) times ...
///   }
/// \endcode
/// The holder index may name more objects than hold the value (a pointer value that a dead
/// object had), never fewer: a removal calls the very operation the full walk would call, on
/// each candidate as often as the set lists it, which is exactly what the walk would do to it.
/// Whatever the indexes cannot vouch for - an entry of another class or a tie, an object listed
/// by two sets, a holder list whose cursor was set past its end - sends the removal back to the
/// full walk.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
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
};

/// The lists of a holder that a removal pass clears.
enum class KROTPSHeldRole : unsigned char {
  AnnotationLists, // an annotation's associated, order-group and basic-dimension lists
  FrameLists,      // a reference frame's datums and basic dimensions
  CaptureTpss,     // a capture's annotations
  CaptureCGs,      // a capture's constructed geometries
  ViewLink,        // an annotation's view link, under the base pointer of the view linked
};

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

  void Add(const KROBaseUnknown* value, KROTPSLightAdapt* holder, KROTPSHeldRole role);
  void Remove(const KROBaseUnknown* value, KROTPSLightAdapt* holder, KROTPSHeldRole role);
  /// Appends the holders that hold `value` in a list of `role` (a holder once per occurrence);
  /// false when memory ran out.
  bool Collect(const KROBaseUnknown* value, KROTPSHeldRole role,
               std::vector<KROTPSLightAdapt*>& out) const;
  /// Some holder list has its cursor past its end, so a removal that finds nothing in it still
  /// changes it: only the full walk gets that right.
  bool WalkOnly() const { return walkOnly_; }
  void SetWalkOnly() { walkOnly_ = true; }
  std::size_t Size() const { return refs_.size(); }

private:
  struct Ref {
    KROTPSLightAdapt* holder;
    KROTPSHeldRole role;
  };
  std::unordered_multimap<const KROBaseUnknown*, Ref> refs_;
  std::unordered_set<KROTPSLightAdapt*> attached_; // each alive: it detaches before it dies
  bool walkOnly_ = false;
};

/// The watch of one of the set's counted lists.
class KRO_KERNEL_API KROTPSEntryIndex final : public KROListWatch<KROBaseUnknown> {
public:
  /// Counts the objects of exactly class `kind` in `own`, which must be empty, and registers the
  /// held lists of those that hold any in `holders`.
  KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind,
                   KROTPSHolderIndex& holders);
  KROTPSEntryIndex(const KROTPSEntryIndex&) = delete;
  KROTPSEntryIndex& operator=(const KROTPSEntryIndex&) = delete;
  ~KROTPSEntryIndex();

  KROTPSHolderIndex& Holders() const { return holders_; }
  /// Every entry is an object of the list's class counted here, and memory never ran out.
  bool Complete() const { return untracked_ == 0 && !lost_; }
  /// The object `p` (live) as counted here, or null when it is not.
  KROTPSLightAdapt* Tracked(KROBaseUnknown* p) const;
  static int CountOf(const KROTPSLightAdapt& object);
  /// Index of the last occurrence of `object`, which is counted here.
  int PositionOfLast(KROTPSLightAdapt& object);
  /// Forgets every entry and lets go of the list, before its entries are released in bulk.
  void Detach();

  void ListAppended(list<KROBaseUnknown>& items, KROBaseUnknown* item) override;
  void ListRemoved(list<KROBaseUnknown>& items, KROBaseUnknown* item, int at) override;
  void ListCursorAhead(list<KROBaseUnknown>&) override {}
  void ListDisposing(list<KROBaseUnknown>&) override { Detach(); }

private:
  KROTPSLightAdapt* Claim(KROBaseUnknown* item);
  void Join(KROTPSLightAdapt& object);
  void Leave(KROTPSLightAdapt& object);
  // Fenwick tree over sequence numbers: 1 while the entry of that number is listed.
  int Prefix(int n) const;
  bool Push();
  int SeqAt(int position) const;
  void Renumber();

  list<KROBaseUnknown>* own_;
  const std::type_info& kind_;
  KROTPSHolderIndex& holders_;
  std::vector<int> tree_;
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
