// KROPlatformInternal.h - included first by every header the platform shares only with the
// libraries built on it (the kernel) and their tests.
///
/// Those headers live in the subsystems' internal/ folders and are never installed: a host that
/// reaches one has the wrong include folder.
#pragma once

#ifndef KRO_PLATFORM_INTERNALS
#error "an internal platform header is included from outside the libraries built on the platform"
#endif
