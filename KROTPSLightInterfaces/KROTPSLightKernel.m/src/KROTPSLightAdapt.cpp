// KROTPSLightAdapt.cpp
#include "KROTPSLightAdapt.h"

#include "KROITPSLightSet.h"
#include "KRORep.h"
#include "KROTPSEntryIndex.h"
#include "KROTPSLightLinks.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightWrappedRep.h"

KROTPSLightAdapt::KROTPSLightAdapt() : name_(KROUnicodeString::Literal(u"TPSBase")) {}

KROTPSLightAdapt::~KROTPSLightAdapt() {
  setLink_.Clear();
  rep_ = nullptr;
  KRODestroyBag(wrapperBag_);
}

HRESULT KROTPSLightAdapt::GetType(unsigned short* type) { return KROWriteOut(type, type_); }
HRESULT KROTPSLightAdapt::SetType(unsigned short type) {
  type_ = type;
  return S_OK;
}
HRESULT KROTPSLightAdapt::GetName(KROWChar** name) { return KROCopyTextOut(name_, name); }
HRESULT KROTPSLightAdapt::SetName(const KROWChar* name) { return KROSetText(name_, name); }
HRESULT KROTPSLightAdapt::GetIndex(int* index) { return KROWriteOut(index, index_); }
HRESULT KROTPSLightAdapt::SetIndex(int index) {
  index_ = index;
  return S_OK;
}
HRESULT KROTPSLightAdapt::GetStatus(unsigned short* status) { return KROWriteOut(status, status_); }
HRESULT KROTPSLightAdapt::SetStatus(unsigned short status) {
  status_ = status;
  return S_OK;
}

HRESULT KROTPSLightAdapt::GetRep(KRORep** rep) { return KROWriteRepOut(rep_, rep); }

HRESULT KROTPSLightAdapt::SetRep(KRORep* rep) {
  KROReplaceWrappedRep(rep, rep_, wrapperBag_);
  return S_OK;
}

HRESULT KROTPSLightAdapt::GetUUId(KROWChar** uuid) { return KROCopyTextOut(uuid_, uuid); }
HRESULT KROTPSLightAdapt::SetUUId(const KROWChar* uuid) { return KROSetText(uuid_, uuid); }

HRESULT KROTPSLightAdapt::GetLightSet(KROITPSLightSet** set) {
  return KROQueryWeakLink(setLink_, set);
}

HRESULT KROTPSLightAdapt::SetLightSet(KROITPSLightSet* set) {
  const HRESULT rc = KROLinkWeakly(setLink_, set);
  if (KROTPSEntryIndex* index = membership_.index) index->SetLinkChanged(*this);
  return rc;
}

bool KROTPSLightAdapt::LinksToSet(const KROBaseUnknown* set) const {
  const auto linked = KROComPtr<KROBaseUnknown>::Attach(setLink_.GetComponent());
  return linked && linked.Get() == set;
}
