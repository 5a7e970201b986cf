// KROStepMutantTest.cpp - damaged copies of real parts through the isolated import: each ends in
// a model or an error, within the time limit, and leaves nothing alive in this process.
#include "KROStepMutate.h"
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <vector>

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

/// The parts mutated in turn: the two smaller ones, so that the run fits CI's budget, or all four
/// bundled parts when KRO_MUTANT_ALL_PARTS is set (a long local run, leaks checked as in CI).
std::vector<const char*> MutatedParts() {
  if (std::getenv("KRO_MUTANT_ALL_PARTS")) return {kCTC01, kCTC03, kCTC04, kFTC07};
  return {kCTC01, kCTC03};
}

class KROStepMutantTest : public KROStepScratchTest {};

TEST_F(KROStepMutantTest, EveryMutantEndsInAModelOrAnError) {
  const int count = MutantCount();
  // Seeds run on from part to part.
  const std::vector<const char*> parts = MutatedParts();
  KROStepReadOptions options;
  options.timeLimitSeconds = 20;
  struct Ends {
    int model = 0, error = 0;
  };
  std::map<std::string, Ends> tally;
  int ended = 0;
  std::map<std::string, int> errors;
  const long components = KROBaseUnknown::LiveCount(), reps = KRORep::LiveCount();
  for (int i = 0; i < count; ++i) {
    const char* part = parts[static_cast<std::size_t>(i) % parts.size()];
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
      ++ended;
      if (r.ok) {
        ++tally[part].model;
      } else {
        ++tally[part].error;
        // The kind of reason, for the tally: no file path, numbers (lines, ids) as N.
        const std::size_t colon = error.find(": ");
        std::string kind;
        for (char c : colon == std::string::npos ? error : error.substr(colon + 2, 70))
          if (!std::isdigit(static_cast<unsigned char>(c)))
            kind += c;
          else if (kind.empty() || kind.back() != 'N')
            kind += 'N';
        ++errors[kind];
      }
    }
    EXPECT_EQ(KROBaseUnknown::LiveCount(), components) << "seed " << i + 1;
    EXPECT_EQ(KRORep::LiveCount(), reps) << "seed " << i + 1;
  }
  std::cout << count << " mutants\n";
  for (const auto& [part, ends] : tally)
    std::cout << "  " << part << ": " << ends.model + ends.error << " mutants, " << ends.model
              << " models, " << ends.error << " errors\n";
  for (const auto& [why, n] : errors)
    std::cout << "  " << n << " x " << why << '\n';
  EXPECT_EQ(ended, count);
}

} // namespace
