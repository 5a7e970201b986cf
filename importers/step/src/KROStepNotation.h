// KROStepNotation.h - the semantic PMI of a file as drawing texts, in NIST's expected-PMI notation.
///
/// Each function writes one PMI item the way a drawing shows it (ASME Y14.5 symbols, UTF-8, on
/// one or a few lines), so that an item can be compared with NIST's expectation and read by a
/// user. Numbers stay in the unit the file states them in; nothing is converted for display.
/// \code
///   std::string dim = KROStepDimensionPmi(facts.dimensions[0], facts.units); // "⌀35 ± 0.2"
///   std::string row = KROStepPmiOneLine(KROStepTolerancePmi(facts.tolerances[0], facts));
/// \endcode
/// Texts never hold ':' (the kernel reads annotation ids between colons), whatever the file's
/// strings hold. Nothing throws and nothing is printed: were memory to run out, a text is empty.
#pragma once

#include "KROStepFacts.h"

#include <string>
#include <vector>

/// A number as the drawing writes it. `decimals` >= 0: rounded half away from zero to that many
/// places, then padded ("0.5938", 3 -> "0.594"; "0.3", 2 -> "0.30"). `decimals` < 0: the shortest
/// text that reads back as `value`, at most ten significant digits, no exponent ("0.75", "35").
/// `inch` drops the leading zero of a value below one (".25", "-.003"). A value that is zero once
/// written has no sign.
std::string KROStepPmiNumber(double value, int decimals, bool inch);

/// `["nX "] [PREFIX] VALUE [TOLERANCE] {" " QUALIFIER}`, e.g. "2X ⌀.250  +.003\n          -.000",
/// "60° ± 0.5°", "R.012-.022", "(SR.500)", "⌀ (no value)".
std::string KROStepDimensionPmi(const KROStepFileDimension& d, const KROStepFileUnits& u);

/// Compartments joined by " | ", a common datum's members by "-": "A | B | C", "E Ⓜ-F Ⓜ".
std::string KROStepDatumSystemPmi(const std::vector<KROStepFileCompartment>& compartments);

/// A feature control frame, preceded by the size dimension it controls when the file associates
/// one: "⌀.250  +.003\n          -.000\n⌖ | ⌀.020 Ⓟ .425 | A | B", "⌮ | ⌓ | 0.5 | A".
std::string KROStepTolerancePmi(const KROStepFileTolerance& t, const KROStepFileFacts& facts);

/// A datum feature ("▽\n⎹\n[A]") or a datum target ("A1 (point)", "⌀85\nK1 (circle)").
std::string KROStepDatumFeaturePmi(const KROStepFileDatumFeature& f, const KROStepFileUnits& u);

/// The text on one line for a table: its lines trimmed, blank ones dropped, the rest joined by
/// "; ", which the notation never uses.
std::string KROStepPmiOneLine(const std::string& pmi);
