// KROTPSEntryIndex.h - the watch that counts the objects of one of the set's lists.
///
/// How many times each object of the list's own class is listed, and where its last occurrence
/// stands: positions are kept by sequence number in a Fenwick tree, so that the shift of a
/// removal moves no record. The count lives in the object (KROTPSListMembership.h). Objects of
/// a holder class have what they hold registered in the set's holder index while counted.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROFenwickTree.h"
#include "KROList.h"
#include "KROTPSHolder.h"

#include <typeinfo>

class KROBaseUnknown;
class KROTPSHolderIndex;
class KROTPSLightAdapt;

/// The watch of one of the set's counted lists.
class KROTPSEntryIndex final : public KROListWatch<KROBaseUnknown> {
public:
  /// Counts the objects of exactly class `kind` in `own` and, when `kind` is a holder class
  /// (`hookOf` reaching the hook of its objects; null for other classes), registers the held
  /// lists of those that hold any in `holders`; from then on it watches `own`. With an `owner`
  /// (the base pointer of the set), it also counts the objects whose set link names another set.
  KROTPSEntryIndex(list<KROBaseUnknown>& own, const std::type_info& kind, KROTPSHookOf hookOf,
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
  KROTPSHookOf hookOf_;
  KROTPSHolderIndex& holders_;
  KROFenwickTree seqs_; // by sequence number: 1 while the entry of that number is listed
  const KROBaseUnknown* owner_;
  int otherSet_ = 0;
  int untracked_ = 0;
  bool lost_ = false; // memory ran out: the counts stay right, the positions do not
};
