// KROTPSLightBasicDims.cpp
#include "KROTPSLightBasicDims.h"

#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSObjectKind.h"
#include "KROUnicodeString.h"

#include <new>

namespace {
constexpr int kAnnotationIds = KROCodeOfKind(kKROIdKinds, KROTPSObjectKind::Annotation);

/// Appends what each ":"-terminated field from `start` on names; `start` is the first ":", so
/// the first field is the empty one in front of it.
void AppendNamedAnnotations(const KROUnicodeString& text, int start, KROITPSIdBroker& broker,
                            list<KROBaseUnknown>& dims) {
  const KROUnicodeString separator(":");
  for (int next = text.SearchSubString(separator, start); next >= 0;
       next = text.SearchSubString(separator, start)) {
    int id = 0;
    text.SubString(start, next - start).ConvertToNum(&id, "%d");
    if (id != 0) {
      KROComPtr<KROBaseUnknown> object;
      if (SUCCEEDED(broker.GetObjectFromId(id, kAnnotationIds, object.PutTyped())) && object)
        dims.Append(object.Get()); // the list borrows
    }
    start = next + 1;
  }
}
} // namespace

HRESULT KROGetBasicDims(const KROUnicodeString& attributes, KROTPSLightAdapt& owner,
                        list<KROBaseUnknown>*& dims, list<KROBaseUnknown>** out) {
  if (!out) return E_FAIL;
  if (dims) {
    *out = dims;
    return S_OK;
  }
  const int first = attributes.SearchSubString(KROUnicodeString(":"));
  if (first < 1) return E_FAIL;

  dims = new (std::nothrow) list<KROBaseUnknown>;
  if (!dims) return E_FAIL;

  KROComPtr<KROITPSLightSet> set;
  if (FAILED(owner.GetLightSet(set.PutTyped())) || !set) return E_FAIL;
  KROComPtr<KROITPSIdBroker> broker = set.As<KROITPSIdBroker>();
  if (!broker) return E_FAIL;

  AppendNamedAnnotations(attributes, first, *broker.Get(), *dims);
  *out = dims;
  return S_OK;
}
