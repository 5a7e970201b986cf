// KROStepGeometry.h - OCCT shapes to plain geometry: polylines and triangles.
///
/// Used by the reader while it walks OCCT's document, inside its OCCT scope. Nothing here
/// throws: a shape OCCT cannot discretise adds a warning and gives what could be made.
#pragma once

#include "KROStepPmi.h"

#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>

/// Appends one polyline per edge of a presentation shape (a dimension's, tolerance's or
/// datum's graphic PMI) to `lines`. A null shape adds nothing.
void KROStepPresentationLines(const TopoDS_Shape& shape,
                              std::vector<std::vector<KROStepVec>>& lines,
                              std::vector<KROStepMessage>& messages);

/// Meshes a part and appends its faces (triangles) and edges (polylines) to `geometry` under the
/// tags `firstFaceTag + i - 1` and `firstEdgeTag + i - 1` of the maps' i-th face and edge.
void KROStepPartGeometry(const TopoDS_Shape& part, const TopTools_IndexedMapOfShape& faces,
                         const TopTools_IndexedMapOfShape& edges, int firstFaceTag,
                         int firstEdgeTag, KROStepGeometry& geometry,
                         std::vector<KROStepMessage>& messages);
