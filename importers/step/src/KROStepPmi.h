// KROStepPmi.h - what the reader takes out of OCCT's document, in plain types.
///
/// The reader (OCCT side) fills it; the model builder (kernel side) turns it into a light model.
/// Keeping the two apart means the builder never sees OCCT and the reader never sees the kernel.
#pragma once

#include "KROStepFacts.h"
#include "KROStepImport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// One distinct shape that PMI applies to: a TTRS of the model.
struct KROStepShape {
  std::string label; ///< OCCT label entry of the shape
  int part = -1;     ///< index into parts, -1 when the shape lies in no part
  std::vector<int>
      tags; ///< its faces (a face, or the faces of a shell, solid or compound), or edges
  bool operator==(const KROStepShape&) const = default;
};

/// One datum reference of a tolerance, as ordered in its datum system.
struct KROStepDatumRef {
  int feature = 0;  ///< index into objects: the datum feature it names
  std::string text; ///< letter with its modifiers, e.g. "B Ⓜ"
  bool operator==(const KROStepDatumRef&) const = default;
};

struct KROStepObject {
  KROStepAnnotation::Kind kind = KROStepAnnotation::Kind::Dimension;
  std::uint16_t type = 0;
  std::string name;                ///< UTF-8
  std::string text;                ///< UTF-8, readable, with no ':'
  double value = 0;                ///< millimetres (degrees for angles)
  bool hasValue = true;            ///< false when the file gives it none
  std::vector<std::string> labels; ///< the first one is the object's reference back to the file
  std::vector<int> shapes;         ///< indexes into shapes, distinct, in first-seen order
  std::optional<KROStepPlane> plane;
  std::vector<KROStepDatumRef> datums; ///< tolerances only: the datum system, ordered
  std::string framePmi;                ///< tolerances only: the datum system's drawing text
  /// The presentation's curves (its graphic PMI), as polylines.
  std::vector<std::vector<KROStepVec>> graphic;
  /// The presentation's filled triangles (characters, arrowheads), three corners each.
  std::vector<KROStepVec> triangles;
  // Datum features only: what makes two datum labels one feature.
  std::string datumLetter;
  int targetNumber = 0;
  // What came from the file's own entities rather than OCCT's document.
  std::string recovered;      ///< "" (read by OCCT), "magnitude", or the kind read from the file
  std::string recoveryReason; ///< OCCT's reason for leaving it out, or "not transferred"
  int fileEntity = 0;         ///< the file's entity id (#n) when known, else 0
  bool operator==(const KROStepObject&) const = default;
};

/// A saved view of the file.
struct KROStepSavedView {
  std::string name;
  std::string label;
  KROStepVec origin{};
  KROStepVec direction{};
  KROStepVec zenith{};
  KROStepVec target{};
  int cameraType = 0;       ///< KROStepCamera*
  int clipping = 0;         ///< KROStepClip* bits
  std::vector<int> objects; ///< indexes into objects, distinct, in OCCT's order
  bool recovered = false;   ///< read from the file's camera model, not OCCT's document
  std::string recoveryReason;
  int fileEntity = 0; ///< the camera model's file id when recovered
  bool operator==(const KROStepSavedView&) const = default;
};

struct KROStepPmi {
  std::vector<KROStepPart> parts;
  std::vector<KROStepTag> tags;
  std::vector<KROStepShape> shapes;
  std::vector<KROStepObject> objects; ///< dimensions, then tolerances, then datum features
  std::vector<KROStepSavedView> views;
  std::vector<KROStepCamera> cameras; ///< camera models that are not saved views
  KROStepUnits units;
  double partSize = 1; ///< diagonal of the bounding box of every part, for plane comparison
  KROStepVec center{}; ///< centre of that bounding box
  KROStepGeometry geometry;
  std::vector<KROStepMessage> messages;
  bool operator==(const KROStepPmi&) const = default;
};

/// Everything the OCCT side takes from a file, in plain types: what a worker process sends back
/// to the host, and what the model side builds from. `ok` false: nothing usable was read, the
/// messages say why.
struct KROStepPlainRead {
  bool ok = false;
  KROStepPmi pmi;         ///< OCCT's document as walked (in millimetres), not yet matched
  KROStepFileFacts facts; ///< the file's own semantic PMI
  std::vector<KROStepMessage> messages; ///< the read's messages, in the order they arose
  double readSeconds = 0;               ///< OCCT's read and transfer
  double walkSeconds = 0;               ///< the walk of OCCT's document
  double recoverSeconds = 0;            ///< reading the file's facts
  bool operator==(const KROStepPlainRead&) const = default;
};

/// Reads, transfers and walks `path` with OCCT in this process. `phase` is told each step as it
/// starts ("transferring the file", …). Without `tearDown` OCCT's document is left to the
/// process's end (a worker about to exit); without `mesh` the parts are not meshed (no
/// `pmi.geometry`). Never throws.
KROStepPlainRead KROStepReadInProcess(const std::string& path, bool tearDown, bool mesh,
                                      const std::function<void(const char*)>& phase);

/// The same read in a worker process (KROStepIsolation.cpp): a crash, hang, memory blow-up or
/// malformed answer of the worker is an error in the result, never the host's. Never throws.
KROStepPlainRead KROStepReadIsolated(const std::string& path, const KROStepReadOptions& options);

/// Matches the facts to OCCT's objects and builds the light model, its reps and the side table.
KROStepImportResult KROStepBuildFromPlain(KROStepPlainRead plain);

/// The point of the line through `origin` along the unit `direction` nearest to `point`.
inline KROStepVec KROStepNearestOnLine(const KROStepVec& origin, const KROStepVec& direction,
                                       const KROStepVec& point) {
  double along = 0;
  for (std::size_t i = 0; i < 3; ++i)
    along += (point[i] - origin[i]) * direction[i];
  return {origin[0] + direction[0] * along, origin[1] + direction[1] * along,
          origin[2] + direction[2] * along};
}

/// Builds the light model of `pmi` into `result` (set, annotations, frames).
void KROStepBuildModel(const KROStepPmi& pmi, KROStepImportResult& result);

/// Writes the visualization document of the model built from `pmi` (each annotation's graphic
/// as its reps, the captures' reps), gives it to the set and binds it through the set's
/// generate calls; hands the document and the parts' geometry to `result`. Renders the capture
/// thumbnails when the renderer is built in. KROStepVizDocument.cpp.
void KROStepBindReps(KROStepPmi& pmi, KROStepImportResult& result);
