// KROTPSAnnotationsHashTable.h - the set's cache of geometry tag -> annotations touching it.
///
/// A `KROSysSimpleHashTable` of `KROTPSAnnotationEntry` objects keyed by tag. The table owns its
/// entries, each entry owns its list, and no list item carries a reference: the cache must be
/// cleared before an annotation it names can be destroyed.
/// \code
///   KROSysSimpleHashTable* table = KROTPSAnnotationsHashTable::Create(); // null without memory
///   KROTPSAnnotationsHashTable::Insert(table, 30, answer);               // copies the items
///   if (KROTPSAnnotationEntry* hit = KROTPSAnnotationsHashTable::Find(table, 30)) { ... }
///   KROTPSAnnotationsHashTable::Destroy(table);                          // entries, then table
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROSysSimpleHashTable.h"

class KROTPSAnnotationEntry {
public:
  /// A probe: the tag and an empty list.
  explicit KROTPSAnnotationEntry(int tag);
  /// The tag and a new list of the non-null items of `annotations`, in order. The list is absent
  /// when `annotations` is null or the copy could not be made in full.
  KROTPSAnnotationEntry(int tag, const list<KROBaseUnknown>* annotations);
  virtual ~KROTPSAnnotationEntry();
  KROTPSAnnotationEntry(const KROTPSAnnotationEntry&) = delete;
  KROTPSAnnotationEntry& operator=(const KROTPSAnnotationEntry&) = delete;

  HRESULT GetTag(int* tag) const;
  /// The entry's own list, uncounted items; E_FAIL when the list is absent.
  HRESULT GetAnnotations(list<KROBaseUnknown>** annotations) const;

private:
  int tag_;
  list<KROBaseUnknown>* annotations_ = nullptr; // owned
};

/// Hash of an entry's tag; the tag alone decides it.
unsigned int HashAnnotationEntry(void* entry);
/// 1 when both entries carry the same tag (or are one entry), else 0.
int CompareAnnotationEntries(void* entry1, void* entry2);

/// Operations on a table built with the two callbacks above.
struct KROTPSAnnotationsHashTable {
  KROTPSAnnotationsHashTable() = delete;

  /// A new empty table of 100 slots, or null when it cannot be allocated.
  static KROSysSimpleHashTable* Create();
  /// Deletes every entry and frees the table. Null is ignored.
  static void Destroy(KROSysSimpleHashTable* table);
  /// Deletes every entry; the table stays, empty. Null is ignored.
  static void Clear(KROSysSimpleHashTable* table);
  /// The stored entry of `tag`, or null.
  static KROTPSAnnotationEntry* Find(const KROSysSimpleHashTable* table, int tag);
  /// Stores a new entry of `tag` holding a copy of the non-null items of `annotations`. Returns 1
  /// when the table took it; 0, with nothing stored, when `annotations` is null, the copy fails or
  /// the table already holds the tag.
  static int Insert(KROSysSimpleHashTable* table, int tag, const list<KROBaseUnknown>* annotations);
};
