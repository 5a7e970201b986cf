// KROTPSLightSetExt.cpp - lifecycle, accessors, add operations, bulk operations and id broker.
#include "KROTPSLightSetExt.h"
#include "KROTPSFramework.h"

#include "KROITPSLightModelHandler.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightLinks.h"
#include "KROTPSLightLists.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightView.h"

#include <new>

KRO_IMPLEMENT_CLASS(KROTPSLightSetExt, KROTPSFramework, DataExtension, "KROTPSLightSet",
                    "KROTPSResultSet")
KROBaseUnknown* KROTPSLightSetExt::CreateItself() { return new (std::nothrow) KROTPSLightSetExt(); }

namespace {
using ObjectList = list<KROBaseUnknown>;

// Count taken once: a release may run code that shrinks the list under the walk. Each entry
// leaves `index` (when given) just before its release.
void ReleaseEntries(const ObjectList* entries, KROTPSEntryIndex* index = nullptr) {
  const int count = entries->Size();
  for (int i = 0; i < count; ++i) {
    if (i >= entries->Size()) continue;
    KROBaseUnknown* entry = entries->At(i);
    if (!entry) continue;
    if (index) index->LetGo(entry);
    entry->Release();
  }
}

void Dispose(ObjectList*& entries) {
  delete entries;
  entries = nullptr;
}
} // namespace

KROTPSLightSetExt::KROTPSLightSetExt() {
  light_.name = KROUnicodeString::Literal(u"Annotation Set");
  CreateLists();
}

KROTPSLightSetExt::~KROTPSLightSetExt() {
  KROTPSLightSetExt::RemoveAllChildren();
  DisposeLists();
  ReleaseRefProduct();
  document_ = nullptr;
}

void KROTPSLightSetExt::CreateLists() {
  for (ObjectList** own :
       {&tpsList_, &viewList_, &ttrsList_, &refFrameList_, &captureList_, &cgList_, &fakeList_})
    *own = new (std::nothrow) ObjectList;
}

// Building a model costs nothing extra until its first removal; that one counts every list once,
// about what one walk costs, and the removals after it visit only what links the leaving object.
void KROTPSLightSetExt::ActivateIndexes() {
  if (indexesActive_) return;
  indexesActive_ = true;
  const auto watch = [this](ObjectList* own, const std::type_info& kind, KROTPSHookOf hookOf,
                            const KROBaseUnknown* owner = nullptr) {
    return own ? new (std::nothrow) KROTPSEntryIndex(*own, kind, hookOf, holders_, owner) : nullptr;
  };
  // Annotations resolve their frame link ids through the set they link: the frame removal
  // needs to know whether all of them link this one.
  tpsIndex_ = watch(tpsList_, typeid(KROTPSLightTPS), &KROTPSHookOfClass<KROTPSLightTPS>,
                    KROIdentityOf(this));
  viewIndex_ = watch(viewList_, typeid(KROTPSLightView), nullptr);
  refFrameIndex_ =
      watch(refFrameList_, typeid(KROTPSLightRefFrame), &KROTPSHookOfClass<KROTPSLightRefFrame>);
  captureIndex_ =
      watch(captureList_, typeid(KROTPSLightCapture), &KROTPSHookOfClass<KROTPSLightCapture>);
  cgIndex_ = watch(cgList_, typeid(KROTPSLightCG), nullptr);
}

void KROTPSLightSetExt::DropIndexes() {
  for (KROTPSEntryIndex** index :
       {&tpsIndex_, &viewIndex_, &refFrameIndex_, &captureIndex_, &cgIndex_}) {
    delete *index;
    *index = nullptr;
  }
  holders_.Reset();
  indexesActive_ = false;
}

void KROTPSLightSetExt::ReleaseRefProduct() {
  KROITPSLightModelHandler* held = refProduct_;
  refProduct_ = nullptr;
  if (held) held->Release();
}

void KROTPSLightSetExt::DisposeLists() {
  DropIndexes();
  for (ObjectList** own :
       {&tpsList_, &viewList_, &ttrsList_, &refFrameList_, &captureList_, &cgList_})
    Dispose(*own);
  if (fakeList_) {
    ReleaseEntries(fakeList_);
    Dispose(fakeList_);
  }
}

void KROTPSLightSetExt::ClearAnnotationCache() { tagQuery_.Forget(); }

KROBaseUnknown* KROTPSLightSetExt::EntryFor(const list<KROBaseUnknown>* own,
                                            KROBaseUnknown* given) {
  if (own && own->Locate(given) >= 0) return given;
  KROBaseUnknown* const base = KROIdentityOf(given);
  if (!own || base == given || own->Locate(base) >= 0) return base;
  // The set's entries carry a reference each, so unlike borrowed lists they may be queried.
  for (int i = own->Size() - 1; i >= 0; --i)
    if (KROBaseUnknown* entry = own->At(i); entry && KROIdentityOf(entry) == base) return entry;
  return base;
}

void KROTPSLightSetExt::TakeOutAndRelease(list<KROBaseUnknown>* own, KROBaseUnknown* object) {
  if (own->Remove(object)) object->Release();
}

bool KROTPSLightSetExt::TakeOut(list<KROBaseUnknown>* own, KROTPSEntryIndex* index,
                                KROBaseUnknown* object) {
  if (index && index->Complete())
    if (KROTPSLightAdapt* counted = index->Tracked(object)) {
      const int at = index->PositionOfLast(*counted);
      if (at >= 0) {
        own->RemoveAt(at);
        return true;
      }
    }
  return own->Remove(object);
}

KROBaseUnknown* KROTPSLightSetExt::Resolve(const list<KROBaseUnknown>* own, KROTPSEntryIndex* index,
                                           KROBaseUnknown* given) {
  if (!index || !index->Complete()) return EntryFor(own, given);
  // Every entry is an object counted here, listed under its own base pointer: `given` is listed
  // when it is counted, and otherwise only its base pointer can be.
  if (index->Tracked(given)) return given;
  return KROIdentityOf(given);
}

HRESULT KROTPSLightSetExt::GetLightSet(KROITPSLightSet** set) {
  if (!set) return E_FAIL;
  return KROQueryInto(this, set);
}

HRESULT KROTPSLightSetExt::SetLightSet(KROITPSLightSet*) { return E_FAIL; }

HRESULT KROTPSLightSetExt::GetStdName(KROWChar** name) { return KROCopyTextOut(stdName_, name); }
HRESULT KROTPSLightSetExt::SetStdName(const KROWChar* name) { return KROSetText(stdName_, name); }

HRESULT KROTPSLightSetExt::GetTTRSList(list<KROBaseUnknown>** ttrs) {
  return KROListGet(ttrsList_, ttrs);
}
HRESULT KROTPSLightSetExt::AddTTRS(KROBaseUnknown* ttrs) {
  KROTPSModelChanged();
  return KROListAdd(ttrsList_, ttrs);
}

HRESULT KROTPSLightSetExt::GetRefFrameList(list<KROBaseUnknown>** frames) {
  return KROListGet(refFrameList_, frames);
}
HRESULT KROTPSLightSetExt::AddRefFrame(KROBaseUnknown* frame) {
  return KROListAdd(refFrameList_, frame);
}

HRESULT KROTPSLightSetExt::GetCaptureList(list<KROBaseUnknown>** captures) {
  return KROListGet(captureList_, captures);
}
HRESULT KROTPSLightSetExt::AddCapture(KROBaseUnknown* capture) {
  return KROListAdd(captureList_, capture);
}

HRESULT KROTPSLightSetExt::GetCGList(list<KROBaseUnknown>** cgs) {
  return KROListGet(cgList_, cgs);
}
HRESULT KROTPSLightSetExt::AddCG(KROBaseUnknown* cg) { return KROListAdd(cgList_, cg); }

HRESULT KROTPSLightSetExt::GetFakeList(list<KROBaseUnknown>** fakes) {
  return KROListGet(fakeList_, fakes);
}
HRESULT KROTPSLightSetExt::AddFake(KROBaseUnknown* fake) { return KROListAdd(fakeList_, fake); }

KROBaseUnknown* KROTPSLightSetExt::GetDocument() { return document_; }
HRESULT KROTPSLightSetExt::SetDocument(KROBaseUnknown* document) {
  if (!document) return E_FAIL;
  document_ = document;
  return S_OK;
}

list<KROBaseUnknown>* KROTPSLightSetExt::GetTPSList() { return tpsList_; }
HRESULT KROTPSLightSetExt::AddTPS(KROBaseUnknown* tps) {
  KROTPSModelChanged();
  return KROListAdd(tpsList_, tps);
}

HRESULT KROTPSLightSetExt::GetViewList(list<KROBaseUnknown>** views) {
  return KROListGet(viewList_, views);
}
HRESULT KROTPSLightSetExt::AddTPSView(KROBaseUnknown* view) { return KROListAdd(viewList_, view); }

HRESULT KROTPSLightSetExt::GetRefProduct(KROITPSLightModelHandler** handler) {
  if (!handler) return E_FAIL;
  *handler = refProduct_;
  if (!refProduct_) return E_FAIL;
  refProduct_->AddRef();
  return S_OK;
}

HRESULT KROTPSLightSetExt::SetRefProduct(KROITPSLightModelHandler* handler) {
  // AddRef first: setting the handler already held must not destroy it. The old handler goes
  // last, so that a handler whose destruction calls back into the set finds the new one.
  if (handler) handler->AddRef();
  KROITPSLightModelHandler* old = refProduct_;
  refProduct_ = handler;
  if (old) old->Release();
  return S_OK;
}

HRESULT KROTPSLightSetExt::RemoveAllChildren() {
  KROTPSModelChanged();
  // The indexes leave the set's reach before any release: a release may run code that calls
  // back into the set, which must then find none. Each entry stops being counted just before
  // its own release, so that each list is visited once rather than once more to detach it.
  struct Owned {
    ObjectList** list;
    KROTPSEntryIndex* index;
  };
  const Owned owned[] = {{&tpsList_, tpsIndex_},           {&ttrsList_, nullptr},
                         {&refFrameList_, refFrameIndex_}, {&captureList_, captureIndex_},
                         {&viewList_, viewIndex_},         {&cgList_, cgIndex_}};
  tpsIndex_ = viewIndex_ = refFrameIndex_ = captureIndex_ = cgIndex_ = nullptr;
  indexesActive_ = false;
  for (const Owned& own : owned) {
    if (*own.list) {
      ReleaseEntries(*own.list, own.index);
      if (own.index) own.index->Abandon();
      Dispose(*own.list);
    }
    delete own.index;
  }
  holders_.Reset();
  ClearAnnotationCache();
  return S_OK;
}

HRESULT KROTPSLightSetExt::FlushData() {
  KROTPSModelChanged();
  RemoveAllChildren();
  DisposeLists();
  tagQuery_.Reset();
  ReleaseRefProduct();
  document_ = nullptr;
  CreateLists();
  return S_OK;
}

list<KROBaseUnknown>* KROTPSLightSetExt::ListOfKind(KROTPSObjectKind kind) const {
  switch (kind) {
  case KROTPSObjectKind::Annotation:
    return tpsList_;
  case KROTPSObjectKind::View:
    return viewList_;
  case KROTPSObjectKind::TTRS:
    return ttrsList_;
  case KROTPSObjectKind::RefFrame:
    return refFrameList_;
  case KROTPSObjectKind::CG:
    return cgList_;
  default:
    return nullptr;
  }
}

HRESULT KROTPSLightSetExt::GetIdForObject(KROBaseUnknown* object, int kind, int* id) {
  if (!object || !id) return E_FAIL;
  const ObjectList* own = ListOfKind(KROKindOfCode(kKROIdKinds, kind));
  if (!own) return S_OK;
  *id = own->Locate(EntryFor(own, object));
  return S_OK;
}

HRESULT KROTPSLightSetExt::GetObjectFromId(int id, int kind, KROBaseUnknown** object) {
  if (!object || id < 0) return E_FAIL;
  const ObjectList* own = id >= 1 ? ListOfKind(KROKindOfCode(kKROIdKinds, kind)) : nullptr;
  KROBaseUnknown* found = own ? own->At(id - 1) : nullptr;
  if (!found) return E_FAIL;
  *object = found;
  found->AddRef();
  return S_OK;
}
