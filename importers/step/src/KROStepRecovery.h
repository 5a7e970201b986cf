// KROStepRecovery.h - what the file's own entities say, for the PMI OCCT's document drops.
///
/// OCCT's reader leaves some PMI out of its XCAF document although the file holds it: tolerances
/// whose target it cannot place, magnitudes whose complex instance it rejects, saved views whose
/// draughting model it cannot type. After a transfer, its STEP model still holds those entities
/// (typed, or as undefined content where its check list reports the problem), and its transfer
/// process still maps the file's faces to shapes. The facts read here come from that model only:
/// the file is not parsed a second time.
///
/// Matching rule (XCAF object ↔ file entity), since OCCT keeps no public link between the two:
///   - a tolerance matches an XCAF tolerance of the same tolerance type: first one of the same
///     name whose value equals the file's magnitude (relative 1e-9, in the document's unit), or
///     is 0 when OCCT could not read the magnitude; then one of any name with that value; then
///     one of the same name; then one on the same faces. Within a pass, the one applying to the
///     same faces and edges wins, then the first in OCCT's order. Each XCAF tolerance matches
///     once.
///   - a dimension a saved view shows matches the first dimension not yet listed that applies to
///     the same faces and edges; one that applies to none (OCCT placed it nowhere) matches by
///     its nominal value among those that apply to none.
///   - a camera model matches an XCAF view of the same name and view direction (within 1e-6).
/// Only what matches nothing is recovered; a match with a magnitude OCCT lost gets the value.
#pragma once

#include "KROStepPmi.h"

#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFDimTolObjects_GeomToleranceType.hxx>
#include <XSControl_WorkSession.hxx>

#include <functional>
#include <optional>
#include <string>
#include <vector>

/// An annotation a saved view shows, as the file names it.
struct KROStepFileShown {
  enum class Kind { Tolerance, Datum, Dimension };
  Kind kind = Kind::Tolerance;
  int entity = 0;                  ///< file id of the semantic entity (#n)
  std::string letter;              ///< datums: the datum's letter
  int targetNumber = 0;            ///< datum targets: the target's number, else 0
  std::vector<TopoDS_Shape> faces; ///< dimensions: the faces and edges they apply to
  std::optional<double> value;     ///< dimensions: the nominal value, when the file gives one
};

struct KROStepFileTolerance {
  int entity = 0; ///< file id (#n)
  std::string name;
  XCAFDimTolObjects_GeomToleranceType type = XCAFDimTolObjects_GeomToleranceType_None;
  bool diameterZone = false;
  std::optional<double> value;      ///< the magnitude, in the document's length unit
  std::string magnitudeProblem;     ///< OCCT's reason for leaving the magnitude out, if it did
  std::string problem;              ///< OCCT's check on the entity itself, if any
  std::vector<TopoDS_Shape> shapes; ///< the faces and edges it applies to
  std::vector<std::string> datums;  ///< the datum system's letters, in order
};

struct KROStepFileCamera {
  int entity = 0; ///< file id (#n)
  std::string name;
  KROStepVec origin{};
  KROStepVec direction{};
  KROStepVec zenith{};
  int cameraType = KROStepCameraParallel;
  int clipping = 0;
  std::string problem;
  std::vector<KROStepFileShown> shows;
};

struct KROStepFileFacts {
  std::vector<KROStepFileTolerance> tolerances;
  std::vector<KROStepFileCamera> cameras;
  std::vector<KROStepMessage> messages; ///< records skipped as malformed
  /// The file's length unit in the document's (25.4 for an inch file read in millimetres).
  double lengthFactor = 1;
};

/// Reads the tolerances and camera models of a transferred file from OCCT's STEP model.
/// Must run while `ws` still holds the transfer's results. Malformed records are skipped with a
/// warning in `facts.messages`. May throw Standard_Failure; the caller catches it.
void KROStepReadFileFacts(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts);

/// The faces of `shape` (itself when it is one), or its edges when it has no face: what PMI on
/// a shape applies to.
void KROStepFacesOrEdges(const TopoDS_Shape& shape, TopTools_IndexedMapOfShape& pieces);

/// OCCT 7.6 converts the shapes and the semantic values of a file to the document's length unit,
/// but leaves its annotation planes, graphic presentations and saved-view points in the file's
/// own unit. Brings those of `pmi` (as walked from the document, before recovery) into the
/// document's unit, so that they stand where the faces they annotate stand.
void KROStepToDocumentUnit(const KROStepFileFacts& facts, KROStepPmi& pmi);

/// Gives the (part, tag) of a face or edge of the model, or (-1, 0) when it has none.
using KROStepTagLookup = std::function<std::pair<int, int>(const TopoDS_Shape&)>;

/// Adds to `pmi` what OCCT's document missed, by the matching rule above. `pmi` holds what was
/// walked from the document; what it holds is never changed, except a lost magnitude filled in.
void KROStepRecover(const KROStepFileFacts& facts, const KROStepTagLookup& tagOf, KROStepPmi& pmi);

/// OCCT's transfer follows shape aspect relationships without a bound, so a file whose
/// relationships make a cycle overflows its stack. Returns the cycle ("#a → #b → #a") found
/// among the parsed model's relationships, or "" when there is none. Run before transferring.
std::string KROStepFindAspectCycle(const Handle(XSControl_WorkSession) & ws);
