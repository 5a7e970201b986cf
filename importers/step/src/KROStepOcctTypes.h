// KROStepOcctTypes.h - STEP entities OCCT 7.6 does not type, typed by a read module of ours.
///
/// OCCT 7.6 keeps a COMPLEX_TRIANGULATED_SURFACE_SET and a tessellated geometric set that is
/// also a REPOSITIONED_TESSELLATED_ITEM as undefined entities; worse, a tessellated annotation
/// occurrence whose item is one of them is read with a null item, so nothing leads from the
/// callout to what it draws. A read module registered through OCCT's own extension mechanism (a
/// protocol whose resource is OCCT's STEP protocol, given to the reader's work session) types
/// them, and OCCT's readers then link the occurrences to them like any other item.
#pragma once

#include <StepGeom_Axis2Placement3d.hxx>
#include <StepVisual_CoordinatesList.hxx>
#include <StepVisual_TessellatedItem.hxx>
#include <XSControl_WorkSession.hxx>

#include <array>
#include <vector>

/// A COMPLEX_TRIANGULATED_SURFACE_SET: triangles as strips and fans of 1-based indices, into
/// `pnindex` when it is not empty, else into the coordinates.
class KROStepTriangulatedSet : public StepVisual_TessellatedItem {
public:
  Handle(StepVisual_CoordinatesList) coordinates;
  std::vector<int> pnindex;
  std::vector<std::vector<int>> strips;
  std::vector<std::vector<int>> fans;

  /// The triangles as triples of 0-based indices into the coordinates; triangles with an index
  /// outside them are left out and counted in `dropped`.
  std::vector<std::array<int, 3>> Triangles(int& dropped) const;

  DEFINE_STANDARD_RTTI_INLINE(KROStepTriangulatedSet, StepVisual_TessellatedItem)
};

/// A tessellated geometric set that is also a repositioned tessellated item: its items'
/// coordinates are in the coordinate system of `location`.
class KROStepRepositionedSet : public StepVisual_TessellatedItem {
public:
  Handle(StepGeom_Axis2Placement3d) location;
  std::vector<Handle(Standard_Transient)> items; ///< tessellated items, as the file lists them

  DEFINE_STANDARD_RTTI_INLINE(KROStepRepositionedSet, StepVisual_TessellatedItem)
};

/// Makes `ws` read files with the entities above typed. Call before reading a file.
void KROStepUseOwnTypes(const Handle(XSControl_WorkSession) & ws);
