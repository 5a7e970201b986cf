// KROTPSAnnotationsHashTable.cpp
#include "KROTPSAnnotationsHashTable.h"

#include "KROFatalError.h"

#include <new>

namespace {
// Reported with every failed assertion of the callbacks; the lines are part of the report.
constexpr const char* kSourceName =
    "KROTPSLightInterfaces\\KROTPSLightKernel.m\\src\\KROTPSAnnotationsHashTable";
constexpr int kHashAssertLine = 33;
constexpr int kCompareFirstAssertLine = 53;
constexpr int kCompareSecondAssertLine = 54;
constexpr int kInitialSize = 100;
} // namespace

KROTPSAnnotationEntry::KROTPSAnnotationEntry(int tag)
    : tag_(tag), annotations_(new (std::nothrow) list<KROBaseUnknown>) {}

KROTPSAnnotationEntry::KROTPSAnnotationEntry(int tag, const list<KROBaseUnknown>* annotations)
    : tag_(tag) {
  if (!annotations) return;
  annotations_ = new (std::nothrow) list<KROBaseUnknown>;
  if (!annotations_) return;
  if (!annotations_->AppendNonNull(annotations->Items(), annotations->Size())) {
    // A partial answer must never be cached as if it were whole.
    delete annotations_;
    annotations_ = nullptr;
  }
}

KROTPSAnnotationEntry::~KROTPSAnnotationEntry() { delete annotations_; }

HRESULT KROTPSAnnotationEntry::GetTag(int* tag) const {
  if (!tag) return E_FAIL;
  *tag = tag_;
  return S_OK;
}

HRESULT KROTPSAnnotationEntry::GetAnnotations(list<KROBaseUnknown>** annotations) const {
  if (!annotations || !annotations_) return E_FAIL;
  *annotations = annotations_;
  return S_OK;
}

unsigned int HashAnnotationEntry(void* entry) {
  auto* ipObj = static_cast<KROTPSAnnotationEntry*>(entry);
  if (!ipObj) {
    KROFatalError("AssertionFailed:ipObj", nullptr, nullptr, nullptr, kSourceName, kHashAssertLine);
    return 0;
  }
  int tag = 0;
  ipObj->GetTag(&tag);
  // Fibonacci hashing spreads consecutive tags over the slots.
  return static_cast<unsigned int>(tag) * 2654435761u;
}

int CompareAnnotationEntries(void* entry1, void* entry2) {
  auto* ipObj1 = static_cast<KROTPSAnnotationEntry*>(entry1);
  auto* ipObj2 = static_cast<KROTPSAnnotationEntry*>(entry2);
  if (!ipObj1)
    KROFatalError("AssertionFailed:ipObj1", nullptr, nullptr, nullptr, kSourceName,
                  kCompareFirstAssertLine);
  if (!ipObj2)
    KROFatalError("AssertionFailed:ipObj2", nullptr, nullptr, nullptr, kSourceName,
                  kCompareSecondAssertLine);
  if (ipObj1 == ipObj2) return 1;
  if (!ipObj1 || !ipObj2) return 0;
  int tag1 = 0;
  int tag2 = 0;
  ipObj1->GetTag(&tag1);
  ipObj2->GetTag(&tag2);
  return tag1 == tag2 ? 1 : 0;
}

KROSysSimpleHashTable* KROTPSAnnotationsHashTable::Create() {
  return new (std::nothrow)
      KROSysSimpleHashTable(kInitialSize, HashAnnotationEntry, CompareAnnotationEntries);
}

void KROTPSAnnotationsHashTable::Clear(KROSysSimpleHashTable* table) {
  if (!table) return;
  const int size = table->Size();
  for (int i = 0; i < size; ++i)
    delete static_cast<KROTPSAnnotationEntry*>(table->Get(i));
  table->RemoveAll();
}

void KROTPSAnnotationsHashTable::Destroy(KROSysSimpleHashTable* table) {
  Clear(table);
  delete table;
}

KROTPSAnnotationEntry* KROTPSAnnotationsHashTable::Find(const KROSysSimpleHashTable* table,
                                                        int tag) {
  if (!table) return nullptr;
  // Only the tag of a probe is read: a probe without a list spares an allocation per lookup.
  const KROTPSAnnotationEntry probe(tag, nullptr);
  return static_cast<KROTPSAnnotationEntry*>(
      table->Locate(const_cast<KROTPSAnnotationEntry*>(&probe)));
}

int KROTPSAnnotationsHashTable::Insert(KROSysSimpleHashTable* table, int tag,
                                       const list<KROBaseUnknown>* annotations) {
  if (!table) return 0;
  auto* entry = new (std::nothrow) KROTPSAnnotationEntry(tag, annotations);
  if (!entry) return 0;
  list<KROBaseUnknown>* copy = nullptr;
  if (FAILED(entry->GetAnnotations(&copy)) || !table->Insert(entry)) {
    delete entry;
    return 0;
  }
  return 1;
}
