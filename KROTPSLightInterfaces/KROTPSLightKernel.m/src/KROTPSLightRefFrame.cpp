// KROTPSLightRefFrame.cpp
#include "KROTPSLightRefFrame.h"
#include "KROTPSFramework.h"

#include "KROClassMacros.h"
#include "KROTPSLightBasicDims.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTypeCodes.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightRefFrame, KROTPSFramework, Implementation, "KROTPSLightRefFrame",
                    nullptr)
KROBaseUnknown* KROTPSLightRefFrame::CreateItself() { return nullptr; }

KROTPSLightRefFrame::KROTPSLightRefFrame() {
  light_.name = KROUnicodeString::Literal(u"Reference Frame");
  light_.type = KROTPSTypeReferenceFrame;
  Watch(datums_ = new (std::nothrow) list<KROBaseUnknown>);
}

void KROTPSLightRefFrame::IndexHeld(KROTPSHolderIndex& index, bool add) {
  for (const list<KROBaseUnknown>* held : {datums_, basicDims_})
    KROTPSIndexHeld(index, held, this, KROTPSHeldRole::FrameLists, add);
}

void KROTPSLightRefFrame::DropEvery(KROBaseUnknown* x) {
  for (list<KROBaseUnknown>* held : {datums_, basicDims_})
    KROListRemoveEvery(held, x);
}

// The TTRS link ids go first, before the lists; the member order alone would free them last.
KROTPSLightRefFrame::~KROTPSLightRefFrame() {
  if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) index->Detach(*this);
  ttrsLinkIds_.Clear();
  delete datums_;
  delete basicDims_;
  datums_ = basicDims_ = nullptr;
}

HRESULT KROTPSLightRefFrame::GetAllDatumsSimple(list<KROBaseUnknown>** datums) const {
  return KROListGet(datums_, datums);
}
HRESULT KROTPSLightRefFrame::AddDatumSimple(KROBaseUnknown* datum) {
  return KROListAdd(datums_, datum);
}
HRESULT KROTPSLightRefFrame::RemoveDatumSimple(KROBaseUnknown* datum) {
  return KROListRemove(datums_, datum);
}

HRESULT KROTPSLightRefFrame::AddTTRSLinkID(int id) { return ttrsLinkIds_.Add(id); }
HRESULT KROTPSLightRefFrame::GetTTRSLinkIds(KRORawCollint** ids) {
  return ttrsLinkIds_.CopyOut(ids);
}

HRESULT KROTPSLightRefFrame::GetAttributes(KROWChar** text) const {
  return KROCopyTextOut(attributes_, text);
}
HRESULT KROTPSLightRefFrame::SetAttributes(const KROWChar* text) {
  return KROSetText(attributes_, text);
}

HRESULT KROTPSLightRefFrame::GetSuperType(unsigned short* superType) const {
  return KROWriteOut(superType, KROTPSSuperTypeDatum);
}

HRESULT KROTPSLightRefFrame::GetBasicDim(list<KROBaseUnknown>** dims) {
  const bool built = basicDims_ != nullptr;
  const HRESULT rc = KROGetBasicDims(
      attributes_, *this, KROExactly<KROTPSLightRefFrame>(this) != nullptr, basicDims_, dims);
  if (!built) Watch(basicDims_);
  return rc;
}
HRESULT KROTPSLightRefFrame::RemoveBasiDim(KROBaseUnknown* dim) {
  return KROListRemove(basicDims_, dim);
}
