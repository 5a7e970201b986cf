// KROPmiModel.cpp - reads the model back through its interfaces.
#include "KROPmiModel.h"

#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightView.h"

namespace {

/// Takes over a text the kernel handed out.
std::string Take(KROWChar* text) {
  std::string s = text ? KROStepUtf8(text) : std::string();
  delete[] text;
  return s;
}

nlohmann::json Vec(const std::array<double, 3>& v) { return {v[0], v[1], v[2]}; }

} // namespace

KROPmiModel::KROPmiModel(const KROStepImportResult& r)
    : r_(r), broker_(r.set.As<KROITPSIdBroker>()), services_(r.set.As<KROITPSLightSetServices>()) {
  list<KROBaseUnknown>* captures = nullptr;
  if (r_.set) r_.set->GetCaptureList(&captures);
  KROForEachAs<KROITPSLightCapture>(
      captures, [&](const KROComPtr<KROITPSLightCapture>& capture, int i) {
        KROPmiCapture c;
        c.capture = capture;
        c.id = i + 1;
        KROITPSLightCapture* k = c.capture.Get();
        k->GetOrigin(&c.origin[0], &c.origin[1], &c.origin[2]);
        k->GetDirection(&c.direction[0], &c.direction[1], &c.direction[2]);
        k->GetZenith(&c.zenith[0], &c.zenith[1], &c.zenith[2]);
        k->GetTarget(&c.target[0], &c.target[1], &c.target[2]);
        int camera = 0;
        k->GetCameraType(&camera);
        c.central = camera == 1;
        k->GetClippingPlane(&c.clipping);
        KROWChar* name = nullptr;
        KROWChar* uuid = nullptr;
        auto light = c.capture.As<KROITPSLight>();
        light->GetName(&name);
        light->GetUUId(&uuid);
        c.name = Take(name);
        c.label = Take(uuid);
        list<KROBaseUnknown>* tpss = nullptr;
        list<KROBaseUnknown>* views = nullptr;
        k->GetTPSs(&tpss);
        k->GetTPSViews(&views);
        c.annotations = Ids(tpss, kKROPmiAnnotation);
        c.views = Ids(views, kKROPmiView);
        for (const KROStepCapture& s : r_.captures)
          if (s.index == c.id) c.info = &s;
        captures_.push_back(std::move(c));
      });
  for (const KROStepAnnotation& a : r_.annotations)
    annotations_.push_back(Annotation(a));
}

int KROPmiModel::Id(KROBaseUnknown* object, int kind) const {
  int id = -1;
  if (!object || !broker_ || FAILED(broker_->GetIdForObject(object, kind, &id)) || id < 0) return 0;
  return id + 1;
}

KROBaseUnknown* KROPmiModel::Object(int id, int kind) const {
  KROBaseUnknown* object = nullptr;
  if (!broker_ || FAILED(broker_->GetObjectFromId(id, kind, &object)) || !object) return nullptr;
  object->Release(); // the set's list keeps it alive
  return object;
}

std::vector<int> KROPmiModel::Ids(list<KROBaseUnknown>* items, int kind) const {
  std::vector<int> ids;
  for (int i = 0; items && i < items->Size(); ++i)
    if (int id = Id((*items)[i], kind)) ids.push_back(id);
  return ids;
}

std::vector<int> KROPmiModel::Touching(int tag) const {
  list<KROBaseUnknown>* found = nullptr;
  if (!services_) return {};
  services_->GetListOfAnnotationsWithZORTag(tag, &found);
  std::vector<int> ids = Ids(found, kKROPmiAnnotation);
  delete found;
  return ids;
}

nlohmann::json KROPmiModel::Annotation(const KROStepAnnotation& a) const {
  nlohmann::json j;
  j["id"] = a.id;
  j["kind"] = KROStepKindName(a.kind);
  KROBaseUnknown* object = Object(a.id, kKROPmiAnnotation);
  KROComPtr<KROITPSLight> l;
  KROComPtr<KROITPSLightModel> m;
  if (object) {
    object->QueryInterface(IID_KROITPSLight, l.Put());
    object->QueryInterface(IID_KROITPSLightModel, m.Put());
  }
  unsigned short type = 0, super = 0;
  double value = 0;
  KROWChar* name = nullptr;
  KROWChar* text = nullptr;
  KROWChar* uuid = nullptr;
  int frame = 0;
  if (l) {
    l->GetType(&type);
    l->GetName(&name);
    l->GetUUId(&uuid);
  }
  if (m) {
    m->GetSuperType(&super);
    m->GetValue(&value);
    m->GetAttributes(&text);
    m->GetRefFrameLinkID(&frame);
  }
  j["type"] = type;
  j["super_type"] = super;
  j["name"] = Take(name);
  j["value"] = a.hasValue ? nlohmann::json(value) : nlohmann::json(nullptr);
  j["text"] = Take(text);
  j["pmi"] = a.pmi;
  j["tags"] = a.tags;
  j["label"] = Take(uuid);
  j["labels"] = a.labels;
  j["frame"] = frame == 0 ? nlohmann::json(nullptr) : nlohmann::json(frame);
  KROComPtr<KROITPSLightView> view;
  if (m && SUCCEEDED(m->GetLightView(view.PutTyped())) && view) {
    KROComPtr<KROBaseUnknown> base;
    view->QueryInterface(CLSID_KROBaseUnknown, base.Put());
    j["view"] = Id(base.Get(), kKROPmiView);
  } else {
    j["view"] = nullptr;
  }
  j["recovered"] = !a.recovered.empty();
  if (!a.recovered.empty()) {
    j["recovered_what"] = a.recovered;
    j["recovery_reason"] = a.recoveryReason;
  }
  j["file_entity"] = a.fileEntity == 0 ? nlohmann::json(nullptr) : nlohmann::json(a.fileEntity);
  if (a.graphic)
    j["graphic"] = {{"polylines", a.graphic->polylines},
                    {"points", a.graphic->points},
                    {"triangles", a.graphic->triangles},
                    {"box", {{"min", a.graphic->min}, {"max", a.graphic->max}}}};
  return j;
}

nlohmann::json KROPmiModel::Frames() const {
  nlohmann::json out = nlohmann::json::array();
  for (const KROStepFrame& f : r_.frames)
    out.push_back({{"id", f.id}, {"text", f.text}, {"pmi", f.pmi}, {"datums", f.datums}});
  return out;
}

nlohmann::json KROPmiModel::Views() const {
  nlohmann::json out = nlohmann::json::array();
  list<KROBaseUnknown>* views = nullptr;
  if (r_.set) r_.set->GetViewList(&views);
  KROForEachAs<KROITPSLightView>(views, [&](const KROComPtr<KROITPSLightView>& v, int i) {
    std::array<double, 3> o{}, x{}, y{};
    v->GetPlaneOrigin(&o[0], &o[1], &o[2]);
    v->GetFirstPlaneDirect(&x[0], &x[1], &x[2]);
    v->GetSecondPlaneDirect(&y[0], &y[1], &y[2]);
    KROWChar* name = nullptr;
    v.As<KROITPSLight>()->GetName(&name);
    out.push_back({{"id", Id((*views)[i], kKROPmiView)},
                   {"name", Take(name)},
                   {"origin", Vec(o)},
                   {"x_direction", Vec(x)},
                   {"y_direction", Vec(y)},
                   {"annotations", Ids(v->GetTPSList(), kKROPmiAnnotation)}});
  });
  return out;
}

const KROPmiCapture* KROPmiModel::FindCapture(const std::string& which) const {
  for (const KROPmiCapture& c : captures_)
    if (c.name == which) return &c;
  for (const KROPmiCapture& c : captures_)
    if (std::to_string(c.id) == which) return &c;
  return nullptr;
}

nlohmann::json KROPmiModel::CapturesJson() const {
  nlohmann::json out = nlohmann::json::array();
  for (const KROPmiCapture& c : captures_) {
    const bool recovered = c.info && c.info->recovered;
    out.push_back(
        {{"id", c.id},
         {"recovered", recovered},
         {"recovery_reason",
          recovered ? nlohmann::json(c.info->recoveryReason) : nlohmann::json(nullptr)},
         {"file_entity", recovered ? nlohmann::json(c.info->fileEntity) : nlohmann::json(nullptr)},
         {"name", c.name},
         {"label", c.label},
         {"origin", Vec(c.origin)},
         {"direction", Vec(c.direction)},
         {"zenith", Vec(c.zenith)},
         {"target", Vec(c.target)},
         {"camera", c.central ? "central" : "parallel"},
         {"clipping", c.clipping},
         {"annotations", c.annotations},
         {"views", c.views}});
  }
  return out;
}

int KROPmiModel::Count(HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**)) const {
  list<KROBaseUnknown>* items = nullptr;
  if (r_.set) (r_.set.Get()->*get)(&items);
  return items ? items->Size() : 0;
}
