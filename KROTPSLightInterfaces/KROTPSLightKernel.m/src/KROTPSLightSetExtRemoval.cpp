// KROTPSLightSetExtRemoval.cpp - taking one object out of the set.
///
/// A removal first asks every object that may point at the leaving object to drop it (the
/// passes), then takes the last occurrence out of the set's own list and releases the set's
/// reference - only when that occurrence was there: an object the set does not list holds no
/// reference of the set's. The argument may be any interface pointer of the object: it is first
/// resolved to the entry that stands for it (EntryFor), and every callee is given that.
#include "KROTPSLightSetExt.h"

#include "KROComPtr.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightView.h"
#include "KROTPSLightTPS.h"

#include <typeinfo>

namespace {
using ObjectList = list<KROBaseUnknown>;

struct VisitAll {
  bool operator()(KROBaseUnknown*) const { return false; }
};

/// Skips an annotation of exactly this class for which `holdsNothing` answers true: the pass's
/// operations would find nothing in it. A derived class may do more, so it is still asked.
template <bool (KROTPSLightTPS::*holdsNothing)() const> struct SkipAnnotation {
  bool operator()(KROBaseUnknown* entry) const {
    return typeid(*entry) == typeid(KROTPSLightTPS) &&
           (static_cast<KROTPSLightTPS*>(entry)->*holdsNothing)();
  }
};

/// One pass: `drop` is called with the `Itf` of every entry of `holders` that has it. The list
/// is read through the member itself and its count is taken once, since a callee may shrink
/// the list or dispose of it under the walk.
template <class Itf, class Drop, class Skip = VisitAll>
void Pass(ObjectList* const& holders, Drop drop, Skip skip = {}) {
  if (!holders) return;
  const int count = holders->Size();
  for (int i = 0; i < count && holders; ++i) {
    KROBaseUnknown* entry = holders->At(i);
    if (!entry || skip(entry)) continue;
    Itf* itf = nullptr;
    if (FAILED(entry->QueryInterface(Itf::kIID, reinterpret_cast<void**>(&itf))) || !itf) continue;
    drop(itf);
    itf->Release();
  }
}
} // namespace

HRESULT KROTPSLightSetExt::RemoveTTRS(KROBaseUnknown* ttrs) {
  if (!ttrs || !ttrsList_) return E_FAIL;
  ttrs = EntryFor(ttrsList_, ttrs);
  KROTPSModelChanged();
  TakeOutAndRelease(ttrsList_, ttrs);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveRefFrame(KROBaseUnknown* frame) {
  if (!frame || !refFrameList_) return E_FAIL;
  frame = EntryFor(refFrameList_, frame);
  Pass<KROITPSLightModel>(
      tpsList_, [frame](KROITPSLightModel* tps) { tps->RemoveReferenceFrame(frame); },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoRefFrameLink>{});
  if (refFrameList_) TakeOutAndRelease(refFrameList_, frame);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCapture(KROBaseUnknown* capture) {
  if (!capture || !captureList_) return E_FAIL;
  capture = EntryFor(captureList_, capture);
  TakeOutAndRelease(captureList_, capture);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCG(KROBaseUnknown* cg) {
  if (!cg || !cgList_) return E_FAIL;
  cg = EntryFor(cgList_, cg);
  Pass<KROITPSLightCapture>(captureList_,
                            [cg](KROITPSLightCapture* capture) { capture->RemoveTPSCG(cg); });
  if (cgList_) TakeOutAndRelease(cgList_, cg);
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveTPS(KROBaseUnknown* tps) {
  if (!tps || !tpsList_) return E_FAIL;
  tps = EntryFor(tpsList_, tps);
  KROTPSModelChanged();
  Pass<KROITPSLightModel>(
      tpsList_,
      [tps](KROITPSLightModel* other) {
        other->RemoveAssociatedTPS(tps);
        other->RemoveOrderGroupTPS(tps);
        other->RemoveBasicDim(tps);
      },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoAnnotationLists>{});
  Pass<KROITPSLightRefFrame>(refFrameList_, [tps](KROITPSLightRefFrame* frame) {
    frame->RemoveDatumSimple(tps);
    frame->RemoveBasiDim(tps);
  });
  // Only the annotation's own view; other views that list it keep it.
  KROComPtr<KROITPSLightModel> model;
  if (SUCCEEDED(tps->QueryInterface(IID_KROITPSLightModel, model.Put())) && model) {
    KROComPtr<KROITPSLightView> view;
    if (SUCCEEDED(model->GetLightView(view.PutTyped())) && view) view->RemoveTPS(tps);
  }
  Pass<KROITPSLightCapture>(captureList_,
                            [tps](KROITPSLightCapture* capture) { capture->RemoveTPS(tps); });
  // Cached answers name annotations without a reference; none may outlive the release.
  if (tpsList_ && tpsList_->Remove(tps)) {
    ClearAnnotationCache();
    tps->Release();
  }
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveView(KROBaseUnknown* view) {
  if (!view || !viewList_) return E_FAIL;
  view = EntryFor(viewList_, view);
  Pass<KROITPSLightModel>(
      tpsList_, [view](KROITPSLightModel* tps) { tps->RemoveView(view); },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoViewLink>{});
  Pass<KROITPSLightCapture>(captureList_,
                            [view](KROITPSLightCapture* capture) { capture->RemoveTPSView(view); });
  if (viewList_) TakeOutAndRelease(viewList_, view);
  return S_OK;
}
