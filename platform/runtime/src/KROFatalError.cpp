// KROFatalError.cpp - the runtime's report of a failed assertion.
#include "KROFatalError.h"

#include <atomic>

namespace {

std::atomic<long> reportCount{0};
std::atomic<KROFatalErrorHandler> installedHandler{nullptr};

} // namespace

void KROFatalError(const char* message, const char*, const char*, const char*,
                   const char* sourceName, int line) {
  reportCount.fetch_add(1);
  if (KROFatalErrorHandler handler = installedHandler.load()) handler(message, sourceName, line);
}

KROFatalErrorHandler KROSetFatalErrorHandler(KROFatalErrorHandler handler) {
  return installedHandler.exchange(handler);
}

long KROFatalErrorCount() { return reportCount.load(); }
