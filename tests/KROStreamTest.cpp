// KROStreamTest.cpp - stream bounds, rep bodies written and read back, and hostile streams.
#include "KROTestSupport.h"

#include "KRORep.h"
#include "KROStreamer.h"
#include "KROVizBaseCodeExtension.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

template <class Rep> Rep* MakeRep(const char* label) {
  Rep* rep = new (nullptr, nullptr, 0) Rep();
  if (rep) rep->SetLabel(label);
  return rep;
}

/// "Class:label(child,child)" for a whole tree, to compare trees read back with the originals.
std::string Describe(const KRORep& rep) {
  std::string s = std::string(rep.ClassName()) + ":" + rep.GetLabel();
  if (const list<KRORep>* children = rep.GetChildren()) {
    s += "(";
    for (int i = 0; i < children->Size(); ++i)
      if (const KRORep* child = (*children)[i]) s += Describe(*child) + ",";
    s += ")";
  }
  return s;
}

/// Reads "class name + body" the way the binding does; null when anything fails.
KRORep* ReadRepEntry(KROStreamer& reader) {
  std::unique_ptr<char[]> name(reader.ReadClassName());
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name.get());
  KRORep* rep = nullptr;
  if (ext) {
    ext->ReadRep(&reader, &rep);
    ext->Release();
  }
  return rep;
}

/// A chain of `levels` nested 3D bags written by hand (the writer refuses to go too deep).
Bytes NestedBags(int levels) {
  KROStreamWriter w;
  for (int level = 1; level <= levels; ++level) {
    w.WriteClassName("KRO3DBagRep");
    w.WriteInt(0);                      // empty label
    w.WriteInt(level < levels ? 1 : 0); // one child, except for the innermost bag
  }
  return w.TakeBytes();
}

class KROStreamTest : public KROTest {
protected:
  void TearDown() override {
    EXPECT_EQ(KROVizBaseCodeExtension::OutstandingCount(), 0) << "an extension was not released";
    KROTest::TearDown();
  }
};

TEST_F(KROStreamTest, IntsAreLittleEndianAndShortReadsChangeNothing) {
  KROStreamWriter w;
  w.WriteInt(-2);
  w.WriteInt(0x01020304);
  EXPECT_EQ(w.GetBytes()[4], 0x04);
  Bytes bytes = w.TakeBytes();
  bytes.pop_back();
  KROStreamer r(std::move(bytes));
  int value = 7;
  ASSERT_EQ(r.ReadInt(value), S_OK);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(r.ReadInt(value), E_FAIL); // 3 bytes left
  EXPECT_EQ(value, -2);
  EXPECT_EQ(r.GetCurrentPosition(), 4u);
  Bytes three(3);
  EXPECT_EQ(r.ReadBytes(three.data(), 4), E_FAIL);
  EXPECT_EQ(r.ReadBytes(three.data(), 3), S_OK);
}

TEST_F(KROStreamTest, PositionsBeyondTheEndAreRefused) {
  KROStreamer empty;
  EXPECT_EQ(empty.GetDataCount(), 0u);
  EXPECT_EQ(empty.SetCurrentPosition(0), S_OK);
  EXPECT_EQ(empty.SetCurrentPosition(1), E_FAIL);
  KROStreamer r(Bytes(8));
  EXPECT_EQ(r.SetCurrentPosition(8), S_OK);
  EXPECT_EQ(r.SetCurrentPosition(9), E_FAIL);
  EXPECT_EQ(r.SetCurrentPosition(0xFFFFFFFFu), E_FAIL);
  EXPECT_EQ(r.GetCurrentPosition(), 8u);
  int value = 3;
  EXPECT_EQ(r.ReadInt(value), E_FAIL);
  EXPECT_EQ(r.ReadClassName(), nullptr);
}

TEST_F(KROStreamTest, ClassNamesWithBadLengthsReadAsNullAndRestoreThePosition) {
  for (int length : {-1, -2147483647 - 1, 6, 2147483647}) {
    KROStreamWriter w;
    w.WriteInt(length);
    w.WriteBytes("abcde", 5); // one byte short of the smallest lie
    KROStreamer r(w.TakeBytes());
    EXPECT_EQ(r.ReadClassName(), nullptr) << length;
    EXPECT_EQ(r.GetCurrentPosition(), 0u) << length;
  }
  KROStreamWriter w;
  w.WriteClassName("KRO3DBagRep");
  w.WriteClassName(nullptr);
  KROStreamer r(w.TakeBytes());
  std::unique_ptr<char[]> name(r.ReadClassName());
  std::unique_ptr<char[]> empty(r.ReadClassName());
  ASSERT_TRUE(name && empty);
  EXPECT_STREQ(name.get(), "KRO3DBagRep");
  EXPECT_STREQ(empty.get(), "");
}

TEST_F(KROStreamTest, ReadersSharingBytesKeepTheirOwnPositions) {
  KROStreamWriter w;
  w.WriteInt(11);
  w.WriteInt(22);
  auto bytes = std::make_shared<const Bytes>(w.TakeBytes());
  KROStreamer a(bytes), b(bytes);
  int x = 0, y = 0;
  a.ReadInt(x);
  a.ReadInt(x);
  b.ReadInt(y);
  EXPECT_EQ(x, 22);
  EXPECT_EQ(y, 11);
}

TEST_F(KROStreamTest, PatchedPositionTableLeadsToTheRightReps) {
  auto* first = MakeRep<KRO2DBagRep>("first");
  auto* second = MakeRep<KRO2DCustomRep>("second");
  KROStreamWriter w;
  w.WriteInt(2);
  w.WriteInt(0);
  w.WriteInt(0);
  w.PatchInt(8, static_cast<int>(w.GetPosition()));
  ASSERT_EQ(w.WriteRep(*second), S_OK);
  w.PatchInt(4, static_cast<int>(w.GetPosition()));
  ASSERT_EQ(w.WriteRep(*first), S_OK);
  w.PatchInt(w.GetPosition() - 2, 1); // no room for an int there: ignored

  KROStreamer r(w.TakeBytes());
  for (const KRORep* expected : {static_cast<KRORep*>(first), static_cast<KRORep*>(second)}) {
    int at = 0;
    r.SetCurrentPosition(expected == first ? 4 : 8);
    r.ReadInt(at);
    ASSERT_EQ(r.SetCurrentPosition(static_cast<unsigned int>(at)), S_OK);
    KRORep* read = ReadRepEntry(r);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Describe(*read), Describe(*expected));
    read->Destroy();
  }
  first->Destroy();
  second->Destroy();
}

TEST_F(KROStreamTest, NestedRepsRoundTripThroughEveryExtension) {
  auto* top = MakeRep<KRO3DBagRep>("top");
  auto* flat = MakeRep<KRO2DBagRep>("flat");
  flat->AddChild(*MakeRep<KRO2DCustomRep>("custom"));
  flat->AddChild(*MakeRep<KRO3DBagRep>(""));
  top->AddChild(*flat);
  top->GetChildren()->Append(nullptr); // null slots are not streamed
  auto* zero = MakeRep<KRO2DCustomRep>("");
  zero->SetLabel(std::string("with\0zero", 9));
  top->AddChild(*zero);

  KROStreamWriter w;
  ASSERT_EQ(w.WriteRep(*top), S_OK);
  KROStreamer r(w.TakeBytes());
  KRORep* read = ReadRepEntry(r);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Describe(*read), Describe(*top));
  EXPECT_EQ(read->GetChildren()->Size(), 2);
  EXPECT_EQ((*read->GetChildren())[1]->GetLabel().size(), 9u);
  EXPECT_EQ(r.GetCurrentPosition(), r.GetDataCount());
  read->Destroy();
  top->Destroy();
}

TEST_F(KROStreamTest, RepsWithoutAnExtensionAreNotWritten) {
  auto* bag = MakeRep<KRO3DBagRep>("bag");
  auto* plain = MakeRep<KRO2DRep>("plain");
  KROStreamWriter w;
  w.WriteInt(5);
  EXPECT_EQ(w.WriteRep(*plain), E_FAIL);
  bag->AddChild(*plain);
  EXPECT_EQ(w.WriteRep(*bag), E_FAIL);
  EXPECT_EQ(w.GetPosition(), 4u); // the failed writes left nothing behind

  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, "KRO2DBagRep");
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->WriteRep(w, *bag), E_FAIL); // a 3D bag is not the 2D bag extension's class
  ext->Release();
  bag->Destroy();
}

TEST_F(KROStreamTest, ExtensionsExistOnlyForTheStreamedClassesUnderTheProtocol) {
  const IID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(KROVizBaseCodeExtension::GetExt(other, "KRO3DBagRep"), nullptr);
  for (const char* name : {"KRORep", "KRO2DRep", "KRO3DBag", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name), nullptr);
  KROVizBaseCodeExtension* ext =
      KROVizBaseCodeExtension::GetExt(KROProtocolDmuStream::kIID, "KRO2DCustomRep");
  ASSERT_NE(ext, nullptr);
  KRORep* rep = reinterpret_cast<KRORep*>(1);
  EXPECT_EQ(ext->ReadRep(nullptr, &rep), E_FAIL);
  EXPECT_EQ(rep, nullptr);
  KROStreamer r;
  EXPECT_EQ(ext->ReadRep(&r, nullptr), E_FAIL);
  ext->Release();
}

TEST_F(KROStreamTest, EveryTruncationOfANestedRepFailsCleanly) {
  auto* top = MakeRep<KRO3DBagRep>("top");
  auto* inner = MakeRep<KRO2DBagRep>("inner");
  inner->AddChild(*MakeRep<KRO2DCustomRep>("leaf"));
  top->AddChild(*inner);
  KROStreamWriter w;
  ASSERT_EQ(w.WriteRep(*top), S_OK);
  const Bytes whole = w.TakeBytes();
  top->Destroy();
  const unsigned int bodyStart = 4 + 11;
  for (std::size_t cut = bodyStart; cut < whole.size(); ++cut) {
    KROStreamer r(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
    r.SetCurrentPosition(bodyStart);
    KROVizBaseCodeExtension* ext =
        KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, "KRO3DBagRep");
    KRORep* rep = nullptr;
    EXPECT_EQ(ext->ReadRep(&r, &rep), E_FAIL) << cut;
    EXPECT_EQ(rep, nullptr);
    EXPECT_EQ(r.GetCurrentPosition(), bodyStart);
    ext->Release();
  }
}

TEST_F(KROStreamTest, LyingCountsAndUnknownChildrenFail) {
  auto readBody = [](const Bytes& bytes) {
    KROStreamer r(bytes);
    KRORep* rep = ReadRepEntry(r);
    if (rep) rep->Destroy();
    return rep != nullptr;
  };
  KROStreamWriter huge;
  huge.WriteClassName("KRO3DBagRep");
  huge.WriteInt(0);
  huge.WriteInt(0x7FFFFFFF); // far more children than bytes
  huge.WriteClassName("KRO2DCustomRep");
  huge.WriteInt(0);
  EXPECT_FALSE(readBody(huge.GetBytes()));

  KROStreamWriter unknown;
  unknown.WriteClassName("KRO2DBagRep");
  unknown.WriteInt(0);
  unknown.WriteInt(2);
  unknown.WriteClassName("KRO2DCustomRep");
  unknown.WriteInt(0);
  unknown.WriteClassName("KRORep"); // its body length is unknowable
  unknown.WriteInt(0);
  EXPECT_FALSE(readBody(unknown.GetBytes()));

  KROStreamWriter negativeLabel;
  negativeLabel.WriteClassName("KRO2DCustomRep");
  negativeLabel.WriteInt(-4);
  EXPECT_FALSE(readBody(negativeLabel.GetBytes()));
}

TEST_F(KROStreamTest, NestingIsLimitedWhenReadingAndWriting) {
  const int limit = KROVizBaseCodeExtension::kMaxRepNesting;
  KROStreamer deepest(NestedBags(limit));
  KRORep* rep = ReadRepEntry(deepest);
  ASSERT_NE(rep, nullptr);
  KROStreamWriter w;
  EXPECT_EQ(w.WriteRep(*rep), S_OK);
  EXPECT_EQ(w.GetBytes(), NestedBags(limit));

  auto* above = MakeRep<KRO3DBagRep>("");
  above->AddChild(*rep);
  EXPECT_EQ(w.WriteRep(*above), E_FAIL);
  above->Destroy();

  KROStreamer tooDeep(NestedBags(limit + 1));
  EXPECT_EQ(ReadRepEntry(tooDeep), nullptr);

  auto* a = MakeRep<KRO3DBagRep>("a");
  auto* b = MakeRep<KRO3DBagRep>("b");
  a->AddChild(*b);
  b->AddChild(*a);
  EXPECT_EQ(w.WriteRep(*a), E_FAIL); // a cycle ends at the nesting limit
  a->Destroy();
}

} // namespace
