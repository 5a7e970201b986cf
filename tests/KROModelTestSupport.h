// KROModelTestSupport.h - a model factory and a set made through it, for the model-level tests.
///
/// Objects made with `Make` go through the factory into the fixture's set (or another set) and
/// are handed back as their base pointer, uncounted: the set's list holds the only reference, as
/// for a host that dropped the interface the factory returned.
#pragma once

#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KROTPSLightContainer.h"
#include "KROTestSupport.h"

#include <vector>

enum class KROKind { Annotation, View, RefFrame, TTRS, Capture, CG, Fake };
inline constexpr int kKROKindCount = 7;

template <class Itf> KROComPtr<Itf> KROAs(KROBaseUnknown* p) {
  KROComPtr<Itf> itf;
  if (p) p->QueryInterface(Itf::kIID, itf.Put());
  return itf;
}

class KROModelTest : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    auto* container = new KROTPSLightContainer();
    ASSERT_EQ(container->QueryInterface(IID_KROITPSLightModelFactory, factory_.Put()), S_OK);
    container->Release();
    ASSERT_EQ(factory_->CreateLightSet(set_.PutTyped(), nullptr), S_OK);
  }
  void TearDown() override {
    set_.Reset();
    factory_.Reset();
    KROTest::TearDown();
  }

  KROBaseUnknown* Make(KROKind kind, KROITPSLightSet* set = nullptr) {
    if (!set) set = set_.Get();
    using F = KROITPSLightModelFactory;
    switch (kind) {
    case KROKind::Annotation:
      return Create(&F::CreateLightModel, set);
    case KROKind::View:
      return Create(&F::CreateLightView, set);
    case KROKind::RefFrame:
      return Create(&F::CreateLightRefFrame, set);
    case KROKind::TTRS:
      return Create(&F::CreateLightTTRS, set);
    case KROKind::Capture:
      return Create(&F::CreateLightCapture, set);
    case KROKind::CG:
      return Create(&F::CreateLightCG, set);
    case KROKind::Fake:
      return Create(&F::CreateLightFake, set);
    }
    return nullptr;
  }

  template <class Itf>
  KROBaseUnknown* Create(HRESULT (KROITPSLightModelFactory::*create)(Itf**, KROITPSLightSet*),
                         KROITPSLightSet* set) {
    KROComPtr<Itf> itf;
    if (FAILED((factory_.Get()->*create)(itf.PutTyped(), set))) return nullptr;
    return KROBaseOf(itf.Get());
  }

  std::vector<KROBaseUnknown*> List(HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**)) {
    list<KROBaseUnknown>* l = nullptr;
    (set_.Get()->*get)(&l);
    return KROItems(l);
  }

  KROComPtr<KROITPSLightModelFactory> factory_;
  KROComPtr<KROITPSLightSet> set_;
};
