// KROTestMain.cpp - runs the suite and, as a safety net for tests without the fixture, fails the
// run when any test leaves live components or reps behind.
#include "KROBaseUnknown.h"
#include "KRORep.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {
class LiveCountListener : public ::testing::EmptyTestEventListener {
public:
  void OnTestStart(const ::testing::TestInfo&) override {
    components_ = KROBaseUnknown::LiveCount();
    reps_ = KRORep::LiveCount();
  }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    if (KROBaseUnknown::LiveCount() != components_ || KRORep::LiveCount() != reps_) {
      std::fprintf(stderr, "%s.%s left live components %ld -> %ld, reps %ld -> %ld\n",
                   info.test_suite_name(), info.name(), components_, KROBaseUnknown::LiveCount(),
                   reps_, KRORep::LiveCount());
      failed_ = true;
    }
  }
  bool failed_ = false;

private:
  long components_ = 0;
  long reps_ = 0;
};
} // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  auto* listener = new LiveCountListener();
  ::testing::UnitTest::GetInstance()->listeners().Append(listener);
  int rc = RUN_ALL_TESTS();
  return rc != 0 ? rc : (listener->failed_ ? 1 : 0);
}
