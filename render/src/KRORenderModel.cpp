// KRORenderModel.cpp - what the renderer takes from a light model: annotations with the
// polylines and filled triangles of their reps, and the cameras of captures. Read through the
// interfaces only.
#include "KRORender.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightView.h"
#include "KROPolylineRep.h"
#include "KROTPSLightTypeCodes.h"
#include "KROTriangleRep.h"

namespace {

// Deep enough for any rep tree a document can hold.
constexpr int kMaxDepth = 32;

/// Appends to `a` the polylines of every KRO3DPolylineRep and the triangles of every
/// KRO3DTriangleRep in the tree under `rep`.
void CollectGraphic(const KRORep* rep, KRORenderAnnotation& a, int depth) {
  if (!rep || depth > kMaxDepth) return;
  if (const auto* polylines = dynamic_cast<const KRO3DPolylineRep*>(rep))
    for (const KROPolyline3D& line : polylines->GetPolylines())
      if (line.size() >= 2) a.lines.emplace_back(line.begin(), line.end());
  if (const auto* triangles = dynamic_cast<const KRO3DTriangleRep*>(rep)) {
    // A rep is checked when written, not when set: its indices may still leave its points.
    const std::vector<KROPoint3D>& points = triangles->GetPoints();
    const auto in = [&points](int i) {
      return i >= 0 && static_cast<std::size_t>(i) < points.size();
    };
    for (const KROTriangle& t : triangles->GetTriangles())
      if (in(t[0]) && in(t[1]) && in(t[2]))
        a.triangles.push_back({points[static_cast<std::size_t>(t[0])],
                               points[static_cast<std::size_t>(t[1])],
                               points[static_cast<std::size_t>(t[2])]});
  }
  if (const list<KRORep>* children = rep->GetChildren())
    for (int i = 0; i < children->Size(); ++i)
      CollectGraphic(children->At(i), a, depth + 1);
}

} // namespace

std::vector<KRORenderAnnotation> KRORenderAnnotationsOf(KROITPSLightSet* set) {
  std::vector<KRORenderAnnotation> out;
  list<KROBaseUnknown>* tpss = set ? set->GetTPSList() : nullptr;
  KROForEachAs<KROITPSLightModel>(tpss, [&](const KROComPtr<KROITPSLightModel>& model, int i) {
    const auto light = model.As<KROITPSLight>();
    if (!light) return;
    KRORenderAnnotation a;
    a.id = i + 1;
    unsigned short type = 0, super = 0;
    light->GetType(&type);
    model->GetSuperType(&super);
    a.kind = super == KROTPSSuperTypeGeometricTolerance ? KRORenderAnnotation::Kind::Tolerance
             : super == KROTPSSuperTypeDatum
                 ? (type == KROTPSTypeDatumTarget ? KRORenderAnnotation::Kind::DatumTarget
                                                  : KRORenderAnnotation::Kind::Datum)
                 : KRORenderAnnotation::Kind::Dimension;
    KRORep* rep = nullptr;
    if (SUCCEEDED(light->GetRep(&rep))) CollectGraphic(rep, a, 0);
    KROComPtr<KROITPSLightView> view;
    if (SUCCEEDED(model->GetLightView(view.PutTyped())) && view) {
      KRORenderVec o{};
      if (SUCCEEDED(view->GetPlaneOrigin(&o[0], &o[1], &o[2]))) a.marker = o;
      KRORenderVec x{}, y{};
      if (SUCCEEDED(view->GetFirstPlaneDirect(&x[0], &x[1], &x[2])) &&
          SUCCEEDED(view->GetSecondPlaneDirect(&y[0], &y[1], &y[2]))) {
        a.up = y;
        a.normal = KRORenderVec{x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2],
                                x[0] * y[1] - x[1] * y[0]};
      }
    }
    out.push_back(std::move(a));
  });
  return out;
}

KRORenderCamera KRORenderCameraOf(KROITPSLightCapture* capture) {
  KRORenderCamera c;
  if (!capture) return c;
  capture->GetOrigin(&c.origin[0], &c.origin[1], &c.origin[2]);
  capture->GetDirection(&c.direction[0], &c.direction[1], &c.direction[2]);
  capture->GetZenith(&c.zenith[0], &c.zenith[1], &c.zenith[2]);
  return c;
}
