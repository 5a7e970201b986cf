// KROStepMutantTest.cpp - damaged copies of real parts through the isolated import: each ends in
// a model or an error, within the time limit, and leaves nothing alive in this process.
#include "KROStepMutate.h"
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int kDefaultMutants = 20; // ThreadSanitizer makes OCCT's read several times slower
#else
constexpr int kDefaultMutants = 200;
#endif

/// KRO_MUTANTS overrides the count, e.g. for a long local run.
int MutantCount() {
  const char* env = std::getenv("KRO_MUTANTS");
  return env && std::atoi(env) > 0 ? std::atoi(env) : kDefaultMutants;
}

class KROStepMutantTest : public KROStepScratchTest {};

TEST_F(KROStepMutantTest, EveryMutantEndsInAModelOrAnError) {
  const int count = MutantCount();
  // The smaller parts, so that the run fits CI's budget; seeds run on from part to part.
  const char* parts[] = {kCTC01, kCTC03};
  KROStepReadOptions options;
  options.timeLimitSeconds = 20;
  std::map<std::string, int> tally;
  std::map<std::string, int> errors;
  const long components = KROBaseUnknown::LiveCount(), reps = KRORep::LiveCount();
  for (int i = 0; i < count; ++i) {
    const char* part = parts[i % 2];
    static std::map<std::string, std::string> texts;
    if (!texts.count(part)) texts[part] = KROStepSlurp(KROStepData(part));
    const KROStepMutant mutant = KROStepMutate(texts[part], static_cast<std::uint64_t>(i + 1));
    const std::string path = Out("mutant.stp");
    std::ofstream(path, std::ios::binary) << mutant.text;
    const auto start = std::chrono::steady_clock::now();
    {
      const KROStepImportResult r = KROStepImportFile(path, options);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      EXPECT_LT(seconds, options.timeLimitSeconds + 5)
          << part << " seed " << i + 1 << ": " << mutant.edit;
      std::string error;
      for (const KROStepMessage& m : r.messages)
        if (m.severity == KROStepMessage::Severity::Error && error.empty()) error = m.text;
      EXPECT_TRUE(r.ok || !error.empty()) << part << " seed " << i + 1 << ": " << mutant.edit;
      if (r.ok) {
        ++tally["model"];
      } else {
        ++tally["error"];
        // The reason without the file's path, for the tally.
        const std::size_t colon = error.find(": ");
        ++errors[colon == std::string::npos ? error : error.substr(colon + 2, 60)];
      }
    }
    EXPECT_EQ(KROBaseUnknown::LiveCount(), components) << "seed " << i + 1;
    EXPECT_EQ(KRORep::LiveCount(), reps) << "seed " << i + 1;
  }
  std::cout << count << " mutants: " << tally["model"] << " models, " << tally["error"]
            << " errors\n";
  for (const auto& [why, n] : errors)
    std::cout << "  " << n << " x " << why << '\n';
  EXPECT_EQ(tally["model"] + tally["error"], count);
}

} // namespace
