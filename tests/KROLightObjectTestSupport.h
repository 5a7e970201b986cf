// KROLightObjectTestSupport.h - small helpers shared by the light-object tests.
#pragma once

#include "KROBaseUnknown.h"
#include "KRORep.h"
#include "KROTestSupport.h"

#include <bit>
#include <cstdint>
#include <limits>

/// Values a careless setter would normalise, compare or clamp away; each must come back bit for
/// bit as it went in.
inline constexpr double kKROOddValues[] = {
    std::numeric_limits<double>::quiet_NaN(),     -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::infinity(),      -0.0,
    std::numeric_limits<double>::denorm_min(),    -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::signaling_NaN(),
};
inline constexpr int kKROOddValueCount = sizeof(kKROOddValues) / sizeof(kKROOddValues[0]);

inline std::uint64_t KROBits(double v) { return std::bit_cast<std::uint64_t>(v); }

/// Three distinct values for coordinate triple number `i`: the first identifies the triple, the
/// other two are odd values.
struct KROTriple {
  double v[3];
  static KROTriple For(int i) {
    return {{i + 0.25, kKROOddValues[i % kKROOddValueCount],
             kKROOddValues[(i + 1) % kKROOddValueCount]}};
  }
};

/// A plain leaf rep, made through the rep allocator.
inline KRORep* KRONewLeafRep() { return new (nullptr, nullptr, 0) KRO2DCustomRep(); }
