// KROVZBNode.h - the container tree behind a visualization document (platform internal).
///
/// A built document's tree is immutable and shared: the document, every container view opened on
/// it and every streamer over a node's bytes hold it through shared pointers, so opening a
/// container copies nothing.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct KROVZBNode {
  /// Deepest container nesting a document may have, counting top-level containers as level 1.
  static constexpr int kMaxDepth = 64;

  std::string name; // non-empty and unique among siblings; empty for the root only
  /// Null when the container has no stream; a container may also hold an empty one.
  std::shared_ptr<const std::vector<unsigned char>> stream;
  std::vector<std::shared_ptr<const KROVZBNode>> children;
};
