// KRODocumentTest.cpp - documents as built, opened, saved and loaded, and damaged document files.
#include "KROTestSupport.h"

#include "KROComPtr.h"
#include "KRODocumentFile.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

KROVZBDocumentComponent* SampleDocument() {
  return KRODocumentBuilder()
      .SetStream(KROTPSContainers::kAnnotationsPath, {1, 0, 0, 0})
      .AddContainer(KROTPSContainers::kCaptureRepsPath)
      .SetStream(KROTPSContainers::kViewsPath, {})
      .SetStream("Other", {9})
      .Build();
}

Bytes StreamOf(KROVZBContainer* container) {
  KROStreamer* reader = container ? container->GetStreamer() : nullptr;
  if (!reader) return {};
  Bytes bytes(reader->GetDataCount());
  reader->SetCurrentPosition(0);
  reader->ReadBytes(bytes.data(), reader->GetDataCount());
  return bytes;
}

/// Starts a container in the file layout by hand; its `children` must follow.
void WriteContainer(KROStreamWriter& w, const std::string& name, int children,
                    int streamLength = -1) {
  w.WriteInt(static_cast<int>(name.size()));
  w.WriteBytes(name.data(), static_cast<unsigned int>(name.size()));
  w.WriteInt(streamLength);
  for (int i = 0; i < streamLength; ++i)
    w.WriteBytes("s", 1);
  w.WriteInt(children);
}

KROStreamWriter FileHeader(int topLevel) {
  KROStreamWriter w;
  w.WriteBytes("KROD", 4);
  w.WriteInt(1);
  w.WriteInt(topLevel);
  return w;
}

bool Loads(const Bytes& bytes) {
  KROVZBDocumentComponent* doc = nullptr;
  const HRESULT rc = KRODeserializeDocument(bytes.data(), bytes.size(), &doc);
  EXPECT_EQ(SUCCEEDED(rc), doc != nullptr);
  if (doc) doc->Release();
  return SUCCEEDED(rc);
}

class KRODocumentTest : public KROTest {};

TEST_F(KRODocumentTest, ContainersAndStreamsAreFoundByName) {
  KROVZBDocumentComponent* doc = SampleDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->OpenContainer(KROTPSContainers::kAnnotations, 1),
            nullptr); // not a top-level container
  EXPECT_EQ(doc->OpenContainer("Missing", 1), nullptr);

  std::unique_ptr<KROVZBContainer> root(doc->OpenContainer(KROTPSContainers::kRoot, 1));
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->GetName(), KROTPSContainers::kRoot);
  EXPECT_EQ(root->GetChildCount(), 3);
  EXPECT_EQ(root->GetStreamer(), nullptr);
  EXPECT_EQ(root->GetChildContainer(nullptr), nullptr);
  EXPECT_EQ(root->GetChildContainer("Other"), nullptr);

  KROVZBContainer* tps = root->GetChildContainer(KROTPSContainers::kAnnotations);
  EXPECT_EQ(tps, root->GetChildContainer(KROTPSContainers::kAnnotations));
  EXPECT_EQ(StreamOf(tps), Bytes({1, 0, 0, 0}));
  KROStreamer* views = root->GetChildContainer(KROTPSContainers::kViews)->GetStreamer();
  ASSERT_NE(views, nullptr);
  EXPECT_EQ(views->GetDataCount(), 0u);
  KROVZBContainer* captures = root->GetChildContainer(KROTPSContainers::kCaptures);
  ASSERT_NE(captures, nullptr);
  EXPECT_EQ(captures->GetStreamer(), nullptr);
  EXPECT_NE(captures->GetChildContainer(KROTPSContainers::kCaptureReps), nullptr);

  // Every open gives a fresh view with its own reader positions.
  std::unique_ptr<KROVZBContainer> again(doc->OpenContainer(KROTPSContainers::kRoot, 0));
  KROStreamer* first = tps->GetStreamer();
  int value = 0;
  first->ReadInt(value);
  EXPECT_EQ(
      again->GetChildContainer(KROTPSContainers::kAnnotations)->GetStreamer()->GetCurrentPosition(),
      0u);
  doc->Release();
}

TEST_F(KRODocumentTest, DocumentAnswersItsInterfaceWithOneIdentity) {
  KROVZBDocumentComponent* doc = SampleDocument();
  KROComPtr<KROIVZBDocument> itf;
  ASSERT_EQ(doc->QueryInterface(IID_KROIVZBDocument, itf.Put()), S_OK);
  EXPECT_EQ(itf.Get(), doc);
  KROComPtr<KROBaseUnknown> base;
  ASSERT_EQ(itf->QueryInterface(CLSID_KROBaseUnknown, base.Put()), S_OK);
  EXPECT_EQ(base.Get(), static_cast<KROBaseUnknown*>(doc));
  const IID unknown = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  void* out = doc;
  EXPECT_TRUE(FAILED(doc->QueryInterface(unknown, &out)));
  EXPECT_EQ(out, nullptr);
  EXPECT_TRUE(FAILED(doc->QueryInterface(IID_KROIVZBDocument, nullptr)));
  doc->Release(); // the interface pointers still hold the document
  std::unique_ptr<KROVZBContainer> root(itf->OpenContainer(KROTPSContainers::kRoot, 1));
  EXPECT_NE(root, nullptr);
}

TEST_F(KRODocumentTest, OpenedContainerOutlivesItsDocument) {
  KROVZBDocumentComponent* doc = SampleDocument();
  std::unique_ptr<KROVZBContainer> root(doc->OpenContainer(KROTPSContainers::kRoot, 1));
  doc->Release();
  EXPECT_EQ(StreamOf(root->GetChildContainer(KROTPSContainers::kAnnotations)), Bytes({1, 0, 0, 0}));
}

TEST_F(KRODocumentTest, BuilderEditsNeverReachBuiltDocuments) {
  KRODocumentBuilder builder;
  builder.SetStream("A/B", {1});
  KROVZBDocumentComponent* before = builder.Build();
  builder.SetStream("A/B", {2, 2}).AddContainer("A/C");
  KROVZBDocumentComponent* after = builder.Build();
  std::unique_ptr<KROVZBContainer> a1(before->OpenContainer("A", 1));
  std::unique_ptr<KROVZBContainer> a2(after->OpenContainer("A", 1));
  EXPECT_EQ(StreamOf(a1->GetChildContainer("B")), Bytes({1}));
  EXPECT_EQ(a1->GetChildContainer("C"), nullptr);
  EXPECT_EQ(StreamOf(a2->GetChildContainer("B")), Bytes({2, 2}));
  EXPECT_EQ(a2->GetChildCount(), 2);
  before->Release();
  after->Release();
}

// Each path of KROTPSLightContainerNames.h leads, from the root, through the names it is made of.
TEST_F(KRODocumentTest, AnnotationContainerPathsLeadThroughTheirNames) {
  const struct {
    const char* path;
    std::vector<const char*> names;
  } paths[] = {
      {KROTPSContainers::kAnnotationsPath, {KROTPSContainers::kAnnotations}},
      {KROTPSContainers::kViewsPath, {KROTPSContainers::kViews}},
      {KROTPSContainers::kCGsPath, {KROTPSContainers::kCGs}},
      {KROTPSContainers::kCapturesPath, {KROTPSContainers::kCaptures}},
      {KROTPSContainers::kCaptureRepsPath,
       {KROTPSContainers::kCaptures, KROTPSContainers::kCaptureReps}},
      {KROTPSContainers::kAnnotations2DPath, {KROTPSContainers::kAnnotations2D}},
  };
  for (const auto& p : paths) {
    SCOPED_TRACE(p.path);
    KROVZBDocumentComponent* doc = KRODocumentBuilder().SetStream(p.path, {7}).Build();
    ASSERT_NE(doc, nullptr);
    {
      std::unique_ptr<KROVZBContainer> root(doc->OpenContainer(KROTPSContainers::kRoot, 1));
      KROVZBContainer* at = root.get();
      for (const char* name : p.names)
        at = at ? at->GetChildContainer(name) : nullptr;
      EXPECT_EQ(StreamOf(at), Bytes({7}));
    }
    doc->Release();
  }
}

TEST_F(KRODocumentTest, BuilderRefusesBadPaths) {
  std::string deepest = "c";
  for (int i = 1; i < 64; ++i)
    deepest += "/c";
  EXPECT_TRUE(KRODocumentBuilder().AddContainer(deepest).Good());
  for (const std::string& bad : {std::string(), std::string("a//b"), std::string("/a"),
                                 std::string("a/"), std::string("a\0b", 3), deepest + "/c"}) {
    KRODocumentBuilder builder;
    builder.AddContainer(bad).SetStream("fine", {1});
    EXPECT_FALSE(builder.Good()) << bad;
    EXPECT_EQ(builder.Build(), nullptr) << bad;
  }
}

TEST_F(KRODocumentTest, DocumentsRoundTripThroughMemoryAndFiles) {
  KROVZBDocumentComponent* doc = SampleDocument();
  const Bytes bytes = KROSerializeDocument(*doc);
  KROVZBDocumentComponent* copy = nullptr;
  ASSERT_EQ(KRODeserializeDocument(bytes.data(), bytes.size(), &copy), S_OK);
  EXPECT_EQ(KROSerializeDocument(*copy), bytes);
  std::unique_ptr<KROVZBContainer> root(copy->OpenContainer(KROTPSContainers::kRoot, 1));
  EXPECT_EQ(StreamOf(root->GetChildContainer(KROTPSContainers::kAnnotations)), Bytes({1, 0, 0, 0}));
  EXPECT_NE(root->GetChildContainer(KROTPSContainers::kViews)->GetStreamer(), nullptr);
  EXPECT_EQ(root->GetChildContainer(KROTPSContainers::kCaptures)->GetStreamer(), nullptr);
  copy->Release();

  const std::string path = ::testing::TempDir() + "kro_document_test.krod";
  ASSERT_EQ(KROSaveDocument(*doc, path.c_str()), S_OK);
  KROVZBDocumentComponent* loaded = nullptr;
  ASSERT_EQ(KROLoadDocument(path.c_str(), &loaded), S_OK);
  EXPECT_EQ(KROSerializeDocument(*loaded), bytes);
  loaded->Release();
  std::remove(path.c_str());
  EXPECT_EQ(KROLoadDocument(path.c_str(), &loaded), E_FAIL);
  EXPECT_EQ(loaded, nullptr);
  EXPECT_EQ(KROLoadDocument(nullptr, &loaded), E_FAIL);
  EXPECT_EQ(KROSaveDocument(*doc, nullptr), E_FAIL);
  doc->Release();

  KROVZBDocumentComponent* empty = new KROVZBDocumentComponent();
  EXPECT_TRUE(Loads(KROSerializeDocument(*empty)));
  empty->Release();
}

TEST_F(KRODocumentTest, EveryCutAndEveryFlippedByteIsHandled) {
  KROVZBDocumentComponent* doc = SampleDocument();
  const Bytes bytes = KROSerializeDocument(*doc);
  doc->Release();
  for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_FALSE(Loads(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut)))) << cut;
  int loadedAnyway = 0;
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (unsigned char mask : {0x01, 0x80, 0xFF}) {
      Bytes damaged = bytes;
      damaged[at] ^= mask;
      KROVZBDocumentComponent* read = nullptr;
      if (SUCCEEDED(KRODeserializeDocument(damaged.data(), damaged.size(), &read))) {
        // A damage that still forms a document must read as exactly that document.
        EXPECT_EQ(KROSerializeDocument(*read), damaged) << at;
        read->Release();
        ++loadedAnyway;
      } else {
        EXPECT_EQ(read, nullptr);
      }
    }
  }
  EXPECT_GT(loadedAnyway, 0); // names and stream bytes may change without breaking the layout
}

TEST_F(KRODocumentTest, MalformedTreesAreRejected) {
  auto tree = [](const std::vector<std::string>& names) {
    KROStreamWriter w = FileHeader(static_cast<int>(names.size()));
    for (const std::string& name : names)
      WriteContainer(w, name, 0);
    return w.TakeBytes();
  };
  EXPECT_TRUE(Loads(tree({"a", "b"})));
  EXPECT_FALSE(Loads(tree({"a", "b", "a"})));
  EXPECT_FALSE(Loads(tree({""})));
  EXPECT_FALSE(Loads(tree({std::string("a\0b", 3)})));

  Bytes trailing = tree({"a"});
  trailing.push_back(0);
  EXPECT_FALSE(Loads(trailing));
  Bytes version = tree({"a"});
  version[4] = 2;
  EXPECT_FALSE(Loads(version));

  KROStreamWriter badStream = FileHeader(1);
  WriteContainer(badStream, "a", 0, -2);
  EXPECT_FALSE(Loads(badStream.GetBytes()));
  KROStreamWriter manyChildren = FileHeader(1);
  WriteContainer(manyChildren, "a", 0x7FFFFFFF);
  WriteContainer(manyChildren, "b", 0);
  EXPECT_FALSE(Loads(manyChildren.GetBytes()));

  auto chain = [](int depth) {
    KROStreamWriter w = FileHeader(1);
    for (int level = 1; level <= depth; ++level)
      WriteContainer(w, "c", level < depth ? 1 : 0, 1);
    return w.TakeBytes();
  };
  EXPECT_TRUE(Loads(chain(64)));
  EXPECT_FALSE(Loads(chain(65)));
  EXPECT_FALSE(Loads(chain(100000)));
}

} // namespace
