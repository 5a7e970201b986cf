// KROSetQueryTestSupport.h - a set with its services and a few builders, for the query tests.
#pragma once

#include "KROComPtr.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTestSupport.h"

#include <vector>

using KROItemVector = std::vector<KROBaseUnknown*>;

inline KROItemVector KROItemsOf(const list<KROBaseUnknown>* l) {
  return l ? KROItemVector(l->Items(), l->Items() + l->Size()) : KROItemVector();
}

class KROSetQueryTest : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    auto* component = new KROTPSLightSet();
    ASSERT_EQ(component->QueryInterface(IID_KROITPSLightSet, set_.Put()), S_OK);
    ASSERT_EQ(component->QueryInterface(IID_KROITPSLightSetServices, services_.Put()), S_OK);
    component->Release(); // the interfaces keep it
    ext_ = static_cast<KROTPSLightSetExt*>(set_->GetImpl());
    mine_ = new KROTPSLightTPS();
  }
  void TearDown() override {
    mine_->Release();
    services_.Reset();
    set_.Reset();
    KROTest::TearDown();
  }

  static void AddPath(KROTPSLightTTRS* ttrs, const std::vector<int>& ids) {
    auto* path = new KRORawCollint();
    for (int id : ids)
      path->Append(id);
    ttrs->AddGeomPathId(path);
  }
  KROTPSLightTTRS* AddTTRS(int index, const std::vector<std::vector<int>>& paths) {
    auto* ttrs = new KROTPSLightTTRS();
    ttrs->SetIndex(index);
    for (const auto& path : paths)
      AddPath(ttrs, path);
    set_->AddTTRS(ttrs);
    return ttrs;
  }
  KROTPSLightTPS* AddTPS(const std::vector<int>& links, unsigned short type = 0) {
    auto* tps = new KROTPSLightTPS();
    tps->SetType(type);
    for (int id : links)
      tps->AddTTRSLinkID(id);
    set_->AddTPS(tps);
    return tps;
  }

  KROComPtr<KROITPSLightSet> set_;
  KROComPtr<KROITPSLightSetServices> services_;
  KROTPSLightSetExt* ext_ = nullptr;
  KROBaseUnknown* mine_ = nullptr; // an item of a caller's own list
};
