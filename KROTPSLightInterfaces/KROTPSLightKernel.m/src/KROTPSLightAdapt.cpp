// KROTPSLightAdapt.cpp
#include "KROTPSLightAdapt.h"

#include "KROComPtr.h"
#include "KRORep.h"
#include "KROTPSEntryIndex.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightWrappedRep.h"

KROTPSLightAdapt::KROTPSLightAdapt() : light_(KROUnicodeString::Literal(u"TPSBase")) {}

KROTPSLightAdapt::~KROTPSLightAdapt() {
  light_.setLink.Clear();
  rep_ = nullptr;
  KRODestroyBag(wrapperBag_);
}

HRESULT KROTPSLightAdapt::GetRep(KRORep** rep) { return KROWriteRepOut(rep_, rep); }

HRESULT KROTPSLightAdapt::SetRep(KRORep* rep) {
  KROReplaceWrappedRep(rep, rep_, wrapperBag_);
  return S_OK;
}

HRESULT KROTPSLightAdapt::GetUUId(KROWChar** uuid) { return KROCopyTextOut(uuid_, uuid); }
HRESULT KROTPSLightAdapt::SetUUId(const KROWChar* uuid) { return KROSetText(uuid_, uuid); }

HRESULT KROTPSLightAdapt::SetLightSet(KROITPSLightSet* set) {
  const HRESULT rc = light_.SetLightSet(set);
  if (KROTPSEntryIndex* index = membership_.index) index->SetLinkChanged(*this);
  return rc;
}

bool KROTPSLightAdapt::LinksToSet(const KROBaseUnknown* set) const {
  const auto linked = KROComPtr<KROBaseUnknown>::Attach(light_.setLink.GetComponent());
  return linked && linked.Get() == set;
}
