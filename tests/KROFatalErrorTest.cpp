// Counting and handler installation of failed-assertion reports.
#include "KROFatalError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Seen {
  int calls = 0;
  std::string message, source;
  int line = 0;
};
Seen seen;

void Record(const char* message, const char* sourceName, int line) {
  ++seen.calls;
  seen.message = message ? message : "";
  seen.source = sourceName ? sourceName : "";
  seen.line = line;
}

TEST(KROFatalError, ReportsReachTheHandlerAndAlwaysCount) {
  seen = {};
  const long before = KROFatalErrorCount();
  KROFatalErrorHandler previous = KROSetFatalErrorHandler(Record);
  KROFatalError("AssertionFailed:ipObj", nullptr, nullptr, nullptr, "Table", 33);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.message, "AssertionFailed:ipObj");
  EXPECT_EQ(seen.source, "Table");
  EXPECT_EQ(seen.line, 33);

  EXPECT_EQ(KROSetFatalErrorHandler(nullptr), Record);
  KROFatalError(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(seen.calls, 1) << "the default handler must not call the old one";
  EXPECT_EQ(KROFatalErrorCount(), before + 2);

  EXPECT_EQ(KROSetFatalErrorHandler(previous), nullptr);
}

} // namespace
