// KROPlatformExport.h - symbol visibility for the platform stand-in.
#pragma once

#define KRO_PLATFORM_API __attribute__((visibility("default")))
