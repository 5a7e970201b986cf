// KROStepModel.cpp - the kernel's side of the import: plain PMI to a light model.
///
/// Built as any host builds a model: through the factory and the interfaces. The set's lists own
/// the objects; this code keeps counted interface pointers only while it fills them in.
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KRORawColl.h"
#include "KROStepPmi.h"
#include "KROTPSLightContainer.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

/// The summary of what `o` draws: its counts and the box around it; none when it draws nothing.
std::optional<KROStepGraphic> GraphicOf(const KROStepObject& o) {
  if (o.graphic.empty() && o.triangles.empty()) return std::nullopt;
  KROStepGraphic g;
  bool first = true;
  auto grow = [&](const KROStepVec& p) {
    for (std::size_t i = 0; i < 3; ++i) {
      g.min[i] = first ? p[i] : std::min(g.min[i], p[i]);
      g.max[i] = first ? p[i] : std::max(g.max[i], p[i]);
    }
    first = false;
  };
  for (const auto& line : o.graphic) {
    ++g.polylines;
    g.points += static_cast<int>(line.size());
    for (const KROStepVec& p : line)
      grow(p);
  }
  g.triangles = static_cast<int>(o.triangles.size() / 3);
  for (const KROStepVec& p : o.triangles)
    grow(p);
  return g;
}

/// UTF-8 to the kernel's 16-bit text; a malformed byte becomes U+FFFD.
std::u16string Utf16(const std::string& s) {
  std::u16string out;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const unsigned char n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((n & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (n & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

KROBaseUnknown* Identity(KROBaseUnknown* object) {
  KROComPtr<KROBaseUnknown> base;
  if (!object || FAILED(object->QueryInterface(CLSID_KROBaseUnknown, base.Put()))) return nullptr;
  return base.Get(); // the set's list keeps the object alive
}

KROStepVec Cross(const KROStepVec& a, const KROStepVec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

bool Near(const KROStepVec& a, const KROStepVec& b, double tolerance) {
  for (int i = 0; i < 3; ++i)
    if (!(std::fabs(a[i] - b[i]) <= tolerance)) return false;
  return true;
}

void Warn(KROStepImportResult& r, std::string text) {
  r.messages.push_back({KROStepMessage::Severity::Warning, std::move(text)});
}

class KROStepModelBuilder {
public:
  KROStepModelBuilder(const KROStepPmi& pmi, KROStepImportResult& result)
      : pmi_(pmi), result_(result) {}

  bool Build() {
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory_.Put());
    container->Release();
    if (!factory_ || FAILED(factory_->CreateLightSet(result_.set.PutTyped(), nullptr)))
      return false;
    broker_ = result_.set.As<KROITPSIdBroker>();
    if (!broker_) return false;
    result_.parts = pmi_.parts;
    result_.cameras = pmi_.cameras;
    result_.units = pmi_.units;
    result_.tags = pmi_.tags;
    BuildTTRS();
    BuildAnnotations();
    BuildFrames();
    BuildViews();
    BuildCaptures();
    return true;
  }

private:
  // One TTRS per shape that reaches a tag; its index is its position among them, from 1.
  void BuildTTRS() {
    ttrsIndex_.assign(pmi_.shapes.size(), 0);
    int index = 0;
    for (std::size_t s = 0; s < pmi_.shapes.size(); ++s) {
      const KROStepShape& shape = pmi_.shapes[s];
      if (shape.tags.empty()) continue;
      KROComPtr<KROITPSLightTTRS> ttrs;
      if (FAILED(factory_->CreateLightTTRS(ttrs.PutTyped(), result_.set.Get()))) continue;
      auto light = ttrs.As<KROITPSLight>();
      light->SetIndex(++index);
      light->SetName(Utf16(shape.label).c_str());
      for (int tag : shape.tags) {
        auto* path = new KRORawCollint(2); // the TTRS owns it from AddGeomPathId on
        path->Append(shape.part + 1);
        path->Append(tag);
        if (FAILED(ttrs->AddGeomPathId(path))) delete path;
      }
      ttrsIndex_[s] = index;
    }
  }

  void BuildAnnotations() {
    annotations_.assign(pmi_.objects.size(), nullptr);
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& o = pmi_.objects[i];
      KROComPtr<KROITPSLightModel> tps;
      if (FAILED(factory_->CreateLightModel(tps.PutTyped(), result_.set.Get()))) {
        Warn(result_, "could not create the annotation " + o.name);
        continue;
      }
      auto light = tps.As<KROITPSLight>();
      light->SetType(o.type);
      light->SetName(Utf16(o.name).c_str());
      // A recovered annotation has no OCCT label: the file's entity id stands in.
      std::string uuid;
      if (!o.labels.empty()) {
        uuid = o.labels.front();
      } else if (o.fileEntity != 0) {
        uuid.assign(1, '#'); // appended, not concatenated: GCC 12 misreads "#" + s as overlapping
        uuid += std::to_string(o.fileEntity);
      }
      light->SetUUId(Utf16(uuid).c_str());
      if (o.hasValue) tps->SetValue(o.value);
      tps->SetAttributes(Utf16(o.text).c_str());
      KROStepAnnotation a;
      a.kind = o.kind;
      a.pmi = o.text;
      a.hasValue = o.hasValue;
      a.labels = o.labels;
      a.recovered = o.recovered;
      a.recoveryReason = o.recoveryReason;
      a.fileEntity = o.fileEntity;
      a.graphic = GraphicOf(o);
      for (int s : o.shapes) {
        if (ttrsIndex_[static_cast<std::size_t>(s)] == 0) continue;
        tps->AddTTRSLinkID(ttrsIndex_[static_cast<std::size_t>(s)]);
        const auto& tags = pmi_.shapes[static_cast<std::size_t>(s)].tags;
        a.tags.insert(a.tags.end(), tags.begin(), tags.end());
      }
      std::sort(a.tags.begin(), a.tags.end());
      a.tags.erase(std::unique(a.tags.begin(), a.tags.end()), a.tags.end());
      annotations_[i] = Identity(tps.Get());
      a.id = BrokerId(annotations_[i], 1);
      result_.annotations.push_back(std::move(a));
    }
  }

  /// The broker's id of an object, from 1 (the form link ids and attribute texts use).
  int BrokerId(KROBaseUnknown* object, int kind) const {
    int id = -1;
    if (!object || FAILED(broker_->GetIdForObject(object, kind, &id)) || id < 0) return 0;
    return id + 1;
  }

  // One frame per distinct ordered datum system, named by its datum references ("A|B Ⓜ|C").
  void BuildFrames() {
    std::map<std::string, std::size_t> frameOfKey;
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& tol = pmi_.objects[i];
      if (tol.datums.empty() || !annotations_[i]) continue;
      std::string key;
      for (const KROStepDatumRef& d : tol.datums)
        key += (key.empty() ? "" : "|") + d.text;
      auto it = frameOfKey.find(key);
      if (it == frameOfKey.end()) {
        KROComPtr<KROITPSLightRefFrame> frame;
        if (FAILED(factory_->CreateLightRefFrame(frame.PutTyped(), result_.set.Get()))) continue;
        frame->SetAttributes(Utf16(key).c_str());
        KROStepFrame f;
        f.text = key;
        f.pmi = tol.framePmi;
        if (f.pmi.empty())
          for (const KROStepDatumRef& d : tol.datums)
            f.pmi += (f.pmi.empty() ? "" : " | ") + d.text;
        for (const KROStepDatumRef& d : tol.datums) {
          KROBaseUnknown* datum = annotations_[static_cast<std::size_t>(d.feature)];
          if (!datum) continue;
          frame->AddDatumSimple(datum);
          for (int s : pmi_.objects[static_cast<std::size_t>(d.feature)].shapes)
            if (int index = ttrsIndex_[static_cast<std::size_t>(s)]) frame->AddTTRSLinkID(index);
          f.datums.push_back(BrokerId(datum, 1));
        }
        f.id = BrokerId(Identity(frame.Get()), 4);
        it = frameOfKey.emplace(key, result_.frames.size()).first;
        result_.frames.push_back(std::move(f));
      }
      KROComPtr<KROITPSLightModel> tps;
      annotations_[i]->QueryInterface(IID_KROITPSLightModel, tps.Put());
      if (tps) tps->SetRefFrameLinkID(result_.frames[it->second].id);
    }
  }

  // One view per distinct annotation plane: origin within 1e-6 of the part's size, normal and
  // x direction within 1e-6.
  void BuildViews() {
    const double originTolerance = 1e-6 * pmi_.partSize;
    std::vector<KROStepPlane> planes;
    viewOf_.assign(pmi_.objects.size(), nullptr);
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& o = pmi_.objects[i];
      if (!o.plane || !annotations_[i]) continue;
      std::size_t p = 0;
      while (p < planes.size() && !(Near(planes[p].origin, o.plane->origin, originTolerance) &&
                                    Near(planes[p].normal, o.plane->normal, 1e-6) &&
                                    Near(planes[p].xDirection, o.plane->xDirection, 1e-6)))
        ++p;
      if (p == planes.size()) {
        KROComPtr<KROITPSLightView> view;
        if (FAILED(factory_->CreateLightView(view.PutTyped(), result_.set.Get()))) continue;
        const KROStepPlane& plane = *o.plane;
        const KROStepVec y = Cross(plane.normal, plane.xDirection);
        view->SetPlaneOrigin(plane.origin[0], plane.origin[1], plane.origin[2]);
        view->SetFirstPlaneDirect(plane.xDirection[0], plane.xDirection[1], plane.xDirection[2]);
        view->SetSecondPlaneDirect(y[0], y[1], y[2]);
        view.As<KROITPSLight>()->SetName(
            Utf16("annotation plane " + std::to_string(planes.size() + 1)).c_str());
        planes.push_back(plane);
        views_.push_back(view);
      }
      KROITPSLightView* view = views_[p].Get();
      view->AddTPS(annotations_[i]);
      KROComPtr<KROITPSLightModel> tps;
      annotations_[i]->QueryInterface(IID_KROITPSLightModel, tps.Put());
      if (tps) tps->SetLightView(view);
      viewOf_[i] = Identity(view);
    }
  }

  void BuildCaptures() {
    int index = 0;
    for (const KROStepSavedView& v : pmi_.views) {
      KROComPtr<KROITPSLightCapture> capture;
      if (FAILED(factory_->CreateLightCapture(capture.PutTyped(), result_.set.Get()))) continue;
      auto light = capture.As<KROITPSLight>();
      light->SetIndex(++index);
      light->SetName(Utf16(v.name).c_str());
      light->SetUUId(Utf16(v.label).c_str());
      capture->SetOrigin(v.origin[0], v.origin[1], v.origin[2]);
      capture->SetDirection(v.direction[0], v.direction[1], v.direction[2]);
      capture->SetZenith(v.zenith[0], v.zenith[1], v.zenith[2]);
      capture->SetTarget(v.target[0], v.target[1], v.target[2]);
      capture->SetCameraType(v.cameraType);
      capture->SetClippingPlane(v.clipping);
      KROStepCapture info;
      info.index = index;
      info.name = v.name;
      info.recovered = v.recovered;
      info.recoveryReason = v.recoveryReason;
      info.fileEntity = v.fileEntity;
      std::vector<KROBaseUnknown*> views;
      for (int o : v.objects) {
        KROBaseUnknown* tps = annotations_[static_cast<std::size_t>(o)];
        if (!tps) continue;
        capture->AddTPS(tps);
        info.annotations.push_back(BrokerId(tps, 1));
        KROBaseUnknown* view = viewOf_[static_cast<std::size_t>(o)];
        if (view && std::find(views.begin(), views.end(), view) == views.end()) {
          views.push_back(view);
          capture->AddTPSView(view);
        }
      }
      result_.captures.push_back(std::move(info));
    }
  }

  const KROStepPmi& pmi_;
  KROStepImportResult& result_;
  KROComPtr<KROITPSLightModelFactory> factory_;
  KROComPtr<KROITPSIdBroker> broker_;
  std::vector<int> ttrsIndex_;               ///< per shape: its TTRS's index, 0 for none
  std::vector<KROBaseUnknown*> annotations_; ///< per object: borrowed from the set's list
  std::vector<KROBaseUnknown*> viewOf_;      ///< per object: its view, borrowed
  std::vector<KROComPtr<KROITPSLightView>> views_;
};

} // namespace

void KROStepBuildModel(const KROStepPmi& pmi, KROStepImportResult& result) {
  result.messages.insert(result.messages.end(), pmi.messages.begin(), pmi.messages.end());
  if (!KROStepModelBuilder(pmi, result).Build()) {
    result.set.Reset();
    result.messages.push_back(
        {KROStepMessage::Severity::Error, "the kernel could not create a light set"});
    result.ok = false;
    return;
  }
  result.ok = true;
}

const KROStepTag* KROStepImportResult::FindTag(int tag) const {
  if (tag < 1 || static_cast<std::size_t>(tag) > tags.size()) return nullptr;
  const KROStepTag& t = tags[static_cast<std::size_t>(tag - 1)];
  return t.tag == tag ? &t : nullptr;
}

std::vector<int> KROStepImportResult::FaceTags() const {
  std::vector<int> faces;
  for (const KROStepTag& t : tags)
    if (t.kind == KROStepTag::Kind::Face) faces.push_back(t.tag);
  return faces;
}

std::size_t KROStepImportResult::Count(KROStepMessage::Severity severity) const {
  std::size_t n = 0;
  for (const KROStepMessage& m : messages)
    n += m.severity == severity ? 1 : 0;
  return n;
}

const char* KROStepKindName(KROStepAnnotation::Kind kind) {
  switch (kind) {
  case KROStepAnnotation::Kind::Dimension:
    return "dimension";
  case KROStepAnnotation::Kind::Tolerance:
    return "tolerance";
  case KROStepAnnotation::Kind::Datum:
    return "datum";
  case KROStepAnnotation::Kind::DatumTarget:
    return "datum_target";
  case KROStepAnnotation::Kind::Note:
    return "note";
  }
  return "dimension";
}
