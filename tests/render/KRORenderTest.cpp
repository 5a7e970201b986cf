// The renderer: where points land, what the pictures hold when read back, and what it takes from
// a light model.
#include "KRORender.h"
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightView.h"
#include "KROPolylineRep.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightTypeCodes.h"
#include "KROTestSupport.h"
#include "KROTriangleRep.h"

#include "KROPictureTestSupport.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

/// A 10 x 5 x 2 box: 12 triangles wound outwards, its 12 edges.
KRORenderScene Box() {
  const KRORenderVec c[8] = {{0, 0, 0}, {10, 0, 0}, {10, 5, 0}, {0, 5, 0},
                             {0, 0, 2}, {10, 0, 2}, {10, 5, 2}, {0, 5, 2}};
  const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                           {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  KRORenderScene s;
  for (int f = 0; f < 6; ++f) {
    const int* q = quads[f];
    s.faces.push_back({f + 1, {c[q[0]], c[q[1]], c[q[2]], c[q[0]], c[q[2]], c[q[3]]}});
  }
  const int edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                            {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (int e = 0; e < 12; ++e)
    s.edges.push_back({7 + e, {c[edges[e][0]], c[edges[e][1]]}});
  return s;
}

KRORenderCamera TopView() { return {{5, 2.5, 100}, {0, 0, -1}, {0, 1, 0}}; }

using KRORenderTriangle = std::array<KRORenderVec, 3>;

/// An annotation drawn by its filled triangles alone.
KRORenderAnnotation Filled(int id, KRORenderAnnotation::Kind kind,
                           std::vector<KRORenderTriangle> triangles) {
  KRORenderAnnotation a;
  a.id = id;
  a.kind = kind;
  a.triangles = std::move(triangles);
  return a;
}

/// True when the pixel is the colour (0..1 channels), within the rounding of 8-bit channels.
bool PixelIs(const KROTestImage& image, int x, int y, double r, double g, double b) {
  const std::uint32_t p = image.pixels[std::size_t(y * image.width + x)];
  const double got[3] = {double((p >> 16) & 0xFF), double((p >> 8) & 0xFF), double(p & 0xFF)};
  const double want[3] = {255 * r, 255 * g, 255 * b};
  for (int c = 0; c < 3; ++c)
    if (std::fabs(got[c] - want[c]) > 1.5) return false;
  return true;
}

class KRORenderTest : public KROTest {};

} // namespace

TEST_F(KRORenderTest, ACameraPutsKnownPointsWhereItLooks) {
  KRORenderOptions options;
  options.width = 200;
  options.height = 100;
  options.camera = TopView(); // looking down z, y up: x to the right, y up the picture
  const KRORenderProjection p(Box(), options);
  // The box spans 10 x 5: fitted inside a margin of 5 pixels, 18 pixels a unit.
  EXPECT_NEAR(p.Project({0, 0, 0})[0], 10, 1e-9);
  EXPECT_NEAR(p.Project({0, 0, 0})[1], 95, 1e-9);
  EXPECT_NEAR(p.Project({10, 5, 2})[0], 190, 1e-9);
  EXPECT_NEAR(p.Project({10, 5, 2})[1], 5, 1e-9);
  EXPECT_LT(p.Project({0, 0, 2})[2], p.Project({0, 0, 0})[2]) << "the top is nearer";

  // Seen from +x with z up, model y runs to the right of the picture, z up it.
  options.camera = KRORenderCamera{{100, 0, 0}, {-1, 0, 0}, {0, 0, 1}};
  const KRORenderProjection side(Box(), options);
  EXPECT_LT(side.Project({0, 0, 0})[0], side.Project({0, 5, 0})[0]);
  EXPECT_GT(side.Project({0, 0, 0})[1], side.Project({0, 0, 2})[1]);

  // The same point, drawn as a marker, is inked there in the PNG.
  KRORenderScene scene = Box();
  scene.faces.clear();
  scene.edges.clear();
  scene.annotations.push_back({1,
                               KRORenderAnnotation::Kind::Datum,
                               {},
                               {},
                               KRORenderVec{10, 5, 2},
                               {},
                               std::nullopt,
                               std::nullopt});
  scene.annotations.push_back({2,
                               KRORenderAnnotation::Kind::Datum,
                               {},
                               {},
                               KRORenderVec{0, 0, 0},
                               {},
                               std::nullopt,
                               std::nullopt});
  options.camera = TopView();
  KRORenderOutput png;
  ASSERT_TRUE(KRORenderPNG(scene, options, png)) << png.error;
  const KROTestImage image = KRODecodePng(png.bytes);
  EXPECT_TRUE(image.Ink(190, 5));
  EXPECT_TRUE(image.Ink(10, 95));
  EXPECT_FALSE(image.Ink(100, 50));
}

TEST_F(KRORenderTest, UnusableCamerasFallBackToTheDefaultWithAWarning) {
  KRORenderOptions fallback;
  KRORenderOutput expected;
  ASSERT_TRUE(KRORenderPNG(Box(), fallback, expected));
  EXPECT_TRUE(expected.warnings.empty());
  for (const KRORenderCamera& bad : {KRORenderCamera{{0, 0, 0}, {0, 0, 0}, {0, 0, 1}},
                                     KRORenderCamera{{0, 0, 0}, {1, 1, 1}, {0, 0, 0}},
                                     KRORenderCamera{{0, 0, 0}, {0, 0, -2}, {0, 0, 1}},
                                     KRORenderCamera{{0, 0, 0}, {std::nan(""), 0, 0}, {0, 0, 1}}}) {
    KRORenderOptions options;
    options.camera = bad;
    KRORenderOutput out;
    ASSERT_TRUE(KRORenderPNG(Box(), options, out));
    EXPECT_EQ(out.warnings.size(), 1u);
    EXPECT_TRUE(out.bytes == expected.bytes) << "not the default camera's picture";
  }
}

// The default view is the isometric one from which annotation planes show their front, so
// that their text is not mirrored; without planes it is the plain isometric view.
TEST_F(KRORenderTest, TheDefaultCameraSeesAnnotationPlanesFromTheFront) {
  KRORenderScene scene = Box();
  scene.annotations.push_back({1,
                               KRORenderAnnotation::Kind::Dimension,
                               {},
                               {},
                               KRORenderVec{5, 2, 2},
                               {},
                               std::nullopt,
                               std::nullopt});
  const KRORenderCamera plain = KRORenderProjection::Isometric();
  EXPECT_EQ(KRORenderProjection::DefaultCamera(scene).direction, plain.direction);
  for (const KRORenderVec& normal :
       {KRORenderVec{0, 0, -1}, KRORenderVec{1, 1, 0}, KRORenderVec{-2, 0, 0.5}}) {
    // Text standing along x in a plane of that normal.
    const KRORenderVec up = normal[2] != 0 ? KRORenderVec{1, 0, 0} : KRORenderVec{0, 0, 1};
    for (KRORenderAnnotation& a : scene.annotations) {
      a.normal = normal;
      a.up = up;
    }
    const KRORenderCamera c = KRORenderProjection::DefaultCamera(scene);
    // Up in the picture is the text's up, seen across the view.
    EXPECT_GT(c.zenith[0] * up[0] + c.zenith[1] * up[1] + c.zenith[2] * up[2], 0);
    EXPECT_NEAR(c.zenith[0] * c.direction[0] + c.zenith[1] * c.direction[1] +
                    c.zenith[2] * c.direction[2],
                0, 1e-9);
    EXPECT_LT(c.direction[0] * normal[0] + c.direction[1] * normal[1] + c.direction[2] * normal[2],
              0)
        << "looks at the back of the plane (" << normal[0] << ", " << normal[1] << ", " << normal[2]
        << ")";
    EXPECT_TRUE(KRORenderProjection::Usable(c));
    // Unset, the options' camera is that one.
    KRORenderOptions chosen;
    chosen.camera = c;
    KRORenderOutput byDefault, byHand;
    ASSERT_TRUE(KRORenderPNG(scene, KRORenderOptions(), byDefault));
    ASSERT_TRUE(KRORenderPNG(scene, chosen, byHand));
    EXPECT_TRUE(byDefault.bytes == byHand.bytes);
  }
}

TEST_F(KRORenderTest, PicturesHoldWhatWasDrawnAndNothingElse) {
  KRORenderScene scene = Box();
  scene.annotations.push_back({1,
                               KRORenderAnnotation::Kind::Dimension,
                               {{{0, -1, 0}, {10, -1, 0}}, {{0, -1, 0}, {0, -2, 0}}},
                               {},
                               std::nullopt,
                               {1},
                               std::nullopt,
                               std::nullopt});
  scene.annotations.push_back({2,
                               KRORenderAnnotation::Kind::Tolerance,
                               {},
                               {},
                               KRORenderVec{5, 2, 2},
                               {2},
                               std::nullopt,
                               std::nullopt});
  scene.annotations.push_back(
      {3, KRORenderAnnotation::Kind::Datum, {}, {}, std::nullopt, {}, std::nullopt, std::nullopt});
  KRORenderOptions options;
  options.camera = TopView();
  options.width = 200;
  options.height = 100;
  {
    // Without a plane, a marker stands at the centre of the annotation's faces: here the top.
    KRORenderScene marked = scene;
    marked.annotations.erase(marked.annotations.begin(), marked.annotations.begin() + 2);
    marked.annotations[0].tags = {2};
    KRORenderOutput png;
    ASSERT_TRUE(KRORenderPNG(marked, options, png));
    EXPECT_EQ(png.items.back().kind, KRORenderItem::Kind::Marker);
    const KROTestImage image = KRODecodePng(png.bytes);
    EXPECT_TRUE(image.Ink(100, 50)) << "no marker at the centre of face 2";
  }
  options = KRORenderOptions();
  options.width = 320;
  options.height = 200;

  KRORenderOutput svg;
  ASSERT_TRUE(KRORenderSVG(scene, options, svg)) << svg.error;
  // Edges in one path, one per annotation polyline, one marker; annotation 3 has nothing to draw.
  ASSERT_EQ(svg.items.size(), 4u);
  EXPECT_EQ((KROPathsOf(svg.bytes).stroked + KROPathsOf(svg.bytes).filled), 4);
  EXPECT_EQ(svg.items[0].kind, KRORenderItem::Kind::Edges);
  EXPECT_EQ(svg.items[1].id, 1);
  EXPECT_EQ(svg.items[2].id, 1);
  EXPECT_EQ(svg.items[3].kind, KRORenderItem::Kind::Marker);

  // Shaded, highlighted, filtered: the visible faces come first, the highlighted one last.
  options.shadeAllFaces = true;
  options.highlight = 1;
  options.onlyAnnotations = std::set<int>{1};
  ASSERT_TRUE(KRORenderSVG(scene, options, svg));
  EXPECT_EQ((KROPathsOf(svg.bytes).stroked + KROPathsOf(svg.bytes).filled),
            static_cast<int>(svg.items.size()));
  std::set<int> faces;
  for (const KRORenderItem& item : svg.items)
    if (item.kind == KRORenderItem::Kind::Face) faces.insert(item.id);
  // From (-1, 1, 1): the faces at z = 2, y = 5 and x = 0.
  EXPECT_EQ(faces, (std::set<int>{2, 5, 6})) << "only the faces turned to the camera";
  EXPECT_EQ(svg.items.back().kind, KRORenderItem::Kind::Annotation);
}

TEST_F(KRORenderTest, EmptyScenesRenderAndBadSizesAreRefused) {
  KRORenderOutput out;
  EXPECT_TRUE(KRORenderPNG(KRORenderScene(), KRORenderOptions(), out));
  EXPECT_TRUE(out.items.empty());
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {kKRORenderMaxSide + 1, 10}}) {
    KRORenderOptions options;
    options.width = w;
    options.height = h;
    EXPECT_FALSE(KRORenderPNG(Box(), options, out));
    EXPECT_FALSE(out.error.empty());
    EXPECT_TRUE(out.bytes.empty());
  }
}

TEST_F(KRORenderTest, AnnotationsComeFromTheRepsOfTheModel) {
  KROComPtr<KROITPSLightModelFactory> factory;
  auto* container = new KROTPSLightContainer();
  container->QueryInterface(IID_KROITPSLightModelFactory, factory.Put());
  container->Release();
  KROComPtr<KROITPSLightSet> set;
  ASSERT_EQ(factory->CreateLightSet(set.PutTyped(), nullptr), S_OK);
  KROComPtr<KROITPSLightModel> drawn, marked;
  factory->CreateLightModel(drawn.PutTyped(), set.Get());
  factory->CreateLightModel(marked.PutTyped(), set.Get());
  drawn.As<KROITPSLight>()->SetType(KROTPSTypeLocation);
  marked.As<KROITPSLight>()->SetType(KROTPSTypeDatumTarget);

  // The graphic sits one bag down, as the document gives it.
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  auto* inner = new (nullptr, nullptr, 0) KRO3DBagRep();
  auto* lines = new (nullptr, nullptr, 0) KRO3DPolylineRep();
  lines->SetPolylines({{{0, 0, 0}, {1, 0, 0}}, {{4, 4, 4}}, {{0, 1, 0}, {0, 2, 0}, {0, 3, 0}}});
  inner->AddChild(*lines);
  auto* text = new (nullptr, nullptr, 0) KRO3DTriangleRep();
  text->SetTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}},
                     {{0, 1, 2}, {3, 3, 1}, {0, 1, 4}});
  bag->AddChild(*text);
  bag->AddChild(*inner);
  drawn.As<KROITPSLight>()->SetRep(bag);

  KROComPtr<KROITPSLightView> view;
  factory->CreateLightView(view.PutTyped(), set.Get());
  view->SetPlaneOrigin(7, 8, 9);
  marked->SetLightView(view.Get());

  const std::vector<KRORenderAnnotation> a = KRORenderAnnotationsOf(set.Get());
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].id, 1);
  EXPECT_EQ(a[0].kind, KRORenderAnnotation::Kind::Tolerance);
  ASSERT_EQ(a[0].lines.size(), 2u) << "a single point is no line";
  EXPECT_EQ(a[0].lines[1].size(), 3u);
  ASSERT_EQ(a[0].triangles.size(), 2u) << "a triangle indexing past the points is left out";
  EXPECT_EQ(a[0].triangles[0], (KRORenderTriangle{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}));
  EXPECT_EQ(a[0].triangles[1], (KRORenderTriangle{{{5, 5, 5}, {5, 5, 5}, {1, 0, 0}}}));
  EXPECT_FALSE(a[0].marker);
  EXPECT_EQ(a[1].kind, KRORenderAnnotation::Kind::DatumTarget);
  EXPECT_TRUE(a[1].lines.empty());
  EXPECT_TRUE(a[1].triangles.empty());
  EXPECT_EQ(a[1].marker, (KRORenderVec{7, 8, 9}));

  EXPECT_TRUE(KRORenderAnnotationsOf(nullptr).empty());
}

// Seen from the top, the right triangle (0, 0), (10, 0), (0, 10) fills the lower left half of a
// 200 x 200 picture: pixels (10, 190), (190, 190) and (10, 10) once fitted with its margin.
TEST_F(KRORenderTest, AnnotationTrianglesAreFilledInTheirColour) {
  const KRORenderTriangle triangle{{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}};
  KRORenderScene scene;
  scene.annotations.push_back(Filled(1, KRORenderAnnotation::Kind::Tolerance, {triangle}));
  KRORenderOptions options;
  options.width = options.height = 200;
  options.camera = TopView();
  // The view is fitted to the triangle alone: 10 pixels of margin, 18 pixels a unit.
  const KRORenderProjection p(scene, options);
  EXPECT_NEAR(p.Project({0, 0, 0})[0], 10, 1e-9);
  EXPECT_NEAR(p.Project({0, 0, 0})[1], 190, 1e-9);
  EXPECT_NEAR(p.Project({10, 0, 0})[0], 190, 1e-9);
  EXPECT_NEAR(p.Project({0, 10, 0})[1], 10, 1e-9);

  KRORenderOutput png;
  ASSERT_TRUE(KRORenderPNG(scene, options, png)) << png.error;
  ASSERT_EQ(png.items.size(), 1u) << "filled in one path, and no marker";
  EXPECT_EQ(png.items[0].kind, KRORenderItem::Kind::Annotation);
  EXPECT_EQ(png.items[0].id, 1);
  const KROTestImage image = KRODecodePng(png.bytes);
  ASSERT_EQ(image.width, 200);
  const int inside[][2] = {{50, 150}, {100, 170}, {14, 100}, {170, 186}, {14, 16}, {100, 103}};
  for (const auto& at : inside)
    EXPECT_TRUE(PixelIs(image, at[0], at[1], 0.80, 0.10, 0.15))
        << "not filled in the tolerance colour at " << at[0] << ", " << at[1];
  const int outside[][2] = {{150, 50}, {100, 96}, {195, 100}, {5, 5}, {100, 195}, {5, 100}};
  for (const auto& at : outside)
    EXPECT_FALSE(image.Ink(at[0], at[1])) << "inked at " << at[0] << ", " << at[1];

  // Highlighted, the fill takes the highlight colour.
  KRORenderOutput lit;
  options.highlight = 1;
  ASSERT_TRUE(KRORenderPNG(scene, options, lit));
  EXPECT_TRUE(PixelIs(KRODecodePng(lit.bytes), 50, 150, 1.0, 0.45, 0.0));
  options.highlight = 0;

  // A triangle with a corner that is not finite is left out: the same picture.
  KRORenderOutput again;
  scene.annotations[0].triangles = {triangle, {{{0, 0, 0}, {std::nan(""), 1, 0}, {1, 1, 0}}}};
  ASSERT_TRUE(KRORenderPNG(scene, options, again));
  EXPECT_TRUE(again.bytes == png.bytes);

  // The same triangle once more, wound the other way round: the two do not cancel out.
  scene.annotations[0].triangles = {triangle, {triangle[0], triangle[2], triangle[1]}};
  ASSERT_TRUE(KRORenderPNG(scene, options, again));
  EXPECT_EQ(again.items.size(), 1u);
  const KROTestImage twice = KRODecodePng(again.bytes);
  for (const auto& at : inside)
    EXPECT_TRUE(PixelIs(twice, at[0], at[1], 0.80, 0.10, 0.15))
        << "a triangle given both ways round is not filled at " << at[0] << ", " << at[1];
  for (const auto& at : outside)
    EXPECT_FALSE(twice.Ink(at[0], at[1]));

  KRORenderOutput svg;
  ASSERT_TRUE(KRORenderSVG(scene, options, svg)) << svg.error;
  EXPECT_EQ(KROPathsOf(svg.bytes).filled, 1);
  EXPECT_EQ(KROPathsOf(svg.bytes).stroked, 0);
  EXPECT_TRUE(KROWellFormed(svg.bytes));
}

// Two triangles sharing the diagonal of a square are one path: pixels the diagonal halves are as
// solid as the rest, where two fills would let the background through.
TEST_F(KRORenderTest, TrianglesSharingAnEdgeLeaveNoSeam) {
  KRORenderScene scene;
  scene.annotations.push_back(
      Filled(1, KRORenderAnnotation::Kind::Dimension,
             {{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}}, {{{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}}}));
  // Beside it, lines of another annotation, drawn as before: a path of their own after the fill.
  KRORenderAnnotation lines;
  lines.id = 2;
  lines.lines = {{{0, 0, 0}, {10, 0, 0}}};
  scene.annotations.push_back(lines);
  KRORenderOptions options;
  options.width = options.height = 200;
  options.camera = TopView();
  KRORenderOutput png;
  ASSERT_TRUE(KRORenderPNG(scene, options, png)) << png.error;
  ASSERT_EQ(png.items.size(), 2u);
  EXPECT_EQ(png.items[0].id, 1);
  EXPECT_EQ(png.items[1].id, 2);
  const KROTestImage image = KRODecodePng(png.bytes);
  // The diagonal runs through pixel corners from (10, 190) to (190, 10) and halves the pixels
  // (k, 199 - k) on its way.
  const KRORenderProjection p(scene, options);
  ASSERT_NEAR(p.Project({0, 0, 0})[0] + p.Project({0, 0, 0})[1], 200, 1e-9);
  ASSERT_NEAR(p.Project({10, 10, 0})[0] + p.Project({10, 10, 0})[1], 200, 1e-9);
  for (int k = 20; k < 180; k += 7)
    EXPECT_TRUE(PixelIs(image, k, 199 - k, 0.10, 0.35, 0.85)) << "a seam at " << k;
}
