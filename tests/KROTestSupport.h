// KROTestSupport.h - the fixture every component test uses.
///
/// It records the live-component and live-rep counts before a test and fails the test when they
/// differ afterwards: a leak or a double destruction fails the test that caused it.
#pragma once

#include "KROBaseUnknown.h"
#include "KROITPSLightModelHandler.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KRORep.h"
#include "KROVizBaseCodeExtension.h"

#include <gtest/gtest.h>
#include <vector>

class KROTest : public ::testing::Test {
protected:
  void SetUp() override {
    components_ = KROBaseUnknown::LiveCount();
    reps_ = KRORep::LiveCount();
    extensions_ = KROVizBaseCodeExtension::OutstandingCount();
  }
  void TearDown() override {
    EXPECT_EQ(KROBaseUnknown::LiveCount(), components_) << "live components changed";
    EXPECT_EQ(KRORep::LiveCount(), reps_) << "live reps changed";
    EXPECT_EQ(KROVizBaseCodeExtension::OutstandingCount(), extensions_)
        << "a stream extension was not released";
  }

private:
  long components_ = 0;
  long reps_ = 0;
  long extensions_ = 0;
};

/// The current reference count, without changing it.
inline ULONG KRORefCount(KROBaseUnknown* p) {
  p->AddRef();
  return p->Release();
}

/// The base pointer of the component behind any of its interfaces, uncounted.
inline KROBaseUnknown* KROBaseOf(KROBaseUnknown* p) {
  KROBaseUnknown* base = nullptr;
  if (p && SUCCEEDED(p->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base))))
    base->Release();
  return base;
}

/// The entries of a list, in order; empty for a null list.
inline std::vector<KROBaseUnknown*> KROItems(const list<KROBaseUnknown>* l) {
  std::vector<KROBaseUnknown*> items;
  for (int i = 0; l && i < l->Size(); ++i)
    items.push_back(l->At(i));
  return items;
}

/// The values of a collection (1-based), in order; empty for a null one.
inline std::vector<int> KROValues(const KRORawCollint* ids) {
  std::vector<int> values;
  for (int i = 1; ids && i <= ids->Size(); ++i)
    values.push_back((*ids)[i]);
  return values;
}

/// u"..." literal to a comparable string, for texts handed out with new[].
inline std::u16string KROTakeText(KROWChar* text) {
  std::u16string s = text ? std::u16string(text) : std::u16string();
  delete[] text;
  return s;
}

/// A host handler answering its interface itself; remembers every set it is attached to and
/// keeps none of them.
class KROTestHandler : public KROITPSLightModelHandler {
public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out && iid == IID_KROITPSLightModelHandler) {
      AddRef();
      *out = static_cast<KROITPSLightModelHandler*>(this);
      return S_OK;
    }
    return KROBaseUnknown::QueryInterface(iid, out);
  }
  HRESULT AttachLightSet(KROBaseUnknown* set) override {
    attached.push_back(set);
    return S_OK;
  }
  std::vector<KROBaseUnknown*> attached;
};
