// KROVizBaseCodeExtension.cpp - the stream extensions of the three streamable rep classes.
#include "KROVizBaseCodeExtension.h"

#include "KROPolylineRep.h"
#include "KRORep.h"
#include "KROStreamer.h"

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

// Polyline bodies: a count of polylines, then per polyline a point count and its points, each
// coordinate a little-endian IEEE double. Counts are checked against the caps and against the
// bytes left before anything is allocated.
constexpr unsigned int kCoordinateBytes = 8;

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

template <class Rep> bool ReadPolylines(KROStreamer& reader, Rep& rep) {
  constexpr unsigned int pointBytes = kCoordinateBytes * Rep::kDimension;
  int lineCount = 0;
  if (FAILED(reader.ReadInt(lineCount)) || lineCount < 0 || lineCount > Rep::kMaxPolylines)
    return false;
  if (static_cast<unsigned int>(lineCount) > reader.GetRemaining() / 4) return false;
  std::vector<typename Rep::Polyline> lines(static_cast<std::size_t>(lineCount));
  long total = 0;
  for (auto& line : lines) {
    int pointCount = 0;
    if (FAILED(reader.ReadInt(pointCount)) || pointCount < 0) return false;
    total += pointCount;
    if (total > Rep::kMaxPoints) return false;
    if (static_cast<unsigned int>(pointCount) > reader.GetRemaining() / pointBytes) return false;
    line.resize(static_cast<std::size_t>(pointCount));
    for (auto& point : line)
      for (double& c : point)
        if (!ReadCoordinate(reader, c)) return false;
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
      for (double c : point) {
        if (!std::isfinite(c)) return false;
        WriteCoordinate(writer, c);
      }
  }
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
    return true;
  }

private:
  static constexpr bool kIsGroup = requires(Rep & group, KRORep& child) { group.AddChild(child); };
  static constexpr bool kHasPolylines = requires { Rep::kDimension; };
};

RepStreamExtFor<KRO3DBagRep> g3DBagExt;
RepStreamExtFor<KRO2DBagRep> g2DBagExt;
RepStreamExtFor<KRO2DCustomRep> g2DCustomExt;
RepStreamExtFor<KRO3DPolylineRep> g3DPolylineExt;
RepStreamExtFor<KRO2DPolylineRep> g2DPolylineExt;

RepStreamExt* const kExtensions[] = {&g3DBagExt, &g2DBagExt, &g2DCustomExt, &g3DPolylineExt,
                                     &g2DPolylineExt};

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
