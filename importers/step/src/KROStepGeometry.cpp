// KROStepGeometry.cpp - discretising OCCT shapes for drawing: edges to polylines, faces to
// triangles with OCCT's incremental mesher.
#include "KROStepGeometry.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GCPnts_TangentialDeflection.hxx>
#include <Poly_Triangulation.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>

#include <algorithm>
#include <cmath>

namespace {

// Angular deflection of curves and meshes, in radians; the linear one follows the shape's size.
constexpr double kAngularDeflection = 0.2;
constexpr double kRelativeDeflection = 1e-3;
// The mesher refuses a deflection near OCCT's confusion (1e-7): a part of nearly no size (a point,
// a stray vertex) still gets a valid one.
constexpr double kMinDeflection = 1e-5;
// No edge is cut into more points than this, whatever the deflection asks for.
constexpr int kMaxEdgePoints = 4096;

void Warn(std::vector<KROStepMessage>& messages, std::string text) {
  try {
    messages.push_back({KROStepMessage::Severity::Warning, std::move(text)});
  } catch (...) {
  }
}

std::string Why(const Standard_Failure& f) {
  const char* what = f.GetMessageString();
  return std::string(f.DynamicType()->Name()) + (what && *what ? std::string(": ") + what : "");
}

double LinearDeflection(const TopoDS_Shape& shape) {
  Bnd_Box box;
  BRepBndLib::Add(shape, box);
  const double size = box.IsVoid() ? 0 : std::sqrt(box.SquareExtent());
  return size > 0 && std::isfinite(size) ? std::max(size * kRelativeDeflection, kMinDeflection)
                                         : 0.01;
}

KROStepVec Vec(const gp_Pnt& p) { return {p.X(), p.Y(), p.Z()}; }

/// The edge as a polyline; empty for a degenerated edge or one without a curve.
std::vector<KROStepVec> EdgeLine(const TopoDS_Edge& edge, double deflection) {
  std::vector<KROStepVec> line;
  if (BRep_Tool::Degenerated(edge) || !BRep_Tool::IsGeometric(edge)) return line;
  BRepAdaptor_Curve curve(edge);
  GCPnts_TangentialDeflection points(curve, kAngularDeflection, deflection, 2, 1e-9,
                                     deflection * 1e-3);
  const int n = std::min(points.NbPoints(), kMaxEdgePoints);
  line.reserve(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i)
    line.push_back(Vec(points.Value(i)));
  return line;
}

} // namespace

void KROStepPresentationLines(const TopoDS_Shape& shape,
                              std::vector<std::vector<KROStepVec>>& lines,
                              std::vector<KROStepMessage>& messages) {
  if (shape.IsNull()) return;
  try {
    const double deflection = LinearDeflection(shape);
    TopTools_IndexedMapOfShape edges;
    TopExp::MapShapes(shape, TopAbs_EDGE, edges);
    for (int i = 1; i <= edges.Extent(); ++i) {
      std::vector<KROStepVec> line = EdgeLine(TopoDS::Edge(edges(i)), deflection);
      if (line.size() >= 2) lines.push_back(std::move(line));
    }
  } catch (const Standard_Failure& f) {
    Warn(messages, "a graphic presentation could not be discretised (" + Why(f) + ")");
  }
}

void KROStepPartGeometry(const TopoDS_Shape& part, const TopTools_IndexedMapOfShape& faces,
                         const TopTools_IndexedMapOfShape& edges, int firstFaceTag,
                         int firstEdgeTag, KROStepGeometry& geometry,
                         std::vector<KROStepMessage>& messages) {
  double deflection = 0.01;
  try {
    deflection = LinearDeflection(part);
    if (faces.Extent() > 0) {
      // Meshing stores the triangulation on the part's faces, where the loop below finds it.
      BRepMesh_IncrementalMesh mesh(part, deflection, false, kAngularDeflection, false);
    }
  } catch (const Standard_Failure& f) {
    Warn(messages, "the part could not be meshed (" + Why(f) + "); faces are not drawn");
  }
  for (int i = 1; i <= faces.Extent(); ++i) {
    try {
      const TopoDS_Face& face = TopoDS::Face(faces(i));
      TopLoc_Location location;
      const Handle(Poly_Triangulation)& mesh = BRep_Tool::Triangulation(face, location);
      if (mesh.IsNull() || mesh->NbTriangles() == 0) continue;
      const gp_Trsf& place = location.Transformation();
      const bool reversed = face.Orientation() == TopAbs_REVERSED;
      KROStepTagGeometry g;
      g.tag = firstFaceTag + i - 1;
      g.points.reserve(static_cast<std::size_t>(mesh->NbTriangles()) * 3);
      for (int t = 1; t <= mesh->NbTriangles(); ++t) {
        int a = 0, b = 0, c = 0;
        mesh->Triangle(t).Get(a, b, c);
        if (reversed) std::swap(b, c);
        for (int n : {a, b, c})
          g.points.push_back(Vec(mesh->Node(n).Transformed(place)));
      }
      geometry.faces.push_back(std::move(g));
    } catch (const Standard_Failure& f) {
      Warn(messages, "face " + std::to_string(i) + " could not be meshed (" + Why(f) + ")");
    }
  }
  for (int i = 1; i <= edges.Extent(); ++i) {
    try {
      KROStepTagGeometry g;
      g.tag = firstEdgeTag + i - 1;
      std::vector<KROStepVec> line = EdgeLine(TopoDS::Edge(edges(i)), deflection);
      if (line.size() < 2) continue;
      g.points = std::move(line);
      geometry.edges.push_back(std::move(g));
    } catch (const Standard_Failure& f) {
      Warn(messages, "edge " + std::to_string(i) + " could not be discretised (" + Why(f) + ")");
    }
  }
}
