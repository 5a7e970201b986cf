// KROStepMutate.cpp - single-edit mutants of a STEP file's text.
//
// One pass over the text finds every place an edit may go (line starts of DATA sections,
// records, and inside records the references, numbers, parentheses and type names, all outside
// strings and comments); the seed then picks a kind and one of its places.
#include "KROStepMutate.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

/// splitmix64, written out: the standard library's distributions differ between
/// implementations, and a seed has to mean the same mutant everywhere.
class Random {
public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  /// An index below `n` (> 0). The modulo's bias, under n / 2^64, does not matter here.
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

private:
  std::uint64_t state_;
};

struct Record {
  std::size_t begin = 0; ///< the '#' of "#n="
  std::size_t end = 0;   ///< one past the closing ';'
  std::string_view id;   ///< the digits of n
};

/// A place inside a record: a reference, a number, a parenthesis or an entity type name.
struct Site {
  std::size_t pos = 0;
  std::size_t len = 0;
  std::size_t record = 0; ///< index in Places::records
};

struct Places {
  std::vector<std::size_t> lineStarts; ///< inside DATA sections, outside strings and comments
  std::vector<Record> records;
  std::vector<Site> references, numbers, parens, types;
  std::vector<std::string_view> typeNames; ///< distinct, in order of first use
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameStart(char c) { return IsLetter(c) || c == '_' || c == '!'; }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

/// The one pass over the text. Statements end at a ';' outside strings and comments; a DATA
/// statement opens a data section, ENDSEC closes it, and in a data section a statement starting
/// with '#' is a record.
class Scanner {
public:
  explicit Scanner(std::string_view text) : t_(text) {}

  Places Run() {
    while (true) {
      SkipBlank();
      if (i_ >= t_.size()) break;
      if (inData_ && t_[i_] == '#') {
        ReadRecord();
        continue;
      }
      const std::size_t start = i_;
      while (i_ < t_.size() && (IsNameChar(t_[i_]) || t_[i_] == '-'))
        ++i_;
      const std::string_view word = t_.substr(start, i_ - start);
      SkipStatement();
      if (word == "DATA") inData_ = true;
      if (word == "ENDSEC") inData_ = false;
    }
    std::unordered_set<std::string_view> seen;
    for (const Site& s : p_.types)
      if (seen.insert(t_.substr(s.pos, s.len)).second)
        p_.typeNames.push_back(t_.substr(s.pos, s.len));
    return std::move(p_);
  }

private:
  bool At(char c) const { return i_ < t_.size() && t_[i_] == c; }
  bool NextIs(bool (*is)(char)) const { return i_ + 1 < t_.size() && is(t_[i_ + 1]); }
  bool AtCommentStart() const { return At('/') && i_ + 1 < t_.size() && t_[i_ + 1] == '*'; }

  /// Steps over a line break, noting the line after it when it is in a data section.
  void LineBreak() {
    ++i_;
    if (inData_ && i_ < t_.size()) p_.lineStarts.push_back(i_);
  }

  /// Steps over a quoted string ('' is a quote inside '...'), false when it never ends.
  bool SkipString() {
    const char quote = t_[i_++];
    while (i_ < t_.size()) {
      if (t_[i_++] != quote) continue;
      if (quote == '\'' && At('\'')) {
        ++i_;
        continue;
      }
      return true;
    }
    return false;
  }

  /// Steps over /* ... */, false when it never ends.
  bool SkipComment() {
    const std::size_t close = t_.find("*/", i_ + 2);
    i_ = close == std::string_view::npos ? t_.size() : close + 2;
    return close != std::string_view::npos;
  }

  void SkipBlank() {
    while (i_ < t_.size()) {
      if (t_[i_] == '\n')
        LineBreak();
      else if (IsBlank(t_[i_]))
        ++i_;
      else if (AtCommentStart())
        SkipComment();
      else
        break;
    }
  }

  /// Steps past the ';' that ends the statement.
  void SkipStatement() {
    while (i_ < t_.size()) {
      const char c = t_[i_];
      if (c == '\'' || c == '"')
        SkipString();
      else if (AtCommentStart())
        SkipComment();
      else if (c == '\n')
        LineBreak();
      else if (c == ';') {
        ++i_;
        return;
      } else
        ++i_;
    }
  }

  void ReadRecord() {
    const std::size_t begin = i_++;
    const std::size_t idPos = i_;
    while (i_ < t_.size() && IsDigit(t_[i_]))
      ++i_;
    const std::string_view id = t_.substr(idPos, i_ - idPos);
    SkipBlank();
    if (id.empty() || !At('=')) return SkipStatement();
    ++i_;
    SkipBlank();
    // A complex record's partial types stand one level deep: #5=( A() B(...) );
    const int typeDepth = At('(') ? 1 : 0;
    const std::size_t record = p_.records.size();
    const std::array marks{p_.references.size(), p_.numbers.size(), p_.parens.size(),
                           p_.types.size()};
    auto site = [&](std::vector<Site>& sites, std::size_t start) {
      sites.push_back({start, i_ - start, record});
    };
    int depth = 0;
    while (i_ < t_.size()) {
      const char c = t_[i_];
      const std::size_t start = i_;
      if (c == ';') {
        ++i_;
        p_.records.push_back({begin, i_, id});
        return;
      }
      if (c == '\'' || c == '"') {
        if (!SkipString()) break;
      } else if (AtCommentStart()) {
        if (!SkipComment()) break;
      } else if (c == '\n') {
        LineBreak();
      } else if (c == '(' || c == ')') {
        depth += c == '(' ? 1 : -1;
        ++i_;
        site(p_.parens, start);
      } else if (c == '#' && NextIs(IsDigit)) {
        for (++i_; i_ < t_.size() && IsDigit(t_[i_]);)
          ++i_;
        site(p_.references, start);
      } else if (IsNameStart(c)) {
        for (++i_; i_ < t_.size() && IsNameChar(t_[i_]);)
          ++i_;
        // Deeper names are typed parameters, LENGTH_MEASURE(0.005), and enumerations, .T.
        if (depth == typeDepth) site(p_.types, start);
      } else if (IsDigit(c) || ((c == '+' || c == '-') && NextIs(IsDigit))) {
        ReadNumber();
        site(p_.numbers, start);
      } else {
        ++i_;
      }
    }
    // No ';' before the end of the text, or a string or comment that never ends: not a record.
    p_.references.resize(marks[0]);
    p_.numbers.resize(marks[1]);
    p_.parens.resize(marks[2]);
    p_.types.resize(marks[3]);
  }

  /// [+-]digits[.digits][E[+-]digits]
  void ReadNumber() {
    if (!IsDigit(t_[i_])) ++i_;
    auto digits = [&] {
      while (i_ < t_.size() && IsDigit(t_[i_]))
        ++i_;
    };
    digits();
    if (At('.')) {
      ++i_;
      digits();
    }
    if (At('E') || At('e')) {
      const std::size_t e = i_++;
      if (At('+') || At('-')) ++i_;
      if (i_ < t_.size() && IsDigit(t_[i_]))
        digits();
      else
        i_ = e; // an E with no digits after it is not part of the number
    }
  }

  std::string_view t_;
  std::size_t i_ = 0;
  bool inData_ = false;
  Places p_;
};

std::string Replaced(const std::string& text, std::size_t pos, std::size_t len,
                     std::string_view with) {
  std::string out;
  out.reserve(text.size() - len + with.size());
  out.append(text, 0, pos).append(with).append(text, pos + len);
  return out;
}

/// The id of a record other than `id`, from a place the seed picks.
std::optional<std::string_view> OtherId(const Places& p, std::string_view id, Random& random) {
  if (p.records.empty()) return std::nullopt;
  const std::size_t start = random.Below(p.records.size());
  for (std::size_t k = 0; k < p.records.size(); ++k) // more than one step only on duplicate ids
    if (const Record& r = p.records[(start + k) % p.records.size()]; r.id != id) return r.id;
  return std::nullopt;
}

/// A name one slip away from `name`: a character dropped, doubled or changed.
std::string Misspelt(std::string_view name, Random& random) {
  std::string out(name);
  const std::size_t at = random.Below(out.size());
  const std::size_t slip = random.Below(3);
  if (slip == 0 && out.size() > 1) {
    out.erase(at, 1);
  } else if (slip <= 1) {
    out.insert(at, 1, out[at]);
  } else {
    char& c = out[at];
    if (c == 'Z' || c == 'z')
      c = static_cast<char>(c - 25);
    else if (c == '9')
      c = '0';
    else if (IsLetter(c) || IsDigit(c))
      c = static_cast<char>(c + 1);
    else
      c = 'X';
  }
  return out;
}

std::string At(std::size_t pos) { return " at byte " + std::to_string(pos); }

std::string InRecord(const Places& p, const Site& s) {
  return "record #" + std::string(p.records[s.record].id) + ": ";
}

enum class Kind { Cut, Delete, Redirect, Number, Duplicate, Paren, Rename, Count };

std::optional<KROStepMutant> Apply(Kind kind, const std::string& text, const Places& p,
                                   Random& random) {
  switch (kind) {
  case Kind::Cut: {
    if (p.lineStarts.empty()) break;
    const std::size_t pos = p.lineStarts[random.Below(p.lineStarts.size())];
    const auto line =
        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n');
    return KROStepMutant{text.substr(0, pos), "file cut at line " + std::to_string(line) +
                                                  " (byte " + std::to_string(pos) + ")"};
  }
  case Kind::Delete: {
    if (p.records.empty()) break;
    const Record& r = p.records[random.Below(p.records.size())];
    std::size_t end = r.end;
    if (text.compare(end, 2, "\r\n") == 0)
      end += 2;
    else if (text.compare(end, 1, "\n") == 0)
      end += 1;
    return KROStepMutant{Replaced(text, r.begin, end - r.begin, {}),
                         "record #" + std::string(r.id) + " deleted"};
  }
  case Kind::Redirect: {
    if (p.references.empty()) break;
    const Site& s = p.references[random.Below(p.references.size())];
    const std::string_view old = std::string_view(text).substr(s.pos + 1, s.len - 1);
    const std::optional<std::string_view> to = OtherId(p, old, random);
    if (!to) break;
    return KROStepMutant{Replaced(text, s.pos + 1, s.len - 1, *to),
                         InRecord(p, s) + "reference #" + std::string(old) + At(s.pos) +
                             " redirected to #" + std::string(*to)};
  }
  case Kind::Number: {
    if (p.numbers.empty()) break;
    static constexpr std::array<std::string_view, 5> kValues{"0.", "-1.E300", "1.E308", "NaN",
                                                             "4.9E-324"};
    const Site& s = p.numbers[random.Below(p.numbers.size())];
    const std::string_view old = std::string_view(text).substr(s.pos, s.len);
    std::size_t v = random.Below(kValues.size());
    if (kValues[v] == old) v = (v + 1) % kValues.size();
    return KROStepMutant{Replaced(text, s.pos, s.len, kValues[v]),
                         InRecord(p, s) + "number " + std::string(old) + At(s.pos) +
                             " replaced by " + std::string(kValues[v])};
  }
  case Kind::Duplicate: {
    if (p.records.empty()) break;
    const Record& r = p.records[random.Below(p.records.size())];
    const std::optional<std::string_view> to = OtherId(p, r.id, random);
    if (!to) break;
    return KROStepMutant{Replaced(text, r.begin + 1, r.id.size(), *to),
                         "record #" + std::string(r.id) + " renumbered to #" + std::string(*to) +
                             ", a duplicate id"};
  }
  case Kind::Paren: {
    if (p.parens.empty()) break;
    const Site& s = p.parens[random.Below(p.parens.size())];
    return KROStepMutant{Replaced(text, s.pos, 1, {}),
                         InRecord(p, s) + "'" + text[s.pos] + "'" + At(s.pos) + " dropped"};
  }
  case Kind::Rename: {
    if (p.types.empty()) break;
    const Site& s = p.types[random.Below(p.types.size())];
    const std::string_view old = std::string_view(text).substr(s.pos, s.len);
    std::string name;
    if (p.typeNames.size() > 1 && random.Below(2) == 0) {
      std::size_t n = random.Below(p.typeNames.size());
      if (p.typeNames[n] == old) n = (n + 1) % p.typeNames.size();
      name = p.typeNames[n];
    } else {
      name = Misspelt(old, random);
    }
    return KROStepMutant{Replaced(text, s.pos, s.len, name), InRecord(p, s) + "type " +
                                                                 std::string(old) + At(s.pos) +
                                                                 " renamed to " + name};
  }
  case Kind::Count:
    break;
  }
  return std::nullopt;
}

} // namespace

KROStepMutant KROStepMutate(const std::string& text, std::uint64_t seed) {
  const Places places = Scanner(text).Run();
  Random random(seed);
  constexpr std::size_t kinds = static_cast<std::size_t>(Kind::Count);
  const std::size_t first = random.Below(kinds);
  for (std::size_t k = 0; k < kinds; ++k)
    if (std::optional<KROStepMutant> m =
            Apply(static_cast<Kind>((first + k) % kinds), text, places, random))
      return std::move(*m);
  throw std::invalid_argument("no DATA section with anything to edit");
}
