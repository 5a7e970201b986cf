// Query-interface identity, reference balance, ties, data extensions and weak references of the
// component runtime, on small test-defined classes.
#include "KROClassMacros.h"
#include "KROComPtr.h"
#include "KRODictionary.h"
#include "KROTPSLightTieSupport.h"
#include "KROTestSupport.h"
#include "KROWeakRef.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace runtime_test {

inline constexpr IID IID_ITestAlpha = {0x1A1A1A1A, 0x0001, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr IID IID_ITestBeta = {0x1A1A1A1A, 0x0002, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr IID IID_ITestGamma = {0x1A1A1A1A, 0x0003, 0x0003, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr IID IID_ITestUnknown = {0x1A1A1A1A, 0x0004, 0x0004, {1, 2, 3, 4, 5, 6, 7, 8}};

class ITestAlpha : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_ITestAlpha;
  static constexpr const char* kName = "ITestAlpha";
  virtual int Alpha() = 0;
};
class ITestBeta : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_ITestBeta;
  static constexpr const char* kName = "ITestBeta";
  virtual int Beta(int x) = 0;
};
class ITestGamma : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_ITestGamma;
  static constexpr const char* kName = "ITestGamma";
  virtual int Gamma() = 0;
};

template <class Impl> class TIEITestAlpha : public KROTie<ITestAlpha> {
public:
  int Alpha() override { return Target<Impl>()->Alpha(); }
};
template <class Impl> class TIEITestBeta : public KROTie<ITestBeta> {
public:
  int Beta(int x) override { return Target<Impl>()->Beta(x); }
};
template <class Impl> class TIEITestGamma : public KROTie<ITestGamma> {
public:
  int Gamma() override { return Target<Impl>()->Gamma(); }
};

class TestWidget : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  int Alpha() { return 1; }
  int Beta(int x) { return 2 * x; }
};
KRO_IMPLEMENT_CLASS(TestWidget, "KROTests", Implementation, "TestWidget", nullptr)
KROBaseUnknown* TestWidget::CreateItself() { return nullptr; }

int gExtCreated = 0;
int gExtDestroyed = 0;
KROBaseUnknown_WR* gProbeDuringExtDestruction = nullptr;
bool gProbeWasEmpty = false;

class TestWidgetExt : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  TestWidgetExt() { ++gExtCreated; }
  ~TestWidgetExt() override {
    ++gExtDestroyed;
    if (gProbeDuringExtDestruction) {
      KROBaseUnknown* c = gProbeDuringExtDestruction->GetComponent();
      gProbeWasEmpty = c == nullptr;
      if (c) c->Release();
    }
  }
  int Gamma() { return 3; }
};
KRO_IMPLEMENT_CLASS(TestWidgetExt, "KROTests", DataExtension, "TestWidget", nullptr)
KROBaseUnknown* TestWidgetExt::CreateItself() { return new (std::nothrow) TestWidgetExt(); }

// A class registered after the extension names it, as a host type defined elsewhere would be.
class TestLateHost : public KROBaseUnknown {
  KRO_DECLARE_CLASS
};
KRO_IMPLEMENT_CLASS(TestLateHost, "KROTests", Implementation, "TestLateHost", nullptr)
KROBaseUnknown* TestLateHost::CreateItself() { return nullptr; }

class TestLateExt : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  int Gamma() { return 30; }
};
KRO_IMPLEMENT_CLASS(TestLateExt, "KROTests", DataExtension, "TestNoSuchHost", "TestLateHost")
KROBaseUnknown* TestLateExt::CreateItself() { return new (std::nothrow) TestLateExt(); }

// Releases itself once more than it holds while it is being destroyed.
class TestOverReleaser : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  ~TestOverReleaser() override { Release(); }
};
KRO_IMPLEMENT_CLASS(TestOverReleaser, "KROTests", Implementation, "TestOverReleaser", nullptr)
KROBaseUnknown* TestOverReleaser::CreateItself() { return nullptr; }

} // namespace runtime_test

namespace {
using namespace runtime_test;

struct Registrar {
  Registrar() {
    KROFillDictionary(TestWidget::MetaObject(), KROTieMetaOf<ITestAlpha, TestWidget>(),
                      &KROCreateTieOf<TIEITestAlpha, ITestAlpha, TestWidget>, nullptr, 1);
    KROFillDictionary(TestWidget::MetaObject(), KROTieMetaOf<ITestBeta, TestWidget>(),
                      &KROCreateTieOf<TIEITestBeta, ITestBeta, TestWidget>, nullptr, 1);
    KROFillDictionary(TestWidgetExt::MetaObject(), KROTieMetaOf<ITestGamma, TestWidgetExt>(),
                      &KROCreateTieOf<TIEITestGamma, ITestGamma, TestWidgetExt>, nullptr, 1);
    // Extension registered before its host class exists.
    KROFillDictionary(TestLateExt::MetaObject(), KROTieMetaOf<ITestGamma, TestLateExt>(),
                      &KROCreateTieOf<TIEITestGamma, ITestGamma, TestLateExt>, nullptr, 1);
    TestLateHost::MetaObject();
  }
} gRegistrar;

KROBaseUnknown* BaseOf(KROBaseUnknown* p) {
  KROBaseUnknown* base = nullptr;
  EXPECT_EQ(p->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base)), S_OK);
  if (base) base->Release();
  return base;
}

class ComponentRuntime : public KROTest {};

TEST_F(ComponentRuntime, NewComponentHoldsOneReferenceAndReleaseAtZeroDestroysIt) {
  long before = KROBaseUnknown::LiveCount();
  auto* w = new TestWidget();
  EXPECT_EQ(KROBaseUnknown::LiveCount(), before + 1);
  EXPECT_EQ(KRORefCount(w), 1u);
  EXPECT_EQ(w->AddRef(), 2u);
  EXPECT_EQ(w->Release(), 1u);
  EXPECT_EQ(w->Release(), 0u);
  EXPECT_EQ(KROBaseUnknown::LiveCount(), before);
}

// A release that takes the count below zero would delete the component a second time; a debug
// build stops there and says why.
TEST_F(ComponentRuntime, ReleasingBelowZeroStopsADebugBuildWithAMessage) {
#ifdef NDEBUG
  GTEST_SKIP() << "the check is made in debug builds";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH((new TestOverReleaser())->Release(), "released once more than held");
#endif
}

// The walk every host writes over a model's lists: only the items that answer, with their
// positions, and every reference it takes given back.
TEST_F(ComponentRuntime, EachItemOfAListAsAnInterfaceSkipsNullAndSilentItems) {
  auto* first = new TestWidget();
  auto* silent = new TestLateHost();
  auto* second = new TestWidget();
  list<KROBaseUnknown> items;
  for (KROBaseUnknown* item :
       {static_cast<KROBaseUnknown*>(first), static_cast<KROBaseUnknown*>(nullptr),
        static_cast<KROBaseUnknown*>(silent), static_cast<KROBaseUnknown*>(second)})
    ASSERT_TRUE(items.Append(item));
  std::vector<std::pair<int, int>> seen; // (position, what the face answers)
  KROComPtr<ITestAlpha> kept;
  KROForEachAs<ITestAlpha>(&items, [&](const KROComPtr<ITestAlpha>& alpha, int i) {
    seen.emplace_back(i, alpha->Alpha());
    EXPECT_EQ(KROBaseOf(alpha.Get()), i == 0 ? first : second);
    kept = alpha;
  });
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 1}, {3, 1}}));
  EXPECT_EQ(KROBaseOf(kept.Get()), second); // a face may be kept past the call
  kept.Reset();
  int visits = 0;
  KROForEachAs<ITestAlpha>(static_cast<const list<KROBaseUnknown>*>(nullptr),
                           [&](const KROComPtr<ITestAlpha>&, int) { ++visits; });
  EXPECT_EQ(visits, 0);
  for (KROBaseUnknown* object :
       {static_cast<KROBaseUnknown*>(first), static_cast<KROBaseUnknown*>(silent),
        static_cast<KROBaseUnknown*>(second)})
    EXPECT_EQ(object->Release(), 0u); // no reference left behind
}

TEST_F(ComponentRuntime, QueryIdentityIsReflexiveSymmetricAndTransitive) {
  auto* w = new TestWidget();
  KROComPtr<ITestAlpha> a;
  ASSERT_EQ(w->QueryInterface(IID_ITestAlpha, a.Put()), S_OK);
  auto b = a.As<ITestBeta>();
  auto g = b.As<ITestGamma>(); // reaches the data extension
  ASSERT_TRUE(b && g);
  EXPECT_EQ(a->Alpha(), 1);
  EXPECT_EQ(b->Beta(21), 42);
  EXPECT_EQ(g->Gamma(), 3);
  // reflexive: asking a tie for its own interface gives the same tie
  EXPECT_EQ(a.As<ITestAlpha>().Get(), a.Get());
  EXPECT_EQ(g.As<ITestGamma>().Get(), g.Get());
  // symmetric and transitive: back from the extension to the class ties
  EXPECT_EQ(g.As<ITestAlpha>().Get(), a.Get());
  EXPECT_EQ(g.As<ITestBeta>().Get(), b.Get());
  // one base pointer for all
  EXPECT_EQ(BaseOf(a.Get()), w);
  EXPECT_EQ(BaseOf(b.Get()), w);
  EXPECT_EQ(BaseOf(g.Get()), w);
  EXPECT_TRUE(KROComCmp(a.Get(), g.Get()));
  EXPECT_TRUE(KROComCmp(w, b.Get()));
  w->Release();
}

TEST_F(ComponentRuntime, EachSuccessfulQueryAddsExactlyOneReferenceAndAFailedOneWritesNull) {
  auto* w = new TestWidget();
  KROBaseUnknown* base = nullptr;
  ASSERT_EQ(w->QueryInterface(CLSID_KROBaseUnknown, reinterpret_cast<void**>(&base)), S_OK);
  EXPECT_EQ(base, w);
  EXPECT_EQ(KRORefCount(w), 2u);
  base->Release();

  ITestAlpha* a1 = nullptr;
  ITestAlpha* a2 = nullptr;
  ASSERT_EQ(w->QueryInterface(IID_ITestAlpha, reinterpret_cast<void**>(&a1)), S_OK);
  EXPECT_EQ(KRORefCount(w), 2u); // the tie holds one reference on the component
  ASSERT_EQ(w->QueryInterface(IID_ITestAlpha, reinterpret_cast<void**>(&a2)), S_OK);
  EXPECT_EQ(a1, a2); // the live tie is found again
  EXPECT_EQ(KRORefCount(a1), 2u);
  EXPECT_EQ(KRORefCount(w), 2u);

  void* junk = reinterpret_cast<void*>(0x1);
  HRESULT rc = w->QueryInterface(IID_ITestUnknown, &junk);
  EXPECT_LT(rc, 0);
  EXPECT_EQ(junk, nullptr);
  EXPECT_EQ(KRORefCount(w), 2u);
  EXPECT_EQ(w->QueryInterface(IID_ITestAlpha, nullptr), E_FAIL);

  a1->Release();
  a2->Release();
  EXPECT_EQ(KRORefCount(w), 1u);
  w->Release();
}

TEST_F(ComponentRuntime, QueryByNameUsesTheRegisteredInterfaceNames) {
  auto* w = new TestWidget();
  KROComPtr<ITestBeta> b;
  EXPECT_EQ(w->QueryInterface("ITestBeta", b.Put()), S_OK);
  EXPECT_EQ(b->Beta(2), 4);
  void* none = nullptr;
  EXPECT_LT(w->QueryInterface("ITestNoSuch", &none), 0);
  EXPECT_EQ(none, nullptr);
  w->Release();
}

TEST_F(ComponentRuntime, ExtensionIsCreatedOnceOnFirstRequestAndDestroyedWithItsBase) {
  int created = gExtCreated, destroyed = gExtDestroyed;
  auto* w = new TestWidget();
  {
    auto a = KROComPtr<TestWidget>::Attach(w).As<ITestAlpha>();
    w->AddRef(); // the Attach above took over the creation reference; keep one
    EXPECT_EQ(gExtCreated, created);
    auto g1 = a.As<ITestGamma>();
    EXPECT_EQ(gExtCreated, created + 1);
    g1.Reset(); // the extension outlives its ties
    auto g2 = a.As<ITestGamma>();
    EXPECT_EQ(gExtCreated, created + 1);
    EXPECT_EQ(g2->GetImpl()->GetImpl(), w); // the extension's GetImpl is its base
  }
  EXPECT_EQ(gExtDestroyed, destroyed);
  w->Release();
  EXPECT_EQ(gExtDestroyed, destroyed + 1);
}

TEST_F(ComponentRuntime, ReferencesOnAnExtensionKeepItsBaseAlive) {
  int destroyed = gExtDestroyed;
  auto* w = new TestWidget();
  KROComPtr<ITestGamma> g;
  ASSERT_EQ(w->QueryInterface(IID_ITestGamma, g.Put()), S_OK);
  w->Release(); // only the extension's tie holds the component now
  EXPECT_EQ(gExtDestroyed, destroyed);
  EXPECT_EQ(g->Gamma(), 3);
  auto a = g.As<ITestAlpha>();
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Alpha(), 1);
  a.Reset();
  g.Reset();
  EXPECT_EQ(gExtDestroyed, destroyed + 1);
}

TEST_F(ComponentRuntime, ExtensionMayNameItsHostTypeBeforeTheHostRegisters) {
  auto* host = new TestLateHost();
  KROComPtr<ITestGamma> g;
  ASSERT_EQ(host->QueryInterface(IID_ITestGamma, g.Put()), S_OK);
  EXPECT_EQ(g->Gamma(), 30);
  host->Release();
  g.Reset();
}

TEST_F(ComponentRuntime, WeakReferenceResolvesWhileAliveAndIsEmptyOnceDestructionBegins) {
  auto* w = new TestWidget();
  KROBaseUnknown_WR weak(w);
  KROBaseUnknown_WR copy = weak;
  EXPECT_FALSE(!weak);
  KROBaseUnknown* c = weak.GetComponent();
  EXPECT_EQ(c, w);
  EXPECT_EQ(KRORefCount(w), 2u);
  c->Release();

  // force the extension so its destructor can look at the weak reference mid-destruction
  KROComPtr<ITestGamma> g;
  ASSERT_EQ(w->QueryInterface(IID_ITestGamma, g.Put()), S_OK);
  g.Reset();
  gProbeDuringExtDestruction = &weak;
  gProbeWasEmpty = false;
  w->Release();
  gProbeDuringExtDestruction = nullptr;
  EXPECT_TRUE(gProbeWasEmpty);
  EXPECT_TRUE(!weak);
  EXPECT_TRUE(!copy);
  EXPECT_EQ(copy.GetComponent(), nullptr);
  KROBaseUnknown_WR empty;
  EXPECT_TRUE(!empty);
  EXPECT_EQ(empty.GetComponent(), nullptr);
}

TEST_F(ComponentRuntime, ComponentComparisonAndCopies) {
  auto* w1 = new TestWidget();
  auto* w2 = new TestWidget(*w1); // a copy is a new component
  EXPECT_FALSE(KROComCmp(w1, w2));
  EXPECT_FALSE(KROComCmp(w1, nullptr));
  EXPECT_EQ(KRORefCount(w2), 1u);
  EXPECT_TRUE(w1->IsEqual(w1));
  w1->Release();
  w2->Release();
}

TEST_F(ComponentRuntime, MetaclassesKnowTheirNamesKindsAndExtendedTypes) {
  KROMetaClass* m = TestWidget::MetaObject();
  EXPECT_STREQ(m->IsA(), "TestWidget");
  EXPECT_STREQ(m->GetFrameworkName(), "KROTests"); // the framework its class macro names
  EXPECT_EQ(m->GetTypeOfClass(), Implementation);
  EXPECT_EQ(m->GetParent(), KROBaseUnknown::MetaObject());
  EXPECT_EQ(fct_FindMetaObject("TestWidget"), m);
  EXPECT_EQ(TestWidget::ClassId(), m->GetClassId());
  EXPECT_NE(TestWidget::ClassId(), TestWidgetExt::ClassId());
  auto* w = new TestWidget();
  EXPECT_STREQ(w->IsA(), "TestWidget");
  EXPECT_TRUE(w->IsAKindOf("TestWidget"));
  EXPECT_TRUE(w->IsAKindOf("KROBaseUnknown"));
  EXPECT_FALSE(w->IsAKindOf("TestWidgetExt"));
  w->Release();
  KROMetaClass* ext = TestLateExt::MetaObject();
  EXPECT_EQ(ext->GetTypeOfClass(), DataExtension);
  ASSERT_EQ(ext->GetExtendedTypes().size(), 2u);
  EXPECT_STREQ(ext->GetExtendedTypes()[1]->IsA(), "TestLateHost");
  EXPECT_EQ(ext->GetExtendedTypes()[1]->GetTypeOfClass(), Implementation);
  KROMetaClass* tie = KROTieMetaOf<ITestAlpha, TestWidget>();
  EXPECT_EQ(tie->GetTypeOfClass(), TIE);
  EXPECT_EQ(*tie->GetIID(), IID_ITestAlpha);
  EXPECT_EQ(tie->GetParent(), m);
  EXPECT_EQ(
      KROFillDictionary(m, tie, &KROCreateTieOf<TIEITestAlpha, ITestAlpha, TestWidget>, nullptr, 1),
      E_FAIL); // a pair is registered once
}

TEST_F(ComponentRuntime, DispatchSlotsReportFailureHonestly) {
  auto* w = new TestWidget();
  unsigned int n = 7;
  EXPECT_EQ(w->GetTypeInfoCount(&n), E_FAIL);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(w->Invoke(0, IID_ITestAlpha, 0, 0, nullptr, nullptr, nullptr, nullptr), E_FAIL);
  w->Release();
}

} // namespace
