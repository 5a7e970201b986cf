// Geometry reps: polyline bodies through streams, documents and document files, and every way a
// body can lie about its counts.
#include "KROPolylineRep.h"
#include "KRODocumentFile.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROTestSupport.h"
#include "KROVZBDocument.h"

#include <cmath>
#include <cstdint>
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

/// Coordinates whose bits a careless encoding would change: signed zero, a subnormal, the
/// extremes, values with a full mantissa.
std::vector<KROPolyline3D> Awkward3D() {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double big = std::numeric_limits<double>::max();
  return {{{0.0, -0.0, tiny}, {-big, big, 0.1}, {1.0 / 3, -2.0 / 3, 1e-300}},
          {},
          {{12.5, -7.25, 1e17}}};
}

/// A 3D bag holding a 3D polyline rep, and a 2D bag holding a 2D one.
Bytes Stream() {
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  auto* lines = new (nullptr, nullptr, 0) KRO3DPolylineRep();
  lines->SetLabel("dimension 7");
  lines->SetPolylines(Awkward3D());
  bag->AddChild(*lines);
  auto* bag2D = new (nullptr, nullptr, 0) KRO2DBagRep();
  auto* lines2D = new (nullptr, nullptr, 0) KRO2DPolylineRep();
  lines2D->SetPolylines({{{-0.0, 4.5}, {1e-310, 2}}});
  bag2D->AddChild(*lines2D);
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

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

template <class Lines> bool SameBits(const Lines& a, const Lines& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size()) return false;
    for (std::size_t k = 0; k < a[i].size(); ++k)
      for (std::size_t c = 0; c < a[i][k].size(); ++c)
        if (!SameBits(a[i][k][c], b[i][k][c])) return false;
  }
  return true;
}

/// A polyline rep body (after its class name) with the given counts and coordinates.
Bytes Body(int lines, std::vector<int> points, std::vector<double> coordinates) {
  KROStreamWriter w;
  w.WriteInt(0); // empty label
  w.WriteInt(lines);
  std::size_t next = 0;
  for (int n : points) {
    w.WriteInt(n);
    for (long k = 0; k < 3L * n && next < coordinates.size(); ++k) {
      std::uint64_t bits;
      std::memcpy(&bits, &coordinates[next++], sizeof bits);
      for (int b = 0; b < 8; ++b) {
        const unsigned char byte = static_cast<unsigned char>(bits >> (8 * b));
        w.WriteBytes(&byte, 1);
      }
    }
  }
  return w.TakeBytes();
}

bool Reads3D(const Bytes& body) {
  KROStreamer reader(body.data(), static_cast<unsigned int>(body.size()));
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, KRO3DPolylineRep::kClassName);
  KRORep* rep = nullptr;
  const bool ok = SUCCEEDED(ext->ReadRep(&reader, &rep));
  EXPECT_EQ(ok, rep != nullptr);
  if (!ok) {
    EXPECT_EQ(reader.GetCurrentPosition(), 0u) << "a failed read moved the reader";
  }
  ext->Release();
  if (rep) rep->Destroy();
  return ok;
}

class KROPolylineRepTest : public KROTest {};

} // namespace

TEST_F(KROPolylineRepTest, GeometrySurvivesDocumentFilesBitForBit) {
  const Bytes stream = Stream();
  KROVZBDocumentComponent* doc =
      KRODocumentBuilder().SetStream(KROTPSContainers::kAnnotationsPath, stream).Build();
  ASSERT_NE(doc, nullptr);
  const std::string path = ::testing::TempDir() + "kro_polyline_test.krod";
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
  ASSERT_EQ(bag->GetChildren()->Size(), 1);
  auto* lines = dynamic_cast<KRO3DPolylineRep*>(bag->GetChildren()->At(0));
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->GetLabel(), "dimension 7");
  EXPECT_TRUE(SameBits(lines->GetPolylines(), Awkward3D()));
  EXPECT_EQ(lines->PointCount(), 4);

  RepPtr bag2D = ReadOne(*reader);
  ASSERT_NE(bag2D, nullptr);
  auto* lines2D = dynamic_cast<KRO2DPolylineRep*>(bag2D->GetChildren()->At(0));
  ASSERT_NE(lines2D, nullptr);
  EXPECT_TRUE(
      SameBits(lines2D->GetPolylines(), std::vector<KROPolyline2D>{{{-0.0, 4.5}, {1e-310, 2}}}));
  EXPECT_EQ(reader->GetRemaining(), 0u);

  // Written again, the reps give the very bytes they were read from.
  KROStreamWriter again;
  again.WriteRep(*bag);
  again.WriteRep(*bag2D);
  EXPECT_EQ(again.GetBytes(), stream);
  loaded->Release();
}

TEST_F(KROPolylineRepTest, BodiesCutShortOrWithLyingCountsGiveNoRep) {
  const Bytes stream = Stream();
  // Every cut of the stream: the bag whose body is cut gives no rep, and nothing leaks.
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    KROStreamer reader(stream.data(), static_cast<unsigned int>(cut));
    RepPtr first = ReadOne(reader);
    RepPtr second = first ? ReadOne(reader) : nullptr;
    EXPECT_EQ(second, nullptr) << cut;
  }
  EXPECT_TRUE(Reads3D(Body(1, {1}, {1, 2, 3})));
  EXPECT_TRUE(Reads3D(Body(0, {}, {})));
  EXPECT_FALSE(Reads3D(Body(2, {1}, {1, 2, 3}))); // one polyline fewer than counted
  EXPECT_FALSE(Reads3D(Body(1, {2}, {1, 2, 3}))); // one point fewer than counted
  EXPECT_FALSE(Reads3D(Body(-1, {}, {})));        // negative counts
  EXPECT_FALSE(Reads3D(Body(1, {-1}, {})));
  EXPECT_FALSE(Reads3D(Body(0x7FFFFFFF, {}, {}))); // counts no stream could hold
  EXPECT_FALSE(Reads3D(Body(1, {0x7FFFFFFF}, {})));
  EXPECT_FALSE(Reads3D(Body(1, {1}, {1, std::nan(""), 3})));
  EXPECT_FALSE(Reads3D(Body(1, {1}, {1, 2, -std::numeric_limits<double>::infinity()})));
  // Past the cap, even when the bytes are there.
  EXPECT_FALSE(Reads3D(Body(KROPolylineLimits::kMaxPolylines + 1,
                            std::vector<int>(KROPolylineLimits::kMaxPolylines + 1, 0), {})));
}

TEST_F(KROPolylineRepTest, WhatCannotBeReadBackIsNotWritten) {
  auto* lines = new (nullptr, nullptr, 0) KRO3DPolylineRep();
  auto* bag = new (nullptr, nullptr, 0) KRO3DBagRep();
  bag->AddChild(*lines);
  KROStreamWriter w;
  w.WriteInt(5);
  lines->SetPolylines({{{0, 0, std::numeric_limits<double>::infinity()}}});
  EXPECT_EQ(w.WriteRep(*bag), E_FAIL);
  lines->SetPolylines(std::vector<KROPolyline3D>(KROPolylineLimits::kMaxPolylines + 1));
  EXPECT_EQ(w.WriteRep(*lines), E_FAIL);
  EXPECT_EQ(w.GetPosition(), 4u) << "a refused rep left bytes behind";
  lines->SetPolylines({});
  EXPECT_EQ(w.WriteRep(*bag), S_OK);
  bag->Destroy();
}
