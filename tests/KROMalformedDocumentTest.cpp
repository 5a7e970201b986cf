// Documents that lie: counts, positions and lengths beyond the bytes, bodies cut short, unknown
// and oversized class names, document files cut or damaged at every byte. Each gives the result
// of a missing entry: no crash, overrun, hang or leaked rep.
#include "KRORepBindingTestSupport.h"

#include "KRODocumentFile.h"
#include "KROTPSLightContainerNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace {

using KROMalformedDocument = KROBindingTest;

KROBytes Cat(std::vector<KROBytes> parts) {
  KROBytes all;
  for (const KROBytes& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}
KROBytes Ints(std::initializer_list<int> values) {
  KROStreamWriter w;
  for (int v : values)
    w.WriteInt(v);
  return w.TakeBytes();
}
KROBytes Name(const std::string& name) {
  KROStreamWriter w;
  w.WriteClassName(name.c_str());
  return w.TakeBytes();
}

TEST_F(KROMalformedDocument, SequentialStreamsThatLie) {
  const KROBytes abc =
      KROSequential({{"KRO3DBagRep", "a"}, {"KRO3DBagRep", "b"}, {"KRO3DBagRep", "c"}});
  const KROBytes entries(abc.begin() + 4, abc.end()), ab(abc.begin() + 4, abc.end() - 24);
  KROBytes deep; // bags nested beyond the reader's limit: the writer would refuse them
  for (int level = 0; level < 40; ++level)
    deep = Cat({deep, Name("KRO3DBagRep"), Ints({0, level < 39 ? 1 : 0})});
  const struct {
    const char* what;
    KROBytes bytes;
    bool binds;
  } cases[] = {
      {"count far beyond the entries", Cat({Ints({INT_MAX}), entries}), true},
      {"count one short", Cat({Ints({2}), entries}), false},
      {"negative count", Cat({Ints({-5}), entries}), false},
      {"name longer than the stream", Cat({Ints({3, INT_MAX}), entries}), false},
      {"negative name length", Cat({Ints({3, -1}), entries}), false},
      {"a megabyte-long unknown name", Cat({Ints({4}), Name(std::string(1 << 20, 'x')), entries}),
       true},
      {"last body cut short", KROBytes(abc.begin(), abc.end() - 2), false},
      {"child count beyond the bytes",
       Cat({Ints({3}), ab, Name("KRO3DBagRep"), Ints({0, INT_MAX})}), false},
      {"nesting beyond the limit", Cat({Ints({3}), ab, deep}), false},
  };
  KROTPSLightTPS* tps[3] = {Tps(1), Tps(2), Tps(3)};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (KROTPSLightTPS* t : tps)
      t->SetRep(nullptr);
    const long reps = KRORep::LiveCount();
    Use(KRODocumentBuilder().SetStream(KROTPSContainers::kAnnotationsPath, c.bytes).Build());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(services_->GenerateAllReps(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(LabelOf(tps[0]) + LabelOf(tps[2]), c.binds ? "ac" : "--");
    EXPECT_EQ(KRORep::LiveCount(), reps + (c.binds ? 6 : 0));
  }
}

TEST_F(KROMalformedDocument, IndexedStreamsThatLie) {
  for (const std::string cls : {"KRO2DBagRep", "KRO3DBagRep"}) {
    const bool twoD = cls == "KRO2DBagRep";
    const KROBytes good = KROIndexed({{cls, "one"}, {cls, "two"}});
    const int end = static_cast<int>(good.size());
    const auto patched = [&](std::size_t at, int value, const KROBytes& tail = {}) {
      KROBytes b = Cat({good, tail});
      const KROBytes v = Ints({value});
      std::copy(v.begin(), v.end(), b.begin() + static_cast<long>(at));
      return b;
    };
    const struct {
      const char* what;
      KROBytes bytes;
      int index;
    } cases[] = {
        {"a good entry", good, 2},
        {"index 0", good, 0},
        {"negative index", good, -1},
        {"index beyond the table", good, 3},
        {"largest index", good, INT_MAX},
        {"table cut short", patched(0, 1000), 999},
        {"count of 0", patched(0, 0), 1},
        {"negative count", patched(0, -2), 1},
        {"negative position", patched(4, -8), 1},
        {"position at the end", patched(4, end), 1},
        {"position beyond the end", patched(4, INT_MAX), 1},
        {"name longer than the stream", patched(4, end, Ints({INT_MAX})), 1},
        {"long unknown name", patched(4, end, Name(std::string(100000, 'x'))), 1},
        {"body cut short", KROBytes(good.begin(), good.end() - 3), 2},
        {"too short for a count", KROBytes{1, 0, 0}, 1},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(cls + ": " + c.what);
      const long reps = KRORep::LiveCount();
      KROTPSLightTPS* tps = Tps(c.index);
      KROTPSLightCapture* cap = Capture(c.index);
      Use(KRODocumentBuilder()
              .SetStream(KROTPSContainers::kAnnotations2DPath, c.bytes)
              .SetStream(KROTPSContainers::kCapturesPath, c.bytes)
              .Build());
      EXPECT_EQ(services_->GenerateAll2DReps(), S_OK);
      EXPECT_EQ(services_->GenerateAllCapturesReps(), S_OK);
      const bool valid = std::string(c.what) == "a good entry";
      EXPECT_EQ(Label2DOf(tps), valid && twoD ? "two" : "-");
      EXPECT_EQ(LabelOf(cap), valid && !twoD ? "two" : "-");
      set_->FlushData();
      EXPECT_EQ(KRORep::LiveCount(), reps);
    }
  }
}

TEST_F(KROMalformedDocument, StreamsAndDocumentFilesCutOrDamagedAtEveryByte) {
  KROTPSLightTPS* tps = Tps(1);
  KROTPSLightCapture* cap = Capture(1);
  const KROBytes seq = KROSequential({{"KRO3DBagRep", "s"}});
  const KROBytes cap3D = KROIndexed({{"KRO3DBagRep", "c"}});
  const KROBytes tps2D = KROIndexed({{"KRO2DBagRep", "t"}});
  const auto document = [&](std::size_t n) {
    const auto cut = [n](const KROBytes& b) {
      return KROBytes(b.begin(), b.begin() + static_cast<long>(std::min(n, b.size())));
    };
    return KRODocumentBuilder()
        .SetStream(KROTPSContainers::kAnnotationsPath, cut(seq))
        .SetStream(KROTPSContainers::kCapturesPath, cut(cap3D))
        .SetStream(KROTPSContainers::kAnnotations2DPath, cut(tps2D))
        .Build();
  };
  const auto runAll = [&] {
    tps->SetRep(nullptr);
    cap->SetRep(nullptr);
    services_->GenerateAllReps();
    services_->GenerateAll2DReps();
    services_->GenerateAllCapturesReps();
  };
  for (std::size_t n = 0; n <= std::max({seq.size(), cap3D.size(), tps2D.size()}); ++n) {
    Use(document(n));
    runAll();
    EXPECT_EQ(LabelOf(tps) == "s", n >= seq.size()) << n;
    EXPECT_EQ(LabelOf(cap) == "c", n >= cap3D.size()) << n;
  }

  KROVZBDocumentComponent* whole = document(SIZE_MAX);
  const KROBytes file = KROSerializeDocument(*whole);
  whole->Release();
  int loaded = 0;
  const auto bindFrom = [&](const KROBytes& bytes) {
    KROVZBDocumentComponent* doc = nullptr;
    if (FAILED(KRODeserializeDocument(bytes.data(), bytes.size(), &doc))) return;
    ++loaded;
    Use(doc);
    runAll();
  };
  for (std::size_t n = 0; n <= file.size(); ++n)
    bindFrom(KROBytes(file.begin(), file.begin() + static_cast<long>(n)));
  EXPECT_EQ(LabelOf(tps) + LabelOf(cap) + Label2DOf(tps), "sct") << "the whole file binds";
  for (std::size_t at = 0; at < file.size(); ++at)
    for (unsigned char value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      KROBytes damaged = file;
      damaged[at] = value;
      bindFrom(damaged);
    }
  EXPECT_GT(loaded, 1) << "some damaged files still form documents, and were bound";
}

} // namespace
