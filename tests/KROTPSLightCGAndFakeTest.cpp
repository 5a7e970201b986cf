// The constructed geometry's one id collection behind two add/get pairs, and the fake's
// thumbnail and fake type.
#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightView.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightFake.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

template <class Itf, class Impl> KROComPtr<Itf> Make() {
  auto* impl = new Impl();
  KROComPtr<Itf> itf;
  impl->QueryInterface(Itf::kIID, itf.Put());
  impl->Release();
  return itf;
}

// --- constructed geometry ------------------------------------------------------------------------

class LightCG : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    cg_ = Make<KROITPSLightCG, KROTPSLightCG>();
    ASSERT_TRUE(cg_);
  }
  void TearDown() override {
    cg_.Reset();
    KROTest::TearDown();
  }
  KROComPtr<KROITPSLightCG> cg_;
};

using GetIds = HRESULT (KROITPSLightCG::*)(KRORawCollint**);
const GetIds kGetters[] = {&KROITPSLightCG::GetTTRSLinkIds,
                           &KROITPSLightCG::GetRepresentedTTRSLinkIds};

TEST_F(LightCG, BothPairsShareOneCollectionAndHandOutIndependentCopies) {
  ASSERT_EQ(cg_->AddTTRSLinkID(4), S_OK);
  ASSERT_EQ(cg_->AddRepresentedTTRSLinkID(9), S_OK);
  ASSERT_EQ(cg_->AddTTRSLinkID(4), S_OK); // duplicates kept
  KRORawCollint* copies[2] = {};
  for (int g = 0; g < 2; ++g) {
    const GetIds get = kGetters[g]; // not called through the table: GCC 12's bounds sanitizer
                                    // misreports `(p->*table[i])(...)`
    ASSERT_EQ((cg_.Get()->*get)(&copies[g]), S_OK);
  }
  std::unique_ptr<KRORawCollint> first(copies[0]), second(copies[1]);
  ASSERT_NE(first.get(), second.get());
  EXPECT_EQ(KROValues(first.get()), (std::vector<int>{4, 9, 4}));
  EXPECT_EQ(KROValues(second.get()), (std::vector<int>{4, 9, 4}));

  first->Set(1, 77);
  first->Append(5);
  KRORawCollint* fresh = nullptr;
  ASSERT_EQ(cg_->GetRepresentedTTRSLinkIds(&fresh), S_OK);
  std::unique_ptr<KRORawCollint> owned(fresh);
  EXPECT_EQ(KROValues(fresh), (std::vector<int>{4, 9, 4}));
  EXPECT_EQ(KROValues(second.get()), (std::vector<int>{4, 9, 4}));
}

TEST_F(LightCG, GettersFailAndWriteNothingBeforeTheFirstAdd) {
  for (GetIds get : kGetters) {
    KRORawCollint* out = reinterpret_cast<KRORawCollint*>(0x1);
    EXPECT_EQ((cg_.Get()->*get)(&out), E_FAIL);
    EXPECT_EQ(out, reinterpret_cast<KRORawCollint*>(0x1));
    EXPECT_EQ((cg_.Get()->*get)(nullptr), E_FAIL);
  }
  ASSERT_EQ(cg_->AddRepresentedTTRSLinkID(-3), S_OK);
  for (GetIds get : kGetters) {
    EXPECT_EQ((cg_.Get()->*get)(nullptr), E_FAIL);
    KRORawCollint* out = nullptr;
    ASSERT_EQ((cg_.Get()->*get)(&out), S_OK);
    std::unique_ptr<KRORawCollint> owned(out);
    EXPECT_EQ(KROValues(out), (std::vector<int>{-3}));
  }
}

TEST_F(LightCG, AttributesAreCopiedAndANullTextKeepsThem) {
  KROWChar* text = nullptr;
  ASSERT_EQ(cg_->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"");
  KROWChar mine[] = u"CG:1:";
  ASSERT_EQ(cg_->SetAttributes(mine), S_OK);
  mine[0] = u'X';
  EXPECT_EQ(cg_->SetAttributes(nullptr), E_FAIL);
  ASSERT_EQ(cg_->GetAttributes(&text), S_OK);
  EXPECT_EQ(KROTakeText(text), u"CG:1:");
  EXPECT_EQ(cg_->GetAttributes(nullptr), E_FAIL);
}

TEST_F(LightCG, ANewConstructedGeometryHasItsNameAndType) {
  KROComPtr<KROITPSLight> light = cg_.As<KROITPSLight>();
  ASSERT_TRUE(light);
  EXPECT_FALSE(light.As<KROITPSLightView>());
  KROWChar* name = nullptr;
  ASSERT_EQ(light->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"Constructed Geometry");
  unsigned short type = 0;
  ASSERT_EQ(light->GetType(&type), S_OK);
  EXPECT_EQ(type, 50);
}

// --- fake
// ------------------------------------------------------------------------------------------

class LightFake : public KROTest {};

TEST_F(LightFake, FakeTypeIsZeroUntilFirstSet) {
  // Several fakes in a row, so that a fake built on memory a previous one used would show a
  // value left behind.
  for (int round = 0; round < 4; ++round) {
    KROComPtr<KROITPSLightFake> fake = Make<KROITPSLightFake, KROTPSLightFake>();
    ASSERT_TRUE(fake);
    int type = -1;
    ASSERT_EQ(fake->GetFakeType(type), S_OK);
    EXPECT_EQ(type, 0) << "round " << round;
    ASSERT_EQ(fake->SetFakeType(-123456 - round), S_OK);
    ASSERT_EQ(fake->GetFakeType(type), S_OK);
    EXPECT_EQ(type, -123456 - round);
  }
}

TEST_F(LightFake, ThumbnailIsCopiedInAndOutIndependently) {
  KROComPtr<KROITPSLightFake> fake = Make<KROITPSLightFake, KROTPSLightFake>();
  ASSERT_TRUE(fake);
  _SEQUENCE_octet mine{0x89, 'P', 'N', 'G'};
  ASSERT_EQ(fake->SetThumbnailData(mine), S_OK);
  mine = _SEQUENCE_octet{0};
  _SEQUENCE_octet out{1, 2};
  ASSERT_EQ(fake->GetThumbnailData(out), S_OK);
  EXPECT_EQ(out, (_SEQUENCE_octet{0x89, 'P', 'N', 'G'}));
  out = _SEQUENCE_octet{};
  _SEQUENCE_octet again;
  ASSERT_EQ(fake->GetThumbnailData(again), S_OK);
  EXPECT_EQ(again, (_SEQUENCE_octet{0x89, 'P', 'N', 'G'}));
}

TEST_F(LightFake, BothFacesReachOneFakeNamedFake) {
  KROComPtr<KROITPSLightFake> fake = Make<KROITPSLightFake, KROTPSLightFake>();
  ASSERT_TRUE(fake);
  KROComPtr<KROITPSLight> light = fake.As<KROITPSLight>();
  ASSERT_TRUE(light);
  EXPECT_TRUE(KROComCmp(light.Get(), fake.Get()));
  EXPECT_EQ(light.As<KROITPSLightFake>().Get(), fake.Get());
  KROWChar* name = nullptr;
  ASSERT_EQ(light->GetName(&name), S_OK);
  EXPECT_EQ(KROTakeText(name), u"Fake");
}

} // namespace
