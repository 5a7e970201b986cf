// KROFuzzDocumentFile.cpp - reading a document file from arbitrary bytes.
//
// Whatever the bytes, loading either fails cleanly or yields a document; a loaded document saves
// to bytes that load again into a document saving to the very same bytes, every container and
// stream of the annotation root can be walked, and the live counts come back where they were.
#include "KROFuzzSupport.h"

#include "KRODocumentFile.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <memory>

namespace {

constexpr const char* kChildren[] = {KROTPSContainers::kAnnotations, KROTPSContainers::kViews,
                                     KROTPSContainers::kCGs, KROTPSContainers::kCaptures,
                                     KROTPSContainers::kAnnotations2D};

/// Reads the whole stream of `container` as ints and class names, as a rep reader would.
void Drain(KROVZBContainer* container) {
  if (!container) return;
  KROStreamer* reader = container->GetStreamer();
  if (!reader) return;
  reader->SetCurrentPosition(0);
  int value = 0;
  while (SUCCEEDED(reader->ReadInt(value))) {
    const std::unique_ptr<char[]> name(reader->ReadClassName());
    if (!name) break;
  }
}

void Walk(KROVZBDocumentComponent* doc) {
  KROComPtr<KROIVZBDocument> itf;
  KROFuzzRequire(SUCCEEDED(doc->QueryInterface(IID_KROIVZBDocument, itf.Put())) && itf,
                 "a loaded document answers KROIVZBDocument");
  KROVZBContainer* root = itf->OpenContainer(KROUnicodeString(KROTPSContainers::kRoot), 1);
  if (!root) return;
  for (const char* name : kChildren) {
    KROVZBContainer* child = root->GetChildContainer(name);
    Drain(child);
    if (child) Drain(child->GetChildContainer(KROTPSContainers::kCaptureReps));
  }
  KROFuzzRequire(root->GetChildCount() >= 0, "a child count is never negative");
  delete root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const KROFuzzCounts counts;
  {
    KROVZBDocumentComponent* doc = nullptr;
    const HRESULT rc = KRODeserializeDocument(data, size, &doc);
    KROFuzzRequire(SUCCEEDED(rc) == (doc != nullptr), "a load yields a document exactly on S_OK");
    if (doc) {
      Walk(doc);
      const std::vector<unsigned char> saved = KROSerializeDocument(*doc);
      KROVZBDocumentComponent* again = nullptr;
      KROFuzzRequire(SUCCEEDED(KRODeserializeDocument(saved.data(), saved.size(), &again)) && again,
                     "a saved document loads again");
      KROFuzzRequire(KROSerializeDocument(*again) == saved, "saving is stable across a reload");
      again->Release();
      doc->Release();
    }
  }
  counts.Check();
  return 0;
}
