// KROStepRecoveryTest.cpp - what the importer takes from the files' own entities where OCCT's
// document drops it, checked against the files' text.
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightSet.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

class KROStepRecoveryTest : public KROTest {};

using Vec = std::array<double, 3>;

/// The geometric tolerances of a file, read from its text.
struct FileTolerance {
  int id = 0;
  std::string name;
  double magnitude = 0; ///< in millimetres
};

double UnitFactor(const KROStepFileText& f, int unit) {
  const std::string& u = f.records.at(unit);
  if (u.find("CONVERSION_BASED_UNIT('INCH'") != std::string::npos) return 25.4;
  if (u.find("SI_UNIT(.MILLI.,.METRE.)") != std::string::npos) return 1;
  ADD_FAILURE() << "unit #" << unit << " is neither mm nor inch: " << u;
  return 1;
}

std::vector<FileTolerance> FileTolerances(const KROStepFileText& f) {
  static const std::regex simple("^[A-Z_]+_TOLERANCE\\('");
  std::vector<FileTolerance> out;
  for (const auto& [id, body] : f.records) {
    const bool complex = body.find("GEOMETRIC_TOLERANCE('") != std::string::npos;
    if (!complex && !std::regex_search(body, simple)) continue;
    const std::string part = complex ? "GEOMETRIC_TOLERANCE" : body.substr(0, body.find('('));
    FileTolerance t;
    t.id = id;
    const std::string name = f.Param(id, part, 1);
    t.name = name.substr(1, name.size() - 2);
    // The magnitude: LENGTH_MEASURE(v) and its unit, alone or in a complex instance.
    const std::string& m = f.records.at(KROStepRef(f.Param(id, part, 3)));
    std::smatch value;
    EXPECT_TRUE(
        std::regex_search(m, value, std::regex("LENGTH_MEASURE\\(([-+0-9.Ee]+)\\),#(\\d+)")))
        << m;
    t.magnitude = std::stod(value[1]) * UnitFactor(f, std::stoi(value[2]));
    out.push_back(t);
  }
  return out;
}

Vec Numbers(const std::string& list) {
  Vec v{};
  std::sscanf(list.c_str(), "(%lf,%lf,%lf)", &v[0], &v[1], &v[2]);
  return v;
}

Vec Unit(Vec v) {
  const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / n, v[1] / n, v[2] / n};
}

Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void ExpectNear(const Vec& got, const Vec& want, double tolerance, const char* what) {
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(got[i], want[i], tolerance) << what << " [" << i << "]";
}

const KROStepAnnotation* ByEntity(const KROStepImportResult& r, int entity) {
  for (const KROStepAnnotation& a : r.annotations)
    if (a.fileEntity == entity) return &a;
  return nullptr;
}

double Value(const KROStepImportResult& r, int id) {
  KROComPtr<KROBaseUnknown> object;
  r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
  double v = 0;
  object.As<KROITPSLightModel>()->GetValue(&v);
  return v;
}

struct Figures {
  const char* file;
  int tolerances, withMagnitude, savedViews; ///< as the file holds them
  int recoveredTolerances, recoveredMagnitudes, recoveredViews;
};

const Figures kFigures[] = {
    {kCTC01, 6, 6, 1, 0, 6, 0},
    {kCTC04, 7, 7, 1, 1, 0, 0},
    {kFTC07, 27, 27, 4, 2, 0, 0},
};

// Each tolerance of the file is one annotation, matched or recovered, with the file's name and
// magnitude; what OCCT dropped is marked with its reason.
TEST_F(KROStepRecoveryTest, TolerancesReachTheFilesFigures) {
  for (const Figures& p : kFigures) {
    SCOPED_TRACE(p.file);
    const KROStepFileText text = KROStepReadFileText(KROStepData(p.file));
    const std::vector<FileTolerance> file = FileTolerances(text);
    ASSERT_EQ(static_cast<int>(file.size()), p.tolerances);
    int nonzero = 0;
    for (const FileTolerance& t : file)
      nonzero += t.magnitude != 0;
    EXPECT_EQ(nonzero, p.withMagnitude);

    KROStepImportResult r = KROStepImportFile(KROStepData(p.file));
    ASSERT_TRUE(r.ok);
    int tolerances = 0, withValue = 0, wholes = 0, magnitudes = 0;
    for (const KROStepAnnotation& a : r.annotations) {
      if (a.kind != KROStepAnnotation::Kind::Tolerance) continue;
      ++tolerances;
      withValue += Value(r, a.id) != 0;
      wholes += a.recovered == "tolerance";
      magnitudes += a.recovered == "magnitude";
      if (a.recovered == "tolerance") {
        EXPECT_TRUE(a.labels.empty());
      }
    }
    EXPECT_EQ(tolerances, p.tolerances);
    EXPECT_EQ(withValue, p.withMagnitude);
    EXPECT_EQ(wholes, p.recoveredTolerances);
    EXPECT_EQ(magnitudes, p.recoveredMagnitudes);
    for (const FileTolerance& t : file) {
      SCOPED_TRACE("#" + std::to_string(t.id));
      const KROStepAnnotation* a = ByEntity(r, t.id);
      ASSERT_NE(a, nullptr) << "no annotation stands for the file's tolerance";
      EXPECT_NEAR(Value(r, a->id), t.magnitude, 1e-12 * std::max(1.0, t.magnitude));
      KROComPtr<KROBaseUnknown> object;
      r.set.As<KROITPSIdBroker>()->GetObjectFromId(a->id, 1, object.PutTyped());
      KROWChar* name = nullptr;
      object.As<KROITPSLight>()->GetName(&name);
      EXPECT_EQ(KROStepUtf8(KROTakeText(name)), t.name);
      if (a->recovered == "magnitude") {
        EXPECT_NE(a->recoveryReason.find("illegal type"), std::string::npos) << a->recoveryReason;
      } else if (a->recovered == "tolerance") {
        EXPECT_EQ(a->recoveryReason, "not transferred");
      }
    }
  }
  // CTC-01's flatness: #57 names #82, LENGTH_MEASURE(0.2) in mm; its text shows the value.
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  const KROStepAnnotation* flatness = ByEntity(r, 57);
  ASSERT_NE(flatness, nullptr);
  EXPECT_DOUBLE_EQ(Value(r, flatness->id), 0.2);
}

// A saved view's camera as the file writes it: the placement's location (in the document's
// unit), its axis, and the up direction the axis and reference direction make.
TEST_F(KROStepRecoveryTest, SavedViewsFollowTheCameraModels) {
  for (const Figures& p : kFigures) {
    SCOPED_TRACE(p.file);
    const KROStepFileText text = KROStepReadFileText(KROStepData(p.file));
    const std::vector<int> cameras = text.With("CAMERA_MODEL_D3('");
    const double factor = std::string(p.file) == kFTC07 ? 25.4 : 1;
    KROStepImportResult r = KROStepImportFile(KROStepData(p.file));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(static_cast<int>(r.captures.size()), p.savedViews);
    // Every camera model is a capture or listed among the other cameras, with its reason.
    EXPECT_EQ(r.captures.size() + r.cameras.size(), cameras.size());
    for (const KROStepCamera& other : r.cameras)
      EXPECT_TRUE(other.reason == "shows no PMI" ||
                  other.reason.rfind("repeats saved view ", 0) == 0)
          << other.reason;
    list<KROBaseUnknown>* list = nullptr;
    r.set->GetCaptureList(&list);
    ASSERT_NE(list, nullptr);
    int recovered = 0;
    for (std::size_t i = 0; i < r.captures.size(); ++i) {
      const KROStepCapture& info = r.captures[i];
      recovered += info.recovered;
      // OCCT's own reading of CTC-01's view has no file id; its camera is the only one.
      const int camera = info.fileEntity != 0 ? info.fileEntity : cameras.front();
      SCOPED_TRACE("#" + std::to_string(camera));
      const int placement = KROStepRef(text.Param(camera, "CAMERA_MODEL_D3", 2));
      auto vector = [&](int param, const char* type) {
        const int ref = KROStepRef(text.Param(placement, "AXIS2_PLACEMENT_3D", param));
        return Numbers(text.Param(ref, type, 2));
      };
      const Vec location = vector(2, "CARTESIAN_POINT");
      const Vec axis = Unit(vector(3, "DIRECTION"));
      const Vec ref = vector(4, "DIRECTION");
      const double along = ref[0] * axis[0] + ref[1] * axis[1] + ref[2] * axis[2];
      const Vec x =
          Unit({ref[0] - along * axis[0], ref[1] - along * axis[1], ref[2] - along * axis[2]});
      KROComPtr<KROITPSLightCapture> c;
      (*list)[static_cast<int>(i)]->QueryInterface(IID_KROITPSLightCapture, c.Put());
      ASSERT_TRUE(c);
      Vec o{}, d{}, z{};
      c->GetOrigin(&o[0], &o[1], &o[2]);
      c->GetDirection(&d[0], &d[1], &d[2]);
      c->GetZenith(&z[0], &z[1], &z[2]);
      ExpectNear(d, axis, 1e-9, "direction");
      ExpectNear(z, Cross(axis, x), 1e-9, "zenith");
      if (info.fileEntity != 0)
        ExpectNear(o, {location[0] * factor, location[1] * factor, location[2] * factor}, 1e-6,
                   "origin");
    }
    EXPECT_EQ(recovered, p.recoveredViews);
  }
}

// What a recovered view shows: the semantic PMI whose presentations its draughting model holds.
TEST_F(KROStepRecoveryTest, RecoveredViewsListWhatTheirDraughtingModelShows) {
  const KROStepFileText text = KROStepReadFileText(KROStepData(kCTC04));
  const int camera = text.With("CAMERA_MODEL_D3('").front();
  // The draughting model listing the camera among its items.
  std::set<std::string> items;
  for (int dm : text.With("DRAUGHTING_MODEL()")) {
    const std::string list = text.Param(dm, "REPRESENTATION", 2);
    if (list.find("#" + std::to_string(camera) + ",") == std::string::npos) continue;
    std::smatch m;
    for (auto it = list.cbegin(); std::regex_search(it, list.cend(), m, std::regex("#\\d+"));
         it = m.suffix().first)
      items.insert(m.str());
  }
  ASSERT_FALSE(items.empty());
  std::set<int> tolerances, dimensions;
  std::set<std::string> datumLetters;
  const std::vector<FileTolerance> file = FileTolerances(text);
  for (int link : text.With("DRAUGHTING_MODEL_ITEM_ASSOCIATION(")) {
    if (!items.count(text.Param(link, "DRAUGHTING_MODEL_ITEM_ASSOCIATION", 5))) continue;
    const int def = KROStepRef(text.Param(link, "DRAUGHTING_MODEL_ITEM_ASSOCIATION", 3));
    const std::string& body = text.records.at(def);
    if (std::any_of(file.begin(), file.end(), [&](const FileTolerance& t) { return t.id == def; }))
      tolerances.insert(def);
    else if (body.rfind("DIMENSIONAL_", 0) == 0 || body.rfind("ANGULAR_", 0) == 0)
      dimensions.insert(def);
    else if (body.find("DATUM_FEATURE") != std::string::npos)
      for (int rel : text.With("SHAPE_ASPECT_RELATIONSHIP("))
        if (KROStepRef(text.Param(rel, "SHAPE_ASPECT_RELATIONSHIP", 3)) == def) {
          const int datum = KROStepRef(text.Param(rel, "SHAPE_ASPECT_RELATIONSHIP", 4));
          if (text.records.at(datum).rfind("DATUM(", 0) == 0)
            datumLetters.insert(text.Param(datum, "DATUM", 5));
        }
  }
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_EQ(r.captures.size(), 1u);
  const KROStepCapture& view = r.captures.front();
  ASSERT_NE(view.fileEntity, 0);
  // Dimension #18938 applies to supplemental curves only; the view names it through the
  // file's own entity, so it is shown like every other.
  ASSERT_TRUE(dimensions.count(18938));
  EXPECT_EQ(view.annotations.size(), tolerances.size() + dimensions.size() + datumLetters.size())
      << tolerances.size() << " " << dimensions.size() << " " << datumLetters.size();
  std::set<int> shownTolerances;
  for (int id : view.annotations)
    if (r.annotations[static_cast<std::size_t>(id - 1)].kind == KROStepAnnotation::Kind::Tolerance)
      shownTolerances.insert(r.annotations[static_cast<std::size_t>(id - 1)].fileEntity);
  EXPECT_EQ(shownTolerances, tolerances);
  // The capture in the model holds the same annotations.
  list<KROBaseUnknown>* captures = nullptr;
  r.set->GetCaptureList(&captures);
  KROComPtr<KROITPSLightCapture> c;
  (*captures)[0]->QueryInterface(IID_KROITPSLightCapture, c.Put());
  list<KROBaseUnknown>* shown = nullptr;
  c->GetTPSs(&shown);
  EXPECT_EQ(shown ? static_cast<std::size_t>(shown->Size()) : 0u, view.annotations.size());
}

// Recovered tolerances touch faces like any other annotation: FTC-07's flatness #14257 one
// plane, its profile #13917 (on the whole product shape) every face; CTC-04's #18891 applies
// to supplemental curves only, so it touches none and says so.
TEST_F(KROStepRecoveryTest, RecoveredTolerancesAnswerTheTagQuery) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kFTC07));
  ASSERT_TRUE(r.ok);
  const KROStepAnnotation* flatness = ByEntity(r, 14257);
  const KROStepAnnotation* profile = ByEntity(r, 13917);
  ASSERT_TRUE(flatness && profile);
  ASSERT_EQ(flatness->tags.size(), 1u);
  EXPECT_EQ(r.FindTag(flatness->tags[0])->kind, KROStepTag::Kind::Face);
  EXPECT_EQ(profile->tags, r.FaceTags());
  for (int tag : r.FaceTags()) {
    const std::set<int> touching = KROStepTouching(r, tag);
    EXPECT_TRUE(touching.count(profile->id)) << tag;
    EXPECT_EQ(touching.count(flatness->id) == 1, tag == flatness->tags[0]) << tag;
  }
  KROStepImportResult r4 = KROStepImportFile(KROStepData(kCTC04));
  const KROStepAnnotation* position = ByEntity(r4, 18891);
  ASSERT_NE(position, nullptr);
  EXPECT_TRUE(position->tags.empty());
  EXPECT_TRUE(std::any_of(r4.messages.begin(), r4.messages.end(), [](const KROStepMessage& m) {
    return m.text.find("#18891") != std::string::npos;
  }));
}

/// `file` with each `from` replaced by `to`, written to a temporary file.
std::string Edited(const char* file, const std::vector<std::pair<std::string, std::string>>& edits,
                   const std::string& tag) {
  std::ifstream in(KROStepData(file), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const auto& [from, to] : edits) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  const fs::path out = fs::temp_directory_path() /
                       ("kro-recovery-" + std::to_string(::getpid()) + "-" + tag + ".stp");
  std::ofstream(out, std::ios::binary) << text;
  return out.string();
}

// A malformed record is skipped with a warning; everything else reads as before.
TEST_F(KROStepRecoveryTest, MalformedRecordsAreSkipped) {
  const KROStepImportResult clean = KROStepImportFile(KROStepData(kCTC01));
  struct Case {
    const char* what;
    const char* file;
    std::vector<std::pair<std::string, std::string>> edits;
    bool brokenMagnitude = false;
    bool cycle = false;
  };
  const std::string extra = "#57=FLATNESS_TOLERANCE('Flatness.1','',#82,#297);";
  const Case cases[] = {
      {"magnitude of a wrong type",
       kCTC01,
       {{"#57=FLATNESS_TOLERANCE('Flatness.1','',#82,#297);",
         "#57=FLATNESS_TOLERANCE('Flatness.1','',#4218,#297);"}},
       true},
      {"magnitude that is missing",
       kCTC01,
       {{"#57=FLATNESS_TOLERANCE('Flatness.1','',#82,#297);",
         "#57=FLATNESS_TOLERANCE('Flatness.1','',#999999,#297);"}},
       true},
      {"shape aspects in a cycle",
       kCTC01,
       {{extra, extra + "\n#999990=SHAPE_ASPECT('','',#4344,.F.);\n"
                        "#999991=SHAPE_ASPECT_RELATIONSHIP('','',#297,#999990);\n"
                        "#999992=SHAPE_ASPECT_RELATIONSHIP('','',#999990,#297);\n"
                        "#999993=SHAPE_ASPECT_RELATIONSHIP('','',#999990,#999990);"}},
       false,
       true},
      {"camera axis parallel to its reference direction",
       kCTC04,
       {{"#20483=AXIS2_PLACEMENT_3D('View Reference',#20480,#20481,#20482);",
         "#20483=AXIS2_PLACEMENT_3D('View Reference',#20480,#20481,#20481);"}}},
  };
  // Two locations between the same features, in opposite directions, are no cycle.
  const std::string both =
      Edited(kCTC01,
             {{"#24=DIMENSIONAL_LOCATION('linear distance',$,#324,#325);",
               "#24=DIMENSIONAL_LOCATION('linear distance',$,#324,#325);\n"
               "#999980=DIMENSIONAL_LOCATION('linear distance',$,#325,#324);"}},
             "locations");
  const KROStepImportResult twoWays = KROStepImportFile(both);
  fs::remove(both);
  ASSERT_TRUE(twoWays.ok);
  EXPECT_EQ(twoWays.annotations.size(), clean.annotations.size() + 1);
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Edited(c.file, c.edits, std::to_string(index++));
    KROStepImportResult r = KROStepImportFile(path);
    fs::remove(path);
    if (c.cycle) {
      // OCCT's own transfer would recurse without end: the file is refused, with the cycle.
      ASSERT_FALSE(r.ok);
      const std::string& why = r.messages.back().text;
      EXPECT_NE(why.find("in a cycle"), std::string::npos) << why;
      EXPECT_NE(why.find("#297"), std::string::npos) << why;
      EXPECT_NE(why.find("#999990"), std::string::npos) << why;
      continue;
    }
    ASSERT_TRUE(r.ok);
    if (c.file == kCTC04) {
      EXPECT_TRUE(r.captures.empty());
      EXPECT_TRUE(std::any_of(r.messages.begin(), r.messages.end(), [](const KROStepMessage& m) {
        return m.text.find("#20491 skipped") != std::string::npos;
      }));
      continue;
    }
    ASSERT_EQ(r.annotations.size(), clean.annotations.size());
    for (const KROStepAnnotation& a : r.annotations) {
      const KROStepAnnotation& before = clean.annotations[static_cast<std::size_t>(a.id - 1)];
      if (c.brokenMagnitude && before.fileEntity == 57) {
        EXPECT_EQ(Value(r, a.id), 0.0) << "a malformed magnitude gives no value";
        EXPECT_TRUE(a.recovered.empty());
        continue;
      }
      EXPECT_EQ(Value(r, a.id), Value(clean, a.id)) << a.id;
      EXPECT_EQ(a.tags, before.tags) << a.id;
    }
  }
}

} // namespace
