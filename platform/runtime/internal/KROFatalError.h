// KROFatalError.h - the runtime's report of a failed assertion.
///
/// A report never stops the program and prints nothing: it is counted and passed to the installed
/// handler, and the caller goes on, so every caller must stay safe after it returns.
/// \code
///   if (!entry) KROFatalError("AssertionFailed:entry", nullptr, nullptr, nullptr, "MyTable", 33);
///   long reports = KROFatalErrorCount();
/// \endcode
#pragma once

#include "KROPlatformInternal.h"

#include "KROPlatformExport.h"

/// Reports a failed assertion; `a`, `b` and `c` are extra texts that may be null.
KRO_PLATFORM_API void KROFatalError(const char* message, const char* a, const char* b,
                                    const char* c, const char* sourceName, int line);

using KROFatalErrorHandler = void (*)(const char* message, const char* sourceName, int line);

/// Installs `handler` and returns the previous one (null for the default). A null handler
/// restores the default, which does nothing beyond counting.
KRO_PLATFORM_API KROFatalErrorHandler KROSetFatalErrorHandler(KROFatalErrorHandler handler);

/// Number of reports made since the program started.
KRO_PLATFORM_API long KROFatalErrorCount();
