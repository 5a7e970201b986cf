// KROTPSLightSetExtQuery.cpp - selection of annotations by type, and by the geometry they touch.
///
/// Result lists hold the set's own annotation pointers without a reference. A caller's list is
/// appended to; a new one is made only when the caller passes none.
#include "KROTPSLightSetExt.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightSet.h"
#include "KROTPSAnnotationsHashTable.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTPS.h"

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

KROComPtr<KROITPSLightSet> SetOf(const KROBaseUnknown* extension) {
  KROComPtr<KROITPSLightSet> set;
  if (KROBaseUnknown* impl = extension->GetImpl())
    impl->QueryInterface(IID_KROITPSLightSet, set.Put());
  return set;
}
} // namespace

HRESULT KROTPSLightSetExt::RetrieveLightTPSsType(unsigned short type, list<KROBaseUnknown>** tpss) {
  if (!tpss) return E_FAIL;
  const HRESULT rc = *tpss ? E_FAIL : S_OK;
  ObjectList* out = OutList(tpss);
  if (!out) return E_FAIL;
  const KROComPtr<KROITPSLightSet> set = SetOf(this);
  const ObjectList* annotations = set ? set->GetTPSList() : nullptr;
  if (!annotations) return rc;
  const int count = annotations->Size();
  for (int i = 0; i < count; ++i) {
    KROBaseUnknown* item = annotations->At(i);
    if (const KROTPSLightTPS* own = KROExactly<KROTPSLightTPS>(item)) {
      if (own->TypeCode() == type) out->Append(item);
      continue;
    }
    KROComPtr<KROITPSLight> light;
    if (!item || FAILED(item->QueryInterface(IID_KROITPSLight, light.Put())) || !light) continue;
    unsigned short itemType = 0;
    light->GetType(&itemType);
    if (itemType == type) out->Append(item);
  }
  return rc;
}

HRESULT KROTPSLightSetExt::RetrieveLightTPSsSuperType(unsigned short, list<KROBaseUnknown>**) {
  return E_FAIL;
}

HRESULT KROTPSLightSetExt::GetListOfAnnotationsWithZORTag(int tag,
                                                          list<KROBaseUnknown>** tpss) const {
  if (!tpss || !annotationTable_) return E_FAIL;
  // The table's entry of a tag it took from the index of every tag, while that index still
  // serves the set's lists, holds the index's very answer: read it there, without the table's
  // probe and the entry's scattered list.
  std::span<KROBaseUnknown* const> answer;
  if (ttrsList_ && tagIndex_.Serves(KROTPSModelGeneration(), *ttrsList_, tpsList_) &&
      tagIndex_.FindCached(tag, &answer)) {
    ObjectList* out = OutList(tpss);
    return out && AppendAll(*out, answer) ? S_OK : E_FAIL;
  }
  if (const KROTPSAnnotationEntry* entry =
          KROTPSAnnotationsHashTable::Find(annotationTable_, tag)) {
    ObjectList* cached = nullptr;
    const HRESULT rc = entry->GetAnnotations(&cached);
    if (SUCCEEDED(rc)) {
      ObjectList* out = OutList(tpss);
      if (!out || !AppendAll(*out, {cached->Items(), std::size_t(cached->Size())})) return E_FAIL;
    }
    return rc;
  }

  const KROComPtr<KROITPSLightSet> set = SetOf(this);
  ObjectList* ttrs = nullptr;
  if (!set || FAILED(set->GetTTRSList(&ttrs)) || !ttrs) return E_FAIL;
  const ObjectList* annotations = set->GetTPSList();

  // The first miss after a model change walks the model for this tag alone, as cheap as one
  // answer can be; a second miss at the same generation hints at more to come and builds every
  // tag's answer at once, for little more than one further walk (KROTPSTagIndex.h says when it
  // declines).
  const std::uint64_t now = KROTPSModelGeneration();
  const KROTPSTagIndex* index = &tagIndex_;
  KROTPSTagIndex single;
  if (!tagIndex_.Serves(now, *ttrs, annotations) &&
      !(tagIndex_.NoteMiss(now) && tagIndex_.Build(*ttrs, annotations, now))) {
    if (!single.Build(*ttrs, annotations, now, &tag)) return E_FAIL;
    index = &single;
  }
  if (!index->Find(tag, &answer)) return E_FAIL;

  ObjectList* out = *tpss;
  const bool callersList = out != nullptr;
  if (!(out = OutList(tpss))) return E_FAIL;
  if (!index->HasAnnotationList()) return E_FAIL;
  // The table keeps the answer alone, never what the caller's list held before.
  ObjectList ownAnswer;
  ObjectList& cachedAnswer = callersList ? ownAnswer : *out;
  if (!AppendAll(cachedAnswer, answer) || (callersList && !AppendAll(*out, answer))) return E_FAIL;
  if (KROTPSAnnotationsHashTable::Insert(annotationTable_, tag, &cachedAnswer) &&
      index == &tagIndex_)
    tagIndex_.NoteCached(tag);
  return S_OK;
}
