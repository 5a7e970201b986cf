// KROFuzzApiSequence.cpp - the public API driven by the fuzzer's bytes.
//
// Each input is a sequence of operations on two sets: create objects of every kind, put them in
// and take them out of every list, link them every way, give them reps, bind documents, query,
// flush and remove. The harness behaves as a careful host: it keeps every object it made alive
// until the sequence ends (the objects' own lists borrow their entries), gives each order group
// a list of its own and keeps its documents alive while the sets may read them. Whatever the
// sequence, nothing may crash, and once everything is released the live counts are back.
#include "KROFuzzSupport.h"

#include "KROIndexedStreamWriter.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <memory>
#include <string>

namespace {

using Set = KROITPSLightSet;

constexpr int kMaxObjects = 32;
constexpr int kMaxOps = 256;

class Sequence {
public:
  explicit Sequence(KROFuzzInput& in) : in_(in) {
    sets_[0] = model_.Set();
    model_.Factory()->CreateLightSet(other_.PutTyped(), nullptr);
    sets_[1] = other_.Get();
  }
  ~Sequence() {
    services_[0].Reset();
    services_[1].Reset();
    model_.Objects().clear();
    other_.Reset();
  }
  Sequence(const Sequence&) = delete;
  Sequence& operator=(const Sequence&) = delete;

  void Run() {
    for (int op = 0; op < kMaxOps && !in_.Empty(); ++op)
      Step(in_.Below(16));
  }

  /// Declared before the model so that they outlive it: the sets only borrow their documents, and
  /// a TTRS only borrows its rep.
  struct Keep {
    std::vector<KROComPtr<KROBaseUnknown>> documents;
    KRO3DBagRep* bag = nullptr;
    ~Keep() {
      if (bag) bag->Destroy();
    }
  };

private:
  KROITPSLightSet* AnySet() { return sets_[in_.Below(2)]; }
  KROITPSLightSetServices* Services(KROITPSLightSet* set) {
    const int i = set == sets_[0] ? 0 : 1;
    if (!services_[i]) services_[i] = KROFuzzModel::As<KROITPSLightSetServices>(set);
    return services_[i].Get();
  }
  KROFuzzModel::Object* AnyObject() {
    auto& objects = model_.Objects();
    if (objects.empty()) return nullptr;
    return &objects[std::size_t(in_.Below(int(objects.size())))];
  }
  /// One face of the object: KROITPSLight, its own interface or its base pointer; uncounted, the
  /// object itself stays alive.
  KROBaseUnknown* Face(KROFuzzModel::Object& o) {
    static const IID* const kOwn[] = {&IID_KROITPSLightModel,    &IID_KROITPSLightView,
                                      &IID_KROITPSLightRefFrame, &IID_KROITPSLightTTRS,
                                      &IID_KROITPSLightCapture,  &IID_KROITPSLightCG,
                                      &IID_KROITPSLightFake};
    KROBaseUnknown* face = o.light.Get();
    const IID& iid = in_.Below(2) ? CLSID_KROBaseUnknown : *kOwn[int(o.kind)];
    if (in_.Below(3) == 0) return face;
    KROBaseUnknown* other = nullptr;
    if (SUCCEEDED(face->QueryInterface(iid, reinterpret_cast<void**>(&other))) && other) {
      faces_.push_back(
          KROComPtr<KROBaseUnknown>::Attach(other)); // keeps the tie alive until the sequence ends
      return other;
    }
    return face;
  }
  KROBaseUnknown* AnyFace() {
    KROFuzzModel::Object* o = AnyObject();
    return o ? Face(*o) : nullptr;
  }
  template <class Itf> KROComPtr<Itf> AnyAs() {
    KROFuzzModel::Object* o = AnyObject();
    return o ? KROFuzzModel::As<Itf>(o->light.Get()) : KROComPtr<Itf>();
  }
  const KROWChar* Text() {
    static const char16_t kAlphabet[] = u"B:RF0123-9 ";
    text_.clear();
    for (int n = in_.Below(14); n > 0; --n)
      text_.push_back(kAlphabet[in_.Below(int(sizeof(kAlphabet) / 2 - 1))]);
    return reinterpret_cast<const KROWChar*>(text_.c_str());
  }

  void Step(int op);
  void Document();

  KROFuzzInput& in_;
  KROFuzzModel model_;
  KROComPtr<KROITPSLightSet> other_;
  KROITPSLightSet* sets_[2] = {};
  KROComPtr<KROITPSLightSetServices> services_[2];
  std::vector<KROComPtr<KROBaseUnknown>> faces_;
  std::u16string text_;

public:
  Keep* keep = nullptr;
};

void Sequence::Document() {
  // Sequential streams of bag reps for the four bound lists and indexed ones for 2D and
  // captures, each with a count and entries taken from the input.
  const auto sequential = [&](int count) {
    KROStreamWriter w;
    w.WriteInt(count);
    for (int i = 0; i < count; ++i) {
      if (in_.Below(4) == 0) {
        w.WriteClassName("KRORep");
        continue;
      }
      KRO3DBagRep* rep = new (nullptr, nullptr, 0) KRO3DBagRep();
      if (!rep) continue;
      w.WriteRep(*rep);
      rep->Destroy();
    }
    return w.TakeBytes();
  };
  const auto indexed = [&](int count, bool twoD) {
    KROIndexedStreamWriter w(count);
    for (int k = 1; k <= count; ++k) {
      KRORep* rep = twoD ? static_cast<KRORep*>(new (nullptr, nullptr, 0) KRO2DCustomRep())
                         : new (nullptr, nullptr, 0) KRO3DBagRep();
      if (!rep) continue;
      w.WriteRep(k, *rep);
      rep->Destroy();
    }
    return w.TakeBytes();
  };
  KRODocumentBuilder builder;
  builder.SetStream(KROTPSContainers::kAnnotationsPath, sequential(in_.Below(4)))
      .SetStream(KROTPSContainers::kViewsPath, sequential(in_.Below(3)))
      .SetStream(KROTPSContainers::kCGsPath, sequential(in_.Below(3)))
      .SetStream(KROTPSContainers::kCapturesPath, indexed(in_.Below(4), false))
      .SetStream(KROTPSContainers::kCaptureRepsPath, sequential(in_.Below(3)))
      .SetStream(KROTPSContainers::kAnnotations2DPath, indexed(in_.Below(4), true));
  KROVZBDocumentComponent* doc = builder.Build();
  if (!doc) return;
  keep->documents.push_back(KROComPtr<KROBaseUnknown>::Attach(doc));
  AnySet()->SetDocument(doc);
}

void Sequence::Step(int op) {
  switch (op) {
  case 0: { // create
    if (int(model_.Objects().size()) >= kMaxObjects) break;
    model_.Create(KROFuzzKind(in_.Below(int(KROFuzzKind::Count))), AnySet());
    break;
  }
  case 1: { // add to a set's list; the list takes over a reference
    static HRESULT (Set::*const kAdd[])(KROBaseUnknown*) = {
        &Set::AddTPS,     &Set::AddTPSView, &Set::AddTTRS, &Set::AddRefFrame,
        &Set::AddCapture, &Set::AddCG,      &Set::AddFake};
    KROBaseUnknown* face = AnyFace();
    if (!face) break;
    face->AddRef();
    if (FAILED((AnySet()->*kAdd[in_.Below(7)])(face))) face->Release();
    break;
  }
  case 2: { // remove from a set through any face
    static HRESULT (Set::*const kRemove[])(KROBaseUnknown*) = {
        &Set::RemoveTPS,      &Set::RemoveView,    &Set::RemoveTTRS,
        &Set::RemoveRefFrame, &Set::RemoveCapture, &Set::RemoveCG};
    KROBaseUnknown* face = AnyFace();
    if (face) (AnySet()->*kRemove[in_.Below(6)])(face);
    break;
  }
  case 3: { // annotation <-> view
    auto tps = AnyAs<KROITPSLightModel>();
    auto view = AnyAs<KROITPSLightView>();
    if (!tps || !view) break;
    if (in_.Below(2))
      tps->SetLightView(view.Get());
    else
      view->AddTPS(AnyFace());
    break;
  }
  case 4: { // capture lists and active view
    auto capture = AnyAs<KROITPSLightCapture>();
    KROBaseUnknown* face = AnyFace();
    if (!capture || !face) break;
    switch (in_.Below(5)) {
    case 0:
      capture->AddTPS(face);
      break;
    case 1:
      capture->AddTPSView(face);
      break;
    case 2:
      capture->AddTPSCG(face);
      break;
    case 3:
      capture->SetActiveView(face);
      break;
    default: {
      auto view = AnyAs<KROITPSLightView>();
      if (view) view->SetCapture(capture.Get());
    }
    }
    break;
  }
  case 5: { // datums and associated annotations
    KROBaseUnknown* face = AnyFace();
    if (!face) break;
    if (in_.Below(2)) {
      if (auto frame = AnyAs<KROITPSLightRefFrame>()) frame->AddDatumSimple(face);
    } else if (auto tps = AnyAs<KROITPSLightModel>()) {
      tps->AddAssociatedTPS(face);
    }
    break;
  }
  case 6: { // an order group of its own
    auto tps = AnyAs<KROITPSLightModel>();
    if (!tps) break;
    auto* group = new (std::nothrow) list<KROBaseUnknown>;
    for (int n = in_.Below(4); group && n > 0; --n)
      group->Append(AnyFace());
    if (in_.Below(8) == 0) { // no group: the list was never handed over
      delete group;
      tps->SetOrderGroup(nullptr);
      break;
    }
    tps->SetOrderGroup(group);
    if (group && in_.Below(8) == 0) tps->SetOrderGroup(group); // handing back the held list
    break;
  }
  case 7: { // link ids
    const int id = in_.Below(7) - 1;
    switch (in_.Below(5)) {
    case 0:
      if (auto t = AnyAs<KROITPSLightModel>()) t->AddTTRSLinkID(id);
      break;
    case 1:
      if (auto t = AnyAs<KROITPSLightModel>()) t->SetRefFrameLinkID(id);
      break;
    case 2:
      if (auto f = AnyAs<KROITPSLightRefFrame>()) f->AddTTRSLinkID(id);
      break;
    case 3:
      if (auto g = AnyAs<KROITPSLightCG>()) g->AddTTRSLinkID(id);
      break;
    default:
      if (auto g = AnyAs<KROITPSLightCG>()) g->AddRepresentedTTRSLinkID(id);
      break;
    }
    break;
  }
  case 8: { // attribute texts naming ids
    switch (in_.Below(3)) {
    case 0:
      if (auto t = AnyAs<KROITPSLightModel>()) t->SetAttributes(Text());
      break;
    case 1:
      if (auto f = AnyAs<KROITPSLightRefFrame>()) f->SetAttributes(Text());
      break;
    default:
      if (auto g = AnyAs<KROITPSLightCG>()) g->SetAttributes(Text());
      break;
    }
    break;
  }
  case 9: { // geometry paths
    auto ttrs = AnyAs<KROITPSLightTTRS>();
    if (!ttrs) break;
    auto* path = new (std::nothrow) KRORawCollint();
    for (int n = in_.Below(4); path && n > 0; --n)
      path->Append(in_.Below(8));
    if (path) ttrs->AddGeomPathId(path);
    break;
  }
  case 10: { // plain properties and set links
    KROFuzzModel::Object* o = AnyObject();
    if (!o) break;
    switch (in_.Below(3)) {
    case 0:
      o->light->SetIndex(in_.Below(7) - 1);
      break;
    case 1:
      o->light->SetType(static_cast<unsigned short>(in_.Below(40)));
      break;
    default:
      o->light->SetLightSet(AnySet());
      break;
    }
    break;
  }
  case 11: { // documents and binding
    KROITPSLightSet* set = AnySet();
    switch (in_.Below(4)) {
    case 0:
      Document();
      break;
    case 1:
      Services(set)->GenerateAllReps();
      break;
    case 2:
      Services(set)->GenerateAll2DReps();
      break;
    default:
      Services(set)->GenerateAllCapturesReps();
      break;
    }
    break;
  }
  case 12: { // queries
    KROITPSLightSet* set = AnySet();
    list<KROBaseUnknown>* found = nullptr;
    switch (in_.Below(6)) {
    case 0:
      Services(set)->GetListOfAnnotationsWithZORTag(in_.Below(8), &found);
      break;
    case 1:
      Services(set)->RetrieveLightTPSsType(static_cast<unsigned short>(in_.Below(40)), &found);
      break;
    case 2:
      Services(set)->RetrieveLightTPSsSuperType(static_cast<unsigned short>(in_.Below(8)), &found);
      break;
    case 3: {
      auto broker = KROFuzzModel::As<KROITPSIdBroker>(set);
      int id = -1;
      if (KROBaseUnknown* face = AnyFace()) broker->GetIdForObject(face, in_.Below(7), &id);
      KROBaseUnknown* object = nullptr;
      if (SUCCEEDED(broker->GetObjectFromId(in_.Below(6), in_.Below(7), &object)) && object)
        object->Release();
      break;
    }
    case 4: {
      auto tps = AnyAs<KROITPSLightModel>();
      if (!tps) break;
      KROBaseUnknown* frame = nullptr;
      if (SUCCEEDED(tps->GetReferenceFrame(&frame)) && frame) frame->Release();
      list<KROBaseUnknown>* dims = nullptr;
      tps->GetBasicDim(&dims); // the annotation's own list
      KROComPtr<KROITPSLightView> view;
      tps->GetLightView(view.PutTyped());
      break;
    }
    default: {
      auto frame = AnyAs<KROITPSLightRefFrame>();
      list<KROBaseUnknown>* dims = nullptr;
      if (frame) frame->GetBasicDim(&dims);
      KROFuzzModel::Object* o = AnyObject();
      KROComPtr<KROITPSLightSet> owner;
      if (o) o->light->GetLightSet(owner.PutTyped());
      break;
    }
    }
    delete found;
    break;
  }
  case 13: { // bulk operations
    if (in_.Below(2))
      AnySet()->FlushData();
    else
      AnySet()->RemoveAllChildren();
    break;
  }
  case 14: { // reps given by the host
    KROFuzzModel::Object* o = AnyObject();
    if (!o) break;
    KRO3DBagRep* rep = new (nullptr, nullptr, 0) KRO3DBagRep();
    if (!rep) break;
    if (o->kind == KROFuzzKind::TTRS) { // borrows: the host keeps the rep
      if (!keep->bag->AddChild(*rep)) {
        rep->Destroy();
        break;
      }
    }
    o->light->SetRep(rep);
    KRORep* bound = nullptr;
    KROFuzzRequire(SUCCEEDED(o->light->GetRep(&bound)) && bound == rep, "SetRep binds the rep");
    break;
  }
  default: { // the objects' own removals, through any face
    KROBaseUnknown* face = AnyFace();
    if (!face) break;
    switch (in_.Below(8)) {
    case 0:
      if (auto v = AnyAs<KROITPSLightView>()) v->RemoveTPS(face);
      break;
    case 1:
      if (auto c = AnyAs<KROITPSLightCapture>()) c->RemoveTPS(face);
      break;
    case 2:
      if (auto c = AnyAs<KROITPSLightCapture>()) c->RemoveTPSView(face);
      break;
    case 3:
      if (auto c = AnyAs<KROITPSLightCapture>()) c->RemoveTPSCG(face);
      break;
    case 4:
      if (auto f = AnyAs<KROITPSLightRefFrame>()) f->RemoveDatumSimple(face);
      break;
    case 5:
      if (auto t = AnyAs<KROITPSLightModel>()) t->RemoveAssociatedTPS(face);
      break;
    case 6:
      if (auto t = AnyAs<KROITPSLightModel>()) t->RemoveOrderGroupTPS(face);
      break;
    default:
      if (auto t = AnyAs<KROITPSLightModel>()) t->RemoveView(face);
      break;
    }
    break;
  }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const KROFuzzCounts counts;
  {
    KROFuzzInput in(data, size);
    Sequence::Keep keep;
    keep.bag = new (nullptr, nullptr, 0) KRO3DBagRep();
    if (!keep.bag) return 0;
    Sequence sequence(in);
    sequence.keep = &keep;
    sequence.Run();
  }
  counts.Check();
  return 0;
}
