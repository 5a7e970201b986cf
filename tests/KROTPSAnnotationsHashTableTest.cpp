// The geometry-tag cache: entry ownership, the two callbacks with their failed-assertion reports,
// and creating, filling, clearing and destroying a table.
#include "KROTPSAnnotationsHashTable.h"
#include "KROFatalError.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSource =
    "KROTPSLightInterfaces\\KROTPSLightKernel.m\\src\\KROTPSAnnotationsHashTable";

struct Report {
  std::string message, source;
  int line;
};
std::vector<Report> reports;
void Record(const char* message, const char* source, int line) {
  reports.push_back({message ? message : "", source ? source : "", line});
}

class AnnotationsHashTable : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    for (auto*& a : annotations_)
      a = new KROBaseUnknown();
  }
  void TearDown() override {
    for (auto* a : annotations_) {
      EXPECT_EQ(KRORefCount(a), 1u) << "the cache must never count annotations";
      a->Release();
    }
    KROTest::TearDown();
  }
  KROBaseUnknown* annotations_[3] = {};
};

class AnnotationsHashTableCallbacks : public AnnotationsHashTable {
protected:
  void SetUp() override {
    AnnotationsHashTable::SetUp();
    reports.clear();
    previous_ = KROSetFatalErrorHandler(Record);
  }
  void TearDown() override {
    KROSetFatalErrorHandler(previous_);
    AnnotationsHashTable::TearDown();
  }
  KROFatalErrorHandler previous_ = nullptr;
};

TEST_F(AnnotationsHashTableCallbacks, EntriesWithOneTagHashAndCompareEqual) {
  KROTPSAnnotationEntry a(30);
  KROTPSAnnotationEntry b(30, nullptr);
  KROTPSAnnotationEntry c(31);
  KROTPSAnnotationEntry negative(-30);
  EXPECT_EQ(HashAnnotationEntry(&a), HashAnnotationEntry(&b));
  EXPECT_EQ(CompareAnnotationEntries(&a, &b), 1);
  EXPECT_EQ(CompareAnnotationEntries(&a, &a), 1);
  EXPECT_EQ(CompareAnnotationEntries(&a, &c), 0);
  EXPECT_EQ(CompareAnnotationEntries(&negative, &a), 0);
  EXPECT_TRUE(reports.empty());
}

TEST_F(AnnotationsHashTableCallbacks, NullEntriesAreReportedWithTheirLinesAndThenHandled) {
  KROTPSAnnotationEntry e(5);

  EXPECT_EQ(HashAnnotationEntry(nullptr), 0u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].message, "AssertionFailed:ipObj");
  EXPECT_EQ(reports[0].source, kSource);
  EXPECT_EQ(reports[0].line, 33);

  reports.clear();
  EXPECT_EQ(CompareAnnotationEntries(nullptr, &e), 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].message, "AssertionFailed:ipObj1");
  EXPECT_EQ(reports[0].line, 53);

  reports.clear();
  EXPECT_EQ(CompareAnnotationEntries(&e, nullptr), 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].message, "AssertionFailed:ipObj2");
  EXPECT_EQ(reports[0].source, kSource);
  EXPECT_EQ(reports[0].line, 54);

  // Both assertions run before the identity test, which then matches null with null.
  reports.clear();
  EXPECT_EQ(CompareAnnotationEntries(nullptr, nullptr), 1);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].line, 53);
  EXPECT_EQ(reports[1].line, 54);
}

TEST_F(AnnotationsHashTable, EntryCopiesTheNonNullItemsAndOwnsItsCopy) {
  list<KROBaseUnknown> source;
  source.Append(annotations_[0]);
  source.Append(nullptr);
  source.Append(annotations_[1]);
  source.Append(annotations_[0]);
  KROTPSAnnotationEntry entry(12, &source);
  source.Remove(annotations_[1]);

  list<KROBaseUnknown>* held = nullptr;
  ASSERT_EQ(entry.GetAnnotations(&held), S_OK);
  ASSERT_NE(held, &source);
  ASSERT_EQ(held->Size(), 3);
  EXPECT_EQ(held->At(0), annotations_[0]);
  EXPECT_EQ(held->At(1), annotations_[1]);
  EXPECT_EQ(held->At(2), annotations_[0]);
  int tag = 0;
  EXPECT_EQ(entry.GetTag(&tag), S_OK);
  EXPECT_EQ(tag, 12);
  EXPECT_EQ(entry.GetTag(nullptr), E_FAIL);
  EXPECT_EQ(entry.GetAnnotations(nullptr), E_FAIL);

  KROTPSAnnotationEntry probe(12);
  ASSERT_EQ(probe.GetAnnotations(&held), S_OK);
  EXPECT_EQ(held->Size(), 0);
  KROTPSAnnotationEntry withoutSource(12, nullptr);
  EXPECT_EQ(withoutSource.GetAnnotations(&held), E_FAIL);
}

TEST_F(AnnotationsHashTable, InsertedAnswersAreFoundByTagAndKeptAsCopies) {
  KROSysSimpleHashTable* table = KROTPSAnnotationsHashTable::Create();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->Size(), 100);
  EXPECT_EQ(table->Count(), 0);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(table, 30), nullptr);
  EXPECT_EQ(table->Count(), 0) << "a miss must not add the probe";

  list<KROBaseUnknown> answer;
  answer.Append(annotations_[2]);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(table, 30, &answer), 1);
  list<KROBaseUnknown> empty;
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(table, 12, &empty), 1);
  answer.Append(annotations_[0]);

  KROTPSAnnotationEntry* hit = KROTPSAnnotationsHashTable::Find(table, 30);
  ASSERT_NE(hit, nullptr);
  list<KROBaseUnknown>* cached = nullptr;
  ASSERT_EQ(hit->GetAnnotations(&cached), S_OK);
  ASSERT_EQ(cached->Size(), 1);
  EXPECT_EQ(cached->At(0), annotations_[2]);
  KROTPSAnnotationEntry* emptyHit = KROTPSAnnotationsHashTable::Find(table, 12);
  ASSERT_NE(emptyHit, nullptr);
  ASSERT_EQ(emptyHit->GetAnnotations(&cached), S_OK);
  EXPECT_EQ(cached->Size(), 0);

  // Refused inserts must not leak the entry they built (LeakSanitizer checks).
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(table, 30, &empty), 0);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(table, 40, nullptr), 0);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(nullptr, 40, &answer), 0);
  EXPECT_EQ(table->Count(), 2);
  ASSERT_EQ(KROTPSAnnotationsHashTable::Find(table, 30)->GetAnnotations(&cached), S_OK);
  EXPECT_EQ(cached->Size(), 1) << "an entry is never updated";
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(nullptr, 30), nullptr);

  KROTPSAnnotationsHashTable::Destroy(table);
}

TEST_F(AnnotationsHashTable, ClearDeletesEveryEntryOnceAndKeepsTheTableUsable) {
  KROSysSimpleHashTable* table = KROTPSAnnotationsHashTable::Create();
  ASSERT_NE(table, nullptr);
  list<KROBaseUnknown> answer;
  for (KROBaseUnknown* a : annotations_)
    answer.Append(a);
  // Enough tags to make the table grow past its first 100 slots.
  for (int tag = -500; tag < 500; ++tag)
    ASSERT_EQ(KROTPSAnnotationsHashTable::Insert(table, tag, &answer), 1) << tag;
  EXPECT_GT(table->Size(), 100);
  for (int tag = -500; tag < 500; tag += 37)
    EXPECT_NE(KROTPSAnnotationsHashTable::Find(table, tag), nullptr) << tag;

  KROTPSAnnotationsHashTable::Clear(table);
  EXPECT_EQ(table->Count(), 0);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Find(table, 7), nullptr);
  EXPECT_EQ(KROTPSAnnotationsHashTable::Insert(table, 7, &answer), 1);
  EXPECT_NE(KROTPSAnnotationsHashTable::Find(table, 7), nullptr);
  KROTPSAnnotationsHashTable::Clear(nullptr);

  KROTPSAnnotationsHashTable::Destroy(table);
  KROTPSAnnotationsHashTable::Destroy(nullptr);
}

} // namespace
