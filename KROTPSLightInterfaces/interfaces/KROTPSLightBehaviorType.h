// KROTPSLightBehaviorType.h - how an annotation behaves; values belong to the host.
/// \file
#pragma once

#include <cstdint>

/// Stored and returned unchanged by the annotation; -1 until the builder sets it.
enum KROTPSLightBehaviorType : std::int32_t {
  /// Not set by the model's builder.
  KROTPSLightBehaviorUnset = -1,
};
