// KROPmiCommandTest.cpp - the kro-pmi command as a script uses it: exit codes, one-line
// errors, and JSON that agrees with itself.
#include "KROStepTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int status = -1;
  std::string out, err;
};

CommandRun KroPmi(const std::string& args) {
  const fs::path dir = fs::temp_directory_path();
  const std::string tag = std::to_string(::getpid());
  const fs::path out = dir / ("kro-pmi-out-" + tag), err = dir / ("kro-pmi-err-" + tag);
  const std::string cmd = std::string("'") + KRO_PMI_PATH + "' " + args + " >'" + out.string() +
                          "' 2>'" + err.string() + "'";
  CommandRun r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = KROStepSlurp(out);
  r.err = KROStepSlurp(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

int Lines(const std::string& s) {
  int n = 0;
  for (char c : s)
    n += c == '\n';
  return n;
}

TEST(KROPmiCommand, ExitCodesAndOneLineErrors) {
  EXPECT_EQ(KroPmi("").status, 1);
  EXPECT_EQ(KroPmi("--no-such-option x.stp").status, 1);
  EXPECT_EQ(KroPmi(KROStepData(kCTC01) + " --face notanumber").status, 1);
  CommandRun help = KroPmi("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--json"), std::string::npos);

  CommandRun missing = KroPmi("/no/such/part.stp");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(Lines(missing.err), 1) << missing.err;
  EXPECT_NE(missing.err.find("/no/such/part.stp"), std::string::npos);
  EXPECT_TRUE(missing.out.empty());

  CommandRun noFace = KroPmi(KROStepData(kCTC01) + " --face 99999");
  EXPECT_EQ(noFace.status, 2);
  EXPECT_EQ(Lines(noFace.err), 1) << noFace.err;

  const fs::path blocked = fs::temp_directory_path() / "kro-pmi-no-dir" / "out.json";
  CommandRun unwritable = KroPmi(KROStepData(kCTC01) + " --json '" + blocked.string() + "'");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_EQ(Lines(unwritable.err), 1) << unwritable.err;
  EXPECT_FALSE(fs::exists(blocked));
}

TEST(KROPmiCommand, SummaryAndFaceQuery) {
  CommandRun summary = KroPmi(KROStepData(kCTC01));
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("dimensions 12, tolerances 6, datums 3"), std::string::npos)
      << summary.out;
  EXPECT_NE(summary.out.find("captures 1"), std::string::npos);
  // CTC-01's two text callouts are in the file only; its six magnitudes OCCT rejects.
  EXPECT_NE(summary.out.find("notes: 0 from OCCT's document, 2 recovered from the file"),
            std::string::npos)
      << summary.out;
  EXPECT_NE(summary.out.find("tolerance magnitudes: 0 from OCCT's document, 6 recovered"),
            std::string::npos);
  // Face 98 carries the flatness tolerance and datum A.
  CommandRun face = KroPmi(KROStepData(kCTC01) + " --face 98");
  ASSERT_EQ(face.status, 0) << face.err;
  EXPECT_NE(face.out.find("2 annotations"), std::string::npos) << face.out;
  EXPECT_NE(face.out.find("▱ | 0.2; ▽; ⎹; [A]"), std::string::npos) << face.out;
  EXPECT_NE(face.out.find("datum A"), std::string::npos);
  // FTC-07's page of general notes is cut in the table (whole in --json), so that its rows stay
  // as wide as the others'.
  CommandRun ftc07 = KroPmi(KROStepData(kFTC07));
  ASSERT_EQ(ftc07.status, 0) << ftc07.err;
  EXPECT_NE(ftc07.out.find("NOTES (UNLESS OTHERWISE SPECIFIED); 1. CAD MODEL"), std::string::npos);
  std::istringstream lines(ftc07.out);
  std::size_t widest = 0;
  for (std::string line; std::getline(lines, line);)
    widest = std::max<std::size_t>(widest, std::count_if(line.begin(), line.end(), [](char c) {
                                     return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                                   }));
  EXPECT_LT(widest, 240u);
}

// The faces' answers (the library's tag query) and the annotations' tags (the side table)
// describe the same relation.
TEST(KROPmiCommand, JsonFacesAgreeWithAnnotationTags) {
  const fs::path out =
      fs::temp_directory_path() / ("kro-pmi-" + std::to_string(::getpid()) + ".json");
  CommandRun run = KroPmi(KROStepData(kCTC04) + " --json '" + out.string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json j = nlohmann::json::parse(KROStepSlurp(out));
  fs::remove(out);
  // The file's 10 dimensions, 8 datum features and 7 tolerances (one OCCT does not transfer),
  // then its 4 text callouts.
  ASSERT_EQ(j["annotations"].size(), 29u);
  EXPECT_EQ(j["annotations"][24]["recovered"], true);
  EXPECT_EQ(j["annotations"][24]["recovery_reason"], "not transferred");
  EXPECT_EQ(j["units"]["pmi"]["name"], "millimetre");
  EXPECT_EQ(j["captures"].size(), 1u);
  for (const auto& view : j["views"]) // annotation planes: nothing of them is recovered
    EXPECT_FALSE(view.contains("recovered"));
  std::set<std::pair<int, int>> fromTags, fromFaces;
  std::set<int> faceTags;
  for (const auto& f : j["faces"]) {
    faceTags.insert(f["tag"].get<int>());
    for (int id : f["annotations"])
      fromFaces.insert({f["tag"].get<int>(), id});
  }
  EXPECT_EQ(faceTags.size(), 484u);
  int id = 0;
  for (const auto& a : j["annotations"]) {
    EXPECT_EQ(a["id"].get<int>(), ++id);
    for (const char* key : {"kind", "type", "super_type", "name", "value", "text", "tags"})
      EXPECT_TRUE(a.contains(key)) << key;
    for (int tag : a["tags"])
      if (faceTags.count(tag)) fromTags.insert({tag, a["id"].get<int>()});
  }
  EXPECT_EQ(fromFaces, fromTags);
  EXPECT_EQ(j["frames"].size(), 5u);
  for (const auto& v : j["views"])
    EXPECT_FALSE(v["annotations"].empty());
}

} // namespace

namespace {

// Through the worker process (the default) and in kro-pmi's own process, the same JSON, whole.
TEST(KROPmiCommand, InProcessAndIsolatedReadsGiveTheSameJson) {
  for (const char* part : {kCTC01, kCTC03, kCTC04, kFTC07}) {
    SCOPED_TRACE(part);
    CommandRun isolated = KroPmi(KROStepData(part) + " --json");
    CommandRun here = KroPmi(KROStepData(part) + " --json --in-process");
    ASSERT_EQ(isolated.status, 0) << isolated.err;
    ASSERT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(nlohmann::json::parse(isolated.out), nlohmann::json::parse(here.out));
  }
}

} // namespace

// Each annotation says what its callouts draw, as the file's own records count it, and where:
// its box lies around the part's box, which each part carries. FTC-07 is an inch part.
TEST(KROPmiCommand, JsonSaysWhatEachAnnotationDrawsAndWhereThePartIs) {
  for (const char* part : {kCTC01, kFTC07}) {
    SCOPED_TRACE(part);
    const fs::path out =
        fs::temp_directory_path() / ("kro-pmi-" + std::to_string(::getpid()) + ".json");
    CommandRun run = KroPmi(KROStepData(part) + " --json '" + out.string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(KROStepSlurp(out));
    fs::remove(out);
    const std::map<int, KROStepFileDrawing> drawings =
        KROStepFileDrawings(KROStepReadFileText(KROStepData(part)));
    ASSERT_TRUE(j["parts"][0].contains("box"));
    const auto& lo = j["parts"][0]["box"]["min"];
    const auto& hi = j["parts"][0]["box"]["max"];
    double size = 0;
    for (int k = 0; k < 3; ++k)
      size +=
          (hi[k].get<double>() - lo[k].get<double>()) * (hi[k].get<double>() - lo[k].get<double>());
    size = std::sqrt(size);
    ASSERT_GT(size, 10) << "millimetres";
    int drawn = 0;
    for (const auto& a : j["annotations"]) {
      const int entity = a["file_entity"].is_null() ? 0 : a["file_entity"].get<int>();
      auto it = drawings.find(entity);
      const bool draws = it != drawings.end() && it->second.curves + it->second.triangles > 0;
      ASSERT_EQ(a.contains("graphic"), draws) << a["pmi"];
      if (!draws) continue;
      ++drawn;
      const auto& g = a["graphic"];
      EXPECT_EQ(g["polylines"], it->second.curves);
      EXPECT_EQ(g["triangles"], it->second.triangles);
      for (int k = 0; k < 3; ++k) {
        EXPECT_LE(g["box"]["min"][k].get<double>(), g["box"]["max"][k].get<double>());
        // Near the part, at its scale: not inches around millimetres.
        EXPECT_GT(g["box"]["min"][k].get<double>(), lo[k].get<double>() - size);
        EXPECT_LT(g["box"]["max"][k].get<double>(), hi[k].get<double>() + size);
      }
    }
    EXPECT_GE(drawn, 20);
  }
}
