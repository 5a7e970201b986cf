// KROStepNotation.cpp - the semantic PMI of a file as drawing texts, in NIST's expected-PMI notation.
#include "KROStepNotation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <string_view>

namespace {

// Every public function goes through this: the only thing that can throw here is an
// allocation, and a caller would rather have no text than an exception.
template <class F> std::string Guarded(F&& write) noexcept {
  try {
    std::string s = write();
    std::erase(s, ':');
    return s;
  } catch (...) {
    return {};
  }
}

// --- numbers ---------------------------------------------------------------------------------

// A magnitude as decimal digits: the value is 0.`digits` × 10^`point`, so "5938" with point 0
// is 0.5938 and "35" with point 2 is 35. Rounding works on these digits, not on the double,
// so that 2.675 rounds as the file wrote it (2.68), not as the double holds it (2.67499…).
struct Digits {
  std::string digits = "0";
  int point = 1;
};

Digits ShortestDigits(double magnitude) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
  Digits d;
  if (ec != std::errc()) return d;
  std::string_view s(buf, static_cast<std::size_t>(end - buf));
  std::size_t e = s.find('e');
  if (e == std::string_view::npos) return d;
  d.digits.clear();
  for (char c : s.substr(0, e))
    if (c != '.') d.digits += c;
  d.point = std::atoi(std::string(s.substr(e + 1)).c_str()) + 1;
  return d;
}

bool IsZero(const Digits& d) {
  return std::all_of(d.digits.begin(), d.digits.end(), [](char c) { return c == '0'; });
}

// Keeps the first `keep` digits, rounding half away from zero (on a magnitude: half up).
void RoundAt(Digits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d = Digits{};
    return;
  }
  bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9'; --i)
      d.digits[static_cast<std::size_t>(i)] = '0';
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    } else {
      ++d.digits[static_cast<std::size_t>(i)];
    }
  }
  if (d.digits.empty()) d = Digits{};
}

std::string Fixed(const Digits& d, int decimals) {
  const int size = static_cast<int>(d.digits.size());
  std::string whole =
      d.point <= 0 ? "0" : d.digits.substr(0, static_cast<std::size_t>(std::min(d.point, size)));
  if (d.point > size) whole.append(static_cast<std::size_t>(d.point - size), '0');
  std::string fraction(static_cast<std::size_t>(std::max(0, -d.point)), '0');
  if (d.point < size) fraction += d.digits.substr(static_cast<std::size_t>(std::max(d.point, 0)));
  if (decimals >= 0) {
    fraction.resize(static_cast<std::size_t>(decimals), '0');
  } else {
    while (!fraction.empty() && fraction.back() == '0')
      fraction.pop_back();
  }
  return fraction.empty() ? whole : whole + "." + fraction;
}

// No file sensibly asks for more places than a double holds; this bounds the padding.
constexpr int kMaxDecimals = 20;
// Beyond ten significant digits a value is noise of the file's writer (0.30000000000000004).
constexpr int kShortestDigits = 10;

// The magnitude of `value` as written; `zero` tells whether it was written as zero.
std::string Magnitude(double value, int decimals, bool inch, bool& zero) {
  Digits d = ShortestDigits(std::fabs(value));
  if (decimals >= 0) {
    decimals = std::min(decimals, kMaxDecimals);
    RoundAt(d, d.point + decimals);
  } else {
    RoundAt(d, kShortestDigits);
  }
  zero = IsZero(d);
  std::string s = Fixed(d, decimals);
  if (inch && s.size() > 1 && s[0] == '0' && s[1] == '.') s.erase(0, 1);
  return s;
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "nan";
  return value < 0 ? "-inf" : "inf";
}

// A deviation of a dimension. Zero without stated decimals is "0"; with them it takes the sign
// of its side ("+.000" above, "-.000" below), as drawings write it.
std::string Deviation(double value, int decimals, bool inch, bool upper) {
  if (!std::isfinite(value)) return NonFinite(value);
  bool zero = false;
  std::string s = Magnitude(value, decimals, inch, zero);
  if (zero) return decimals < 0 ? s : (upper ? "+" : "-") + s;
  return (value > 0 ? "+" : "-") + s;
}

// --- words -----------------------------------------------------------------------------------

// A file's word as a key: lower case, '_' as space, single spaces, no ends.
std::string Key(std::string_view word) {
  std::string k;
  for (char c : word) {
    if (c == '_' || c == ' ' || c == '\t') {
      if (!k.empty() && k.back() != ' ') k += ' ';
    } else {
      k += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  if (!k.empty() && k.back() == ' ') k.pop_back();
  return k;
}

std::string Trimmed(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return std::string(s.substr(b, e - b + 1));
}

bool Has(std::string_view s, std::string_view part) { return s.find(part) != s.npos; }

// Columns of the last line, counting a UTF-8 sequence as one: where a second line must start
// to sit under a given column of the first.
std::size_t Columns(std::string_view s) {
  std::size_t start = s.rfind('\n');
  s = start == s.npos ? s : s.substr(start + 1);
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

struct Symbol {
  const char* key;
  const char* symbol;
};

const char* Lookup(const std::string& key, const Symbol* begin, const Symbol* end) {
  auto it = std::find_if(begin, end, [&](const Symbol& s) { return key == s.key; });
  return it == end ? nullptr : it->symbol;
}

// Modifiers of a datum reference: ASME Y14.5's symbols, ISO 5459's letters where ASME has none.
// A file's own symbol ("Ⓜ") or an unknown word is written as the file gives it.
constexpr Symbol kDatumModifiers[] = {
    {"maximum material requirement", "Ⓜ"},
    {"maximum material condition", "Ⓜ"},
    {"least material requirement", "Ⓛ"},
    {"least material condition", "Ⓛ"},
    {"free state", "Ⓕ"},
    {"projected", "Ⓟ"},
    {"translation", "▷"},
    {"basic", "[BSC]"},
    {"distance variable", "DV"},
    {"any cross section", "ACS"},
    {"any longitudinal section", "ALS"},
    {"contacting feature", "CF"},
    {"major diameter", "MD"},
    {"minor diameter", "LD"},
    {"pitch diameter", "PD"},
    {"line", "SL"},
    {"plane", "PL"},
    {"point", "PT"},
    {"orientation", "><"},
    {"circular or cylindrical", "⌀"},
    {"spherical", "S⌀"},
    {"degree of freedom constraint u", "[u]"},
    {"degree of freedom constraint v", "[v]"},
    {"degree of freedom constraint w", "[w]"},
    {"degree of freedom constraint x", "[x]"},
    {"degree of freedom constraint y", "[y]"},
    {"degree of freedom constraint z", "[z]"},
};

// Modifiers of a tolerance value; "projected", "unequally disposed", "all around" and
// "all over" carry more than a symbol and are written by KROStepTolerancePmi itself.
constexpr Symbol kToleranceModifiers[] = {
    {"maximum material requirement", "Ⓜ"},
    {"maximum material condition", "Ⓜ"},
    {"least material requirement", "Ⓛ"},
    {"least material condition", "Ⓛ"},
    {"free state", "Ⓕ"},
    {"tangent plane", "Ⓣ"},
    {"statistical tolerance", "<ST>"},
    {"statistical", "<ST>"},
    {"common zone", "CZ"},
    {"reciprocity requirement", "Ⓡ"},
    {"separate requirement", "SEP REQT"},
    {"independency", "Ⓘ"},
    {"continuous feature", "<CF>"},
    {"each radial element", "ERE"},
    {"line element", "LE"},
    {"not convex", "NC"},
    {"any cross section", "ACS"},
    {"major diameter", "MD"},
    {"minor diameter", "LD"},
    {"pitch diameter", "PD"},
};

// Qualifiers of a dimension, written after its value and tolerance. The file's wording of the
// size modifiers varies ("two point size", "maximum inscribed association criteria"), so a
// modifier takes the first entry whose key it contains; ISO 14405 codes where ASME has none.
// Order matters: "maximum inscribed" before "maximum", "mid range" before "range of".
constexpr Symbol kDimensionQualifiers[] = {
    {"statistical", "<ST>"},
    {"continuous feature", "<CF>"},
    {"free state", "Ⓕ"},
    {"two point", "(LP)"},
    {"defined by a sphere", "(LS)"},
    {"least squares", "(GG)"},
    {"maximum inscribed", "(GX)"},
    {"minimum circumscribed", "(GN)"},
    {"circumference diameter", "(CC)"},
    {"area diameter", "(CA)"},
    {"volume diameter", "(CV)"},
    {"mid range", "(SD)"},
    {"range of", "(SR)"},
    {"median", "(SM)"},
    {"average", "(SA)"},
    {"maximum", "(SX)"},
    {"minimum", "(SN)"},
    {"any cross section", "ACS"},
    {"specific fixed cross section", "SCS"},
    {"common tolerance", "CT"},
};

const char* DimensionQualifier(const std::string& key) {
  for (const Symbol& q : kDimensionQualifiers)
    if (Has(key, q.key)) return q.symbol;
  return nullptr;
}

bool IsInch(const KROStepFileUnits& u) { return Key(u.pmiName) == "inch"; }

std::string DatumElement(const KROStepFileDatumElement& e) {
  std::string s = Trimmed(e.letter);
  for (const std::string& m : e.modifiers) {
    const char* sym = Lookup(Key(m), std::begin(kDatumModifiers), std::end(kDatumModifiers));
    s += ' ';
    s += sym ? std::string(sym) : Trimmed(m);
  }
  return s;
}

std::string Compartment(const KROStepFileCompartment& c) {
  std::string s;
  for (const KROStepFileDatumElement& e : c.members) {
    if (!s.empty()) s += '-';
    s += DatumElement(e);
  }
  // A modifier of the whole compartment follows its last member: "A-B Ⓜ".
  for (const std::string& m : c.modifiers) {
    const char* sym = Lookup(Key(m), std::begin(kDatumModifiers), std::end(kDatumModifiers));
    s += ' ';
    s += sym ? std::string(sym) : Trimmed(m);
  }
  return s;
}

std::string DatumSystem(const std::vector<KROStepFileCompartment>& compartments) {
  std::string s;
  for (const KROStepFileCompartment& c : compartments) {
    if (!s.empty()) s += " | ";
    s += Compartment(c);
  }
  return s;
}

std::string Dimension(const KROStepFileDimension& d, const KROStepFileUnits& u) {
  // An angle is in degrees, and keeps its leading zero on an inch drawing: "0.5°".
  const bool inch = IsInch(u) && !d.angular;
  const std::string unit = d.angular ? "°" : "";
  auto number = [&](double v, int decimals) { return KROStepPmiNumber(v, decimals, inch) + unit; };

  const std::string type = Key(d.type);
  std::string prefix;
  if (Has(type, "diameter"))
    prefix = "⌀";
  else if (Has(type, "radius"))
    prefix = "R";
  if (Has(type, "spherical") && !prefix.empty()) prefix = "S" + prefix;

  bool reference = false, basic = false;
  bool square = false;
  std::vector<std::string> qualifiers;
  if (!d.limit.empty()) qualifiers.push_back(Trimmed(d.limit));
  for (const std::string& m : d.modifiers) {
    const std::string key = Key(m);
    if (key.empty()) continue;
    if (key == "reference" || key == "auxiliary") {
      reference = true;
    } else if (key == "basic" || key == "theoretical") {
      basic = true;
    } else if (key == "controlled radius") {
      prefix = "CR";
    } else if (Has(key, "spherical")) {
      // "spherical radius" names the prefix itself; a bare "spherical" makes ⌀ or R spherical.
      if (prefix.empty()) prefix = Has(key, "radius") ? "R" : Has(key, "diameter") ? "⌀" : "";
      if (!prefix.empty() && prefix[0] != 'S' && prefix != "CR") prefix = "S" + prefix;
    } else if (key == "square") {
      square = true;
    } else if (const char* q = DimensionQualifier(key)) {
      qualifiers.emplace_back(q);
    } else {
      qualifiers.push_back(Trimmed(m)); // unknown: in the file's words
    }
  }

  // The count stays outside a reference dimension's parentheses, "2X (⌀.500)", and outside a
  // basic dimension's frame, written as brackets: "4X [⌀12]".
  std::string s = d.count >= 2 ? std::to_string(d.count) + "X " : "";
  if (reference) s += '(';
  if (basic) s += '[';
  s += prefix;
  if (square) s += "□";

  // Limits replace the value, and with it any deviations.
  const bool limits = d.lowerLimit && d.upperLimit;
  if (limits) {
    s += number(*d.lowerLimit, d.decimals) + "-" + number(*d.upperLimit, d.decimals);
  } else if (d.nominal) {
    s += number(*d.nominal, d.decimals);
  } else if (d.upperLimit || d.lowerLimit) {
    // One limit alone is a one-sided limit dimension, whether or not the file says which.
    s += number(d.upperLimit ? *d.upperLimit : *d.lowerLimit, d.decimals);
    if (d.limit.empty()) qualifiers.insert(qualifiers.begin(), d.upperLimit ? "MAX" : "MIN");
  } else {
    s += prefix.empty() && !square ? "(no value)" : " (no value)";
  }
  if (!d.fitClass.empty()) s += " " + Trimmed(d.fitClass);

  if (!limits && (d.upper || d.lower)) {
    // A missing deviation is zero; each side takes its own decimals, else the dimension's.
    const double up = d.upper.value_or(0), low = d.lower.value_or(0);
    const int upDecimals = d.upperDecimals >= 0 ? d.upperDecimals : d.decimals;
    const int lowDecimals = d.lowerDecimals >= 0 ? d.lowerDecimals : d.decimals;
    // Equal when written equal in value, whatever decimals each side states.
    const std::string upText = KROStepPmiNumber(up, upDecimals, inch);
    const std::string lowText = KROStepPmiNumber(-low, lowDecimals, inch);
    if (up > 0 && low < 0 &&
        std::strtod(upText.c_str(), nullptr) == std::strtod(lowText.c_str(), nullptr)) {
      s += " ± " + upText + unit;
    } else {
      // The lower deviation sits under the upper one.
      const std::size_t indent = Columns(s) + 2;
      s += "  " + Deviation(up, upDecimals, inch, true) + unit + "\n" + std::string(indent, ' ') +
           Deviation(low, lowDecimals, inch, false) + unit;
    }
  }

  for (const std::string& q : qualifiers)
    if (!q.empty()) s += " " + q;
  if (basic) s += ']';
  if (reference) s += ')';
  return s;
}

std::string Tolerance(const KROStepFileTolerance& t, const KROStepFileFacts& facts) {
  const bool inch = IsInch(facts.units);
  // Tolerances and targets state no value format: their numbers are written shortest.
  auto number = [&](double v) { return KROStepPmiNumber(v, -1, inch); };

  std::string s;
  if (t.dimension >= 0 && static_cast<std::size_t>(t.dimension) < facts.dimensions.size())
    s = Dimension(facts.dimensions[static_cast<std::size_t>(t.dimension)], facts.units) + "\n";

  bool allAround = false, allOver = false;
  std::vector<std::string> keys;
  for (const std::string& m : t.modifiers) {
    keys.push_back(Key(m));
    allAround = allAround || keys.back() == "all around";
    allOver = allOver || keys.back() == "all over";
  }
  if (allAround) s += "⌮ | ";
  if (allOver) s += "⭩◎ | ";

  const bool known = t.kind >= 0 && static_cast<std::size_t>(t.kind) < KROStepToleranceKinds.size();
  s += known ? KROStepToleranceKinds[static_cast<std::size_t>(t.kind)].symbol
             : "(unknown tolerance)";
  const std::string zone = Trimmed(t.zone);
  s += " | " + zone;
  s += t.value ? number(*t.value) : zone.empty() ? "(no value)" : " (no value)";

  // A projected or unequally disposed zone stands where the file lists its modifier, else
  // after all the modifiers it lists; either is written once, however the file states it.
  std::string projected = "Ⓟ";
  if (t.projectedLength) projected += " " + number(*t.projectedLength);
  std::string unequal = "Ⓤ";
  if (t.unequal) unequal += " " + number(*t.unequal);
  bool projectedWritten = false, unequalWritten = false;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& key = keys[i];
    if (key.empty() || key == "all around" || key == "all over") continue;
    if (key == "projected" || key == "projected zone") {
      if (!projectedWritten) s += " " + projected;
      projectedWritten = true;
    } else if (key == "unequally disposed") {
      if (!unequalWritten) s += " " + unequal;
      unequalWritten = true;
    } else if (const char* sym =
                   Lookup(key, std::begin(kToleranceModifiers), std::end(kToleranceModifiers))) {
      s += " " + std::string(sym);
    } else {
      s += " " + Trimmed(t.modifiers[i]);
    }
  }
  if (t.unequal && !unequalWritten) s += " " + unequal;
  if ((t.projected || t.projectedLength) && !projectedWritten) s += " " + projected;

  if (t.unitLength) {
    const std::string area = Key(t.unitArea);
    s += " / ";
    if (area == "circular")
      s += "⌀";
    else if (area == "square")
      s += "□";
    s += number(*t.unitLength);
    if (area == "rectangular" && t.unitSecondLength) s += "x" + number(*t.unitSecondLength);
  }
  if (t.maxValue) s += " | " + zone + number(*t.maxValue) + " MAX";
  if (!t.datums.empty()) s += " | " + DatumSystem(t.datums);
  if (!t.datumFeature.empty()) s += " \n   ▽\n   ⎹\n   [" + Trimmed(t.datumFeature) + "]";
  if (t.lowerSegment) s += "\n(composite)";
  return s;
}

std::string DatumFeature(const KROStepFileDatumFeature& f, const KROStepFileUnits& u) {
  const std::string letter = Trimmed(f.letter);
  if (!f.target) return "▽\n⎹\n[" + letter + "]";
  const bool inch = IsInch(u);
  // Tolerances and targets state no value format: their numbers are written shortest.
  auto number = [&](double v) { return KROStepPmiNumber(v, -1, inch); };
  const std::string kind = Key(f.targetKind);
  std::string s;
  if (f.targetSize) {
    // The size on the line before the label: a circle's diameter, a rectangle's sides.
    if (Has(kind, "circ")) s += "⌀";
    s += number(*f.targetSize);
    if (f.targetSecondSize) s += "x" + number(*f.targetSecondSize);
    s += "\n";
  }
  s += letter + Trimmed(f.targetId);
  // A sized target's size says its kind; other targets name it: "A1 (point)".
  if (!kind.empty() && !f.targetSize) s += " (" + Trimmed(f.targetKind) + ")";
  if (f.movable) s += " (movable)";
  return s;
}

} // namespace

int KROStepToleranceKindOf(const std::string& entity) {
  for (std::size_t i = 0; i < KROStepToleranceKinds.size(); ++i)
    if (Key(entity) == Key(KROStepToleranceKinds[i].entity)) return static_cast<int>(i);
  return -1;
}

std::string KROStepPmiNumber(double value, int decimals, bool inch) {
  return Guarded([&] {
    if (!std::isfinite(value)) return NonFinite(value);
    bool zero = false;
    std::string s = Magnitude(value, decimals, inch, zero);
    return value < 0 && !zero ? "-" + s : s;
  });
}

std::string KROStepDimensionPmi(const KROStepFileDimension& d, const KROStepFileUnits& u) {
  return Guarded([&] { return Dimension(d, u); });
}

std::string KROStepDatumSystemPmi(const std::vector<KROStepFileCompartment>& compartments) {
  return Guarded([&] { return DatumSystem(compartments); });
}

std::string KROStepTolerancePmi(const KROStepFileTolerance& t, const KROStepFileFacts& facts) {
  return Guarded([&] { return Tolerance(t, facts); });
}

std::string KROStepDatumFeaturePmi(const KROStepFileDatumFeature& f, const KROStepFileUnits& u) {
  return Guarded([&] { return DatumFeature(f, u); });
}

std::string KROStepPmiOneLine(const std::string& pmi) {
  return Guarded([&] {
    std::string out;
    std::string_view rest = pmi;
    while (true) {
      std::size_t nl = rest.find('\n');
      std::string line = Trimmed(rest.substr(0, nl));
      if (!line.empty()) out += (out.empty() ? "" : "; ") + line;
      if (nl == rest.npos) break;
      rest.remove_prefix(nl + 1);
    }
    return out;
  });
}
