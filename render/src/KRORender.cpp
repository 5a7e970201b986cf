// KRORender.cpp - the camera, the projection and the drawing, on cairo's SVG and PNG surfaces.
///
/// One drawing routine serves both surfaces. Its order is fixed because the SVG's paths are
/// matched to what they stand for by position (`KRORenderOutput::items`): shaded faces back to
/// front, then every edge in one path, then per annotation its filled triangles as one path and
/// each of its polylines as a path of its own, then the markers of annotations without graphic.
#include "KRORender.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>

namespace {

using Vec = KRORenderVec;

Vec Sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec Add(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec Scale(const Vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }
Vec Unit(const Vec& a) {
  const double n = Length(a);
  return n > 0 ? Vec{a[0] / n, a[1] / n, a[2] / n} : Vec{0, 0, 0};
}
bool Finite(const Vec& a) {
  return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

struct Colour {
  double r, g, b;
};
constexpr Colour kBackground{1, 1, 1};
constexpr Colour kFace{0.80, 0.82, 0.85};
constexpr Colour kHighlightFace{1.0, 0.62, 0.25};
constexpr Colour kEdge{0.25, 0.27, 0.30};
constexpr Colour kHighlight{1.0, 0.45, 0.0};
constexpr int kShadeLevels = 16; // faces are filled in this many brightness steps
constexpr double kMarkerRadius = 4;
constexpr double kMargin = 0.05; // of the picture's smaller side, on every border

Colour KindColour(KRORenderAnnotation::Kind kind) {
  switch (kind) {
  case KRORenderAnnotation::Kind::Dimension:
    return {0.10, 0.35, 0.85};
  case KRORenderAnnotation::Kind::Tolerance:
    return {0.80, 0.10, 0.15};
  case KRORenderAnnotation::Kind::Datum:
    return {0.05, 0.55, 0.20};
  case KRORenderAnnotation::Kind::DatumTarget:
    return {0.55, 0.20, 0.70};
  }
  return {0, 0, 0};
}

bool Drawn(const KRORenderAnnotation& a, const KRORenderOptions& o) {
  return !o.onlyAnnotations || o.onlyAnnotations->count(a.id) > 0;
}

/// Where an annotation without graphic is marked: its own marker point, else the centre of the
/// points of the faces and edges it applies to; none when it has neither.
std::optional<Vec> MarkerPoint(const KRORenderAnnotation& a, const KRORenderScene& scene) {
  if (!a.lines.empty() || !a.triangles.empty()) return std::nullopt;
  if (a.marker) return Finite(*a.marker) ? a.marker : std::nullopt;
  const std::set<int> tags(a.tags.begin(), a.tags.end());
  Vec sum{0, 0, 0};
  double n = 0;
  for (const auto* shapes : {&scene.faces, &scene.edges})
    for (const KRORenderShape& s : *shapes) {
      if (!tags.count(s.tag)) continue;
      for (const Vec& p : s.points)
        if (Finite(p)) {
          sum = {sum[0] + p[0], sum[1] + p[1], sum[2] + p[2]};
          ++n;
        }
    }
  if (n == 0) return std::nullopt;
  return Vec{sum[0] / n, sum[1] / n, sum[2] / n};
}

/// A triangle to fill, in picture coordinates.
struct Triangle {
  double depth;
  int tag;
  int shade; // 0 .. kShadeLevels - 1
  bool highlighted;
  double x[3], y[3];
};

class Painter {
public:
  Painter(const KRORenderScene& scene, const KRORenderOptions& options,
          const KRORenderProjection& projection, KRORenderOutput& out)
      : scene_(scene), options_(options), projection_(projection), out_(out) {}

  void Paint(cairo_t* cr) {
    cairo_set_source_rgb(cr, kBackground.r, kBackground.g, kBackground.b);
    cairo_paint(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    PaintFaces(cr);
    PaintEdges(cr);
    PaintAnnotations(cr);
  }

private:
  const KRORenderAnnotation* Highlighted() const {
    for (const KRORenderAnnotation& a : scene_.annotations)
      if (a.id == options_.highlight && options_.highlight != 0) return &a;
    return nullptr;
  }

  void PaintFaces(cairo_t* cr) {
    std::set<int> highlightedTags;
    if (const KRORenderAnnotation* h = Highlighted())
      highlightedTags.insert(h->tags.begin(), h->tags.end());
    std::vector<Triangle> triangles;
    for (const KRORenderShape& face : scene_.faces) {
      const bool highlighted = highlightedTags.count(face.tag) > 0;
      if (!options_.shadeAllFaces && !highlighted && options_.shadedFaces.count(face.tag) == 0)
        continue;
      for (std::size_t i = 0; i + 2 < face.points.size(); i += 3) {
        const Vec& a = face.points[i];
        const Vec& b = face.points[i + 1];
        const Vec& c = face.points[i + 2];
        if (!Finite(a) || !Finite(b) || !Finite(c)) continue;
        const Vec pa = projection_.Project(a), pb = projection_.Project(b),
                  pc = projection_.Project(c);
        // Seen from the camera, a face turned away winds clockwise on the picture (y down).
        const double area = (pb[0] - pa[0]) * (pc[1] - pa[1]) - (pb[1] - pa[1]) * (pc[0] - pa[0]);
        if (area > 0) continue;
        // Lit from the viewer: brightness follows how squarely the triangle faces the camera.
        const Vec n = Unit(Cross(Sub(b, a), Sub(c, a)));
        const double facing = std::fabs(Dot(n, projection_.Forward()));
        const int shade = std::clamp(static_cast<int>(facing * kShadeLevels), 0, kShadeLevels - 1);
        triangles.push_back({(pa[2] + pb[2] + pc[2]) / 3,
                             face.tag,
                             shade,
                             highlighted,
                             {pa[0], pb[0], pc[0]},
                             {pa[1], pb[1], pc[1]}});
      }
    }
    std::stable_sort(triangles.begin(), triangles.end(),
                     [](const Triangle& a, const Triangle& b) { return a.depth > b.depth; });
    // Consecutive triangles of one face and one shade make one path.
    for (std::size_t i = 0; i < triangles.size();) {
      std::size_t j = i;
      while (j < triangles.size() && triangles[j].tag == triangles[i].tag &&
             triangles[j].shade == triangles[i].shade)
        ++j;
      const Triangle& t = triangles[i];
      const Colour base = t.highlighted ? kHighlightFace : kFace;
      const double light = 0.45 + 0.55 * (t.shade + 0.5) / kShadeLevels;
      for (std::size_t k = i; k < j; ++k) {
        cairo_move_to(cr, triangles[k].x[0], triangles[k].y[0]);
        cairo_line_to(cr, triangles[k].x[1], triangles[k].y[1]);
        cairo_line_to(cr, triangles[k].x[2], triangles[k].y[2]);
        cairo_close_path(cr);
      }
      cairo_set_source_rgb(cr, base.r * light, base.g * light, base.b * light);
      cairo_fill(cr);
      out_.items.push_back({KRORenderItem::Kind::Face, t.tag});
      i = j;
    }
  }

  bool AddLine(cairo_t* cr, const std::vector<Vec>& line) {
    bool started = false;
    for (const Vec& p : line) {
      if (!Finite(p)) continue;
      const Vec q = projection_.Project(p);
      if (started) {
        cairo_line_to(cr, q[0], q[1]);
      } else {
        cairo_move_to(cr, q[0], q[1]);
        started = true;
      }
    }
    return started;
  }

  void PaintEdges(cairo_t* cr) {
    bool any = false;
    for (const KRORenderShape& edge : scene_.edges)
      any = AddLine(cr, edge.points) || any;
    if (!any) return;
    cairo_set_source_rgb(cr, kEdge.r, kEdge.g, kEdge.b);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    out_.items.push_back({KRORenderItem::Kind::Edges, 0});
  }

  /// Adds an annotation's triangles to the path, each wound the same way on the picture so that
  /// the nonzero rule fills their union: overlapping triangles of opposite winding would
  /// otherwise cancel out. One fill for all of them leaves no seams where triangles meet.
  bool AddTriangles(cairo_t* cr, const std::vector<std::array<Vec, 3>>& triangles) {
    bool any = false;
    for (const std::array<Vec, 3>& t : triangles) {
      if (!Finite(t[0]) || !Finite(t[1]) || !Finite(t[2])) continue;
      const Vec a = projection_.Project(t[0]), b = projection_.Project(t[1]),
                c = projection_.Project(t[2]);
      const double area = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
      if (area == 0) continue; // fills nothing
      const Vec& second = area > 0 ? b : c;
      const Vec& third = area > 0 ? c : b;
      cairo_move_to(cr, a[0], a[1]);
      cairo_line_to(cr, second[0], second[1]);
      cairo_line_to(cr, third[0], third[1]);
      cairo_close_path(cr);
      any = true;
    }
    return any;
  }

  void PaintAnnotations(cairo_t* cr) {
    // The highlighted annotation goes last, on top of the others.
    std::vector<const KRORenderAnnotation*> order;
    for (const KRORenderAnnotation& a : scene_.annotations)
      if (Drawn(a, options_) && a.id != options_.highlight) order.push_back(&a);
    if (const KRORenderAnnotation* h = Highlighted())
      if (Drawn(*h, options_)) order.push_back(h);
    for (const KRORenderAnnotation* a : order) {
      const bool lit = a->id == options_.highlight;
      const Colour c = lit ? kHighlight : KindColour(a->kind);
      cairo_set_source_rgb(cr, c.r, c.g, c.b);
      cairo_set_line_width(cr, lit ? 2.5 : 1.2);
      if (AddTriangles(cr, a->triangles)) {
        cairo_fill(cr);
        out_.items.push_back({KRORenderItem::Kind::Annotation, a->id});
      }
      for (const auto& line : a->lines) {
        if (!AddLine(cr, line)) continue;
        cairo_stroke(cr);
        out_.items.push_back({KRORenderItem::Kind::Annotation, a->id});
      }
    }
    for (const KRORenderAnnotation* a : order) {
      const std::optional<Vec> at = MarkerPoint(*a, scene_);
      if (!at) continue;
      const bool lit = a->id == options_.highlight;
      const Colour c = lit ? kHighlight : KindColour(a->kind);
      const Vec q = projection_.Project(*at);
      const double r = lit ? kMarkerRadius * 1.6 : kMarkerRadius;
      cairo_new_sub_path(cr);
      cairo_arc(cr, q[0], q[1], r, 0, 2 * M_PI);
      cairo_move_to(cr, q[0] - 2 * r, q[1]);
      cairo_line_to(cr, q[0] + 2 * r, q[1]);
      cairo_move_to(cr, q[0], q[1] - 2 * r);
      cairo_line_to(cr, q[0], q[1] + 2 * r);
      cairo_set_source_rgb(cr, c.r, c.g, c.b);
      cairo_set_line_width(cr, lit ? 2.5 : 1.5);
      cairo_stroke(cr);
      out_.items.push_back({KRORenderItem::Kind::Marker, a->id});
    }
  }

  const KRORenderScene& scene_;
  const KRORenderOptions& options_;
  const KRORenderProjection& projection_;
  KRORenderOutput& out_;
};

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

struct SurfaceCloser {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextCloser {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

enum class Format { SVG, PNG };

bool Render(const KRORenderScene& scene, const KRORenderOptions& options, KRORenderOutput& out,
            Format format) {
  out = KRORenderOutput();
  try {
    if (options.width < 1 || options.height < 1 || options.width > kKRORenderMaxSide ||
        options.height > kKRORenderMaxSide) {
      out.error = "picture size " + std::to_string(options.width) + "x" +
                  std::to_string(options.height) + " is outside 1.." +
                  std::to_string(kKRORenderMaxSide);
      return false;
    }
    std::string warning;
    const KRORenderProjection projection(scene, options, &warning);
    if (!warning.empty()) out.warnings.push_back(warning);
    std::string bytes;
    std::unique_ptr<cairo_surface_t, SurfaceCloser> surface(
        format == Format::SVG
            ? cairo_svg_surface_create_for_stream(Append, &bytes, options.width, options.height)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, options.width, options.height));
    if (format == Format::SVG)
      cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
    {
      std::unique_ptr<cairo_t, ContextCloser> cr(cairo_create(surface.get()));
      if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        out.error = std::string("cairo: ") + cairo_status_to_string(cairo_status(cr.get()));
        return false;
      }
      Painter(scene, options, projection, out).Paint(cr.get());
      if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        out.error = std::string("cairo: ") + cairo_status_to_string(cairo_status(cr.get()));
        return false;
      }
    }
    if (format == Format::PNG) {
      cairo_surface_flush(surface.get());
      const cairo_status_t s = cairo_surface_write_to_png_stream(surface.get(), Append, &bytes);
      if (s != CAIRO_STATUS_SUCCESS) {
        out.error = std::string("cairo: ") + cairo_status_to_string(s);
        return false;
      }
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
      out.error =
          std::string("cairo: ") + cairo_status_to_string(cairo_surface_status(surface.get()));
      return false;
    }
    // The part's projected box, for hosts that place things over the picture.
    double box[4] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const auto* shapes : {&scene.faces, &scene.edges})
      for (const KRORenderShape& s : *shapes)
        for (const Vec& p : s.points) {
          if (!Finite(p)) continue;
          const Vec q = projection.Project(p);
          box[0] = std::min(box[0], q[0]);
          box[1] = std::min(box[1], q[1]);
          box[2] = std::max(box[2], q[0]);
          box[3] = std::max(box[3], q[1]);
        }
    if (box[0] <= box[2]) out.partBox = {box[0], box[1], box[2], box[3]};
    out.bytes = std::move(bytes);
    out.ok = true;
    return true;
  } catch (const std::exception& e) {
    out = KRORenderOutput();
    out.error = std::string("out of memory while drawing (") + e.what() + ")";
    return false;
  }
}

} // namespace

KRORenderCamera KRORenderProjection::Isometric() {
  const double s = 1 / std::sqrt(3.0);
  return {{-s, s, s}, {s, -s, -s}, {0, 0, 1}};
}

KRORenderCamera KRORenderProjection::DefaultCamera(const KRORenderScene& scene) {
  const KRORenderCamera first = Isometric();
  KRORenderCamera best = first;
  int bestScore = 0;
  // The first candidate is Isometric() itself, so that it wins every tie.
  for (int octant = 0; octant < 8; ++octant) {
    const Vec d{(octant & 1 ? -1 : 1) * first.direction[0],
                (octant & 2 ? -1 : 1) * first.direction[1],
                (octant & 4 ? -1 : 1) * first.direction[2]};
    int score = 0;
    Vec up{};
    for (const KRORenderAnnotation& a : scene.annotations) {
      if (!a.normal || !Finite(*a.normal) || !(Dot(*a.normal, d) < 0)) continue;
      ++score;
      if (a.up && Finite(*a.up)) up = Add(up, Unit(*a.up));
    }
    if (score <= bestScore) continue;
    bestScore = score;
    // Up across the view only: its part along the view direction shows nothing.
    const Vec across = Sub(up, Scale(d, Dot(up, d)));
    const Vec zenith = Length(across) > 1e-6 * score ? across : Vec{0, 0, 1};
    best = {{-d[0], -d[1], -d[2]}, d, zenith};
  }
  return best;
}

bool KRORenderProjection::Usable(const KRORenderCamera& c) {
  if (!Finite(c.direction) || !Finite(c.zenith)) return false;
  const double d = Length(c.direction), z = Length(c.zenith);
  if (!(d > 0) || !(z > 0)) return false;
  return Length(Cross(c.direction, c.zenith)) > 1e-9 * d * z;
}

KRORenderProjection::KRORenderProjection(const KRORenderScene& scene,
                                         const KRORenderOptions& options, std::string* warning) {
  KRORenderCamera camera = options.camera ? *options.camera : DefaultCamera(scene);
  if (!Usable(camera)) {
    if (warning)
      *warning = "the camera's direction and zenith are zero or parallel; the default "
                 "camera is used";
    camera = DefaultCamera(scene);
  }
  forward_ = Unit(camera.direction);
  right_ = Unit(Cross(forward_, camera.zenith));
  up_ = Cross(right_, forward_);
  width_ = options.width;
  height_ = options.height;
  double x0 = std::numeric_limits<double>::max(), y0 = x0;
  double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
  auto add = [&](const Vec& p) {
    if (!Finite(p)) return;
    const double x = Dot(p, right_), y = Dot(p, up_);
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
  };
  for (const auto* shapes : {&scene.faces, &scene.edges})
    for (const KRORenderShape& s : *shapes)
      for (const Vec& p : s.points)
        add(p);
  for (const KRORenderAnnotation& a : scene.annotations) {
    if (!Drawn(a, options)) continue;
    for (const auto& line : a.lines)
      for (const Vec& p : line)
        add(p);
    for (const auto& triangle : a.triangles)
      for (const Vec& p : triangle)
        add(p);
    if (const std::optional<Vec> at = MarkerPoint(a, scene)) add(*at);
  }
  if (x0 > x1) x0 = y0 = -1, x1 = y1 = 1;
  const double margin = kMargin * std::min(width_, height_);
  const double spanX = std::max(x1 - x0, 1e-12), spanY = std::max(y1 - y0, 1e-12);
  scale_ = std::min((width_ - 2 * margin) / spanX, (height_ - 2 * margin) / spanY);
  if (!(scale_ > 0) || !std::isfinite(scale_)) scale_ = 1;
  cx_ = (x0 + x1) / 2;
  cy_ = (y0 + y1) / 2;
}

KRORenderVec KRORenderProjection::Project(const KRORenderVec& p) const {
  return {width_ / 2 + (Dot(p, right_) - cx_) * scale_, height_ / 2 - (Dot(p, up_) - cy_) * scale_,
          Dot(p, forward_)};
}

bool KRORenderSVG(const KRORenderScene& scene, const KRORenderOptions& options,
                  KRORenderOutput& out) {
  return Render(scene, options, out, Format::SVG);
}

bool KRORenderPNG(const KRORenderScene& scene, const KRORenderOptions& options,
                  KRORenderOutput& out) {
  return Render(scene, options, out, Format::PNG);
}
