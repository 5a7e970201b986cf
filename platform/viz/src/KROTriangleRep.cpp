// KROTriangleRep.cpp - the reps that carry filled triangles.
#include "KROTriangleRep.h"

#include <algorithm>

namespace {
bool IndicesIn(const std::vector<KROTriangle>& triangles, std::size_t pointCount) {
  return std::all_of(triangles.begin(), triangles.end(), [pointCount](const KROTriangle& t) {
    return std::all_of(t.begin(), t.end(), [pointCount](int i) {
      return i >= 0 && static_cast<std::size_t>(i) < pointCount;
    });
  });
}
} // namespace

KRO3DTriangleRep::~KRO3DTriangleRep() = default;
const char* KRO3DTriangleRep::ClassName() const { return kClassName; }
bool KRO3DTriangleRep::IndicesValid() const { return IndicesIn(triangles_, points_.size()); }

KRO2DTriangleRep::~KRO2DTriangleRep() = default;
const char* KRO2DTriangleRep::ClassName() const { return kClassName; }
bool KRO2DTriangleRep::IndicesValid() const { return IndicesIn(triangles_, points_.size()); }
