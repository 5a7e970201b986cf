// KROStepVizDocument.cpp - the visualization document of an imported model, and its binding.
///
/// The document holds, under "V4V5_FDT" (KROTPSLightContainerNames.h):
///   KROTPSTPSCont    one KRO3DBagRep per annotation, in the set's order, holding a
///                    KRO3DPolylineRep of its graphic PMI's lines and a KRO3DTriangleRep of
///                    its filled triangles (no child for what it has none of);
///   KROTPSTPS2DCont  indexed by annotation index: a KRO2DBagRep holding the graphic in its
///                    annotation plane's coordinates (empty without plane or graphic);
///   KROTPSCapCont    indexed by capture index: a KRO3DBagRep per capture, labelled with its name.
/// The set is given the document and binds it through its own generate calls, as any host does;
/// the set only borrows the document, so the result keeps it.
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightSetServices.h"
#include "KROIndexedStreamWriter.h"
#include "KROPolylineRep.h"
#include "KROStepPmi.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROTriangleRep.h"

#include <memory>

namespace {

struct RepDestroyer {
  void operator()(KRORep* rep) const {
    if (rep) rep->Destroy();
  }
};
using RepHolder = std::unique_ptr<KRORep, RepDestroyer>;

double Dot(const KROStepVec& a, const KROStepVec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

/// Adds `child` to `bag`, or destroys it; false when out of memory.
template <class Bag> bool Adopt(Bag& bag, KRORep* child) {
  if (!child) return false;
  if (bag.AddChild(*child)) return true;
  child->Destroy();
  return false;
}

/// Triangle corners (three per triangle) as points and index triples, shared corners once.
template <class Point, class Map>
void Indexed(const std::vector<KROStepVec>& corners, Map&& map, std::vector<Point>& points,
             std::vector<KROTriangle>& triangles) {
  points.reserve(corners.size());
  triangles.reserve(corners.size() / 3);
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    KROTriangle t{};
    for (std::size_t k = 0; k < 3; ++k) {
      t[k] = static_cast<int>(points.size());
      points.push_back(map(corners[i + k]));
    }
    triangles.push_back(t);
  }
}

/// Adds the annotation's graphic to `bag`: a `Lines` rep of its polylines and a `Fill` rep of its
/// filled triangles, each point mapped by `map` (no child for what it has none of); children
/// are labelled `label` when it is not empty. False when out of memory.
template <class Lines, class Fill, class Bag, class Map>
bool AddGraphic(Bag& bag, const KROStepObject& o, Map&& map, const std::string& label) {
  using Point = decltype(map(KROStepVec{}));
  if (!o.graphic.empty()) {
    std::vector<std::vector<Point>> mapped;
    mapped.reserve(o.graphic.size());
    for (const auto& line : o.graphic) {
      std::vector<Point> l;
      l.reserve(line.size());
      for (const KROStepVec& q : line)
        l.push_back(map(q));
      mapped.push_back(std::move(l));
    }
    auto* lines = new (nullptr, nullptr, 0) Lines();
    if (lines) {
      if (!label.empty()) lines->SetLabel(label);
      lines->SetPolylines(std::move(mapped));
    }
    if (!Adopt(bag, lines)) return false;
  }
  if (o.triangles.size() >= 3) {
    auto* fill = new (nullptr, nullptr, 0) Fill();
    if (fill) {
      std::vector<Point> points;
      std::vector<KROTriangle> triangles;
      Indexed(o.triangles, map, points, triangles);
      if (!label.empty()) fill->SetLabel(label);
      fill->SetTriangles(std::move(points), std::move(triangles));
    }
    if (!Adopt(bag, fill)) return false;
  }
  return true;
}

/// The annotation's 3D rep: a bag with its graphic (its polylines, then its filled triangles).
/// Null when out of memory.
RepHolder Rep3D(const KROStepObject& o, int id) {
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  RepHolder holder(bag);
  if (!bag) return holder;
  bag->SetLabel("annotation " + std::to_string(id));
  auto point = [](const KROStepVec& q) { return KROPoint3D{q[0], q[1], q[2]}; };
  if (!AddGraphic<KRO3DPolylineRep, KRO3DTriangleRep>(*bag, o, point, KROStepKindName(o.kind)))
    return nullptr;
  return holder;
}

/// The annotation's 2D rep: its graphic in the (x, y) coordinates of its plane.
RepHolder Rep2D(const KROStepObject& o, int id) {
  auto* bag = new (nullptr, nullptr, 0) KRO2DBagRep();
  RepHolder holder(bag);
  if (!bag) return holder;
  bag->SetLabel("annotation " + std::to_string(id));
  if ((o.graphic.empty() && o.triangles.size() < 3) || !o.plane) return holder;
  const KROStepPlane& p = *o.plane;
  const KROStepVec y = {p.normal[1] * p.xDirection[2] - p.normal[2] * p.xDirection[1],
                        p.normal[2] * p.xDirection[0] - p.normal[0] * p.xDirection[2],
                        p.normal[0] * p.xDirection[1] - p.normal[1] * p.xDirection[0]};
  auto flat = [&](const KROStepVec& q) {
    const KROStepVec d = {q[0] - p.origin[0], q[1] - p.origin[1], q[2] - p.origin[2]};
    return KROPoint2D{Dot(d, p.xDirection), Dot(d, y)};
  };
  if (!AddGraphic<KRO2DPolylineRep, KRO2DTriangleRep>(*bag, o, flat, std::string())) return nullptr;
  return holder;
}

bool Write(KROStreamWriter& w, const RepHolder& rep) { return rep && SUCCEEDED(w.WriteRep(*rep)); }

/// Writes `rep` as the entry of `index` in an indexed stream.
bool Write(KROIndexedStreamWriter& w, int index, const RepHolder& rep) {
  return rep && SUCCEEDED(w.WriteRep(index, *rep));
}

void Warn(KROStepImportResult& r, std::string text) {
  r.messages.push_back({KROStepMessage::Severity::Warning, std::move(text)});
}

} // namespace

void KROStepBindReps(KROStepPmi& pmi, KROStepImportResult& r) {
  r.geometry = std::move(pmi.geometry);
  list<KROBaseUnknown>* tpss = r.set->GetTPSList();
  const int count = tpss ? tpss->Size() : 0;
  // The set's annotations are the objects the builder could create, in order: pair them by
  // their labels, which the builder copied.
  std::vector<const KROStepObject*> objectOf;
  std::size_t next = 0;
  for (const KROStepObject& o : pmi.objects)
    if (next < r.annotations.size() && r.annotations[next].labels == o.labels) {
      objectOf.push_back(&o);
      ++next;
    }
  if (static_cast<int>(objectOf.size()) != count) {
    Warn(r, "annotations and the model disagree; no reps are bound");
    return;
  }

  KROStreamWriter reps;
  reps.WriteInt(count);
  KROIndexedStreamWriter reps2D(count);
  bool good = true;
  for (int i = 0; i < count; ++i) {
    // The 2D stream finds each annotation by its index: give it its id.
    KROComPtr<KROITPSLight> light;
    if (tpss->At(i) && SUCCEEDED(tpss->At(i)->QueryInterface(IID_KROITPSLight, light.Put())))
      light->SetIndex(i + 1);
    good = Write(reps, Rep3D(*objectOf[static_cast<std::size_t>(i)], i + 1)) && good;
    good = Write(reps2D, i + 1, Rep2D(*objectOf[static_cast<std::size_t>(i)], i + 1)) && good;
  }
  list<KROBaseUnknown>* captures = nullptr;
  r.set->GetCaptureList(&captures);
  const int captureCount = captures ? captures->Size() : 0;
  KROIndexedStreamWriter captureReps(captureCount);
  for (int i = 0; i < captureCount; ++i) {
    auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
    RepHolder holder(bag);
    if (bag && i < static_cast<int>(pmi.views.size()))
      bag->SetLabel(pmi.views[static_cast<std::size_t>(i)].name);
    good = Write(captureReps, i + 1, holder) && good; // capture i has index i + 1 (the builder's)
  }
  KRODocumentBuilder builder;
  builder.SetStream(KROTPSContainers::kAnnotationsPath, reps.TakeBytes())
      .SetStream(KROTPSContainers::kAnnotations2DPath, reps2D.TakeBytes())
      .SetStream(KROTPSContainers::kCapturesPath, captureReps.TakeBytes());
  r.document = KROComPtr<KROVZBDocumentComponent>::Attach(good ? builder.Build() : nullptr);
  if (!r.document) {
    Warn(r, "out of memory while writing the visualization document; no reps are bound");
    return;
  }
  r.set->SetDocument(r.document.Get());
  auto services = r.set.As<KROITPSLightSetServices>();
  if (!services || FAILED(services->GenerateAllReps()) || FAILED(services->GenerateAll2DReps()) ||
      FAILED(services->GenerateAllCapturesReps()))
    Warn(r, "the set did not bind every rep of its document");
}
