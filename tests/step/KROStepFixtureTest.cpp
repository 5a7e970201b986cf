// KROStepFixtureTest.cpp - constructs no bundled part holds, each in an edited copy of CTC-01:
// the records a test puts in are STEP AP242's own, and the whole path (OCCT's reading, the fact
// reader, the notation, the matcher and the model) must write each as the drawing does.
#include "KROPmiNormalise.h"
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include <map>
#include <string>

namespace {

// CTC-01's own records the edits lean on.
//   #4269 its product definition shape     #4351 its representation context
//   #4361 its millimetre                   #37, #38, #39 datums A, B, C
//   #51 datum system A                     #52 datum system A | B | C
//   #82 0.2 mm, #83 1.5 mm, #95 0.75 mm    #297, #298 toleranced aspects
//   #643 its B-rep                          #861 a face of it

std::string Mm(double v, const char* name = "") {
  return "(LENGTH_MEASURE_WITH_UNIT() MEASURE_REPRESENTATION_ITEM() MEASURE_WITH_UNIT("
         "LENGTH_MEASURE(" +
         std::to_string(v) + "),#4361) REPRESENTATION_ITEM('" + name + "'))";
}

class KROStepFixtureTest : public KROStepScratchTest {
protected:
  /// CTC-01 with `edits` put in, imported; the `pmi` text of each annotation and frame by the
  /// file entity it comes from.
  std::map<int, std::string> Import(const std::map<int, std::string>& edits) {
    const std::string path = Out("edited.stp");
    EXPECT_TRUE(KROStepEditedCopy(kCTC01, edits, path));
    result_ = KROStepImportFile(path);
    EXPECT_TRUE(result_.ok);
    std::map<int, std::string> pmi;
    for (const KROStepAnnotation& a : result_.annotations)
      if (a.fileEntity) pmi[a.fileEntity] = a.pmi;
    return pmi;
  }
  void TearDown() override {
    result_ = {}; // the model goes before the live counts are checked
    KROStepScratchTest::TearDown();
  }
  KROStepImportResult result_;
};

// Each of the fifteen kinds of tolerance, from the file's entity to the drawing's symbol.
TEST_F(KROStepFixtureTest, EveryKindOfToleranceHasItsSymbol) {
  const std::pair<const char*, const char*> withDatums[] = {
      {"ANGULARITY_TOLERANCE", "∠"},       {"PARALLELISM_TOLERANCE", "⫽"},
      {"PERPENDICULARITY_TOLERANCE", "⏊"}, {"CONCENTRICITY_TOLERANCE", "◎"},
      {"COAXIALITY_TOLERANCE", "◎"},       {"SYMMETRY_TOLERANCE", "⌯"},
      {"CIRCULAR_RUNOUT_TOLERANCE", "↗"},  {"TOTAL_RUNOUT_TOLERANCE", "⌰"},
  };
  const std::pair<const char*, const char*> form[] = {
      {"STRAIGHTNESS_TOLERANCE", "−"}, {"FLATNESS_TOLERANCE", "▱"},
      {"ROUNDNESS_TOLERANCE", "○"},    {"CYLINDRICITY_TOLERANCE", "⌭"},
      {"LINE_PROFILE_TOLERANCE", "⌒"}, {"SURFACE_PROFILE_TOLERANCE", "⌓"},
  };
  std::map<int, std::string> edits, expected;
  int id = 900000;
  for (const auto& [entity, symbol] : withDatums) {
    edits[++id] = std::string(entity) + "('k','',#83,#298,(#51))";
    expected[id] = std::string(symbol) + " | 1.5 | A";
  }
  for (const auto& [entity, symbol] : form) {
    edits[++id] = std::string(entity) + "('k','',#82,#298)";
    expected[id] = std::string(symbol) + " | 0.2";
  }
  // Position: a complex instance, with its datums.
  edits[++id] = "(GEOMETRIC_TOLERANCE('k','',#95,#298) GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE("
                "(#52)) POSITION_TOLERANCE())";
  expected[id] = "⌖ | 0.75 | A | B | C";
  const std::map<int, std::string> pmi = Import(edits);
  for (const auto& [entity, text] : expected) {
    ASSERT_TRUE(pmi.count(entity)) << "#" << entity;
    EXPECT_EQ(pmi.at(entity), text) << "#" << entity;
  }
}

// Zones, modifiers in the file's order, the unequally disposed zone, the maximum tolerance, a
// unit basis over an area, and a common datum.
TEST_F(KROStepFixtureTest, ZonesModifiersAndCommonDatums) {
  const std::string position = "(GEOMETRIC_TOLERANCE('k','',#95,#298) "
                               "GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE((#52)) ";
  std::map<int, std::string> edits = {
      // Spherical and cylindrical zones.
      {900001, position + "POSITION_TOLERANCE())"},
      {900002, "TOLERANCE_ZONE_FORM('spherical')"},
      {900003, "TOLERANCE_ZONE('','',#4269,.F.,(#900001),#900002)"},
      {900004, position + "POSITION_TOLERANCE())"},
      {900005, "TOLERANCE_ZONE_FORM('cylindrical or circular')"},
      {900006, "TOLERANCE_ZONE('','',#4269,.F.,(#900004),#900005)"},
      // Least material, free state, tangent plane, common zone, statistical.
      {900010, position +
                   "GEOMETRIC_TOLERANCE_WITH_MODIFIERS((.LEAST_MATERIAL_REQUIREMENT.,.FREE_STATE.,"
                   ".TANGENT_PLANE.,.COMMON_ZONE.,.STATISTICAL_TOLERANCE.)) POSITION_TOLERANCE())"},
      // A maximum tolerance in a cylindrical zone.
      {900020, position + "GEOMETRIC_TOLERANCE_WITH_MAXIMUM_TOLERANCE(#83) "
                          "GEOMETRIC_TOLERANCE_WITH_MODIFIERS((.MAXIMUM_MATERIAL_REQUIREMENT.)) "
                          "POSITION_TOLERANCE())"},
      {900021, "TOLERANCE_ZONE('','',#4269,.F.,(#900020),#900005)"},
      // Unequally disposed by 0.2.
      {900030, "(GEOMETRIC_TOLERANCE('k','',#83,#298) GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE("
               "(#52)) SURFACE_PROFILE_TOLERANCE() UNEQUALLY_DISPOSED_GEOMETRIC_TOLERANCE(#82))"},
      // Flatness per unit area: a circle of 1.5, a square of 1.5.
      {900040, "(FLATNESS_TOLERANCE() GEOMETRIC_TOLERANCE('k','',#82,#298) "
               "GEOMETRIC_TOLERANCE_WITH_DEFINED_AREA_UNIT(.CIRCULAR.,$) "
               "GEOMETRIC_TOLERANCE_WITH_DEFINED_UNIT(#83))"},
      {900041, "(FLATNESS_TOLERANCE() GEOMETRIC_TOLERANCE('k','',#82,#298) "
               "GEOMETRIC_TOLERANCE_WITH_DEFINED_AREA_UNIT(.SQUARE.,$) "
               "GEOMETRIC_TOLERANCE_WITH_DEFINED_UNIT(#83))"},
      // A common datum B Ⓜ-C Ⓜ in a system A | B-C.
      {900050, "DATUM_REFERENCE_ELEMENT('',$,#4269,.F.,#38,"
               "(SIMPLE_DATUM_REFERENCE_MODIFIER(.MAXIMUM_MATERIAL_REQUIREMENT.)))"},
      {900051, "DATUM_REFERENCE_ELEMENT('',$,#4269,.F.,#39,"
               "(SIMPLE_DATUM_REFERENCE_MODIFIER(.MAXIMUM_MATERIAL_REQUIREMENT.)))"},
      {900052,
       "DATUM_REFERENCE_COMPARTMENT('',$,#4269,.F.,COMMON_DATUM_LIST((#900050,#900051)),$)"},
      {900053, "DATUM_REFERENCE_COMPARTMENT('',$,#4269,.F.,#37,$)"},
      {900054, "DATUM_SYSTEM('Datum System .3',$,#4269,.F.,(#900053,#900052))"},
      {900055, "(GEOMETRIC_TOLERANCE('k','',#95,#298) GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE("
               "(#900054)) POSITION_TOLERANCE())"},
  };
  const std::map<int, std::string> pmi = Import(edits);
  const std::map<int, std::string> expected = {
      {900001, "⌖ | S⌀0.75 | A | B | C"},
      {900004, "⌖ | ⌀0.75 | A | B | C"},
      {900010, "⌖ | 0.75 Ⓛ Ⓕ Ⓣ CZ <ST> | A | B | C"},
      {900020, "⌖ | ⌀0.75 Ⓜ | ⌀1.5 MAX | A | B | C"},
      {900030, "⌓ | 1.5 Ⓤ 0.2 | A | B | C"},
      {900040, "▱ | 0.2 / ⌀1.5"},
      {900041, "▱ | 0.2 / □1.5"},
      {900055, "⌖ | 0.75 | A | B Ⓜ-C Ⓜ"},
  };
  for (const auto& [entity, text] : expected) {
    ASSERT_TRUE(pmi.count(entity)) << "#" << entity;
    EXPECT_EQ(pmi.at(entity), text) << "#" << entity;
  }
  bool common = false;
  for (const KROStepFrame& f : result_.frames)
    common = common || f.pmi == "A | B Ⓜ-C Ⓜ";
  EXPECT_TRUE(common);
}

// Prefixes the file's dimension names give, a controlled radius, reference and basic
// dimensions, a one-sided limit and a limits-and-fits class.
TEST_F(KROStepFixtureTest, DimensionPrefixesAndQualifiers) {
  std::map<int, std::string> edits = {
      {120, "DIMENSIONAL_SIZE(#219,'spherical diameter')"},
      {121, "DIMENSIONAL_SIZE(#220,'radius')"},
      {122, "DIMENSIONAL_SIZE(#221,'spherical radius')"},
      // Controlled radius: a dimensional note beside its value.
      {123, "DIMENSIONAL_SIZE(#222,'radius')"},
      {107, "SHAPE_DIMENSION_REPRESENTATION('',(#79,#900001),#4351)"},
      {900001, "DESCRIPTIVE_REPRESENTATION_ITEM('dimensional note','controlled radius')"},
      // A reference dimension ('auxiliary'), its limits kept.
      {108, "SHAPE_DIMENSION_REPRESENTATION('',(#84,#85,#86,#900002),#4351)"},
      {900002, "DESCRIPTIVE_REPRESENTATION_ITEM('dimensional note','auxiliary')"},
      // A one-sided limit: the value qualified 'maximum'.
      {109, "SHAPE_DIMENSION_REPRESENTATION('',(#900003),#4351)"},
      {900003, "(LENGTH_MEASURE_WITH_UNIT() MEASURE_REPRESENTATION_ITEM() MEASURE_WITH_UNIT("
               "LENGTH_MEASURE(35.2),#4361) QUALIFIED_REPRESENTATION_ITEM((#900004)) "
               "REPRESENTATION_ITEM('nominal value'))"},
      {900004, "TYPE_QUALIFIER('maximum')"},
      // A limits-and-fits class in place of ⌀25's deviations.
      {69, "PLUS_MINUS_TOLERANCE(#900005,#128)"},
      {900005, "LIMITS_AND_FITS('','H','7','')"},
      // A basic dimension, for the diameter the file gave no value.
      {900006, "DIMENSIONAL_CHARACTERISTIC_REPRESENTATION(#126,#900007)"},
      {900007, "SHAPE_DIMENSION_REPRESENTATION('',(#900008,#900009),#4351)"},
      {900008, Mm(30, "nominal value")},
      {900009, "DESCRIPTIVE_REPRESENTATION_ITEM('dimensional note','theoretical')"},
  };
  const std::map<int, std::string> pmi = Import(edits);
  const std::map<int, std::string> expected = {
      {120, "S⌀35  0\n      -0.2"},
      {121, "R35  +0.2\n     0"},
      {122, "SR20  +0.05\n      -0.1"},
      {123, "CR20  +0.1\n      -0.05"},
      {124, "(⌀34.8-35.2)"},
      {125, "⌀35.2 MAX"},
      {128, "⌀25 H7"},
      {126, "[⌀30]"},
  };
  for (const auto& [entity, text] : expected) {
    ASSERT_TRUE(pmi.count(entity)) << "#" << entity;
    EXPECT_EQ(pmi.at(entity), text) << "#" << entity;
  }
  // The diameter the file gave no value now has one.
  for (const KROStepAnnotation& a : result_.annotations) {
    if (a.fileEntity == 126) {
      EXPECT_TRUE(a.hasValue);
    }
  }
}

// Datum targets of datum A: a point, a circle with its diameter, an area on a face; each is an
// annotation of its own, and the face's tag answers the area target.
TEST_F(KROStepFixtureTest, DatumTargetsWithKindSizeAndFaces) {
  std::map<int, std::string> edits = {
      {900001, "PLACED_DATUM_TARGET_FEATURE('','point',#4269,.T.,'1')"},
      {900002, "SHAPE_ASPECT_RELATIONSHIP('','',#900001,#37)"},
      {900003, "PLACED_DATUM_TARGET_FEATURE('','circle',#4269,.T.,'2')"},
      {900004, "SHAPE_ASPECT_RELATIONSHIP('','',#900003,#37)"},
      {900005, "PROPERTY_DEFINITION('','',#900003)"},
      {900006, "SHAPE_REPRESENTATION_WITH_PARAMETERS('',(#900007),#4351)"},
      {900007, Mm(5, "target diameter")},
      {900008, "SHAPE_DEFINITION_REPRESENTATION(#900005,#900006)"},
      {900009, "DATUM_TARGET('','area',#4269,.T.,'3')"},
      {900010, "SHAPE_ASPECT_RELATIONSHIP('','',#900009,#37)"},
      {900011, "GEOMETRIC_ITEM_SPECIFIC_USAGE('','',#900009,#643,#861)"},
  };
  const std::map<int, std::string> pmi = Import(edits);
  const std::map<int, std::string> expected = {
      {900001, "A1 (point)"},
      {900003, "⌀5\nA2"},
      {900009, "A3 (area)"},
  };
  for (const auto& [entity, text] : expected) {
    ASSERT_TRUE(pmi.count(entity)) << "#" << entity;
    EXPECT_EQ(pmi.at(entity), text) << "#" << entity;
  }
  int targets = 0;
  for (const KROStepAnnotation& a : result_.annotations) {
    if (a.kind != KROStepAnnotation::Kind::DatumTarget) continue;
    ++targets;
    if (a.fileEntity != 900009) continue;
    ASSERT_EQ(a.tags.size(), 1u);
    EXPECT_TRUE(KROStepTouching(result_, a.tags.front()).count(a.id));
  }
  EXPECT_EQ(targets, 3);
}

} // namespace

// OCCT's transfer dereferences a maximum tolerance and a datum reference modifier's value
// unchecked; where its reader could not type the length (a measure item, or none), the file
// still imports with the file's value, or is refused with the record named: never a crash.
TEST_F(KROStepFixtureTest, LengthsOcctCannotTypeNeitherCrashNorVanish) {
  const std::string position = "(GEOMETRIC_TOLERANCE('k','',#95,#298) "
                               "GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE((#900054)) ";
  auto withModifierValue = [&](const std::string& value) {
    return std::map<int, std::string>{
        {900050, "DATUM_REFERENCE_ELEMENT('',$,#4269,.F.,#38,(#900056))"},
        {900051, "DATUM_REFERENCE_ELEMENT('',$,#4269,.F.,#39,$)"},
        {900052, "DATUM_REFERENCE_COMPARTMENT('',$,#4269,.F.,COMMON_DATUM_LIST((#900050,#900051)),"
                 "$)"},
        {900054, "DATUM_SYSTEM('s',$,#4269,.F.,(#900052))"},
        {900055, position + "POSITION_TOLERANCE())"},
        {900056, "DATUM_REFERENCE_MODIFIER_WITH_VALUE(.CIRCULAR_OR_CYLINDRICAL.," + value + ")"}};
  };
  // A measure item, as the file states its magnitudes: imported.
  std::map<int, std::string> pmi = Import(withModifierValue("#83"));
  ASSERT_TRUE(pmi.count(900055));
  EXPECT_EQ(pmi.at(900055).rfind("⌖ | 0.75 | B", 0), 0u) << pmi.at(900055);
  // No length, or something else: refused, with the record named.
  for (const char* value : {"$", "#4269"}) {
    SCOPED_TRACE(value);
    const std::string path = Out("unreadable.stp");
    ASSERT_TRUE(KROStepEditedCopy(kCTC01, withModifierValue(value), path));
    KROStepImportResult r = KROStepImportFile(path);
    EXPECT_FALSE(r.ok);
    bool named = false;
    for (const KROStepMessage& m : r.messages)
      named = named || m.text.find("#900056") != std::string::npos;
    EXPECT_TRUE(named);
  }
  const std::string path = Out("no-maximum.stp");
  ASSERT_TRUE(KROStepEditedCopy(
      kCTC01,
      {{900020, "(GEOMETRIC_TOLERANCE('k','',#95,#298) GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE("
                "(#52)) GEOMETRIC_TOLERANCE_WITH_MAXIMUM_TOLERANCE($) "
                "GEOMETRIC_TOLERANCE_WITH_MODIFIERS((.MAXIMUM_MATERIAL_REQUIREMENT.)) "
                "POSITION_TOLERANCE())"}},
      path));
  EXPECT_FALSE(KROStepImportFile(path).ok);
}
