// KROIndexedStreamWriterTest.cpp - indexed streams written and read back entry by entry, the
// empty stream, indexes given no entry, and the writes the writer refuses.
#include "KROTestSupport.h"

#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROVizBaseCodeExtension.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

/// A rep of class `Rep` with `label`, destroyed with the holder.
template <class Rep> struct Made {
  explicit Made(const char* label) : rep(new (nullptr, nullptr, 0) Rep()) { rep->SetLabel(label); }
  ~Made() { rep->Destroy(); }
  Made(const Made&) = delete;
  Made& operator=(const Made&) = delete;
  Rep* rep;
};

/// What a reader finds for `index`, the way the binding looks it up: the table entry, then
/// "class:label" of the rep it points at; "" when the index has no readable rep.
std::string Lookup(const Bytes& bytes, int index) {
  KROStreamer r(bytes.data(), static_cast<unsigned int>(bytes.size()));
  int count = 0, at = 0;
  if (FAILED(r.ReadInt(count)) || index < 1 || index > count) return "";
  const unsigned long long entry = KROIndexedStreamWriter::EntryPosition(index);
  if (entry > r.GetDataCount() || FAILED(r.SetCurrentPosition(unsigned(entry))) ||
      FAILED(r.ReadInt(at)) || at <= 0 || FAILED(r.SetCurrentPosition(unsigned(at))))
    return "";
  std::unique_ptr<char[]> name(r.ReadClassName());
  KROVizBaseCodeExtension* ext =
      name ? KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name.get()) : nullptr;
  if (!ext) return name ? std::string(name.get()) + ":(no body)" : "";
  KRORep* rep = nullptr;
  ext->ReadRep(&r, &rep);
  ext->Release();
  if (!rep) return "";
  const std::string found = std::string(name.get()) + ":" + rep->GetLabel();
  rep->Destroy();
  return found;
}

class KROIndexedStreamWriterTest : public KROTest {};

TEST_F(KROIndexedStreamWriterTest, EntriesWrittenInAnyOrderAreFoundByTheirIndex) {
  const Made<KRO2DBagRep> one("one");
  const Made<KRO2DCustomRep> two("two");
  const Made<KRO3DBagRep> three("three");
  KROIndexedStreamWriter w(3);
  EXPECT_EQ(w.GetCount(), 3);
  EXPECT_EQ(w.WriteRep(3, *three.rep), S_OK);
  EXPECT_EQ(w.WriteRep(1, *one.rep), S_OK);
  EXPECT_EQ(w.WriteRep(2, *two.rep), S_OK);
  ASSERT_TRUE(w.Good());
  const Bytes bytes = w.TakeBytes();
  EXPECT_EQ(Lookup(bytes, 1), "KRO2DBagRep:one");
  EXPECT_EQ(Lookup(bytes, 2), "KRO2DCustomRep:two");
  EXPECT_EQ(Lookup(bytes, 3), "KRO3DBagRep:three");
  // The table sits right after the count, the first entry right after the table.
  KROStreamer r(bytes);
  int count = 0, first = 0;
  r.ReadInt(count);
  r.SetCurrentPosition(unsigned(KROIndexedStreamWriter::EntryPosition(3)));
  r.ReadInt(first);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(first, 16);
  EXPECT_TRUE(w.GetBytes().empty()); // taken
}

TEST_F(KROIndexedStreamWriterTest, AnEmptyStreamIsItsCountAlone) {
  const Made<KRO3DBagRep> bag("bag");
  KROIndexedStreamWriter w(0);
  EXPECT_EQ(w.WriteRep(1, *bag.rep), E_FAIL);
  EXPECT_EQ(w.BeginEntry(1), E_FAIL);
  EXPECT_EQ(w.GetBytes(), (Bytes{0, 0, 0, 0}));
  KROIndexedStreamWriter negative(-2);
  EXPECT_EQ(negative.GetBytes(), (Bytes{0xFE, 0xFF, 0xFF, 0xFF})); // no table
  EXPECT_EQ(negative.WriteRep(1, *bag.rep), E_FAIL);
}

TEST_F(KROIndexedStreamWriterTest, RefusedWritesLeaveTheStreamAsItWas) {
  const Made<KRO3DBagRep> bag("bag");
  const Made<KRO2DRep> plain("plain"); // no stream extension
  KROIndexedStreamWriter w(2);
  const Bytes start = w.GetBytes();
  for (int index : {0, -1, 3})
    EXPECT_EQ(w.WriteRep(index, *bag.rep), E_FAIL) << index;
  EXPECT_EQ(w.BeginEntry(3), E_FAIL);
  EXPECT_EQ(w.WriteRep(1, *plain.rep), E_FAIL);
  EXPECT_EQ(w.GetBytes(), start);
  EXPECT_TRUE(w.Good());
  // An index given no entry keeps position 0 and reads as no rep.
  EXPECT_EQ(w.WriteRep(2, *bag.rep), S_OK);
  const Bytes bytes = w.TakeBytes();
  EXPECT_EQ(Lookup(bytes, 1), "");
  EXPECT_EQ(Lookup(bytes, 2), "KRO3DBagRep:bag");
}

TEST_F(KROIndexedStreamWriterTest, EntriesWrittenByHandAndDeliberateDamage) {
  const Made<KRO2DBagRep> bag("bag");
  KROIndexedStreamWriter w(2);
  ASSERT_EQ(w.BeginEntry(1), S_OK);
  w.Writer().WriteClassName("KRORep"); // a class with no body
  ASSERT_EQ(w.WriteRep(2, *bag.rep), S_OK);
  EXPECT_EQ(Lookup(w.GetBytes(), 1), "KRORep:(no body)");
  EXPECT_EQ(Lookup(w.GetBytes(), 2), "KRO2DBagRep:bag");
  // Entry 1 pointed at entry 2's rep, then the stream cut inside that rep's body.
  int second = 0;
  KROStreamer table(w.GetBytes());
  table.SetCurrentPosition(unsigned(KROIndexedStreamWriter::EntryPosition(2)));
  table.ReadInt(second);
  w.Writer().PatchInt(unsigned(KROIndexedStreamWriter::EntryPosition(1)), second);
  EXPECT_EQ(Lookup(w.GetBytes(), 1), "KRO2DBagRep:bag");
  w.Writer().Truncate(w.Writer().GetPosition() - 1);
  EXPECT_EQ(Lookup(w.GetBytes(), 1), "");
}

} // namespace
