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
  name_ = KROUnicodeString::Literal(u"View");
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

HRESULT KROTPSLightView::GetPlaneOrigin(double* x, double* y, double* z) {
  return KROWriteOut3(x, y, z, planeOrigin_);
}
HRESULT KROTPSLightView::GetFirstPlaneDirect(double* x, double* y, double* z) {
  return KROWriteOut3(x, y, z, firstPlaneDirect_);
}
HRESULT KROTPSLightView::GetSecondPlaneDirect(double* x, double* y, double* z) {
  return KROWriteOut3(x, y, z, secondPlaneDirect_);
}

// Setters write through the same three-value shape as the getters; it cannot fail here.
HRESULT KROTPSLightView::SetPlaneOrigin(double x, double y, double z) {
  return KROWriteOut3(&planeOrigin_[0], &planeOrigin_[1], &planeOrigin_[2], {x, y, z});
}
HRESULT KROTPSLightView::SetFirstPlaneDirect(double x, double y, double z) {
  return KROWriteOut3(&firstPlaneDirect_[0], &firstPlaneDirect_[1], &firstPlaneDirect_[2],
                      {x, y, z});
}
HRESULT KROTPSLightView::SetSecondPlaneDirect(double x, double y, double z) {
  return KROWriteOut3(&secondPlaneDirect_[0], &secondPlaneDirect_[1], &secondPlaneDirect_[2],
                      {x, y, z});
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

HRESULT KROTPSLightView::SetThumbnailData(const _SEQUENCE_octet& data) {
  thumbnail_ = data;
  return S_OK;
}
HRESULT KROTPSLightView::GetThumbnailData(_SEQUENCE_octet& data) {
  data = thumbnail_;
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

HRESULT KROTPSLightView::GetSketchOrigin(double* x, double* y, double* z) {
  return KROWriteOut3(x, y, z, sketchOrigin_);
}
HRESULT KROTPSLightView::SetSketchOrigin(double x, double y, double z) {
  return KROWriteOut3(&sketchOrigin_[0], &sketchOrigin_[1], &sketchOrigin_[2], {x, y, z});
}
HRESULT KROTPSLightView::GetSketchNormal(double* x, double* y, double* z) {
  return KROWriteOut3(x, y, z, sketchNormal_);
}
HRESULT KROTPSLightView::SetSketchNormal(double x, double y, double z) {
  return KROWriteOut3(&sketchNormal_[0], &sketchNormal_[1], &sketchNormal_[2], {x, y, z});
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
