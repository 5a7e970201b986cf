// KRORender.h - pictures of a part and its annotations, drawn with cairo as SVG or PNG.
///
/// The renderer knows nothing of how a part was read. It draws a scene: the part's faces
/// (triangles) and edges (polylines) under their tags, and the annotations with the polylines and
/// filled triangles of their reps. `KRORenderAnnotationsOf` takes the annotations from a light
/// model as any host would: each one's bound rep, its super type, the origin of its annotation
/// plane.
/// \code
///   KRORenderScene scene;
///   scene.edges = ...;                                  // from the host's own geometry
///   scene.annotations = KRORenderAnnotationsOf(set.Get());
///   KRORenderOptions options;
///   options.camera = KRORenderCameraOf(capture);        // or none: the default isometric view
///   KRORenderOutput svg;
///   if (!KRORenderSVG(scene, options, svg)) std::cerr << svg.error;
/// \endcode
/// Nothing here throws or prints; a failure comes back as `ok == false` with a reason.
#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#define KRO_RENDER_API __attribute__((visibility("default")))

class KROITPSLightSet;
class KROITPSLightCapture;

using KRORenderVec = std::array<double, 3>;

/// A face (triangles, three corners each) or an edge (a polyline) of the part.
struct KRORenderShape {
  int tag = 0;                      ///< the face's or edge's tag
  std::vector<KRORenderVec> points; ///< model coordinates
};

/// One annotation as drawn: its graphic, or a marker where it has none.
struct KRORenderAnnotation {
  /// What it is; each kind is drawn in a colour of its own.
  enum class Kind { Dimension, Tolerance, Datum, DatumTarget };
  int id = 0; ///< the annotation's id, from 1: what the page and the options name it by
  Kind kind = Kind::Dimension;                  ///< picks its colour
  std::vector<std::vector<KRORenderVec>> lines; ///< its graphic's strokes
  /// Its graphic's filled areas (the characters of its text, arrowheads), three model points a
  /// triangle; filled in its colour. With no lines either: drawn as a marker.
  std::vector<std::array<KRORenderVec, 3>> triangles;
  /// Where the marker goes (its plane's origin); unset: the centre of the faces and edges of
  /// its tags; neither: it is not drawn.
  std::optional<KRORenderVec> marker;
  std::vector<int> tags; ///< the faces and edges it applies to
  /// Its annotation plane's normal, when it has a plane: the side its text reads from.
  std::optional<KRORenderVec> normal;
  /// Its annotation plane's y direction, when it has a plane: which way its text stands.
  std::optional<KRORenderVec> up;
};

/// Everything a picture shows; the renderer reads nothing else.
struct KRORenderScene {
  std::vector<KRORenderShape> faces;            ///< triangles, drawn shaded where asked
  std::vector<KRORenderShape> edges;            ///< polylines, always drawn
  std::vector<KRORenderAnnotation> annotations; ///< drawn over the part
};

/// A parallel camera: where it looks from, the direction it looks in, and which way is up.
struct KRORenderCamera {
  KRORenderVec origin{};    ///< where it looks from (a parallel view only uses its direction)
  KRORenderVec direction{}; ///< the direction it looks in, need not be unit
  KRORenderVec zenith{};    ///< up in the picture; need not be perpendicular to the direction
};

/// What to draw and how.
struct KRORenderOptions {
  int width = 800;  ///< pixels, 1 to kKRORenderMaxSide
  int height = 600; ///< pixels, 1 to kKRORenderMaxSide
  /// None, or one whose direction and zenith are zero or parallel: the scene's default camera
  /// (`KRORenderProjection::DefaultCamera`; the latter with a warning).
  std::optional<KRORenderCamera> camera;
  bool shadeAllFaces = false; ///< shade every face (sorted by depth), not only `shadedFaces`
  std::set<int> shadedFaces;  ///< faces shaded besides (or instead of) all of them
  /// Annotations drawn: all of them when unset.
  std::optional<std::set<int>> onlyAnnotations;
  int highlight = 0; ///< an annotation drawn in the highlight colour, its faces too; 0 for none
};

/// One drawn path of an SVG, in the order the surface writes them: what it stands for. An
/// annotation's filled triangles make one `Annotation` path, before the paths of its polylines.
struct KRORenderItem {
  /// What the path draws.
  enum class Kind { Face, Edges, Annotation, Marker };
  Kind kind = Kind::Face; ///< what the path draws
  int id = 0;             ///< a face's tag, an annotation's id; 0 for the edges (one path for all)
};

/// A picture, or why there is none.
struct KRORenderOutput {
  bool ok = false;                   ///< false: no picture; `error` says why
  std::string error;                 ///< one line, e.g. a size beyond kKRORenderMaxSide
  std::vector<std::string> warnings; ///< drawn anyway, e.g. a camera that gave way
  std::string bytes;                 ///< the SVG text or the PNG file
  std::vector<KRORenderItem> items;  ///< per path element, in document order (SVG and PNG alike)
  std::array<double, 4> partBox{};   ///< the part's projected box in pixels: x0, y0, x1, y1
};

/// Largest picture side accepted; a larger size is refused, not allocated.
inline constexpr int kKRORenderMaxSide = 8192;

/// Draws the scene as SVG text into `out.bytes`; returns `out.ok`. Never throws.
KRO_RENDER_API bool KRORenderSVG(const KRORenderScene& scene, const KRORenderOptions& options,
                                 KRORenderOutput& out);
/// Draws the scene as a PNG file's bytes into `out.bytes`; returns `out.ok`. Never throws.
KRO_RENDER_API bool KRORenderPNG(const KRORenderScene& scene, const KRORenderOptions& options,
                                 KRORenderOutput& out);

/// Where points land in a picture: the camera's projection fitted to the scene.
class KRO_RENDER_API KRORenderProjection {
public:
  /// Fitted so that every point of the scene (part, annotations, markers) lies inside the picture
  /// with a margin; a scene with no points is a unit box around the origin. `warning` is set
  /// when the camera had to give way to the default one.
  KRORenderProjection(const KRORenderScene& scene, const KRORenderOptions& options,
                      std::string* warning = nullptr);
  /// Picture x and y (pixels, y down) and depth (larger is farther) of a model point.
  KRORenderVec Project(const KRORenderVec& p) const;
  /// The unit direction the camera looks in.
  const KRORenderVec& Forward() const { return forward_; }

  /// The isometric camera looking from (-1, 1, 1) towards the origin, z up.
  static KRORenderCamera Isometric();
  /// The default camera of a scene: of the eight isometric views, the one from which the most
  /// annotation planes are seen from their front, so that their text is not mirrored; its up is
  /// the mean up of those planes' text (z where there is none, or it runs along the view).
  /// `Isometric()` where no annotation has a plane, and on a tie with it.
  static KRORenderCamera DefaultCamera(const KRORenderScene& scene);
  /// True when the camera's direction and zenith are usable (not zero, not parallel).
  static bool Usable(const KRORenderCamera& camera);

private:
  KRORenderVec right_{}, up_{}, forward_{};
  double scale_ = 1, cx_ = 0, cy_ = 0, width_ = 1, height_ = 1;
};

/// The set's annotations, by id (their position in its list, from 1): the polylines and filled
/// triangles of each one's rep (any KRO3DPolylineRep and KRO3DTriangleRep under it; a triangle
/// whose indices leave the rep's points is left out), its kind from its super type and type, and
/// as marker the origin of its annotation plane. Tags are left empty for the host to fill.
KRO_RENDER_API std::vector<KRORenderAnnotation> KRORenderAnnotationsOf(KROITPSLightSet* set);

/// A capture's camera.
KRO_RENDER_API KRORenderCamera KRORenderCameraOf(KROITPSLightCapture* capture);
