// KROTPSLightTPS.cpp
#include "KROTPSLightTPS.h"
#include "KROTPSFramework.h"

#include "KROClassMacros.h"
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightView.h"
#include "KRORep.h"
#include "KROTPSLightBasicDims.h"
#include "KROTPSLightLinks.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTypeCodes.h"
#include "KROTPSLightWrappedRep.h"
#include "KROTPSModelGeneration.h"
#include "KROTPSObjectKind.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightTPS, KROTPSFramework, Implementation, "KROTPSLightTPS", nullptr)
KROBaseUnknown* KROTPSLightTPS::CreateItself() { return nullptr; }

namespace {
constexpr int kRefFrameIds = KROCodeOfKind(kKROIdKinds, KROTPSObjectKind::RefFrame);
} // namespace

KROTPSLightTPS::KROTPSLightTPS() = default;

// The TTRS link ids go first, before the lists; the member order alone would free them last.
KROTPSLightTPS::~KROTPSLightTPS() {
  if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) index->Detach(*this);
  ttrsLinkIds_.Clear();
  delete associated_;
  delete orderGroup_;
  delete basicDims_;
  associated_ = orderGroup_ = basicDims_ = nullptr;
  KRODestroyBag(wrapperBag2D_);
  viewLink_.Clear();
  rep2D_ = nullptr;
}

namespace {
constexpr KROTPSHeldRole kHeld = KROTPSHeldRole::AnnotationLists;
}

void KROTPSLightTPS::IndexHeld(KROTPSHolderIndex& index, bool add) {
  for (const list<KROBaseUnknown>* held : {associated_, orderGroup_, basicDims_})
    KROTPSIndexHeld(index, held, this, kHeld, add);
  if (viewKey_) {
    if (add)
      index.Add(viewKey_, this, KROTPSHeldRole::ViewLink);
    else
      index.Remove(viewKey_, this, KROTPSHeldRole::ViewLink);
  }
  if (refFrameKey_) {
    if (add)
      index.Add(KROTPSRefFrameKey(refFrameKey_), this, KROTPSHeldRole::RefFrameLink);
    else
      index.Remove(KROTPSRefFrameKey(refFrameKey_), this, KROTPSHeldRole::RefFrameLink);
  }
}

void KROTPSLightTPS::SetRefFrameKey(int id) {
  if (id == refFrameKey_) return;
  if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) {
    constexpr KROTPSHeldRole kRole = KROTPSHeldRole::RefFrameLink;
    if (refFrameKey_) index->Remove(KROTPSRefFrameKey(refFrameKey_), this, kRole);
    refFrameKey_ = id;
    if (id) index->Add(KROTPSRefFrameKey(id), this, kRole);
    index->Tidy();
    return;
  }
  refFrameKey_ = id;
  bool attached = false;
  if (id) KROTPSHolderIndex::For(*this, *this, &attached); // registers the key when it attaches
}

void KROTPSLightTPS::DropEvery(KROBaseUnknown* x, KROTPSHeldRole role) {
  if (role == KROTPSHeldRole::ViewLink) {
    RemoveView(x);
    return;
  }
  for (list<KROBaseUnknown>* held : {associated_, orderGroup_, basicDims_})
    KROListRemoveEvery(held, x);
}

void KROTPSLightTPS::SetViewKey(const KROBaseUnknown* key) {
  if (key == viewKey_) return;
  if (KROTPSHolderIndex* index = KROTPSHolderIndex::Of(*this)) {
    if (viewKey_) index->Remove(viewKey_, this, KROTPSHeldRole::ViewLink);
    viewKey_ = key;
    if (key) index->Add(key, this, KROTPSHeldRole::ViewLink);
    index->Tidy();
    return;
  }
  viewKey_ = key;
  bool attached = false;
  if (key) KROTPSHolderIndex::For(*this, *this, &attached); // registers the key when it attaches
}

HRESULT KROTPSLightTPS::GetValue(double* value) { return KROWriteOut(value, value_); }
HRESULT KROTPSLightTPS::SetValue(double value) {
  value_ = value;
  return S_OK;
}

HRESULT KROTPSLightTPS::GetSuperType(unsigned short* superType) {
  if (!superType) return E_FAIL;
  if (const unsigned short super = KROTPSSuperTypeOf(light_.type)) *superType = super;
  return S_OK;
}

HRESULT KROTPSLightTPS::GetDefAnnot(int* defAnnot) { return KROWriteOut(defAnnot, defAnnot_); }
HRESULT KROTPSLightTPS::SetDefAnnot(int defAnnot) {
  defAnnot_ = defAnnot;
  return S_OK;
}

HRESULT KROTPSLightTPS::AddTTRSLinkID(int id) {
  KROTPSModelChanged();
  return ttrsLinkIds_.Add(id);
}
HRESULT KROTPSLightTPS::GetTTRSLinkIds(KRORawCollint** ids) { return ttrsLinkIds_.CopyOut(ids); }

HRESULT KROTPSLightTPS::SetRefFrameLinkID(int id) {
  refFrameLinkId_ = id;
  SetRefFrameKey(id);
  return S_OK;
}
HRESULT KROTPSLightTPS::GetRefFrameLinkID(int* id) { return KROWriteOut(id, refFrameLinkId_); }

HRESULT KROTPSLightTPS::GetAttributes(KROWChar** text) { return KROCopyTextOut(attributes_, text); }
HRESULT KROTPSLightTPS::SetAttributes(const KROWChar* text) {
  return KROSetText(attributes_, text);
}

HRESULT KROTPSLightTPS::GetAssociatedTPS(list<KROBaseUnknown>** tpss) {
  return KROListGet(associated_, tpss);
}
HRESULT KROTPSLightTPS::AddAssociatedTPS(KROBaseUnknown* tps) {
  if (!tps) return E_FAIL;
  if (!associated_) Watch(associated_ = new (std::nothrow) list<KROBaseUnknown>);
  return KROListAdd(associated_, tps);
}
HRESULT KROTPSLightTPS::RemoveAssociatedTPS(KROBaseUnknown* tps) {
  return KROListRemove(associated_, tps);
}

HRESULT KROTPSLightTPS::GetOrderGroup(list<KROBaseUnknown>** group) {
  return KROWriteOut(group, orderGroup_);
}
HRESULT KROTPSLightTPS::SetOrderGroup(list<KROBaseUnknown>* group) {
  // The annotation's own lists are never taken over a second time: that would free them twice.
  if (group == orderGroup_ || (group && (group == associated_ || group == basicDims_))) return S_OK;
  delete orderGroup_;
  orderGroup_ = group;
  Watch(group);
  return S_OK;
}
HRESULT KROTPSLightTPS::RemoveOrderGroupTPS(KROBaseUnknown* tps) {
  return KROListRemove(orderGroup_, tps);
}

HRESULT KROTPSLightTPS::GetBehaviorType(KROTPSLightBehaviorType* type) {
  return KROWriteOut(type, behaviorType_);
}
HRESULT KROTPSLightTPS::SetBehaviorType(KROTPSLightBehaviorType type) {
  behaviorType_ = type;
  return S_OK;
}

HRESULT KROTPSLightTPS::GetLightView(KROITPSLightView** view) {
  return KROQueryWeakLink(viewLink_, view);
}

// As KROLinkWeakly, keeping the key of the link.
HRESULT KROTPSLightTPS::SetLightView(KROITPSLightView* view) {
  if (!view) return E_FAIL;
  KROBaseUnknown* base = nullptr;
  if (SUCCEEDED(view->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base))) &&
      base) {
    viewLink_ = base;
    SetViewKey(base);
    base->Release();
  }
  return S_OK;
}

HRESULT KROTPSLightTPS::RemoveView(KROBaseUnknown* view) {
  if (!view || !viewLink_) return E_FAIL;
  if (const auto component = KROComPtr<KROBaseUnknown>::Attach(viewLink_.GetComponent()))
    if (KROComCmp(component.Get(), view)) {
      viewLink_.Clear();
      SetViewKey(nullptr);
    }
  return S_OK;
}

HRESULT KROTPSLightTPS::GetReferenceFrame(KROBaseUnknown** frame) {
  if (!frame) return E_FAIL;
  int linkId = 0;
  GetRefFrameLinkID(&linkId);
  if (linkId == 0) return E_FAIL;
  KROComPtr<KROITPSLightSet> set;
  if (FAILED(GetLightSet(set.PutTyped())) || !set) return E_FAIL;
  KROComPtr<KROITPSIdBroker> broker = set.As<KROITPSIdBroker>();
  if (!broker) return E_FAIL;
  return broker->GetObjectFromId(linkId, kRefFrameIds, frame);
}

HRESULT KROTPSLightTPS::RemoveReferenceFrame(KROBaseUnknown* frame) {
  if (!frame) return E_FAIL;
  if (KROComPtr<KROBaseUnknown> own; SUCCEEDED(GetReferenceFrame(own.PutTyped())) && own)
    if (KROComCmp(own.Get(), frame)) {
      refFrameLinkId_ = 0;
      SetRefFrameKey(0);
    }
  return S_OK;
}

HRESULT KROTPSLightTPS::GetBasicDim(list<KROBaseUnknown>** dims) {
  const bool built = basicDims_ != nullptr;
  const HRESULT rc = KROGetBasicDims(attributes_, *this,
                                     KROExactly<KROTPSLightTPS>(this) != nullptr, basicDims_, dims);
  if (!built) Watch(basicDims_);
  return rc;
}
HRESULT KROTPSLightTPS::RemoveBasicDim(KROBaseUnknown* dim) {
  return KROListRemove(basicDims_, dim);
}

HRESULT KROTPSLightTPS::Get2DRep(KRO2DRep** rep) { return KROWriteRepOut(rep2D_, rep); }

HRESULT KROTPSLightTPS::Set2DRep(KRO2DRep* rep) {
  if (!rep) return E_FAIL;
  KROReplaceWrappedRep(rep, rep2D_, wrapperBag2D_);
  return S_OK;
}
