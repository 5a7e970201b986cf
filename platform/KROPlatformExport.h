// KROPlatformExport.h - symbol visibility for the platform stand-in.
#pragma once

#if defined(KRO_BUILDING_PLATFORM)
#define KRO_PLATFORM_API __attribute__((visibility("default")))
#else
#define KRO_PLATFORM_API __attribute__((visibility("default")))
#endif
