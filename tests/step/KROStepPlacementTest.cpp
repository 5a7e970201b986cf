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

class KROStepPlacementTest : public KROStepScratchTest {};

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

/// The area the filled triangles of annotation `id`'s bound 3D rep cover.
double FilledArea(const KROStepImportResult& r, int id) {
  const std::vector<Vec> points = [&] {
    KROComPtr<KROBaseUnknown> object;
    r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
    KRORep* rep = nullptr;
    if (!object || FAILED(object.As<KROITPSLight>()->GetRep(&rep)) || !rep)
      return std::vector<Vec>();
    const list<KRORep>* children = rep->GetChildren();
    for (int i = 0; children && i < children->Size(); ++i)
      if (const auto* fill = dynamic_cast<const KRO3DTriangleRep*>(children->At(i)))
        return std::vector<Vec>(fill->GetPoints().begin(), fill->GetPoints().end());
    return std::vector<Vec>();
  }();
  double area = 0;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    const Vec u = Sub(points[i + 1], points[i]), v = Sub(points[i + 2], points[i]);
    area +=
        Length({u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]}) /
        2;
  }
  return area;
}

// Callouts drawn as polylines and fill areas, on an inch part: FTC-07 with each tessellated
// callout written as an annotation curve occurrence of polylines, point for point, plus a fill
// area occurrence: a triangle on three of its points with a hole (the triangle halved about its
// centre), so that the filled area is three quarters of the triangle's. Every annotation draws
// as many lines as the file's records say and fills that area, and each stands in place.
TEST_F(KROStepPlacementTest, PolylineAndFillAreaCalloutsOfAnInchPartStandInPlace) {
  const KROStepFileText file = KROStepReadFileText(KROStepData(kFTC07));
  int next = file.records.rbegin()->first + 1;
  std::map<int, std::string> edits;
  std::map<int, double> filledOf; // per callout, the area its fill area covers, in inches²
  std::map<int, int> calloutOf;   // occurrence -> the draughting callout holding it
  for (int c : file.With("DRAUGHTING_CALLOUT("))
    for (const std::string& o : KROStepListOf(file.Param(c, "DRAUGHTING_CALLOUT", 2)))
      calloutOf[KROStepRef(o)] = c;
  auto point = [&](const Vec& p) {
    char text[128];
    std::snprintf(text, sizeof text, "CARTESIAN_POINT('',(%.17g,%.17g,%.17g))", p[0], p[1], p[2]);
    edits[next] = text;
    return "#" + std::to_string(next++);
  };
  auto polyline = [&](const std::vector<std::string>& refs) {
    std::string list;
    for (const std::string& ref : refs)
      list += (list.empty() ? "" : ",") + ref;
    edits[next] = "POLYLINE('',(" + list + "))";
    return "#" + std::to_string(next++);
  };
  for (int o : file.With("TESSELLATED_ANNOTATION_OCCURRENCE(")) {
    const std::string t = "TESSELLATED_ANNOTATION_OCCURRENCE";
    const int set = KROStepRef(file.Param(o, t, 3));
    if (file.records.count(set) == 0 || !calloutOf.count(o) ||
        file.records.at(set).rfind("TESSELLATED_GEOMETRIC_SET(", 0) != 0)
      continue;
    std::string polylines;
    std::vector<Vec> all;
    for (const std::string& item : KROStepListOf(file.Param(set, "TESSELLATED_GEOMETRIC_SET", 2))) {
      const int curves = KROStepRef(item);
      const std::string coordinates = file.Param(
          KROStepRef(file.Param(curves, "TESSELLATED_CURVE_SET", 2)), "COORDINATES_LIST", 3);
      std::vector<Vec> points;
      for (const std::string& p : KROStepListOf(coordinates)) {
        const std::vector<std::string> xyz = KROStepListOf(p);
        points.push_back({std::stod(xyz.at(0)), std::stod(xyz.at(1)), std::stod(xyz.at(2))});
      }
      for (const std::string& curve :
           KROStepListOf(file.Param(curves, "TESSELLATED_CURVE_SET", 3))) {
        std::vector<std::string> refs;
        for (const std::string& index : KROStepListOf(curve)) {
          const std::size_t i = static_cast<std::size_t>(std::stoi(index));
          if (i < 1 || i > points.size()) continue;
          refs.push_back(point(points[i - 1]));
          all.push_back(points[i - 1]);
        }
        polylines += (polylines.empty() ? "" : ",") + polyline(refs);
      }
    }
    if (all.empty()) continue;
    edits[next] = "GEOMETRIC_CURVE_SET('',(" + polylines + "))";
    edits[o] = "ANNOTATION_CURVE_OCCURRENCE(" + file.Param(o, t, 1) + "," + file.Param(o, t, 2) +
               ",#" + std::to_string(next++) + ")";
    // The triangle: a point, the one farthest from it, the one farthest from the line of both.
    const Vec a = all.front();
    Vec b = a, c = a;
    for (const Vec& p : all)
      if (Length(Sub(p, a)) > Length(Sub(b, a))) b = p;
    auto offLine = [&](const Vec& p) {
      const Vec u = Sub(b, a), v = Sub(p, a);
      return Length(
          {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]});
    };
    for (const Vec& p : all)
      if (offLine(p) > offLine(c)) c = p;
    if (offLine(c) <= 1e-9 * Length(Sub(b, a))) continue; // a callout of one straight line
    const Vec m = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3};
    auto half = [&](const Vec& p) {
      return Vec{(p[0] + m[0]) / 2, (p[1] + m[1]) / 2, (p[2] + m[2]) / 2};
    };
    const std::string first = point(a);
    const std::string outline = polyline({first, point(b), point(c), first});
    const std::string hole =
        polyline({point(half(a)), point(half(c)), point(half(b)), point(half(a))});
    edits[next] = "ANNOTATION_FILL_AREA('',(" + outline + "," + hole + "))";
    const int area = next++;
    edits[next] = "ANNOTATION_FILL_AREA_OCCURRENCE(''," + file.Param(o, t, 2) + ",#" +
                  std::to_string(area) + "," + first + ")";
    const int fill = next++;
    const int callout = calloutOf[o];
    const std::string contents = file.Param(callout, "DRAUGHTING_CALLOUT", 2);
    edits[callout] = "DRAUGHTING_CALLOUT(" + file.Param(callout, "DRAUGHTING_CALLOUT", 1) + "," +
                     contents.substr(0, contents.rfind(')')) + ",#" + std::to_string(fill) + "))";
    filledOf[callout] += 0.75 * offLine(c) / 2;
  }
  ASSERT_GE(filledOf.size(), 40u);
  const std::string path = Out("ftc07-polylines-fills.stp");
  ASSERT_TRUE(KROStepEditedCopy(kFTC07, edits, path));
  EXPECT_GE(CheckPlacement(path, "FTC-07 with polyline and fill area callouts"), 50);

  // What each annotation draws is what the edited file's records say: its lines, and the area
  // its callouts' fill areas cover (in millimetres², the part being in inches).
  const std::map<int, KROStepFileDrawing> drawings = KROStepFileDrawings(KROStepReadFileText(path));
  KROStepImportResult r = KROStepImportFile(path);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.units.geometryMm, 25.4);
  int drawn = 0, filled = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    auto it = drawings.find(a.fileEntity);
    if (it == drawings.end()) {
      EXPECT_FALSE(a.graphic) << a.pmi;
      continue;
    }
    EXPECT_EQ(a.graphic ? a.graphic->polylines : 0, it->second.curves) << a.pmi;
    double expected = 0;
    for (int callout : it->second.drawnBy)
      expected += filledOf.count(callout) ? filledOf.at(callout) * 25.4 * 25.4 : 0;
    EXPECT_NEAR(FilledArea(r, a.id), expected, 1e-6 * (1 + expected)) << a.pmi;
    drawn += it->second.curves > 0 ? 1 : 0;
    filled += expected > 0 ? 1 : 0;
  }
  EXPECT_GE(drawn, 50);
  EXPECT_GE(filled, 40);
}
