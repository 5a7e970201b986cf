// KROStepPlacementTest.cpp - every callout stands where it belongs: some point of what it draws
// lies on (within 2 % of the part's size of) a face its annotation applies to, or touches a
// callout that does (a frame hung on a dimension line, a datum feature symbol on a frame), and
// the whole of it lies within three part sizes of the part's centre. Annotations on no face are
// exempt, and so is a callout that stands in one (a frame written into a general note); each
// exemption and each miss is listed.
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLight.h"
#include "KROPolylineRep.h"
#include "KROTriangleRep.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

using Vec = std::array<double, 3>;

Vec Sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }

/// Distance from `p` to the triangle (a, b, c): to its plane inside it, else to its nearest edge.
double Distance(const Vec& p, const Vec& a, const Vec& b, const Vec& c) {
  auto segment = [](const Vec& p, const Vec& a, const Vec& b) {
    const Vec ab = Sub(b, a);
    const double l = Dot(ab, ab);
    const double t = l > 0 ? std::clamp(Dot(Sub(p, a), ab) / l, 0.0, 1.0) : 0.0;
    return Length(Sub(p, {a[0] + ab[0] * t, a[1] + ab[1] * t, a[2] + ab[2] * t}));
  };
  const Vec ab = Sub(b, a), ac = Sub(c, a);
  const Vec n = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                 ab[0] * ac[1] - ab[1] * ac[0]};
  const double area = Length(n);
  double best = std::min({segment(p, a, b), segment(p, b, c), segment(p, c, a)});
  if (area <= 0) return best;
  const double h = Dot(Sub(p, a), n) / area;
  const Vec q = {p[0] - n[0] * h / area, p[1] - n[1] * h / area, p[2] - n[2] * h / area};
  // Inside when q is on the same side of each edge as the triangle.
  auto side = [&](const Vec& u, const Vec& v) {
    const Vec e = Sub(v, u), w = Sub(q, u);
    const Vec x = {e[1] * w[2] - e[2] * w[1], e[2] * w[0] - e[0] * w[2], e[0] * w[1] - e[1] * w[0]};
    return Dot(x, n) >= 0;
  };
  if (side(a, b) && side(b, c) && side(c, a)) best = std::min(best, std::fabs(h));
  return best;
}

/// Every point the annotation's bound 3D rep draws: its polylines' points and triangles' corners.
std::vector<Vec> Drawn(const KROStepImportResult& r, int id) {
  std::vector<Vec> out;
  KROComPtr<KROBaseUnknown> object;
  r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
  KRORep* rep = nullptr;
  if (!object || FAILED(object.As<KROITPSLight>()->GetRep(&rep)) || !rep) return out;
  const list<KRORep>* children = rep->GetChildren();
  for (int i = 0; children && i < children->Size(); ++i) {
    if (const auto* lines = dynamic_cast<const KRO3DPolylineRep*>(children->At(i)))
      for (const auto& line : lines->GetPolylines())
        out.insert(out.end(), line.begin(), line.end());
    if (const auto* fill = dynamic_cast<const KRO3DTriangleRep*>(children->At(i)))
      out.insert(out.end(), fill->GetPoints().begin(), fill->GetPoints().end());
  }
  return out;
}

class KROStepPlacementTest : public KROTest {};

/// Checks the placement of every callout of the part at `path`; returns how many it drew.
int CheckPlacement(const std::string& path, const std::string& part) {
  {
    KROStepImportResult r = KROStepImportFile(path);
    EXPECT_TRUE(r.ok);
    if (!r.ok) return 0;
    std::map<int, const KROStepTagGeometry*> faceOf;
    Vec lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (const KROStepTagGeometry& f : r.geometry.faces) {
      faceOf[f.tag] = &f;
      for (const Vec& p : f.points)
        for (std::size_t k = 0; k < 3; ++k) {
          lo[k] = std::min(lo[k], p[k]);
          hi[k] = std::max(hi[k], p[k]);
        }
    }
    const double size = Length(Sub(hi, lo));
    EXPECT_GT(size, 0);
    const Vec centre = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    const double near = 0.02 * size;
    struct Callout {
      std::string name;
      std::vector<Vec> points;
      bool placed = false;
    };
    std::vector<Callout> pending, notes;
    int drawn = 0, placed = 0;
    std::vector<std::string> exempt, misses;
    // Points of the callouts placed so far, by cells of `near`.
    std::map<std::array<long, 3>, std::vector<Vec>> grid;
    auto cell = [&](const Vec& p) {
      return std::array<long, 3>{static_cast<long>(std::floor(p[0] / near)),
                                 static_cast<long>(std::floor(p[1] / near)),
                                 static_cast<long>(std::floor(p[2] / near))};
    };
    auto add = [&](const Callout& c) {
      for (const Vec& p : c.points)
        grid[cell(p)].push_back(p);
    };
    auto touches = [&](const Callout& c) {
      for (const Vec& p : c.points) {
        const auto k = cell(p);
        for (long i = -1; i <= 1; ++i)
          for (long j = -1; j <= 1; ++j)
            for (long l = -1; l <= 1; ++l) {
              auto it = grid.find({k[0] + i, k[1] + j, k[2] + l});
              if (it == grid.end()) continue;
              for (const Vec& q : it->second)
                if (Length(Sub(p, q)) <= near) return true;
            }
      }
      return false;
    };
    for (const KROStepAnnotation& a : r.annotations) {
      Callout c;
      c.points = Drawn(r, a.id);
      if (c.points.empty()) continue;
      ++drawn;
      c.name = "annotation " + std::to_string(a.id) + " (" + a.pmi + ")";
      for (const Vec& p : c.points)
        if (Length(Sub(p, centre)) > 3 * size) {
          misses.push_back(c.name + ": drawn " + std::to_string(Length(Sub(p, centre)) / size) +
                           " part sizes from the part's centre");
          break;
        }
      std::vector<const KROStepTagGeometry*> faces;
      for (int t : a.tags)
        if (faceOf.count(t)) faces.push_back(faceOf[t]);
      if (faces.empty()) {
        exempt.push_back(c.name + ": on no face");
        notes.push_back(c);
        continue;
      }
      double nearest = 1e300;
      for (const Vec& p : c.points)
        for (const KROStepTagGeometry* f : faces)
          for (std::size_t i = 0; i + 2 < f->points.size() && nearest > near; i += 3)
            nearest =
                std::min(nearest, Distance(p, f->points[i], f->points[i + 1], f->points[i + 2]));
      c.placed = nearest <= near;
      if (c.placed) {
        ++placed;
        add(c);
      } else {
        c.name +=
            ": nearest point " + std::to_string(nearest / size) + " part sizes from its faces";
        pending.push_back(std::move(c));
      }
    }
    int attached = 0;
    for (bool more = true; more;) {
      more = false;
      for (Callout& c : pending)
        if (!c.placed && touches(c)) {
          c.placed = more = true;
          ++attached;
          add(c);
        }
    }
    // What is left may stand in a callout on no face.
    grid.clear();
    for (const Callout& c : notes)
      add(c);
    for (Callout& c : pending)
      if (!c.placed && touches(c)) {
        c.placed = true;
        exempt.push_back(c.name + ", in a callout on no face");
      }
    for (const Callout& c : pending)
      if (!c.placed) misses.push_back(c.name + ", and it touches no callout that stands there");
    std::cout << part << ": " << drawn << " callouts drawn, " << placed << " at a face of theirs, "
              << attached << " on a callout that is, " << exempt.size() << " exempt\n";
    for (const std::string& e : exempt)
      std::cout << "  exempt " << e << "\n";
    for (const std::string& m : misses)
      ADD_FAILURE() << m;
    EXPECT_EQ(placed + attached + static_cast<int>(exempt.size()), drawn);
    return drawn;
  }
}

} // namespace

TEST_F(KROStepPlacementTest, EveryCalloutStandsAtAFaceOfItsAnnotation) {
  for (const char* part : {kCTC01, kCTC03, kCTC04, kFTC07}) {
    SCOPED_TRACE(part);
    EXPECT_GE(CheckPlacement(KROStepData(part), part), 20);
  }
}

// Callouts drawn as polylines (annotation curve occurrences of geometric curve sets), on an
// inch part: FTC-07 with each of its tessellated callouts written that way, point for point.
// Every annotation draws as many lines as the file's records say, and each stands in place.
TEST_F(KROStepPlacementTest, PolylineCalloutsOfAnInchPartStandInPlace) {
  const KROStepFileText file = KROStepReadFileText(KROStepData(kFTC07));
  int next = file.records.rbegin()->first + 1;
  std::map<int, std::string> edits;
  int converted = 0;
  for (int o : file.With("TESSELLATED_ANNOTATION_OCCURRENCE(")) {
    const std::string t = "TESSELLATED_ANNOTATION_OCCURRENCE";
    const int set = KROStepRef(file.Param(o, t, 3));
    if (file.records.count(set) == 0 ||
        file.records.at(set).rfind("TESSELLATED_GEOMETRIC_SET(", 0) != 0)
      continue;
    std::string polylines;
    for (const std::string& item : KROStepListOf(file.Param(set, "TESSELLATED_GEOMETRIC_SET", 2))) {
      const int curves = KROStepRef(item);
      const std::string coordinates = file.Param(
          KROStepRef(file.Param(curves, "TESSELLATED_CURVE_SET", 2)), "COORDINATES_LIST", 3);
      const std::vector<std::string> points = KROStepListOf(coordinates);
      for (const std::string& curve :
           KROStepListOf(file.Param(curves, "TESSELLATED_CURVE_SET", 3))) {
        std::string refs;
        for (const std::string& index : KROStepListOf(curve)) {
          const std::size_t i = static_cast<std::size_t>(std::stoi(index));
          if (i < 1 || i > points.size()) continue;
          edits[next] = "CARTESIAN_POINT(''," + points[i - 1] + ")";
          refs += (refs.empty() ? "#" : ",#") + std::to_string(next++);
        }
        edits[next] = "POLYLINE('',(" + refs + "))";
        polylines += (polylines.empty() ? "#" : ",#") + std::to_string(next++);
      }
    }
    edits[next] = "GEOMETRIC_CURVE_SET('',(" + polylines + "))";
    edits[o] = "ANNOTATION_CURVE_OCCURRENCE(" + file.Param(o, t, 1) + "," + file.Param(o, t, 2) +
               ",#" + std::to_string(next++) + ")";
    ++converted;
  }
  ASSERT_GE(converted, 50);
  const std::string path = ::testing::TempDir() + "ftc07-polylines.stp";
  ASSERT_TRUE(KROStepEditedCopy(kFTC07, edits, path));
  EXPECT_GE(CheckPlacement(path, "FTC-07 with polyline callouts"), 50);

  // What each annotation draws is what the edited file's records say.
  const std::map<int, KROStepFileDrawing> drawings = KROStepFileDrawings(KROStepReadFileText(path));
  KROStepImportResult r = KROStepImportFile(path);
  ASSERT_TRUE(r.ok);
  int drawn = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    auto it = drawings.find(a.fileEntity);
    const int curves = it == drawings.end() ? 0 : it->second.curves;
    EXPECT_EQ(a.graphic ? a.graphic->polylines : 0, curves) << a.pmi;
    drawn += curves > 0 ? 1 : 0;
  }
  EXPECT_GE(drawn, 50);
  std::remove(path.c_str());
}
