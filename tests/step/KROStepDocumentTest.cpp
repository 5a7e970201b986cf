// KROStepDocumentTest.cpp - the visualization document the importer writes: every annotation's
// graphic PMI bound as its reps through the set's own binding. (Geometry reps through document
// files: KROPolylineRepTest and KROTriangleRepTest; the importer's document through --save and --reps:
// KROStepPicturesTest.)
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightView.h"
#include "KROPolylineRep.h"
#include "KROTriangleRep.h"

#include <cmath>
#include <set>

namespace {

class KROStepDocumentTest : public KROStepScratchTest {};

KROComPtr<KROITPSLightModel> Annotation(const KROStepImportResult& r, int id) {
  KROComPtr<KROBaseUnknown> object;
  r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
  return object.As<KROITPSLightModel>();
}

/// The child of type `Rep` of annotation `id`'s bound 3D rep (null when none).
template <class Rep>
const Rep* Child(const KROStepImportResult& r, int id, std::string* label = nullptr) {
  KRORep* rep = nullptr;
  if (FAILED(Annotation(r, id).As<KROITPSLight>()->GetRep(&rep)) || !rep) return nullptr;
  if (label) *label = rep->GetLabel();
  const list<KRORep>* children = rep->GetChildren();
  for (int i = 0; children && i < children->Size(); ++i)
    if (const auto* c = dynamic_cast<const Rep*>(children->At(i))) return c;
  return nullptr;
}

/// The child of type `Rep` of a 2D rep (null when none).
template <class Rep> const Rep* Child2D(KRO2DRep* rep) {
  const list<KRORep>* children = rep ? rep->GetChildren() : nullptr;
  for (int i = 0; children && i < children->Size(); ++i)
    if (const auto* c = dynamic_cast<const Rep*>(children->At(i))) return c;
  return nullptr;
}

/// Checks that every annotation of the part at `path` carries, in its bound reps, what the file's
/// callouts draw for it, and that every callout the file draws is drawn by some annotation.
/// Returns how many annotations draw.
int CheckDrawings(const std::string& path) {
  std::set<int> callouts;
  const std::map<int, KROStepFileDrawing> drawings =
      KROStepFileDrawings(KROStepReadFileText(path), &callouts);
  KROStepImportResult r = KROStepImportFile(path);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.document) << "the result hands the document to the host";
  if (!r.ok || !r.document) return 0;
  int drawn = 0, expectedDrawn = 0;
  std::set<int> covered;
  for (const KROStepAnnotation& a : r.annotations) {
    SCOPED_TRACE("annotation " + std::to_string(a.id) + " #" + std::to_string(a.fileEntity));
    auto it = drawings.find(a.fileEntity);
    const KROStepFileDrawing file = it == drawings.end() ? KROStepFileDrawing() : it->second;
    std::string label;
    const auto* lines = Child<KRO3DPolylineRep>(r, a.id, &label);
    const auto* fill = Child<KRO3DTriangleRep>(r, a.id);
    const int triangles = fill ? static_cast<int>(fill->GetTriangles().size()) : 0;
    // Bound from the document by the set, not handed over by the importer.
    EXPECT_EQ(label, "annotation " + std::to_string(a.id));
    EXPECT_EQ(lines ? static_cast<int>(lines->GetPolylines().size()) : 0, file.curves);
    if (file.fills == 0)
      EXPECT_EQ(triangles, file.triangles);
    else
      EXPECT_GE(triangles, file.triangles + file.fills); // the mesher's, one or more each
    const bool draws = file.curves + file.triangles + file.fills > 0;
    EXPECT_EQ(a.graphic.has_value(), draws);
    if (a.graphic) {
      EXPECT_EQ(a.graphic->polylines, file.curves);
      EXPECT_EQ(a.graphic->triangles, triangles);
      covered.insert(file.drawnBy.begin(), file.drawnBy.end());
    }
    expectedDrawn += draws ? 1 : 0;
    if (!lines && !fill) continue;
    ++drawn;

    // The 2D rep is the same graphic in its plane's coordinates.
    KROComPtr<KROITPSLightModel> tps = Annotation(r, a.id);
    KROComPtr<KROITPSLightView> view;
    KRO2DRep* rep2D = nullptr;
    if (FAILED(tps->GetLightView(view.PutTyped())) || !view) continue;
    EXPECT_EQ(tps->Get2DRep(&rep2D), S_OK);
    const auto* flatFill = Child2D<KRO2DTriangleRep>(rep2D);
    EXPECT_EQ(flatFill ? static_cast<int>(flatFill->GetTriangles().size()) : 0, triangles);
    if (!lines) continue;
    const auto* flat = Child2D<KRO2DPolylineRep>(rep2D);
    EXPECT_NE(flat, nullptr);
    if (!flat) continue;
    EXPECT_EQ(flat->GetPolylines().size(), lines->GetPolylines().size());
    double o[3], x[3], y[3];
    view->GetPlaneOrigin(&o[0], &o[1], &o[2]);
    view->GetFirstPlaneDirect(&x[0], &x[1], &x[2]);
    view->GetSecondPlaneDirect(&y[0], &y[1], &y[2]);
    const KROPoint3D& p = lines->GetPolylines()[0][0];
    const KROPoint2D& q = flat->GetPolylines()[0][0];
    const double d[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
    EXPECT_NEAR(q[0], d[0] * x[0] + d[1] * x[1] + d[2] * x[2], 1e-9);
    EXPECT_NEAR(q[1], d[0] * y[0] + d[1] * y[1] + d[2] * y[2], 1e-9);
  }
  EXPECT_EQ(drawn, expectedDrawn);
  EXPECT_EQ(covered, callouts) << "every callout the file draws is drawn by an annotation";
  return drawn;
}

} // namespace

// Every annotation's bound rep carries what the file's callouts draw for it, counted from the
// file's own records: a polyline per curve of its tessellated curve sets and polylines, and its
// filled triangles; the 2D rep the same in its annotation plane. On every bundled part.
TEST_F(KROStepDocumentTest, EveryAnnotationCarriesWhatTheFileDrawsForItThroughTheDocument) {
  for (const char* part : {kCTC01, kCTC03, kCTC04, kFTC07}) {
    SCOPED_TRACE(part);
    EXPECT_GE(CheckDrawings(KROStepData(part)), 20);
  }
}

// Graphic-only PMI: CTC-01 with every draughting model item association taken out, so that no
// callout presents semantic PMI. Each callout becomes an annotation of the presentation-only type,
// named as the callout is, drawing what the file says, in its annotation plane and in the saved
// view whose draughting model holds it.
TEST_F(KROStepDocumentTest, CalloutsThatPresentNoPmiAreAnnotationsOfTheirOwn) {
  const KROStepFileText file = KROStepReadFileText(KROStepData(kCTC01));
  std::map<int, std::string> edits;
  for (int link : file.With("DRAUGHTING_MODEL_ITEM_ASSOCIATION("))
    edits[link] = "DESCRIPTIVE_REPRESENTATION_ITEM('taken out','')";
  ASSERT_GE(edits.size(), 20u);
  const std::string path = Out("graphic-only.stp");
  ASSERT_TRUE(KROStepEditedCopy(kCTC01, edits, path));
  std::set<int> callouts;
  KROStepFileDrawings(KROStepReadFileText(path), &callouts);
  EXPECT_EQ(CheckDrawings(path), static_cast<int>(callouts.size()));

  const KROStepImportResult r = KROStepImportFile(path);
  ASSERT_TRUE(r.ok);
  std::set<int> shown;
  for (const KROStepCapture& c : r.captures)
    shown.insert(c.annotations.begin(), c.annotations.end());
  int graphicOnly = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    if (!callouts.count(a.fileEntity)) continue;
    SCOPED_TRACE(a.pmi);
    ++graphicOnly;
    EXPECT_EQ(a.kind, KROStepAnnotation::Kind::Note);
    EXPECT_TRUE(a.tags.empty());
    const std::string quoted = file.Param(a.fileEntity, "DRAUGHTING_CALLOUT", 1);
    const std::string name = quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : "";
    EXPECT_EQ(a.pmi, name.empty() ? "callout" : name);
    KROComPtr<KROITPSLightView> view;
    EXPECT_EQ(Annotation(r, a.id)->GetLightView(view.PutTyped()), S_OK);
    EXPECT_TRUE(view) << "in its annotation plane";
    EXPECT_TRUE(shown.count(a.id)) << "in the saved view that holds it";
  }
  EXPECT_EQ(graphicOnly, static_cast<int>(callouts.size()));
}

TEST_F(KROStepDocumentTest, CapturesAreBoundAndThePartIsMeshedForDrawing) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  list<KROBaseUnknown>* captures = nullptr;
  r.set->GetCaptureList(&captures);
  ASSERT_EQ(captures->Size(), 1);
  KROComPtr<KROITPSLight> capture;
  ASSERT_EQ(captures->At(0)->QueryInterface(IID_KROITPSLight, capture.Put()), S_OK);
  KRORep* rep = nullptr;
  ASSERT_EQ(capture->GetRep(&rep), S_OK);
  EXPECT_EQ(rep->GetLabel(), "MBD_0");
  // Geometry for drawing: every face of the solid meshed, every edge a polyline but the few
  // degenerate ones (cone apexes), each under its own tag.
  EXPECT_EQ(static_cast<int>(r.geometry.faces.size()), r.parts[0].faceCount);
  EXPECT_GT(static_cast<int>(r.geometry.edges.size()), r.parts[0].edgeCount * 98 / 100);
  for (const KROStepTagGeometry& f : r.geometry.faces) {
    EXPECT_EQ(f.points.size() % 3, 0u);
    ASSERT_NE(r.FindTag(f.tag), nullptr);
    EXPECT_EQ(r.FindTag(f.tag)->kind, KROStepTag::Kind::Face);
  }
  for (const KROStepTagGeometry& e : r.geometry.edges) {
    ASSERT_NE(r.FindTag(e.tag), nullptr);
    EXPECT_EQ(r.FindTag(e.tag)->kind, KROStepTag::Kind::Edge);
  }
}
