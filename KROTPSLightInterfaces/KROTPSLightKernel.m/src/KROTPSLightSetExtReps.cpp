// KROTPSLightSetExtReps.cpp - binding the reps streamed in the document to the model objects.
//
// Three generate calls take the same road: the set's own KROITPSLightSet, its document, the
// document's KROIVZBDocument and the root container "V4V5_FDT" (AnnotationRoot below). Below the
// root, "KROTPSTPSCont", "KROTPSViewCont", "KROTPSCGCont" and "KROTPSCapCont/KROTPSCapRepCont"
// hold sequential rep streams paired with the model lists by position; "KROTPSTPS2DCont" and
// "KROTPSCapCont" hold indexed streams in which each object finds its rep by its index. The names
// are those of KROTPSLightContainerNames.h.
//
// Ownership: every rep read here either goes to a model object (whose wrapper bag then owns it)
// or is destroyed before the call returns. A list item that only borrows the reps it is given
// (a TTRS put into one of these lists) is left without one: see Bind.
#include "KROTPSLightSetExt.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightSet.h"
#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightContainerNames.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightView.h"
#include "KROVZBDocument.h"
#include "KROVizBaseCodeExtension.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

namespace {

/// The set's interface, the document's interface and the root container, for one generate
/// call. Teardown order matters to the document: the root container goes first, then the
/// document interface, then the set interface.
class AnnotationRoot {
public:
  explicit AnnotationRoot(KROTPSLightSetExt& ext) {
    if (FAILED(ext.QueryInterface(IID_KROITPSLightSet, set_.Put())) || !set_) return;
    KROBaseUnknown* document = set_->GetDocument();
    if (!document) return;
    if (SUCCEEDED(document->QueryInterface(IID_KROIVZBDocument, doc_.Put())) && doc_)
      root_ = doc_->OpenContainer(KROUnicodeString(KROTPSContainers::kRoot), 1);
  }
  ~AnnotationRoot() { delete root_; } // then doc_, then set_: members go in reverse order
  AnnotationRoot(const AnnotationRoot&) = delete;
  AnnotationRoot& operator=(const AnnotationRoot&) = delete;

  explicit operator bool() const { return root_ != nullptr; }
  KROITPSLightSet* Set() const { return set_.Get(); }
  /// A child of the root container, owned by it; null when missing.
  KROVZBContainer* Child(const char* name) const { return root_->GetChildContainer(name); }

private:
  KROComPtr<KROITPSLightSet> set_;
  KROComPtr<KROIVZBDocument> doc_;
  KROVZBContainer* root_ = nullptr;
};

/// A class name read as KROStreamer::ReadClassName reads it, kept in place when it is short, as
/// the names of rep classes are: one allocation less per rep read.
class StreamedName {
public:
  /// The zero-terminated name, valid until the next Read; null, with the reader's position
  /// restored, when the length is negative or beyond the bytes left.
  const char* Read(KROStreamer& reader) {
    const unsigned int start = reader.GetCurrentPosition();
    int length = 0;
    if (FAILED(reader.ReadInt(length))) return nullptr;
    char* to = inPlace_;
    if (length >= 0 && static_cast<unsigned int>(length) >= sizeof inPlace_ &&
        static_cast<unsigned int>(length) <= reader.GetRemaining()) {
      spilled_.reset(new (std::nothrow) char[std::size_t(length) + 1]);
      to = spilled_.get();
    }
    if (length < 0 || !to || FAILED(reader.ReadBytes(to, static_cast<unsigned int>(length)))) {
      reader.SetCurrentPosition(start);
      return nullptr;
    }
    to[length] = '\0';
    return to;
  }

private:
  char inPlace_[64];
  std::unique_ptr<char[]> spilled_;
};

/// Frees a rep that nothing holds; a rep some bag holds is left to that bag (Destroy would
/// empty it).
void Discard(KRORep* rep) {
  if (rep && rep->HolderCount() == 0) rep->Destroy();
}

/// Reads one rep body through the stream extension of `name`; null when there is none or the
/// body does not read.
KRORep* ReadRepOf(KROStreamer& reader, const char* name) {
  const auto ext = KROComPtr<KROVizBaseCodeExtension>::Attach(
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name));
  if (!ext) return nullptr;
  KRORep* rep = nullptr;
  if (FAILED(ext->ReadRep(&reader, &rep))) rep = nullptr;
  return rep;
}

/// The rep of the object with `index` in the indexed stream of `container`, read only when its
/// class is one of `accepted`. The table entry of index k lies at 4 + 4 * (k - 1), right after
/// the count, so each object costs one seek whatever its index. An index outside the table, a
/// table cut short or a position outside the stream gives no rep.
KRORep* ReadIndexedRep(KROVZBContainer* container, int index,
                       std::initializer_list<const char*> accepted) {
  KROStreamer* reader = container->GetStreamer();
  if (!reader || reader->GetDataCount() == 0) return nullptr;
  reader->SetCurrentPosition(0);
  int count = 0;
  reader->ReadInt(count);
  if (count == 0 || index <= 0 || index > count) return nullptr;
  const unsigned long long entry = KROIndexedStreamWriter::EntryPosition(index);
  if (entry > reader->GetDataCount() ||
      FAILED(reader->SetCurrentPosition(static_cast<unsigned int>(entry))))
    return nullptr;
  int position = 0;
  if (FAILED(reader->ReadInt(position)) || position < 0 ||
      FAILED(reader->SetCurrentPosition(static_cast<unsigned int>(position))))
    return nullptr;
  StreamedName streamed;
  const char* name = streamed.Read(*reader);
  if (!name) return nullptr;
  for (const char* candidate : accepted)
    if (std::strcmp(name, candidate) == 0) return ReadRepOf(*reader, name);
  return nullptr;
}

/// The model list of `kind` that reps bind to, as `set` hands it out; null for a kind that
/// binds no reps or an absent list.
list<KROBaseUnknown>* ModelListOfKind(KROITPSLightSet* set, KROTPSObjectKind kind) {
  list<KROBaseUnknown>* models = nullptr;
  switch (kind) {
  case KROTPSObjectKind::Annotation:
    return set->GetTPSList();
  case KROTPSObjectKind::View:
    set->GetViewList(&models);
    break;
  case KROTPSObjectKind::Capture:
    set->GetCaptureList(&models);
    break;
  case KROTPSObjectKind::CG:
    set->GetCGList(&models);
    break;
  default:
    break;
  }
  return models;
}

/// Hands `rep` to `light`. A light object keeps it in a group rep of its own and owns it from then
/// on. An object that only stores the pointer (a TTRS, or a light object whose wrapper bag could
/// not be allocated) leaves it held by no bag: no one would ever destroy it, so the object is
/// cleared again and the rep destroyed here, exactly once, with no pointer left to it.
template <class Light> void Bind(Light& light, KRORep* rep) {
  light.SetRep(rep);
  if (!rep || rep->HolderCount() > 0) return;
  light.SetRep(nullptr);
  rep->Destroy();
}

/// The KROITPSLight of item `i`; empty for a missing or null item or a failed query.
KROComPtr<KROITPSLight> LightAt(const list<KROBaseUnknown>& items, int i) {
  KROBaseUnknown* item = items.At(i);
  KROComPtr<KROITPSLight> light;
  if (item) item->QueryInterface(IID_KROITPSLight, light.Put());
  return light;
}

/// Item `i` when it is exactly one of the light classes the generate calls bind, else null.
KROTPSLightAdapt* OwnLightAt(const list<KROBaseUnknown>& items, int i) {
  KROBaseUnknown* item = items.At(i);
  if (KROTPSLightAdapt* own = KROExactly<KROTPSLightTPS>(item)) return own;
  if (KROTPSLightAdapt* own = KROExactly<KROTPSLightView>(item)) return own;
  if (KROTPSLightAdapt* own = KROExactly<KROTPSLightCG>(item)) return own;
  return KROExactly<KROTPSLightCapture>(item);
}

} // namespace

HRESULT KROTPSLightSetExt::GetLightRep(KROVZBContainer* container, list<KRORep>** reps) {
  if (!container || !reps) return E_FAIL;
  HRESULT rc = E_FAIL;
  if (!*reps) {
    *reps = new (std::nothrow) list<KRORep>;
    if (!*reps) return E_FAIL;
    rc = S_OK;
  }
  KROStreamer* reader = container->GetStreamer();
  if (!reader || reader->GetDataCount() == 0) return rc;
  reader->SetCurrentPosition(0);
  int count = 0;
  reader->ReadInt(count);
  StreamedName streamed;
  for (int i = 0; i < count; ++i) {
    // A name that does not read leaves the reader where it was, so every later entry would
    // fail the same way: a count larger than the stream ends here instead of spinning on.
    const char* name = streamed.Read(*reader);
    if (!name) break;
    if (std::strcmp(name, KRO3DBagRep::kClassName) != 0) continue;
    KRORep* rep = ReadRepOf(*reader, name);
    if (rep && !(*reps)->Append(rep)) Discard(rep);
  }
  return S_OK;
}

HRESULT KROTPSLightSetExt::AssocAllRepWithModel(KROITPSLightSet* set, list<KRORep>* reps,
                                                int kind) {
  if (!reps) return E_FAIL;
  list<KROBaseUnknown>* models =
      set ? ModelListOfKind(set, KROKindOfCode(kKRORepKinds, kind)) : nullptr;
  // Nothing is bound unless the counts agree, not even a prefix.
  const bool paired = models && models->Size() == reps->Size();
  const int count = reps->Size();
  for (int i = 0; i < count; ++i) {
    KRORep* rep = reps->At(i);
    if (KROTPSLightAdapt* own = paired ? OwnLightAt(*models, i) : nullptr) {
      Bind(*own, rep);
      continue;
    }
    const KROComPtr<KROITPSLight> light = paired ? LightAt(*models, i) : nullptr;
    if (!light) {
      Discard(rep); // rep i is offered to item i only: no one else will take it
      continue;
    }
    Bind(*light.Get(), rep);
  }
  return paired ? S_OK : E_FAIL;
}

HRESULT KROTPSLightSetExt::GenerateAllReps() {
  AnnotationRoot root(*this);
  if (!root) return E_FAIL;
  auto bind = [&](KROVZBContainer* container, KROTPSObjectKind kind) {
    list<KRORep>* reps = nullptr;
    if (container && SUCCEEDED(GetLightRep(container, &reps)) && reps)
      AssocAllRepWithModel(root.Set(), reps, KROCodeOfKind(kKRORepKinds, kind));
    delete reps;
  };
  HRESULT rc = E_FAIL;
  static constexpr struct {
    const char* name;
    KROTPSObjectKind kind;
  } kSequential[] = {{KROTPSContainers::kAnnotations, KROTPSObjectKind::Annotation},
                     {KROTPSContainers::kViews, KROTPSObjectKind::View},
                     {KROTPSContainers::kCGs, KROTPSObjectKind::CG}};
  for (const auto& child : kSequential) {
    if (KROVZBContainer* container = root.Child(child.name)) {
      bind(container, child.kind);
      rc = S_OK;
    }
  }
  if (KROVZBContainer* captures = root.Child(KROTPSContainers::kCaptures)) {
    bind(captures->GetChildContainer(KROTPSContainers::kCaptureReps), KROTPSObjectKind::Capture);
    rc = S_OK;
  }
  return rc;
}

HRESULT KROTPSLightSetExt::Get2DRep(KROBaseUnknown* tps, KROVZBContainer* container) {
  if (!tps || !container) return E_FAIL;
  // Only an annotation has a 2D rep; the list may hold anything its adders gave it, including a
  // class that only claims the annotation's kind.
  KROTPSLightTPS* annotation = KROExactly<KROTPSLightTPS>(tps);
  if (!annotation) annotation = dynamic_cast<KROTPSLightTPS*>(tps);
  if (!annotation) return E_FAIL;
  int index = 0;
  annotation->GetIndex(&index);
  KRORep* rep =
      ReadIndexedRep(container, index, {KRO2DBagRep::kClassName, KRO2DCustomRep::kClassName});
  if (!rep) return E_FAIL;
  auto* rep2D = dynamic_cast<KRO2DRep*>(rep);
  if (!rep2D) {
    Discard(rep);
    return E_FAIL;
  }
  annotation->Set2DRep(rep2D);
  return S_OK;
}

HRESULT KROTPSLightSetExt::GenerateAll2DReps() {
  AnnotationRoot root(*this);
  if (!root) return E_FAIL;
  KROVZBContainer* container = root.Child(KROTPSContainers::kAnnotations2D);
  if (!container) return E_FAIL;
  if (list<KROBaseUnknown>* tpss = root.Set()->GetTPSList()) {
    const int count = tpss->Size();
    for (int i = 0; i < count; ++i) {
      if (i >= tpss->Size()) continue;
      if (KROBaseUnknown* tps = tpss->At(i)) Get2DRep(tps, container);
    }
  }
  return S_OK;
}

HRESULT KROTPSLightSetExt::GetCaptureRep(KROVZBContainer* container, KROITPSLightSet* set) {
  if (!set || !container) return E_FAIL;
  list<KROBaseUnknown>* captures = nullptr;
  if (FAILED(set->GetCaptureList(&captures)) || !captures) return E_FAIL;
  const int count = captures->Size();
  for (int i = 0; i < count; ++i) {
    const KROComPtr<KROITPSLight> capture = LightAt(*captures, i);
    if (!capture) continue;
    int index = 0;
    capture->GetIndex(&index);
    if (KRORep* rep = ReadIndexedRep(container, index, {KRO3DBagRep::kClassName}))
      Bind(*capture.Get(), rep);
  }
  return S_OK;
}

HRESULT KROTPSLightSetExt::GenerateAllCapturesReps() {
  AnnotationRoot root(*this);
  if (!root) return E_FAIL;
  KROVZBContainer* container = root.Child(KROTPSContainers::kCaptures);
  if (!container) return E_FAIL;
  GetCaptureRep(container, root.Set());
  return S_OK;
}
