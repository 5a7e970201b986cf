// KRORepBindingTestSupport.h - a factory-made set with a document, and the rep streams it reads.
///
/// Sequential stream: count, then class name (+ body) per entry. Indexed stream: count, position
/// table (entry k for index k), then the entries. Streamable reps carry a label to tell them apart;
/// any other class is written as its name only.
#pragma once

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightView.h"
#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightTPS.h"
#include "KROTestSupport.h"
#include "KROVZBDocument.h"

#include <string>
#include <vector>

using KROBytes = std::vector<unsigned char>;
struct KROEntry {
  std::string cls, label = {};
};

inline void KROWriteEntry(KROStreamWriter& w, const KROEntry& e) {
  KRORep* rep = e.cls == "KRO3DBagRep" ? new (nullptr, nullptr, 0) KRO3DBagRep()
                : e.cls == "KRO2DBagRep"
                    ? static_cast<KRORep*>(new (nullptr, nullptr, 0) KRO2DBagRep())
                : e.cls == "KRO2DCustomRep" ? new (nullptr, nullptr, 0) KRO2DCustomRep()
                                            : nullptr;
  if (!rep) return w.WriteClassName(e.cls.c_str());
  rep->SetLabel(e.label);
  w.WriteRep(*rep);
  rep->Destroy();
}

inline KROBytes KROSequential(const std::vector<KROEntry>& entries, int count = -1) {
  KROStreamWriter w;
  w.WriteInt(count < 0 ? static_cast<int>(entries.size()) : count);
  for (const KROEntry& e : entries)
    KROWriteEntry(w, e);
  return w.TakeBytes();
}

inline KROBytes KROIndexed(const std::vector<KROEntry>& entries) {
  KROIndexedStreamWriter w(static_cast<int>(entries.size()));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    w.BeginEntry(static_cast<int>(k) + 1);
    KROWriteEntry(w.Writer(), entries[k]);
  }
  return w.TakeBytes();
}

class KROBindingTest : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory_.Put());
    container->Release();
    ASSERT_EQ(factory_->CreateLightSet(set_.PutTyped(), nullptr), S_OK);
    services_ = set_.As<KROITPSLightSetServices>();
  }
  void TearDown() override {
    services_.Reset();
    set_.Reset();
    Use(nullptr);
    factory_.Reset();
    KROTest::TearDown();
  }
  /// Gives the set a new document (or none), releasing the earlier one.
  void Use(KROVZBDocumentComponent* doc) {
    if (doc_) doc_->Release();
    doc_ = doc;
    if (doc_) set_->SetDocument(doc_);
  }

  /// A new object made into the set by `create`, with `index`; the set's list holds it.
  template <class T = KROTPSLightAdapt, class Itf>
  T* Make(HRESULT (KROITPSLightModelFactory::*create)(Itf**, KROITPSLightSet*), int index) {
    KROComPtr<Itf> itf;
    EXPECT_EQ((factory_.Get()->*create)(itf.PutTyped(), set_.Get()), S_OK);
    auto* object = static_cast<T*>(itf->GetImpl());
    object->SetIndex(index);
    return object;
  }
  KROTPSLightTPS* Tps(int index) {
    return Make<KROTPSLightTPS>(&KROITPSLightModelFactory::CreateLightModel, index);
  }
  KROTPSLightCapture* Capture(int index) {
    return Make<KROTPSLightCapture>(&KROITPSLightModelFactory::CreateLightCapture, index);
  }

  /// The label of the object's (2D) rep; "-" when it has none.
  static std::string LabelOf(KROTPSLightAdapt* object) {
    KRORep* rep = nullptr;
    return SUCCEEDED(object->GetRep(&rep)) ? rep->GetLabel() : "-";
  }
  static std::string Label2DOf(KROTPSLightTPS* tps) {
    KRO2DRep* rep = nullptr;
    return SUCCEEDED(tps->Get2DRep(&rep)) ? rep->GetLabel() : "-";
  }

  KROComPtr<KROITPSLightModelFactory> factory_;
  KROComPtr<KROITPSLightSet> set_;
  KROComPtr<KROITPSLightSetServices> services_;
  KROVZBDocumentComponent* doc_ = nullptr;
};
