// The light object base: defaults, texts, and the wrapper bag that owns a bound rep.
#include "KROTPSLightAdapt.h"
#include "KROClassMacros.h"
#include "KROComPtr.h"
#include "KRODictionary.h"
#include "KROITPSLight.h"
#include "KRORep.h"
#include "KROTPSLightTieSupport.h"
#include "KROTestSupport.h"
#include "TIEKROITPSLight.h"

#include <gtest/gtest.h>

namespace adapt_test {
class TestLight : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KRO3DBagRep* Bag() const { return wrapperBag_; }
};
KRO_IMPLEMENT_CLASS(TestLight, "KROTests", Implementation, "TestLight", nullptr)
KROBaseUnknown* TestLight::CreateItself() { return nullptr; }
} // namespace adapt_test

namespace {
using adapt_test::TestLight;

struct Registrar {
  Registrar() {
    KROFillDictionary(TestLight::MetaObject(), KROTieMetaOf<KROITPSLight, TestLight>(),
                      &KROCreateTieOf<TIEKROITPSLight, KROITPSLight, TestLight>, nullptr, 1);
  }
} gRegistrar;

KRORep* NewLeaf(const char* label) {
  auto* rep = new (nullptr, nullptr, 0) KRO2DCustomRep();
  rep->SetLabel(label);
  return rep;
}

class LightAdapt : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    obj_ = new TestLight();
    ASSERT_EQ(obj_->QueryInterface(IID_KROITPSLight, light_.Put()), S_OK);
  }
  void TearDown() override {
    light_.Reset();
    obj_->Release();
    KROTest::TearDown();
  }
  TestLight* obj_ = nullptr;
  KROComPtr<KROITPSLight> light_;
};

TEST_F(LightAdapt, FreshObjectAnswersTheBaseDefaults) {
  KROWChar* name = nullptr;
  ASSERT_EQ(light_->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"TPSBase");
  KROWChar* uuid = nullptr;
  ASSERT_EQ(light_->GetUUId(&uuid), S_OK);
  ASSERT_NE(uuid, nullptr);
  EXPECT_EQ(uuid[0], 0);
  delete[] uuid;
  KRORep* rep = NewLeaf("unused");
  KRORep* out = rep;
  EXPECT_EQ(light_->GetRep(&out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  rep->Destroy();
  KROITPSLightSet* set = nullptr;
  EXPECT_EQ(light_->GetLightSet(&set), E_FAIL);
  EXPECT_EQ(light_->SetLightSet(nullptr), E_FAIL);
}

TEST_F(LightAdapt, SixteenBitFieldsAndTextsRoundTrip) {
  unsigned short v = 0;
  EXPECT_EQ(light_->SetType(65535), S_OK);
  EXPECT_EQ(light_->GetType(&v), S_OK);
  EXPECT_EQ(v, 65535);
  EXPECT_EQ(light_->SetStatus(40000), S_OK);
  EXPECT_EQ(light_->GetStatus(&v), S_OK);
  EXPECT_EQ(v, 40000);
  EXPECT_EQ(light_->SetName(u"Flatness 0.1"), S_OK);
  EXPECT_EQ(light_->SetName(nullptr), E_FAIL);
  KROWChar* name = nullptr;
  light_->GetName(&name);
  EXPECT_EQ(KROTakeText(name), u"Flatness 0.1");
  EXPECT_EQ(light_->SetUUId(u"{1234}"), S_OK);
  EXPECT_EQ(light_->SetUUId(nullptr), E_FAIL);
  KROWChar* uuid = nullptr;
  light_->GetUUId(&uuid);
  EXPECT_EQ(KROTakeText(uuid), u"{1234}");
  EXPECT_EQ(light_->GetName(nullptr), E_FAIL);
  EXPECT_EQ(light_->GetType(nullptr), E_FAIL);
}

TEST_F(LightAdapt, SecondRepReplacesTheFirstAndItsBag) {
  long reps = KRORep::LiveCount();
  KRORep* a = NewLeaf("A");
  KRORep* b = NewLeaf("B");
  ASSERT_EQ(light_->SetRep(a), S_OK);
  KRO3DBagRep* firstBag = obj_->Bag();
  ASSERT_NE(firstBag, nullptr);
  EXPECT_EQ(firstBag->GetChildren()->Size(), 1);
  EXPECT_EQ((*firstBag->GetChildren())[0], a);
  ASSERT_EQ(light_->SetRep(b), S_OK);
  // A belonged to the first bag alone: both are gone
  EXPECT_EQ(KRORep::LiveCount(), reps + 2);
  KRORep* out = nullptr;
  EXPECT_EQ(light_->GetRep(&out), S_OK);
  EXPECT_EQ(out, b);
  ASSERT_NE(obj_->Bag(), nullptr);
  EXPECT_EQ(obj_->Bag()->GetChildren()->Size(), 1);
  EXPECT_EQ((*obj_->Bag()->GetChildren())[0], b);
}

TEST_F(LightAdapt, TheSameRepSetAgainSurvives) {
  KRORep* a = NewLeaf("A");
  light_->SetRep(a);
  light_->SetRep(a);
  KRORep* out = nullptr;
  ASSERT_EQ(light_->GetRep(&out), S_OK);
  EXPECT_EQ(out->GetLabel(), "A"); // ASan reports a use after free if the old bag took it along
  EXPECT_EQ(a->HolderCount(), 1);
}

TEST_F(LightAdapt, NullRepClearsTheRepAndKeepsNoBag) {
  long reps = KRORep::LiveCount();
  light_->SetRep(NewLeaf("A"));
  EXPECT_EQ(light_->SetRep(nullptr), S_OK);
  EXPECT_EQ(obj_->Bag(), nullptr);
  EXPECT_EQ(KRORep::LiveCount(), reps);
  KRORep* out = nullptr;
  EXPECT_EQ(light_->GetRep(&out), E_FAIL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(LightAdapt, RepHeldByAnotherBagOutlivesTheObject) {
  KRORep* a = NewLeaf("A");
  auto* other = new (nullptr, nullptr, 0) KRO3DBagRep();
  other->AddChild(*a);
  auto* second = new TestLight();
  second->SetRep(a);
  second->Release(); // its bag goes; A stays with the other bag
  EXPECT_EQ(a->HolderCount(), 1);
  EXPECT_EQ(a->GetLabel(), "A");
  other->Destroy();
}

} // namespace
