// KROTPSLightSetExtQuery.cpp - selection of annotations by type, and by the geometry they touch.
///
/// Result lists hold the set's own annotation pointers without a reference. A caller's list is
/// appended to; a new one is made only when the caller passes none. The tag query's answers
/// come from KROTPSTagQuery.
#include "KROTPSLightSetExt.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTPS.h"

#include <new>

namespace {
using ObjectList = list<KROBaseUnknown>;

/// The caller's list, or a new one stored in `out`; null when none can be made.
ObjectList* OutList(ObjectList** out) {
  if (!*out) *out = new (std::nothrow) ObjectList;
  return *out;
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
  if (!tpss) return E_FAIL;
  const KROComPtr<KROITPSLightSet> set = SetOf(this);
  return tagQuery_.Answer(tag, ttrsList_, tpsList_, set.Get(), tpss);
}
