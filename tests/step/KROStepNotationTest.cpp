// KROStepNotationTest.cpp - drawing texts from facts made by hand: NIST's expected PMI for
// CTC-01 and FTC-07, and the conventions of the notation those two files do not show.
#include "KROStepNotation.h"
#include "KROPmiNormalise.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using kro_pmi_test::Normalised;
using kro_pmi_test::Spaced;

KROStepFileUnits Inch() {
  KROStepFileUnits u;
  u.pmiName = "inch";
  u.pmiMm = 25.4;
  return u;
}

std::vector<KROStepFileCompartment> Letters(const std::string& letters) {
  std::vector<KROStepFileCompartment> system;
  for (char l : letters)
    system.push_back({{{std::string(1, l), {}}}, {}});
  return system;
}

// Facts for a table row in one expression: Dim("diameter", .25, 3).Dev(.003, -0.).Count(2).
struct Dim : KROStepFileDimension {
  explicit Dim(const char* t, std::optional<double> value = {}, int places = -1) {
    type = t, nominal = value, decimals = places;
  }
  Dim& Dev(double up, double low, int places = -1) {
    return upper = up, lower = low, upperDecimals = lowerDecimals = places, *this;
  }
  Dim& Lim(double low, double up) { return lowerLimit = low, upperLimit = up, *this; }
  Dim& Count(int n) { return count = n, *this; }
  Dim& Mods(std::vector<std::string> m) { return modifiers = std::move(m), *this; }
  Dim& Angle() { return angular = true, *this; }
};

struct Tol : KROStepFileTolerance {
  Tol(const char* entity, const char* z, std::optional<double> v, const std::string& letters = "",
      std::vector<std::string> mods = {}) {
    kind = KROStepToleranceKindOf(entity), zone = z, value = v, datums = Letters(letters);
    modifiers = std::move(mods);
  }
  Tol& Of(int d) { return dimension = d, *this; }
  Tol& Lower() { return lowerSegment = true, *this; }
  Tol& Feature(const char* letter) { return datumFeature = letter, *this; }
  Tol& Projected(std::optional<double> length) {
    return projected = true, projectedLength = length, *this;
  }
  Tol& Unequal(double v) { return unequal = v, *this; }
  Tol& Max(double v) { return maxValue = v, *this; }
  Tol& Basis(double length, const char* area = "", std::optional<double> second = {}) {
    return unitLength = length, unitArea = area, unitSecondLength = second, *this;
  }
  Tol& Datums(std::vector<KROStepFileCompartment> c) { return datums = std::move(c), *this; }
};

struct Target : KROStepFileDatumFeature {
  Target(const char* l, const char* id, const char* kind, std::optional<double> size = {},
         std::optional<double> second = {}) {
    letter = l, target = true, targetId = id, targetKind = kind, targetSize = size;
    targetSecondSize = second;
  }
};

const char* const kPosition = "POSITION_TOLERANCE";
const char* const kProfile = "SURFACE_PROFILE_TOLERANCE";
const std::string kMmc = "maximum material requirement";

struct Row {
  const char* expected;
  std::string text;
  // Numbers match as written (".250", "+.003", "-.000"), not only in value; false where the
  // expected text pads a number the file gives no value format for (a tolerance's ".020").
  bool asWritten = true;
};

void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(r.expected);
    EXPECT_EQ(Normalised(r.text), Normalised(r.expected));
    if (r.asWritten) {
      EXPECT_EQ(Spaced(r.text), Spaced(r.expected));
    }
  }
}

// Each distinct text of CTC-01's expected PMI (millimetres), from what the file states.
TEST(KROStepNotationNist, Ctc01) {
  KROStepFileFacts f;
  const KROStepFileUnits mm;
  ExpectRows({
      {"A", KROStepDatumSystemPmi(Letters("A"))},
      {"A | B | C", KROStepDatumSystemPmi(Letters("ABC"))},
      {"⌀20  +0.05\n         -0.10", KROStepDimensionPmi(Dim("diameter", 20).Dev(.05, -.1, 2), mm)},
      {"⌀20  +0.10\n         -0.05", KROStepDimensionPmi(Dim("diameter", 20).Dev(.1, -.05, 2), mm)},
      {"⌀25 ± 0.15", KROStepDimensionPmi(Dim("diameter", 25).Dev(.15, -.15), mm)},
      {"⌀34.8-35.2", KROStepDimensionPmi(Dim("diameter").Lim(34.8, 35.2), mm)},
      {"⌀35  0\n         -0.2", KROStepDimensionPmi(Dim("diameter", 35).Dev(0, -.2), mm)},
      {"⌀35 +0.2\n         0", KROStepDimensionPmi(Dim("diameter", 35).Dev(.2, 0), mm)},
      {"60° ± 0.5°", KROStepDimensionPmi(Dim("angle", 60).Dev(.5, -.5).Angle(), mm)},
      {"▱ | 0.2 \n   ▽\n   ⎹\n   [A]",
       KROStepTolerancePmi(Tol("FLATNESS_TOLERANCE", "", .2).Feature("A"), f)},
      {"⌖ | 0.75 | A | B | C", KROStepTolerancePmi(Tol(kPosition, "", .75, "ABC"), f)},
      {"⌓ | 1.25 | A | B | C", KROStepTolerancePmi(Tol(kProfile, "", 1.25, "ABC"), f)},
      {"⌮ | ⌓ | 0.5 | A", KROStepTolerancePmi(Tol(kProfile, "", .5, "A", {"all around"}), f)},
      {"⏊ | 1.5 | A", KROStepTolerancePmi(Tol("PERPENDICULARITY_TOLERANCE", "", 1.5, "A"), f)},
  });
}

// Each distinct text of FTC-07's expected PMI (an inch drawing), from what the file states.
TEST(KROStepNotationNist, Ftc07) {
  KROStepFileFacts f;
  f.units = Inch();
  f.dimensions = {
      Dim("diameter", .25, 3).Dev(.003, -0.),                                 // 0
      Dim("diameter", .25, 3).Dev(.003, -0.).Count(2),                        // 1
      Dim("linear distance", .3, 2).Dev(.02, -.02),                           // 2
      Dim("diameter", .5938, 3).Dev(.012, -.002).Count(2),                    // 3: rounded as asked
      Dim("diameter", .875, 3).Dev(.01, -.01).Count(3),                       // 4
      Dim("diameter", .875, 3).Dev(.02, -.02).Count(3).Mods({"statistical"}), // 5
      Dim("diameter", .173, 3).Dev(.005, -.001).Count(4),                     // 6
      Dim("diameter", .25, 3).Dev(.003, -.001).Count(4),                      // 7
      Dim("diameter", .281, 3).Dev(.006, -.001).Count(4),                     // 8
      Dim("diameter", .438, 3).Dev(.01, -.01).Count(4),                       // 9
      Dim("radius", {}, 3).Lim(.012, .022).Count(32),                         // 10
  };
  auto dim = [&](std::size_t i) { return KROStepDimensionPmi(f.dimensions[i], f.units); };
  auto tol = [&](const KROStepFileTolerance& t) { return KROStepTolerancePmi(t, f); };
  auto system = [](const char* letters) { return KROStepDatumSystemPmi(Letters(letters)); };
  ExpectRows({
      {"A", system("A")},
      {"A | B", system("AB")},
      {"A | B | C", system("ABC")},
      {"D | B | C", system("DBC")},
      {"E | B | C", system("EBC")},
      {"⌀.250  +.003\n               -.000", dim(0)},
      {"2X ⌀.250  +.003\n               -.000", dim(1)},
      {".30 ± .02", dim(2)},
      {"2X ⌀.594  +.012\n               -.002", dim(3)},
      {"3X ⌀.875 ± .010", dim(4)},
      {"3X ⌀.875 ± .020 <ST>", dim(5)},
      {"4X ⌀.173  +.005\n               -.001", dim(6)},
      {"4X ⌀.250  +.003\n               -.001", dim(7)},
      {"4X ⌀.281  +.006\n               -.001", dim(8)},
      {"4X ⌀.438 ± .010", dim(9)},
      {"32X R.012-.022", dim(10)},
      {"▱ | .01 / ⌀1.00", tol(Tol("FLATNESS_TOLERANCE", "", .01).Basis(1, "circular")), false},
      {"2X ⌀.594  +.012\n               -.002\n⌖ | ⌀.040 Ⓜ | ⌀.045 MAX | A | B | C",
       tol(Tol(kPosition, "⌀", .04, "ABC", {kMmc}).Of(3).Max(.045)), false},
      {"4X ⌀.281  +.006\n               -.001\n⌖ | ⌀.020 Ⓜ | E | B | C\n(composite)",
       tol(Tol(kPosition, "⌀", .02, "EBC", {kMmc}).Of(8).Lower()), false},
      {"4X ⌀.281  +.006\n               -.001\n⌖ | ⌀.060 Ⓜ | E | B | C",
       tol(Tol(kPosition, "⌀", .06, "EBC", {kMmc}).Of(8)), false},
      {"⌀.250  +.003\n               -.000\n⌖ | ⌀.020 Ⓟ .425 | A | B \n   ▽\n   ⎹\n   [C]",
       tol(Tol(kPosition, "⌀", .02, "AB").Projected(.425).Of(0).Feature("C")), false},
      {"2X ⌀.250  +.003\n               -.000\n⌖ | ⌀.023 Ⓟ .425 | A | B | C",
       tol(Tol(kPosition, "⌀", .023, "ABC").Projected(.425).Of(1))},
      {"3X ⌀.875 ± .020 <ST>\n⌖ | ⌀.050 <ST> | A | B | C",
       tol(Tol(kPosition, "⌀", .05, "ABC", {"statistical tolerance"}).Of(5)), false},
      {"4X ⌀.173  +.005\n               -.001\n⌖ | ⌀.015 | A\n(composite)",
       tol(Tol(kPosition, "⌀", .015, "A").Of(6).Lower())},
      {"4X ⌀.173  +.005\n               -.001\n⌖ | ⌀.060 | A | B | C",
       tol(Tol(kPosition, "⌀", .06, "ABC").Of(6)), false},
      {"4X ⌀.250  +.003\n               -.001\n⌖ | ⌀.023 Ⓟ .150 | D | B | C",
       tol(Tol(kPosition, "⌀", .023, "DBC").Projected(.15).Of(7)), false},
      {"⌓ | .005 | A | B | C\n(composite)", tol(Tol(kProfile, "", .005, "ABC").Lower())},
      {"⌓ | .006 | A | B | C", tol(Tol(kProfile, "", .006, "ABC"))},
      {"⌓ | .01 | A \n   ▽\n   ⎹\n   [D]\n(composite)",
       tol(Tol(kProfile, "", .01, "A").Feature("D").Lower())},
      {"⌓ | .015 | A \n   ▽\n   ⎹\n   [E]\n(composite)",
       tol(Tol(kProfile, "", .015, "A").Feature("E").Lower())},
      {"⌓ | .015 | A\n(composite)", tol(Tol(kProfile, "", .015, "A").Lower())},
      {"⌓ | .03 | A | B | C", tol(Tol(kProfile, "", .03, "ABC"))},
      {"⌓ | .04 | A | B | C \n   ▽\n   ⎹\n   [D]", tol(Tol(kProfile, "", .04, "ABC").Feature("D"))},
      {"⌓ | .06 | A | B | C", tol(Tol(kProfile, "", .06, "ABC"))},
      {"⌓ | .07 | A | B | C", tol(Tol(kProfile, "", .07, "ABC"))},
      {"⌓ | .07 | A | B | C \n   ▽\n   ⎹\n   [E]", tol(Tol(kProfile, "", .07, "ABC").Feature("E"))},
      {"⭩◎ | ⌓ | .06 | A | B | C", tol(Tol(kProfile, "", .06, "ABC", {"all over"}))},
      {"⫽ | .03 | A", tol(Tol("PARALLELISM_TOLERANCE", "", .03, "A"))},
      {"⌀.250  +.003\n               -.000\n⏊ | ⌀.015 Ⓟ .425| A \n   ▽\n   ⎹\n   [B]",
       tol(Tol("PERPENDICULARITY_TOLERANCE", "⌀", .015, "A").Projected(.425).Of(0).Feature("B"))},
      {"⌓ | .015 \n   ▽\n   ⎹\n   [A]", tol(Tol(kProfile, "", .015).Feature("A"))},
  });
}

TEST(KROStepPmiNumber, RoundingPaddingAndShortestForms) {
  struct Case {
    double value;
    int decimals;
    bool inch;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      // Half away from zero, on the value as the file wrote it, not as the double holds it.
      {.5938, 3, true, ".594"}, {.0005, 3, true, ".001"}, {2.675, 2, false, "2.68"},
      {1.005, 2, false, "1.01"}, {-2.5, 0, false, "-3"}, {9.995, 2, false, "10.00"},
      {.9996, 3, true, "1.000"}, {.0004, 3, false, "0.000"},
      // Padding; zero once written has no sign.
      {.3, 2, true, ".30"}, {35, 2, false, "35.00"}, {0, 3, true, ".000"},
      {-.0004, 3, true, ".000"}, {-0., -1, false, "0"},
      // Shortest, no exponent, at most ten significant digits; inch drops the leading zero.
      {.75, -1, false, "0.75"}, {35, -1, false, "35"}, {.1 + .2, -1, false, "0.3"},
      {1. / 3, -1, false, "0.3333333333"}, {1e-7, -1, false, "0.0000001"},
      {1.5e12, -1, false, "1500000000000"}, {.25, -1, true, ".25"}, {-.003, -1, true, "-.003"},
      {10.25, -1, true, "10.25"}};
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(KROStepPmiNumber(c.value, c.decimals, c.inch), c.expected) << c.value;
  for (double v : {.425, .0005, 25.4, 57.2957795, 1e-9, 123456.789})
    EXPECT_EQ(std::stod(KROStepPmiNumber(v, -1, false)), v) << v;
  // Absurd decimals pad to a bound instead of exhausting memory.
  EXPECT_EQ(KROStepPmiNumber(1, 1000000000, false), "1." + std::string(20, '0'));
}

TEST(KROStepDimensionPmi, DrawingConventions) {
  const KROStepFileUnits mm, inch = Inch();
  Dim fit("diameter", 35), max("radius", 2), oneSided("radius"), ownDecimals("diameter", .5, 3);
  fit.fitClass = "H7";
  max.limit = "MAX";
  oneSided.lowerLimit = 2;
  ownDecimals.Dev(.01, -.012).upperDecimals = 2;
  struct Case {
    KROStepFileDimension dimension;
    const KROStepFileUnits& units;
    const char* expected;
  };
  const Case cases[] = {
      {Dim("spherical radius", .5, 3).Mods({"reference"}), inch, "(SR.500)"},
      {Dim("diameter", .5, 3).Mods({"reference"}).Count(2), inch, "2X (⌀.500)"},
      {Dim("spherical diameter", 12), mm, "S⌀12"},
      {Dim("linear distance", .75, 3).Mods({"auxiliary"}), inch, "(.750)"},
      {Dim("diameter", 12).Mods({"theoretical"}).Count(4), mm, "4X [⌀12]"},
      {Dim("radius", 5).Mods({"controlled radius"}), mm, "CR5"},
      {Dim("radius", 5).Mods({"spherical"}), mm, "SR5"},
      {Dim("toroidal major diameter", 40).Count(1), mm, "⌀40"},
      {Dim("linear distance", 10).Mods({"square", "between"}), mm, "□10 between"},
      {Dim("linear distance", {}, 2).Lim(34.8, 35.2), mm, "34.80-35.20"},
      {max, mm, "R2 MAX"},
      {oneSided, mm, "R2 MIN"},
      {fit, mm, "⌀35 H7"},
      {Dim("diameter", 12).Dev(.1, -.1).Mods({"statistical", "two point size"}), mm,
       "⌀12 ± 0.1 <ST> (LP)"},
      {Dim("diameter", 12).Mods({"maximum inscribed association criteria"}), mm, "⌀12 (GX)"},
      {Dim("linear distance", 10).Dev(-.1, -.3), mm, "10 -0.1 -0.3"},
      {Dim("diameter", .5, 3).Dev(0, -.002), inch, "⌀.500 +.000 -.002"},
      {ownDecimals, inch, "⌀.500 +.01 -.012"},
      {Dim("angle", 45).Dev(.5, -.5).Angle(), inch, "45° ± 0.5°"},
      {Dim("angle", 30).Dev(1, 0).Angle(), mm, "30° +1° 0°"},
      {Dim("angle").Lim(59.5, 60.5).Angle(), mm, "59.5°-60.5°"},
      {Dim("diameter", {}, 2), mm, "⌀ (no value)"},
      {Dim("linear distance"), mm, "(no value)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Spaced(KROStepDimensionPmi(c.dimension, c.units)), c.expected);
  // The lower deviation sits under the upper one, parentheses and count included.
  Dim d = Dim("diameter", .25, 3).Dev(.003, -0.).Count(2);
  EXPECT_EQ(KROStepDimensionPmi(d, inch), "2X ⌀.250  +.003\n          -.000");
  EXPECT_EQ(KROStepDimensionPmi(d.Mods({"reference"}), inch),
            "2X (⌀.250  +.003\n           -.000)");
}

TEST(KROStepTolerancePmi, FrameConstructs) {
  KROStepFileFacts f;
  f.dimensions = {Dim("diameter", 10).Dev(.1, -.1)};
  const KROStepFileCompartment ab{{{"A", {}}, {"B", {}}}, {}};
  const KROStepFileCompartment common{{{"E", {kMmc}}, {"F", {kMmc}}}, {}};
  const KROStepFileCompartment translation{{{"A", {"translation"}}}, {}};
  const KROStepFileCompartment basic{{{"B", {"basic", "distance variable"}}}, {}};
  const char* straightness = "STRAIGHTNESS_TOLERANCE";
  struct Case {
    KROStepFileTolerance tolerance;
    const char* expected;
  };
  const Case cases[] = {
      {Tol(kProfile, "", .5, "A", {"unequally disposed"}).Unequal(.2), "⌓ | 0.5 Ⓤ 0.2 | A"},
      {Tol(kProfile, "", .5, "A").Unequal(.2), "⌓ | 0.5 Ⓤ 0.2 | A"},
      // Projected, however stated, once: at the file's modifier, else after the others.
      {Tol(kPosition, "⌀", .2, "A", {"projected"}), "⌖ | ⌀0.2 Ⓟ | A"},
      {Tol(kPosition, "⌀", .2, "A", {"projected", kMmc}).Projected(10), "⌖ | ⌀0.2 Ⓟ 10 Ⓜ | A"},
      {Tol(kPosition, "⌀", .2, "A", {"free state"}).Projected({}), "⌖ | ⌀0.2 Ⓕ Ⓟ | A"},
      // The file's wording in any case, with underscores; unknown words as the file gives them.
      {Tol(kProfile, "", .1, "",
           {"least material requirement", "TANGENT_PLANE", "common zone", "reciprocity requirement",
            "separate requirement", "independency", "continuous feature", "each radial element",
            "line element", "dynamic profile"}),
       "⌓ | 0.1 Ⓛ Ⓣ CZ Ⓡ SEP REQT Ⓘ <CF> ERE LE dynamic profile"},
      {Tol(kPosition, "⌀", .2).Datums({Letters("D")[0], common}), "⌖ | ⌀0.2 | D | E Ⓜ-F Ⓜ"},
      {Tol(kPosition, "S⌀", .3, "A"), "⌖ | S⌀0.3 | A"},
      {Tol("CIRCULAR_RUNOUT_TOLERANCE", "", .1).Datums({ab}), "↗ | 0.1 | A-B"},
      {Tol("TOTAL_RUNOUT_TOLERANCE", "", .1, "A"), "⌰ | 0.1 | A"},
      {Tol(kPosition, "⌀", .2).Datums({translation, basic}), "⌖ | ⌀0.2 | A ▷ | B [BSC] DV"},
      {Tol(straightness, "", .05).Basis(15), "− | 0.05 / 15"},
      {Tol(straightness, "", .05).Basis(25, "square"), "− | 0.05 / □25"},
      {Tol(straightness, "", .05).Basis(10, "rectangular", 20), "− | 0.05 / 10x20"},
      {Tol(kPosition, "⌀", {}, "A"), "⌖ | ⌀ (no value) | A"},
      {Tol(kProfile, "", {}), "⌓ | (no value)"},
      {Tol("NO_SUCH_TOLERANCE", "", .1).Of(1), "(unknown tolerance) | 0.1"},
      {Tol(kPosition, "⌀", .1, "A", {kMmc}).Of(0).Max(.3), "⌀10 ± 0.1 ⌖ | ⌀0.1 Ⓜ | ⌀0.3 MAX | A"},
      {Tol(kProfile, "", .1, "", {"all around", "all over"}), "⌮ | ⭩◎ | ⌓ | 0.1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Spaced(KROStepTolerancePmi(c.tolerance, f)), c.expected);
  for (std::size_t i = 0; i < KROStepToleranceKinds.size(); ++i) {
    const KROStepToleranceKind& kind = KROStepToleranceKinds[i];
    EXPECT_EQ(KROStepTolerancePmi(Tol(kind.entity, "", 1), f), std::string(kind.symbol) + " | 1");
  }
  EXPECT_EQ(KROStepToleranceKindOf("flatness_tolerance"), 1);
  EXPECT_EQ(KROStepToleranceKindOf("GEOMETRIC_TOLERANCE"), -1);
}

TEST(KROStepDatumPmi, SystemsFeaturesAndTargets) {
  const KROStepFileUnits mm;
  KROStepFileDatumFeature feature;
  feature.letter = "A";
  EXPECT_EQ(KROStepDatumFeaturePmi(feature, mm), "▽\n⎹\n[A]");
  Target movable("B", "2", "point");
  movable.movable = true;
  EXPECT_EQ(KROStepDatumFeaturePmi(Target("A", "1", "point"), mm), "A1 (point)");
  EXPECT_EQ(KROStepDatumFeaturePmi(movable, mm), "B2 (point) (movable)");
  EXPECT_EQ(KROStepDatumFeaturePmi(Target("K", "1", "circle", 85), mm), "⌀85\nK1");
  EXPECT_EQ(KROStepDatumFeaturePmi(Target("K", "1", "circle", .5), Inch()), "⌀.5\nK1");
  EXPECT_EQ(KROStepDatumFeaturePmi(Target("K", "2", "rectangle", 20, 10), mm), "20x10\nK2");

  const KROStepFileDatumElement e{"E", {kMmc}};
  EXPECT_EQ(KROStepDatumSystemPmi({{{{"D", {}}}, {}}, {{e}, {}}, {{{"F", {}}}, {}}}),
            "D | E Ⓜ | F");
  // A modifier of a whole common datum follows its last member; a file's symbol stays.
  EXPECT_EQ(KROStepDatumSystemPmi(
                {{{{"A", {}}, {"B", {}}}, {"least material requirement"}}, {{{"C", {"Ⓕ"}}}, {}}}),
            "A-B Ⓛ | C Ⓕ");
}

TEST(KROStepPmiOneLine, JoinsTrimmedLines) {
  EXPECT_EQ(KROStepPmiOneLine("▱ | 0.2 \n   ▽\n   ⎹\n   [A]"), "▱ | 0.2; ▽; ⎹; [A]");
  EXPECT_EQ(KROStepPmiOneLine("2X ⌀.25  +.003\n         -.000\n⌖ | ⌀.023\n(composite)\n"),
            "2X ⌀.25  +.003; -.000; ⌖ | ⌀.023; (composite)");
  EXPECT_EQ(KROStepPmiOneLine(" \n\n "), "");
}

// Other code reads annotation ids between colons: no file string may bring one in.
TEST(KROStepNotation, TextsNeverHoldColons) {
  KROStepFileFacts f;
  Dim d = Dim("diameter:", 10).Dev(.1, -.2).Mods({"odd:word", "reference"});
  d.fitClass = "H:7";
  d.limit = "MAX:";
  f.dimensions = {d};
  Tol t = Tol(kPosition, "⌀:", .1, "", {"odd:word"})
              .Of(0)
              .Feature("B:")
              .Datums({{{{"A:", {"odd:word"}}}, {"odd:word"}}});
  Target target("C:", "1:", "point:");
  const std::string texts[] = {KROStepDimensionPmi(d, f.units), KROStepTolerancePmi(t, f),
                               KROStepDatumSystemPmi(t.datums),
                               KROStepDatumFeaturePmi(target, f.units), KROStepPmiOneLine("a:b")};
  for (const std::string& s : texts)
    EXPECT_TRUE(!s.empty() && s.find(':') == std::string::npos) << s;
  EXPECT_NE(texts[1].find("oddword"), std::string::npos) << texts[1];
}

} // namespace
