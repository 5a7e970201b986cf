// kro-pmi - shows the PMI of a STEP AP242 file as the light model holds it.
///
/// Data goes to stdout, diagnostics to stderr. Exit status: 0 done, 1 bad usage, 2 input that
/// cannot be read (one line on stderr naming the file and the reason).
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightView.h"
#include "KROPmiPictures.h"
#include "KROStepImport.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr int kUsage = 1;
constexpr int kBadInput = 2;

/// Takes over a text the kernel handed out.
std::string Take(KROWChar* text) {
  std::string s = text ? KROStepUtf8(text) : std::string();
  delete[] text;
  return s;
}

/// Reads the model back through its interfaces, as any host would.
class ModelReader {
public:
  explicit ModelReader(const KROStepImportResult& r)
      : r_(r), broker_(r.set.As<KROITPSIdBroker>()),
        services_(r.set.As<KROITPSLightSetServices>()) {}

  /// Broker id from 1, 0 when the object is not in the set's list of that kind.
  int Id(KROBaseUnknown* object, int kind) const {
    int id = -1;
    if (!object || FAILED(broker_->GetIdForObject(object, kind, &id)) || id < 0) return 0;
    return id + 1;
  }

  KROBaseUnknown* Object(int id, int kind) const {
    KROBaseUnknown* object = nullptr;
    if (FAILED(broker_->GetObjectFromId(id, kind, &object)) || !object) return nullptr;
    object->Release(); // the set's list keeps it alive
    return object;
  }

  std::vector<int> Ids(list<KROBaseUnknown>* items, int kind) const {
    std::vector<int> ids;
    for (int i = 0; items && i < items->Size(); ++i)
      if (int id = Id((*items)[i], kind)) ids.push_back(id);
    return ids;
  }

  /// Annotation ids the library's tag query answers for `tag`.
  std::vector<int> Touching(int tag) const {
    list<KROBaseUnknown>* found = nullptr;
    services_->GetListOfAnnotationsWithZORTag(tag, &found);
    std::vector<int> ids = Ids(found, 1);
    delete found;
    return ids;
  }

  nlohmann::json Annotation(const KROStepAnnotation& a) const {
    nlohmann::json j;
    j["id"] = a.id;
    j["kind"] = KROStepKindName(a.kind);
    KROBaseUnknown* object = Object(a.id, 1);
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
      j["view"] = Id(base.Get(), 2);
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

  nlohmann::json Frames() const {
    nlohmann::json out = nlohmann::json::array();
    for (const KROStepFrame& f : r_.frames)
      out.push_back({{"id", f.id}, {"text", f.text}, {"pmi", f.pmi}, {"datums", f.datums}});
    return out;
  }

  static nlohmann::json Vec(double x, double y, double z) { return {x, y, z}; }

  nlohmann::json Views() const {
    nlohmann::json out = nlohmann::json::array();
    list<KROBaseUnknown>* views = nullptr;
    r_.set->GetViewList(&views);
    for (int i = 0; views && i < views->Size(); ++i) {
      KROComPtr<KROITPSLightView> v;
      if (!(*views)[i] || FAILED((*views)[i]->QueryInterface(IID_KROITPSLightView, v.Put())))
        continue;
      double o[3] = {}, x[3] = {}, y[3] = {};
      v->GetPlaneOrigin(&o[0], &o[1], &o[2]);
      v->GetFirstPlaneDirect(&x[0], &x[1], &x[2]);
      v->GetSecondPlaneDirect(&y[0], &y[1], &y[2]);
      KROWChar* name = nullptr;
      v.As<KROITPSLight>()->GetName(&name);
      out.push_back({{"id", i + 1},
                     {"name", Take(name)},
                     {"origin", Vec(o[0], o[1], o[2])},
                     {"x_direction", Vec(x[0], x[1], x[2])},
                     {"y_direction", Vec(y[0], y[1], y[2])},
                     {"annotations", Ids(v->GetTPSList(), 1)}});
    }
    return out;
  }

  nlohmann::json Captures() const {
    nlohmann::json out = nlohmann::json::array();
    list<KROBaseUnknown>* captures = nullptr;
    r_.set->GetCaptureList(&captures);
    for (int i = 0; captures && i < captures->Size(); ++i) {
      KROComPtr<KROITPSLightCapture> c;
      if (!(*captures)[i] ||
          FAILED((*captures)[i]->QueryInterface(IID_KROITPSLightCapture, c.Put())))
        continue;
      double o[3] = {}, d[3] = {}, z[3] = {}, t[3] = {};
      int camera = 0, clipping = 0;
      c->GetOrigin(&o[0], &o[1], &o[2]);
      c->GetDirection(&d[0], &d[1], &d[2]);
      c->GetZenith(&z[0], &z[1], &z[2]);
      c->GetTarget(&t[0], &t[1], &t[2]);
      c->GetCameraType(&camera);
      c->GetClippingPlane(&clipping);
      KROWChar* name = nullptr;
      KROWChar* uuid = nullptr;
      auto light = c.As<KROITPSLight>();
      light->GetName(&name);
      light->GetUUId(&uuid);
      list<KROBaseUnknown>* tpss = nullptr;
      list<KROBaseUnknown>* views = nullptr;
      c->GetTPSs(&tpss);
      c->GetTPSViews(&views);
      // A capture's index in the model is its position, from 1 (the importer numbers them so).
      const KROStepCapture* info = nullptr;
      for (const KROStepCapture& k : r_.captures)
        if (k.index == i + 1) info = &k;
      const bool recovered = info && info->recovered;
      out.push_back(
          {{"id", i + 1},
           {"recovered", recovered},
           {"recovery_reason",
            recovered ? nlohmann::json(info->recoveryReason) : nlohmann::json(nullptr)},
           {"file_entity", recovered ? nlohmann::json(info->fileEntity) : nlohmann::json(nullptr)},
           {"name", Take(name)},
           {"label", Take(uuid)},
           {"origin", Vec(o[0], o[1], o[2])},
           {"direction", Vec(d[0], d[1], d[2])},
           {"zenith", Vec(z[0], z[1], z[2])},
           {"target", Vec(t[0], t[1], t[2])},
           {"camera", camera == 1 ? "central" : "parallel"},
           {"clipping", clipping},
           {"annotations", Ids(tpss, 1)},
           {"views", Ids(views, 2)}});
    }
    return out;
  }

  int Count(HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**)) const {
    list<KROBaseUnknown>* items = nullptr;
    (r_.set.Get()->*get)(&items);
    return items ? items->Size() : 0;
  }

private:
  const KROStepImportResult& r_;
  KROComPtr<KROITPSIdBroker> broker_;
  KROComPtr<KROITPSLightSetServices> services_;
};

/// Tags as ranges: "3, 7-9".
std::string Ranges(const std::vector<int>& tags) {
  std::string s;
  for (std::size_t i = 0; i < tags.size();) {
    std::size_t j = i;
    while (j + 1 < tags.size() && tags[j + 1] == tags[j] + 1)
      ++j;
    if (!s.empty()) s += ",";
    s += std::to_string(tags[i]);
    if (j > i) s += "-" + std::to_string(tags[j]);
    i = j + 1;
  }
  return s;
}

std::size_t Width(const std::string& utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8)
    n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Pad(const std::string& s, std::size_t width) {
  const std::size_t w = Width(s);
  return w >= width ? s : s + std::string(width - w, ' ');
}

/// At most `width` characters of `s`: a longer text is cut and ends in "…".
std::string Clip(const std::string& s, std::size_t width) {
  if (Width(s) <= width || width == 0) return s;
  std::size_t kept = 0, at = 0;
  for (; at < s.size(); ++at)
    if ((static_cast<unsigned char>(s[at]) & 0xC0) != 0x80 && kept++ == width - 1) break;
  return s.substr(0, at) + "…";
}

// The text column's width: a long note (a page of general notes) is cut, whole in --json.
constexpr std::size_t kTextColumn = 72;

void PrintTable(std::ostream& out, const std::vector<nlohmann::json>& rows) {
  const char* heads[] = {"id", "kind", "name", "value", "text", "tags"};
  std::vector<std::vector<std::string>> cells;
  for (const auto& j : rows) {
    std::ostringstream value;
    if (!j["value"].is_null()) value << j["value"].get<double>();
    cells.push_back({std::to_string(j["id"].get<int>()), j["kind"].get<std::string>(),
                     j["name"].get<std::string>(), value.str(),
                     Clip(KROStepPmiOneLine(j["pmi"].get<std::string>()), kTextColumn),
                     Ranges(j["tags"].get<std::vector<int>>())});
  }
  std::size_t widths[6] = {};
  for (int c = 0; c < 6; ++c) {
    widths[c] = Width(heads[c]);
    for (const auto& row : cells)
      widths[c] = std::max(widths[c], Width(row[static_cast<std::size_t>(c)]));
  }
  auto line = [&](const std::vector<std::string>& row) {
    for (int c = 0; c < 6; ++c)
      out << (c ? "  " : "")
          << (c == 5 ? row[static_cast<std::size_t>(c)]
                     : Pad(row[static_cast<std::size_t>(c)], widths[c]));
    out << '\n';
  };
  line({heads, heads + 6});
  for (const auto& row : cells)
    line(row);
}

void PrintSummary(std::ostream& out, const std::string& file, const KROStepImportResult& r,
                  const ModelReader& model) {
  int faces = 0, edges = 0;
  for (const KROStepPart& p : r.parts) {
    faces += p.faceCount;
    edges += p.edgeCount;
  }
  std::map<KROStepAnnotation::Kind, int> kinds;
  for (const KROStepAnnotation& a : r.annotations)
    ++kinds[a.kind];
  out << file << '\n'
      << "  parts " << r.parts.size() << ", faces " << faces << ", edges " << edges << '\n'
      << "  annotations " << r.annotations.size() << ": dimensions "
      << kinds[KROStepAnnotation::Kind::Dimension] << ", tolerances "
      << kinds[KROStepAnnotation::Kind::Tolerance] << ", datums "
      << kinds[KROStepAnnotation::Kind::Datum] << ", datum targets "
      << kinds[KROStepAnnotation::Kind::DatumTarget] << ", notes "
      << kinds[KROStepAnnotation::Kind::Note] << '\n'
      << "  units: PMI " << r.units.pmiName << ", geometry " << r.units.geometryName << '\n'
      << "  reference frames " << model.Count(&KROITPSLightSet::GetRefFrameList) << ", views "
      << model.Count(&KROITPSLightSet::GetViewList) << ", captures "
      << model.Count(&KROITPSLightSet::GetCaptureList) << ", TTRS "
      << model.Count(&KROITPSLightSet::GetTTRSList) << ", other cameras " << r.cameras.size()
      << '\n';
  // Where each kind came from: OCCT's document, or the file's own entities.
  std::map<std::string, std::pair<int, int>> origin;
  for (const KROStepAnnotation& a : r.annotations) {
    // From the file alone when OCCT's document has no label of it (a note, a datum feature
    // no tolerance references, a tolerance OCCT does not transfer).
    const bool whole = a.labels.empty();
    auto& kind = origin[KROStepKindName(a.kind) + std::string("s")];
    ++(whole ? kind.second : kind.first);
    if (a.kind != KROStepAnnotation::Kind::Tolerance) continue;
    KROBaseUnknown* object = model.Object(a.id, 1);
    KROComPtr<KROITPSLightModel> m;
    double value = 0;
    if (object && SUCCEEDED(object->QueryInterface(IID_KROITPSLightModel, m.Put())))
      m->GetValue(&value);
    if (value == 0) continue;
    auto& magnitudes = origin["tolerance magnitudes"];
    ++(a.recovered.empty() ? magnitudes.first : magnitudes.second);
  }
  for (const KROStepCapture& c : r.captures)
    ++(c.recovered ? origin["saved views"].second : origin["saved views"].first);
  for (const char* kind : {"dimensions", "tolerances", "tolerance magnitudes", "datums",
                           "datum_targets", "notes", "saved views"}) {
    const auto [read, recovered] = origin[kind];
    out << "  " << kind << ": " << read << " from OCCT's document, " << recovered
        << " recovered from the file\n";
  }
  char times[160];
  std::snprintf(times, sizeof times, "  read %.1f ms, build %.2f ms (recovery %.2f ms)\n",
                r.readSeconds * 1e3, r.buildSeconds * 1e3, r.recoverSeconds * 1e3);
  out << times;
}

int Fail(const std::string& line) {
  std::cerr << "kro-pmi: " << line << '\n';
  return kBadInput;
}

} // namespace

int main(int argc, char** argv) {
  CLI::App app{"kro-pmi: the semantic PMI of a STEP AP242 file, as the light model holds it"};
  std::string file;
  std::optional<int> face;
  std::string jsonOut;
  app.add_option("FILE", file, "STEP AP242 file (.stp, .step)")->required();
  app.add_option("--face", face, "list the annotations that touch the face with this tag");
  CLI::Option* json =
      app.add_option("--json", jsonOut, "write the model as JSON to OUT (stdout without OUT)")
          ->expected(0, 1);
  KROStepReadOptions read;
  bool inProcess = false;
  app.add_flag("--in-process", inProcess,
               "read with OCCT in this process, not in a worker process (for debugging)");
  app.add_option("--time-limit", read.timeLimitSeconds,
                 "stop the worker process reading the file after this many seconds (default 600)")
      ->check(CLI::PositiveNumber);
  KROPmiPictureOptions pictures;
  KROPmiAddPictureOptions(app, pictures);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }

  read.isolated = !inProcess;
  read.spareWorker = false; // one file, then the command ends
  read.mesh = KROPmiDraws(pictures);
  KROStepImportResult r = KROStepImportFile(file, read);
  if (!r.ok) {
    std::string why = "cannot read";
    for (const KROStepMessage& m : r.messages)
      if (m.severity == KROStepMessage::Severity::Error) {
        why = m.text;
        break;
      }
    // The reader's errors already name the file.
    return Fail(why.rfind(file, 0) == 0 ? why : file + ": " + why);
  }
  ModelReader model(r);
  if (face) {
    const KROStepTag* t = r.FindTag(*face);
    if (!t || t->kind != KROStepTag::Kind::Face)
      return Fail(file + ": no face with tag " + std::to_string(*face));
  }
  if (int rc = KROPmiWritePictures(file, r, pictures, face,
                                   [&](int tag) { return model.Touching(tag); }))
    return rc;

  std::vector<nlohmann::json> annotations;
  for (const KROStepAnnotation& a : r.annotations)
    annotations.push_back(model.Annotation(a));

  if (face) {
    const KROStepTag* t = r.FindTag(*face);
    if (!t || t->kind != KROStepTag::Kind::Face)
      return Fail(file + ": no face with tag " + std::to_string(*face));
    std::vector<nlohmann::json> rows;
    for (int id : model.Touching(*face))
      rows.push_back(annotations[static_cast<std::size_t>(id - 1)]);
    std::cout << "face " << *face << " (part " << r.parts[static_cast<std::size_t>(t->part)].name
              << ", face " << t->subIndex << "): " << rows.size() << " annotation"
              << (rows.size() == 1 ? "" : "s") << '\n';
    PrintTable(std::cout, rows);
    return 0;
  }

  if (json->count() > 0) {
    nlohmann::json j;
    j["file"] = file;
    nlohmann::json parts = nlohmann::json::array();
    for (std::size_t i = 0; i < r.parts.size(); ++i) {
      const KROStepPart& p = r.parts[i];
      nlohmann::json part = {
          {"name", p.name}, {"label", p.label}, {"faces", p.faceCount}, {"edges", p.edgeCount}};
      if (p.box) part["box"] = {{"min", p.box->min}, {"max", p.box->max}};
      parts.push_back(std::move(part));
    }
    j["parts"] = parts;
    j["annotations"] = annotations;
    j["frames"] = model.Frames();
    j["views"] = model.Views();
    j["captures"] = model.Captures();
    nlohmann::json cameras = nlohmann::json::array();
    for (const KROStepCamera& c : r.cameras)
      cameras.push_back({{"name", c.name}, {"file_entity", c.fileEntity}, {"reason", c.reason}});
    j["cameras"] = cameras;
    j["units"] = {{"pmi", {{"name", r.units.pmiName}, {"mm", r.units.pmiMm}}},
                  {"geometry", {{"name", r.units.geometryName}, {"mm", r.units.geometryMm}}}};
    nlohmann::json faces = nlohmann::json::array();
    for (int tag : r.FaceTags())
      faces.push_back({{"tag", tag}, {"annotations", model.Touching(tag)}});
    j["faces"] = faces;
    nlohmann::json messages = nlohmann::json::array();
    for (const KROStepMessage& m : r.messages)
      messages.push_back(
          {{"severity", m.severity == KROStepMessage::Severity::Error ? "error" : "warning"},
           {"text", m.text}});
    j["messages"] = messages;
    const std::string text = j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (jsonOut.empty() || jsonOut == "-") {
      std::cout << text << '\n';
      return 0;
    }
    // Written beside the target and renamed into place: no partial file is left behind.
    const std::string temp = jsonOut + ".part";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      if (!out) return Fail(jsonOut + ": " + std::strerror(errno));
      out << text << '\n';
      out.close();
      if (!out) {
        std::remove(temp.c_str());
        return Fail(jsonOut + ": write failed");
      }
    }
    if (std::rename(temp.c_str(), jsonOut.c_str()) != 0) {
      const std::string why = std::strerror(errno);
      std::remove(temp.c_str());
      return Fail(jsonOut + ": " + why);
    }
    return 0;
  }

  PrintSummary(std::cout, file, r, model);
  if (std::size_t n = r.Count(KROStepMessage::Severity::Warning))
    std::cerr << "kro-pmi: " << file << ": " << n << " warning" << (n == 1 ? "" : "s")
              << " while reading (listed in --json)\n";
  std::cout << '\n';
  PrintTable(std::cout, annotations);
  return 0;
}
