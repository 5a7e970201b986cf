// KROTPSTagQuery.h - the set's answers to "which annotations touch this geometry tag".
///
/// Owns everything that makes the answer fast: the table of answers kept per tag (the host sees
/// a kept answer again even after links change, until the set empties it), and the index of
/// every tag's answer built in one walk on the second miss at one model generation
/// (KROTPSTagIndex.h). The set tells it when the table must be emptied (an annotation leaves,
/// the set is flushed); the model generation tells it when the index is stale.
/// \code
///   KROTPSTagQuery query;
///   query.Answer(30, ttrsList, tpsList, set, &found);  // found: ours to delete, items borrowed
///   query.Forget();                                    // an annotation left the set
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROList.h"
#include "KROSysSimpleHashTable.h"
#include "KROTPSTagIndex.h"

class KROITPSLightSet;

class KROTPSTagQuery {
public:
  KROTPSTagQuery();
  ~KROTPSTagQuery();
  KROTPSTagQuery(const KROTPSTagQuery&) = delete;
  KROTPSTagQuery& operator=(const KROTPSTagQuery&) = delete;

  /// Appends the annotations touching `tag` to `*out` (a new list when null). `ownTtrs` and
  /// `ownTps` are the set's own lists, read for kept answers; a miss reads the lists through
  /// `set`, as any host would see them. E_FAIL when the table could not be allocated, the set
  /// has no TTRS list, no path ends with `tag` or memory runs out.
  HRESULT Answer(int tag, const list<KROBaseUnknown>* ownTtrs, const list<KROBaseUnknown>* ownTps,
                 KROITPSLightSet* set, list<KROBaseUnknown>** out);
  /// The kept answers and the index, for inspection (the set's tests).
  KROSysSimpleHashTable* Table() const noexcept { return table_; }
  const KROTPSTagIndex& Index() const noexcept { return index_; }
  /// Empties the kept answers: they name annotations without a reference.
  void Forget() noexcept;
  /// Empties the kept answers and starts a new table (the set is flushed).
  void Reset() noexcept;

private:
  /// Tag -> kept answer (KROTPSAnnotationsHashTable.h); owned, entries included. Null only when
  /// it could not be allocated.
  KROSysSimpleHashTable* table_ = nullptr;
  /// Read only while it serves the set's lists; the table's entries keep their precedence.
  KROTPSTagIndex index_;
};
