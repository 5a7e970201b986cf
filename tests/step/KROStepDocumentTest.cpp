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

namespace {

class KROStepDocumentTest : public KROTest {};

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

} // namespace

// Every annotation's bound rep carries what the file's callouts draw for it, counted from the
// file's own records: a polyline per curve of its tessellated curve sets and polylines, and its
// filled triangles; the 2D rep the same in its annotation plane. On every bundled part.
TEST_F(KROStepDocumentTest, EveryAnnotationCarriesWhatTheFileDrawsForItThroughTheDocument) {
  for (const char* part : {kCTC01, kCTC03, kCTC04, kFTC07}) {
    SCOPED_TRACE(part);
    const std::map<int, KROStepFileDrawing> drawings =
        KROStepFileDrawings(KROStepReadFileText(KROStepData(part)));
    KROStepImportResult r = KROStepImportFile(KROStepData(part));
    ASSERT_TRUE(r.ok);
    ASSERT_TRUE(r.document) << "the result hands the document to the host";
    int drawn = 0, expectedDrawn = 0;
    for (const KROStepAnnotation& a : r.annotations) {
      SCOPED_TRACE("annotation " + std::to_string(a.id) + " #" + std::to_string(a.fileEntity));
      auto it = drawings.find(a.fileEntity);
      const KROStepFileDrawing file = it == drawings.end() ? KROStepFileDrawing() : it->second;
      std::string label;
      const auto* lines = Child<KRO3DPolylineRep>(r, a.id, &label);
      const auto* fill = Child<KRO3DTriangleRep>(r, a.id);
      // Bound from the document by the set, not handed over by the importer.
      EXPECT_EQ(label, "annotation " + std::to_string(a.id));
      EXPECT_EQ(lines ? static_cast<int>(lines->GetPolylines().size()) : 0, file.curves);
      EXPECT_EQ(fill ? static_cast<int>(fill->GetTriangles().size()) : 0, file.triangles);
      EXPECT_EQ(a.graphic.has_value(), file.curves + file.triangles > 0);
      if (a.graphic) {
        EXPECT_EQ(a.graphic->polylines, file.curves);
        EXPECT_EQ(a.graphic->triangles, file.triangles);
      }
      expectedDrawn += file.curves + file.triangles > 0 ? 1 : 0;
      if (!lines && !fill) continue;
      ++drawn;

      // The 2D rep is the same graphic in its plane's coordinates.
      KROComPtr<KROITPSLightModel> tps = Annotation(r, a.id);
      KROComPtr<KROITPSLightView> view;
      KRO2DRep* rep2D = nullptr;
      if (FAILED(tps->GetLightView(view.PutTyped())) || !view) continue;
      ASSERT_EQ(tps->Get2DRep(&rep2D), S_OK);
      const auto* flatFill = Child2D<KRO2DTriangleRep>(rep2D);
      EXPECT_EQ(flatFill ? flatFill->GetTriangles().size() : 0u,
                fill ? fill->GetTriangles().size() : 0u);
      if (!lines) continue;
      const auto* flat = Child2D<KRO2DPolylineRep>(rep2D);
      ASSERT_NE(flat, nullptr);
      ASSERT_EQ(flat->GetPolylines().size(), lines->GetPolylines().size());
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
    EXPECT_GE(drawn, 20);
  }
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
