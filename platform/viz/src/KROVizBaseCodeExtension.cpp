// KROVizBaseCodeExtension.cpp - the stream extensions of the streamable rep classes.
#include "KROVizBaseCodeExtension.h"

#include "KROPolylineRep.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTriangleRep.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace {

// The extensions are shared by every thread; only this count changes. Relaxed, as for the
// live-component count.
std::atomic<long> gOutstanding{0};

// Fewest bytes a streamed child can take: its class-name length and its label length.
constexpr unsigned int kMinRepBytes = 8;

struct RepDestroyer {
  void operator()(KRORep* rep) const { rep->Destroy(); }
};
template <class Rep> using RepHolder = std::unique_ptr<Rep, RepDestroyer>;

bool ReadLabel(KROStreamer& reader, std::string& label) {
  int length = 0;
  if (FAILED(reader.ReadInt(length)) || length < 0) return false;
  if (static_cast<unsigned int>(length) > reader.GetRemaining()) return false;
  label.resize(static_cast<std::size_t>(length));
  return SUCCEEDED(reader.ReadBytes(label.data(), static_cast<unsigned int>(length)));
}

bool WriteLabel(KROStreamWriter& writer, const std::string& label) {
  if (label.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
  writer.WriteInt(static_cast<int>(label.size()));
  writer.WriteBytes(label.data(), static_cast<unsigned int>(label.size()));
  return writer.Good();
}

// Geometry bodies: counts as ints, coordinates as little-endian IEEE doubles. Counts are
// checked against the caps and against the bytes left before anything is allocated.
constexpr unsigned int kIntBytes = 4;
constexpr unsigned int kCoordinateBytes = 8;

/// Reads a count of items taking at least `bytesEach` bytes each: fails when it is negative,
/// above `max`, or more than the bytes left could hold.
bool ReadCount(KROStreamer& reader, int max, unsigned int bytesEach, int& count) {
  if (FAILED(reader.ReadInt(count)) || count < 0 || count > max) return false;
  return static_cast<unsigned int>(count) <= reader.GetRemaining() / bytesEach;
}

bool ReadCoordinate(KROStreamer& reader, double& value) {
  unsigned char b[kCoordinateBytes];
  if (FAILED(reader.ReadBytes(b, kCoordinateBytes))) return false;
  std::uint64_t bits = 0;
  for (unsigned int i = 0; i < kCoordinateBytes; ++i)
    bits |= std::uint64_t(b[i]) << (8 * i);
  std::memcpy(&value, &bits, sizeof value);
  return std::isfinite(value);
}

void WriteCoordinate(KROStreamWriter& writer, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  unsigned char b[kCoordinateBytes];
  for (unsigned int i = 0; i < kCoordinateBytes; ++i)
    b[i] = static_cast<unsigned char>(bits >> (8 * i));
  writer.WriteBytes(b, kCoordinateBytes);
}

/// Reads a point; fails on a cut stream or a coordinate that is not finite.
template <std::size_t N> bool ReadPoint(KROStreamer& reader, std::array<double, N>& point) {
  for (double& c : point)
    if (!ReadCoordinate(reader, c)) return false;
  return true;
}

/// Writes a point; fails, having written part of it, on a coordinate that is not finite.
template <std::size_t N>
bool WritePoint(KROStreamWriter& writer, const std::array<double, N>& point) {
  for (double c : point) {
    if (!std::isfinite(c)) return false;
    WriteCoordinate(writer, c);
  }
  return true;
}

// Polyline bodies: a count of polylines, then per polyline a point count and its points.
template <class Rep> bool ReadPolylines(KROStreamer& reader, Rep& rep) {
  constexpr unsigned int pointBytes = kCoordinateBytes * Rep::kDimension;
  int lineCount = 0;
  if (!ReadCount(reader, Rep::kMaxPolylines, kIntBytes, lineCount)) return false;
  std::vector<typename Rep::Polyline> lines(static_cast<std::size_t>(lineCount));
  long total = 0;
  for (auto& line : lines) {
    int pointCount = 0;
    if (!ReadCount(reader, static_cast<int>(Rep::kMaxPoints - total), pointBytes, pointCount))
      return false;
    total += pointCount;
    line.resize(static_cast<std::size_t>(pointCount));
    for (auto& point : line)
      if (!ReadPoint(reader, point)) return false;
  }
  rep.SetPolylines(std::move(lines));
  return true;
}

template <class Rep> bool WritePolylines(KROStreamWriter& writer, const Rep& rep) {
  const auto& lines = rep.GetPolylines();
  if (lines.size() > static_cast<std::size_t>(Rep::kMaxPolylines) ||
      rep.PointCount() > Rep::kMaxPoints)
    return false;
  writer.WriteInt(static_cast<int>(lines.size()));
  for (const auto& line : lines) {
    writer.WriteInt(static_cast<int>(line.size()));
    for (const auto& point : line)
      if (!WritePoint(writer, point)) return false;
  }
  return writer.Good();
}

// Triangle bodies: a point count and the points, then a triangle count and each triangle's
// three indices into those points.
template <class Rep> bool ReadTriangles(KROStreamer& reader, Rep& rep) {
  constexpr unsigned int pointBytes = kCoordinateBytes * Rep::kDimension;
  int pointCount = 0;
  if (!ReadCount(reader, Rep::kMaxPoints, pointBytes, pointCount)) return false;
  std::vector<typename Rep::Point> points(static_cast<std::size_t>(pointCount));
  for (auto& point : points)
    if (!ReadPoint(reader, point)) return false;
  int triangleCount = 0;
  if (!ReadCount(reader, Rep::kMaxTriangles, 3 * kIntBytes, triangleCount)) return false;
  std::vector<KROTriangle> triangles(static_cast<std::size_t>(triangleCount));
  for (KROTriangle& triangle : triangles)
    for (int& index : triangle)
      if (FAILED(reader.ReadInt(index)) || index < 0 || index >= pointCount) return false;
  rep.SetTriangles(std::move(points), std::move(triangles));
  return true;
}

template <class Rep> bool WriteTriangles(KROStreamWriter& writer, const Rep& rep) {
  const auto& points = rep.GetPoints();
  const auto& triangles = rep.GetTriangles();
  if (points.size() > static_cast<std::size_t>(Rep::kMaxPoints) ||
      triangles.size() > static_cast<std::size_t>(Rep::kMaxTriangles) || !rep.IndicesValid())
    return false;
  writer.WriteInt(static_cast<int>(points.size()));
  for (const auto& point : points)
    if (!WritePoint(writer, point)) return false;
  writer.WriteInt(static_cast<int>(triangles.size()));
  for (const KROTriangle& triangle : triangles)
    for (int index : triangle)
      writer.WriteInt(index);
  return writer.Good();
}

class RepStreamExt : public KROVizBaseCodeExtension {
public:
  explicit constexpr RepStreamExt(const char* className) : className_(className) {}

  const char* ClassName() const { return className_; }

  /// A new rep read at the reader's position, `level` deep; null on any failure.
  virtual KRORep* ReadBody(KROStreamer& reader, int level) const = 0;
  /// Writes the body of `rep` (already known to be of this class), `level` deep.
  virtual bool WriteBody(KROStreamWriter& writer, const KRORep& rep, int level) const = 0;

  HRESULT ReadRep(KROStreamer* reader, KRORep** out) override;
  HRESULT WriteRep(KROStreamWriter& writer, const KRORep& rep) override;
  void Release() override { gOutstanding.fetch_sub(1, std::memory_order_relaxed); }

private:
  const char* className_;
};

RepStreamExt* FindExt(const char* className);

/// Reads `count` children into `group`; fails on a child class without an extension, on a child
/// that would nest deeper than the limit, or on a count the bytes left could not hold.
template <class Group> bool ReadChildren(KROStreamer& reader, Group& group, int level) {
  int count = 0;
  if (FAILED(reader.ReadInt(count)) || count < 0) return false;
  if (static_cast<unsigned int>(count) > reader.GetRemaining() / kMinRepBytes) return false;
  for (int i = 0; i < count; ++i) {
    if (level >= KROVizBaseCodeExtension::kMaxRepNesting) return false;
    const std::unique_ptr<char[]> name(reader.ReadClassName());
    const RepStreamExt* ext = FindExt(name.get());
    if (!ext) return false;
    KRORep* child = ext->ReadBody(reader, level + 1);
    if (!child) return false;
    if (!group.AddChild(*child)) {
      child->Destroy();
      return false;
    }
  }
  return true;
}

bool WriteChildren(KROStreamWriter& writer, const list<KRORep>& children, int level) {
  const unsigned int countAt = writer.GetPosition();
  writer.WriteInt(0);
  int written = 0;
  for (int i = 0; i < children.Size(); ++i) {
    const KRORep* child = children[i];
    if (!child) continue; // a null slot has nothing to stream
    if (level >= KROVizBaseCodeExtension::kMaxRepNesting) return false;
    const RepStreamExt* ext = FindExt(child->ClassName());
    if (!ext) return false;
    writer.WriteClassName(ext->ClassName());
    if (!ext->WriteBody(writer, *child, level + 1)) return false;
    ++written;
  }
  writer.PatchInt(countAt, written);
  return writer.Good();
}

template <class Rep> class RepStreamExtFor final : public RepStreamExt {
public:
  constexpr RepStreamExtFor() : RepStreamExt(Rep::kClassName) {}

  KRORep* ReadBody(KROStreamer& reader, int level) const override {
    RepHolder<Rep> rep(new (nullptr, nullptr, 0) Rep());
    std::string label;
    if (!rep || !ReadLabel(reader, label)) return nullptr;
    rep->SetLabel(std::move(label));
    if constexpr (kIsGroup) {
      if (!ReadChildren(reader, *rep, level)) return nullptr;
    }
    if constexpr (kHasPolylines) {
      if (!ReadPolylines(reader, *rep)) return nullptr;
    }
    if constexpr (kHasTriangles) {
      if (!ReadTriangles(reader, *rep)) return nullptr;
    }
    return rep.release();
  }

  bool WriteBody(KROStreamWriter& writer, const KRORep& rep, int level) const override {
    if (!WriteLabel(writer, rep.GetLabel())) return false;
    if constexpr (kIsGroup) {
      // Null only for a foreign class that borrowed a group's name.
      const list<KRORep>* children = rep.GetChildren();
      return children && WriteChildren(writer, *children, level);
    }
    if constexpr (kHasPolylines) {
      // Null only for a foreign class that borrowed a polyline rep's name.
      const auto* lines = dynamic_cast<const Rep*>(&rep);
      return lines && WritePolylines(writer, *lines);
    }
    if constexpr (kHasTriangles) {
      // Null only for a foreign class that borrowed a triangle rep's name.
      const auto* triangles = dynamic_cast<const Rep*>(&rep);
      return triangles && WriteTriangles(writer, *triangles);
    }
    return true;
  }

private:
  static constexpr bool kIsGroup = requires(Rep & group, KRORep& child) { group.AddChild(child); };
  static constexpr bool kHasPolylines = requires(const Rep& r) { r.GetPolylines(); };
  static constexpr bool kHasTriangles = requires(const Rep& r) { r.GetTriangles(); };
};

RepStreamExtFor<KRO3DBagRep> g3DBagExt;
RepStreamExtFor<KRO2DBagRep> g2DBagExt;
RepStreamExtFor<KRO2DCustomRep> g2DCustomExt;
RepStreamExtFor<KRO3DPolylineRep> g3DPolylineExt;
RepStreamExtFor<KRO2DPolylineRep> g2DPolylineExt;
RepStreamExtFor<KRO3DTriangleRep> g3DTriangleExt;
RepStreamExtFor<KRO2DTriangleRep> g2DTriangleExt;

RepStreamExt* const kExtensions[] = {&g3DBagExt,      &g2DBagExt,      &g2DCustomExt,
                                     &g3DPolylineExt, &g2DPolylineExt, &g3DTriangleExt,
                                     &g2DTriangleExt};

RepStreamExt* FindExt(const char* className) {
  if (!className) return nullptr;
  for (RepStreamExt* ext : kExtensions)
    if (std::strcmp(ext->ClassName(), className) == 0) return ext;
  return nullptr;
}

HRESULT RepStreamExt::ReadRep(KROStreamer* reader, KRORep** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  if (!reader) return E_FAIL;
  const unsigned int start = reader->GetCurrentPosition();
  KRORep* rep = nullptr;
  try {
    rep = ReadBody(*reader, 1);
  } catch (const std::bad_alloc&) {
    // a label too large for memory; the holders have freed what was built
  }
  if (!rep) {
    reader->SetCurrentPosition(start);
    return E_FAIL;
  }
  *out = rep;
  return S_OK;
}

HRESULT RepStreamExt::WriteRep(KROStreamWriter& writer, const KRORep& rep) {
  if (std::strcmp(rep.ClassName(), className_) != 0 || !writer.Good()) return E_FAIL;
  const unsigned int start = writer.GetPosition();
  if (!WriteBody(writer, rep, 1)) {
    writer.Truncate(start);
    return E_FAIL;
  }
  return S_OK;
}

} // namespace

KROVizBaseCodeExtension* KROVizBaseCodeExtension::GetExt(const IID& protocol,
                                                         const char* className) {
  if (!(protocol == _KROProtocolDmuStreamID)) return nullptr;
  RepStreamExt* ext = FindExt(className);
  if (ext) gOutstanding.fetch_add(1, std::memory_order_relaxed);
  return ext;
}

long KROVizBaseCodeExtension::OutstandingCount() {
  return gOutstanding.load(std::memory_order_relaxed);
}

// The writer's rep calls live here, beside the extensions that write every rep body: the
// streamer itself knows bytes only.
HRESULT KROStreamWriter::WriteRep(const KRORep& rep) {
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, rep.ClassName());
  if (!ext) return E_FAIL;
  const unsigned int start = GetPosition();
  WriteClassName(rep.ClassName());
  HRESULT rc = good_ ? ext->WriteRep(*this, rep) : E_FAIL;
  ext->Release();
  if (FAILED(rc)) Truncate(start);
  return rc;
}

HRESULT KROStreamWriter::WriteRepBody(const KRORep& rep) {
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, rep.ClassName());
  if (!ext) return E_FAIL;
  const HRESULT rc = ext->WriteRep(*this, rep);
  ext->Release();
  return rc;
}
