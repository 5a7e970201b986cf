// Triangle reps: points and index triples through streams, documents and document files, and
// every way a body can lie about its counts or its indices.
#include "KROTriangleRep.h"
#include "KRODocumentFile.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROTestSupport.h"
#include "KROVZBDocument.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace {

using Bytes = std::vector<unsigned char>;

struct Destroyer {
  void operator()(KRORep* rep) const {
    if (rep) rep->Destroy();
  }
};
using RepPtr = std::unique_ptr<KRORep, Destroyer>;

/// Coordinates whose bits a careless encoding would change.
std::vector<KROPoint3D> AwkwardPoints() {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double big = std::numeric_limits<double>::max();
  return {{0.0, -0.0, tiny}, {-big, big, 0.1}, {1.0 / 3, -2.0 / 3, 1e-300}, {12.5, -7.25, 1e17}};
}

/// Two triangles sharing an edge, then a degenerate one, which is kept as it is.
std::vector<KROTriangle> SharedTriangles() { return {{0, 1, 2}, {2, 1, 3}, {3, 3, 0}}; }

const std::vector<KROPoint2D> kPoints2D{{-0.0, 4.5}, {1e-310, 2}, {7, -1}};
const std::vector<KROTriangle> kTriangles2D{{2, 0, 1}};

/// A 3D bag holding a 3D triangle rep and an empty one, and a 2D bag holding a 2D one.
Bytes Stream() {
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  auto* triangles = new (nullptr, nullptr, 0) KRO3DTriangleRep();
  triangles->SetLabel("datum A");
  triangles->SetTriangles(AwkwardPoints(), SharedTriangles());
  bag->AddChild(*triangles);
  bag->AddChild(*new (nullptr, nullptr, 0) KRO3DTriangleRep());
  auto* bag2D = new (nullptr, nullptr, 0) KRO2DBagRep();
  auto* triangles2D = new (nullptr, nullptr, 0) KRO2DTriangleRep();
  triangles2D->SetTriangles(kPoints2D, kTriangles2D);
  bag2D->AddChild(*triangles2D);
  KROStreamWriter w;
  EXPECT_EQ(w.WriteRep(*bag), S_OK);
  EXPECT_EQ(w.WriteRep(*bag2D), S_OK);
  bag->Destroy();
  bag2D->Destroy();
  return w.TakeBytes();
}

RepPtr ReadOne(KROStreamer& reader) {
  std::unique_ptr<char[]> name(reader.ReadClassName());
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name.get());
  if (!ext) return nullptr;
  KRORep* rep = nullptr;
  ext->ReadRep(&reader, &rep);
  ext->Release();
  return RepPtr(rep);
}

template <class Points> bool SameBits(const Points& a, const Points& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(a[i].data(), b[i].data(), sizeof a[i]) != 0) return false;
  return true;
}

/// A triangle rep body (after its class name): an empty label, `points` and `coordinates`, then
/// `triangles` and `indices`. The counts may say more or less than what follows them.
Bytes Body(int points, const std::vector<double>& coordinates, int triangles,
           const std::vector<int>& indices) {
  Bytes body;
  body.reserve(12 + 8 * coordinates.size() + 4 * indices.size());
  const auto put = [&body](std::uint64_t bits, int bytes) {
    for (int b = 0; b < bytes; ++b)
      body.push_back(static_cast<unsigned char>(bits >> (8 * b)));
  };
  const auto putInt = [&put](int value) { put(static_cast<std::uint32_t>(value), 4); };
  putInt(0);
  putInt(points);
  for (double c : coordinates) {
    std::uint64_t bits;
    std::memcpy(&bits, &c, sizeof bits);
    put(bits, 8);
  }
  putInt(triangles);
  for (int i : indices)
    putInt(i);
  return body;
}

/// Reads `body` as a rep of class `className`: true when a rep comes out. A failed read must
/// leave the reader where it was.
bool Reads(const char* className, const Bytes& body) {
  KROStreamer reader(body.data(), static_cast<unsigned int>(body.size()));
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, className);
  KRORep* rep = nullptr;
  const bool ok = SUCCEEDED(ext->ReadRep(&reader, &rep));
  EXPECT_EQ(ok, rep != nullptr);
  if (!ok) {
    EXPECT_EQ(reader.GetCurrentPosition(), 0u) << "a failed read moved the reader";
  } else {
    EXPECT_EQ(reader.GetRemaining(), 0u);
  }
  ext->Release();
  if (rep) rep->Destroy();
  return ok;
}
bool Reads3D(const Bytes& body) { return Reads(KRO3DTriangleRep::kClassName, body); }
bool Reads2D(const Bytes& body) { return Reads(KRO2DTriangleRep::kClassName, body); }

const std::vector<double> kTriangleCoordinates{0, 0, 0, 1, 0, 0, 0, 1, 0};

class KROTriangleRepTest : public KROTest {};

} // namespace

TEST_F(KROTriangleRepTest, TrianglesSurviveDocumentFilesBitForBit) {
  const Bytes stream = Stream();
  KROVZBDocumentComponent* doc =
      KRODocumentBuilder().SetStream(KROTPSContainers::kAnnotationsPath, stream).Build();
  ASSERT_NE(doc, nullptr);
  const std::string path = ::testing::TempDir() + "kro_triangle_test.krod";
  ASSERT_EQ(KROSaveDocument(*doc, path.c_str()), S_OK);
  KROVZBDocumentComponent* loaded = nullptr;
  ASSERT_EQ(KROLoadDocument(path.c_str(), &loaded), S_OK);
  std::remove(path.c_str());
  EXPECT_EQ(KROSerializeDocument(*loaded), KROSerializeDocument(*doc));
  doc->Release();

  std::unique_ptr<KROVZBContainer> root(loaded->OpenContainer(KROTPSContainers::kRoot, 1));
  KROStreamer* reader = root->GetChildContainer(KROTPSContainers::kAnnotations)->GetStreamer();
  RepPtr bag = ReadOne(*reader);
  ASSERT_NE(bag, nullptr);
  ASSERT_EQ(bag->GetChildren()->Size(), 2);
  auto* triangles = dynamic_cast<KRO3DTriangleRep*>(bag->GetChildren()->At(0));
  ASSERT_NE(triangles, nullptr);
  EXPECT_EQ(triangles->GetLabel(), "datum A");
  EXPECT_TRUE(SameBits(triangles->GetPoints(), AwkwardPoints()));
  EXPECT_EQ(triangles->GetTriangles(), SharedTriangles());
  auto* empty = dynamic_cast<KRO3DTriangleRep*>(bag->GetChildren()->At(1));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->GetPoints().empty());
  EXPECT_TRUE(empty->GetTriangles().empty());

  RepPtr bag2D = ReadOne(*reader);
  ASSERT_NE(bag2D, nullptr);
  auto* triangles2D = dynamic_cast<KRO2DTriangleRep*>(bag2D->GetChildren()->At(0));
  ASSERT_NE(triangles2D, nullptr);
  EXPECT_TRUE(SameBits(triangles2D->GetPoints(), kPoints2D));
  EXPECT_EQ(triangles2D->GetTriangles(), kTriangles2D);
  EXPECT_EQ(reader->GetRemaining(), 0u);

  // Written again, the reps give the very bytes they were read from.
  KROStreamWriter again;
  again.WriteRep(*bag);
  again.WriteRep(*bag2D);
  EXPECT_EQ(again.GetBytes(), stream);
  loaded->Release();
}

TEST_F(KROTriangleRepTest, BodiesCutShortLyingOrIndexingPastTheirPointsGiveNoRep) {
  const Bytes stream = Stream();
  // Every cut of the stream: the bag whose body is cut gives no rep, and nothing leaks.
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    KROStreamer reader(stream.data(), static_cast<unsigned int>(cut));
    RepPtr first = ReadOne(reader);
    RepPtr second = first ? ReadOne(reader) : nullptr;
    EXPECT_EQ(second, nullptr) << cut;
  }
  EXPECT_TRUE(Reads3D(Body(3, kTriangleCoordinates, 1, {0, 1, 2})));
  EXPECT_TRUE(Reads3D(Body(3, kTriangleCoordinates, 1, {2, 2, 2}))); // degenerate, kept
  EXPECT_TRUE(Reads3D(Body(0, {}, 0, {})));
  EXPECT_TRUE(Reads3D(Body(3, kTriangleCoordinates, 0, {}))); // points alone
  EXPECT_TRUE(Reads2D(Body(3, {0, 0, 1, 0, 0, 1}, 1, {0, 1, 2})));

  // Counts that say more than follows, or than any stream could hold, or less than nothing.
  EXPECT_FALSE(Reads3D(Body(4, kTriangleCoordinates, 1, {0, 1, 2})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 2, {0, 1, 2})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 1, {0, 1})));
  EXPECT_FALSE(Reads3D(Body(-1, {}, 0, {})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, -1, {})));
  EXPECT_FALSE(Reads3D(Body(0x7FFFFFFF, {}, 0, {})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 0x7FFFFFFF, {})));

  // Indices that leave the points, on either side, in any corner.
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 1, {0, 1, 3})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 1, {3, 1, 2})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 1, {0, -1, 2})));
  EXPECT_FALSE(Reads3D(Body(0, {}, 1, {0, 0, 0})));
  EXPECT_FALSE(Reads3D(Body(3, kTriangleCoordinates, 2, {0, 1, 2, 0, 1, 0x7FFFFFFF})));

  EXPECT_FALSE(Reads3D(Body(3, {0, 0, 0, 1, std::nan(""), 0, 0, 1, 0}, 1, {0, 1, 2})));
  EXPECT_FALSE(
      Reads2D(Body(3, {0, 0, 1, 0, 0, std::numeric_limits<double>::infinity()}, 1, {0, 1, 2})));
}

// The caps hold even when the bytes are there: at the cap a body reads, one past it does not.
TEST_F(KROTriangleRepTest, CountsPastTheCapsGiveNoRep) {
  const int maxPoints = KROTriangleLimits::kMaxPoints;
  const std::vector<double> zeros(2 * static_cast<std::size_t>(maxPoints + 1), 0.0);
  const std::vector<double> atCap(zeros.begin(), zeros.end() - 2);
  EXPECT_TRUE(Reads2D(Body(maxPoints, atCap, 1, {0, 1, maxPoints - 1})));
  EXPECT_FALSE(Reads2D(Body(maxPoints + 1, zeros, 1, {0, 1, maxPoints})));

  const int maxTriangles = KROTriangleLimits::kMaxTriangles;
  const std::vector<int> indices(3 * static_cast<std::size_t>(maxTriangles + 1), 0);
  const std::vector<int> indicesAtCap(indices.begin(), indices.end() - 3);
  EXPECT_TRUE(Reads2D(Body(1, {5, 5}, maxTriangles, indicesAtCap)));
  EXPECT_FALSE(Reads2D(Body(1, {5, 5}, maxTriangles + 1, indices)));
}

TEST_F(KROTriangleRepTest, WhatCannotBeReadBackIsNotWritten) {
  auto* triangles = new (nullptr, nullptr, 0) KRO3DTriangleRep();
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  bag->AddChild(*triangles);
  const std::vector<KROPoint3D> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  KROStreamWriter w;
  w.WriteInt(5);
  // Set as they are, checked when written.
  for (const KROTriangle& bad : {KROTriangle{0, 1, 3}, KROTriangle{-1, 1, 2}}) {
    triangles->SetTriangles(points, {{0, 1, 2}, bad});
    EXPECT_EQ(triangles->GetTriangles().size(), 2u);
    EXPECT_FALSE(triangles->IndicesValid());
    EXPECT_EQ(w.WriteRep(*bag), E_FAIL);
    EXPECT_EQ(w.WriteRep(*triangles), E_FAIL);
  }
  triangles->SetTriangles({{0, 0, 0}, {1, -std::numeric_limits<double>::infinity(), 0}}, {});
  EXPECT_EQ(w.WriteRep(*bag), E_FAIL);
  triangles->SetTriangles(
      points, std::vector<KROTriangle>(KROTriangleLimits::kMaxTriangles + 1, KROTriangle{0, 1, 2}));
  EXPECT_TRUE(triangles->IndicesValid());
  EXPECT_EQ(w.WriteRep(*triangles), E_FAIL);
  EXPECT_EQ(w.GetPosition(), 4u) << "a refused rep left bytes behind";

  auto* flat = new (nullptr, nullptr, 0) KRO2DTriangleRep();
  flat->SetTriangles({{0, 0}}, {{0, 0, 1}});
  EXPECT_EQ(w.WriteRep(*flat), E_FAIL);
  flat->SetTriangles({{0, 0}, {1, 1}}, {{0, 0, 1}});
  EXPECT_EQ(w.WriteRep(*flat), S_OK);
  flat->Destroy();

  triangles->SetTriangles(points, {{0, 1, 2}});
  EXPECT_EQ(w.WriteRep(*bag), S_OK);
  bag->Destroy();
}
