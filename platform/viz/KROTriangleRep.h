// KROTriangleRep.h - reps that carry filled triangles: in model space, and in a plane.
///
/// \code
///   auto* rep = new (nullptr, nullptr, 0) KRO3DTriangleRep();  // null when out of memory
///   rep->SetTriangles({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 1, 2}});
///   bag->AddChild(*rep);  // the bag owns it, as any rep
/// \endcode
///
/// A rep holds a list of points and a list of triangles, each triangle three 0-based indices
/// into the points. Points may be shared between triangles; a triangle with two equal indices is
/// kept as it is (it fills nothing).
///
/// Stream body (after the label): the point count (int) and the points, each coordinate a 64-bit
/// IEEE double, little-endian; then the triangle count (int) and each triangle as three indices
/// (int). A stream holds at most `kMaxPoints` points and `kMaxTriangles` triangles in one rep; a
/// count beyond those or beyond the bytes left, a coordinate that is not finite, or an index
/// outside the points makes the read fail and yields no rep. Writing a rep that breaks any of
/// these fails too, so whatever is written reads back bit for bit.
#pragma once

#include "KROPolylineRep.h"

#include <array>
#include <vector>

/// One triangle: three 0-based indices into its rep's points.
using KROTriangle = std::array<int, 3>;

/// The caps a triangle body obeys, shared by both dimensions: an annotation's text and arrowheads
/// take thousands of triangles, not millions.
struct KROTriangleLimits {
  static constexpr int kMaxPoints = 1 << 20;    ///< points in one rep
  static constexpr int kMaxTriangles = 1 << 20; ///< triangles in one rep
};

/// Filled triangles in model space: the text and arrowheads of an annotation's graphic.
class KRO_PLATFORM_API KRO3DTriangleRep : public KRORep, public KROTriangleLimits {
public:
  static constexpr const char* kClassName = "KRO3DTriangleRep"; ///< its name in streams
  static constexpr int kDimension = 3;                          ///< coordinates per point
  using Point = KROPoint3D;                                     ///< one point of it
  const char* ClassName() const override;

  /// The points the triangles index, in the order they were set (and are written).
  const std::vector<KROPoint3D>& GetPoints() const { return points_; }
  /// The triangles, in the order they were set (and are written).
  const std::vector<KROTriangle>& GetTriangles() const { return triangles_; }
  /// Replaces points and triangles; the caps and the indices are checked when the rep is
  /// written, not here.
  void SetTriangles(std::vector<KROPoint3D> points, std::vector<KROTriangle> triangles) noexcept {
    points_ = std::move(points);
    triangles_ = std::move(triangles);
  }
  /// True when every index of every triangle names one of the points.
  bool IndicesValid() const;

protected:
  ~KRO3DTriangleRep() override;

private:
  std::vector<KROPoint3D> points_;
  std::vector<KROTriangle> triangles_;
};

/// Filled triangles in an annotation plane, in its (x, y) coordinates.
class KRO_PLATFORM_API KRO2DTriangleRep : public KRO2DRep, public KROTriangleLimits {
public:
  static constexpr const char* kClassName = "KRO2DTriangleRep"; ///< its name in streams
  static constexpr int kDimension = 2;                          ///< coordinates per point
  using Point = KROPoint2D;                                     ///< one point of it
  const char* ClassName() const override;

  /// The points the triangles index, in the order they were set (and are written).
  const std::vector<KROPoint2D>& GetPoints() const { return points_; }
  /// The triangles, in the order they were set (and are written).
  const std::vector<KROTriangle>& GetTriangles() const { return triangles_; }
  /// Replaces points and triangles; the caps and the indices are checked when the rep is
  /// written, not here.
  void SetTriangles(std::vector<KROPoint2D> points, std::vector<KROTriangle> triangles) noexcept {
    points_ = std::move(points);
    triangles_ = std::move(triangles);
  }
  /// True when every index of every triangle names one of the points.
  bool IndicesValid() const;

protected:
  ~KRO2DTriangleRep() override;

private:
  std::vector<KROPoint2D> points_;
  std::vector<KROTriangle> triangles_;
};
