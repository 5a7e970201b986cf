// kro-step-mutate - writes one mutant of a STEP file and prints the edit that made it.
///
///   kro-step-mutate IN.stp SEED OUT.stp
///
/// The edit's description goes to stdout on one line. Exit status: 0 written, 2 bad arguments,
/// or a file that cannot be read, mutated or written (one line on stderr).
#include "KROStepMutate.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace {

constexpr int kFailed = 2;

int Fail(const std::string& line) {
  std::cerr << "kro-step-mutate: " << line << '\n';
  return kFailed;
}

} // namespace

int main(int argc, char** argv) {
  CLI::App app{"kro-step-mutate: one mutant of a STEP file, a single edit chosen by the seed"};
  std::string in;
  std::string out;
  std::string seedText;
  app.add_option("IN", in, "STEP file (.stp, .step)")->required();
  app.add_option("SEED", seedText, "0 to 2^64-1; the same file and seed make the same mutant")
      ->required();
  app.add_option("OUT", out, "file to write the mutant to")->required();
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) { // --help
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return Fail(e.what());
  }

  // Read here rather than by CLI11, which takes -1 for 2^64-1 and clamps what overflows.
  std::uint64_t seed = 0;
  const char* const end = seedText.data() + seedText.size();
  if (auto [at, error] = std::from_chars(seedText.data(), end, seed);
      error != std::errc() || at != end)
    return Fail("SEED: not a whole number from 0 to 2^64-1: " + seedText);

  std::ifstream input(in, std::ios::binary);
  if (!input) return Fail(in + ": " + std::strerror(errno));
  std::ostringstream text;
  text << input.rdbuf();
  if (input.bad()) return Fail(in + ": cannot be read");

  KROStepMutant mutant;
  try {
    mutant = KROStepMutate(text.str(), seed);
  } catch (const std::invalid_argument& e) {
    return Fail(in + ": " + e.what());
  }

  std::ofstream output(out, std::ios::binary | std::ios::trunc);
  if (!output) return Fail(out + ": " + std::strerror(errno));
  output << mutant.text;
  output.close();
  if (!output) return Fail(out + ": cannot be written");
  std::cout << mutant.edit << '\n';
  return 0;
}
