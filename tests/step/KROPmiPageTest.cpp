// KROPmiPageTest.cpp - the data kro-pmi writes into its 3D page, read back from the page and
// checked against an import of the same file: the geometry within the page's grid, each face's
// answers from the tag query, the annotations, their datum systems and saved views. The page in
// a browser is apps/kro-pmi/page/test/page-test.mjs.
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "render/KROPictureTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

int KroPmi(const std::string& args) {
  const int raw =
      std::system((std::string("'") + KRO_PMI_PATH + "' " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

/// The JSON of the page's data element.
nlohmann::json PageData(const std::string& page) {
  const std::string open = "<script type=\"application/json\" id=\"kro-data\">";
  const std::size_t at = page.find(open);
  if (at == std::string::npos) return nullptr;
  const std::size_t from = at + open.size();
  return nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from));
}

template <typename T> std::vector<T> FromBase64(const std::string& text) {
  std::vector<unsigned char> bytes;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = std::strchr(digits, c);
    if (c == '=' || !at || !c) break;
    bits = bits << 6 | static_cast<unsigned>(at - digits);
    if ((count += 6) >= 8) {
      count -= 8;
      bytes.push_back(static_cast<unsigned char>(bits >> count & 0xFF));
    }
  }
  std::vector<T> out(bytes.size() / sizeof(T));
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
  return out;
}

using Point = std::array<double, 3>;

class KROPmiPageTest : public KROStepScratchTest {};

// What the page draws is the import's geometry on the page's grid: every vertex of a face is one
// of the face's mesh points (to half a grid step) and every mesh point has its vertex; each face's
// triangles use its own vertices only; each face carries the tag query's answer for it.
TEST_F(KROPmiPageTest, ThePageCarriesTheMeshAndTheTagQueryAnswers) {
  for (const char* part : {kCTC01, kCTC03}) {
    SCOPED_TRACE(part);
    ASSERT_EQ(KroPmi(KROStepData(part) + " --html '" + Out("page.html") + "'"), 0);
    const std::string page = KROStepSlurp(Out("page.html"));
    for (std::string_view tag : KROTags(page))
      EXPECT_TRUE(KROTagAttribute(tag, "src").empty() && KROTagAttribute(tag, "href").empty())
          << "the page fetches nothing: " << tag.substr(0, 60);
    const nlohmann::json data = PageData(page);
    ASSERT_TRUE(data.is_object());
    KROStepImportResult r = KROStepImportFile(KROStepData(part));
    ASSERT_TRUE(r.ok);

    const std::vector<std::uint16_t> q = FromBase64<std::uint16_t>(data["positions"]);
    const std::vector<std::uint32_t> triangles = FromBase64<std::uint32_t>(data["triangles"]);
    ASSERT_EQ(q.size() % 3, 0u);
    Point lo{}, step{};
    for (int k = 0; k < 3; ++k) {
      lo[k] = data["box"]["min"][k].get<double>();
      step[k] = (data["box"]["max"][k].get<double>() - lo[k]) / 65535;
    }
    const auto vertex = [&](std::size_t v) {
      return Point{lo[0] + q[3 * v] * step[0], lo[1] + q[3 * v + 1] * step[1],
                   lo[2] + q[3 * v + 2] * step[2]};
    };
    const auto near = [&](const Point& a, const Point& b) {
      for (int k = 0; k < 3; ++k)
        if (std::abs(a[k] - b[k]) > step[k] / 2 + 1e-9) return false;
      return true;
    };
    ASSERT_EQ(data["faces"].size(), r.geometry.faces.size());
    std::size_t kept = 0, meshed = 0;
    for (std::size_t i = 0; i < r.geometry.faces.size(); ++i) {
      const KROStepTagGeometry& mesh = r.geometry.faces[i];
      const auto& f = data["faces"][i];
      ASSERT_EQ(f[0].get<int>(), mesh.tag);
      const std::size_t t0 = f[1], tn = f[2], v0 = f[3], vn = f[4];
      ASSERT_LE(3 * (t0 + tn), triangles.size());
      ASSERT_LE(3 * (v0 + vn), q.size());
      for (std::size_t t = 3 * t0; t < 3 * (t0 + tn); ++t)
        ASSERT_TRUE(triangles[t] >= v0 && triangles[t] < v0 + vn) << "face " << mesh.tag;
      for (std::size_t v = v0; v < v0 + vn; ++v)
        ASSERT_TRUE(std::any_of(mesh.points.begin(), mesh.points.end(),
                                [&](const Point& p) { return near(vertex(v), p); }))
            << "face " << mesh.tag << " vertex " << v;
      for (const Point& p : mesh.points) {
        bool found = false;
        for (std::size_t v = v0; v < v0 + vn && !found; ++v)
          found = near(vertex(v), p);
        ASSERT_TRUE(found) << "face " << mesh.tag;
      }
      kept += tn;
      meshed += mesh.points.size() / 3;
      const std::set<int> answer = f[5].get<std::set<int>>();
      EXPECT_EQ(answer, KROStepTouching(r, mesh.tag)) << "face " << mesh.tag;
    }
    // Only slivers the grid closes are dropped.
    EXPECT_LE(kept, meshed);
    EXPECT_GE(kept, meshed * 99 / 100);
    const std::size_t vertices = q.size() / 3;
    for (const char* lines : {"segments", "calloutLines", "calloutFills"})
      for (std::uint32_t v : FromBase64<std::uint32_t>(data[lines]))
        ASSERT_LT(v, vertices) << lines;
    EXPECT_LE(data["partVertices"].get<std::size_t>(), vertices);
  }
}

// Each annotation as the page lists it: its id (the broker's), faces, datum system and the saved
// views that show it, and a callout where the file draws one.
TEST_F(KROPmiPageTest, AnnotationsCarryTheirFacesDatumsAndSavedViews) {
  ASSERT_EQ(KroPmi(KROStepData(kFTC07) + " --html '" + Out("page.html") + "'"), 0);
  const nlohmann::json data = PageData(KROStepSlurp(Out("page.html")));
  KROStepImportResult r = KROStepImportFile(KROStepData(kFTC07));
  ASSERT_TRUE(r.ok);
  const std::map<int, KROStepFileDrawing> drawings =
      KROStepFileDrawings(KROStepReadFileText(KROStepData(kFTC07)));
  ASSERT_EQ(data["annotations"].size(), r.annotations.size());
  ASSERT_EQ(data["captures"].size(), r.captures.size());
  int framed = 0;
  for (std::size_t i = 0; i < r.annotations.size(); ++i) {
    const KROStepAnnotation& a = r.annotations[i];
    const auto& p = data["annotations"][i];
    SCOPED_TRACE(a.pmi);
    EXPECT_EQ(p["id"], a.id);
    EXPECT_EQ(p["pmi"], a.pmi);
    std::vector<int> faces;
    for (int t : a.tags)
      if (r.FindTag(t)->kind == KROStepTag::Kind::Face) faces.push_back(t);
    EXPECT_EQ(p["faces"].get<std::vector<int>>(), faces);
    std::vector<int> shownIn;
    for (const KROStepCapture& c : r.captures)
      if (std::count(c.annotations.begin(), c.annotations.end(), a.id)) shownIn.push_back(c.index);
    EXPECT_EQ(p["captures"].get<std::vector<int>>(), shownIn);
    if (!p["frame"].is_null()) {
      ++framed;
      const int id = p["frame"]["id"];
      ASSERT_TRUE(id >= 1 && static_cast<std::size_t>(id) <= r.frames.size());
      EXPECT_EQ(p["frame"]["datums"].get<std::vector<int>>(), r.frames[id - 1].datums);
    }
    auto it = drawings.find(a.fileEntity);
    const bool draws = it != drawings.end() && it->second.curves > 0;
    EXPECT_EQ(p["lines"][1].get<int>() > 0, draws);
  }
  EXPECT_GT(framed, 10);
  for (std::size_t i = 0; i < r.captures.size(); ++i)
    EXPECT_EQ(data["captures"][i]["annotations"].get<std::vector<int>>(),
              r.captures[i].annotations);
}

} // namespace
