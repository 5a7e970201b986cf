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
#include "KROTPSLightCapture.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightView.h"

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

/// One pass of the walk. Each entry of `holders` that is an object of exactly the holder class
/// `C` is given to `own`, which drops every occurrence of the leaving object (the matching
/// removal operations, called until nothing is left); any other entry that has `Itf` is given
/// to `drop`, which calls those operations once, as the entry may answer them as it likes. The
/// list is read through the member itself and its count is taken once, since a callee may shrink
/// the list or dispose of it under the walk.
template <class C, class Itf, class Own, class Drop, class Skip = VisitAll>
void Pass(ObjectList* const& holders, Own own, Drop drop, Skip skip = {}) {
  if (!holders) return;
  const int count = holders->Size();
  for (int i = 0; i < count && holders; ++i) {
    KROBaseUnknown* entry = holders->At(i);
    if (!entry || skip(entry)) continue;
    if (C* object = KROExactly<C>(entry)) {
      own(*object);
      continue;
    }
    Itf* itf = nullptr;
    if (FAILED(entry->QueryInterface(Itf::kIID, reinterpret_cast<void**>(&itf))) || !itf) continue;
    drop(itf);
    itf->Release();
  }
}

/// The same pass through the indexes: `own` for every holder the set's list counts whose lists
/// of `role` may hold the key `x` or `base` (the leaving object and its base pointer). The walk would reach such a holder once per entry,
/// and only its first visit can find anything; the others find nothing in lists whose cursors
/// are in range (otherwise the holder index is walk-only). Holders that the index names but the
/// set no longer lists keep their entries. Walks instead when the indexes cannot vouch for every
/// entry of the list.
template <class C, class Itf, class Own, class Drop, class Skip = VisitAll>
void IndexedPass(ObjectList* const& holders, KROTPSEntryIndex* const& index,
                 KROTPSHolderIndex& held, KROTPSHeldRole role, const KROBaseUnknown* x,
                 const KROBaseUnknown* base, Own own, Drop drop, Skip skip = {}) {
  if (!holders) return;
  if (!index || !index->Complete() || held.WalkOnly()) {
    Pass<C, Itf>(holders, own, drop, skip);
    return;
  }
  std::vector<KROTPSLightAdapt*> found[2];
  if (!held.Take(x, role, found[0]) || (base != x && !held.Take(base, role, found[1]))) {
    Pass<C, Itf>(holders, own, drop, skip);
    return;
  }
  for (int k = 0; k < 2; ++k) {
    std::vector<KROTPSLightAdapt*>& holdersOf = found[k];
    std::sort(holdersOf.begin(), holdersOf.end());
    for (std::size_t i = 0; i < holdersOf.size();) {
      KROTPSLightAdapt* const holder = holdersOf[i];
      std::size_t end = i;
      while (end < holdersOf.size() && holdersOf[end] == holder)
        ++end;
      if (!index->Tracked(holder))
        held.Restore(k == 0 ? x : base, holder, role, int(end - i));
      else if (k == 0 || !std::binary_search(found[0].begin(), found[0].end(), holder))
        own(static_cast<C&>(*holder));
      i = end;
    }
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
  ActivateIndexes();
  frame = Resolve(refFrameList_, refFrameIndex_, frame);
  // An annotation's link id resolves to the frame only at the frame's position in the list the
  // annotation's set link names. When every counted annotation links this set and the frame is
  // listed once, among objects listed once by their base pointers, that is one id.
  int at = -1;
  if (tpsIndex_ && tpsIndex_->OtherSetLinks() == 0 && refFrameIndex_ && refFrameIndex_->Complete())
    if (KROTPSLightAdapt* counted = refFrameIndex_->Tracked(frame))
      if (KROTPSEntryIndex::CountOf(*counted) == 1) at = refFrameIndex_->PositionOfLast(*counted);
  const auto own = [frame](KROTPSLightTPS& tps) { tps.RemoveReferenceFrame(frame); };
  const auto drop = [frame](KROITPSLightModel* tps) { tps->RemoveReferenceFrame(frame); };
  using Skip = SkipAnnotation<&KROTPSLightTPS::HoldsNoRefFrameLink>;
  if (at >= 0) {
    const KROBaseUnknown* key = KROTPSRefFrameKey(at + 1);
    IndexedPass<KROTPSLightTPS, KROITPSLightModel>(
        tpsList_, tpsIndex_, holders_, KROTPSHeldRole::RefFrameLink, key, key, own, drop, Skip{});
  } else {
    Pass<KROTPSLightTPS, KROITPSLightModel>(tpsList_, own, drop, Skip{});
  }
  if (refFrameList_ && TakeOut(refFrameList_, refFrameIndex_, frame)) frame->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCapture(KROBaseUnknown* capture) {
  if (!capture || !captureList_) return E_FAIL;
  ActivateIndexes();
  capture = Resolve(captureList_, captureIndex_, capture);
  if (TakeOut(captureList_, captureIndex_, capture)) capture->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveCG(KROBaseUnknown* cg) {
  if (!cg || !cgList_) return E_FAIL;
  ActivateIndexes();
  cg = Resolve(cgList_, cgIndex_, cg);
  constexpr KROTPSHeldRole kRole = KROTPSHeldRole::CaptureCGs;
  IndexedPass<KROTPSLightCapture, KROITPSLightCapture>(
      captureList_, captureIndex_, holders_, kRole, cg, KROIdentityOf(cg),
      [cg](KROTPSLightCapture& capture) { capture.DropEvery(cg, kRole); },
      [cg](KROITPSLightCapture* capture) { capture->RemoveTPSCG(cg); });
  if (cgList_ && TakeOut(cgList_, cgIndex_, cg)) cg->Release();
  return S_OK;
}

namespace {
/// The annotation's own view drops it; other views that list it keep it. The library's own view
/// drops every occurrence, any other view is asked once.
void DropFromOwnView(KROBaseUnknown* tps) {
  KROComPtr<KROITPSLightView> view;
  if (KROTPSLightTPS* own = KROExactly<KROTPSLightTPS>(tps)) {
    own->GetLightView(view.PutTyped());
  } else {
    KROComPtr<KROITPSLightModel> model;
    if (SUCCEEDED(tps->QueryInterface(IID_KROITPSLightModel, model.Put())) && model)
      model->GetLightView(view.PutTyped());
  }
  if (!view) return;
  KROComPtr<KROBaseUnknown> component;
  view->QueryInterface(CLSID_KROBaseUnknown, component.Put());
  if (KROTPSLightView* own = KROExactly<KROTPSLightView>(component.Get()))
    KROListRemoveEvery(own->GetTPSList(), tps);
  else
    view->RemoveTPS(tps);
}
} // namespace

HRESULT KROTPSLightSetExt::RemoveTPS(KROBaseUnknown* tps) {
  if (!tps || !tpsList_) return E_FAIL;
  ActivateIndexes();
  tps = Resolve(tpsList_, tpsIndex_, tps);
  KROTPSModelChanged();
  IndexedPass<KROTPSLightTPS, KROITPSLightModel>(
      tpsList_, tpsIndex_, holders_, KROTPSHeldRole::AnnotationLists, tps, KROIdentityOf(tps),
      [tps](KROTPSLightTPS& other) { other.DropEvery(tps, KROTPSHeldRole::AnnotationLists); },
      [tps](KROITPSLightModel* other) {
        other->RemoveAssociatedTPS(tps);
        other->RemoveOrderGroupTPS(tps);
        other->RemoveBasicDim(tps);
      },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoAnnotationLists>{});
  IndexedPass<KROTPSLightRefFrame, KROITPSLightRefFrame>(
      refFrameList_, refFrameIndex_, holders_, KROTPSHeldRole::FrameLists, tps, KROIdentityOf(tps),
      [tps](KROTPSLightRefFrame& frame) { frame.DropEvery(tps); },
      [tps](KROITPSLightRefFrame* frame) {
        frame->RemoveDatumSimple(tps);
        frame->RemoveBasiDim(tps);
      });
  DropFromOwnView(tps);
  IndexedPass<KROTPSLightCapture, KROITPSLightCapture>(
      captureList_, captureIndex_, holders_, KROTPSHeldRole::CaptureTpss, tps, KROIdentityOf(tps),
      [tps](KROTPSLightCapture& capture) { capture.DropEvery(tps, KROTPSHeldRole::CaptureTpss); },
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
  ActivateIndexes();
  view = Resolve(viewList_, viewIndex_, view);
  IndexedPass<KROTPSLightTPS, KROITPSLightModel>(
      tpsList_, tpsIndex_, holders_, KROTPSHeldRole::ViewLink, view, KROIdentityOf(view),
      [view](KROTPSLightTPS& tps) { tps.DropEvery(view, KROTPSHeldRole::ViewLink); },
      [view](KROITPSLightModel* tps) { tps->RemoveView(view); },
      SkipAnnotation<&KROTPSLightTPS::HoldsNoViewLink>{});
  Pass<KROTPSLightCapture, KROITPSLightCapture>(
      captureList_, [view](KROTPSLightCapture& capture) { capture.DropEveryView(view); },
      [view](KROITPSLightCapture* capture) { capture->RemoveTPSView(view); });
  if (viewList_ && TakeOut(viewList_, viewIndex_, view)) view->Release();
  return S_OK;
}
