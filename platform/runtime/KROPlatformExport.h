// KROPlatformExport.h - symbol visibility for the platform stand-in.
/// \file
#pragma once

/// Marks what the platform library exports; everything else in it is hidden.
#define KRO_PLATFORM_API __attribute__((visibility("default")))
