// KROTPSFramework.h - the framework the kernel's classes register under.
#pragma once

#include "KROTPSKernelPrivate.h"

/// The framework name every class of the kernel registers with (KRO_IMPLEMENT_CLASS).
inline constexpr const char* KROTPSFramework = "KROTPSLightInterfaces";
