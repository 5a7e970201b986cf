// KROStepImport.h - reads the semantic PMI of a STEP AP242 file into a new light model.
/// \file
/// The importer is a host of the kernel: it builds the model through the factory and the
/// interfaces only. OCCT does the reading; nothing of OCCT shows in this header, no exception
/// leaves it and nothing is printed while it runs (OCCT's messages land in `messages`).
/// \code
///   KROStepImportResult r = KROStepImportFile("part.stp");
///   if (!r.ok) { for (auto& m : r.messages) std::cerr << m.text << '\n'; return; }
///   KROComPtr<KROITPSLightSetServices> services = r.set.As<KROITPSLightSetServices>();
///   list<KROBaseUnknown>* touching = nullptr;   // ours to delete
///   services->GetListOfAnnotationsWithZORTag(r.tags.front().tag, &touching);
///   delete touching;
/// \endcode
/// Imports may run on several threads; they take turns while OCCT reads, because OCCT's
/// message routing is process-wide.
#pragma once

#include "KROComPtr.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightTypeCodes.h"
#include "KROVZBDocument.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define KRO_STEP_API __attribute__((visibility("default")))

/// Annotation type codes the importer writes (`KROITPSLight::GetType`): the library's own codes
/// (KROTPSLightTypeCodes.h) under the importer's names. Each kind keeps to one super type of the
/// annotation (`GetSuperType`, `KROTPSSuperTypeOf`): dimensions 1, geometric tolerances 3,
/// datums 2, notes 4.
enum KROStepTypeCode : unsigned short {
  // dimensions: super type 1
  /// linear distance, any of its from/to variants
  KROStepTypeLinearLocation = KROTPSTypeLinearLocation,
  /// angle between two features
  KROStepTypeAngularLocation = KROTPSTypeAngularLocation,
  /// curved distance, oriented, along a path
  KROStepTypeOtherLocation = KROTPSTypeOtherLocation,
  KROStepTypeDiameter = KROTPSTypeDiameter,
  KROStepTypeRadius = KROTPSTypeRadius,
  /// spherical and toroidal diameters and radii
  KROStepTypeSphericalOrToroidal = KROTPSTypeSphericalOrToroidal,
  KROStepTypeAngularSize = KROTPSTypeAngularSize,
  /// thickness, curve length, size along a path
  KROStepTypeOtherSize = KROTPSTypeOtherSize,
  /// neither size nor location, e.g. a common label
  KROStepTypeOtherDimension = KROTPSTypeOtherDimension,
  /// OCCT reports no dimension type
  KROStepTypeUnknownDimension = KROTPSTypeUnknownDimension,
  // datums: super type 2 (KROTPSTypeReferenceFrame, 32, is the reference frame's own)
  KROStepTypeDatumFeature = KROTPSTypeDatumFeature,
  KROStepTypeDatumTarget = KROTPSTypeDatumTarget,
  // notes: super type 4
  /// a callout with no semantic PMI: a note, a flag, a text
  KROStepTypeNote = KROTPSTypeNote,
  // geometric tolerances: super type 3
  /// straightness, flatness, circularity, cylindricity
  KROStepTypeForm = KROTPSTypeForm,
  /// angularity, parallelism, perpendicularity
  KROStepTypeOrientation = KROTPSTypeOrientation,
  /// position, concentricity, coaxiality, symmetry
  KROStepTypeLocation = KROTPSTypeLocation,
  /// profile of a line, of a surface
  KROStepTypeProfile = KROTPSTypeProfile,
  /// circular and total runout
  KROStepTypeRunout = KROTPSTypeRunout,
  KROStepTypeUnknownTolerance = KROTPSTypeUnknownTolerance,
};

/// What one face or edge tag stands for.
struct KROStepTag {
  /// A face or an edge.
  enum class Kind { Face, Edge };
  int tag = 0;               ///< unique in the model, from 1
  int part = 0;              ///< 0-based index into `KROStepImportResult::parts`
  Kind kind = Kind::Face;    ///< a face or an edge
  int subIndex = 0;          ///< 1-based position among the part's faces (or edges), OCCT's order
  std::string subShapeLabel; ///< OCCT label entry of the face or edge when it has one, else empty
  /// Equal when every field is.
  bool operator==(const KROStepTag&) const = default;
};

/// A bounding box in model coordinates and millimetres.
struct KROStepBox {
  std::array<double, 3> min{}; ///< the corner of least coordinates
  std::array<double, 3> max{}; ///< the opposite corner
  /// Equal when every field is.
  bool operator==(const KROStepBox&) const = default;
};

/// One part definition (a simple shape of the file, not an assembly).
struct KROStepPart {
  std::string name;  ///< the name of its label in OCCT's document, or empty
  std::string label; ///< OCCT label entry, e.g. "0:1:1:2"
  int faceCount = 0; ///< number of its faces, which have tags
  int edgeCount = 0; ///< number of its edges, which have tags
  /// The box around its shape, from the shape's geometry (not from a mesh, so a read that
  /// meshes nothing gives the same box): exact on planes and quadrics, possibly a little wide of
  /// a free-form surface. None for a part without geometry.
  std::optional<KROStepBox> box;
  /// Equal when every field is.
  bool operator==(const KROStepPart&) const = default;
};

/// What an annotation's callout draws, in model coordinates and millimetres.
struct KROStepGraphic {
  int polylines = 0;           ///< stroked lines
  int points = 0;              ///< points of those lines
  int triangles = 0;           ///< filled triangles (characters, arrowheads)
  std::array<double, 3> min{}; ///< corner of the box around every point and triangle
  std::array<double, 3> max{}; ///< the opposite corner
  /// Equal when every field is.
  bool operator==(const KROStepGraphic&) const = default;
};

/// One annotation of the model and where it came from.
struct KROStepAnnotation {
  /// What the annotation is (`KROStepKindName` names it).
  enum class Kind { Dimension, Tolerance, Datum, DatumTarget, Note };
  int id = 0;                      ///< the broker's annotation id, from 1 (kind 1)
  Kind kind = Kind::Dimension;     ///< what the annotation is
  std::vector<std::string> labels; ///< OCCT label entries (a datum feature may gather several)
  std::vector<int> tags;           ///< faces and edges of every shape it applies to, ascending
  /// Its PMI as the drawing writes it (the notation of NIST's expected PMI, in the file's PMI
  /// unit; lines joined by '\n'); also the annotation's attributes text in the model.
  std::string pmi;
  /// False for a dimension the file gives no value (and for notes): the model's value is then
  /// 0 and means nothing. Values are in millimetres, angles in degrees.
  bool hasValue = true;
  /// Empty when OCCT's document held it whole. Else what the importer took from the file's own
  /// entities because OCCT's document lacked it: "tolerance" (the whole annotation; `labels` is
  /// then empty) or "magnitude" (its value).
  std::string recovered;
  std::string recoveryReason; ///< OCCT's reason where it gave one, else "not transferred"
  int fileEntity = 0;         ///< the file's entity id (`#n`) of a tolerance, when known
  std::optional<KROStepGraphic> graphic; ///< what its callout draws; none when nothing
  /// Equal when every field is.
  bool operator==(const KROStepAnnotation&) const = default;
};

/// A capture built from a saved view of the file.
struct KROStepCapture {
  int index = 0;                ///< the capture's index in the model, from 1
  std::string name;             ///< the saved view's name
  std::vector<int> annotations; ///< ids of the annotations it shows, in the view's order
  bool recovered = false;       ///< taken from the file's camera model, not OCCT's document
  std::string recoveryReason;   ///< when recovered: OCCT's reason, else "not transferred"
  int fileEntity = 0;           ///< the camera model's entity id (`#n`) when recovered
};

/// A reference frame (datum system) built for the tolerances.
struct KROStepFrame {
  int id = 0;              ///< the broker's reference-frame id, from 1 (kind 4)
  std::string text;        ///< its attributes text: its datums' texts joined by '|'
  std::string pmi;         ///< its compartments as the drawing writes them: "A | B Ⓜ | C"
  std::vector<int> datums; ///< annotation ids of its datum features, in order
};

/// A camera model of the file that is not a capture, and why.
struct KROStepCamera {
  std::string name;   ///< the camera model's name
  int fileEntity = 0; ///< its entity id (`#n`)
  /// "shows no PMI" (its draughting model presents none, e.g. a standard orientation), or
  /// "repeats saved view NAME" (the same name and camera as an earlier capture).
  std::string reason;
  /// Equal when every field is.
  bool operator==(const KROStepCamera&) const = default;
};

/// The units of the file: lengths of its PMI texts are in `pmi`, its geometry in `geometry`.
/// Every number of the model (values, deviations, coordinates) is in millimetres whatever these.
struct KROStepUnits {
  std::string pmiName = "millimetre";      ///< e.g. "inch"
  double pmiMm = 1;                        ///< millimetres in one PMI unit (25.4 for inches)
  std::string geometryName = "millimetre"; ///< the unit of the file's shapes
  double geometryMm = 1;                   ///< millimetres in one geometry unit
  /// Equal when every field is.
  bool operator==(const KROStepUnits&) const = default;
};

/// The drawable geometry of one face or edge tag, in model coordinates, as OCCT discretised it.
struct KROStepTagGeometry {
  int tag = 0; ///< the face's or edge's tag
  /// A face: triangle corners, three per triangle, counter-clockwise seen from outside the
  /// material. An edge: its polyline.
  std::vector<std::array<double, 3>> points;
  /// Equal when every field is.
  bool operator==(const KROStepTagGeometry&) const = default;
};

/// The parts' faces (meshed) and edges (as polylines), each under its tag; what a renderer needs
/// to draw the part. Tags without geometry (an edge OCCT cannot discretise) are left out.
struct KROStepGeometry {
  std::vector<KROStepTagGeometry> faces; ///< ordered by tag
  std::vector<KROStepTagGeometry> edges; ///< ordered by tag
  /// Equal when every field is.
  bool operator==(const KROStepGeometry&) const = default;
};

/// One warning or error of an import.
struct KROStepMessage {
  /// A warning: something was skipped; an error: something could not be read.
  enum class Severity { Warning, Error };
  Severity severity = Severity::Warning; ///< warning or error
  std::string text;                      ///< the message, OCCT's own text where it comes from OCCT
  /// Equal when every field is.
  bool operator==(const KROStepMessage&) const = default;
};

/// The model and its side table. The set owns every object in it; the result keeps one reference
/// on the set, released with the result (or earlier, by resetting `set`).
///
/// The set borrows `document` (its visualization document, from which its reps were bound): the
/// result holds the document's reference, and is declared before `set` so that the set goes
/// first. A host that keeps the set beyond the result keeps the document with it.
struct KRO_STEP_API KROStepImportResult {
  bool ok = false;                      ///< false: nothing usable was read; the messages say why
  std::vector<KROStepMessage> messages; ///< in the order they arose
  /// The model's visualization document, which the set borrows. Declared before `set`, so the
  /// set is released first; keep it while you keep the set.
  KROComPtr<KROVZBDocumentComponent> document;
  KROComPtr<KROITPSLightSet> set;             ///< the model; empty when nothing could be built
  std::vector<KROStepPart> parts;             ///< the part definitions, in the shape tool's order
  std::vector<KROStepTag> tags;               ///< ordered by tag: tags[i].tag == i + 1
  std::vector<KROStepAnnotation> annotations; ///< ordered by id
  std::vector<KROStepFrame> frames;           ///< ordered by id
  std::vector<KROStepCapture> captures;       ///< ordered by index: the file's saved views
  std::vector<KROStepCamera> cameras;         ///< the file's other camera models
  KROStepUnits units;                         ///< the file's units
  KROStepGeometry geometry;                   ///< the parts, for drawing
  double readSeconds = 0;                     ///< OCCT read and transfer
  double buildSeconds = 0;                    ///< walk of OCCT's document and the light-model build
  double recoverSeconds = 0; ///< part of the two above: reading the file's entities, recovering

  /// The tag's entry, or null for a tag the model does not have.
  const KROStepTag* FindTag(int tag) const;
  /// Face tags of every part, ascending.
  std::vector<int> FaceTags() const;
  /// Number of warnings or errors.
  std::size_t Count(KROStepMessage::Severity severity) const;
};

/// How a file is read. OCCT can crash, hang or exhaust memory on a damaged file; by default it
/// runs in a worker process (`kro-step-worker`, installed beside this library), so that only the
/// import fails: the result then says what happened, e.g. "the reader stopped with signal 11
/// (segmentation fault) while transferring the file".
struct KROStepReadOptions {
  /// true: OCCT reads in a worker process; false: in this one (for debugging, and for hosts that
  /// cannot start processes; a crash of OCCT is then the host's).
  bool isolated = true;
  double timeLimitSeconds = 600; ///< the worker is stopped after this long
  /// The worker is stopped when its resident memory exceeds this; its result may not exceed it.
  std::uint64_t memoryLimitBytes = std::uint64_t(8) << 30;
  /// The worker executable. Empty: the environment variable KRO_STEP_WORKER, else
  /// `kro-step-worker` in the folder of the importer library.
  std::string workerPath;
  /// After a read, start a worker that loads OCCT and waits for the next read, so that the next
  /// one does not wait for a worker to start (default worker path only). A host that reads one
  /// file and ends turns this off: the spare would only compete with it for the processor.
  bool spareWorker = true;
  /// Mesh the parts' faces and discretise their edges into `KROStepImportResult::geometry`, for
  /// drawing. A host that draws nothing turns this off: the read is faster, `geometry` is empty,
  /// and everything else is the same.
  bool mesh = true;
};

/// A STEP file as OCCT read it, ready to be built into any number of models.
class KRO_STEP_API KROStepDocument {
public:
  ~KROStepDocument();
  KROStepDocument(const KROStepDocument&) = delete;
  KROStepDocument& operator=(const KROStepDocument&) = delete;

  /// Reads the file. On failure returns null and adds an error naming the reason to `messages`.
  static std::unique_ptr<KROStepDocument> Read(const std::string& path,
                                               std::vector<KROStepMessage>& messages);
  /// Reads the file as `options` say (in a worker process by default).
  static std::unique_ptr<KROStepDocument> Read(const std::string& path,
                                               std::vector<KROStepMessage>& messages,
                                               const KROStepReadOptions& options);

  /// Builds a new light model from what was read; `readSeconds` is the read's.
  KROStepImportResult Build() const;

  /// Time OCCT took to read and transfer the file.
  double ReadSeconds() const;

  struct Impl;

private:
  explicit KROStepDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

/// Reads and builds in one call.
KRO_STEP_API KROStepImportResult KROStepImportFile(const std::string& path);
/// Reads as `options` say and builds in one call.
KRO_STEP_API KROStepImportResult KROStepImportFile(const std::string& path,
                                                   const KROStepReadOptions& options);

/// The worker process's whole work: `kro-step-worker --fd N [--no-mesh] FILE` reads FILE in
/// process and writes its steps and its plain result to descriptor N, then ends without tearing
/// OCCT down;
/// with `--wait` in place of FILE it first gets ready, then reads the file's path from N.
/// Returns the process's exit status. Not for hosts: the worker executable calls it.
KRO_STEP_API int KROStepWorkerMain(int argc, char** argv);

/// UTF-16 text (the kernel's texts) as UTF-8; a lone surrogate becomes U+FFFD.
KRO_STEP_API std::string KROStepUtf8(std::u16string_view text);

/// A `pmi` text on one line, for a table: its lines trimmed and joined by "; ".
KRO_STEP_API std::string KROStepPmiOneLine(const std::string& pmi);

/// Names used in texts and JSON: "dimension", "tolerance", "datum", "datum_target", "note".
KRO_STEP_API const char* KROStepKindName(KROStepAnnotation::Kind kind);
