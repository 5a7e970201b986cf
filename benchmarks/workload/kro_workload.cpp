// kro_workload.cpp - the standard workload W(N), run on the library through its factory and
// interfaces, as a host would.
//
//   kro_workload N [--seed=S] [--prefault-mb=M]
//
// It builds the model of workload.h, binds it to a visualization document holding the same
// containers and labels (in the platform's rep encoding), and prints one line per timed phase
// ("phase ns_per_object") and the "# check" lines, which must equal those of the plain-C++ limit
// that run_workload.sh runs beside it.
#include "workload.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KROIndexedStreamWriter.h"
#include "KRORawColl.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Objects = list<KROBaseUnknown>;

template <class Rep> void PutRep(KROStreamWriter& w, const std::string& label) {
  Rep* rep = new (nullptr, nullptr, 0) Rep();
  rep->SetLabel(label);
  w.WriteRep(*rep);
  rep->Destroy();
}

std::vector<unsigned char> Sequential(int count, const char* prefix) {
  KROStreamWriter w;
  w.WriteInt(count);
  for (int k = 1; k <= count; ++k)
    PutRep<KRO3DBagRep>(w, wl::label(prefix, k));
  return w.TakeBytes();
}

std::vector<unsigned char> Indexed(int count, const char* prefix) {
  KROIndexedStreamWriter w(count);
  for (int k = 1; k <= count; ++k) {
    w.BeginEntry(k);
    if (k % 10 == 0)
      PutRep<KRO2DCustomRep>(w.Writer(), wl::label(prefix, k));
    else
      PutRep<KRO2DBagRep>(w.Writer(), wl::label(prefix, k));
  }
  return w.TakeBytes();
}

KROVZBDocumentComponent* MakeDocument(const wl::Model& m) {
  return KRODocumentBuilder()
      .SetStream(KROTPSContainers::kAnnotationsPath, Sequential(m.N, "TPS:"))
      .SetStream(KROTPSContainers::kViewsPath, Sequential(m.V, "VIEW:"))
      .SetStream(KROTPSContainers::kCGsPath, Sequential(m.G, "CG:"))
      .AddContainer(KROTPSContainers::kCapturesPath)
      .SetStream(KROTPSContainers::kCaptureRepsPath, Sequential(m.C, "CAP:"))
      .SetStream(KROTPSContainers::kAnnotations2DPath, Indexed(m.N, "TPS2D:"))
      .Build();
}

int IndexOf(KROBaseUnknown* object) {
  int index = 0;
  KROComPtr<KROITPSLight> light;
  if (object && SUCCEEDED(object->QueryInterface(IID_KROITPSLight, light.Put())) && light)
    light->GetIndex(&index);
  return index;
}

/// The host side of the model: the factory, the set and its services.
struct Host {
  KROComPtr<KROITPSLightModelFactory> factory;
  KROComPtr<KROITPSLightSet> set;
  KROComPtr<KROITPSLightSetServices> services;
};

template <class Itf> void SetIndex(const KROComPtr<Itf>& object, int index) {
  object.template As<KROITPSLight>()->SetIndex(index);
}

// Not inlined, so that a profiler can tell the build phase apart.
[[gnu::noinline]] void Build(Host& h, const wl::Model& m) {
  auto* container = new KROTPSLightContainer();
  container->QueryInterface(IID_KROITPSLightModelFactory, h.factory.Put());
  container->Release();
  h.factory->CreateLightSet(h.set.PutTyped(), nullptr);
  h.services = h.set.As<KROITPSLightSetServices>();

  for (int j = 0; j < m.T; ++j) {
    KROComPtr<KROITPSLightTTRS> ttrs;
    h.factory->CreateLightTTRS(ttrs.PutTyped(), h.set.Get());
    SetIndex(ttrs, j + 1);
    for (int k = 0; k < m.pathCount(j); ++k) {
      auto* path = new KRORawCollint();
      for (int id : wl::Model::pathOfTag(m.pathTag(j, k)))
        path->Append(id);
      ttrs->AddGeomPathId(path);
    }
  }
  // The annotations' interfaces are kept until the model is built, for the view links.
  std::vector<KROComPtr<KROITPSLightModel>> annotations(static_cast<std::size_t>(m.N));
  for (int i = 0; i < m.N; ++i) {
    KROComPtr<KROITPSLightModel>& a = annotations[static_cast<std::size_t>(i)];
    h.factory->CreateLightModel(a.PutTyped(), h.set.Get());
    {
      const KROComPtr<KROITPSLight> light = a.As<KROITPSLight>();
      light->SetType(static_cast<unsigned short>(wl::Model::typeOf(i)));
      light->SetIndex(i + 1);
    }
    a->SetValue(i);
    a->AddTTRSLinkID(m.link0[static_cast<std::size_t>(i)]);
    a->AddTTRSLinkID(m.link1[static_cast<std::size_t>(i)]);
    if (m.hasAttributes(i)) a->SetAttributes(m.attributes16(i).c_str());
  }
  // Lists name objects by the pointers the set lists, which is what removals resolve to.
  const Objects* tps = h.set->GetTPSList();
  for (int v = 0; v < m.V; ++v) {
    KROComPtr<KROITPSLightView> view;
    h.factory->CreateLightView(view.PutTyped(), h.set.Get());
    SetIndex(view, v + 1);
    for (int i = m.viewBegin(v); i < m.viewEnd(v); ++i) {
      view->AddTPS(tps->At(i));
      annotations[static_cast<std::size_t>(i)]->SetLightView(view.Get());
    }
  }
  for (int g = 0; g < m.G; ++g) {
    KROComPtr<KROITPSLightCG> cg;
    h.factory->CreateLightCG(cg.PutTyped(), h.set.Get());
    SetIndex(cg, g + 1);
  }
  Objects* views = nullptr;
  Objects* cgs = nullptr;
  h.set->GetViewList(&views);
  h.set->GetCGList(&cgs);
  for (int c = 0; c < m.C; ++c) {
    KROComPtr<KROITPSLightCapture> capture;
    h.factory->CreateLightCapture(capture.PutTyped(), h.set.Get());
    SetIndex(capture, c + 1);
    for (int q = 0; q < m.capAnnN; ++q)
      capture->AddTPS(tps->At(m.capAnn[static_cast<std::size_t>(c * m.capAnnN + q)]));
    for (int q = 0; q < m.capViewN; ++q)
      capture->AddTPSView(views->At(m.capView[static_cast<std::size_t>(c * m.capViewN + q)]));
    for (int q = 0; q < m.capCGN; ++q)
      capture->AddTPSCG(cgs->At(m.capCG[static_cast<std::size_t>(c * m.capCGN + q)]));
  }
  for (int i = 0; i < m.N; ++i) {
    if (!m.hasAttributes(i)) continue;
    Objects* dims = nullptr;
    annotations[static_cast<std::size_t>(i)]->GetBasicDim(&dims);
  }
}

std::string LabelOf(const KRORep* rep) { return rep ? rep->GetLabel() : std::string(); }

void CheckBinding(const Host& h) {
  std::size_t bound3d = 0, bound2d = 0, wrong = 0;
  const Objects* tps = h.set->GetTPSList();
  for (int i = 0; i < tps->Size(); ++i) {
    KROComPtr<KROITPSLightModel> a;
    tps->At(i)->QueryInterface(IID_KROITPSLightModel, a.Put());
    const KROComPtr<KROITPSLight> light = a.As<KROITPSLight>();
    int index = 0;
    light->GetIndex(&index);
    KRORep* rep = nullptr;
    KRO2DRep* rep2d = nullptr;
    light->GetRep(&rep);
    a->Get2DRep(&rep2d);
    bound3d += rep != nullptr;
    bound2d += rep2d != nullptr;
    wrong += LabelOf(rep) != wl::label("TPS:", index);
    wrong += LabelOf(rep2d) != wl::label("TPS2D:", index);
  }
  Objects* views = nullptr;
  Objects* cgs = nullptr;
  Objects* captures = nullptr;
  h.set->GetViewList(&views);
  h.set->GetCGList(&cgs);
  h.set->GetCaptureList(&captures);
  for (const Objects* own : {views, cgs, captures}) {
    for (int k = 0; k < own->Size(); ++k) {
      KROComPtr<KROITPSLight> light;
      own->At(k)->QueryInterface(IID_KROITPSLight, light.Put());
      KRORep* rep = nullptr;
      light->GetRep(&rep);
      bound3d += rep != nullptr;
    }
  }
  wl::check("bind_count", uint64_t(bound3d) << 32 | bound2d);
  if (wrong) std::printf("# FAIL %zu annotations hold the wrong rep\n", wrong);
}

void CheckAnswers(const Host& h, const wl::Model& m) {
  wl::SeqHash sel;
  for (int code = 0; code < wl::kTypeCodes; ++code) {
    Objects* out = nullptr;
    h.services->RetrieveLightTPSsType(static_cast<unsigned short>(code), &out);
    for (int k = 0; out && k < out->Size(); ++k) {
      sel.add(code);
      sel.add(IndexOf(out->At(k)));
    }
    delete out;
  }
  wl::check("select", sel.h);
  wl::SeqHash tagSeq;
  wl::BagHash tagBag;
  uint64_t tagItems = 0;
  for (int tag = 1; tag <= m.F; ++tag) {
    Objects* out = nullptr;
    if (SUCCEEDED(h.services->GetListOfAnnotationsWithZORTag(tag, &out)) && out) {
      tagSeq.add(tag);
      for (int k = 0; k < out->Size(); ++k) {
        const int index = IndexOf(out->At(k));
        tagSeq.add(index);
        tagBag.add(tag, index);
      }
      tagItems += static_cast<uint64_t>(out->Size());
    }
    delete out;
  }
  wl::check("tags_items", tagItems);
  wl::check("tags_bag", tagBag.h);
  wl::check("tags_seq", tagSeq.h);
}

void CheckRemoval(const Host& h) {
  wl::SeqHash survivors;
  uint64_t viewEntries = 0, capEntries = 0, basicEntries = 0;
  const Objects* tps = h.set->GetTPSList();
  for (int i = 0; i < tps->Size(); ++i) {
    survivors.add(IndexOf(tps->At(i)));
    KROComPtr<KROITPSLightModel> a;
    tps->At(i)->QueryInterface(IID_KROITPSLightModel, a.Put());
    Objects* dims = nullptr;
    // Only annotations with a text have a basic-dimension list; asking the others builds none.
    KROWChar* text = nullptr;
    if (SUCCEEDED(a->GetAttributes(&text)) && text && text[0] && SUCCEEDED(a->GetBasicDim(&dims)) &&
        dims)
      basicEntries += static_cast<uint64_t>(dims->Size());
    delete[] text;
  }
  Objects* views = nullptr;
  Objects* captures = nullptr;
  h.set->GetViewList(&views);
  h.set->GetCaptureList(&captures);
  for (int k = 0; k < views->Size(); ++k) {
    KROComPtr<KROITPSLightView> view;
    views->At(k)->QueryInterface(IID_KROITPSLightView, view.Put());
    if (const Objects* own = view->GetTPSList()) viewEntries += static_cast<uint64_t>(own->Size());
  }
  for (int k = 0; k < captures->Size(); ++k) {
    KROComPtr<KROITPSLightCapture> capture;
    captures->At(k)->QueryInterface(IID_KROITPSLightCapture, capture.Put());
    Objects* own = nullptr;
    if (SUCCEEDED(capture->GetTPSs(&own)) && own) capEntries += static_cast<uint64_t>(own->Size());
  }
  wl::check("remove_survivors", survivors.h);
  wl::check("remove_links", viewEntries << 40 | capEntries << 20 | basicEntries);
}

int Run(const wl::Args& args) {
  wl::prefaultHeap(args.prefaultMb);
  const wl::Model m = wl::makeModel(args.N, args.seed);
  KROVZBDocumentComponent* doc = MakeDocument(m);
  const long rssBefore = wl::currentRssKb();
  std::size_t sink = 0;

  auto host = std::make_unique<Host>();
  double t0 = wl::nowNs();
  Build(*host, m);
  double t1 = wl::nowNs();
  wl::phase("build", t1 - t0, double(m.objects()));
  const long rssModel = wl::currentRssKb();

  t0 = wl::nowNs();
  host->set->SetDocument(doc);
  host->services->GenerateAllReps();
  const double tMid = wl::nowNs();
  host->services->GenerateAll2DReps();
  t1 = wl::nowNs();
  wl::phase("bind", t1 - t0, double(m.reps()));
  wl::info("sub bind3d_ns_per_rep", (tMid - t0) / double(m.N + m.V + m.G + m.C));
  wl::info("sub bind2d_ns_per_rep", (t1 - tMid) / double(m.N));

  t0 = wl::nowNs();
  for (int code = 0; code < wl::kTypeCodes; ++code) {
    Objects* out = nullptr;
    host->services->RetrieveLightTPSsType(static_cast<unsigned short>(code), &out);
    sink += out ? static_cast<std::size_t>(out->Size()) : 0;
    delete out;
  }
  t1 = wl::nowNs();
  wl::phase("select", t1 - t0, double(m.N));

  // Each answer in a list of its own, which the caller frees (the limit clears one vector).
  for (const char* round : {"tags_all", "tags_cached"}) {
    t0 = wl::nowNs();
    for (int tag = 1; tag <= m.F; ++tag) {
      Objects* out = nullptr;
      if (SUCCEEDED(host->services->GetListOfAnnotationsWithZORTag(tag, &out)) && out)
        sink += static_cast<std::size_t>(out->Size());
      delete out;
    }
    t1 = wl::nowNs();
    wl::phase(round, t1 - t0, double(m.F));
  }

  CheckBinding(*host);
  CheckAnswers(*host, m);

  std::vector<KROBaseUnknown*> gone;
  const Objects* tps = host->set->GetTPSList();
  for (int pos : m.removed)
    gone.push_back(tps->At(pos));
  t0 = wl::nowNs();
  for (KROBaseUnknown* annotation : gone)
    host->set->RemoveTPS(annotation);
  t1 = wl::nowNs();
  wl::phase("remove", t1 - t0, double(m.R));

  CheckRemoval(*host);

  t0 = wl::nowNs();
  host.reset();
  t1 = wl::nowNs();
  wl::phase("teardown", t1 - t0, double(m.objects() - size_t(m.R)));
  doc->Release();

  wl::info("model_bytes_per_annotation", double(rssModel - rssBefore) * 1024.0 / m.N);
  std::printf("peak_rss_kb %ld\n", wl::peakRssKb());
  std::printf("# sink %zu\n", sink);
  std::printf("# live_components %ld\n", KROBaseUnknown::LiveCount());
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const wl::Args args = wl::parseArgs(argc, argv);
  if (args.selfcheck) {
    std::printf("selfcheck: the library's suite is its check (ctest)\n");
    return 0;
  }
  return Run(args);
}
