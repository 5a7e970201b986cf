// KROStepImportTest.cpp - the NIST parts read into light models, checked against OCCT's own
// reading and against the files' text.
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"

#include <Message.hxx>
#include <Message_Messenger.hxx>

#include <algorithm>

namespace {

class KROStepImportTest : public KROTest {};

struct PartCounts {
  const char* file;
  int dimensions, tolerances, datums, captures;
};

// What OCCT 7.6 reads from each part (the file holds more of some; see the README).
const PartCounts kParts[] = {
    // The files' own dimensions, tolerances OCCT transfers, datum features and saved views.
    {kCTC01, 12, 6, 3, 1},
    {kCTC03, 10, 12, 6, 1},
    {kCTC04, 10, 6, 8, 1},
    {kFTC07, 17, 25, 5, 4},
};

/// Annotations of the set whose type maps to `super` (the annotation's own mapping).
int SuperTypeCount(const KROStepImportResult& r, unsigned short super) {
  const list<KROBaseUnknown>* tpss = r.set->GetTPSList();
  int n = 0;
  for (int i = 0; tpss && i < tpss->Size(); ++i) {
    KROComPtr<KROITPSLightModel> tps;
    (*tpss)[i]->QueryInterface(IID_KROITPSLightModel, tps.Put());
    unsigned short s = 0;
    if (tps && SUCCEEDED(tps->GetSuperType(&s)) && s == super) ++n;
  }
  return n;
}

KROComPtr<KROITPSLightModel> Annotation(const KROStepImportResult& r, int id) {
  KROComPtr<KROBaseUnknown> object;
  r.set.As<KROITPSIdBroker>()->GetObjectFromId(id, 1, object.PutTyped());
  return object.As<KROITPSLightModel>();
}

std::u16string Text(const KROComPtr<KROITPSLightModel>& tps) {
  KROWChar* text = nullptr;
  tps->GetAttributes(&text);
  return KROTakeText(text);
}

const KROStepAnnotation* FindByLabel(const KROStepImportResult& r, const std::string& label) {
  for (const KROStepAnnotation& a : r.annotations)
    if (std::find(a.labels.begin(), a.labels.end(), label) != a.labels.end()) return &a;
  return nullptr;
}

TEST_F(KROStepImportTest, CountsPerKindMatchOcctsReading) {
  for (const PartCounts& p : kParts) {
    SCOPED_TRACE(p.file);
    KROStepImportResult r = KROStepImportFile(KROStepData(p.file));
    ASSERT_TRUE(r.ok);
    // What the importer recovered from the file is left out here (see the recovery tests).
    int recoveredTolerances = 0, recoveredCaptures = 0;
    for (const KROStepAnnotation& a : r.annotations)
      recoveredTolerances += a.recovered == "tolerance";
    for (const KROStepCapture& c : r.captures)
      recoveredCaptures += c.recovered;
    EXPECT_EQ(SuperTypeCount(r, KROTPSSuperTypeDimension), p.dimensions);
    EXPECT_EQ(SuperTypeCount(r, KROTPSSuperTypeGeometricTolerance) - recoveredTolerances,
              p.tolerances);
    EXPECT_EQ(SuperTypeCount(r, KROTPSSuperTypeDatum), p.datums);
    list<KROBaseUnknown>* captures = nullptr;
    r.set->GetCaptureList(&captures);
    EXPECT_EQ((captures ? captures->Size() : 0) - recoveredCaptures, p.captures);
    // The side table agrees with the model, id for id.
    const list<KROBaseUnknown>* tpss = r.set->GetTPSList();
    ASSERT_NE(tpss, nullptr);
    ASSERT_EQ(static_cast<std::size_t>(tpss->Size()), r.annotations.size());
    for (std::size_t i = 0; i < r.annotations.size(); ++i)
      EXPECT_EQ(r.annotations[i].id, static_cast<int>(i) + 1);
  }
}

// For every face, the library's tag query answers exactly the PMI that OCCT's own per-face
// lookup relates to it (datum labels once per datum feature).
TEST_F(KROStepImportTest, EveryFaceAnswersWhatOcctRelatesToIt) {
  for (const PartCounts& p : kParts) {
    SCOPED_TRACE(p.file);
    KROStepImportResult r = KROStepImportFile(KROStepData(p.file));
    ASSERT_TRUE(r.ok);
    KROStepOcctFaces truth = KROStepReadOcctFaces(KROStepData(p.file));
    ASSERT_FALSE(truth.faces.empty());
    std::map<std::pair<std::string, int>, int> tagOf;
    for (const KROStepTag& t : r.tags)
      if (t.kind == KROStepTag::Kind::Face)
        tagOf[{r.parts[static_cast<std::size_t>(t.part)].label, t.subIndex}] = t.tag;
    ASSERT_EQ(tagOf.size(), truth.faces.size());
    int histogram[3] = {};
    const KROStepFileText file = KROStepReadFileText(KROStepData(p.file));
    std::map<int, std::set<int>> itemsOf;
    int fromFile = 0;
    for (const auto& face : truth.faces) {
      ASSERT_NE(face.entity, 0);
      const int tag = tagOf.at({face.partLabel, face.index});
      std::set<int> expected = KROStepIdsOfLabels(r, face.labels);
      // What the file ties to the face answers too (OCCT relates no face to some datum
      // features and to what it does not transfer): each such relation is one the file's own
      // records state.
      for (const KROStepAnnotation& a : r.annotations) {
        if (a.fileEntity == 0 || expected.count(a.id) ||
            !std::binary_search(a.tags.begin(), a.tags.end(), tag))
          continue;
        expected.insert(a.id);
        auto known = itemsOf.find(a.fileEntity);
        if (known == itemsOf.end())
          known = itemsOf.emplace(a.fileEntity, KROStepFileItemsOf(file, a.fileEntity)).first;
        EXPECT_TRUE(known->second.count(face.entity) || known->second.count(0))
            << "#" << a.fileEntity << " on face #" << face.entity;
        ++fromFile;
      }
      // Each OCCT label is an annotation, or a label-only object OCCT made of a callout's text,
      // which the importer reports leaving out.
      for (const std::string& l : face.labels) {
        if (FindByLabel(r, l)) continue;
        const bool reported = std::any_of(r.messages.begin(), r.messages.end(), [&](const auto& m) {
          return m.text.find("label-only object " + l + " ") != std::string::npos;
        });
        EXPECT_TRUE(reported) << "label " << l << " has no annotation";
      }
      EXPECT_EQ(KROStepTouching(r, tag), expected) << "face tag " << tag;
      // Asked again, the cached answer is the same.
      EXPECT_EQ(KROStepTouching(r, tag), expected) << "face tag " << tag << ", cached";
      if (expected.size() < 3) ++histogram[expected.size()];
    }
    EXPECT_GT(fromFile, 0); // every bundled part has relations OCCT's document lacks
    if (std::string(p.file) == kCTC01) {
      EXPECT_EQ(histogram[1], 21);
      EXPECT_EQ(histogram[2], 5); // datums B and C now on their faces: more faces answer three
    }
  }
}

// Values as the files write them.
TEST_F(KROStepImportTest, ValuesAndTextsFollowTheFile) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  // #120=DIMENSIONAL_SIZE(#219,'diameter') with 35 and -0.2 / 0 deviations.
  const KROStepAnnotation* diameter = FindByLabel(r, "0:1:4:21");
  ASSERT_NE(diameter, nullptr);
  auto tps = Annotation(r, diameter->id);
  double value = 0;
  tps->GetValue(&value);
  EXPECT_DOUBLE_EQ(value, 35.0);
  // The drawing's notation: an unsigned zero deviation above the lower one.
  EXPECT_EQ(Text(tps), u"⌀35  0\n     -0.2");
  unsigned short type = 0;
  tps.As<KROITPSLight>()->GetType(&type);
  EXPECT_EQ(type, KROStepTypeDiameter);
  // #33=ANGULAR_LOCATION('angle',...) with ±0.5 degrees.
  auto angle = Annotation(r, FindByLabel(r, "0:1:4:17")->id);
  EXPECT_EQ(Text(angle), u"60° ± 0.5°");

  KROStepImportResult r4 = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_TRUE(r4.ok);
  bool sawPosition = false;
  for (const KROStepAnnotation& a : r4.annotations) {
    auto t = Annotation(r4, a.id);
    const std::u16string text = Text(t);
    // No ':' unless annotation ids follow, which the importer never writes.
    EXPECT_EQ(text.find(u':'), std::u16string::npos) << a.id;
    if (text == u"⌖ | ⌀0.35 | A | B | C") {
      sawPosition = true;
      t->GetValue(&value);
      EXPECT_DOUBLE_EQ(value, 0.35);
    }
  }
  EXPECT_TRUE(sawPosition);
}

// Each tolerance's frame resolves through the broker to the frame of its ordered datum system.
TEST_F(KROStepImportTest, TolerancesResolveToTheFrameOfTheirDatumSystem) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_TRUE(r.ok);
  int withFrame = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    if (a.kind != KROStepAnnotation::Kind::Tolerance) continue;
    auto tps = Annotation(r, a.id);
    KROComPtr<KROBaseUnknown> frameObject;
    if (FAILED(tps->GetReferenceFrame(frameObject.PutTyped()))) continue;
    ++withFrame;
    auto frame = frameObject.As<KROITPSLightRefFrame>();
    ASSERT_TRUE(frame);
    KROWChar* attributes = nullptr;
    frame->GetAttributes(&attributes);
    const std::u16string frameText = KROTakeText(attributes);
    // The tolerance's text ends in the same datum system.
    std::u16string system = frameText;
    for (std::size_t at; (at = system.find(u"|")) != std::u16string::npos;)
      system.replace(at, 1, u" # ");
    std::u16string tolText = Text(tps);
    for (std::size_t at; (at = tolText.find(u" | ")) != std::u16string::npos;)
      tolText.replace(at, 3, u" # ");
    // (before a datum feature symbol or the composite mark on the lines below it)
    EXPECT_NE(tolText.find(system), std::u16string::npos) << a.id;
    // Its datums are the datum-feature annotations, in the system's order.
    list<KROBaseUnknown>* datums = nullptr;
    ASSERT_TRUE(SUCCEEDED(frame->GetAllDatumsSimple(&datums)));
    std::u16string letters;
    for (int i = 0; i < datums->Size(); ++i) {
      KROComPtr<KROITPSLightModel> datum;
      (*datums)[i]->QueryInterface(IID_KROITPSLightModel, datum.Put());
      ASSERT_TRUE(datum);
      // A datum feature's text ends in its letter in the feature symbol: "…[X]".
      const std::u16string symbol = Text(datum);
      const std::size_t open = symbol.rfind(u'[');
      ASSERT_NE(open, std::u16string::npos) << "datum text " << KROStepUtf8(symbol);
      letters += (letters.empty() ? u"" : u"|") + symbol.substr(open + 1, symbol.size() - open - 2);
    }
    EXPECT_EQ(letters, frameText);
  }
  EXPECT_EQ(withFrame, 7); // six OCCT read, and Position.3 (#18891, A|B|C) recovered from the file
  list<KROBaseUnknown>* frames = nullptr;
  r.set->GetRefFrameList(&frames);
  ASSERT_NE(frames, nullptr);
  EXPECT_EQ(frames->Size(), 5); // A|B|C, D|E|F, D|E, D|G|H, D
}

// Annotations on one plane share a view; each view's list and each annotation's link agree.
TEST_F(KROStepImportTest, ViewsGatherTheAnnotationsOfOnePlane) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  list<KROBaseUnknown>* views = nullptr;
  r.set->GetViewList(&views);
  ASSERT_NE(views, nullptr);
  int listed = 0;
  for (int v = 0; v < views->Size(); ++v) {
    KROComPtr<KROITPSLightView> view;
    (*views)[v]->QueryInterface(IID_KROITPSLightView, view.Put());
    double x[3], y[3];
    view->GetFirstPlaneDirect(&x[0], &x[1], &x[2]);
    view->GetSecondPlaneDirect(&y[0], &y[1], &y[2]);
    EXPECT_NEAR(x[0] * y[0] + x[1] * y[1] + x[2] * y[2], 0.0, 1e-9);
    list<KROBaseUnknown>* tpss = view->GetTPSList();
    ASSERT_NE(tpss, nullptr);
    for (int i = 0; i < tpss->Size(); ++i, ++listed) {
      KROComPtr<KROITPSLightModel> tps;
      (*tpss)[i]->QueryInterface(IID_KROITPSLightModel, tps.Put());
      KROComPtr<KROITPSLightView> linked;
      ASSERT_TRUE(SUCCEEDED(tps->GetLightView(linked.PutTyped())));
      EXPECT_TRUE(KROComCmp(linked.Get(), view.Get()));
    }
  }
  // CTC-01: every annotation; the two linear distances and two diameters OCCT reads without a
  // plane, and the two notes it does not read, take their callouts' planes from the file.
  EXPECT_EQ(listed, 23);
}

TEST_F(KROStepImportTest, SavedViewBecomesACaptureWithItsCamera) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  list<KROBaseUnknown>* captures = nullptr;
  r.set->GetCaptureList(&captures);
  ASSERT_NE(captures, nullptr);
  ASSERT_EQ(captures->Size(), 1);
  KROComPtr<KROITPSLightCapture> capture;
  (*captures)[0]->QueryInterface(IID_KROITPSLightCapture, capture.Put());
  double o[3], d[3], z[3], t[3];
  capture->GetOrigin(&o[0], &o[1], &o[2]);
  capture->GetDirection(&d[0], &d[1], &d[2]);
  capture->GetZenith(&z[0], &z[1], &z[2]);
  capture->GetTarget(&t[0], &t[1], &t[2]);
  // The saved view MBD_0 as OCCT reads it.
  EXPECT_NEAR(d[0], -0.588013, 1e-6);
  EXPECT_NEAR(d[1], 0.566487, 1e-6);
  EXPECT_NEAR(d[2], -0.57735, 1e-6);
  EXPECT_NEAR(z[2], 0.816497, 1e-6);
  // The target lies on the view line.
  for (int i = 0; i < 3; ++i) {
    const double along = (t[0] - o[0]) * d[0] + (t[1] - o[1]) * d[1] + (t[2] - o[2]) * d[2];
    EXPECT_NEAR(t[i], o[i] + d[i] * along, 1e-9);
  }
  KROWChar* name = nullptr;
  capture.As<KROITPSLight>()->GetName(&name);
  EXPECT_EQ(KROTakeText(name), u"MBD_0");
  list<KROBaseUnknown>* shown = nullptr;
  ASSERT_TRUE(SUCCEEDED(capture->GetTPSs(&shown)));
  // OCCT's 21 presentation references name 12 dimensions, 6 tolerances and datum A's labels.
  EXPECT_GT(shown->Size(), 0);
  std::set<KROBaseUnknown*> distinct;
  for (int i = 0; i < shown->Size(); ++i)
    distinct.insert((*shown)[i]);
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(shown->Size()));
  list<KROBaseUnknown>* views = nullptr;
  ASSERT_TRUE(SUCCEEDED(capture->GetTPSViews(&views)));
  EXPECT_GT(views->Size(), 0);
}

// Tags are dense, invertible and the same on every run; the TTRS paths lead with the part.
TEST_F(KROStepImportTest, TagsAreStableAndInvertible) {
  KROStepImportResult a = KROStepImportFile(KROStepData(kCTC04));
  KROStepImportResult b = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_TRUE(a.ok && b.ok);
  ASSERT_EQ(a.tags.size(), b.tags.size());
  for (std::size_t i = 0; i < a.tags.size(); ++i) {
    EXPECT_EQ(a.tags[i].tag, static_cast<int>(i) + 1);
    EXPECT_EQ(a.FindTag(a.tags[i].tag), &a.tags[i]);
    EXPECT_EQ(a.tags[i].part, b.tags[i].part);
    EXPECT_EQ(a.tags[i].subIndex, b.tags[i].subIndex);
    EXPECT_EQ(a.tags[i].subShapeLabel, b.tags[i].subShapeLabel);
  }
  EXPECT_EQ(a.FindTag(0), nullptr);
  EXPECT_EQ(a.FindTag(static_cast<int>(a.tags.size()) + 1), nullptr);
  for (std::size_t i = 0; i < a.annotations.size(); ++i)
    EXPECT_EQ(a.annotations[i].tags, b.annotations[i].tags);

  list<KROBaseUnknown>* ttrsList = nullptr;
  a.set->GetTTRSList(&ttrsList);
  ASSERT_NE(ttrsList, nullptr);
  std::set<int> indexes;
  for (int i = 0; i < ttrsList->Size(); ++i) {
    KROComPtr<KROITPSLightTTRS> ttrs;
    (*ttrsList)[i]->QueryInterface(IID_KROITPSLightTTRS, ttrs.Put());
    int index = 0;
    ttrs.As<KROITPSLight>()->GetIndex(&index);
    EXPECT_TRUE(indexes.insert(index).second) << "index " << index << " twice";
    KRORawCollPV paths;
    ttrs->GetGeomPathId(&paths);
    ASSERT_GT(paths.Size(), 0);
    for (int p = 1; p <= paths.Size(); ++p) {
      auto* path = static_cast<KRORawCollint*>(paths[p]);
      ASSERT_EQ(path->Size(), 2);
      const KROStepTag* tag = a.FindTag((*path)[2]);
      ASSERT_NE(tag, nullptr);
      EXPECT_EQ((*path)[1], tag->part + 1);
    }
  }
}

// OCCT's console output goes to the result while an import runs; the messenger is then restored.
TEST_F(KROStepImportTest, MessengerIsRestoredAfterAnImport) {
  Handle(Message_Messenger) messenger = Message::DefaultMessenger();
  std::vector<Handle(Message_Printer)> before;
  for (const Handle(Message_Printer) & p : messenger->Printers())
    before.push_back(p);
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  EXPECT_TRUE(r.ok);
  std::vector<Handle(Message_Printer)> after;
  for (const Handle(Message_Printer) & p : messenger->Printers())
    after.push_back(p);
  EXPECT_EQ(after, before);
}

// One read builds any number of independent models.
TEST_F(KROStepImportTest, OneReadBuildsIndependentModels) {
  std::vector<KROStepMessage> messages;
  auto doc = KROStepDocument::Read(KROStepData(kCTC01), messages);
  ASSERT_TRUE(doc);
  KROStepImportResult first = doc->Build();
  KROStepImportResult second = doc->Build();
  ASSERT_TRUE(first.ok && second.ok);
  EXPECT_NE(first.set.Get(), second.set.Get());
  EXPECT_EQ(first.annotations.size(), second.annotations.size());
  EXPECT_GT(first.readSeconds, 0.0);
  first.set.Reset();
  EXPECT_EQ(KROStepTouching(second, second.annotations.front().tags.front()).count(1), 1u);
}

} // namespace
