// KROTPSTagQuery.cpp - the tag query: kept answers first, then the index, then one walk.
#include "KROTPSTagQuery.h"

#include "KROITPSLightSet.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSModelGeneration.h"

#include <new>
#include <span>

namespace {
using ObjectList = list<KROBaseUnknown>;

/// The caller's list, or a new one stored in `out`; null when none can be made.
ObjectList* OutList(ObjectList** out) {
  if (!*out) *out = new (std::nothrow) ObjectList;
  return *out;
}

bool AppendAll(ObjectList& to, std::span<KROBaseUnknown* const> items) {
  return to.AppendNonNull(items.data(), static_cast<int>(items.size()));
}
} // namespace

KROTPSTagQuery::KROTPSTagQuery() : table_(KROTPSAnnotationsHashTable::Create()) {}

KROTPSTagQuery::~KROTPSTagQuery() {
  index_.ForgetCached();
  KROTPSAnnotationsHashTable::Destroy(table_);
  table_ = nullptr;
}

void KROTPSTagQuery::Forget() noexcept {
  index_.ForgetCached();
  KROTPSAnnotationsHashTable::Clear(table_);
}

void KROTPSTagQuery::Reset() noexcept {
  index_.ForgetCached();
  KROTPSAnnotationsHashTable::Destroy(table_);
  table_ = KROTPSAnnotationsHashTable::Create();
}

HRESULT KROTPSTagQuery::Answer(int tag, const ObjectList* ownTtrs, const ObjectList* ownTps,
                               KROITPSLightSet* set, ObjectList** out) {
  if (!out || !table_) return E_FAIL;
  // The table's entry of a tag it took from the index of every tag, while that index still
  // serves the set's lists, holds the index's very answer: read it there, without the table's
  // probe and the entry's scattered list.
  std::span<KROBaseUnknown* const> answer;
  if (ownTtrs && index_.Serves(KROTPSModelGeneration(), *ownTtrs, ownTps) &&
      index_.FindCached(tag, &answer)) {
    ObjectList* to = OutList(out);
    return to && AppendAll(*to, answer) ? S_OK : E_FAIL;
  }
  if (const KROTPSAnnotationEntry* entry = KROTPSAnnotationsHashTable::Find(table_, tag)) {
    ObjectList* cached = nullptr;
    const HRESULT rc = entry->GetAnnotations(&cached);
    if (SUCCEEDED(rc)) {
      ObjectList* to = OutList(out);
      if (!to || !AppendAll(*to, {cached->Items(), std::size_t(cached->Size())})) return E_FAIL;
    }
    return rc;
  }

  ObjectList* ttrs = nullptr;
  if (!set || FAILED(set->GetTTRSList(&ttrs)) || !ttrs) return E_FAIL;
  const ObjectList* annotations = set->GetTPSList();

  // The first miss after a model change walks the model for this tag alone, as cheap as one
  // answer can be; a second miss at the same generation hints at more to come and builds every
  // tag's answer at once, for little more than one further walk (KROTPSTagIndex.h says when it
  // declines).
  const std::uint64_t now = KROTPSModelGeneration();
  const KROTPSTagIndex* index = &index_;
  KROTPSTagIndex single;
  if (!index_.Serves(now, *ttrs, annotations) &&
      !(index_.NoteMiss(now) && index_.Build(*ttrs, annotations, now))) {
    if (!single.Build(*ttrs, annotations, now, &tag)) return E_FAIL;
    index = &single;
  }
  if (!index->Find(tag, &answer)) return E_FAIL;

  ObjectList* answerList = *out;
  const bool callersList = answerList != nullptr;
  if (!(answerList = OutList(out))) return E_FAIL;
  if (!index->HasAnnotationList()) return E_FAIL;
  // The table keeps the answer alone, never what the caller's list held before.
  ObjectList ownAnswer;
  ObjectList& cachedAnswer = callersList ? ownAnswer : *answerList;
  if (!AppendAll(cachedAnswer, answer) || (callersList && !AppendAll(*answerList, answer)))
    return E_FAIL;
  if (KROTPSAnnotationsHashTable::Insert(table_, tag, &cachedAnswer) && index == &index_)
    index_.NoteCached(tag);
  return S_OK;
}
