// KROTPSLightSetExtRemoval.cpp - taking one object out of the set.
#include "KROTPSLightSetExt.h"

HRESULT KROTPSLightSetExt::RemoveTTRS(KROBaseUnknown* ttrs) {
  if (!ttrs || !ttrsList_) return E_FAIL;
  TakeOutAndRelease(ttrsList_, ttrs);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveRefFrame(KROBaseUnknown* frame) {
  if (!frame || !refFrameList_) return E_FAIL;
  TakeOutAndRelease(refFrameList_, frame);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCapture(KROBaseUnknown* capture) {
  if (!capture || !captureList_) return E_FAIL;
  TakeOutAndRelease(captureList_, capture);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCG(KROBaseUnknown* cg) {
  if (!cg || !cgList_) return E_FAIL;
  TakeOutAndRelease(cgList_, cg);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveTPS(KROBaseUnknown* tps) {
  if (!tps || !tpsList_) return E_FAIL;
  // Cached answers name annotations without a reference; none may outlive the release below.
  ClearAnnotationCache();
  TakeOutAndRelease(tpsList_, tps);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveView(KROBaseUnknown* view) {
  if (!view || !viewList_) return E_FAIL;
  TakeOutAndRelease(viewList_, view);
  return S_OK;
}
