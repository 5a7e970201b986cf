// KRODocumentFile.cpp - the document file layout, written and read with bounds checks.
#include "KRODocumentFile.h"

#include "KROStreamer.h"
#include "KROVZBDocument.h"
#include "KROVZBNode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

struct KRODocumentFileAccess {
  static const std::shared_ptr<const KROVZBNode>& Root(const KROVZBDocumentComponent& doc) {
    return doc.root_;
  }
  static KROVZBDocumentComponent* Make(std::shared_ptr<const KROVZBNode> root) {
    return new (std::nothrow) KROVZBDocumentComponent(std::move(root));
  }
};

namespace {

constexpr unsigned char kMagic[4] = {'K', 'R', 'O', 'D'};
constexpr int kVersion = 1;
constexpr int kNoStream = -1;
// Fewest bytes a container takes: name length, a one-byte name, stream length, child count.
constexpr unsigned int kMinContainerBytes = 13;

bool FitsInt(std::size_t n) {
  return n <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

bool WriteChildren(KROStreamWriter& writer, const KROVZBNode& parent) {
  if (!FitsInt(parent.children.size())) return false;
  writer.WriteInt(static_cast<int>(parent.children.size()));
  for (const auto& child : parent.children) {
    const auto& stream = child->stream;
    if (!FitsInt(child->name.size()) || (stream && !FitsInt(stream->size()))) return false;
    writer.WriteInt(static_cast<int>(child->name.size()));
    writer.WriteBytes(child->name.data(), static_cast<unsigned int>(child->name.size()));
    writer.WriteInt(stream ? static_cast<int>(stream->size()) : kNoStream);
    if (stream) writer.WriteBytes(stream->data(), static_cast<unsigned int>(stream->size()));
    if (!WriteChildren(writer, *child)) return false;
  }
  return writer.Good();
}

bool ReadChildren(KROStreamer& reader, KROVZBNode& parent, int level);

bool ReadContainer(KROStreamer& reader, KROVZBNode& node, int level) {
  int nameLength = 0;
  if (FAILED(reader.ReadInt(nameLength)) || nameLength <= 0) return false;
  if (static_cast<unsigned int>(nameLength) > reader.GetRemaining()) return false;
  node.name.resize(static_cast<std::size_t>(nameLength));
  if (FAILED(reader.ReadBytes(node.name.data(), static_cast<unsigned int>(nameLength))))
    return false;
  // Names are handed out as C strings, so an embedded zero would make the container unreachable.
  if (node.name.find('\0') != std::string::npos) return false;

  int streamLength = 0;
  if (FAILED(reader.ReadInt(streamLength))) return false;
  if (streamLength != kNoStream) {
    if (streamLength < 0 || static_cast<unsigned int>(streamLength) > reader.GetRemaining())
      return false;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(streamLength));
    if (FAILED(reader.ReadBytes(bytes.data(), static_cast<unsigned int>(streamLength))))
      return false;
    node.stream = std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
  }
  return ReadChildren(reader, node, level + 1);
}

bool UniqueNames(const std::vector<std::shared_ptr<const KROVZBNode>>& nodes) {
  std::vector<const std::string*> names;
  names.reserve(nodes.size());
  for (const auto& node : nodes)
    names.push_back(&node->name);
  std::sort(names.begin(), names.end(),
            [](const std::string* a, const std::string* b) { return *a < *b; });
  return std::adjacent_find(names.begin(), names.end(),
                            [](const std::string* a, const std::string* b) { return *a == *b; }) ==
         names.end();
}

/// Reads the children of `parent`, which lie at nesting `level` (top-level containers are 1).
bool ReadChildren(KROStreamer& reader, KROVZBNode& parent, int level) {
  int count = 0;
  if (FAILED(reader.ReadInt(count)) || count < 0) return false;
  if (static_cast<unsigned int>(count) > reader.GetRemaining() / kMinContainerBytes) return false;
  if (count > 0 && level > KROVZBNode::kMaxDepth) return false;
  parent.children.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto child = std::make_shared<KROVZBNode>();
    if (!ReadContainer(reader, *child, level)) return false;
    parent.children.push_back(std::move(child));
  }
  return UniqueNames(parent.children);
}

} // namespace

std::vector<unsigned char> KROSerializeDocument(const KROVZBDocumentComponent& doc) {
  KROStreamWriter writer;
  writer.WriteBytes(kMagic, sizeof kMagic);
  writer.WriteInt(kVersion);
  static const KROVZBNode kEmpty;
  const auto& root = KRODocumentFileAccess::Root(doc);
  if (!WriteChildren(writer, root ? *root : kEmpty)) return {};
  return writer.TakeBytes();
}

HRESULT KRODeserializeDocument(const unsigned char* data, std::size_t size,
                               KROVZBDocumentComponent** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  if (!data || size > std::numeric_limits<unsigned int>::max()) return E_FAIL;
  KROStreamer reader(data, static_cast<unsigned int>(size));
  try {
    unsigned char magic[sizeof kMagic] = {};
    int version = 0;
    if (FAILED(reader.ReadBytes(magic, sizeof magic)) ||
        std::memcmp(magic, kMagic, sizeof kMagic) != 0 || FAILED(reader.ReadInt(version)) ||
        version != kVersion)
      return E_FAIL;
    auto root = std::make_shared<KROVZBNode>();
    if (!ReadChildren(reader, *root, 1) || reader.GetRemaining() != 0) return E_FAIL;
    *out = KRODocumentFileAccess::Make(std::move(root));
  } catch (const std::bad_alloc&) {
    return E_FAIL;
  }
  return *out ? S_OK : E_FAIL;
}

HRESULT KROSaveDocument(const KROVZBDocumentComponent& doc, const char* path) {
  if (!path) return E_FAIL;
  const std::vector<unsigned char> bytes = KROSerializeDocument(doc);
  if (bytes.empty()) return E_FAIL;
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return E_FAIL;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? S_OK : E_FAIL;
}

HRESULT KROLoadDocument(const char* path, KROVZBDocumentComponent** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  if (!path) return E_FAIL;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return E_FAIL;
  std::vector<unsigned char> bytes;
  bool ok = true;
  try {
    unsigned char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
      if (bytes.size() + n > std::numeric_limits<unsigned int>::max()) {
        ok = false;
        break;
      }
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ok = ok && !std::ferror(file);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(file);
  if (!ok) return E_FAIL;
  return KRODeserializeDocument(bytes.data(), bytes.size(), out);
}
