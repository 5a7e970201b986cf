// KROTPSLightRefFrame.cpp
#include "KROTPSLightRefFrame.h"

#include "KROClassMacros.h"
#include "KROTPSLightBasicDims.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightRefFrame, Implementation, "KROTPSLightRefFrame", nullptr)
KROBaseUnknown* KROTPSLightRefFrame::CreateItself() { return nullptr; }

KROTPSLightRefFrame::KROTPSLightRefFrame() {
  name_.BuildFromWChar(u"Reference Frame");
  type_ = 32;
  datums_ = new (std::nothrow) list<KROBaseUnknown>;
}

// The TTRS link ids go first, before the lists; the member order alone would free them last.
KROTPSLightRefFrame::~KROTPSLightRefFrame() {
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
  return KROWriteOut(superType, static_cast<unsigned short>(2));
}

HRESULT KROTPSLightRefFrame::GetBasicDim(list<KROBaseUnknown>** dims) {
  return KROGetBasicDims(attributes_, *this, basicDims_, dims);
}
HRESULT KROTPSLightRefFrame::RemoveBasiDim(KROBaseUnknown* dim) {
  return KROListRemove(basicDims_, dim);
}
