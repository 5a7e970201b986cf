// KROPolylineRep.h - reps that carry geometry: 3D polylines, and 2D polylines in a plane.
///
/// \code
///   KRO3DPolylineRep* rep = new (nullptr, nullptr, 0) KRO3DPolylineRep();  // null when out of memory
///   std::vector<KROPolyline3D> lines{{{0, 0, 0}, {10, 0, 0}}};
///   rep->SetPolylines(std::move(lines));
///   bag->AddChild(*rep);  // the bag owns it, as any rep
/// \endcode
///
/// Stream body (after the label): the polyline count (int), then each polyline as its point
/// count (int) and its points, each coordinate a 64-bit IEEE double, little-endian. A stream
/// holds at most `kMaxPolylines` polylines and `kMaxPoints` points in one rep; a count beyond
/// those, beyond the bytes left, or a coordinate that is not finite makes the read fail and yields
/// no rep. Writing a rep beyond the caps, or with a coordinate that is not finite, fails too, so
/// whatever is written reads back bit for bit.
#pragma once

#include "KRORep.h"

#include <array>
#include <vector>

using KROPoint3D = std::array<double, 3>;
using KROPoint2D = std::array<double, 2>;
using KROPolyline3D = std::vector<KROPoint3D>;
using KROPolyline2D = std::vector<KROPoint2D>;

/// The caps a polyline body obeys, shared by both dimensions.
struct KROPolylineLimits {
  static constexpr int kMaxPolylines = 1 << 20; ///< polylines in one rep
  static constexpr int kMaxPoints = 1 << 24;    ///< points in one rep, over all its polylines
};

/// Polylines in model space: an annotation's graphic, or any 3D wire drawing.
class KRO_PLATFORM_API KRO3DPolylineRep : public KRORep, public KROPolylineLimits {
public:
  static constexpr const char* kClassName = "KRO3DPolylineRep"; ///< its name in streams
  static constexpr int kDimension = 3;                          ///< coordinates per point
  using Polyline = KROPolyline3D;                               ///< one polyline of it
  const char* ClassName() const override;

  /// The polylines, in the order they were set (and are written).
  const std::vector<KROPolyline3D>& GetPolylines() const { return polylines_; }
  /// Replaces the polylines; the caps are checked when the rep is written, not here.
  void SetPolylines(std::vector<KROPolyline3D> polylines) noexcept {
    polylines_ = std::move(polylines);
  }
  /// Total number of points over every polyline.
  long PointCount() const;

protected:
  ~KRO3DPolylineRep() override;

private:
  std::vector<KROPolyline3D> polylines_;
};

/// Polylines in an annotation plane, in its (x, y) coordinates.
class KRO_PLATFORM_API KRO2DPolylineRep : public KRO2DRep, public KROPolylineLimits {
public:
  static constexpr const char* kClassName = "KRO2DPolylineRep"; ///< its name in streams
  static constexpr int kDimension = 2;                          ///< coordinates per point
  using Polyline = KROPolyline2D;                               ///< one polyline of it
  const char* ClassName() const override;

  /// The polylines, in the order they were set (and are written).
  const std::vector<KROPolyline2D>& GetPolylines() const { return polylines_; }
  /// Replaces the polylines; the caps are checked when the rep is written, not here.
  void SetPolylines(std::vector<KROPolyline2D> polylines) noexcept {
    polylines_ = std::move(polylines);
  }
  /// Total number of points over every polyline.
  long PointCount() const;

protected:
  ~KRO2DPolylineRep() override;

private:
  std::vector<KROPolyline2D> polylines_;
};
