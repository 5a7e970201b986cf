// KROStepMutate.h - single-edit mutants of a STEP file's text, for feeding the importer damaged
// copies of real parts.
#pragma once

#include <cstdint>
#include <string>

/// One mutant of a STEP file's text: exactly one edit, chosen by `seed` alone (the same text
/// and seed give the same mutant on every machine).
struct KROStepMutant {
  std::string text;
  std::string edit; ///< what was done, on one line, e.g. "record #57 deleted"
};

/// Makes the mutant of `text` for `seed`. The seed picks the kind of edit, then its place; a
/// kind the text has no place for passes to the next kind. The kinds and their descriptions
/// (byte offsets count from 0 in `text`, lines from 1):
///   - "file cut at line L (byte B)": the text ends where line L began, inside the DATA section;
///   - "record #N deleted": the record and the line break right after it are gone;
///   - "record #N: reference #A at byte B redirected to #C": #C is the id of another record;
///   - "record #N: number X at byte B replaced by Y", Y one of 0. -1.E300 1.E308 NaN 4.9E-324;
///   - "record #N renumbered to #M, a duplicate id": M is the id of another record;
///   - "record #N: '(' at byte B dropped" (or ')');
///   - "record #N: type T at byte B renamed to U": U misspells T or is another record's type.
/// Only records of DATA sections are edited, never inside a quoted string or a comment; the
/// work is linear in the size of the text.
/// @throws std::invalid_argument when the text has no DATA section with anything to edit.
KROStepMutant KROStepMutate(const std::string& text, std::uint64_t seed);
