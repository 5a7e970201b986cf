// KROVZBDocument.h - visualization documents: a tree of named containers holding byte streams.
/// \file
///
/// \code
///   KROVZBDocumentComponent* doc = KRODocumentBuilder()
///                                      .SetStream("V4V5_FDT/KROTPSTPSCont", writer.TakeBytes())
///                                      .Build();                         // count 1
///   KROComPtr<KROIVZBDocument> itf;
///   doc->QueryInterface(IID_KROIVZBDocument, itf.Put());
///   KROVZBContainer* root = itf->OpenContainer("V4V5_FDT", 1);          // the caller's
///   if (KROVZBContainer* tps = root ? root->GetChildContainer("KROTPSTPSCont") : nullptr)
///     if (KROStreamer* reader = tps->GetStreamer()) read(*reader);       // the container's
///   delete root;                                                         // children, streamers
///   itf.Reset();
///   doc->Release();
/// \endcode
///
/// A built document never changes. Containers are views onto its tree: opening one copies no
/// data, and a view keeps the data it shows alive even after the document is released.
#pragma once

#include "KROBaseUnknown.h"
#include "KROPlatformExport.h"
#include "KROTypes.h"
#include "KROUnicodeString.h"

#include <memory>
#include <string>
#include <vector>

class KROStreamer;
class KROVZBContainer;
class KROVZBDocumentComponent;
struct KROVZBNode;

/// Id of KROIVZBDocument, answered by a document component.
inline constexpr IID IID_KROIVZBDocument = {
    0x6B524F56, 0x5A42, 0x4443, {0x8F, 0x21, 0x5D, 0x0C, 0x3A, 0x77, 0x91, 0x04}};

/// The document interface the set binds reps through.
class KRO_PLATFORM_API KROIVZBDocument : public KROBaseUnknown {
public:
  /// The interface's id (`KROComPtr::As`).
  static constexpr const IID& kIID = IID_KROIVZBDocument;

  /// A new view of the top-level container called `name`, which the caller deletes; null when
  /// there is none. The flag is accepted for any value: documents are read-only.
  virtual KROVZBContainer* OpenContainer(const KROUnicodeString& name, int flag) = 0;
};

/// A view of one named container of a document: its children and its stream.
class KRO_PLATFORM_API KROVZBContainer {
public:
  KROVZBContainer(const KROVZBContainer&) = delete;
  KROVZBContainer& operator=(const KROVZBContainer&) = delete;
  /// Deletes the child containers and the streamer handed out by this container.
  ~KROVZBContainer();

  /// The child called `name`, owned by this container (the same object on every call); null if
  /// there is none or `name` is null.
  KROVZBContainer* GetChildContainer(const char* name);
  /// The reader of this container's stream, owned by the container (the same reader on every
  /// call, so its position carries over); null when the container has no stream.
  KROStreamer* GetStreamer();
  /// The container's name, owned by the container.
  const char* GetName() const;
  /// Number of child containers.
  int GetChildCount() const;

private:
  friend class KROVZBDocumentComponent;
  explicit KROVZBContainer(std::shared_ptr<const KROVZBNode> node) noexcept;

  std::shared_ptr<const KROVZBNode> node_;
  KROVZBContainer** children_ = nullptr; // one slot per child node, filled on first request
  KROStreamer* streamer_ = nullptr;
};

/// A document component. It answers `IID_KROIVZBDocument` itself and everything else through the
/// runtime. Made with `new` (one reference), destroyed by its last `Release`.
class KRO_PLATFORM_API KROVZBDocumentComponent : public KROIVZBDocument {
public:
  /// An empty document.
  KROVZBDocumentComponent() = default;
  ~KROVZBDocumentComponent() override;

  /// The query by name, answered by the runtime.
  using KROBaseUnknown::QueryInterface;
  /// Answers IID_KROIVZBDocument itself, every other id through the runtime.
  HRESULT QueryInterface(const IID& iid, void** out) override;
  KROVZBContainer* OpenContainer(const KROUnicodeString& name, int flag) override;

private:
  friend class KRODocumentBuilder;
  friend struct KRODocumentFileAccess;
  explicit KROVZBDocumentComponent(std::shared_ptr<const KROVZBNode> root) noexcept;

  std::shared_ptr<const KROVZBNode> root_; // null for an empty document
};

/// Builds documents for tests, benchmarks and examples. Paths name containers from the top level
/// down, separated by '/': "V4V5_FDT/KROTPSCapCont/KROTPSCapRepCont". Missing containers along a
/// path are created. An empty path, an empty path segment or a path deeper than a document may
/// nest makes the builder fail (`Good` turns false and `Build` yields null); so does running out of
/// memory. Documents already built never see later changes.
class KRO_PLATFORM_API KRODocumentBuilder {
public:
  /// Creates the container at `path` and any missing along it.
  KRODocumentBuilder& AddContainer(const std::string& path);
  /// Gives the container at `path` the stream `bytes`, replacing any it had.
  KRODocumentBuilder& SetStream(const std::string& path, std::vector<unsigned char> bytes);

  /// A new document component (one reference, the caller releases it), or null.
  KROVZBDocumentComponent* Build() const;
  /// False once a path was refused or memory ran out.
  bool Good() const { return good_; }

private:
  KRODocumentBuilder& Edit(const std::string& path,
                           std::shared_ptr<const std::vector<unsigned char>> stream);

  std::shared_ptr<const KROVZBNode> root_;
  bool good_ = true;
};
