// KROStepDocumentTest.cpp - the visualization document the importer writes: every annotation's
// graphic PMI bound as its reps through the set's own binding. (Geometry reps through document
// files: KROPolylineRepTest; the importer's document through --save and --reps:
// KROStepPicturesTest.)
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightView.h"
#include "KROPolylineRep.h"

#include <cmath>

namespace {

class KROStepDocumentTest : public KROTest {};

KROComPtr<KROITPSLightModel> Annotation(const KROStepImportResult& r, int id) {
  KROComPtr<KROBaseUnknown> object;
  r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
  return object.As<KROITPSLightModel>();
}

/// The bound 3D rep of annotation `id` and the polyline rep it holds (null when none).
const KRO3DPolylineRep* Lines(const KROStepImportResult& r, int id, std::string* label = nullptr) {
  KRORep* rep = nullptr;
  if (FAILED(Annotation(r, id).As<KROITPSLight>()->GetRep(&rep)) || !rep) return nullptr;
  if (label) *label = rep->GetLabel();
  const list<KRORep>* children = rep->GetChildren();
  return children && children->Size() == 1 ? dynamic_cast<const KRO3DPolylineRep*>(children->At(0))
                                           : nullptr;
}

/// Curves OCCT reads in the presentations of every label of the annotation.
int OcctCurves(const std::map<std::string, int>& curves, const KROStepAnnotation& a) {
  int n = 0;
  for (const std::string& l : a.labels) {
    auto it = curves.find(l);
    n += it == curves.end() ? 0 : it->second;
  }
  return n;
}

} // namespace

TEST_F(KROStepDocumentTest, EveryAnnotationCarriesItsGraphicPmiThroughTheDocument) {
  const std::map<std::string, int> curves = KROStepOcctPresentationCurves(KROStepData(kCTC04));
  ASSERT_FALSE(curves.empty());
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_TRUE(r.ok);
  ASSERT_TRUE(r.document) << "the result hands the document to the host";
  int drawn = 0, withGraphic = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    SCOPED_TRACE("annotation " + std::to_string(a.id));
    std::string label;
    const KRO3DPolylineRep* lines = Lines(r, a.id, &label);
    // Bound from the document by the set, not handed over by the importer.
    EXPECT_EQ(label, "annotation " + std::to_string(a.id));
    const int expected = OcctCurves(curves, a);
    withGraphic += expected > 0 ? 1 : 0;
    ASSERT_EQ(lines ? static_cast<int>(lines->GetPolylines().size()) : 0, expected);
    if (!lines) continue;
    ++drawn;

    // The 2D rep is the same graphic in its plane's coordinates.
    KROComPtr<KROITPSLightModel> tps = Annotation(r, a.id);
    KROComPtr<KROITPSLightView> view;
    KRO2DRep* rep2D = nullptr;
    if (FAILED(tps->GetLightView(view.PutTyped())) || !view) continue;
    ASSERT_EQ(tps->Get2DRep(&rep2D), S_OK);
    ASSERT_EQ(rep2D->GetChildren()->Size(), 1);
    const auto* flat = dynamic_cast<const KRO2DPolylineRep*>(rep2D->GetChildren()->At(0));
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
    // The file's graphic lies in its annotation plane, to the file's precision.
    const double n[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2],
                         x[0] * y[1] - x[1] * y[0]};
    EXPECT_LT(std::fabs(d[0] * n[0] + d[1] * n[1] + d[2] * n[2]), 1e-3);
  }
  EXPECT_EQ(drawn, withGraphic);
  EXPECT_GE(drawn, 20);
}

TEST_F(KROStepDocumentTest, APartWithoutGraphicPmiBindsEmptyRepsAndItsCaptures) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  for (const KROStepAnnotation& a : r.annotations) {
    std::string label;
    EXPECT_EQ(Lines(r, a.id, &label), nullptr);
    EXPECT_EQ(label, "annotation " + std::to_string(a.id));
  }
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
