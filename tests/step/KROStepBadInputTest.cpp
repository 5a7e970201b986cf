// KROStepBadInputTest.cpp - files the importer cannot or can only partly read: a clear error or
// the model of what could be read, never a crash, a hang or a leak.
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include <BRepPrimAPI_MakeBox.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Writer.hxx>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class KROStepBadInputTest : public KROStepScratchTest {
protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string p = Out(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
};

/// The single error of a failed import, which names the file.
void ExpectError(const KROStepImportResult& r, const std::string& path, const std::string& why) {
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.set);
  ASSERT_GE(r.Count(KROStepMessage::Severity::Error), 1u);
  const std::string& text = r.messages.front().text;
  EXPECT_NE(text.find(path), std::string::npos) << text;
  EXPECT_NE(text.find(why), std::string::npos) << text;
}

TEST_F(KROStepBadInputTest, UnreadableFilesGiveAReason) {
  const std::string missing = (dir_ / "missing.stp").string();
  ExpectError(KROStepImportFile(missing), missing, "No such file");
  ExpectError(KROStepImportFile(dir_.string()), dir_.string(), "directory");
  const std::string empty = Write("empty.stp", "");
  ExpectError(KROStepImportFile(empty), empty, "empty");
  const std::string text = Write("notes.stp", "These are my notes, not a part.\n");
  ExpectError(KROStepImportFile(text), text, "not a STEP file");
  std::string garbage(4096, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
  const std::string binary = Write("garbage.stp", garbage);
  ExpectError(KROStepImportFile(binary), binary, "not a STEP file");
  // A header and nothing after it.
  const std::string header = Write("header.stp", "ISO-10303-21;\nHEADER;\n");
  KROStepImportResult r = KROStepImportFile(header);
  EXPECT_FALSE(r.ok);
  EXPECT_GE(r.Count(KROStepMessage::Severity::Error), 1u);
}

// Cut at any line, a part reads as an error or as a model of what was left; every model that
// comes back still answers its tag queries.
TEST_F(KROStepBadInputTest, APartCutShortNeverBreaksTheImport) {
  const std::string whole = KROStepSlurp(KROStepData(kCTC01));
  std::vector<std::size_t> lineEnds;
  for (std::size_t i = 0; i < whole.size(); ++i)
    if (whole[i] == '\n') lineEnds.push_back(i + 1);
  ASSERT_GT(lineEnds.size(), 100u);
  int models = 0, errors = 0;
  for (int cut = 1; cut < 24; ++cut) {
    const std::size_t end = lineEnds[lineEnds.size() * static_cast<std::size_t>(cut) / 24];
    const std::string path = Write("cut.stp", whole.substr(0, end));
    KROStepImportResult r = KROStepImportFile(path);
    if (!r.ok) {
      ++errors;
      EXPECT_GE(r.Count(KROStepMessage::Severity::Error), 1u);
      continue;
    }
    ++models;
    for (const KROStepTag& t : r.tags)
      KROStepTouching(r, t.tag);
  }
  EXPECT_EQ(models + errors, 23);
}

// A valid STEP file without PMI is a model with its tags and no annotation.
TEST_F(KROStepBadInputTest, AFileWithoutPmiIsAnEmptyModel) {
  const std::string path = (dir_ / "box.stp").string();
  {
    STEPControl_Writer writer;
    writer.Transfer(BRepPrimAPI_MakeBox(10, 20, 30).Shape(), STEPControl_AsIs);
    ASSERT_EQ(writer.Write(path.c_str()), IFSelect_RetDone);
  }
  KROStepImportResult r = KROStepImportFile(path);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.annotations.empty());
  ASSERT_EQ(r.parts.size(), 1u);
  EXPECT_EQ(r.parts[0].faceCount, 6);
  EXPECT_EQ(r.parts[0].edgeCount, 12);
  EXPECT_EQ(r.tags.size(), 18u);
  EXPECT_TRUE(KROStepTouching(r, 1).empty());

  // The same box with a zero direction, which OCCT cannot build: still no crash and no leak.
  std::string text = KROStepSlurp(path);
  const std::size_t at = text.find("DIRECTION('',(0.,0.,1.))");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 24, "DIRECTION('',(0.,0.,0.))");
  const std::string broken = Write("broken.stp", text);
  KROStepImportResult b = KROStepImportFile(broken);
  EXPECT_TRUE(b.ok || b.Count(KROStepMessage::Severity::Error) >= 1);
  EXPECT_EQ(b.ok, static_cast<bool>(b.set));
}

} // namespace
