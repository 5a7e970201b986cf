// KROTPSLightSetExtRemoval.cpp - taking one object out of the set.
///
/// A removal first asks every object that may point at the leaving object to drop it (the
/// passes), then takes the last occurrence out of the set's own list and releases the set's
/// reference - only when that occurrence was there: an object the set does not list holds no
/// reference of the set's. The argument may be any interface pointer of the object: it is first
/// resolved to the entry that stands for it (EntryFor), and every callee is given that.
///
/// Where the indexes can vouch for a pass (KROTPSRemovalIndex.h), it visits only the holders
/// that hold the leaving object, each as many times as the walk would reach it; otherwise it
/// walks. Either way every holder sees the same calls in the same order of its own, and holders
/// never touch one another's lists, so the result is the walk's.
#include "KROTPSLightSetExt.h"

#include "KROComPtr.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightView.h"
#include "KROTPSLightTPS.h"

#include <algorithm>
#include <typeinfo>
#include <vector>

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
/// A pass through the indexes: `drop` for every holder in `holders` that holds `x` (or its base
/// pointer) in a list of `role`, once for each time the set lists it. Walks instead when the
/// indexes cannot vouch for every entry.
template <class Itf, class Drop, class Skip = VisitAll>
void IndexedPass(ObjectList* const& holders, KROTPSEntryIndex* const& index,
                 const KROTPSHolderIndex& held, KROTPSHeldRole role, KROBaseUnknown* x, Drop drop,
                 Skip skip = {}) {
  if (!holders) return;
  if (!index || !index->Complete() || held.WalkOnly()) {
    Pass<Itf>(holders, drop, skip);
    return;
  }
  std::vector<KROTPSLightAdapt*> found;
  KROBaseUnknown* const base = KROIdentityOf(x);
  if (!held.Collect(x, role, found) || (base != x && !held.Collect(base, role, found))) {
    Pass<Itf>(holders, drop, skip);
    return;
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  for (KROTPSLightAdapt* holder : found)
    for (int visits = KROTPSEntryIndex::CountOf(*holder); visits > 0; --visits) {
      Itf* itf = nullptr;
      if (FAILED(holder->QueryInterface(Itf::kIID, reinterpret_cast<void**>(&itf))) || !itf) break;
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
  frame = Resolve(refFrameList_, refFrameIndex_, frame);
  Pass<KROITPSLightModel>(
      tpsList_, [frame](KROITPSLightModel* tps) { tps->RemoveReferenceFrame(frame); },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoRefFrameLink>{});
  if (refFrameList_ && TakeOut(refFrameList_, refFrameIndex_, frame)) frame->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCapture(KROBaseUnknown* capture) {
  if (!capture || !captureList_) return E_FAIL;
  capture = Resolve(captureList_, captureIndex_, capture);
  if (TakeOut(captureList_, captureIndex_, capture)) capture->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCG(KROBaseUnknown* cg) {
  if (!cg || !cgList_) return E_FAIL;
  cg = Resolve(cgList_, cgIndex_, cg);
  IndexedPass<KROITPSLightCapture>(
      captureList_, captureIndex_, holders_, KROTPSHeldRole::CaptureCGs, cg,
      [cg](KROITPSLightCapture* capture) { capture->RemoveTPSCG(cg); });
  if (cgList_ && TakeOut(cgList_, cgIndex_, cg)) cg->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveTPS(KROBaseUnknown* tps) {
  if (!tps || !tpsList_) return E_FAIL;
  tps = Resolve(tpsList_, tpsIndex_, tps);
  KROTPSModelChanged();
  IndexedPass<KROITPSLightModel>(
      tpsList_, tpsIndex_, holders_, KROTPSHeldRole::AnnotationLists, tps,
      [tps](KROITPSLightModel* other) {
        other->RemoveAssociatedTPS(tps);
        other->RemoveOrderGroupTPS(tps);
        other->RemoveBasicDim(tps);
      },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoAnnotationLists>{});
  IndexedPass<KROITPSLightRefFrame>(refFrameList_, refFrameIndex_, holders_,
                                    KROTPSHeldRole::FrameLists, tps,
                                    [tps](KROITPSLightRefFrame* frame) {
                                      frame->RemoveDatumSimple(tps);
                                      frame->RemoveBasiDim(tps);
                                    });
  // Only the annotation's own view; other views that list it keep it.
  KROComPtr<KROITPSLightModel> model;
  if (SUCCEEDED(tps->QueryInterface(IID_KROITPSLightModel, model.Put())) && model) {
    KROComPtr<KROITPSLightView> view;
    if (SUCCEEDED(model->GetLightView(view.PutTyped())) && view) view->RemoveTPS(tps);
  }
  IndexedPass<KROITPSLightCapture>(
      captureList_, captureIndex_, holders_, KROTPSHeldRole::CaptureTpss, tps,
      [tps](KROITPSLightCapture* capture) { capture->RemoveTPS(tps); });
  // Cached answers name annotations without a reference; none may outlive the release.
  if (tpsList_ && TakeOut(tpsList_, tpsIndex_, tps)) {
    ClearAnnotationCache();
    tps->Release();
  }
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveView(KROBaseUnknown* view) {
  if (!view || !viewList_) return E_FAIL;
  view = Resolve(viewList_, viewIndex_, view);
  IndexedPass<KROITPSLightModel>(
      tpsList_, tpsIndex_, holders_, KROTPSHeldRole::ViewLink, view,
      [view](KROITPSLightModel* tps) { tps->RemoveView(view); },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoViewLink>{});
  Pass<KROITPSLightCapture>(captureList_,
                            [view](KROITPSLightCapture* capture) { capture->RemoveTPSView(view); });
  if (viewList_ && TakeOut(viewList_, viewIndex_, view)) view->Release();
  return S_OK;
}
