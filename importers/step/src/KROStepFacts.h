// KROStepFacts.h - the semantic PMI a file states, as plain types.
///
/// The fact reader (OCCT side, KROStepFactReader.cpp) fills these from the file's own entities;
/// the notation (KROStepNotation.cpp) writes them as drawing texts and the matcher
/// (KROStepMatch.cpp) joins them to what OCCT's document holds. Nothing here knows OCCT.
///
/// Numbers are as the file states them, in the file's own units (`KROStepFileUnits` says which);
/// only `KROStepUnitRule` turns them into the model's millimetres and degrees. Faces are tags
/// (the same tags the model's parts have), so that the facts can travel without OCCT.
#pragma once

#include "KROStepImport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using KROStepVec = std::array<double, 3>;

/// One of the fifteen kinds of geometric tolerance, with everything that names it.
struct KROStepToleranceKind {
  const char* entity; ///< the file's entity name, e.g. "FLATNESS_TOLERANCE"
  const char* symbol; ///< the drawing symbol, e.g. "▱"
  const char* word;   ///< readable name, e.g. "flatness"
  KROStepTypeCode type;
};

/// Every kind, in one table; `kind` fields below index it, -1 for a tolerance of no known kind.
inline constexpr std::array<KROStepToleranceKind, 15> KROStepToleranceKinds{{
    {"STRAIGHTNESS_TOLERANCE", "−", "straightness", KROStepTypeForm},
    {"FLATNESS_TOLERANCE", "▱", "flatness", KROStepTypeForm},
    {"ROUNDNESS_TOLERANCE", "○", "circularity", KROStepTypeForm},
    {"CYLINDRICITY_TOLERANCE", "⌭", "cylindricity", KROStepTypeForm},
    {"LINE_PROFILE_TOLERANCE", "⌒", "profile of a line", KROStepTypeProfile},
    {"SURFACE_PROFILE_TOLERANCE", "⌓", "profile of a surface", KROStepTypeProfile},
    {"ANGULARITY_TOLERANCE", "∠", "angularity", KROStepTypeOrientation},
    {"PARALLELISM_TOLERANCE", "⫽", "parallelism", KROStepTypeOrientation},
    {"PERPENDICULARITY_TOLERANCE", "⏊", "perpendicularity", KROStepTypeOrientation},
    {"POSITION_TOLERANCE", "⌖", "position", KROStepTypeLocation},
    {"CONCENTRICITY_TOLERANCE", "◎", "concentricity", KROStepTypeLocation},
    {"COAXIALITY_TOLERANCE", "◎", "coaxiality", KROStepTypeLocation},
    {"SYMMETRY_TOLERANCE", "⌯", "symmetry", KROStepTypeLocation},
    {"CIRCULAR_RUNOUT_TOLERANCE", "↗", "circular runout", KROStepTypeRunout},
    {"TOTAL_RUNOUT_TOLERANCE", "⌰", "total runout", KROStepTypeRunout},
}};

/// The kind whose entity name is `entity` (upper case, as in the file), or -1.
int KROStepToleranceKindOf(const std::string& entity);

/// The units the file gives its PMI and its geometry in.
struct KROStepFileUnits {
  std::string pmiName = "millimetre"; ///< e.g. "inch", "millimetre"
  double pmiMm = 1;                   ///< millimetres in one PMI length unit
  std::string geometryName = "millimetre";
  double geometryMm = 1;
  double angleDegrees = 1; ///< degrees in one angle unit of the facts (the reader gives degrees)
  bool operator==(const KROStepFileUnits&) const = default;
};

/// A dimension (dimensional size or location) as the file states it.
struct KROStepFileDimension {
  int entity = 0;   ///< the file's id (#n) of the dimensional size or location
  std::string name; ///< the file's name of it, when it gives one
  bool location = false;
  /// The file's word for what it measures: "diameter", "radius", "spherical diameter",
  /// "spherical radius", "linear distance", "curve length", … (lower case, as in the file).
  std::string type;
  bool angular = false; ///< an angle: its numbers are in degrees, whatever the file's unit
  std::optional<double> nominal;
  /// Deviations of a plus-minus tolerance: upper is added, lower is added too (usually ≤ 0).
  std::optional<double> upper, lower;
  int upperDecimals = -1, lowerDecimals = -1; ///< decimals of the deviations, when stated
  /// Limits that replace the nominal value ("34.8-35.2").
  std::optional<double> upperLimit, lowerLimit;
  std::string fitClass; ///< a limits-and-fits class ("H7", "h6 H7"), else empty
  int decimals = -1;    ///< decimals its value format qualifier asks for, else -1
  std::string limit;    ///< "MAX" or "MIN" for a one-sided limit, else empty
  /// Its modifiers as the file words them ("statistical", "controlled radius", "reference",
  /// "square", …), in the file's order.
  std::vector<std::string> modifiers;
  int count = 0; ///< how many features it applies to, when the file groups several; else 0
  std::vector<int> aspects; ///< file ids of the shape aspects it applies to (or between)
  std::vector<int> tags;    ///< the faces and edges of those aspects, ascending
  bool operator==(const KROStepFileDimension&) const = default;
};

/// One datum of a datum reference compartment: its letter and modifiers (symbols, "Ⓜ").
struct KROStepFileDatumElement {
  std::string letter;
  std::vector<std::string> modifiers; ///< as the file words them: "maximum material requirement", …
  bool operator==(const KROStepFileDatumElement&) const = default;
};

/// A compartment of a datum system: one datum, or a common datum of several.
struct KROStepFileCompartment {
  std::vector<KROStepFileDatumElement> members;
  std::vector<std::string> modifiers; ///< modifiers of the compartment as a whole
  bool operator==(const KROStepFileCompartment&) const = default;
};

/// A datum system as the file states it.
struct KROStepFileDatumSystem {
  int entity = 0;
  std::vector<KROStepFileCompartment> compartments;
  bool operator==(const KROStepFileDatumSystem&) const = default;
};

/// A geometric tolerance as the file states it.
struct KROStepFileTolerance {
  int entity = 0;
  std::string name;
  int kind = -1; ///< index into KROStepToleranceKinds, -1 when unknown
  std::optional<double> value;
  std::string magnitudeProblem; ///< why the value could not be read, when it could not
  std::string zone;             ///< "" (width), "⌀" (cylindrical or circular), "S⌀" (spherical)
  /// Its modifiers as the file words them, in the file's order: "maximum material requirement",
  /// "least material requirement", "free state", "tangent plane", "statistical tolerance",
  /// "common zone", "all around", "all over", …
  std::vector<std::string> modifiers;
  std::optional<double> projectedLength;  ///< a projected zone's length, when stated
  bool projected = false;                 ///< a projected zone, with or without a length
  std::optional<double> unequal;          ///< unequally disposed: the displacement
  std::optional<double> unitLength;       ///< the unit basis: a length, or an area's size
  std::optional<double> unitSecondLength; ///< a rectangular area's second side
  std::string unitArea;                   ///< "" (a length), "circular", "square", "rectangular"
  std::optional<double> maxValue;         ///< the maximum tolerance, when it has one
  std::vector<KROStepFileCompartment> datums; ///< its datum system, ordered
  int datumSystem = 0;                        ///< the datum system's file id, else 0
  bool lowerSegment = false; ///< the lower segment of a composite feature control frame
  int upperSegment = 0;      ///< its upper segment's file id, when it is a lower one
  int dimension = -1;        ///< index into facts.dimensions: the controlled size dimension
  std::string datumFeature;  ///< letter of the datum feature it is applied to, else empty
  std::string problem;       ///< OCCT's check on the entity, if any
  std::vector<int> aspects;  ///< file ids of the shape aspects it applies to
  std::vector<int> tags;     ///< the faces and edges it applies to, ascending
  bool operator==(const KROStepFileTolerance&) const = default;
};

/// A datum feature or datum target as the file states it.
struct KROStepFileDatumFeature {
  int entity = 0;
  std::string name;
  std::string letter; ///< the datum it establishes
  bool target = false;
  std::string targetId;   ///< a target's number as the file writes it ("1")
  std::string targetKind; ///< "point", "line", "area", "circle", "rectangle", … (targets)
  std::optional<double> targetSize;       ///< a circle's diameter, a rectangle's first side
  std::optional<double> targetSecondSize; ///< a rectangle's second side
  bool movable = false;
  std::vector<int> tags; ///< the faces and edges it is on, ascending
  bool operator==(const KROStepFileDatumFeature&) const = default;
};

inline constexpr int KROStepCameraParallel = 0;
inline constexpr int KROStepCameraCentral = 1;
inline constexpr int KROStepClipFront = 1;
inline constexpr int KROStepClipBack = 2;
inline constexpr int KROStepClipSides = 4;

/// A camera model of the file, and whether it is a saved view of the author's.
struct KROStepFileCamera {
  int entity = 0;
  std::string name;
  KROStepVec origin{}; ///< in the document's length unit
  KROStepVec direction{};
  KROStepVec zenith{};
  int cameraType = 0; ///< KROStepCamera*
  int clipping = 0;   ///< KROStepClip* bits
  std::string problem;
  /// What it shows, in the file's order: the file ids of what its presentations' associations
  /// name (a tolerance, a dimension, a datum feature, or the shape aspect they apply to), with
  /// the name of the presentation (which tells several PMI on one aspect apart).
  std::vector<int> shownIds;
  std::vector<std::string> shownNames;
  bool presentsPmi = false; ///< its draughting model presents PMI
  bool operator==(const KROStepFileCamera&) const = default;
};

/// A callout the file presents that carries no semantic PMI: a note, a flag, a text.
struct KROStepFileNote {
  int entity = 0;        ///< the file's id of the callout (or of its semantic text)
  std::string name;      ///< the callout's name
  std::string text;      ///< the text the file gives it, else its name
  std::vector<int> tags; ///< faces it is tied to, when any
  bool operator==(const KROStepFileNote&) const = default;
};

/// An annotation plane: origin, normal and the in-plane x direction (y = normal × x).
struct KROStepPlane {
  KROStepVec origin{};
  KROStepVec normal{};
  KROStepVec xDirection{};
  bool operator==(const KROStepPlane&) const = default;
};

/// A callout the file draws: a draughting callout, or an annotation occurrence no callout holds.
/// Its graphic is in model coordinates and millimetres, the placement of a repositioned
/// tessellated item applied.
struct KROStepFileCallout {
  int entity = 0;               ///< the file's id of the callout
  std::string name;             ///< the callout's name
  std::vector<int> occurrences; ///< the file's ids of the annotation occurrences it holds
  std::vector<int> presents;    ///< the file's ids of what its draughting associations name
  std::vector<std::vector<KROStepVec>> polylines;
  std::vector<KROStepVec> triangles; ///< filled triangles, three corners each
  std::optional<KROStepPlane> plane; ///< the annotation plane holding it, when the file has one
  bool operator==(const KROStepFileCallout&) const = default;
};

/// Everything the fact reader took from the file.
struct KROStepFileFacts {
  bool read = false; ///< the file's entities were read; when false only OCCT's document counts
  KROStepFileUnits units;
  double documentMm = 1; ///< millimetres in one length unit of OCCT's document
  std::vector<KROStepFileDimension> dimensions;
  std::vector<KROStepFileTolerance> tolerances;
  std::vector<KROStepFileDatumFeature> datumFeatures;
  std::vector<KROStepFileDatumSystem> datumSystems;
  std::vector<KROStepFileNote> notes;
  std::vector<KROStepFileCamera> cameras;
  std::vector<KROStepFileCallout> callouts;
  std::vector<KROStepMessage> messages; ///< records skipped as malformed
  bool operator==(const KROStepFileFacts&) const = default;
};

/// The one unit rule: a length the file states, in millimetres.
inline double KROStepLengthMm(double fileValue, const KROStepFileUnits& units) {
  return fileValue * units.pmiMm;
}
