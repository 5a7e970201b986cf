// KRORenderModel.cpp - what the renderer takes from a light model: annotations with the
// polylines of their reps, and the cameras of captures. Read through the interfaces only.
#include "KRORender.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightView.h"
#include "KROPolylineRep.h"

namespace {

// Deep enough for any rep tree a document can hold.
constexpr int kMaxDepth = 32;

/// Appends the polylines of every KRO3DPolylineRep in the tree under `rep`.
void CollectLines(const KRORep* rep, std::vector<std::vector<KRORenderVec>>& lines, int depth) {
  if (!rep || depth > kMaxDepth) return;
  if (const auto* polylines = dynamic_cast<const KRO3DPolylineRep*>(rep))
    for (const KROPolyline3D& line : polylines->GetPolylines())
      if (line.size() >= 2) lines.emplace_back(line.begin(), line.end());
  if (const list<KRORep>* children = rep->GetChildren())
    for (int i = 0; i < children->Size(); ++i)
      CollectLines(children->At(i), lines, depth + 1);
}

} // namespace

std::vector<KRORenderAnnotation> KRORenderAnnotationsOf(KROITPSLightSet* set) {
  std::vector<KRORenderAnnotation> out;
  list<KROBaseUnknown>* tpss = set ? set->GetTPSList() : nullptr;
  for (int i = 0; tpss && i < tpss->Size(); ++i) {
    KROBaseUnknown* item = tpss->At(i);
    KROComPtr<KROITPSLight> light;
    KROComPtr<KROITPSLightModel> model;
    if (!item || FAILED(item->QueryInterface(IID_KROITPSLight, light.Put())) ||
        FAILED(item->QueryInterface(IID_KROITPSLightModel, model.Put())))
      continue;
    KRORenderAnnotation a;
    a.id = i + 1;
    unsigned short type = 0, super = 0;
    light->GetType(&type);
    model->GetSuperType(&super);
    a.kind = super == 3   ? KRORenderAnnotation::Kind::Tolerance
             : super == 2 ? (type == 6 ? KRORenderAnnotation::Kind::DatumTarget
                                       : KRORenderAnnotation::Kind::Datum)
                          : KRORenderAnnotation::Kind::Dimension;
    KRORep* rep = nullptr;
    if (SUCCEEDED(light->GetRep(&rep))) CollectLines(rep, a.lines, 0);
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
  }
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
