// KROStepCalloutReader.cpp - the callouts a file draws, read from its own entities (OCCT side).
///
/// A callout is a draughting callout (or an annotation occurrence that no callout holds); what
/// it draws is the item of each annotation occurrence it holds: tessellated curve sets as
/// polylines, triangulated surface sets as filled triangles (both possibly in a repositioned
/// set, whose coordinates are in the plane of its placement), polylines of curve occurrences,
/// and the regions of fill area occurrences as triangles (OCCT's mesher fills a planar face
/// bounded by the area's polylines). Coordinates are in the unit of the draughting model that
/// holds the callout.
#include "KROStepFactReader.h"
#include "KROStepOcctTypes.h"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_Graph.hxx>
#include <Poly_Triangulation.hxx>
#include <ShapeFix_Face.hxx>
#include <Standard_Failure.hxx>
#include <StepAP242_DraughtingModelItemAssociation.hxx>
#include <StepData_StepModel.hxx>
#include <StepGeom_CartesianPoint.hxx>
#include <StepGeom_Direction.hxx>
#include <StepGeom_Plane.hxx>
#include <StepGeom_Polyline.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationContext.hxx>
#include <StepShape_GeometricSet.hxx>
#include <StepVisual_AnnotationCurveOccurrence.hxx>
#include <StepVisual_AnnotationFillArea.hxx>
#include <StepVisual_AnnotationFillAreaOccurrence.hxx>
#include <StepVisual_AnnotationPlane.hxx>
#include <StepVisual_DraughtingCallout.hxx>
#include <StepVisual_TessellatedAnnotationOccurrence.hxx>
#include <StepVisual_TessellatedCurveSet.hxx>
#include <StepVisual_TessellatedGeometricSet.hxx>
#include <TColgp_HArray1OfXYZ.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>
#include <gp_XYZ.hxx>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

using Transient = Handle(Standard_Transient);

/// A frame to place coordinates in: origin and axes, already scaled to millimetres.
struct Frame {
  gp_XYZ origin{0, 0, 0};
  gp_XYZ x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  double mm = 1;
  KROStepVec Place(const gp_XYZ& p) const {
    const gp_XYZ v = origin + x * p.X() + y * p.Y() + z * p.Z();
    return {v.X() * mm, v.Y() * mm, v.Z() * mm};
  }
};

std::optional<gp_XYZ> Point(const Handle(StepGeom_CartesianPoint) & p) {
  if (p.IsNull() || p->NbCoordinates() < 2) return std::nullopt;
  const gp_XYZ v(p->CoordinatesValue(1), p->CoordinatesValue(2),
                 p->NbCoordinates() > 2 ? p->CoordinatesValue(3) : 0.0);
  if (!std::isfinite(v.X()) || !std::isfinite(v.Y()) || !std::isfinite(v.Z())) return std::nullopt;
  return v;
}

std::optional<gp_XYZ> Direction(const Handle(StepGeom_Direction) & d) {
  if (d.IsNull() || d->NbDirectionRatios() < 3) return std::nullopt;
  const gp_XYZ v(d->DirectionRatiosValue(1), d->DirectionRatiosValue(2),
                 d->DirectionRatiosValue(3));
  const double n = v.Modulus();
  if (!std::isfinite(n) || n < 1e-12) return std::nullopt;
  return v / n;
}

/// `outer` with the placement `location` applied first; false when the placement is unusable.
bool Placed(const Frame& outer, const Handle(StepGeom_Axis2Placement3d) & location, Frame& out) {
  if (location.IsNull()) return false;
  const std::optional<gp_XYZ> origin = Point(location->Location());
  if (!origin) return false;
  gp_XYZ z(0, 0, 1), x(1, 0, 0);
  if (location->HasAxis()) {
    const std::optional<gp_XYZ> a = Direction(location->Axis());
    if (!a) return false;
    z = *a;
  }
  if (location->HasRefDirection()) {
    const std::optional<gp_XYZ> r = Direction(location->RefDirection());
    if (!r) return false;
    x = *r;
  } else if (std::abs(z.Z()) > 0.9) {
    x = gp_XYZ(1, 0, 0);
  } else {
    x = gp_XYZ(0, 0, 1);
  }
  x = x - z * (x * z); // x made square to z
  if (x.Modulus() < 1e-12) return false;
  x /= x.Modulus();
  const gp_XYZ y = z ^ x;
  // In `outer`'s coordinates, then placed by it.
  auto in = [&](const gp_XYZ& v) { return outer.x * v.X() + outer.y * v.Y() + outer.z * v.Z(); };
  out = outer;
  out.origin = outer.origin + in(*origin);
  out.x = in(x);
  out.y = in(y);
  out.z = in(z);
  return true;
}

/// Twice the area of the closed polygon `ring`, whatever plane it lies in.
double TwiceArea(const std::vector<gp_XYZ>& ring) {
  gp_XYZ n(0, 0, 0);
  for (std::size_t i = 0; i < ring.size(); ++i)
    n += ring[i] ^ ring[(i + 1) % ring.size()];
  return n.Modulus();
}

/// Appends triangles covering the region that the closed polygons `rings` bound in their plane
/// (the largest the outline, the others holes) to `triangles`. OCCT makes the planar face and
/// meshes it. False, with nothing appended, when OCCT cannot (points in a line, say).
bool Fill(std::vector<std::vector<gp_XYZ>> rings, std::vector<KROStepVec>& triangles) {
  std::sort(rings.begin(), rings.end(),
            [](const auto& a, const auto& b) { return TwiceArea(a) > TwiceArea(b); });
  TopoDS_Face face;
  double size = 0;
  for (const std::vector<gp_XYZ>& ring : rings) {
    BRepBuilderAPI_MakePolygon polygon;
    for (const gp_XYZ& p : ring)
      polygon.Add(gp_Pnt(p));
    polygon.Close();
    if (!polygon.IsDone()) continue;
    if (face.IsNull()) {
      BRepBuilderAPI_MakeFace outline(polygon.Wire(), true);
      if (!outline.IsDone()) return false;
      face = outline.Face();
      for (const gp_XYZ& p : ring)
        size = std::max(size, (p - ring.front()).Modulus());
    } else {
      BRepBuilderAPI_MakeFace holed(face, polygon.Wire());
      if (holed.IsDone()) face = holed.Face();
    }
  }
  if (face.IsNull() || !(size > 0)) return false;
  ShapeFix_Face fix(face);
  fix.FixOrientation(); // holes turned against the outline
  face = fix.Face();
  BRepMesh_IncrementalMesh mesh(face, size * 1e-3, false, 0.5, false);
  TopLoc_Location location;
  const Handle(Poly_Triangulation)& t = BRep_Tool::Triangulation(face, location);
  if (t.IsNull() || t->NbTriangles() == 0) return false;
  const gp_Trsf& place = location.Transformation();
  for (int i = 1; i <= t->NbTriangles(); ++i) {
    int a = 0, b = 0, c = 0;
    t->Triangle(i).Get(a, b, c);
    for (int n : {a, b, c}) {
      const gp_Pnt p = t->Node(n).Transformed(place);
      triangles.push_back({p.X(), p.Y(), p.Z()});
    }
  }
  return true;
}

class CalloutReader {
public:
  CalloutReader(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts) : facts_(facts) {
    model_ = Handle(StepData_StepModel)::DownCast(ws->Model());
    if (!model_.IsNull()) graph_ = &ws->Graph();
  }

  void Read() {
    if (model_.IsNull()) return;
    const int n = model_->NbEntities();
    // What each callout (or occurrence) presents, by the draughting associations naming it.
    std::map<int, std::vector<int>> presents;
    for (int i = 1; i <= n; ++i) {
      auto link = Handle(StepAP242_DraughtingModelItemAssociation)::DownCast(model_->Value(i));
      if (link.IsNull() || link->IdentifiedItem().IsNull() || link->Definition().Value().IsNull())
        continue;
      for (int k = 1; k <= link->NbIdentifiedItem(); ++k)
        if (const Transient item = link->IdentifiedItemValue(k); !item.IsNull())
          presents[Id(item)].push_back(Id(link->Definition().Value()));
    }
    std::map<int, std::size_t> calloutAt; // callout id -> index into facts_.callouts
    for (int i = 1; i <= n; ++i) {
      const Transient& e = model_->Value(i);
      if (!e->IsKind(STANDARD_TYPE(StepVisual_TessellatedAnnotationOccurrence)) &&
          !e->IsKind(STANDARD_TYPE(StepVisual_AnnotationCurveOccurrence)) &&
          !e->IsKind(STANDARD_TYPE(StepVisual_AnnotationFillAreaOccurrence)))
        continue;
      // The callouts holding it, or itself when none does.
      std::vector<Transient> holders;
      for (Interface_EntityIterator it = graph_->Sharings(e); it.More(); it.Next())
        if (it.Value()->IsKind(STANDARD_TYPE(StepVisual_DraughtingCallout)))
          holders.push_back(it.Value());
      if (holders.empty()) holders.push_back(e);
      for (const Transient& holder : holders) {
        auto [at, fresh] = calloutAt.emplace(Id(holder), facts_.callouts.size());
        if (fresh) {
          KROStepFileCallout c;
          c.entity = Id(holder);
          if (auto item = Handle(StepRepr_RepresentationItem)::DownCast(holder))
            c.name = Ascii(item->Name());
          c.presents = Distinct(presents[c.entity]);
          facts_.callouts.push_back(std::move(c));
        }
        KROStepFileCallout& c = facts_.callouts[at->second];
        c.occurrences.push_back(Id(e));
        Frame frame;
        frame.mm = UnitOf(holder, e);
        if (!c.plane) c.plane = PlaneOf({holder, e}, frame.mm);
        Draw(Handle(StepVisual_StyledItem)::DownCast(e)->Item(), frame, c, 0);
      }
    }
  }

private:
  int Id(const Transient& e) const { return e.IsNull() ? 0 : model_->IdentLabel(e); }

  static std::string Ascii(const Handle(TCollection_HAsciiString) & s) {
    return s.IsNull() ? std::string() : std::string(s->ToCString());
  }

  static std::vector<int> Distinct(std::vector<int> v) {
    std::vector<int> out;
    std::set<int> seen;
    for (int x : v)
      if (seen.insert(x).second) out.push_back(x);
    return out;
  }

  /// Millimetres in one unit of the draughting model holding `holder` (or `occurrence`), found
  /// through whatever holds them in turn (an annotation plane, say); else the document's unit.
  double UnitOf(const Transient& holder, const Transient& occurrence) const {
    const double document = facts_.documentMm > 0 ? facts_.documentMm : 1;
    std::vector<Transient> level{holder, occurrence};
    std::set<const Standard_Transient*> seen;
    for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
      std::vector<Transient> next;
      for (const Transient& e : level)
        for (Interface_EntityIterator it = graph_->Sharings(e); it.More(); it.Next()) {
          if (!seen.insert(it.Value().get()).second) continue;
          if (const Transient context = KROStepRepresentationContext(model_, it.Value());
              !context.IsNull()) {
            const double factor = KROStepContextLengthFactor(context);
            if (factor > 0) return factor * document;
          } else {
            next.push_back(it.Value());
          }
        }
      level = std::move(next);
    }
    return document;
  }

  /// The plane of the first annotation plane that holds one of `elements`, in millimetres.
  std::optional<KROStepPlane> PlaneOf(const std::vector<Transient>& elements, double mm) const {
    for (const Transient& e : elements)
      for (Interface_EntityIterator it = graph_->Sharings(e); it.More(); it.Next()) {
        auto annotationPlane = Handle(StepVisual_AnnotationPlane)::DownCast(it.Value());
        if (annotationPlane.IsNull()) continue;
        auto plane = Handle(StepGeom_Plane)::DownCast(annotationPlane->Item());
        Frame unit, placed;
        unit.mm = mm;
        if (plane.IsNull() || !Placed(unit, plane->Position(), placed)) continue;
        const gp_XYZ z = placed.z, x = placed.x;
        return KROStepPlane{
            placed.Place(gp_XYZ(0, 0, 0)), {z.X(), z.Y(), z.Z()}, {x.X(), x.Y(), x.Z()}};
      }
    return std::nullopt;
  }

  /// Adds what `item` draws, placed by `frame`, to `c`.
  void Draw(const Transient& item, const Frame& frame, KROStepFileCallout& c, int depth) {
    if (item.IsNull() || depth > 8) return;
    if (auto set = Handle(KROStepRepositionedSet)::DownCast(item)) {
      Frame placed;
      if (!Placed(frame, set->location, placed)) {
        Warn(item, "repositioned tessellated item without a usable placement");
        return;
      }
      for (const Transient& i : set->items)
        Draw(i, placed, c, depth + 1);
    } else if (auto set = Handle(StepVisual_TessellatedGeometricSet)::DownCast(item)) {
      if (set->Items().IsNull()) return;
      for (int i = set->Items()->Lower(); i <= set->Items()->Upper(); ++i)
        Draw(set->Items()->Value(i), frame, c, depth + 1);
    } else if (auto curves = Handle(StepVisual_TessellatedCurveSet)::DownCast(item)) {
      const Handle(TColgp_HArray1OfXYZ) points =
          curves->CoordList().IsNull() ? nullptr : curves->CoordList()->Points();
      if (points.IsNull() || curves->Curves().IsNull()) return;
      for (const Handle(TColStd_HSequenceOfInteger) & curve : *curves->Curves()) {
        if (curve.IsNull()) continue;
        std::vector<KROStepVec> line;
        for (int k = 1; k <= curve->Length(); ++k) {
          const int index = curve->Value(k);
          if (index >= 1 && index <= points->Length())
            line.push_back(frame.Place(points->Value(points->Lower() + index - 1)));
        }
        if (line.size() >= 2) c.polylines.push_back(std::move(line));
      }
    } else if (auto triangles = Handle(KROStepTriangulatedSet)::DownCast(item)) {
      const Handle(TColgp_HArray1OfXYZ) points =
          triangles->coordinates.IsNull() ? nullptr : triangles->coordinates->Points();
      if (points.IsNull()) return;
      int dropped = 0;
      for (const std::array<int, 3>& t : triangles->Triangles(dropped))
        for (int corner : t)
          c.triangles.push_back(frame.Place(points->Value(points->Lower() + corner)));
      if (dropped > 0)
        Warn(item, std::to_string(dropped) + " triangles with an index outside its coordinates");
    } else if (auto polyline = Handle(StepGeom_Polyline)::DownCast(item)) {
      std::vector<KROStepVec> line;
      for (int k = 1; k <= polyline->NbPoints(); ++k)
        if (const std::optional<gp_XYZ> p = Point(polyline->PointsValue(k)))
          line.push_back(frame.Place(*p));
      if (line.size() >= 2) c.polylines.push_back(std::move(line));
    } else if (auto area = Handle(StepVisual_AnnotationFillArea)::DownCast(item)) {
      FillArea(area, frame, c);
    } else if (auto set = Handle(StepShape_GeometricSet)::DownCast(item)) {
      for (int k = 1; k <= set->NbElements(); ++k)
        Draw(set->ElementsValue(k).Value(), frame, c, depth + 1);
    }
  }

  /// The region a fill area's boundaries (closed polylines) enclose, as triangles; when OCCT
  /// cannot fill it, its boundaries are drawn as lines instead.
  void FillArea(const Handle(StepVisual_AnnotationFillArea) & area, const Frame& frame,
                KROStepFileCallout& c) {
    std::vector<std::vector<gp_XYZ>> rings;
    int other = 0;
    for (int k = 1; k <= area->NbElements(); ++k) {
      auto polyline = Handle(StepGeom_Polyline)::DownCast(area->ElementsValue(k).Value());
      if (polyline.IsNull()) {
        ++other;
        continue;
      }
      std::vector<gp_XYZ> ring;
      for (int i = 1; i <= polyline->NbPoints(); ++i)
        if (const std::optional<gp_XYZ> p = Point(polyline->PointsValue(i))) {
          const KROStepVec v = frame.Place(*p);
          ring.emplace_back(v[0], v[1], v[2]);
        }
      if (ring.size() >= 2 &&
          (ring.back() - ring.front()).Modulus() <= 1e-12 * (1 + ring.front().Modulus()))
        ring.pop_back(); // closed by repeating its first point
      if (ring.size() >= 3) rings.push_back(std::move(ring));
    }
    if (other > 0) Warn(area, std::to_string(other) + " boundaries that are not polylines");
    if (rings.empty()) return;
    bool filled = false;
    const std::size_t before = c.triangles.size();
    try {
      filled = Fill(rings, c.triangles);
    } catch (const Standard_Failure&) {
      c.triangles.resize(before);
    }
    if (filled) return;
    Warn(area, "a fill area OCCT cannot fill; its boundaries are drawn");
    for (std::vector<gp_XYZ>& ring : rings) {
      std::vector<KROStepVec> line;
      for (const gp_XYZ& p : ring)
        line.push_back({p.X(), p.Y(), p.Z()});
      line.push_back(line.front());
      c.polylines.push_back(std::move(line));
    }
  }

  void Warn(const Transient& e, const std::string& why) {
    facts_.messages.push_back(
        {KROStepMessage::Severity::Warning, "#" + std::to_string(Id(e)) + ": " + why});
  }

  KROStepFileFacts& facts_;
  Handle(StepData_StepModel) model_;
  const Interface_Graph* graph_ = nullptr;
};

} // namespace

void KROStepReadCallouts(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts) {
  CalloutReader(ws, facts).Read();
}
