// KROStepPicturesTest.cpp - pictures of imported parts, read back: kro-pmi's SVG and PNG, and
// the capture thumbnails a host draws for an import (the 3D page: KROPmiPageTest.cpp and
// apps/kro-pmi/page/test/page-test.mjs).
#include "KROStepTestSupport.h"
#include "KROTestSupport.h"

#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightView.h"
#include "KROStepRenderScene.h"

#include "render/KROPictureTestSupport.h"

#include <BRepPrimAPI_MakeBox.hxx>
#include <STEPControl_Writer.hxx>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

namespace fs = std::filesystem;

/// Runs a command line; its exit status, stdout in `out`, stderr in `err`.
int RunCommand(const std::string& command, std::string* out = nullptr, std::string* err = nullptr) {
  const fs::path o = fs::path(::testing::TempDir()) / ("kro-run-out-" + std::to_string(::getpid()));
  const fs::path e = fs::path(::testing::TempDir()) / ("kro-run-err-" + std::to_string(::getpid()));
  const int raw = std::system((command + " >'" + o.string() + "' 2>'" + e.string() + "'").c_str());
  if (out) *out = KROStepSlurp(o);
  if (err) *err = KROStepSlurp(e);
  fs::remove(o);
  fs::remove(e);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int KroPmi(const std::string& args, std::string* err = nullptr) {
  return RunCommand(std::string("'") + KRO_PMI_PATH + "' " + args, nullptr, err);
}

/// Curves the file's callouts draw for the annotation, counted from the file's text.
int FileCurves(const std::map<int, KROStepFileDrawing>& drawings, const KROStepAnnotation& a) {
  auto it = drawings.find(a.fileEntity);
  return it == drawings.end() ? 0 : it->second.curves;
}

class KROStepPicturesTest : public KROStepScratchTest {};

} // namespace

TEST_F(KROStepPicturesTest, TheSvgHoldsOnePathPerPresentationCurve) {
  const std::map<int, KROStepFileDrawing> curves =
      KROStepFileDrawings(KROStepReadFileText(KROStepData(kCTC04)));
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC04));
  ASSERT_TRUE(r.ok);
  // Without graphic an annotation is a marker: at its plane's origin, else on its faces.
  int expected = 0, markers = 0;
  for (const KROStepAnnotation& a : r.annotations) {
    const int n = FileCurves(curves, a);
    expected += n;
    KROComPtr<KROBaseUnknown> object;
    r.set.As<KROITPSIdBroker>()->GetObjectFromId(a.id, 1, object.PutTyped());
    KROComPtr<KROITPSLightView> view;
    object.As<KROITPSLightModel>()->GetLightView(view.PutTyped());
    markers += n == 0 && (view || !a.tags.empty()) ? 1 : 0;
  }
  ASSERT_GT(expected, 100);

  ASSERT_EQ(KroPmi(KROStepData(kCTC04) + " --svg '" + Out("part.svg") + "'"), 0);
  const std::string svg = KROStepSlurp(Out("part.svg"));
  ASSERT_TRUE(KROWellFormed(svg));
  const KROSvgPaths p = KROPathsOf(svg);
  EXPECT_EQ(p.stroked, 1 + expected + markers) << "the edges, each curve, each marker";
  EXPECT_EQ(p.filled, 0) << "no face is shaded unless asked";

  // --face shades that face and keeps only the annotations the tag query answers for it.
  const KROStepAnnotation* onFace = nullptr;
  for (const KROStepAnnotation& a : r.annotations)
    if (FileCurves(curves, a) > 0 && !a.tags.empty() &&
        r.FindTag(a.tags.front())->kind == KROStepTag::Kind::Face)
      onFace = onFace ? onFace : &a;
  ASSERT_NE(onFace, nullptr);
  const int face = onFace->tags.front();
  int touching = 0;
  for (int id : KROStepTouching(r, face)) {
    const int n = FileCurves(curves, r.annotations[static_cast<std::size_t>(id - 1)]);
    touching += n > 0 ? n : 1;
  }
  ASSERT_EQ(KroPmi(KROStepData(kCTC04) + " --face " + std::to_string(face) + " --svg '" +
                   Out("face.svg") + "'"),
            0);
  const KROSvgPaths f = KROPathsOf(KROStepSlurp(Out("face.svg")));
  EXPECT_EQ(f.stroked, 1 + touching);
  EXPECT_GT(f.filled, 0);
}

TEST_F(KROStepPicturesTest, ThePngHasItsSizeAndThePartInsideItsProjectedBox) {
  ASSERT_EQ(KroPmi(KROStepData(kCTC01) + " --size 320x240 --png '" + Out("part.png") + "'"), 0);
  const KROTestImage image = KRODecodePng(KROStepSlurp(Out("part.png")));
  ASSERT_EQ(image.width, 320);
  ASSERT_EQ(image.height, 240);
  // Where the part lands, worked out from the same scene and camera.
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  KRORenderOptions options;
  options.width = 320;
  options.height = 240;
  const KRORenderScene scene = KROStepRenderScene(r);
  KRORenderOutput same;
  ASSERT_TRUE(KRORenderPNG(scene, options, same));
  EXPECT_TRUE(same.bytes == KROStepSlurp(Out("part.png"))) << "kro-pmi draws the same scene";
  // The callouts stand around the part: without them, the ink is the part's, inside its box.
  options.onlyAnnotations = std::set<int>();
  KRORenderOutput bare;
  ASSERT_TRUE(KRORenderPNG(scene, options, bare));
  const KROTestImage part = KRODecodePng(bare.bytes);
  const auto& box = bare.partBox;
  int inside = 0, outside = 0;
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x)
      if (part.Ink(x, y))
        (x >= box[0] - 2 && x <= box[2] + 2 && y >= box[1] - 2 && y <= box[3] + 2 ? inside
                                                                                  : outside)++;
  EXPECT_GT(inside, 2000);
  EXPECT_LT(outside, inside / 50) << "ink far from the part";
}

// An inch part: its graphic PMI stands where its faces stand, at the part's scale, not at the
// file's unit (OCCT 7.6 leaves presentations and planes in inches while the shapes are in mm).
TEST_F(KROStepPicturesTest, GraphicPmiSharesThePartsUnit) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kFTC07));
  ASSERT_TRUE(r.ok);
  const KRORenderScene scene = KROStepRenderScene(r);
  auto diagonal = [](const auto& add) {
    std::array<double, 3> lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    add([&](const KRORenderVec& p) {
      for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], p[i]);
        hi[i] = std::max(hi[i], p[i]);
      }
    });
    return std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
  };
  const double part = diagonal([&](const auto& take) {
    for (const KRORenderShape& f : scene.faces)
      for (const KRORenderVec& p : f.points)
        take(p);
  });
  int planes = 0;
  const double pmi = diagonal([&](const auto& take) {
    for (const KRORenderAnnotation& a : scene.annotations) {
      for (const auto& line : a.lines)
        for (const KRORenderVec& p : line)
          take(p);
      if (a.marker && a.normal) {
        take(*a.marker);
        ++planes;
      }
    }
  });
  ASSERT_GT(part, 0);
  ASSERT_GT(planes, 0);
  // In inches it spans about a twenty-fifth of the part; in millimetres, as much as the part.
  EXPECT_GT(pmi, 0.5 * part) << "graphic PMI spans " << pmi << ", the part " << part;
  EXPECT_LT(pmi, 4 * part);
}

// A picture through a saved view shows that view's callouts only: FTC-07's four saved views each
// show a part of its 59 annotations.
TEST_F(KROStepPicturesTest, APictureThroughASavedViewShowsItsCalloutsOnly) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kFTC07));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.captures.size(), 4u);
  const KRORenderScene scene = KROStepRenderScene(r);
  for (const KROStepCapture& c : r.captures) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(KroPmi(KROStepData(kFTC07) + " --capture " + std::to_string(c.index) + " --svg '" +
                     Out("view.svg") + "'"),
              0);
    list<KROBaseUnknown>* captures = nullptr;
    r.set->GetCaptureList(&captures);
    KROComPtr<KROITPSLightCapture> capture;
    ASSERT_EQ(captures->At(c.index - 1)->QueryInterface(IID_KROITPSLightCapture, capture.Put()),
              S_OK);
    KRORenderOptions options;
    options.camera = KRORenderCameraOf(capture.Get());
    options.onlyAnnotations = std::set<int>(c.annotations.begin(), c.annotations.end());
    KRORenderOutput view;
    ASSERT_TRUE(KRORenderSVG(scene, options, view));
    // The same paths as the API draws for that camera and those annotations (cairo numbers its
    // surfaces per process, so the bytes differ there).
    const KROSvgPaths mine = KROPathsOf(view.bytes),
                      pmi = KROPathsOf(KROStepSlurp(Out("view.svg")));
    EXPECT_EQ(pmi.stroked, mine.stroked);
    EXPECT_EQ(pmi.filled, mine.filled);
    std::set<int> drawn;
    for (const KRORenderItem& item : view.items)
      if (item.kind == KRORenderItem::Kind::Annotation || item.kind == KRORenderItem::Kind::Marker)
        drawn.insert(item.id);
    EXPECT_FALSE(drawn.empty());
    EXPECT_LT(drawn.size(), r.annotations.size());
    for (int id : drawn)
      EXPECT_TRUE(std::count(c.annotations.begin(), c.annotations.end(), id)) << id;
  }
}

TEST_F(KROStepPicturesTest, CapturesGetThumbnailsThroughTheirOwnCamera) {
  KROStepImportResult r = KROStepImportFile(KROStepData(kCTC01));
  ASSERT_TRUE(r.ok);
  list<KROBaseUnknown>* captures = nullptr;
  r.set->GetCaptureList(&captures);
  ASSERT_EQ(captures->Size(), 1);
  KROComPtr<KROITPSLightCapture> capture;
  ASSERT_EQ(captures->At(0)->QueryInterface(IID_KROITPSLightCapture, capture.Put()), S_OK);
  _SEQUENCE_octet thumbnail;
  // The import draws nothing; the host asks for thumbnails.
  ASSERT_EQ(capture->GetThumbnailData(thumbnail), S_OK);
  EXPECT_EQ(thumbnail.length(), 0);
  ASSERT_EQ(KROStepDrawThumbnails(r), 1);
  ASSERT_EQ(capture->GetThumbnailData(thumbnail), S_OK);
  const std::string png(reinterpret_cast<const char*>(thumbnail.data()),
                        static_cast<std::size_t>(thumbnail.length()));
  const KROTestImage image = KRODecodePng(png);
  ASSERT_EQ(image.width, 256);
  ASSERT_EQ(image.height, 256);

  KRORenderOptions options;
  options.width = options.height = 256;
  options.camera = KRORenderCameraOf(capture.Get());
  KRORenderOutput own, fallback;
  ASSERT_TRUE(KRORenderPNG(KROStepRenderScene(r), options, own));
  EXPECT_TRUE(own.bytes == png) << "not drawn through the capture's camera";
  options.camera.reset();
  ASSERT_TRUE(KRORenderPNG(KROStepRenderScene(r), options, fallback));
  EXPECT_FALSE(fallback.bytes == png);

  // A point on the capture's line of sight lands on one pixel wherever it is along it; the
  // zenith points up the picture.
  options.camera = KRORenderCameraOf(capture.Get());
  const KRORenderProjection projection(KROStepRenderScene(r), options);
  const KRORenderCamera& c = *options.camera;
  auto along = [&](double t) {
    return projection.Project({c.origin[0] + t * c.direction[0], c.origin[1] + t * c.direction[1],
                               c.origin[2] + t * c.direction[2]});
  };
  EXPECT_NEAR(along(0)[0], along(500)[0], 1e-6);
  EXPECT_NEAR(along(0)[1], along(500)[1], 1e-6);
  EXPECT_LT(along(0)[2], along(500)[2]);
  const KRORenderVec up = projection.Project(
      {c.origin[0] + c.zenith[0], c.origin[1] + c.zenith[1], c.origin[2] + c.zenith[2]});
  EXPECT_LT(up[1], along(0)[1]);
  EXPECT_NEAR(up[0], along(0)[0], 1e-6);
}

TEST_F(KROStepPicturesTest, BadOutputsAndCapturesFailCleanly) {
  std::string err;
  const std::string stp = KROStepData(kCTC01);
  for (const std::string& args :
       {"--svg '" + Out("missing/dir/part.svg") + "'", "--png '" + dir_.string() + "'",
        "--html '" + Out("missing/page.html") + "'", "--save '" + Out("missing/doc.krod") + "'",
        "--capture no-such-view --svg '" + Out("a.svg") + "'",
        "--capture 2 --svg '" + Out("a.svg") + "'",
        "--reps '" + stp + "' --svg '" + Out("a.svg") + "'"}) {
    EXPECT_EQ(KroPmi(stp + " " + args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(err.rfind("kro-pmi: ", 0), 0u) << err;
  }
  EXPECT_EQ(KroPmi(stp + " --size 0x10 --png '" + Out("a.png") + "'"), 1);
  EXPECT_EQ(KroPmi(stp + " --size big --png '" + Out("a.png") + "'"), 1);
  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(dir_))
    left.push_back(e.path().string());
  EXPECT_TRUE(left.empty()) << "a failed write left " << left.front();

  // What --save writes, kro-pmi reads back and draws the same picture from.
  ASSERT_EQ(KroPmi(stp + " --save '" + Out("doc.krod") + "' --svg '" + Out("a.svg") + "'"), 0);
  ASSERT_EQ(KroPmi(stp + " --reps '" + Out("doc.krod") + "' --svg '" + Out("b.svg") + "'"), 0);
  EXPECT_EQ(KROStepSlurp(Out("a.svg")), KROStepSlurp(Out("b.svg")));
}

TEST_F(KROStepPicturesTest, APartWithoutPmiStillDraws) {
  const std::string box = Out("box.stp");
  {
    STEPControl_Writer writer;
    writer.Transfer(BRepPrimAPI_MakeBox(10, 20, 30).Shape(), STEPControl_AsIs);
    ASSERT_EQ(writer.Write(box.c_str()), IFSelect_RetDone);
  }
  ASSERT_EQ(KroPmi("'" + box + "' --svg '" + Out("box.svg") + "' --html '" + Out("box.html") +
                   "' --face 1 --png '" + Out("box.png") + "'"),
            0);
  const std::string svg = KROStepSlurp(Out("box.svg"));
  EXPECT_TRUE(KROWellFormed(svg));
  const KROSvgPaths p = KROPathsOf(svg);
  EXPECT_EQ(p.stroked, 1) << "the edges, no annotation";
  EXPECT_GT(p.filled, 0) << "face 1 shaded";
  EXPECT_NE(KROStepSlurp(Out("box.html")).find("\"annotations\":[]"), std::string::npos);
  EXPECT_EQ(KRODecodePng(KROStepSlurp(Out("box.png"))).width, 800);
}
