// KROStepTestSupport.h - shared pieces of the importer's tests: data paths, OCCT's own reading
// of a file (the truth the importer is compared with) and reading the model back.
#pragma once

#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLightSetServices.h"
#include "KROStepImport.h"

#include "KROTestSupport.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

inline std::string KROStepData(const std::string& name) {
  return std::string(KRO_TEST_DATA_DIR) + "/" + name;
}

inline const char* const kCTC01 = "nist_ctc_01_asme1_ap242-e1.stp";
inline const char* const kCTC03 = "nist_ctc_03_asme1_ap242-e2.stp";
inline const char* const kCTC04 = "nist_ctc_04_asme1_ap242-e1.stp";
inline const char* const kFTC07 = "nist_ftc_07_asme1_ap242-e2.stp";

/// What OCCT itself relates to each face of each part, through its per-face lookup.
struct KROStepOcctFaces {
  struct Face {
    std::string partLabel;
    int index = 0;                ///< position in the part's face map, from 1
    std::set<std::string> labels; ///< dimension, tolerance and datum labels on the face
    int entity = 0;               ///< the file id (#n) of the face it was transferred from
  };
  std::vector<Face> faces;
};

/// Reads `path` with OCCT alone and runs its per-face lookup on every face of every part.
KROStepOcctFaces KROStepReadOcctFaces(const std::string& path);

/// Broker ids (from 1) of the annotations the library's tag query answers for `tag`.
std::set<int> KROStepTouching(const KROStepImportResult& r, int tag);

/// Annotation ids of the PMI labels `labels`, through the side table's label entries.
std::set<int> KROStepIdsOfLabels(const KROStepImportResult& r, const std::set<std::string>& labels);

/// The DATA section of a STEP file as its text stands: each record's body by entity id, with
/// white space outside strings dropped, e.g. records[57] == "FLATNESS_TOLERANCE('Flatness.1',
/// '',#82,#297)". For tests only: the truth for what the importer recovers from the file.
struct KROStepFileText {
  std::map<int, std::string> records;
  /// The ids of the records that contain `needle`.
  std::vector<int> With(const std::string& needle) const;
  /// The `n`th top-level parameter (from 1) of the part `type(...)` in record `id`, or "".
  std::string Param(int id, const std::string& type, int n) const;
};

KROStepFileText KROStepReadFileText(const std::string& path);

/// The file ids of the items (faces, edges, …) the file's own records tie entity `id` to: the
/// aspects a tolerance or dimension applies to (a datum feature or target is its own), every
/// aspect those relate to, and the items their geometric item usages and item identified
/// usages name. Contains 0 when an aspect is the whole product shape (every face).
std::set<int> KROStepFileItemsOf(const KROStepFileText& file, int id);

/// What the file's callouts draw for one semantic item (or note callout): the curves of their
/// tessellated curve sets and polylines (those of two indices or more), the triangles of their
/// triangulated surface sets (strips and fans, degenerate ones counted), and their fill areas
/// (whose triangles are the mesher's, so not counted here).
struct KROStepFileDrawing {
  int curves = 0;
  int triangles = 0;
  int fills = 0;
  int callouts = 0;      ///< callouts presenting it
  std::set<int> drawnBy; ///< their ids
};

/// Per file id named by a draughting model item association (a tolerance, dimension, datum
/// feature, semantic text …) and per callout id: what the callouts presenting it draw, read from
/// the file's text alone; a callout no association names (graphic-only PMI) is there under its
/// own id. `callouts` gets the ids of every callout that draws anything.
std::map<int, KROStepFileDrawing> KROStepFileDrawings(const KROStepFileText& file,
                                                      std::set<int>* callouts = nullptr);

/// The top-level elements of a list parameter "(a,(b,c),d)": {"a", "(b,c)", "d"}.
std::vector<std::string> KROStepListOf(const std::string& param);

/// "#82" → 82; anything else → 0.
int KROStepRef(const std::string& param);

/// A copy of the bundled part `base` written to `path`, with the records `edits` names put in:
/// each replaces the record of its id, or is added to the DATA section when the part has none of
/// that id. A record's text is its body, e.g. {57, "STRAIGHTNESS_TOLERANCE('',...)"}. Returns
/// false when the part cannot be read or written.
bool KROStepEditedCopy(const std::string& base, const std::map<int, std::string>& edits,
                       const std::string& path);

/// The whole content of a file, empty when it cannot be read.
std::string KROStepSlurp(const std::filesystem::path& path);

/// A test with a scratch folder of its own (named after the process and the test), removed with
/// everything in it after the test.
class KROStepScratchTest : public KROTest {
protected:
  void SetUp() override;
  void TearDown() override;
  /// A path in the scratch folder.
  std::string Out(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};
