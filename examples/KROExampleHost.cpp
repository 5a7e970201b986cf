// KROExampleHost.cpp - a viewer loading the annotations of a part.
//
// Without arguments it builds the annotation model of a small bracket through the factory, writes a
// visualization document for it to a file, reads the file back, binds the reps, queries the model,
// removes a view and an annotation, and tears everything down. It exits 0 only when every step gave
// the expected result and nothing is left alive.
//
// With a document file as argument it binds that document's reps to the built-in model instead and
// reports what bound.
#include "KROComPtr.h"
#include "KRODocumentFile.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightModelHandler.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

// --- reporting -------------------------------------------------------------------------------

int gFailures = 0;

void Step(const char* title) { std::printf("\n== %s\n", title); }

void Check(bool ok, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::printf("   [%s] ", ok ? " ok " : "FAIL");
  std::vprintf(format, args);
  std::printf("\n");
  va_end(args);
  if (!ok) ++gFailures;
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::string NameOf(KROBaseUnknown* object) {
  KROComPtr<KROITPSLight> light;
  KROWChar* name = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_KROITPSLight, light.Put())) ||
      FAILED(light->GetName(&name)))
    return "?";
  std::string result = Narrow(name);
  delete[] name;
  return result;
}

std::string RepLabel(KRORep* rep) { return rep ? rep->GetLabel() : std::string("(none)"); }

// --- the host's handler: the set keeps it as its reference product ----------------------------

class BracketProduct : public KROITPSLightModelHandler {
public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out && iid == IID_KROITPSLightModelHandler) {
      AddRef();
      *out = static_cast<KROITPSLightModelHandler*>(this);
      return S_OK;
    }
    return KROBaseUnknown::QueryInterface(iid, out);
  }
  HRESULT AttachLightSet(KROBaseUnknown* set) override {
    ++attachCount;
    attachedSet = set; // not kept beyond the product's life: no reference needed here
    return S_OK;
  }
  int attachCount = 0;
  KROBaseUnknown* attachedSet = nullptr;
};

// --- the part ----------------------------------------------------------------------------------

struct TTRSDef {
  const char16_t* name;
  std::vector<std::vector<int>> paths; // the last id of a path is a face tag
};

// Face tags of the bracket: 101 base, 102 top, 103/104 bore halves, 105 slot, 106 side,
// 107..109 holes of the pattern.
const std::vector<TTRSDef> kTTRS = {
    {u"Base face", {{1, 10, 101}}},
    {u"Top face", {{1, 10, 102}}},
    {u"Bore", {{1, 20, 103}, {1, 20, 104}}},
    {u"Slot", {{1, 30, 105}}},
    {u"Side face", {{1, 10, 106}}},
    {u"Hole pattern", {{1, 40, 107}, {1, 41, 108}, {1, 42, 109}}},
    {u"Base and bore", {{1, 10, 101}, {1, 20, 103}}},
};

enum Kind : unsigned short {
  Distance = 1,
  Diameter = 2,
  Radius = 3,
  Datum = 7,
  Flatness = 12,
  Position = 13,
  Perpendicularity = 14,
  Profile = 15,
  Roughness = 17,
};

struct AnnotationDef {
  const char16_t* name;
  Kind type;
  double value;
  std::vector<int> ttrs; // TTRS indexes (1-based, as the TTRS were numbered)
  int view;              // 0 front, 1 top, 2 section
};

const std::vector<AnnotationDef> kAnnotations = {
    {u"Datum A", Datum, 0, {1}, 0},
    {u"Datum B", Datum, 0, {3}, 2},
    {u"Datum C", Datum, 0, {5}, 0},
    {u"Flatness 0.05", Flatness, 0.05, {1}, 0},
    {u"Distance 40", Distance, 40, {1, 2}, 0},
    {u"Distance 25", Distance, 25, {2, 5}, 1},
    {u"Diameter 12 H7", Diameter, 12, {3}, 2},
    {u"Perpendicularity 0.02", Perpendicularity, 0.02, {3}, 2},
    {u"Basic 30", Distance, 30, {6}, 1},
    {u"Basic 15", Distance, 15, {6}, 1},
    {u"Position 0.1", Position, 0.1, {6}, 1},
    {u"Profile 0.2", Profile, 0.2, {4}, 0},
    {u"Slot width 8", Distance, 8, {4}, 0},
    {u"Slot radius 4", Radius, 4, {4}, 0},
    {u"Roughness Ra 1.6", Roughness, 1.6, {2}, 1},
    {u"Roughness Ra 0.8", Roughness, 0.8, {3}, 2},
    {u"Hole 1 diameter 6", Diameter, 6, {6}, 1},
    {u"Hole 2 diameter 6", Diameter, 6, {6}, 1},
    {u"Hole 3 diameter 6", Diameter, 6, {6}, 1},
    {u"Side flatness 0.1", Flatness, 0.1, {5}, 0},
    {u"Height 55", Distance, 55, {1, 7}, 2},
    {u"Bore depth 20", Distance, 20, {7}, 2},
    {u"Chamfer 1x45", Distance, 1, {3}, 2},
    {u"Top profile 0.3", Profile, 0.3, {2}, 1},
};

const char16_t* const kViewNames[] = {u"Front view", u"Top view", u"Section A-A"};

// Everything the host keeps of the model: counted interfaces, released at teardown.
struct Model {
  KROComPtr<KROITPSLightModelFactory> factory;
  KROComPtr<KROITPSLightSet> set;
  KROComPtr<KROITPSIdBroker> broker;
  KROComPtr<KROITPSLightSetServices> services;
  std::vector<KROComPtr<KROITPSLightTTRS>> ttrs;
  std::vector<KROComPtr<KROITPSLightModel>> annotations;
  std::vector<KROComPtr<KROITPSLightView>> views;
  std::vector<KROComPtr<KROITPSLightRefFrame>> frames;
  std::vector<KROComPtr<KROITPSLightCapture>> captures;
  std::vector<KROComPtr<KROITPSLightCG>> cgs;
  KROComPtr<KROITPSLightFake> fake;
};

KROBaseUnknown* Base(KROBaseUnknown* itf) {
  KROBaseUnknown* base = nullptr;
  if (itf) itf->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base));
  if (base) base->Release(); // the set's list keeps the object alive; we only need the pointer
  return base;
}

template <class Itf> KROComPtr<KROITPSLight> Light(const KROComPtr<Itf>& itf) {
  return itf.template As<KROITPSLight>();
}

int IdOf(Model& m, KROBaseUnknown* object, int kind) {
  int id = -1;
  m.broker->GetIdForObject(Base(object), kind, &id);
  return id;
}

bool BuildModel(Model& m, BracketProduct* product) {
  Step("Building the bracket through the factory");
  auto* container = new KROTPSLightContainer();
  container->QueryInterface(IID_KROITPSLightModelFactory, m.factory.Put());
  container->Release();
  if (!m.factory) return false;
  KROITPSLightModelFactory& f = *m.factory.Get();

  Check(SUCCEEDED(f.CreateLightSet(m.set.PutTyped(), product)) && m.set,
        "set created with the host product as reference product");
  if (!m.set) return false;
  m.broker = m.set.As<KROITPSIdBroker>();
  m.services = m.set.As<KROITPSLightSetServices>();
  m.set->SetStdName(u"Bracket-01");
  Check(product->attachCount == 1 && product->attachedSet == Base(m.set.Get()),
        "the product was attached to the new set once");

  int index = 1;
  for (const TTRSDef& def : kTTRS) {
    KROComPtr<KROITPSLightTTRS> t;
    f.CreateLightTTRS(t.PutTyped(), m.set.Get());
    Light(t)->SetName(def.name);
    Light(t)->SetIndex(index++);
    for (const std::vector<int>& path : def.paths) {
      auto* ids = new KRORawCollint();
      for (int id : path)
        ids->Append(id);
      t->AddGeomPathId(ids); // the TTRS owns the path from here
    }
    m.ttrs.push_back(t);
  }

  for (const char16_t* name : kViewNames) {
    KROComPtr<KROITPSLightView> v;
    f.CreateLightView(v.PutTyped(), m.set.Get());
    Light(v)->SetName(name);
    v->SetPlaneOrigin(0, 0, 0);
    v->SetFirstPlaneDirect(1, 0, 0);
    v->SetSecondPlaneDirect(0, 1, 0);
    m.views.push_back(v);
  }

  index = 1;
  for (const AnnotationDef& def : kAnnotations) {
    KROComPtr<KROITPSLightModel> a;
    f.CreateLightModel(a.PutTyped(), m.set.Get());
    auto light = Light(a);
    light->SetName(def.name);
    light->SetType(def.type);
    light->SetIndex(index++);
    a->SetValue(def.value);
    for (int t : def.ttrs)
      a->AddTTRSLinkID(t);
    KROITPSLightView* view = m.views[def.view].Get();
    a->SetLightView(view);
    view->AddTPS(Base(a.Get()));
    m.annotations.push_back(a);
  }

  // Reference frame A|B|C with its datums; its basic dimensions are named by annotation id.
  auto annotationId = [&](int i) { return IdOf(m, m.annotations[i].Get(), 1) + 1; };
  KROComPtr<KROITPSLightRefFrame> frame;
  f.CreateLightRefFrame(frame.PutTyped(), m.set.Get());
  Light(frame)->SetName(u"A|B|C");
  for (int i : {0, 1, 2})
    frame->AddDatumSimple(Base(m.annotations[i].Get()));
  frame->AddTTRSLinkID(1);
  frame->AddTTRSLinkID(3);
  std::string digits =
      std::to_string(annotationId(8)) + ":" + std::to_string(annotationId(9)) + ":";
  std::u16string basics = u"RF:" + std::u16string(digits.begin(), digits.end());
  frame->SetAttributes(basics.c_str());
  m.frames.push_back(frame);
  // The position tolerance refers to the frame (id 1 of kind 4) and to the same basic dimensions.
  m.annotations[10]->SetRefFrameLinkID(IdOf(m, frame.Get(), 4) + 1);
  std::u16string position = u"POS:" + std::u16string(digits.begin(), digits.end());
  m.annotations[10]->SetAttributes(position.c_str());

  for (int c = 0; c < 2; ++c) {
    KROComPtr<KROITPSLightCG> cg;
    f.CreateLightCG(cg.PutTyped(), m.set.Get());
    Light(cg)->SetName(c == 0 ? u"Bore axis" : u"Pattern center plane");
    cg->AddTTRSLinkID(c == 0 ? 3 : 6);
    m.cgs.push_back(cg);
  }

  const char16_t* captureNames[] = {u"Overview", u"Section detail"};
  for (int c = 0; c < 2; ++c) {
    KROComPtr<KROITPSLightCapture> cap;
    f.CreateLightCapture(cap.PutTyped(), m.set.Get());
    Light(cap)->SetName(captureNames[c]);
    Light(cap)->SetIndex(c + 1);
    cap->SetOrigin(200, -150, 120);
    cap->SetTarget(0, 0, 20);
    cap->SetZenith(0, 0, 1);
    cap->SetCameraType(c);
    m.captures.push_back(cap);
  }
  KROITPSLightCapture* overview = m.captures[0].Get();
  overview->AddTPSView(Base(m.views[0].Get()));
  overview->AddTPSView(Base(m.views[1].Get()));
  overview->SetActiveView(Base(m.views[1].Get()));
  for (int i : {0, 1, 2})
    overview->AddTPS(Base(m.annotations[i].Get()));
  KROITPSLightCapture* section = m.captures[1].Get();
  section->AddTPSView(Base(m.views[2].Get()));
  section->SetActiveView(Base(m.views[2].Get()));
  for (int i : {1, 6, 7, 20, 21})
    section->AddTPS(Base(m.annotations[i].Get()));
  section->AddTPSCG(Base(m.cgs[0].Get()));

  f.CreateLightFake(m.fake.PutTyped(), m.set.Get());
  m.fake->SetFakeType(3);

  list<KROBaseUnknown>* tpss = m.set->GetTPSList();
  list<KROBaseUnknown>* views = nullptr;
  list<KROBaseUnknown>* ttrs = nullptr;
  m.set->GetViewList(&views);
  m.set->GetTTRSList(&ttrs);
  Check(tpss && tpss->Size() == int(kAnnotations.size()) && views && views->Size() == 3 && ttrs &&
            ttrs->Size() == int(kTTRS.size()),
        "%d annotations, %d views, %d TTRS, 1 reference frame, 2 captures, 2 constructed "
        "geometries, 1 fake",
        tpss ? tpss->Size() : 0, views ? views->Size() : 0, ttrs ? ttrs->Size() : 0);

  list<KROBaseUnknown>* dims = nullptr;
  bool haveDims = SUCCEEDED(frame->GetBasicDim(&dims)) && dims && dims->Size() == 2;
  std::string first = haveDims ? NameOf(dims->At(0)) : "?";
  std::string second = haveDims ? NameOf(dims->At(1)) : "?";
  Check(first == "Basic 30" && second == "Basic 15",
        "frame %s names its basic dimensions \"%s\" and \"%s\" by id in its attributes",
        NameOf(frame.Get()).c_str(), first.c_str(), second.c_str());
  KROBaseUnknown* resolved = nullptr;
  bool haveFrame = SUCCEEDED(m.annotations[10]->GetReferenceFrame(&resolved));
  Check(haveFrame && KROComCmp(resolved, frame.Get()),
        "\"Position 0.1\" resolves its reference frame link id to %s", NameOf(resolved).c_str());
  if (resolved) resolved->Release();
  return true;
}

// --- the visualization document ----------------------------------------------------------------

KRORep* NewRep(KRORep* rep, const std::string& label) {
  rep->SetLabel(label);
  return rep;
}

// count, then each rep as class name + body
std::vector<unsigned char> Sequential(const std::vector<KRORep*>& reps) {
  KROStreamWriter w;
  w.WriteInt(static_cast<int>(reps.size()));
  for (KRORep* rep : reps)
    w.WriteRep(*rep);
  return w.TakeBytes();
}

// count, a position table (entry k for index k), then the reps at those positions
std::vector<unsigned char> Indexed(const std::vector<KRORep*>& reps) {
  KROIndexedStreamWriter w(static_cast<int>(reps.size()));
  for (size_t k = 0; k < reps.size(); ++k)
    w.WriteRep(static_cast<int>(k) + 1, *reps[k]);
  return w.TakeBytes();
}

std::vector<unsigned char> Stream(const std::vector<KRORep*>& reps, bool indexed) {
  std::vector<unsigned char> bytes = indexed ? Indexed(reps) : Sequential(reps);
  for (KRORep* rep : reps)
    rep->Destroy(); // written: the document holds bytes, not reps
  return bytes;
}

template <class Rep>
std::vector<KRORep*> Reps(const std::string& prefix, const std::vector<std::string>& names) {
  std::vector<KRORep*> reps;
  for (const std::string& name : names)
    reps.push_back(NewRep(new (nullptr, nullptr, 0) Rep(), prefix + name));
  return reps;
}

std::vector<std::string> Names(const std::vector<const char16_t*>& names) {
  std::vector<std::string> out;
  for (const char16_t* n : names)
    out.push_back(Narrow(n));
  return out;
}

KROVZBDocumentComponent* BuildDocument() {
  std::vector<const char16_t*> annotationNames, ttrsNames;
  for (const AnnotationDef& a : kAnnotations)
    annotationNames.push_back(a.name);
  std::vector<std::string> tps = Names(annotationNames);
  std::vector<std::string> views = Names({kViewNames[0], kViewNames[1], kViewNames[2]});
  std::vector<std::string> captures = {"Overview", "Section detail"};

  std::vector<KRORep*> twoD;
  for (size_t i = 0; i < tps.size(); ++i) {
    // text-like annotations come as custom 2D reps, the others as 2D groups
    KRORep* rep = i % 3 == 0 ? static_cast<KRORep*>(new (nullptr, nullptr, 0) KRO2DCustomRep())
                             : new (nullptr, nullptr, 0) KRO2DBagRep();
    twoD.push_back(NewRep(rep, "2D:" + tps[i]));
  }

  KRODocumentBuilder builder;
  builder
      .SetStream(KROTPSContainers::kAnnotationsPath, Stream(Reps<KRO3DBagRep>("3D:", tps), false))
      .SetStream(KROTPSContainers::kViewsPath, Stream(Reps<KRO3DBagRep>("3D:", views), false))
      .SetStream(KROTPSContainers::kCGsPath,
                 Stream(Reps<KRO3DBagRep>("3D:", {"Bore axis", "Pattern center plane"}), false))
      .SetStream(KROTPSContainers::kCapturesPath,
                 Stream(Reps<KRO3DBagRep>("Camera:", captures), true))
      .SetStream(KROTPSContainers::kCaptureRepsPath,
                 Stream(Reps<KRO3DBagRep>("Capture:", captures), false))
      .SetStream(KROTPSContainers::kAnnotations2DPath, Stream(twoD, true));
  return builder.Build();
}

// --- binding, queries, removals -----------------------------------------------------------------

template <class Itf> KRORep* RepOf(const KROComPtr<Itf>& itf) {
  KRORep* rep = nullptr;
  Light(itf)->GetRep(&rep);
  return rep;
}

struct BindCounts {
  int annotations = 0, annotations2D = 0, views = 0, cgs = 0, captures = 0;
};

BindCounts Bind(Model& m, KROVZBDocumentComponent* doc, bool expectAll) {
  Step("Binding reps from the document");
  m.set->SetDocument(doc);
  HRESULT all = m.services->GenerateAllReps();
  std::string afterAll = m.captures.empty() ? "" : RepLabel(RepOf(m.captures[0]));
  HRESULT twoD = m.services->GenerateAll2DReps();
  HRESULT caps = m.services->GenerateAllCapturesReps();
  std::printf("   GenerateAllReps %s, GenerateAll2DReps %s, GenerateAllCapturesReps %s\n",
              SUCCEEDED(all) ? "S_OK" : "E_FAIL", SUCCEEDED(twoD) ? "S_OK" : "E_FAIL",
              SUCCEEDED(caps) ? "S_OK" : "E_FAIL");

  BindCounts n;
  bool labelsMatch = true;
  for (size_t i = 0; i < m.annotations.size(); ++i) {
    std::string name = NameOf(m.annotations[i].Get());
    if (KRORep* rep = RepOf(m.annotations[i])) {
      ++n.annotations;
      labelsMatch = labelsMatch && rep->GetLabel() == "3D:" + name;
    }
    KRO2DRep* rep2D = nullptr;
    if (SUCCEEDED(m.annotations[i]->Get2DRep(&rep2D))) {
      ++n.annotations2D;
      labelsMatch = labelsMatch && rep2D->GetLabel() == "2D:" + name;
    }
  }
  for (auto& v : m.views)
    n.views += RepOf(v) != nullptr;
  for (auto& c : m.cgs)
    n.cgs += RepOf(c) != nullptr;
  for (auto& c : m.captures)
    n.captures += RepOf(c) != nullptr;
  std::printf("   bound: %d/%zu annotation reps, %d/%zu 2D reps, %d/%zu view reps, %d/%zu "
              "constructed-geometry reps, %d/%zu capture reps\n",
              n.annotations, m.annotations.size(), n.annotations2D, m.annotations.size(), n.views,
              m.views.size(), n.cgs, m.cgs.size(), n.captures, m.captures.size());
  if (expectAll) {
    Check(SUCCEEDED(all) && SUCCEEDED(twoD) && SUCCEEDED(caps), "all three generate calls succeed");
    Check(n.annotations == int(m.annotations.size()) && n.annotations2D == n.annotations &&
              n.views == 3 && n.cgs == 2 && n.captures == 2 && labelsMatch,
          "every object got its own rep (annotation %s -> %s)",
          NameOf(m.annotations[4].Get()).c_str(), RepLabel(RepOf(m.annotations[4])).c_str());
    Check(afterAll == "Capture:Overview" && RepLabel(RepOf(m.captures[0])) == "Camera:Overview",
          "captures: GenerateAllReps bound \"%s\", then GenerateAllCapturesReps \"%s\" (last wins)",
          afterAll.c_str(), RepLabel(RepOf(m.captures[0])).c_str());
  }
  return n;
}

std::string Names(list<KROBaseUnknown>* items) {
  std::string out;
  for (int i = 0; items && i < items->Size(); ++i)
    out += (i ? ", " : "") + NameOf(items->At(i));
  return out.empty() ? "(none)" : out;
}

void Query(Model& m) {
  Step("Selecting annotations by type");
  list<KROBaseUnknown>* datums = nullptr;
  HRESULT rc = m.services->RetrieveLightTPSsType(Datum, &datums);
  Check(SUCCEEDED(rc) && datums && datums->Size() == 3, "type %d (datums): %s", Datum,
        Names(datums).c_str());
  delete datums;
  list<KROBaseUnknown>* roughness = nullptr;
  m.services->RetrieveLightTPSsType(Roughness, &roughness);
  Check(roughness && roughness->Size() == 2, "type %d (roughness): %s", Roughness,
        Names(roughness).c_str());
  delete roughness;

  Step("Which annotations touch a face?");
  struct Expect {
    int tag;
    int count;
  };
  // 103: bore (TTRS 3) and base-and-bore (TTRS 7); 107: hole pattern; 105: slot.
  for (Expect e : {Expect{103, 7}, Expect{107, 6}, Expect{105, 3}}) {
    list<KROBaseUnknown>* first = nullptr;
    list<KROBaseUnknown>* again = nullptr;
    HRESULT r1 = m.services->GetListOfAnnotationsWithZORTag(e.tag, &first);
    HRESULT r2 = m.services->GetListOfAnnotationsWithZORTag(e.tag, &again); // from the cache
    bool same = first && again && first->Size() == again->Size();
    for (int i = 0; same && i < first->Size(); ++i)
      same = first->At(i) == again->At(i);
    Check(SUCCEEDED(r1) && SUCCEEDED(r2) && same && first->Size() == e.count,
          "face %d: %s (asked twice, second answer from the cache)", e.tag, Names(first).c_str());
    delete first;
    delete again;
  }
  list<KROBaseUnknown>* none = nullptr;
  Check(FAILED(m.services->GetListOfAnnotationsWithZORTag(999, &none)) && !none,
        "face 999: no TTRS path ends there, E_FAIL and no list");

  Step("Ids both ways");
  bool roundTrips = true;
  for (int kind : {1, 2, 3}) {
    list<KROBaseUnknown>* own = kind == 1 ? m.set->GetTPSList() : nullptr;
    if (kind == 2) m.set->GetViewList(&own);
    if (kind == 3) m.set->GetTTRSList(&own);
    for (int i = 0; own && i < own->Size(); ++i) {
      int id = -1;
      KROBaseUnknown* back = nullptr;
      m.broker->GetIdForObject(own->At(i), kind, &id);
      m.broker->GetObjectFromId(id + 1, kind, &back);
      roundTrips = roundTrips && back == own->At(i);
      if (back) back->Release();
    }
  }
  int id = -1;
  m.broker->GetIdForObject(Base(m.annotations[10].Get()), 1, &id);
  Check(roundTrips && id == 10,
        "every annotation, view and TTRS maps to its id and back; \"%s\" is annotation %d",
        NameOf(m.annotations[10].Get()).c_str(), id);
}

void Remove(Model& m) {
  Step("Removing the top view");
  KROITPSLightView* top = m.views[1].Get();
  list<KROBaseUnknown>* shown = top->GetTPSList();
  int shownCount = shown ? shown->Size() : 0;
  m.set->RemoveView(Base(top));
  int linked = 0;
  for (auto& a : m.annotations) {
    KROComPtr<KROITPSLightView> v;
    if (SUCCEEDED(a->GetLightView(v.PutTyped())) && KROComCmp(v.Get(), top)) ++linked;
  }
  KROBaseUnknown* active = nullptr;
  HRESULT activeRc = m.captures[0]->GetActiveView(&active);
  if (active) active->Release();
  list<KROBaseUnknown>* views = nullptr;
  m.set->GetViewList(&views);
  Check(linked == 0 && FAILED(activeRc) && views && views->Size() == 2,
        "%d annotations shown in it lost their view link; the overview capture lost its active "
        "view; %d views left",
        shownCount, views ? views->Size() : 0);
  m.views.erase(m.views.begin() + 1); // our last reference goes at teardown

  Step("Removing annotation \"Datum B\"");
  KROBaseUnknown* datumB = Base(m.annotations[1].Get());
  int idBefore = -1, idAfter = -1;
  m.broker->GetIdForObject(Base(m.annotations[4].Get()), 1, &idBefore);
  m.set->RemoveTPS(datumB);
  m.broker->GetIdForObject(Base(m.annotations[4].Get()), 1, &idAfter);
  list<KROBaseUnknown>* datums = nullptr;
  m.frames[0]->GetAllDatumsSimple(&datums);
  list<KROBaseUnknown>* capTPS = nullptr;
  m.captures[1]->GetTPSs(&capTPS);
  list<KROBaseUnknown>* sectionTPS = m.views[1]->GetTPSList();
  bool gone = datums && datums->Locate(datumB) < 0 && capTPS && capTPS->Locate(datumB) < 0 &&
              sectionTPS && sectionTPS->Locate(datumB) < 0 &&
              m.set->GetTPSList()->Locate(datumB) < 0;
  Check(gone, "gone from the frame's datums (%s), the section capture and the section view",
        Names(datums).c_str());
  Check(idBefore == 4 && idAfter == 3, "\"Distance 40\" moved from id %d to id %d", idBefore,
        idAfter);
}

// --- main ----------------------------------------------------------------------------------------

int RunBuiltIn() {
  const long components = KROBaseUnknown::LiveCount();
  const long reps = KRORep::LiveCount();
  std::string path = (std::filesystem::temp_directory_path() / "kro_example_bracket.krod").string();
  {
    auto* product = new BracketProduct();
    Model m;
    if (!BuildModel(m, product)) {
      std::printf("error: the factory is not available\n");
      product->Release();
      return 1;
    }
    product->Release(); // the set holds its own reference on its product

    Step("Writing and reading the visualization document");
    KROVZBDocumentComponent* written = BuildDocument();
    HRESULT saved = written ? KROSaveDocument(*written, path.c_str()) : E_FAIL;
    if (written) written->Release();
    KROVZBDocumentComponent* doc = nullptr;
    HRESULT loaded = KROLoadDocument(path.c_str(), &doc);
    Check(SUCCEEDED(saved) && SUCCEEDED(loaded) && doc, "document saved to and loaded from %s",
          path.c_str());
    if (doc) {
      Bind(m, doc, true);
      Query(m);
      Remove(m);
    }
    Step("Teardown");
    m = Model(); // releases every interface; the set goes with its last one
    if (doc) doc->Release();
  }
  Check(KROBaseUnknown::LiveCount() == components && KRORep::LiveCount() == reps,
        "nothing left alive (components %ld, reps %ld)", KROBaseUnknown::LiveCount() - components,
        KRORep::LiveCount() - reps);
  std::printf("\n%s: %d failed check(s)\n", gFailures ? "FAILED" : "OK", gFailures);
  std::printf("The document file is kept: run the example again with %s as argument.\n",
              path.c_str());
  return gFailures ? 1 : 0;
}

int RunWithFile(const char* path) {
  // Say why a file cannot be used: the system's reason when it does not open, else that its
  // bytes are not a document file.
  if (std::FILE* f = std::fopen(path, "rb")) {
    std::fclose(f);
  } else {
    std::fprintf(stderr, "error: cannot open document file '%s': %s\n", path, std::strerror(errno));
    return 1;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    std::fprintf(stderr, "error: '%s' is a directory, not a document file\n", path);
    return 1;
  }
  KROVZBDocumentComponent* doc = nullptr;
  if (FAILED(KROLoadDocument(path, &doc)) || !doc) {
    std::fprintf(stderr,
                 "error: '%s' is not a document file (no document header, or its containers "
                 "are cut short or malformed)\n",
                 path);
    return 1;
  }
  auto* product = new BracketProduct();
  int bound = -1;
  {
    Model m;
    if (BuildModel(m, product)) {
      BindCounts n = Bind(m, doc, false);
      bound = n.annotations + n.annotations2D + n.views + n.cgs + n.captures;
      std::printf("\n%s bound %d reps to the built-in model\n", path, bound);
    }
  }
  product->Release();
  doc->Release();
  if (bound < 0) {
    std::fprintf(stderr, "error: the factory is not available\n");
    return 1;
  }
  if (bound == 0) {
    std::fprintf(stderr,
                 "error: '%s' bound no rep: it has no container under V4V5_FDT whose reps "
                 "pair with the built-in model\n",
                 path);
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [document-file]\n", argv[0]);
    return 2;
  }
  return argc == 2 ? RunWithFile(argv[1]) : RunBuiltIn();
}
