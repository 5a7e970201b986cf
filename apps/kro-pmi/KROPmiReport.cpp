// KROPmiReport.cpp - the summary, the table and the JSON.
#include "KROPmiReport.h"

#include "KROITPSLightModel.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace {

/// Tags as ranges: "3,7-9".
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

} // namespace

void KROPmiPrintTable(std::ostream& out, const std::vector<nlohmann::json>& rows) {
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

void KROPmiPrintFace(std::ostream& out, const KROStepImportResult& r, const KROPmiModel& model,
                     int tag) {
  const KROStepTag* t = r.FindTag(tag);
  std::vector<nlohmann::json> rows;
  for (int id : model.Touching(tag))
    rows.push_back(model.Annotations()[static_cast<std::size_t>(id - 1)]);
  out << "face " << tag << " (part " << r.parts[static_cast<std::size_t>(t->part)].name << ", face "
      << t->subIndex << "): " << rows.size() << " annotation" << (rows.size() == 1 ? "" : "s")
      << '\n';
  KROPmiPrintTable(out, rows);
}

void KROPmiPrintSummary(std::ostream& out, const std::string& file, const KROStepImportResult& r,
                        const KROPmiModel& model) {
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
    KROBaseUnknown* object = model.Object(a.id, kKROPmiAnnotation);
    KROComPtr<KROITPSLightModel> m;
    double value = 0;
    if (object && SUCCEEDED(object->QueryInterface(IID_KROITPSLightModel, m.Put())))
      m->GetValue(&value);
    if (value == 0) continue;
    auto& magnitudes = origin["tolerance magnitudes"];
    ++(a.recovered.empty() ? magnitudes.first : magnitudes.second);
  }
  for (const KROPmiCapture& c : model.Captures()) {
    const bool recovered = c.info && c.info->recovered;
    ++(recovered ? origin["saved views"].second : origin["saved views"].first);
  }
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

nlohmann::json KROPmiJson(const std::string& file, const KROStepImportResult& r,
                          const KROPmiModel& model) {
  nlohmann::json j;
  j["file"] = file;
  nlohmann::json parts = nlohmann::json::array();
  for (const KROStepPart& p : r.parts) {
    nlohmann::json part = {
        {"name", p.name}, {"label", p.label}, {"faces", p.faceCount}, {"edges", p.edgeCount}};
    if (p.box) part["box"] = {{"min", p.box->min}, {"max", p.box->max}};
    parts.push_back(std::move(part));
  }
  j["parts"] = parts;
  j["annotations"] = model.Annotations();
  j["frames"] = model.Frames();
  j["views"] = model.Views();
  j["captures"] = model.CapturesJson();
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
  return j;
}
