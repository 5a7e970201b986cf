// KROTPSLightView.cpp
#include "KROTPSLightView.h"
#include "KROTPSFramework.h"

#include "KRORep.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightWrappedRep.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightView, KROTPSFramework, Implementation, "KROTPSLightView", nullptr)
KROBaseUnknown* KROTPSLightView::CreateItself() { return nullptr; }

KROTPSLightView::KROTPSLightView()
    : tpsList_(new (std::nothrow) list<KROBaseUnknown>()),
      points_(new (std::nothrow) KRORawColldouble()) {
  light_.name = KROUnicodeString::Literal(u"View");
}

KROTPSLightView::~KROTPSLightView() {
  capture_ = nullptr;
  delete tpsList_;
  tpsList_ = nullptr;
  delete points_;
  points_ = nullptr;
  KRODestroyBag(hatchBag_);
  hatchRep_ = nullptr;
}

list<KROBaseUnknown>* KROTPSLightView::GetTPSList() { return tpsList_; }
HRESULT KROTPSLightView::AddTPS(KROBaseUnknown* tps) { return KROListAdd(tpsList_, tps); }
HRESULT KROTPSLightView::RemoveTPS(KROBaseUnknown* tps) { return KROListRemove(tpsList_, tps); }

HRESULT KROTPSLightView::GetCapture(KROBaseUnknown** capture) {
  if (!capture_) return E_FAIL;
  return KROWriteOut(capture, capture_);
}
HRESULT KROTPSLightView::SetCapture(KROBaseUnknown* capture) {
  if (!capture) return E_FAIL;
  capture_ = capture;
  return S_OK;
}

HRESULT KROTPSLightView::GetSketchMngt(unsigned char* value) {
  return KROWriteOut(value, sketchMngt_);
}
HRESULT KROTPSLightView::SetSketchMngt(unsigned char value) {
  sketchMngt_ = value;
  return S_OK;
}
HRESULT KROTPSLightView::GetInverted(int* value) { return KROWriteOut(value, inverted_); }
HRESULT KROTPSLightView::SetInverted(int value) {
  inverted_ = value;
  return S_OK;
}

KRORawColldouble* KROTPSLightView::GetPoints() { return points_; }

HRESULT KROTPSLightView::AddPoints(double x, double y, double z) {
  if (!points_) return E_FAIL;
  return points_->Append(x) && points_->Append(y) && points_->Append(z) ? S_OK : E_FAIL;
}

HRESULT KROTPSLightView::GetHatchRep(KRORep** rep) { return KROWriteRepOut(hatchRep_, rep); }

HRESULT KROTPSLightView::SetHatchRep(KRORep* rep) {
  if (!rep) return E_FAIL;
  KROReplaceWrappedRep(rep, hatchRep_, hatchBag_);
  return S_OK;
}
