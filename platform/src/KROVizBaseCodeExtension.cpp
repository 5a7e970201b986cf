// KROVizBaseCodeExtension.cpp - the stream extensions of the three streamable rep classes.
#include "KROVizBaseCodeExtension.h"

#include "KRORep.h"
#include "KROStreamer.h"

#include <atomic>
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
    return rep.release();
  }

  bool WriteBody(KROStreamWriter& writer, const KRORep& rep, int level) const override {
    if (!WriteLabel(writer, rep.GetLabel())) return false;
    if constexpr (kIsGroup) {
      // Null only for a foreign class that borrowed a group's name.
      const list<KRORep>* children = rep.GetChildren();
      return children && WriteChildren(writer, *children, level);
    }
    return true;
  }

private:
  static constexpr bool kIsGroup = requires(Rep & group, KRORep& child) { group.AddChild(child); };
};

RepStreamExtFor<KRO3DBagRep> g3DBagExt;
RepStreamExtFor<KRO2DBagRep> g2DBagExt;
RepStreamExtFor<KRO2DCustomRep> g2DCustomExt;

RepStreamExt* const kExtensions[] = {&g3DBagExt, &g2DBagExt, &g2DCustomExt};

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
