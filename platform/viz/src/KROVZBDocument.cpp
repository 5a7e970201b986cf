// KROVZBDocument.cpp - document component, container views and the document builder.
#include "KROVZBDocument.h"

#include "KROStreamer.h"
#include "KROVZBNode.h"

#include <cstring>
#include <new>

KROVZBContainer::KROVZBContainer(std::shared_ptr<const KROVZBNode> node) noexcept
    : node_(std::move(node)) {}

KROVZBContainer::~KROVZBContainer() {
  if (children_) {
    for (std::size_t i = 0; i < node_->children.size(); ++i)
      delete children_[i];
    delete[] children_;
  }
  delete streamer_;
}

KROVZBContainer* KROVZBContainer::GetChildContainer(const char* name) {
  if (!name) return nullptr;
  const auto& nodes = node_->children;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i]->name != name) continue;
    if (!children_) {
      children_ = new (std::nothrow) KROVZBContainer* [nodes.size()] {};
      if (!children_) return nullptr;
    }
    if (!children_[i]) children_[i] = new (std::nothrow) KROVZBContainer(nodes[i]);
    return children_[i];
  }
  return nullptr;
}

KROStreamer* KROVZBContainer::GetStreamer() {
  if (!streamer_ && node_->stream) streamer_ = new (std::nothrow) KROStreamer(node_->stream);
  return streamer_;
}

const char* KROVZBContainer::GetName() const { return node_->name.c_str(); }

int KROVZBContainer::GetChildCount() const { return static_cast<int>(node_->children.size()); }

KROVZBDocumentComponent::KROVZBDocumentComponent(std::shared_ptr<const KROVZBNode> root) noexcept
    : root_(std::move(root)) {}

KROVZBDocumentComponent::~KROVZBDocumentComponent() = default;

HRESULT KROVZBDocumentComponent::QueryInterface(const IID& iid, void** out) {
  if (out && iid == IID_KROIVZBDocument) {
    AddRef();
    *out = static_cast<KROIVZBDocument*>(this);
    return S_OK;
  }
  return KROBaseUnknown::QueryInterface(iid, out);
}

KROVZBContainer* KROVZBDocumentComponent::OpenContainer(const KROUnicodeString& name, int) {
  if (!root_) return nullptr;
  for (const auto& node : root_->children)
    if (name == node->name.c_str()) return new (std::nothrow) KROVZBContainer(node);
  return nullptr;
}

namespace {

bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
  if (path.find('\0') != std::string::npos) return false; // names are handed out as C strings
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string::npos ? path.size() : slash;
    if (end == start) return false;
    parts.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts.size() <= static_cast<std::size_t>(KROVZBNode::kMaxDepth);
}

/// A copy of `node` in which the containers `parts[at...]` exist below it and, when `stream` is
/// set, the last of them holds it. Only the nodes along the path are copied; every other subtree
/// is shared with the tree it came from.
std::shared_ptr<const KROVZBNode>
WithPath(const KROVZBNode& node, const std::vector<std::string>& parts, std::size_t at,
         const std::shared_ptr<const std::vector<unsigned char>>& stream) {
  auto copy = std::make_shared<KROVZBNode>(node);
  if (at == parts.size()) {
    if (stream) copy->stream = stream;
    return copy;
  }
  for (auto& child : copy->children) {
    if (child->name == parts[at]) {
      child = WithPath(*child, parts, at + 1, stream);
      return copy;
    }
  }
  KROVZBNode fresh;
  fresh.name = parts[at];
  copy->children.push_back(WithPath(fresh, parts, at + 1, stream));
  return copy;
}

} // namespace

KRODocumentBuilder& KRODocumentBuilder::AddContainer(const std::string& path) {
  return Edit(path, nullptr);
}

KRODocumentBuilder& KRODocumentBuilder::SetStream(const std::string& path,
                                                  std::vector<unsigned char> bytes) {
  if (!good_) return *this;
  try {
    return Edit(path, std::make_shared<const std::vector<unsigned char>>(std::move(bytes)));
  } catch (const std::bad_alloc&) {
    good_ = false;
  }
  return *this;
}

KRODocumentBuilder&
KRODocumentBuilder::Edit(const std::string& path,
                         std::shared_ptr<const std::vector<unsigned char>> stream) {
  if (!good_) return *this;
  try {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) {
      good_ = false;
      return *this;
    }
    root_ = WithPath(root_ ? *root_ : KROVZBNode(), parts, 0, stream);
  } catch (const std::bad_alloc&) {
    good_ = false;
  }
  return *this;
}

KROVZBDocumentComponent* KRODocumentBuilder::Build() const {
  if (!good_) return nullptr;
  return new (std::nothrow) KROVZBDocumentComponent(root_);
}
