// KROSysSimpleHashTable.h - the runtime's open-addressing table of untyped entries.
///
/// The table stores pointers and never owns them: the caller deletes its entries (walk the slots
/// with `Get` before `RemoveAll` or destruction). Equality and hashing come from the callbacks;
/// two entries the compare callback calls equal must hash equally.
/// \code
///   KROSysSimpleHashTable table(100, HashEntry, CompareEntries);
///   table.Insert(new Entry(7));
///   Entry probe(7);
///   auto* found = static_cast<Entry*>(table.Locate(&probe));
///   for (int i = 0; i < table.Size(); ++i) delete static_cast<Entry*>(table.Get(i));
///   table.RemoveAll();
/// \endcode
#pragma once

#include "KROPlatformInternal.h"

#include "KROPlatformExport.h"

class KRO_PLATFORM_API KROSysSimpleHashTable {
public:
  using PFHash = unsigned int (*)(void*);
  /// Non-zero when the two entries are equal.
  using PFCompare = int (*)(void*, void*);

  /// `size` is the initial number of slots; the table grows once it is more than half full.
  KROSysSimpleHashTable(int size, PFHash hash, PFCompare compare) noexcept;
  KROSysSimpleHashTable(const KROSysSimpleHashTable&) = delete;
  KROSysSimpleHashTable& operator=(const KROSysSimpleHashTable&) = delete;
  ~KROSysSimpleHashTable();

  /// 1 when `entry` is taken; 0 for a null entry, when an equal entry is already held, or when
  /// the table could not grow.
  int Insert(void* entry) noexcept;
  /// The held entry equal to `probe`, or null.
  void* Locate(void* probe) const noexcept;

  /// Number of slots.
  int Size() const noexcept { return size_; }
  /// The entry in slot `pos`, or null for an empty slot or a position outside 0 .. Size() - 1.
  void* Get(int pos) const noexcept { return pos >= 0 && pos < size_ ? slots_[pos] : nullptr; }
  /// Number of entries held.
  int Count() const noexcept { return count_; }
  /// Forgets every entry without deleting any.
  void RemoveAll() noexcept;

private:
  int Home(void* entry, int size) const noexcept;
  bool Grow() noexcept;

  void** slots_ = nullptr;
  int size_ = 0;
  int count_ = 0;
  PFHash hash_;
  PFCompare compare_;
};
