// KROStepFactReader.h - reads the semantic PMI a transferred file states (OCCT side).
#pragma once

#include "KROStepFacts.h"

#include <StepData_StepModel.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XSControl_WorkSession.hxx>

#include <functional>
#include <utility>
#include <vector>

/// Gives the (part, tag) of a face or edge of the model, or (-1, 0) when it has none.
using KROStepTagLookup = std::function<std::pair<int, int>(const TopoDS_Shape&)>;

/// Reads the dimensions, tolerances, datum features, datum systems, notes and camera models of
/// a transferred file from OCCT's STEP model; faces become tags through `tagOf`, and `isFace`
/// tells a face tag from an edge tag. Must run while `ws` still holds the transfer's results.
/// Malformed records are skipped with a warning in `facts.messages`. May throw
/// Standard_Failure; the caller catches it.
void KROStepReadFileFacts(const Handle(XSControl_WorkSession) & ws, const KROStepTagLookup& tagOf,
                          const std::function<bool(int)>& isFace, KROStepFileFacts& facts);

/// Reads every callout the file draws into `facts.callouts` (KROStepCalloutReader.cpp): its
/// polylines and filled triangles in model coordinates and millimetres, and the ids of what its
/// draughting associations name. Runs after KROStepReadFileFacts' own reading. May throw
/// Standard_Failure; the caller catches it.
void KROStepReadCallouts(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts);

/// The context of items of `e` when it is a representation, typed by OCCT or kept as a record
/// with a REPRESENTATION part (a draughting model OCCT does not type); else null.
Handle(Standard_Transient) KROStepRepresentationContext(const Handle(StepData_StepModel) & model,
                                                        const Handle(Standard_Transient) & e);

/// OCCT's length factor of a representation context: how many of the document's length units
/// (`KROStepFileFacts::documentMm` millimetres each) make one of the context's; 0 when it states
/// none.
double KROStepContextLengthFactor(const Handle(Standard_Transient) & context);

/// OCCT 7.6's transfer reads a tolerance's maximum value and a datum reference modifier's value
/// without a check, and a length OCCT's reader could not type (a measure stated as a
/// representation item, as most files state their values, or none at all) is null there and
/// crashes it. Run before transferring: puts in each such length as a plain length measure of the
/// file's value and unit. Returns the file ids of the entities whose length could not be read at
/// all; the file cannot be transferred while any remains.
std::vector<int> KROStepMendUnreadLengths(const Handle(XSControl_WorkSession) & ws);

/// The faces of `shape` (itself when it is one), or its edges when it has no face: what PMI on
/// a shape applies to.
void KROStepFacesOrEdges(const TopoDS_Shape& shape, TopTools_IndexedMapOfShape& pieces);
