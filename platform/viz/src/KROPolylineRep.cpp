// KROPolylineRep.cpp - the reps that carry polylines.
#include "KROPolylineRep.h"

namespace {
template <class Lines> long CountPoints(const Lines& lines) {
  long n = 0;
  for (const auto& line : lines)
    n += static_cast<long>(line.size());
  return n;
}
} // namespace

KRO3DPolylineRep::~KRO3DPolylineRep() = default;
const char* KRO3DPolylineRep::ClassName() const { return kClassName; }
long KRO3DPolylineRep::PointCount() const { return CountPoints(polylines_); }

KRO2DPolylineRep::~KRO2DPolylineRep() = default;
const char* KRO2DPolylineRep::ClassName() const { return kClassName; }
long KRO2DPolylineRep::PointCount() const { return CountPoints(polylines_); }
