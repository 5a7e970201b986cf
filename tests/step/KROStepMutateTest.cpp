// KROStepMutateTest.cpp - the mutator: each mutant is exactly the one edit its description
// names, never inside a string, a comment or the header; a seed always makes the same mutant.
//
// The checks read the original text with their own, simpler reading: where strings and comments
// are, where the DATA section lies and where a record "#n=" (at a line start) begins and ends.
#include "KROStepMutate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t npos = std::string::npos;

enum class Kind { Cut, Delete, Redirect, Number, Duplicate, Paren, Rename };
constexpr std::size_t kKinds = 7;

/// A description read back. For the edits in place, `from` at `byte` became `to`.
struct Edit {
  Kind kind{};
  std::string record, from, to;
  std::size_t byte = 0, line = 0;
};

std::optional<Edit> Parse(const std::string& d) {
  static const std::regex cut(R"(file cut at line (\d+) \(byte (\d+)\))");
  static const std::regex deleted(R"(record #(\d+) deleted)");
  static const std::regex duplicate(R"(record #(\d+) renumbered to #(\d+), a duplicate id)");
  static const std::regex inPlace(
      R"(record #(\d+): (reference|number|type|'(\(|\))') (\S+ )?at byte (\d+) )"
      R"((redirected to|replaced by|renamed to|dropped) ?(\S*))");
  std::smatch m;
  Edit e;
  if (std::regex_match(d, m, cut)) {
    e.kind = Kind::Cut, e.line = std::stoul(m[1]), e.byte = std::stoul(m[2]);
  } else if (std::regex_match(d, m, deleted)) {
    e.kind = Kind::Delete, e.record = m[1];
  } else if (std::regex_match(d, m, duplicate)) {
    e.kind = Kind::Duplicate, e.record = m[1], e.to = m[2];
  } else if (std::regex_match(d, m, inPlace)) {
    const std::string what = m[2], verb = m[6], old = m[4];
    e.record = m[1], e.byte = std::stoul(m[5]), e.to = m[7];
    e.from = old.empty() ? std::string(m[3]) : old.substr(0, old.size() - 1);
    if (what == "reference" && verb == "redirected to" && e.from[0] == '#' && e.to[0] == '#')
      e.kind = Kind::Redirect;
    else if (what == "number" && verb == "replaced by")
      e.kind = Kind::Number;
    else if (what == "type" && verb == "renamed to")
      e.kind = Kind::Rename;
    else if (old.empty() && verb == "dropped" && e.to.empty())
      e.kind = Kind::Paren;
    else
      return std::nullopt;
  } else {
    return std::nullopt;
  }
  return e;
}

/// The original text as the checks see it.
struct Original {
  explicit Original(std::string t) : text(std::move(t)), hidden(text.size(), 0) {
    for (std::size_t i = 0; i < text.size();) {
      std::size_t end = i + 1;
      if (text[i] == '\'') {
        for (end = text.find('\'', i + 1); end != npos && text.compare(end, 2, "''") == 0;)
          end = text.find('\'', end + 2);
        end = end == npos ? text.size() : end + 1;
      } else if (text.compare(i, 2, "/*") == 0) {
        end = text.find("*/", i + 2);
        end = end == npos ? text.size() : end + 2;
      } else {
        ++i;
        continue;
      }
      std::fill(hidden.begin() + static_cast<std::ptrdiff_t>(i),
                hidden.begin() + static_cast<std::ptrdiff_t>(end), 1);
      i = end;
    }
    const std::size_t data = Find("\nDATA;", 0);
    dataBegin = data == npos ? npos : text.find('\n', data + 1) + 1;
    const std::size_t endsec = data == npos ? npos : Find("\nENDSEC;", data + 1);
    dataEnd = endsec == npos ? text.size() : endsec + 1;
  }

  /// The first `needle` from `from` that does not start inside a string or a comment.
  std::size_t Find(const std::string& needle, std::size_t from) const {
    std::size_t at = text.find(needle, from);
    while (at != npos && hidden[at])
      at = text.find(needle, at + 1);
    return at;
  }

  /// [begin, end) of record #id: from the '#' at a line start to its ';'.
  std::optional<std::pair<std::size_t, std::size_t>> Record(const std::string& id) const {
    const std::size_t at = Find("\n#" + id + "=", dataBegin - 1);
    if (at == npos || at >= dataEnd) return std::nullopt;
    const std::size_t end = Find(";", at);
    if (end == npos) return std::nullopt;
    return std::pair{at + 1, end + 1};
  }

  bool Hidden(std::size_t begin, std::size_t end) const {
    return std::any_of(hidden.begin() + static_cast<std::ptrdiff_t>(begin),
                       hidden.begin() + static_cast<std::ptrdiff_t>(end),
                       [](char h) { return h != 0; });
  }

  std::string text;
  std::vector<char> hidden; ///< 1 inside a quoted string (quotes too) or a comment
  std::size_t dataBegin = npos, dataEnd = npos;
};

std::string Replaced(const std::string& s, std::size_t at, std::size_t len,
                     const std::string& with) {
  return s.substr(0, at) + with + s.substr(at + len);
}

/// `b` is `a` with one character dropped, doubled or changed.
bool OneSlip(const std::string& a, const std::string& b) {
  if (a.size() == b.size())
    return std::inner_product(a.begin(), a.end(), b.begin(), 0, std::plus<>(),
                              std::not_equal_to<>()) == 1;
  const std::string& longer = a.size() > b.size() ? a : b;
  const std::string& shorter = a.size() > b.size() ? b : a;
  if (longer.size() != shorter.size() + 1) return false;
  std::size_t i = 0;
  while (i < shorter.size() && longer[i] == shorter[i])
    ++i;
  return longer.compare(i + 1, npos, shorter, i) == 0;
}

/// Why `mutant` is not exactly the edit it describes ("" when it is).
std::string Check(const Original& o, const KROStepMutant& mutant) {
  const std::optional<Edit> e = Parse(mutant.edit);
  if (!e) return "unreadable description";
  const std::string& t = o.text;
  if (e->kind == Kind::Cut) {
    if (e->byte < o.dataBegin || e->byte > o.dataEnd) return "cut outside the DATA section";
    if (t[e->byte - 1] != '\n' || o.hidden[e->byte - 1]) return "cut not at a line start";
    if (e->line != 1 + static_cast<std::size_t>(std::count(
                           t.begin(), t.begin() + static_cast<std::ptrdiff_t>(e->byte), '\n')))
      return "wrong line number";
    return mutant.text == t.substr(0, e->byte) ? "" : "not the original's prefix";
  }
  const auto record = o.Record(e->record);
  if (!record) return "no record #" + e->record;
  if (e->kind == Kind::Delete) {
    std::size_t end = record->second;
    end += t.compare(end, 2, "\r\n") == 0 ? 2 : t.compare(end, 1, "\n") == 0 ? 1 : 0;
    return mutant.text == Replaced(t, record->first, end - record->first, "")
               ? ""
               : "not the original less the record";
  }
  if (e->kind == Kind::Duplicate) {
    if (e->to == e->record || !o.Record(e->to)) return "not another record's id";
    return mutant.text == Replaced(t, record->first + 1, e->record.size(), e->to)
               ? ""
               : "not the original renumbered";
  }
  const std::size_t end = e->byte + e->from.size();
  if (e->byte < record->first || end > record->second) return "edit outside the record";
  if (o.Hidden(e->byte, end)) return "edit inside a string or comment";
  if (t.compare(e->byte, e->from.size(), e->from) != 0) return "the original has no such text";
  if (e->from == e->to) return "nothing changed";
  if (e->kind == Kind::Redirect && !o.Record(e->to.substr(1))) return "no record " + e->to;
  if (e->kind == Kind::Number) {
    static const std::regex number(R"([+-]?\d+(\.\d*)?([Ee][+-]?\d+)?)");
    static const std::set<std::string> values{"0.", "-1.E300", "1.E308", "NaN", "4.9E-324"};
    if (!std::regex_match(e->from, number) || !values.count(e->to)) return "not a number edit";
    if (std::string(",(").find(t[e->byte - 1]) == npos) return "not a parameter";
  }
  if (e->kind == Kind::Rename) {
    if (std::string("=()").find(t[t.find_last_not_of(" \r\n", e->byte - 1)]) == npos ||
        t[t.find_first_not_of(" \r\n", end)] != '(')
      return "not an entity type";
    if (!OneSlip(e->from, e->to) && o.Find(e->to + "(", o.dataBegin) == npos)
      return "neither misspelt nor a type of the file";
  }
  return mutant.text == Replaced(t, e->byte, e->from.size(), e->to) ? ""
                                                                    : "not the original edited";
}

Kind KindOf(const KROStepMutant& m) { return Parse(m.edit).value().kind; }

/// A small file with the traps: strings holding ';', '#1', numbers, parentheses and a line
/// break; "DATA;" and a record inside a header string; comments with a record, a reference, a
/// number and a parenthesis in them; a complex record over several lines; a typed parameter.
const char* const kHandmade = R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION(('a header string;
DATA;
#1=FAKE(1.);'),'2;1');
FILE_NAME('t.stp','2024-01-01T00:00:00',(''),(''),'','','');
FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));
ENDSEC;
DATA;
#1=CARTESIAN_POINT('p(1)',(0.,-2.5,3.E-2));
#2=DIRECTION('it''s #1, 7.5 and (',(0.,0.,1.));
/* #2=PLANE('',#1); 4.5 ( */
#3=AXIS2_PLACEMENT_3D('',#1 /* was #9, 2.5) */,#2,$);
#4=(
LENGTH_UNIT()
NAMED_UNIT(*)
SI_UNIT(.MILLI.,.METRE.)
);
#5=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4),#4);
#6=DESCRIPTIVE_REPRESENTATION_ITEM('two
lines; (#7) 8.5','#5=BAD(1);');
#7=PLANE('',#3);
ENDSEC;
END-ISO-10303-21;
)";

std::string ReadPart(const char* name) {
  std::ifstream in(std::string(KRO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(KROStepMutate, ASeedAlwaysMakesTheSameMutant) {
  const std::string text = kHandmade;
  for (std::uint64_t seed : {0ULL, 1ULL, 2ULL, 77ULL, ~0ULL}) {
    const KROStepMutant a = KROStepMutate(text, seed);
    const KROStepMutant b = KROStepMutate(std::string(text), seed);
    EXPECT_EQ(a.text, b.text) << seed;
    EXPECT_EQ(a.edit, b.edit) << seed;
  }
  // Seeds reported with a crash must keep naming the same mutant, on any machine and after any
  // change here: these were made once and are kept.
  const std::map<std::uint64_t, std::string> kept{
      {1, "record #7: reference #3 at byte 602 redirected to #2"},
      {2, "record #1 renumbered to #2, a duplicate id"},
      {4, "record #4: type NAMED_UNIT at byte 422 renamed to NAMMED_UNIT"},
      {5, "record #2: number 1. at byte 314 replaced by NaN"},
      {14, "record #1: ')' at byte 268 dropped"},
      {15, "file cut at line 15 (byte 408)"}};
  for (const auto& [seed, edit] : kept)
    EXPECT_EQ(KROStepMutate(text, seed).edit, edit) << seed;
}

TEST(KROStepMutate, EachMutantOfAHandmadeFileIsExactlyItsEdit) {
  const Original o(kHandmade);
  std::array<int, kKinds> kinds{};
  for (std::uint64_t seed = 0; seed < 2000; ++seed) {
    const KROStepMutant m = KROStepMutate(o.text, seed);
    ASSERT_EQ(Check(o, m), "") << "seed " << seed << ": " << m.edit;
    ++kinds[static_cast<std::size_t>(KindOf(m))];
  }
  for (std::size_t k = 0; k < kKinds; ++k)
    EXPECT_GT(kinds[k], 200) << "kind " << k;
}

// Every place of each kind is reached, and nothing else: not the header, not strings or
// comments, not ids, digits of names, enumerations or typed parameters.
TEST(KROStepMutate, EditsReachEveryPlaceOfTheirKindAndNoOther) {
  const Original o(kHandmade);
  std::map<Kind, std::set<std::size_t>> bytes;
  std::map<Kind, std::set<std::string>> what;
  std::set<std::string> renamedTo;
  for (std::uint64_t seed = 0; seed < 3000; ++seed) {
    const Edit e = Parse(KROStepMutate(o.text, seed).edit).value();
    bytes[e.kind].insert(e.byte);
    what[e.kind].insert(e.kind == Kind::Cut ? "" : e.record + ":" + e.from);
    if (e.kind == Kind::Rename) renamedTo.insert(e.to);
  }
  // 14 lines follow "DATA;", one of them inside a string.
  EXPECT_EQ(bytes[Kind::Cut].size(), 13U);
  const std::set<std::string> records{"1:", "2:", "3:", "4:", "5:", "6:", "7:"};
  EXPECT_EQ(what[Kind::Delete], records);
  EXPECT_EQ(what[Kind::Duplicate], records);
  EXPECT_EQ(what[Kind::Redirect], (std::set<std::string>{"3:#1", "3:#2", "5:#4", "7:#3"}));
  EXPECT_EQ(bytes[Kind::Redirect].size(), 4U);
  EXPECT_EQ(what[Kind::Number],
            (std::set<std::string>{"1:0.", "1:-2.5", "1:3.E-2", "2:0.", "2:1.", "5:25.4"}));
  EXPECT_EQ(bytes[Kind::Number].size(), 7U);
  EXPECT_EQ(bytes[Kind::Paren].size(), 26U);
  const std::set<std::string> types{"1:CARTESIAN_POINT",
                                    "2:DIRECTION",
                                    "3:AXIS2_PLACEMENT_3D",
                                    "4:LENGTH_UNIT",
                                    "4:NAMED_UNIT",
                                    "4:SI_UNIT",
                                    "5:LENGTH_MEASURE_WITH_UNIT",
                                    "6:DESCRIPTIVE_REPRESENTATION_ITEM",
                                    "7:PLANE"};
  EXPECT_EQ(what[Kind::Rename], types);
  // Both ways of renaming occur: to another type of the file, and to a misspelling.
  std::size_t others = 0;
  for (const std::string& to : renamedTo)
    others += std::any_of(types.begin(), types.end(),
                          [&](const std::string& t) { return t.substr(t.find(':') + 1) == to; });
  EXPECT_GT(others, 3U);
  EXPECT_GT(renamedTo.size() - others, 10U);
}

TEST(KROStepMutate, LineEndsAndFilesThatStopShort) {
  // Windows line ends: a deleted record takes its "\r\n" along.
  const Original crlf("ISO-10303-21;\r\nHEADER;\r\nENDSEC;\r\nDATA;\r\n#1=A(1.);\r\n#2=B(#1);\r\n"
                      "ENDSEC;\r\nEND-ISO-10303-21;\r\n");
  // No ENDSEC and no line break after the last record; a record never closed is not edited.
  const Original open(
      "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=A(1.);\n#2=B(#1);\n#3=C(2.5,#1,D('x;");
  for (const Original* o : {&crlf, &open})
    for (std::uint64_t seed = 0; seed < 300; ++seed) {
      const KROStepMutant m = KROStepMutate(o->text, seed);
      ASSERT_EQ(Check(*o, m), "") << "seed " << seed << ": " << m.edit;
      EXPECT_EQ(m.edit.find("#3"), npos) << m.edit;
    }
}

TEST(KROStepMutate, AKindWithNoPlacePassesToTheNext) {
  // Neither numbers nor references: those two kinds never occur, all the others do.
  const Original o("ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=A();\n#2=B('1.5, #1');\nENDSEC;\n");
  std::set<Kind> kinds;
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    const KROStepMutant m = KROStepMutate(o.text, seed);
    ASSERT_EQ(Check(o, m), "") << "seed " << seed << ": " << m.edit;
    kinds.insert(KindOf(m));
  }
  EXPECT_EQ(kinds,
            (std::set<Kind>{Kind::Cut, Kind::Delete, Kind::Duplicate, Kind::Paren, Kind::Rename}));
}

TEST(KROStepMutate, ATextWithNothingToEditIsRefused) {
  for (const char* text :
       {"", "not a STEP file", "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('\nDATA;\n#1=A(1.);'));",
        "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;ENDSEC;\nEND-ISO-10303-21;\n"})
    EXPECT_THROW(KROStepMutate(text, 1), std::invalid_argument) << text;
}

// 200 mutants of CTC-01: each exactly its edit, nearly all different, every kind among them.
TEST(KROStepMutate, MutantsOfABundledPart) {
  const Original o(ReadPart("nist_ctc_01_asme1_ap242-e1.stp"));
  ASSERT_GT(o.text.size(), 100000U);
  std::set<std::size_t> hashes;
  std::set<std::string> edits;
  std::array<int, kKinds> kinds{};
  for (std::uint64_t seed = 1; seed <= 200; ++seed) {
    const KROStepMutant m = KROStepMutate(o.text, seed);
    EXPECT_EQ(Check(o, m), "") << "seed " << seed << ": " << m.edit;
    hashes.insert(std::hash<std::string>()(m.text));
    edits.insert(m.edit);
    if (const std::optional<Edit> e = Parse(m.edit)) ++kinds[static_cast<std::size_t>(e->kind)];
  }
  EXPECT_GE(hashes.size(), 196U);
  EXPECT_GE(edits.size(), 196U);
  for (std::size_t k = 0; k < kKinds; ++k)
    EXPECT_GT(kinds[k], 12) << "kind " << k;
}

} // namespace
