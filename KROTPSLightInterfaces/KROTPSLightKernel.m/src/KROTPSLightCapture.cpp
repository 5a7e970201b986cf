// KROTPSLightCapture.cpp
#include "KROTPSLightCapture.h"
#include "KROTPSFramework.h"

#include "KRORep.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightWrappedRep.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightCapture, KROTPSFramework, Implementation, "KROTPSLightCapture",
                    nullptr)
KROBaseUnknown* KROTPSLightCapture::CreateItself() { return nullptr; }

namespace {
HRESULT AdoptInto(KRORawCollPV& owner, KRORawCollint* ids) {
  if (!ids) return E_FAIL;
  if (!owner.Append(ids)) {
    delete ids;
    return E_FAIL;
  }
  return S_OK;
}

HRESULT CopyOwned(const KRORawCollPV& owner, KRORawCollPV* out) {
  if (!out) return E_FAIL;
  *out = owner;
  return out->Size() == owner.Size() ? S_OK : E_FAIL;
}

void DeleteOwned(KRORawCollPV& owner) {
  for (int i = 1; i <= owner.Size(); ++i)
    delete static_cast<KRORawCollint*>(owner[i]);
  owner.RemoveAll();
}
} // namespace

KROTPSLightCapture::KROTPSLightCapture() {
  light_.name = KROUnicodeString::Literal(u"Capture");
  tpss_ = new (std::nothrow) list<KROBaseUnknown>();
  views_ = new (std::nothrow) list<KROBaseUnknown>();
  cgs_ = new (std::nothrow) list<KROBaseUnknown>();
  Watch(tpss_);
  Watch(cgs_);
}

KROTPSHeldRole KROTPSLightCapture::RoleOf(const list<KROBaseUnknown>& held) const {
  return &held == cgs_ ? KROTPSHeldRole::CaptureCGs : KROTPSHeldRole::CaptureTpss;
}

void KROTPSLightCapture::IndexHeld(KROTPSHolderIndex& index, bool add) {
  KROTPSIndexHeld(index, tpss_, this, KROTPSHeldRole::CaptureTpss, add);
  KROTPSIndexHeld(index, cgs_, this, KROTPSHeldRole::CaptureCGs, add);
}

void KROTPSLightCapture::DropEvery(KROBaseUnknown* x, KROTPSHeldRole role) {
  KROListRemoveEvery(role == KROTPSHeldRole::CaptureCGs ? cgs_ : tpss_, x);
}

void KROTPSLightCapture::DropEveryView(KROBaseUnknown* view) {
  if (!view || !views_) return;
  if (KROComCmp(view, activeView_)) activeView_ = nullptr;
  KROListRemoveEvery(views_, view);
}

KROTPSLightCapture::~KROTPSLightCapture() {
  if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) index->Detach(*this);
  delete tpss_;
  tpss_ = nullptr;
  delete views_;
  views_ = nullptr;
  delete cgs_;
  cgs_ = nullptr;
  KRODestroyBag(contourBag_);
  activeView_ = nullptr;
  contourRep_ = nullptr;
  DeleteOwned(hidden_);
  DeleteOwned(visible_);
}

HRESULT KROTPSLightCapture::GetTPSs(list<KROBaseUnknown>** tpss) const {
  return KROListGet(tpss_, tpss);
}
HRESULT KROTPSLightCapture::AddTPS(KROBaseUnknown* tps) { return KROListAdd(tpss_, tps); }
HRESULT KROTPSLightCapture::RemoveTPS(KROBaseUnknown* tps) { return KROListRemove(tpss_, tps); }

HRESULT KROTPSLightCapture::GetTPSViews(list<KROBaseUnknown>** views) const {
  return KROListGet(views_, views);
}
HRESULT KROTPSLightCapture::AddTPSView(KROBaseUnknown* view) { return KROListAdd(views_, view); }
HRESULT KROTPSLightCapture::RemoveTPSView(KROBaseUnknown* view) {
  if (!view || !views_) return E_FAIL;
  if (KROComCmp(view, activeView_)) activeView_ = nullptr;
  return KROListRemove(views_, view);
}

HRESULT KROTPSLightCapture::GetActiveView(KROBaseUnknown** view) const {
  if (!view) return E_FAIL;
  *view = activeView_;
  if (!activeView_) return E_FAIL;
  activeView_->AddRef();
  return S_OK;
}
HRESULT KROTPSLightCapture::SetActiveView(KROBaseUnknown* view) {
  activeView_ = view;
  return S_OK;
}

HRESULT KROTPSLightCapture::GetClippingPlane(int* value) const {
  return KROWriteOut(value, clippingPlane_);
}
HRESULT KROTPSLightCapture::SetClippingPlane(int value) {
  clippingPlane_ = value;
  return S_OK;
}

HRESULT KROTPSLightCapture::GetCameraType(int* value) const {
  return KROWriteOut(value, cameraType_);
}
HRESULT KROTPSLightCapture::SetCameraType(int value) {
  cameraType_ = value;
  return S_OK;
}

HRESULT KROTPSLightCapture::GetTPSCGs(list<KROBaseUnknown>** cgs) const {
  return KROListGet(cgs_, cgs);
}
HRESULT KROTPSLightCapture::AddTPSCG(KROBaseUnknown* cg) { return KROListAdd(cgs_, cg); }
HRESULT KROTPSLightCapture::RemoveTPSCG(KROBaseUnknown* cg) { return KROListRemove(cgs_, cg); }

HRESULT KROTPSLightCapture::GetContourRep(KRORep** rep) const {
  return KROWriteRepOut(contourRep_, rep);
}
HRESULT KROTPSLightCapture::SetContourRep(KRORep* rep) {
  if (!rep) return E_FAIL;
  KROReplaceWrappedRep(rep, contourRep_, contourBag_);
  return S_OK;
}

HRESULT KROTPSLightCapture::GetManageViewMode(unsigned char* value) const {
  return KROWriteOut(value, manageViewMode_);
}
HRESULT KROTPSLightCapture::SetManageViewMode(unsigned char value) {
  manageViewMode_ = value;
  return S_OK;
}
HRESULT KROTPSLightCapture::GetViewMode(int* value) const { return KROWriteOut(value, viewMode_); }
HRESULT KROTPSLightCapture::SetViewMode(int value) {
  viewMode_ = value;
  return S_OK;
}

HRESULT KROTPSLightCapture::GetAttributes(KROWChar** text) const {
  return KROCopyTextOut(attributes_, text);
}
HRESULT KROTPSLightCapture::SetAttributes(const KROWChar* text) {
  return KROSetText(attributes_, text);
}

HRESULT KROTPSLightCapture::AddHiddenPartInstAndBody(KRORawCollint* ids) {
  return AdoptInto(hidden_, ids);
}
HRESULT KROTPSLightCapture::GetHiddenPartInstAndBody(KRORawCollPV* out) const {
  return CopyOwned(hidden_, out);
}
HRESULT KROTPSLightCapture::AddVisiblePartInstAndBody(KRORawCollint* ids) {
  return AdoptInto(visible_, ids);
}
HRESULT KROTPSLightCapture::GetVisiblePartInstAndBody(KRORawCollPV* out) const {
  return CopyOwned(visible_, out);
}

HRESULT KROTPSLightCapture::GetActiveViewState(int* value) const {
  return KROWriteOut(value, activeViewState_);
}
HRESULT KROTPSLightCapture::SetActiveViewState(int value) {
  activeViewState_ = value;
  return S_OK;
}
