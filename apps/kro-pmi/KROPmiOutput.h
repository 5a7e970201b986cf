// KROPmiOutput.h - how kro-pmi ends and writes: exit codes, one-line failures, atomic files.
#pragma once

#include <string>

/// Exit status of a command line kro-pmi cannot make sense of.
constexpr int kKROPmiUsage = 1;
/// Exit status of an input that cannot be read or an output that cannot be written.
constexpr int kKROPmiBadInput = 2;

/// Prints `line` as kro-pmi's one line on stderr ("kro-pmi: LINE") and returns `status`.
int KROPmiFail(const std::string& line, int status = kKROPmiBadInput);

/// Writes `bytes` to `path` through `PATH.part` renamed into place, so that a failure leaves no
/// partial file. False, with `why` set (naming the path), on failure.
bool KROPmiWriteFile(const std::string& path, const std::string& bytes, std::string& why);

/// Writes `bytes` to stdout when `path` is empty or "-", else to the file as `KROPmiWriteFile`
/// does. Returns 0, or `KROPmiFail`'s status.
int KROPmiEmit(const std::string& path, const std::string& bytes);
