// KROTPSLightBasicDims.cpp
#include "KROTPSLightBasicDims.h"

#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSObjectKind.h"
#include "KROUnicodeString.h"

#include <new>

namespace {
constexpr int kAnnotationIds = KROCodeOfKind(kKROIdKinds, KROTPSObjectKind::Annotation);

/// Appends what each ":"-terminated field from `start` on names; `start` is the first ":", so
/// the first field is the empty one in front of it. `named(id)` is the annotation of a non-zero
/// id, or null.
template <class Named>
void AppendNamedAnnotations(const KROUnicodeString& text, int start, list<KROBaseUnknown>& dims,
                            Named named) {
  const KROUnicodeString separator = KROUnicodeString::Literal(u":");
  for (int next = text.SearchSubString(separator, start); next >= 0;
       next = text.SearchSubString(separator, start)) {
    int id = 0;
    text.ConvertToNum(&id, "%d", start, next - start);
    if (id != 0) {
      if (KROBaseUnknown* object = named(id)) dims.Append(object); // the list borrows
    }
    start = next + 1;
  }
}

/// The annotation list of the set an owner links to, when owner (`ownClass`) and set are exactly
/// the library's own classes: the set's id broker answers an annotation id with that list's
/// entry at the id, and the owner reaches its set no other way. Null when another class is
/// involved, whose broker must be asked.
KROTPSLightSetExt* OwnSetOf(bool ownClass, const KROComPtr<KROBaseUnknown>& set) {
  if (!ownClass) return nullptr;
  if (!set || !KROExactly<KROTPSLightSet>(set.Get())) return nullptr;
  return KROExactly<KROTPSLightSetExt>(
      KRORuntimeAccess::FindExtension(*set.Get(), KROTPSLightSetExt::MetaObject()));
}
} // namespace

HRESULT KROGetBasicDims(const KROUnicodeString& attributes, KROTPSLightAdapt& owner, bool ownClass,
                        list<KROBaseUnknown>*& dims, list<KROBaseUnknown>** out) {
  if (!out) return E_FAIL;
  if (dims) {
    *out = dims;
    return S_OK;
  }
  const int first = attributes.SearchSubString(KROUnicodeString::Literal(u":"));
  if (first < 1) return E_FAIL;

  dims = new (std::nothrow) list<KROBaseUnknown>;
  if (!dims) return E_FAIL;

  const auto setObject = KROComPtr<KROBaseUnknown>::Attach(owner.LinkedSet());
  if (KROTPSLightSetExt* own = OwnSetOf(ownClass, setObject)) {
    // The set's reference keeps its list and the annotations in it alive meanwhile.
    const list<KROBaseUnknown>* annotations = own->GetTPSList();
    AppendNamedAnnotations(attributes, first, *dims, [&](int id) {
      return id >= 1 && annotations ? annotations->At(id - 1) : nullptr;
    });
    *out = dims;
    return S_OK;
  }

  KROComPtr<KROITPSLightSet> set;
  if (FAILED(owner.GetLightSet(set.PutTyped())) || !set) return E_FAIL;
  KROComPtr<KROITPSIdBroker> broker = set.As<KROITPSIdBroker>();
  if (!broker) return E_FAIL;

  AppendNamedAnnotations(attributes, first, *dims, [&](int id) -> KROBaseUnknown* {
    KROComPtr<KROBaseUnknown> object;
    if (FAILED(broker->GetObjectFromId(id, kAnnotationIds, object.PutTyped()))) return nullptr;
    return object.Get(); // the broker's list keeps it
  });
  *out = dims;
  return S_OK;
}
