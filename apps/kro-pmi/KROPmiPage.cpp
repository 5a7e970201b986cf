// KROPmiPage.cpp - writes the 3D page: the data the viewer (page/src/viewer.js) reads, as JSON
// in a <script type="application/json">, and the viewer's bundled script.
//
// Geometry goes as base64 of typed arrays, never as JSON numbers: one vertex array for the
// faces, the edges and the callouts, each coordinate a Uint16 inside the box around all of them
// (a 300 mm part lands on a 5 µm grid: nothing a screen shows), and Uint32 indices into it. A
// face's vertices are shared within the face only, so that the page can colour each face on its
// own and a cylinder still shades smooth.
#include "KROPmiPage.h"

#include "KRORender.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>

namespace {

using Point = std::array<double, 3>;

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

/// JSON that may sit inside a <script> element: no "<" can open "</script>".
std::string ScriptJson(const nlohmann::json& j) {
  const std::string s = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  return out;
}

template <typename T> std::string Base64(const std::vector<T>& values) {
  static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  // Typed arrays read the machine's byte order; every browser's is little-endian, as is ours.
  const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
  const std::size_t n = values.size() * sizeof(T);
  std::string out;
  out.reserve((n + 2) / 3 * 4);
  for (std::size_t i = 0; i < n; i += 3) {
    const unsigned v = unsigned(bytes[i]) << 16 | (i + 1 < n ? unsigned(bytes[i + 1]) << 8 : 0u) |
                       (i + 2 < n ? unsigned(bytes[i + 2]) : 0u);
    out += kDigits[v >> 18 & 63];
    out += kDigits[v >> 12 & 63];
    out += i + 1 < n ? kDigits[v >> 6 & 63] : '=';
    out += i + 2 < n ? kDigits[v & 63] : '=';
  }
  return out;
}

struct Box {
  Point min{HUGE_VAL, HUGE_VAL, HUGE_VAL}, max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  void Add(const Point& p) {
    for (int k = 0; k < 3; ++k) {
      min[k] = std::min(min[k], p[k]);
      max[k] = std::max(max[k], p[k]);
    }
  }
  bool Empty() const { return min[0] > max[0]; }
};

/// The vertex array: points quantised to Uint16 per axis inside `box`, merged within a group
/// (one face, one edge, one callout).
class Vertices {
public:
  explicit Vertices(const Box& box) : min_(box.min) {
    for (int k = 0; k < 3; ++k) {
      const double extent = box.max[k] - box.min[k];
      scale_[k] = extent > 0 ? 65535.0 / extent : 0;
    }
  }

  /// A new group: later points merge only with points of it.
  void Group() { merged_.clear(); }

  std::uint32_t Add(const Point& p) {
    std::uint64_t key = 0;
    for (int k = 0; k < 3; ++k) {
      const double q = std::clamp(std::round((p[k] - min_[k]) * scale_[k]), 0.0, 65535.0);
      key = key << 16 | static_cast<std::uint64_t>(q);
    }
    auto [it, added] = merged_.try_emplace(key, static_cast<std::uint32_t>(Count()));
    if (added)
      for (int k = 0; k < 3; ++k)
        q_.push_back(static_cast<std::uint16_t>(key >> (16 * (2 - k)) & 0xFFFF));
    return it->second;
  }

  std::size_t Count() const { return q_.size() / 3; }
  const std::vector<std::uint16_t>& Quantised() const { return q_; }

private:
  Point min_, scale_{};
  std::vector<std::uint16_t> q_;
  std::unordered_map<std::uint64_t, std::uint32_t> merged_;
};

nlohmann::json Vec(const Point& p) { return {p[0], p[1], p[2]}; }

} // namespace

std::string KROPmiPage(const std::string& file, const KROStepImportResult& r,
                       const KROPmiModel& model) {
  // Callouts as the renderer takes them from the model: the strokes and fills of each one's
  // bound rep, numbered by their position in the set's list from 1, which is the broker's id.
  const std::vector<KRORenderAnnotation> drawn = KRORenderAnnotationsOf(r.set.Get());
  std::map<int, const KRORenderAnnotation*> drawnById;
  for (const KRORenderAnnotation& a : drawn)
    drawnById[a.id] = &a;

  Box all;
  for (const auto* shapes : {&r.geometry.faces, &r.geometry.edges})
    for (const KROStepTagGeometry& s : *shapes)
      for (const Point& p : s.points)
        all.Add(p);
  for (const KRORenderAnnotation& a : drawn) {
    for (const auto& line : a.lines)
      for (const Point& p : line)
        all.Add(p);
    for (const auto& t : a.triangles)
      for (const Point& p : t)
        all.Add(p);
  }
  if (all.Empty()) all.Add({0, 0, 0});

  Vertices vertices(all);
  std::vector<std::uint32_t> triangles, segments, calloutLines, calloutFills;
  nlohmann::json faces = nlohmann::json::array();
  for (const KROStepTagGeometry& f : r.geometry.faces) {
    vertices.Group();
    const std::size_t firstTriangle = triangles.size() / 3, firstVertex = vertices.Count();
    for (std::size_t i = 0; i + 2 < f.points.size(); i += 3) {
      const std::uint32_t a = vertices.Add(f.points[i]), b = vertices.Add(f.points[i + 1]),
                          c = vertices.Add(f.points[i + 2]);
      if (a == b || b == c || a == c) continue; // a sliver the grid closes
      triangles.insert(triangles.end(), {a, b, c});
    }
    // The library's answer, as it stands now: the page shows it and never works out another.
    faces.push_back({f.tag, firstTriangle, triangles.size() / 3 - firstTriangle, firstVertex,
                     vertices.Count() - firstVertex, model.Touching(f.tag)});
  }
  const auto polyline = [&](const std::vector<Point>& line, std::vector<std::uint32_t>& out) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      const std::uint32_t a = vertices.Add(line[i]), b = vertices.Add(line[i + 1]);
      if (a != b) out.insert(out.end(), {a, b});
    }
  };
  for (const KROStepTagGeometry& e : r.geometry.edges) {
    vertices.Group();
    polyline(e.points, segments);
  }

  const std::size_t partVertices = vertices.Count();
  nlohmann::json frames = nlohmann::json::object();
  for (const auto& f : model.Frames())
    frames[std::to_string(f["id"].get<int>())] = f;
  nlohmann::json annotations = nlohmann::json::array();
  for (const nlohmann::json& j : model.Annotations()) {
    const int id = j["id"].get<int>();
    nlohmann::json a = {{"id", id},         {"kind", j["kind"]}, {"name", j["name"]},
                        {"pmi", j["pmi"]},  {"tags", j["tags"]}, {"view", j["view"]},
                        {"frame", nullptr}, {"normal", nullptr}};
    std::vector<int> onFaces;
    for (int tag : j["tags"]) {
      const KROStepTag* t = r.FindTag(tag);
      if (t && t->kind == KROStepTag::Kind::Face) onFaces.push_back(tag);
    }
    a["faces"] = onFaces;
    if (!j["frame"].is_null() && frames.contains(std::to_string(j["frame"].get<int>()))) {
      const auto& f = frames[std::to_string(j["frame"].get<int>())];
      a["frame"] = {{"id", f["id"]}, {"pmi", f["pmi"]}, {"datums", f["datums"]}};
    }
    std::vector<int> shownIn;
    for (const KROPmiCapture& c : model.Captures())
      if (std::count(c.annotations.begin(), c.annotations.end(), id)) shownIn.push_back(c.id);
    a["captures"] = shownIn;
    const std::size_t firstLine = calloutLines.size(), firstFill = calloutFills.size();
    if (auto it = drawnById.find(id); it != drawnById.end()) {
      vertices.Group();
      for (const auto& line : it->second->lines)
        polyline(line, calloutLines);
      for (const auto& t : it->second->triangles) {
        const std::uint32_t p = vertices.Add(t[0]), q = vertices.Add(t[1]), s = vertices.Add(t[2]);
        if (p != q && q != s && p != s) calloutFills.insert(calloutFills.end(), {p, q, s});
      }
      if (it->second->normal) a["normal"] = Vec(*it->second->normal);
    }
    a["lines"] = {firstLine, calloutLines.size() - firstLine};
    a["fills"] = {firstFill, calloutFills.size() - firstFill};
    annotations.push_back(std::move(a));
  }

  nlohmann::json captures = nlohmann::json::array();
  for (const KROPmiCapture& c : model.Captures())
    captures.push_back({{"id", c.id},
                        {"name", c.name},
                        {"direction", Vec(c.direction)},
                        {"up", Vec(c.zenith)},
                        {"target", Vec(c.target)},
                        {"annotations", c.annotations}});

  const nlohmann::json data = {{"file", file},
                               {"box", {{"min", Vec(all.min)}, {"max", Vec(all.max)}}},
                               {"partVertices", partVertices},
                               {"positions", Base64(vertices.Quantised())},
                               {"triangles", Base64(triangles)},
                               {"segments", Base64(segments)},
                               {"calloutLines", Base64(calloutLines)},
                               {"calloutFills", Base64(calloutFills)},
                               {"faces", faces},
                               {"annotations", annotations},
                               {"captures", captures}};

  std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
                     Escape(file) + " - PMI</title></head><body>\n" +
                     "<script type=\"application/json\" id=\"kro-data\">" + ScriptJson(data) +
                     "</script>\n<script>";
  for (const char* const* piece = kKROPmiViewerScript; *piece; ++piece)
    page += *piece;
  page += "</script>\n</body></html>\n";
  return page;
}
